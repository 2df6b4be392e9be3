#include "net/curl_driver.h"

#include "net/transfer.h"

namespace bramix {

CURLM* CurlDriver::multi() {
    if (!multi_) {
        multi_.reset(curl_multi_init());
    }
    return multi_.get();
}

bool CurlDriver::Perform() {
    int running = 0;
    if (multi() == nullptr || curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
        return false;
    }
    TakeFinishedTransfers();
    if (watcher_) {
        watcher_();
    }
    return true;
}

void CurlDriver::Poll(std::chrono::milliseconds limit) {
    if (multi() != nullptr) {
        curl_multi_poll(multi_.get(), nullptr, 0, static_cast<int>(limit.count()), nullptr);
    }
}

// Each message names its own transfer, so that the loop holds however many
// share the multi handle.
void CurlDriver::TakeFinishedTransfers() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
        CurlTransfer* owner = nullptr;
        if (message->msg == CURLMSG_DONE &&
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner) == CURLE_OK &&
            owner != nullptr) {
            owner->Finish(message->data.result);
        }
    }
}

}  // namespace bramix
