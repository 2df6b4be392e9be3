#include "net/web_client.h"

#include <algorithm>

#include "net/curl_driver.h"
#include "net/page_fetcher.h"
#include "net/probe_lane.h"

namespace bramix {

namespace {

std::chrono::milliseconds Until(WebClient::Clock::time_point deadline) {
    return std::chrono::ceil<std::chrono::milliseconds>(deadline - WebClient::Clock::now());
}

class LibcurlWebClient final : public WebClient {
public:
    FetchResult FetchPage(const std::string& url, std::string& text,
                          const StopFlag& stop) override {
        return ::bramix::FetchPage(url, text, kFetchTimeoutMs, &stop, &driver_);
    }

    void StartProbe(const std::string& url, const StopFlag& stop, ProbeDone&& done) override {
        lane_.Start(url, stop, std::move(done));
        while (lane_.Crowded() && !IsStopped(stop)) {
            Step(kStopPollInterval);
        }
    }

    void WaitUntil(const StopFlag& stop, Clock::time_point deadline) override {
        while (!lane_.Idle() && !IsStopped(stop) && Clock::now() < deadline) {
            Step(std::min(kStopPollInterval, Until(deadline)));
        }
        // Nothing left to move on: the wait it always was.
        WaitUnlessStopped(stop, Until(deadline));
    }

    void WaitForProbes(const StopFlag& stop) override {
        while (!lane_.Idle() && !IsStopped(stop)) {
            Step(kStopPollInterval);
        }
    }

    void DropProbes() override { lane_.Drop(); }

private:
    void Step(std::chrono::milliseconds limit) {
        if (!driver_.Perform()) {
            lane_.FailAll();
            return;
        }
        if (!lane_.Idle()) {
            driver_.Poll(limit);
        }
    }

    CurlDriver driver_;
    ProbeLane lane_{driver_};  // gone before the driver
};

}  // namespace

void WebClient::WaitUntil(const StopFlag& stop, Clock::time_point deadline) {
    WaitUnlessStopped(stop, Until(deadline));
}

std::unique_ptr<WebClient> MakeCurlWebClient() {
    return std::make_unique<LibcurlWebClient>();
}

}  // namespace bramix
