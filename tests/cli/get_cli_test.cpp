// bramix-cli get as a script and a person run it: alone, fed by bramix-cli
// search, fed a list, interrupted and run again.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
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

    testing::ProcessResult Get(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {BRAMIX_CLI, "get", "--dir=" + folder_.string()});
        return RunProcess(args, input);
    }

    size_t RequestsFor(const std::string& url) const {
        size_t asked = 0;
        for (const auto& requested : web_.RequestedUrls()) {
            asked += requested == url ? 1 : 0;
        }
        return asked;
    }

    // A file whose server names it in its Content-Disposition.
    void SetNamedFile(const std::string& url, const std::string& disposition) {
        standin::Reply reply = standin::Page("named");
        reply.headers.emplace_back("Content-Disposition", disposition);
        web_.Set(url, reply);
    }

    testing::TempFolder temp_;
    const fs::path& folder_ = temp_.path();
};

TEST_F(GetCliTest, APipelineFromSearchSavesTheMatchedFilesUnderTheirNames) {
    for (const char* format : {"--format=tsv", "--format=json"}) {
        const auto search = RunProcess({BRAMIX_CLI, "search", "--matched", format, "봄노래"});
        ASSERT_EQ(search.exitCode, 0);
        // Traced, the names and paths read as they are.
        const auto get = RunProcess(
            {"/usr/bin/env", "BRAMIX_TRACE=1", BRAMIX_CLI, "get", "--dir=" + folder_.string(), "-"},
            search.out);
        EXPECT_EQ(get.exitCode, 0) << get.err;
        EXPECT_NE(get.err.find(" 봄노래 라이브.wma\n"), std::string::npos) << get.err;
        EXPECT_NE(get.err.find(" " + (folder_ / "봄노래 라이브.wma").string() + "\n"),
                  std::string::npos);
        EXPECT_EQ(temp_.Contents(), (std::vector<std::string>{"봄노래 라이브.wma", "봄노래.mp3"}));
        EXPECT_EQ(get.out, (folder_ / "봄노래.mp3").string() + "\n" +
                               (folder_ / "봄노래 라이브.wma").string() + "\n");
        EXPECT_EQ(fs::file_size(folder_ / "봄노래.mp3"), 1500000u);
        fs::remove(folder_ / "봄노래.mp3");
        fs::remove(folder_ / "봄노래 라이브.wma");
    }
}

TEST_F(GetCliTest, AnAddressIsNamedByTheServerElseByItsLastPart) {
    web_.Set("http://f.example.com/dir/My_Song.MP3", standin::Page("x"));
    EXPECT_EQ(Get({"http://f.example.com/dir/My_Song.MP3"}).exitCode, 0);
    EXPECT_EQ(Get({"http://f.example.com/dir/My_Song.MP3", "내 노래.mp3"}).exitCode, 0);
    // A Korean address, typed or escaped, is UTF-8.
    web_.Set("http://f.example.com/%EB%85%B8%EB%9E%98.mp3", standin::Page("x"));
    EXPECT_EQ(Get({"http://f.example.com/노래.mp3"}).exitCode, 0);
    web_.Set("http://f.example.com/%EA%B0%80%EC%9D%84.mp3", standin::Page("x"));
    EXPECT_EQ(Get({"http://f.example.com/%EA%B0%80%EC%9D%84.mp3"}).exitCode, 0);
    EXPECT_EQ(temp_.Contents(),
              (std::vector<std::string>{"My Song.mp3", "가을.mp3", "내 노래.mp3", "노래.mp3"}));

    // The server's name, as the search's probe reads it: quoted or bare,
    // percent-escaped UTF-8, and raw code page 949 from Naver's file servers.
    SetNamedFile("http://f.example.com/q", "attachment; filename=\"quoted name.mp3\"");
    SetNamedFile("http://f.example.com/b", "attachment; filename=bare.mp3");
    SetNamedFile("http://f.example.com/u", "attachment; filename=\"%EB%B4%84.mp3\"");
    SetNamedFile("http://blogfiles.naver.net/n", "attachment; filename=" + Ansi("여름.mp3"));
    SetNamedFile("http://f.example.com/e", "attachment; filename=\"ignored.mp3\"");
    // Parameters after the name are not part of it.
    SetNamedFile("http://f.example.com/p",
                 "attachment; filename=\"first.mp3\"; filename*=UTF-8''other.mp3");
    SetNamedFile("http://f.example.com/r", "attachment; filename=second.mp3; size=5");
    for (const char* url :
         {"http://f.example.com/q", "http://f.example.com/b", "http://f.example.com/u",
          "http://blogfiles.naver.net/n", "http://f.example.com/p", "http://f.example.com/r"}) {
        EXPECT_EQ(Get({url}).exitCode, 0) << url;
    }
    EXPECT_EQ(Get({"http://f.example.com/e", "explicit.mp3"}).exitCode, 0);
    for (const char* name : {"quoted name.mp3", "bare.mp3", "봄.mp3", "여름.mp3", "explicit.mp3",
                             "first.mp3", "second.mp3"}) {
        EXPECT_TRUE(fs::exists(folder_ / name)) << name;
    }
}

