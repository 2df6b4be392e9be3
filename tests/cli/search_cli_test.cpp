// bramix-cli search, and what the whole command line shares, as scripts and
// people run it, against a small world.

#include <gtest/gtest.h>

#include "results/find_line.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"
#include "support/web_test.h"
#include "world.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using testing::RunProcess;
using Clock = std::chrono::steady_clock;

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
post tistory song.tistory.com/9 | Blog | 여름
  embed cfile5.uf.tistory.com/original/봄노래 | size=2400016 | name=quoted:봄노래.mp3
)";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

class SearchCliTest : public testing::WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        ServeWorld(standin::World::Parse(kWorld));
    }
    testing::ProcessResult Search(std::vector<std::string> args,
                                  const testing::ProcessOptions& options = {}) {
        args.insert(args.begin(), {BRAMIX_CLI, "search"});
        return RunProcess(args, options);
    }
    bool Asked(const std::string& url) const {
        const auto urls = web_.RequestedUrls();
        return std::find(urls.begin(), urls.end(), url) != urls.end();
    }
};

TEST_F(SearchCliTest, PrintsFindsAsTsvOrJsonInArrivalOrListOrderWhateverTheOptionsSpelling) {
    const auto arrival = Search({"http://song.tistory.com/1"});
    EXPECT_EQ(arrival.exitCode, 0);
    EXPECT_EQ(arrival.err, "");  // not a terminal: no progress line
    ASSERT_EQ(Lines(arrival.out).size(), 4u);
    EXPECT_EQ(Lines(arrival.out)[0],
              "mp3\t0\t0\t봄노래.mp3\t\thttp://song.tistory.com/1\t"
              "http://cfile5.uf.tistory.com/attach/A1");

    // The same finds in the window's order, matches first, the progress line
    // kept on a terminal; quiet draws none, and --matched leaves the last out.
    const auto list = Search({"--order=list", "봄노래"}, {.terminalColumns = 30});
    EXPECT_NE(list.err.find("130/130"), std::string::npos);
    const auto json =
        Search({"--format=json", "-olist", "-mq", " 봄노래 ", "MP3"}, {.terminalColumns = 80});
    EXPECT_EQ(json.err, "");
    const auto listed = Lines(list.out), matched = Lines(json.out);
    ASSERT_EQ(listed.size(), 6u);
    ASSERT_EQ(matched.size(), 5u);
    const std::string files = "http://cfile5.uf.tistory.com/";
    const char* order[] = {"attach/A1", "attach/E5", "attach/F6", "original/C3", "original/D4"};
    for (size_t i = 0; i < matched.size(); ++i) {
        EXPECT_EQ(ParseFindLine(listed[i])->fileUrl, files + order[i]);
        EXPECT_EQ(ParseFindLine(matched[i])->fileUrl, files + order[i]);
    }
    EXPECT_NE(matched[1].find("\"fileName\":\"탭이\\t든 봄노래.mp3\""), std::string::npos);
    EXPECT_NE(listed[5].find("\t0\t봄노래 짧게.mp3\t"), std::string::npos);  // under 1 MiB

    Search({"--", "--matched"});  // after "--", an option is searched for
    EXPECT_NE(web_.RequestedUrls().back().find("as_q=--matched+mp3"), std::string::npos);
}

