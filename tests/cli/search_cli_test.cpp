// bramix-cli search, and what the whole command line shares, as scripts and
// people run it, against a small world.

#include <gtest/gtest.h>

#include <csignal>

#include "base/display_width.h"
#include "results/find_line.h"
#include "support/subprocess.h"
#include "support/unanswered_port.h"
#include "support/web_test.h"
#include "world.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
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

TEST_F(SearchCliTest, OptionsTakeEveryFormAUserTypes) {
    const auto full = Lines(Search({"--order=list", "--matched", "봄노래"}).out);
    ASSERT_EQ(full.size(), 5u);
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--order", "list", "--matched", "봄노래"},
                                               {"-o", "list", "-m", "봄노래"},
                                               {"-olist", "-mq", " 봄노래 ", "MP3"},
                                               {"-m", "--order=list", "--", "봄노래"}}) {
        const auto result = Search(args);
        EXPECT_EQ(result.exitCode, 0) << args[0];
        EXPECT_EQ(Lines(result.out), full) << args[0];
    }
    // After "--", what looks like an option is searched for.
    Search({"--", "--matched"});
    ASSERT_FALSE(web_.RequestedUrls().empty());
    EXPECT_NE(web_.RequestedUrls().back().find("as_q=--matched+mp3"), std::string::npos);
}

TEST_F(SearchCliTest, JsonLinesReadBackAsTheFindsTheyWere) {
    const auto result = Search({"--format=json", "--order=list", "봄노래"});
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4],
              "{\"type\":\"wma\",\"size\":2400016,\"matched\":true,\"fileName\":\"봄노래 "
              "라이브.wma\",\"title\":\"\",\"pageUrl\":\"http://song.tistory.com/1\","
              "\"fileUrl\":\"http://cfile5.uf.tistory.com/original/D4\"}");
    EXPECT_NE(lines[1].find("\"fileName\":\"탭이\\t든 봄노래.mp3\""), std::string::npos);
    for (const std::string& line : lines) {
        const auto target = ParseFindLine(line);
        ASSERT_TRUE(target) << line;
        EXPECT_EQ(target->fileUrl.rfind("http://cfile5.uf.tistory.com/", 0), 0u);
    }
    EXPECT_EQ(ParseFindLine(lines[1])->fileName, testing::Ansi("탭이\t든 봄노래.mp3"));
}

TEST_F(SearchCliTest, HelpAndVersionGoToStandardOutput) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}}) {
        std::vector<std::string> argv{BRAMIX_CLI};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto result = RunProcess(argv);
        EXPECT_EQ(result.exitCode, 0) << args[0];
        EXPECT_NE(result.out.find("bramix-cli search"), std::string::npos) << args[0];
        EXPECT_NE(result.out.find("bramix-cli get"), std::string::npos) << args[0];
        EXPECT_EQ(result.err, "");
    }
    for (const char* command : {"search", "get"}) {
        for (const char* help : {"--help", "-h"}) {
            const auto result = RunProcess({BRAMIX_CLI, command, help});
            EXPECT_EQ(result.exitCode, 0) << command << help;
            EXPECT_NE(result.out.find("exit status"), std::string::npos) << command;
            EXPECT_NE(result.out.find("example"), std::string::npos) << command;
        }
    }
    const auto version = RunProcess({BRAMIX_CLI, "--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "bramix-cli " BRAMIX_PROJECT_VERSION "\n");
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(SearchCliTest, UsageErrorsNameTheProblemAndAskNothing) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"search"},
                                                                  {"search", "  "},
                                                                  {"search", "--bogus", "x"},
                                                                  {"search", "--order=random", "x"},
                                                                  {"search", "--order"},
                                                                  {"search", "-z", "x"},
                                                                  {"search", "--format=xml", "x"},
                                                                  {},
                                                                  {"frobnicate"}}) {
        std::vector<std::string> argv{BRAMIX_CLI};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto result = RunProcess(argv);
        EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(result.out, "");
        const auto lines = Lines(result.err);
        ASSERT_EQ(lines.size(), 2u) << result.err;
        EXPECT_EQ(lines[1], "try 'bramix-cli --help'");
    }
    // What the option parser says; long names are never abbreviated.
    for (const auto& [args, problem] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--ord", "list", "x"}, "unknown option '--ord'"},
             {{"--matched=1", "x"}, "option '--matched' takes no value"},
             {{"x", "--order"}, "option '--order' needs a value"},
             {{"-mz", "x"}, "unknown option '-z'"},
             {{"-mo"}, "option '-o' needs a value"},
             {{"-m\x01"}, "unknown option '-?'"}}) {
        std::vector<std::string> argv{BRAMIX_CLI, "search"};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto result = RunProcess(argv);
        EXPECT_EQ(result.exitCode, 2) << args[0];
        EXPECT_EQ(Lines(result.err)[0], "bramix-cli search: " + problem);
    }
    EXPECT_TRUE(web_.Requests().empty());
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