TEST_F(GetCliTest, ControlBytesAndBrokenUtf8NeverReachTheDiskOrTheTerminal) {
    web_.Set("http://h.example.com/a%0Ab.mp3", standin::Page("x"));
    web_.Set("http://h.example.com/c.mp3", standin::Page("x"));
    web_.Set("http://h.example.com/%FF%FE.mp3", standin::Page("x"));
    EXPECT_EQ(Get({"http://h.example.com/a%0Ab.mp3"}).exitCode, 0);
    EXPECT_EQ(Get({"http://h.example.com/c.mp3", "\x1B[31mred\tand\nnew.mp3"}).exitCode, 0);
    const auto broken = Get({"http://h.example.com/%FF%FE.mp3"});
    EXPECT_EQ(broken.out, (folder_ / "\xEF\xBF\xBD\xEF\xBF\xBD.mp3").string() + "\n");
    EXPECT_EQ(temp_.Contents(), (std::vector<std::string>{"[31mred and new.mp3", "a b.mp3",
                                                          "\xEF\xBF\xBD\xEF\xBF\xBD.mp3"}));
    const auto refused = Get({"http://\x1B[2J\n"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err.find('\x1B'), std::string::npos);
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 2);
}

TEST_F(GetCliTest, AnExistingFileIsNeverWrittenOver) {
    std::ofstream(folder_ / "a.mp3") << "mine";
    web_.Set("http://f.example.com/a.mp3", standin::Page("theirs"));
    const auto result = Get({"http://f.example.com/a.mp3"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(ReadFile(folder_ / "a.mp3"), "mine");
    EXPECT_EQ(temp_.Contents().size(), 2u);
    EXPECT_EQ(result.out.rfind((folder_ / "a_").string(), 0), 0u);
}

TEST_F(GetCliTest, AFileSavedUnderAPartsNameIsNotTakenUpAgain) {
    web_.Set("http://f.example.com/a.mp3", standin::Page("theirs"));
    ASSERT_EQ(Get({"http://f.example.com/a.mp3", "mine.part"}).exitCode, 0);
    std::ofstream(folder_ / "mine.part", std::ios::app) << " and my notes";
    EXPECT_EQ(Get({"http://f.example.com/a.mp3"}).exitCode, 0);
    EXPECT_EQ(ReadFile(folder_ / "mine.part"), "theirs and my notes");
    EXPECT_EQ(temp_.Contents(), (std::vector<std::string>{"a.mp3", "mine.part"}));
}

TEST_F(GetCliTest, AListMaySayWhatItLikesAndBadLinesAreReported) {
    const std::string longAddress = "http://f.example.com/" + std::string(8000, 'x');
    web_.Set("http://f.example.com/ok.mp3", standin::Page("ok"));
    web_.Set("http://f.example.com/plain.mp3", standin::Page("plain"));
    web_.Set("http://f.example.com/named", standin::Page("named"));
    const std::string lines =
        "\xEF\xBB\xBF# what to fetch, as an editor may save it\n"
        "mp3\t0\t1\tgone.mp3\t\thttp://p/1\thttp://f.example.com/gone.mp3\n"
        " \t\n"
        "not a line of anything\n"
        "{\"type\":\"mp3\",\"size\":0,\"matched\":true,\"fileName\":\"ok.mp3\",\"title\":\"\","
        "\"pageUrl\":\"http://p/1\",\"fileUrl\":\"http://f.example.com/ok.mp3\"}\n" +
        std::string(1000000, 'y') + "\n" +  // read a piece at a time, and let go
        "http://f.example.com/plain.mp3\r\n" + longAddress + std::string(300, 'x') + "\n" +
        "http://f.example.com/named\t이름.mp3\n"
        "ftp://f.example.com/nope.mp3\n" +
        longAddress + "\n";
    const auto result = Get({"-n", "2", "-"}, lines);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("line 4 "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("line 6 is longer than 64 KiB\n"), std::string::npos);
    EXPECT_NE(result.err.find("line 8 holds an address longer than 8 KiB\n"), std::string::npos);
    EXPECT_NE(result.err.find("line 10 "), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("line 1 "), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("line 3 "), std::string::npos) << result.err;
    // The long address's failure is told, with the address shortened.
    EXPECT_NE(result.err.find("gave up on http://f.example.com/xxx"), std::string::npos);
    EXPECT_LT(result.err.size(), 2000u);
    EXPECT_NE(result.err.find("gave up on http://f.example.com/gone.mp3: the server answered 404"),
              std::string::npos);
    EXPECT_EQ(temp_.Contents(), (std::vector<std::string>{"ok.mp3", "plain.mp3", "이름.mp3"}));
    EXPECT_EQ(RequestsFor("http://f.example.com/gone.mp3"), 2u);
    // The live files were fetched before the dead ones' second tries.
    const auto urls = web_.RequestedUrls();
    EXPECT_EQ(std::vector<std::string>(urls.end() - 2, urls.end()),
              (std::vector<std::string>{"http://f.example.com/gone.mp3", longAddress}));
}

TEST_F(GetCliTest, UsageErrorsExitWithTwoAndAskNothing) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"--attempts=x", "http://a/b"},
                                               {"-n", "-1", "http://a/b"},
                                               {"--attempts"},
                                               {"a", "b", "c"},
                                               {"--bogus", "http://a/b"},
                                               {"-", "name"},
                                               {"notaurl"},
                                               {"song.mp3"},
                                               {"-x"},
                                               {"ftp://a/b.mp3"},
                                               {"http://a:99999/b.mp3"},
                                               {"http://[::1/b.mp3"},
                                               {"-n", "+5", "http://a/b"},
                                               {"-n", " 5", "http://a/b"},
                                               {"--dir"},
                                               {"http://a/" + std::string(8192, 'b')}}) {
        std::vector<std::string> argv{BRAMIX_CLI, "get"};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto result = RunProcess(argv);
        EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(result.err.find("try 'bramix-cli --help'"), std::string::npos);
    }
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(GetCliTest, WhatCannotBeReadOrWrittenIsSaid) {
    web_.Set("http://f.example.com/a.mp3", standin::Page("a"));
    const std::string get = std::string(BRAMIX_CLI) + " get --dir=" + folder_.string();
    const auto unreadable = RunProcess({"/bin/sh", "-c", get + " - < /"});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_NE(unreadable.err.find("cannot read the list: Is a directory"), std::string::npos);

    const auto unwritable =
        RunProcess({"/bin/sh", "-c", get + " http://f.example.com/a.mp3 > /dev/full"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("cannot write the saved files' paths: No space left"),
              std::string::npos)
        << unwritable.err;
    EXPECT_TRUE(fs::exists(folder_ / "a.mp3"));
}

TEST_F(GetCliTest, OptionsTakeEveryFormAUserTypes) {
    web_.Set("http://f.example.com/a.mp3", standin::Page("a"));
    const fs::path other = folder_ / "other";
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--dir", other.string()}, {"-d", other.string()}, {"-d" + other.string()}}) {
        std::vector<std::string> argv{BRAMIX_CLI, "get"};
        argv.insert(argv.end(), args.begin(), args.end());
        argv.push_back("http://f.example.com/a.mp3");
        EXPECT_EQ(RunProcess(argv).exitCode, 0) << args[0];
        EXPECT_TRUE(fs::exists(other / "a.mp3")) << args[0];
        fs::remove(other / "a.mp3");
    }
    // A folder typed relative, with a trailing '/': the path printed is whole.
    const auto relative = RunProcess({"/bin/sh", "-c",
                                      "cd " + folder_.string() + " && " + BRAMIX_CLI +
                                          " get -d ./other/ http://f.example.com/a.mp3"});
    EXPECT_EQ(relative.out, (other / "a.mp3").string() + "\n");
}

