#pragma once

// The network from memory: pages and file headers set per address, every
// request recorded, pages with their time. Hands the search side its pages without a
// server, for tests and fuzz targets; probes answer at once unless delayed
// (so out of order). Not thread-safe.

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
    // The probe of `url` answers after `fetches` more page fetches.
    void DelayProbe(const std::string& url, int fetches) { delays_[url] = fetches; }

    FetchResult FetchPage(const std::string& url, std::string& text,
                          const StopFlag& stop) override {
        AnswerProbes(1);
        pagesAsked.emplace_back(url, Clock::now());
        const auto failed = Ask(url, stop);
        const auto found = pages_.find(url);
        if (failed || found == pages_.end()) {
            return failed ? *failed : FetchResult{FetchOutcome::HttpStatus, {}, 404};
        }
        text = found->second;
        return text.empty() ? FetchResult{FetchOutcome::EmptyPage, {}} : FetchResult{};
    }

    FileProbe ProbeFile(const std::string& url, const StopFlag& stop) {
        const auto failed = Ask(url, stop);
        const auto found = files_.find(url);
        return failed                  ? FileProbe{*failed, {}, {}}
               : found == files_.end() ? FileProbe{{FetchOutcome::HttpStatus, {}, 404}, {}, {}}
                                       : found->second;
    }

    void StartProbe(const std::string& url, const StopFlag& stop, ProbeDone&& done) override {
        held_.push_back({delays_[url], ProbeFile(url, stop), std::move(done)});
        AnswerProbes(0);
    }
    // Answers every probe still held, unless stopped.
    void WaitForProbes(const StopFlag& stop) override { AnswerProbes(IsStopped(stop) ? 0 : 1000); }
    void DropProbes() override { held_.clear(); }

    const std::vector<std::string>& requests() const { return requests_; }
    size_t Count(const std::string& url) const {
        return static_cast<size_t>(std::count(requests_.begin(), requests_.end(), url));
    }
    std::vector<std::pair<std::string, Clock::time_point>> pagesAsked;  // and when

    // Sees each address as it is asked for; a stop it asks for ends that
    // request as Stopped, as a stop during a transfer does.
    std::function<void(const std::string& url)> onRequest;

private:
    struct Held {
        int fetches;
        FileProbe probe;
        ProbeDone done;
    };

    // Answers the probes due once `fetches` more pages have been fetched.
    void AnswerProbes(int fetches) {
        std::vector<Held> due, kept;
        for (Held& held : held_) {
            held.fetches -= fetches;
            (held.fetches > 0 ? kept : due).push_back(std::move(held));
        }
        held_ = std::move(kept);
        for (Held& held : due) {
            held.done(held.probe);
        }
    }

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
    std::map<std::string, int> delays_;
    std::vector<Held> held_;
    std::vector<std::string> requests_;
};

}  // namespace bramix::testing
