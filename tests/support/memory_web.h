#pragma once

// The network from memory: pages and file headers set per address, every
// request recorded. Hands the search side its pages without a server, for
// tests and fuzz targets. Not thread-safe.

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "net/web_client.h"

namespace bramix::testing {

class MemoryWeb : public WebClient {
public:
    void SetPage(const std::string& url, std::string text) { pages_[url] = std::move(text); }
    void SetFile(const std::string& url, std::string disposition, std::string length) {
        files_[url] = {FetchResult{}, std::move(disposition), std::move(length)};
    }

    FetchResult FetchPage(const std::string& url, std::string& text,
                          const StopFlag& stop) override {
        if (const auto failed = Ask(url, stop)) {
            return *failed;
        }
        const auto found = pages_.find(url);
        if (found == pages_.end()) {
            return {FetchOutcome::HttpStatus, {}, 404};
        }
        text = found->second;
        return text.empty() ? FetchResult{FetchOutcome::EmptyPage, {}} : FetchResult{};
    }

    FileProbe ProbeFile(const std::string& url, const StopFlag& stop) override {
        if (const auto failed = Ask(url, stop)) {
            return {*failed, {}, {}};
        }
        const auto found = files_.find(url);
        return found == files_.end() ? FileProbe{{FetchOutcome::HttpStatus, {}, 404}, {}, {}}
                                     : found->second;
    }

    const std::vector<std::string>& requests() const { return requests_; }
    size_t Count(const std::string& url) const {
        return static_cast<size_t>(std::count(requests_.begin(), requests_.end(), url));
    }

    // Sees each address as it is asked for; a stop it asks for ends that
    // request as Stopped, as a stop during a transfer does.
    std::function<void(const std::string& url)> onRequest;

private:
    std::optional<FetchResult> Ask(const std::string& url, const StopFlag& stop) {
        requests_.push_back(url);
        if (onRequest) {
            onRequest(url);
        }
        return IsStopped(stop) ? std::optional(FetchResult{FetchOutcome::Stopped, {}})
                               : std::nullopt;
    }

    std::map<std::string, std::string> pages_;
    std::map<std::string, FileProbe> files_;
    std::vector<std::string> requests_;
};

}  // namespace bramix::testing
