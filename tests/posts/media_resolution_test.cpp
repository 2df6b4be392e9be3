#include "posts/media_resolution.h"

#include <gtest/gtest.h>

#include "posts/site_constants.h"
#include "support/post_test.h"
#include "support/raw_server.h"

namespace bramix {
namespace {

using testing::Ansi;

void Resolve(testing::MemorySearch& search, const std::string& link,
             const std::string& page = "http://x.tistory.com/1") {
    PostContext post;
    post.pageUrl = page;
    post.title = Ansi("봄노래 - 가수");
    ResolveMediaLink(search.job, post, link);
    TellHeldEvents(search.job);
}

TEST(ResolveMediaLinkTest, AsksWhatMayBeAudioAndReportsItUnderTheBestName) {
    const std::string encoded = "attachment; filename=%EC%9D%8C%EC%95%85.mp3";
    const struct {
        std::string link, asked;  // asked: "" nothing, "=" the link
        std::string disposition;
        const char* length;  // nullptr: nothing there
        std::string name;    // "": no find
        uint32_t size;
        const char* page = nullptr;
    } rows[] = {
        {"http://f.com/a/t.MP3", "=", "attachment; filename=\"S S.mp3\"", "4718592", "S S.mp3",
         4718592},
        {"http://f.com/a.mp3?x=1", "", "", nullptr, "", 0},
        {"http://f.com/page.html", "", "", nullptr, "", 0},
        {URL_DUMMY_MP3, "", "", nullptr, "", 0},
        // Tistory and Daum attachments are asked whatever their ending.
        {"http://cfile5.uf.tistory.com/original/1A", "=", "attachment; filename=\"a.wma\"", "",
         "a.wma", 0},
        {"http://cfile1.uf.daum.net/attach/9F?x=1", "=", "", "", "", 0},  // names no audio file
        // Naver links lose their attachment marker, Daum links keep it.
        {"http://blogfiles.naver.net/1/a.mp3?type=attachment", "http://blogfiles.naver.net/1/a.mp3",
         "", "", "a.mp3", 0},
        {"http://o.com/b.mp3?type=attachment", "http://o.com/b.mp3", "", nullptr, "", 0,
         "http://blog.naver.com/x"},
        {"http://pds1.blog.daum.net/a.mp3?type=attachment", "", "", nullptr, "", 0,
         "http://blog.naver.com/x"},
        // Names from servers are percent-decoded unless the link is Naver's.
        {"http://cfile2.uf.daum.net/attach/1", "=", encoded, "", Ansi("음악.mp3"), 0},
        {"http://blogfiles.naver.net/2/x.mp3", "=", encoded, "", "%EC%9D%8C%EC%95%85.mp3", 0},
        {"http://blogfiles.naver.net/3/x.mp3", "=",
         "attachment; filename=\"" + Ansi("봄.mp3") + "\"", "", Ansi("봄.mp3"), 0},
        {"http://f.com/s.mp3", "=", "", "300000", "", 0},  // small files are dropped
        {"http://f.com/e.mp3", "=", "", "524288", "e.mp3", 524288},
        // '+' is a space, hex digits are of either case, a bad escape reads as it always did.
        {"http://f.com/get.php?id=7&filename=a%20b+c%41%4a%zz.mp3", "=", "", "", "a b cAJ3.mp3", 0},
        {"http://f.com/gone.mp3", "=", "", nullptr, "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.link);
        testing::MemorySearch search;
        const std::string asked = row.asked == "=" ? row.link : row.asked;
        search.web.SetFile(row.length ? asked : "", row.disposition, row.length ? row.length : "");
        const std::string page = row.page ? row.page : "http://x.tistory.com/1";
        Resolve(search, row.link, page);
        Resolve(search, row.link, page);  // as a post names it again
        // A link is asked once and reported once, but a Naver link as it was
        // named is not the link asked, so it is asked again.
        const size_t asks = asked.empty() ? 0 : asked == row.link ? 1 : 2;
        EXPECT_EQ(search.web.requests(), std::vector(asks, asked));
        // Every link is decided on once; the placeholder never is.
        EXPECT_EQ(search.job.seenLinks.count(asked.empty() ? row.link : asked),
                  row.link == URL_DUMMY_MP3 ? 0u : 1u);
        ASSERT_EQ(search.recorder.finds.size(), row.name.empty() ? 0u : 1u);
        if (!row.name.empty()) {
            const FoundFile& found = search.recorder.finds[0];
            EXPECT_EQ(found.fileName, row.name);
            EXPECT_EQ(found.size, row.size);
            EXPECT_EQ(found.fileUrl, asked);
            EXPECT_EQ(found.pageUrl, page);
            EXPECT_NE(found.type, 0);
        }
    }
}

// Through libcurl: a Tistory link names no file, so the name, and with it the
// find, comes from a head that libcurl must not refuse.
TEST(ResolveMediaLinkTest, NoHeadAServerSendsLosesTheFind) {
    const std::string named = "Content-Disposition: attachment; filename=\"a.mp3\"\r\n";
    const struct {
        std::string fields;
        const char* name;
        uint32_t size;
    } rows[] = {
        {named + "Content-Length: unknown", "a.mp3", 0},
        {named + "Content-Length: -1", "a.mp3", 0xFFFFFFFF},
        {named + "Content-Length: 99999999999", "a.mp3", 0xFFFFFFFF},
        {named + "Content-Length:  7000000  ", "a.mp3", 7000000},
        {named + "Content-Length: 6000000\r\nContent-Length: 5000000", "a.mp3", 6000000},
        {named + "Transfer-Encoding: bogus", "a.mp3", 0},
        {"Content-Disposition: attachment; filename=\"a \\\"b\\\" c.mp3\"", "a b c.mp3", 0},
        {"Content-Disposition: attachment; filename=\"a\\\\b.mp3\"", "a b.mp3", 0},
        {"Content-Disposition: attachment; filename=\"song.mp3\\", "song.mp3", 0},
        {"Content-Disposition: attachment; filename=my song.mp3; size=1", "my song.mp3", 0},
        {"Content-Disposition: attachment; filename*=UTF-8''x.mp3; filename=\"y.mp3\"", "y.mp3", 0},
        {"Content-Disposition: attachment;\r\n filename=\"folded.mp3\"", "folded.mp3", 0},
    };
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fields);
        testing::RawServer server("HTTP/1.1 200 OK\r\n" + row.fields +
                                  "\r\nConnection: close\r\n\r\n" + std::string(600000, 'x'));
        setenv("http_proxy", server.Url().c_str(), 1);
        testing::MemorySearch search;
        search.job.web = search.job.curlWeb.get();
        Resolve(search, "http://cfile5.uf.tistory.com/original/1A2B");
        ASSERT_EQ(search.recorder.finds.size(), 1u);
        EXPECT_EQ(search.recorder.finds[0].fileName, row.name);
        EXPECT_EQ(search.recorder.finds[0].size, row.size);
    }
    unsetenv("http_proxy");
}

TEST(ReportFoundFileTest, TheNameAndTitleSayWhatTheOtherDoesNot) {
    const struct {
        std::string input, fileName, title, name, shownTitle;
    } rows[] = {
        // A numbered name gives way to the title.
        {"zzz", "01.mp3", "Spring Day", "Spring Day.mp3", ""},
        {"zzz", "01 - 02.mp3", "Spring Day", "Spring Day.mp3", ""},
        {"zzz", ".mp3", "Spring Day", "Spring Day.mp3", ""},
        {"zzz", "track01.mp3", "Spring Day", "track01.mp3", "Spring Day"},
        {"zzz", "01.mp3", "", "01.mp3", ""},
        {"zzz", Ansi("일.mp3"), "Spring Day", Ansi("일.mp3"), "Spring Day"},
        // A title that adds nothing to the name or the search is emptied.
        {"spring", "Spring Day.mp3", "Some Blog", "Spring Day.mp3", ""},
        {"zzz", "Spring Day.mp3", "spring day", "Spring Day.mp3", ""},
        {"zzz", "Spring Day.mp3", "Autumn", "Spring Day.mp3", "Autumn"},
    };
    for (const auto& row : rows) {
        testing::MemorySearch search(row.input);
        PostContext post;
        FoundFile found{"", row.title, "", row.fileName};
        for (int twice = 0; twice < 2; ++twice) {
            ReportFoundFile(search.job, post, "http://f.com/1", found, SearchTerm(row.title));
        }
        ASSERT_EQ(search.recorder.finds.size(), 1u);  // a seen link is not reported again
        EXPECT_EQ(search.recorder.finds[0].fileName, row.name) << row.fileName;
        EXPECT_EQ(search.recorder.finds[0].title, row.shownTitle) << row.fileName;
    }
}

}  // namespace
}  // namespace bramix