// Run by a shell in an empty folder: a token of what each says. A usage error
// is two lines, whatever was typed, and asks nothing.
TEST_F(SearchCliTest, EachCommandLineEndsWithItsStatusAndSaysWhy) {
    testing::TempFolder temp;
    const std::string url = " http://f.example.com/a.mp3";
    const std::string never = " http://f.example.com/never.mp3";
    web_.Set("http://f.example.com/a.mp3", standin::Page("a"));
    // An address of code page 949 bytes is printed escaped, as it was asked for.
    const std::string escaped = "http://cfile5.uf.tistory.com/original/%BA%BD%B3%EB%B7%A1";
    standin::Reply file = standin::ResumableFile(1000000, "\"v1\"");
    file.headers.emplace_back("Content-Disposition", "attachment; filename=\"a.mp3\"");
    web_.Set(escaped, file);
    const struct {
        std::string command;
        int exitCode;
        std::string token;
    } rows[] = {
        // clang-format off
        {"--help", 0, "bramix-cli get"}, {"-h", 0, "bramix-cli search"},
        {"help", 0, "bramix-cli search"}, {"search -h", 0, "exit status"},
        {"get --help", 0, "exit status"}, {"search mp3", 0, "nothing was asked"},
        {"--version", 0, "bramix-cli " BRAMIX_PROJECT_VERSION "\n"},
        {"search ftp://song.tistory.com/1", 0, "http://"},
        {"search http://song.tistory.com/9", 0, "\t" + escaped + "\n"},
        // A reader that goes away ends the search quietly, in the post it was in.
        {"search 봄노래 | head -1 >/dev/null; echo \"exit ${PIPESTATUS[0]}\"", 0, "exit 141\n"},
        {"get -d ./o/" + url, 0, temp.string() + "/o/a.mp3\n"},  // the folder printed whole
        {"get -d . - < /", 1, "cannot read the list"},
        {"get -d ." + url + " >/dev/full", 1, "cannot write the saved files' paths"},
        // Never over a file, nor taking up one named like a .part.
        {"get -d ." + url + " mine.part && echo notes >> mine.part", 0, "/mine.part\n"},
        {"get -d ." + url, 0, temp.string() + "/a_"},
        {"", 2, "no command"}, {"frobnicate", 2, "'frobnicate'"},
        {"search", 2, "nothing to search for"}, {"search '  '", 2, "nothing to search for"},
        {"search --bogus x", 2, "'--bogus'"}, {"search -z x", 2, "'-z'"},
        {"search --ord list x", 2, "'--ord'"},  // never abbreviated
        {"search --order=random x", 2, "'random'"},
        {"search --format=xml x", 2, "'xml'"}, {"search -mz x", 2, "'-z'"},
        {"search --order", 2, "'--order' needs"}, {"search x --order", 2, "'--order' needs"},
        {"search --matched=1 x", 2, "takes no value"}, {"search '-m\x01'", 2, "'-?'"},
        {"search -mo", 2, "'-o' needs a value"}, {"get", 2, "give one address"},
        {"get a b c", 2, "give one"}, {"get - name", 2, "give one address"},
        {"get --bogus" + never, 2, "'--bogus'"}, {"get -n +5" + never, 2, "'+5'"},
        {"get ftp://a/b.mp3", 2, "'ftp://a/b.mp3'"}, {"get --dir=" + never, 2, "--dir"},
        {"get http://a:99999/b.mp3", 2, "'http://a:99999/b.mp3'"},
        {"get 'http://\x1B[2J\n'", 2, "'http://?[2J?'"},
        {"get http://a/" + std::string(8192, 'b'), 2, "longer than 8 KiB"},
        // clang-format on
    };
    for (const auto& row : rows) {
        const auto result = RunProcess(
            {"/bin/bash", "-c", "cd \"$1\" && \"$0\" " + row.command, BRAMIX_CLI, temp.string()});
        SCOPED_TRACE(row.command + "\n" + result.out + result.err);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_NE((result.out + result.err).find(row.token), std::string::npos);
        if (row.exitCode == 2) {
            EXPECT_EQ(result.out, "");
            EXPECT_NE(result.err.find("\ntry 'bramix-cli --help'\n"), std::string::npos);
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2);
        }
    }
    EXPECT_EQ(testing::ReadFile(temp.path() / "a.mp3"), "a");  // its path not written
    EXPECT_EQ(testing::ReadFile(temp.path() / "mine.part"), std::string("a") + "notes\n");
    EXPECT_EQ(temp.Contents().size(), 4u);
    const auto urls = web_.RequestedUrls();
    EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://f.example.com/never.mp3"), 0);
    EXPECT_FALSE(Asked("http://song.tistory.com/3"));
}

TEST_F(SearchCliTest, AnInterruptEndsASearchInADrippingPostAndPrintsWhatItFound) {
    web_.Set("http://song.tistory.com/2", standin::Trickle(std::string(2000, 'x'), 2, 1s));
    const auto result =
        Search({"봄노래"},
               {.interruptWhen = [this](auto&) { return Asked("http://song.tistory.com/2"); }});
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_LT(result.afterInterrupt, 2s);
    EXPECT_EQ(Lines(result.out).size(), 4u);  // the first post's
    EXPECT_FALSE(Asked("http://song.tistory.com/3"));
}

// A post of more finds than a pipe holds, its reader never reading them (as a
// pager its user has stopped at): a search stuck in a write for a second ends
// at the interrupt all the same.
TEST_F(SearchCliTest, AnInterruptEndsASearchStuckInAWrite) {
    std::string world = "post tistory many.tistory.com/1 | Blog | 봄노래 모음\n";
    for (int i = 0; i < 3000; ++i) {
        world += "  attach cfile5.uf.tistory.com/attach/M" + std::to_string(i) + " | 봄 " +
                 std::to_string(i) + ".mp3\n";
    }
    ServeWorld(standin::World::Parse(world));
    Clock::time_point asked{};
    testing::ProcessOptions options{.interruptWhen = [&](auto&) {
        asked = asked != Clock::time_point{} || web_.Requests().empty() ? asked : Clock::now();
        return asked != Clock::time_point{} && Clock::now() > asked + 1s;
    }};
    const auto result = RunProcess({"/bin/bash", "-c",
                                    "exec \"$0\" search http://many.tistory.com/1 "
                                    "> >(exec sleep 5 >/dev/null 2>&1)",
                                    BRAMIX_CLI},
                                   options);
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_LT(result.afterInterrupt, 2s);
}

TEST_F(SearchCliTest, NoServiceReachableIsExitThreeWithTheServicesNamed) {
    web_.SetFallback([](const standin::RecordedRequest&) { return standin::Status(503); });
    const auto result = Search({"봄노래"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("Google/Tistory: 2 of 2"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Naver: 2 of 2"), std::string::npos);
}

}  // namespace
}  // namespace bramix
