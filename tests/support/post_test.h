#pragma once

// The search side from memory: a job on a MemoryWeb of its own whose events
// are recorded, matching nothing unless a test says so, with no pause after
// posts.

#include <string>
#include <vector>

#include "posts/search_records.h"
#include "support/memory_web.h"
#include "support/web_test.h"

namespace bramix::testing {

// What a job reported, each find copied while it is valid. Read it once the
// job has ended.
struct EventRecorder : SearchListener {
    void OnRange(int) override { kinds += 'R'; }
    void OnPosition(int position, int) override {
        kinds += 'P';
        positions.push_back(position);
    }
    void OnFound(const FoundFile& found) override {
        kinds += 'F';
        finds.push_back(found);
        if (stopOnFind != nullptr) {
            *stopOnFind = 1;  // as a user who stops at the first find
        }
    }
    void OnEnd() override { kinds += 'E'; }

    std::string kinds;  // one letter per event: Range, Position, Found, End
    std::vector<int> positions;
    std::vector<FoundFile> finds;
    StopFlag* stopOnFind = nullptr;
};

struct MemorySearch {
    explicit MemorySearch(std::string input = "zzz") {
        job.input = std::move(input);
        job.listener = &recorder;
        job.web = &web;
        job.postPause = {};
    }

    // Asks for the stop at the first request for `url`.
    void StopAt(const std::string& url) {
        web.onRequest = [this, url](const std::string& asked) {
            if (asked == url) {
                job.stopFlag = 1;
            }
        };
    }

    MemoryWeb web;
    EventRecorder recorder;
    SearchJob job;
};

}  // namespace bramix::testing