TEST_F(GetCliTest, AnInterruptedDownloadResumesWhenRunAgain) {
    const std::string url = "http://f.example.com/slow.mp3";
    standin::Reply slow = standin::ResumableFile(1000000, "\"v7\"");
    slow.trickleBytes = 2000;
    slow.tricklePause = 10ms;
    web_.Set(url, slow);
    bool signalled = false;
    const auto interrupted = RunProcess({BRAMIX_CLI, "get", "--dir=" + folder_.string(), url}, "",
                                        [this, &signalled](int pid, const std::string&) {
                                            // Once some of the file has arrived.
                                            std::error_code missing;
                                            const auto size =
                                                fs::file_size(folder_ / "slow.mp3.part", missing);
                                            if (!signalled && !missing && size > 0) {
                                                kill(pid, SIGINT);
                                                signalled = true;
                                            }
                                        });
    EXPECT_EQ(interrupted.exitCode, 130);
    EXPECT_EQ(interrupted.out, "");
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"slow.mp3.part"});
    const uintmax_t kept = fs::file_size(folder_ / "slow.mp3.part");

    // Another name asked for is another file: the .part waits for its own.
    web_.Set(url, standin::ResumableFile(1000000, "\"v7\""));
    EXPECT_EQ(Get({url, "other.mp3"}).exitCode, 0);
    EXPECT_FALSE(web_.Requests().back().HasHeader("Range"));
    EXPECT_EQ(fs::file_size(folder_ / "other.mp3"), 1000000u);
    EXPECT_EQ(fs::file_size(folder_ / "slow.mp3.part"), kept);
    fs::remove(folder_ / "other.mp3");

    const auto again = Get({url});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"slow.mp3"});
    EXPECT_EQ(ReadFile(folder_ / "slow.mp3"), standin::GeneratedBody(0, 1000000));
    EXPECT_EQ(web_.Requests().back().Header("Range"), "bytes=" + std::to_string(kept) + "-");
}

