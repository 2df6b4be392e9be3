// bramix-cli search as a script runs it, against a small world.

#include <gtest/gtest.h>

#include <csignal>

#include "support/subprocess.h"
#include "support/web_test.h"
#include "world.h"

namespace bramix {
namespace {

using testing::RunProcess;

constexpr const char* kWorld = R"(
post tistory song.tistory.com/1 | Song Blog | 봄노래 모음
  heading 봄노래
  attach cfile5.uf.tistory.com/attach/A1 | 봄노래.mp3
  embed cfile5.uf.tistory.com/original/B2 | size=900000 | name=quoted:봄노래 짧게.mp3
  embed cfile5.uf.tistory.com/original/C3 | size=10695475 | name=quoted:다른 노래.mp3
  embed cfile5.uf.tistory.com/original/D4 | size=2400016 | name=quoted:봄노래 라이브.wma
post tistory song.tistory.com/2 | Song Blog | 봄노래 둘째
  attach cfile5.uf.tistory.com/attach/E5 | 탭이	든 봄노래.mp3
post tistory song.tistory.com/3 | Song Blog | 봄노래 셋째
  attach cfile5.uf.tistory.com/attach/F6 | 마지막 봄노래.mp3
)";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string Field(const std::string& line, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = line.find('\t', start) + 1;
    }
    return line.substr(start, line.find('\t', start) - start);
}

class SearchCliTest : public testing::WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        ServeWorld(standin::World::Parse(kWorld));
    }

    testing::ProcessResult Search(std::vector<std::string> args) {
        args.insert(args.begin(), {BRAMIX_CLI, "search"});
        return RunProcess(args);
    }
};

TEST_F(SearchCliTest, PrintsALinePerFindAsItArrives) {
    const auto result = Search({"http://song.tistory.com/1"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");  // not a terminal: no progress line
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "mp3\t0\t0\t봄노래.mp3\t\thttp://song.tistory.com/1\t"
              "http://cfile5.uf.tistory.com/attach/A1");
    EXPECT_EQ(Field(lines[1], 3), "봄노래 짧게.mp3");
    EXPECT_EQ(Field(lines[2], 3), "다른 노래.mp3");
    EXPECT_EQ(Field(lines[3], 0), "wma");
    EXPECT_EQ(Field(lines[3], 1), "2400016");
}

TEST_F(SearchCliTest, ListsInTheWindowsOrderWithItsMatchRule) {
    const auto lines = Lines(Search({"--order=list", "봄노래"}).out);
    std::vector<std::string> summary;
    for (const std::string& line : lines) {
        summary.push_back(Field(line, 2) + " " + Field(line, 3));
    }
    // Unsized matches first in arrival order, then sized mp3s (this one by
    // its title), then wmas, then the rest: a file under 1 MiB never matches.
    EXPECT_EQ(summary, (std::vector<std::string>{
                           "1 봄노래.mp3",
                           "1 탭이 든 봄노래.mp3",
                           "1 마지막 봄노래.mp3",
                           "1 다른 노래.mp3",
                           "1 봄노래 라이브.wma",
                           "0 봄노래 짧게.mp3",
                       }));
    for (const std::string& line : lines) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 6) << line;
    }
}

TEST_F(SearchCliTest, MatchedLeavesOutTheRest) {
    const auto lines = Lines(Search({"--matched", " 봄노래 ", "MP3"}).out);
    ASSERT_EQ(lines.size(), 5u);
    for (const std::string& line : lines) {
        EXPECT_EQ(Field(line, 2), "1");
    }
}

TEST_F(SearchCliTest, UsageErrorsExitWithTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"  "}, {"--bogus", "x"}, {"--order=random", "x"}}) {
        const auto result = Search(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_NE(result.err, "");
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(RunProcess({BRAMIX_CLI}).exitCode, 2);
    EXPECT_EQ(RunProcess({BRAMIX_CLI, "frobnicate"}).exitCode, 2);
}

TEST_F(SearchCliTest, AnInterruptedSearchStillPrintsWhatItFound) {
    bool signalled = false;
    const auto result = RunProcess(
        {BRAMIX_CLI, "search", "봄노래"}, "", [&signalled](int pid, const std::string& out) {
            if (!signalled && !out.empty()) {
                kill(pid, SIGINT);  // during the pause after the first post
                signalled = true;
            }
        });
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_GE(Lines(result.out).size(), 1u);
    EXPECT_LT(Lines(result.out).size(), 6u);
    for (const auto& request : web_.RequestedUrls()) {
        EXPECT_NE(request, "http://song.tistory.com/3");
    }
}

}  // namespace
}  // namespace bramix
