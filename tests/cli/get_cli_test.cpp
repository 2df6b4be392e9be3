// bramix-cli get as a script and a person run it: fed by bramix-cli search and
// a list, given an address, interrupted and run again.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/display_width.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"
#include "support/web_test.h"
#include "world.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using testing::Ansi;
using testing::ReadFile;
using testing::RunProcess;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

class GetCliTest : public testing::WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        ServeWorld(standin::World::Parse(R"(
post tistory song.tistory.com/1 | Song Blog | 봄노래 모음
  attach cfile5.uf.tistory.com/attach/A1 | 봄노래.mp3 | size=1500000
  embed cfile5.uf.tistory.com/original/B2 | size=2400016 | name=quoted:봄노래 라이브.wma
  embed cfile5.uf.tistory.com/original/C3 | size=900000 | name=quoted:다른 곡.mp3
)"));
    }
    testing::ProcessResult Get(std::vector<std::string> args,
                               const testing::ProcessOptions& options = {}) {
        args.insert(args.begin(), {BRAMIX_CLI, "get", "--dir=" + folder_.string()});
        return RunProcess(args, options);
    }

    testing::TempFolder temp_;
    const fs::path& folder_ = temp_.path();
};

// The search's lines and whatever else a list holds, each line on its own: a
// find's line (TSV or JSON), or an address whose file is named by the server
// (as the search's probe reads it), else by its last part, made safe.
TEST_F(GetCliTest, AListFromSearchOrByHandIsSavedUnderTheNamesItGivesAndItsFaultsAreTold) {
    const auto search = RunProcess({BRAMIX_CLI, "search", "--matched", "봄노래"});
    ASSERT_EQ(search.exitCode, 0);
    standin::Reply named = standin::Page("x");
    named.headers.emplace_back("Content-Disposition", "attachment; filename=" + Ansi("여름.mp3"));
    web_.Set("http://blogfiles.naver.net/n", named);
    for (const char* url :
         {"http://f.example.com/ok.mp3", "http://f.example.com/plain.mp3",
          "http://f.example.com/dir/My_Song.MP3", "http://f.example.com/%EB%85%B8%EB%9E%98.mp3",
          "http://h.example.com/%FF%FE.mp3"}) {
        web_.Set(url, standin::Page("x"));
    }
    const std::string longAddress = "http://f.example.com/" + std::string(8000, 'x');
    std::string lines =
        "\xEF\xBB\xBF# what to fetch, as an editor may save it\n" + search.out +
        "mp3\t0\t1\tgone.mp3\t\thttp://p/1\thttp://f.example.com/gone.mp3\n \t\n"
        "not a line of anything\n"
        "{\"type\":\"mp3\",\"size\":0,\"matched\":true,\"fileName\":\"ok.mp3\",\"title\":\"\","
        "\"pageUrl\":\"http://p/1\",\"fileUrl\":\"http://f.example.com/ok.mp3\"}\n" +
        std::string(1000000, 'y') + "\n" +  // read a piece at a time, and let go
        "http://f.example.com/plain.mp3\r\n" + longAddress + std::string(300, 'x') + "\n" +
        "ftp://f.example.com/nope.mp3\n" + longAddress + "\n";
    const std::pair<std::string, std::string> rows[] = {
        {"http://f.example.com/dir/My_Song.MP3", "My Song.mp3"},
        {"http://f.example.com/노래.mp3", "노래.mp3"},  // typed: asked for escaped as UTF-8
        {"http://blogfiles.naver.net/n", "여름.mp3"},   // code page 949 from Naver
        {"http://h.example.com/%FF%FE.mp3", "\xEF\xBF\xBD\xEF\xBF\xBD.mp3"}};
    std::vector<std::string> names{"list", "봄노래 라이브.wma", "봄노래.mp3", "ok.mp3",
                                   "plain.mp3"};
    for (const auto& [url, name] : rows) {
        lines += url + "\n";
        names.push_back(name);
    }
    // Traced, the names and paths read as they are; the list beside them stays.
    std::ofstream(folder_ / "list") << lines;
    const auto result = RunProcess({"/bin/bash", "-c",
                                    "BRAMIX_TRACE=1 exec \"$0\" get -n 2 -d \"$1\" - < \"$1/list\"",
                                    BRAMIX_CLI, folder_.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(" " + (folder_ / "봄노래 라이브.wma").string() + "\n"),
              std::string::npos);
    EXPECT_TRUE(result.out.starts_with((folder_ / "봄노래.mp3").string() + "\n" +
                                       (folder_ / "봄노래 라이브.wma").string() + "\n"));
    EXPECT_EQ(fs::file_size(folder_ / "봄노래.mp3"), 1500000u);
    for (int line = 1; line <= 18; ++line) {  // only 6, 8, 10 and 11 are bad
        const bool bad = line == 6 || line == 8 || line == 10 || line == 11;
        EXPECT_EQ(result.err.find("line " + std::to_string(line) + " ") != std::string::npos, bad)
            << line << " in " << result.err;
    }
    EXPECT_NE(result.err.find("line 8 is longer than 64 KiB"), std::string::npos);
    EXPECT_NE(result.err.find("line 10 holds an address longer than 8 KiB"), std::string::npos);
    // The failures are told, the long address shortened.
    EXPECT_NE(result.err.find("gave up on http://f.example.com/gone.mp3: "), std::string::npos);
    EXPECT_NE(result.err.find("gave up on http://f.example.com/xxx"), std::string::npos);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(temp_.Contents(), names);
    const auto urls = web_.RequestedUrls();
    EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://f.example.com/gone.mp3"), 2);
}

// Its progress line fits the terminal, the long name shortened, until the
// interrupt once the time left is known; the next run asks for the rest of the
// .part it left.
TEST_F(GetCliTest, AnInterruptedDownloadEndsPromptlyAndResumesWhenRunAgain) {
    const std::string url = "http://f.example.com/slow.mp3";
    const std::string name = "아주 긴 이름의 봄노래 모음 첫째 곡 라이브 녹음 다시 부름.mp3";
    standin::Reply slow = standin::ResumableFile(1000000, "\"v7\"");
    slow.trickleBytes = 2000;
    slow.tricklePause = 10ms;
    web_.Set(url, slow);
    const auto interrupted =
        Get({url, name},
            {.interruptWhen =
                 [](auto& sofar) { return sofar.err.find(" s left") != std::string::npos; },
             .terminalColumns = 40});
    EXPECT_LT(interrupted.afterInterrupt, 2s);
    EXPECT_EQ(interrupted.exitCode, 130);
    EXPECT_EQ(interrupted.out, "");
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 4) {
        end = interrupted.err.find("\r\033[K", start);  // each line after a return and an erase
        EXPECT_LT(DisplayWidth(interrupted.err.substr(start, end - start)), 40u);
    }
    EXPECT_NE(interrupted.err.find("\xE2\x80\xA6"), std::string::npos);  // the name shortened
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{name + ".part"});
    const uintmax_t kept = fs::file_size(folder_ / (name + ".part"));

    web_.Set(url, standin::ResumableFile(1000000, "\"v7\""));
    const auto again = Get({url, name});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{name});
    EXPECT_EQ(ReadFile(folder_ / name), standin::GeneratedBody(0, 1000000));
    EXPECT_EQ(web_.Requests().back().Header("Range"), "bytes=" + std::to_string(kept) + "-");
}

// The list is read to its end before the first download; its writer has more
// to say.
TEST_F(GetCliTest, AnInterruptWhileWaitingForMoreLinesEndsAtOnce) {
    web_.Set("http://f.example.com/a.mp3", standin::Page("x"));
    const auto start = Clock::now();
    const auto result = RunProcess(
        {"/bin/bash", "-c",
         "exec \"$0\" get -d \"$1\" - < <(echo http://f.example.com/a.mp3; exec sleep 5 2>&-)",
         BRAMIX_CLI, folder_.string()},
        {.interruptWhen = [start](auto&) { return Clock::now() > start + 300ms; }});
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_LT(result.afterInterrupt, 2s);
    EXPECT_TRUE(temp_.Contents().empty());
    EXPECT_TRUE(web_.Requests().empty());
}

}  // namespace
}  // namespace bramix
