#pragma once

// A test of post analysis: a job whose finds are recorded, a fresh set of
// seen links, and the stand-in web for pages and file servers.

#include <string>

#include "posts/search_records.h"
#include "support/event_recorder.h"
#include "support/web_test.h"

namespace bramix::testing {

class PostTest : public WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        job_.seenLinks.clear();
        job_.input = "zzz";  // matches nothing unless a test says so
        job_.listener = &recorder_;
    }

    // An audio file's server: 200 with the headers given; an empty length
    // sends no Content-Length.
    void SetFile(const std::string& url, const std::string& contentLength,
                 const std::string& disposition = "") {
        standin::Reply reply = standin::LargeBody(
            contentLength.empty() ? 1000 : std::stoull(contentLength), "audio/mpeg");
        reply.announceLength = !contentLength.empty();
        if (!disposition.empty()) {
            reply.headers.emplace_back("Content-Disposition", disposition);
        }
        web_.Set(url, reply);
    }

    size_t RequestsFor(const std::string& url) const {
        size_t count = 0;
        for (const std::string& requested : web_.RequestedUrls()) {
            count += requested == url ? 1 : 0;
        }
        return count;
    }

    SearchJob job_;
    EventRecorder recorder_;
};

}  // namespace bramix::testing
