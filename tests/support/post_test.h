#pragma once

// The search side from memory: a job on a MemoryWeb of its own whose events
// are recorded, matching nothing unless a test says so, with no pause after
// posts.

#include "posts/search_records.h"
#include "support/event_recorder.h"
#include "support/memory_web.h"
#include "support/web_test.h"

namespace bramix::testing {

struct MemorySearch {
    MemorySearch() {
        job.input = "zzz";
        job.listener = &recorder;
        job.web = &web;
        job.postPause = {};
    }
    MemorySearch(const MemorySearch&) = delete;
    MemorySearch& operator=(const MemorySearch&) = delete;

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