TEST_F(SearchCliTest, AStopReachesAPageThatDrips) {
    // The post drips two bytes a second; the stop must not wait for it.
    web_.Set("http://song.tistory.com/1", standin::Trickle(std::string(2000, 'x'), 2, 1s));
    std::chrono::steady_clock::time_point signalled{};
    const auto result = RunProcess(
        {BRAMIX_CLI, "search", "http://song.tistory.com/1"}, "", [&](int pid, const std::string&) {
            if (signalled == std::chrono::steady_clock::time_point{} && !web_.Requests().empty()) {
                signalled = std::chrono::steady_clock::now();
                kill(pid, SIGINT);
            }
        });
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 2s);
}

TEST_F(SearchCliTest, AnInputThatLeavesNothingToAskIsSaid) {
    for (const char* input : {"mp3", "ftp://song.tistory.com/1"}) {
        const auto result = Search({input});
        EXPECT_EQ(result.exitCode, 0) << input;
        EXPECT_EQ(result.out, "") << input;
        EXPECT_NE(result.err.find("nothing was asked: "), std::string::npos) << input;
    }
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(SearchCliTest, AddressesArePrintedAsTheyWereAsked) {
    ServeWorld(standin::World::Parse(R"(
post tistory song.tistory.com/9 | Blog | 봄노래
  embed cfile5.uf.tistory.com/original/봄노래 | size=2400016 | name=quoted:봄노래.mp3
)"));
    // The file answers where the escaped address leads.
    standin::Reply file = standin::ResumableFile(1000000, "\"v1\"");
    file.headers.emplace_back("Content-Disposition", "attachment; filename=\"a.mp3\"");
    web_.Set("http://cfile5.uf.tistory.com/original/%BA%BD%B3%EB%B7%A1", file);
    const auto result = Search({"http://song.tistory.com/9"});
    ASSERT_EQ(Lines(result.out).size(), 1u)
        << result.err << ::testing::PrintToString(web_.RequestedUrls());
    const std::string fileUrl = Field(Lines(result.out)[0], 6);
    EXPECT_EQ(fileUrl, "http://cfile5.uf.tistory.com/original/%BA%BD%B3%EB%B7%A1");
    const auto asked = web_.RequestedUrls();
    EXPECT_NE(std::find(asked.begin(), asked.end(), fileUrl), asked.end());
}

// A post of more finds than a pipe holds: a search whose reader never reads
// them is stuck in a write.
class StuckSearchTest : public SearchCliTest {
protected:
    void SetUp() override {
        SearchCliTest::SetUp();
        std::string world = "post tistory many.tistory.com/1 | Blog | 봄노래 모음\n";
        for (int i = 0; i < 3000; ++i) {
            world += "  attach cfile5.uf.tistory.com/attach/M" + std::to_string(i) + " | 봄노래 " +
                     std::to_string(i) + ".mp3\n";
        }
        ServeWorld(standin::World::Parse(world));
    }

    // Runs the search, its output unread, and once it has been stuck for a
    // second sends `signals`, one each time its output is looked at.
    testing::ProcessResult RunStuck(std::vector<int> signals,
                                    std::chrono::steady_clock::time_point& firstSignal) {
        testing::ProcessOptions options;
        options.outputUnread = true;
        std::chrono::steady_clock::time_point asked{};
        options.onOutput = [&](int pid, const std::string&) {
            const auto now = std::chrono::steady_clock::now();
            if (asked == std::chrono::steady_clock::time_point{}) {
                asked = web_.Requests().empty() ? asked : now;
            } else if (!signals.empty() && now > asked + 1s) {
                if (firstSignal == std::chrono::steady_clock::time_point{}) {
                    firstSignal = now;
                }
                kill(pid, signals.front());
                signals.erase(signals.begin());
            }
        };
        return RunProcess({BRAMIX_CLI, "search", "http://many.tistory.com/1"}, options);
    }
};

TEST_F(StuckSearchTest, AStopEndsItAll) {
    std::chrono::steady_clock::time_point signalled{};
    const auto result = RunStuck({SIGINT}, signalled);
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_EQ(result.signal, 0);
    ASSERT_NE(signalled, std::chrono::steady_clock::time_point{});
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 2s);
}

// The first signal leaves it 450 ms to end; a second one of either kind,
// 50 ms later, ends it at once.
TEST_F(StuckSearchTest, ASecondSignalOfEitherKindEndsTheProgramAtOnce) {
    for (const auto& signals : {std::vector{SIGINT, SIGTERM}, std::vector{SIGTERM, SIGINT}}) {
        std::chrono::steady_clock::time_point signalled{};
        const auto result = RunStuck(signals, signalled);
        EXPECT_EQ(result.signal, signals[1]) << result.exitCode;
    }
}

TEST_F(SearchCliTest, AReaderThatGoesAwayEndsTheSearchQuietly) {
    testing::ProcessOptions options;
    options.hangUpAfterFirstLine = true;
    const auto result = RunProcess({BRAMIX_CLI, "search", "봄노래"}, options);
    EXPECT_EQ(result.exitCode, 141);
    EXPECT_EQ(result.err, "");
    EXPECT_LT(result.afterHangUp, 2s);
    // The search went no further than the post it was in.
    for (const auto& request : web_.RequestedUrls()) {
        EXPECT_NE(request, "http://song.tistory.com/3");
    }
}

TEST_F(SearchCliTest, NoServiceReachableIsExitThreeWithTheReason) {
    testing::UnansweredPort unanswered;  // every connect times out after a second
    setenv("http_proxy", unanswered.Url().c_str(), 1);
    const auto result = Search({"http://song.tistory.com/1"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("posts: 1 of 1 requests failed (first: transfer error:"),
              std::string::npos)
        << result.err;

    // A term whose every result page fails: the services it asked are named.
    setenv("http_proxy", web_.ProxyUrl().c_str(), 1);
    web_.SetFallback([](const standin::RecordedRequest&) { return standin::Status(503); });
    const auto failed = Search({"봄노래"});
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_NE(failed.err.find("Google/Tistory: 2 of 2 requests failed (first: HTTP status 503)"),
              std::string::npos)
        << failed.err;
    EXPECT_NE(failed.err.find("Naver: 2 of 2 requests failed"), std::string::npos);
}

TEST_F(SearchCliTest, TheProgressLineFitsTheTerminal) {
    testing::ProcessOptions options;
    options.terminalColumns = 30;
    const auto result = RunProcess({BRAMIX_CLI, "search", "봄노래"}, options);
    EXPECT_EQ(result.exitCode, 0);
    // Each state of the line, after its carriage return and erase.
    std::vector<std::string> shown;
    std::string line;
    for (const char c : result.err) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) {
                shown.push_back(line);
            }
            line.clear();
        } else {
            line += c;
        }
    }
    ASSERT_GE(shown.size(), 3u);
    for (std::string text : shown) {
        if (text.rfind("\033[K", 0) == 0) {
            text.erase(0, 3);
        }
        EXPECT_LT(DisplayWidth(text), 30u) << text;
    }
    EXPECT_NE(result.err.find("130/130"), std::string::npos);
    EXPECT_NE(result.err.find("6 finds, 5 matching"), std::string::npos) << result.err;

    // No drawing at all without a terminal, or with -q on one.
    EXPECT_EQ(Search({"봄노래"}).err, "");
    options.terminalColumns = 80;
    EXPECT_EQ(RunProcess({BRAMIX_CLI, "search", "-q", "봄노래"}, options).err, "");
}

}  // namespace
}  // namespace bramix
