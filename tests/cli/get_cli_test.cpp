// bramix-cli get as a script runs it: alone and fed by bramix-cli search.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "support/subprocess.h"
#include "support/temp_folder.h"
#include "support/web_test.h"
#include "world.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using testing::RunProcess;
namespace fs = std::filesystem;

constexpr const char* kWorld = R"(
post tistory song.tistory.com/1 | Song Blog | 봄노래 모음
  attach cfile5.uf.tistory.com/attach/A1 | 봄노래.mp3 | size=1500000
  embed cfile5.uf.tistory.com/original/B2 | size=2400016 | name=quoted:봄노래 라이브.wma
  embed cfile5.uf.tistory.com/original/C3 | size=900000 | name=quoted:다른 곡.mp3
)";

class GetCliTest : public testing::WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        ServeWorld(standin::World::Parse(kWorld));
    }

    std::string Dir() const { return "--dir=" + folder_.string(); }

    testing::TempFolder temp_;
    const fs::path& folder_ = temp_.path();
};

TEST_F(GetCliTest, APipelineFromSearchSavesTheMatchedFilesUnderTheirNames) {
    const auto search = RunProcess({BRAMIX_CLI, "search", "--matched", "봄노래"});
    ASSERT_EQ(search.exitCode, 0);
    const auto get = RunProcess({BRAMIX_CLI, "get", Dir(), "-"}, search.out);
    EXPECT_EQ(get.exitCode, 0) << get.err;
    EXPECT_EQ(temp_.Contents(), (std::vector<std::string>{"봄노래 라이브.wma", "봄노래.mp3"}));
    EXPECT_EQ(get.out, (folder_ / "봄노래.mp3").string() + "\n" +
                           (folder_ / "봄노래 라이브.wma").string() + "\n");
    EXPECT_EQ(fs::file_size(folder_ / "봄노래.mp3"), 1500000u);
}

TEST_F(GetCliTest, OneAddressIsNamedByItsLastSegmentOrTheNameGiven) {
    web_.Set("http://f.example.com/dir/My_Song.MP3", standin::Page("x"));
    EXPECT_EQ(
        RunProcess({BRAMIX_CLI, "get", Dir(), "http://f.example.com/dir/My_Song.MP3"}).exitCode, 0);
    EXPECT_EQ(RunProcess(
                  {BRAMIX_CLI, "get", Dir(), "http://f.example.com/dir/My_Song.MP3", "내 노래.mp3"})
                  .exitCode,
              0);
    EXPECT_EQ(temp_.Contents(), (std::vector<std::string>{"My Song.mp3", "내 노래.mp3"}));
}

TEST_F(GetCliTest, AnExistingFileIsNeverWrittenOver) {
    std::ofstream(folder_ / "a.mp3") << "mine";
    web_.Set("http://f.example.com/a.mp3", standin::Page("theirs"));
    const auto result = RunProcess({BRAMIX_CLI, "get", Dir(), "http://f.example.com/a.mp3"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(testing::ReadFile(folder_ / "a.mp3"), "mine");
    EXPECT_EQ(temp_.Contents().size(), 2u);
    EXPECT_EQ(result.out.rfind((folder_ / "a_").string(), 0), 0u);
}

TEST_F(GetCliTest, AFileThatKeepsFailingIsGivenUpWithExitOne) {
    web_.Set("http://f.example.com/ok.mp3", standin::Page("ok"));
    const std::string lines =
        "mp3\t0\t1\tgone.mp3\t\thttp://p/1\thttp://f.example.com/gone.mp3\n"
        "not a search line\n"
        "mp3\t0\t1\tok.mp3\t\thttp://p/1\thttp://f.example.com/ok.mp3\n";
    const auto result = RunProcess({BRAMIX_CLI, "get", Dir(), "--attempts=2", "-"}, lines);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("line 2"), std::string::npos);
    EXPECT_NE(result.err.find("gave up on http://f.example.com/gone.mp3: the server answered 404"),
              std::string::npos);
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"ok.mp3"});
    size_t asked = 0;
    for (const auto& url : web_.RequestedUrls()) {
        asked += url == "http://f.example.com/gone.mp3" ? 1 : 0;
    }
    EXPECT_EQ(asked, 2u);
}

TEST_F(GetCliTest, UsageErrorsExitWithTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {"--attempts=x", "http://a/b"},
                                                                  {"--attempts=-1", "http://a/b"},
                                                                  {"a", "b", "c"},
                                                                  {"--bogus", "http://a/b"},
                                                                  {"-", "name"}}) {
        std::vector<std::string> argv{BRAMIX_CLI, "get"};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto result = RunProcess(argv);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_NE(result.err, "");
    }
}

TEST_F(GetCliTest, AnInterruptedDownloadLeavesNoPartialFile) {
    web_.Set("http://f.example.com/slow.mp3",
             standin::Trickle(standin::GeneratedBody(0, 1000000), 2000, 10ms));
    bool signalled = false;
    const auto result = RunProcess({BRAMIX_CLI, "get", Dir(), "http://f.example.com/slow.mp3"}, "",
                                   [this, &signalled](int pid, const std::string&) {
                                       // Once some of the file has arrived.
                                       std::error_code missing;
                                       const auto size =
                                           fs::file_size(folder_ / "slow.mp3", missing);
                                       if (!signalled && !missing && size > 0) {
                                           kill(pid, SIGINT);
                                           signalled = true;
                                       }
                                   });
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(temp_.Contents().empty());
}

}  // namespace
}  // namespace bramix
