#pragma once

// The network from memory: pages and file headers set per address, every
// request recorded. Hands the search side its pages without a server, for
// tests and fuzz targets. Not thread-safe.

#include <map>
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

    FetchResult FetchPage(const std::string& url, std::string& text, const StopFlag&) override {
        requests_.push_back(url);
        const auto found = pages_.find(url);
        if (found == pages_.end()) {
            return {FetchOutcome::HttpStatus, {}, 404};
        }
        text = found->second;
        return text.empty() ? FetchResult{FetchOutcome::EmptyPage, {}} : FetchResult{};
    }

    FileProbe ProbeFile(const std::string& url, const StopFlag&) override {
        requests_.push_back(url);
        const auto found = files_.find(url);
        return found == files_.end() ? FileProbe{{FetchOutcome::HttpStatus, {}, 404}, {}, {}}
                                     : found->second;
    }

    const std::vector<std::string>& requests() const { return requests_; }

private:
    std::map<std::string, std::string> pages_;
    std::map<std::string, FileProbe> files_;
    std::vector<std::string> requests_;
};

}  // namespace bramix::testing
