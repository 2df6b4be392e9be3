#pragma once

// The network from memory: pages and file headers set per address, every
// request recorded with its time. Hands the search side its pages without a
// server, for tests and fuzz targets. Probes answer at once unless delayed,
// which makes them answer out of order. Not thread-safe.

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/web_client.h"

namespace bramix::testing {

class MemoryWeb : public WebClient {
public:
    void SetPage(const std::string& url, std::string text) { pages_[url] = std::move(text); }
    void SetFile(const std::string& url, std::string disposition, std::string length) {
        files_[url] = {FetchResult{}, std::move(disposition), std::move(length)};
    }
    // The probe of `url` answers after `steps` more page fetches or waits.
    void DelayProbe(const std::string& url, int steps) { delays_[url] = steps; }

    FetchResult FetchPage(const std::string& url, std::string& text,
                          const StopFlag& stop) override {
        Step();
        const auto failed = Ask(url, stop);
        std::this_thread::sleep_for(pageTime);
        if (failed) {
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

    void StartProbe(const std::string& url, const StopFlag& stop, ProbeDone done) override {
        FileProbe probe = ProbeFile(url, stop);
        const auto delay = delays_.find(url);
        if (delay == delays_.end()) {
            return done(probe);
        }
        held_.push_back({delay->second, std::move(probe), std::move(done)});
    }
    void WaitUntil(const StopFlag& stop, Clock::time_point deadline) override {
        Step();
        WebClient::WaitUntil(stop, deadline);
    }
    void WaitForProbes(const StopFlag& stop) override {
        while (!held_.empty() && !IsStopped(stop)) {
            Step();
        }
    }
    void DropProbes() override { held_.clear(); }

    const std::vector<std::string>& requests() const { return requests_; }
    size_t Count(const std::string& url) const {
        return static_cast<size_t>(std::count(requests_.begin(), requests_.end(), url));
    }
    std::vector<Clock::time_point> times;  // when each request was made
    std::chrono::milliseconds pageTime{};  // how long each page takes to come

    // Sees each address as it is asked for; a stop it asks for ends that
    // request as Stopped, as a stop during a transfer does.
    std::function<void(const std::string& url)> onRequest;

private:
    struct Held {
        int steps;
        FileProbe probe;
        ProbeDone done;
    };

    void Step() {
        std::vector<Held> due, kept;
        for (Held& held : held_) {
            (--held.steps > 0 ? kept : due).push_back(std::move(held));
        }
        held_ = std::move(kept);
        for (Held& held : due) {
            held.done(held.probe);
        }
    }

    std::optional<FetchResult> Ask(const std::string& url, const StopFlag& stop) {
        requests_.push_back(url);
        times.push_back(Clock::now());
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
