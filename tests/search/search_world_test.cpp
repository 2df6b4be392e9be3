// A whole search of the demo world through libcurl and the stand-in web, with
// the real pause after each post.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "search/search_job.h"
#include "support/event_recorder.h"
#include "support/web_test.h"
#include "world.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;

class SearchWorldTest : public testing::WebTest {};

TEST_F(SearchWorldTest, ASearchTermRunsThePassesAndReportsEveryFileOnce) {
    ServeWorld(standin::World::Load(BRAMIX_DEMO_WORLD));
    testing::EventRecorder recorder;
    SearchJob job;
    job.input = testing::Ansi("봄");
    job.listener = &recorder;
    const auto started = std::chrono::steady_clock::now();
    SearchThreadProc(&job);
    const auto took = std::chrono::steady_clock::now() - started;

    EXPECT_EQ(recorder.kinds.substr(0, 2), "RP");
    EXPECT_EQ(recorder.kinds.substr(recorder.kinds.size() - 2), "PE");
    EXPECT_TRUE(std::is_sorted(recorder.positions.begin(), recorder.positions.end()));
    EXPECT_EQ(recorder.positions.back(), SEARCH_PROGRESS_MAX);
    std::map<std::string, int> found;
    for (const FoundFile& file : recorder.finds) {
        EXPECT_EQ(++found[file.fileUrl], 1) << file.fileUrl;
    }
    EXPECT_EQ(recorder.finds.size(), 40u);
    // Every address is asked for once, though the engines name Daum posts
    // twice (mp3 and wma) and files recur.
    std::map<std::string, int> asked;
    for (const std::string& url : web_.RequestedUrls()) {
        EXPECT_EQ(++asked[url], 1) << url;
    }
    EXPECT_GE(took, 20 * job.postPause);  // more than 20 posts, each paused after
}

}  // namespace
}  // namespace bramix