TEST_F(GetCliTest, AnInterruptWhileWaitingForMoreLinesEndsAtOnce) {
    // The list is read to its end before the first download.
    web_.Set("http://f.example.com/a.mp3", standin::Page("x"));
    testing::ProcessOptions options;
    options.input = "http://f.example.com/a.mp3\n";
    options.keepInputOpen = true;
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point signalled{};
    options.onOutput = [&](int pid, const std::string&) {
        if (signalled == std::chrono::steady_clock::time_point{} &&
            std::chrono::steady_clock::now() > start + 300ms) {
            signalled = std::chrono::steady_clock::now();
            kill(pid, SIGINT);
        }
    };
    const auto result = RunProcess({BRAMIX_CLI, "get", "--dir=" + folder_.string(), "-"}, options);
    EXPECT_EQ(result.exitCode, 130);
    ASSERT_NE(signalled, std::chrono::steady_clock::time_point{});
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 2s);
    EXPECT_TRUE(temp_.Contents().empty());
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(GetCliTest, ATypedNameIsKeptAsItStands) {
    // No extension, a dot that starts none, and letters code page 949 lacks.
    web_.Set("http://f.example.com/x", standin::Page("x"));
    for (const char* name : {"노래", "ab", "v1.2 live", "café.mp3"}) {
        EXPECT_EQ(Get({"http://f.example.com/x", name}).exitCode, 0) << name;
    }
    EXPECT_EQ(temp_.Contents(), (std::vector<std::string>{"ab", "café.mp3", "v1.2 live", "노래"}));
}

TEST_F(GetCliTest, TheProgressLineFitsTheTerminal) {
    const std::string name = "아주 긴 이름의 봄노래 모음 첫째 곡 라이브 녹음 다시 부름.mp3";
    web_.Set("http://f.example.com/long.mp3",
             standin::Trickle(standin::GeneratedBody(0, 60000), 3000, 50ms));
    testing::ProcessOptions options;
    options.terminalColumns = 40;
    const auto result = RunProcess(
        {BRAMIX_CLI, "get", "--dir=" + folder_.string(), "http://f.example.com/long.mp3", name},
        options);
    EXPECT_EQ(result.exitCode, 0);
    std::vector<std::string> shown;
    size_t start = 0;
    for (size_t at = result.err.find("\r\033[K"); at != std::string::npos;
         at = result.err.find("\r\033[K", start)) {
        shown.push_back(result.err.substr(start, at - start));
        start = at + 4;
    }
    shown.push_back(result.err.substr(start));
    bool sawPercent = false;
    for (const std::string& line : shown) {
        EXPECT_LT(DisplayWidth(line), 40u) << line;
        sawPercent = sawPercent || line.find('%') != std::string::npos;
    }
    EXPECT_TRUE(sawPercent) << result.err;
    EXPECT_NE(result.err.find("\xE2\x80\xA6"), std::string::npos);  // the name shortened
    EXPECT_TRUE(fs::exists(folder_ / name));
}

}  // namespace
}  // namespace bramix
