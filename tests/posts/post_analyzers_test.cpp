#include "posts/post_analyzers.h"

#include <gtest/gtest.h>

#include "posts/link_extraction.h"
#include "support/post_test.h"

namespace bramix {
namespace {

using testing::Ansi;
using Urls = std::vector<std::string>;

// What a scan hands to ResolveMediaLink shows in the requests of what is
// worth asking.
TEST(LinkExtractionTest, EachScanFindsItsCandidatesInItsOrder) {
    const std::string pds = "http://pds3.blog.daum.net/a.mp3",
                      bgm = "http://bgm.blog.daum.net/d.wma",
                      naver = "http://blogfiles.naver.net/b.mp3",
                      cfile = "http://cfile1.uf.daum.net/attach/C";
    const std::string four = "<body><a href=\"" + pds + "\"><a href=\"" + naver + "\"><a href=\"" +
                             cfile + "\" x><a href=\"" + cfile + "2\" x><a href=\"" + bgm + "\">";
    const std::string a = "<EMBED src=\"http://f.com/a.mp3\" x>";
    const struct {
        bool embeds;
        std::string html;
        Urls asked;
        std::string stopAt = "";
    } rows[] = {
        // The four kinds of file server, pass by pass; a stop ends the scan after the
        // current candidate.
        {false, four, {bgm, cfile, cfile + "2", naver, pds}},
        {false, four, {bgm, cfile}, cfile},
        {false, "<a href=\"" + pds + "\"><body>", {}},
        {false, "<BODY><a href=\"" + pds + "\">", {}},
        {true, "<BODY>" + a, {}},
        // A bgm link runs on to the next ".wma\"", a cfile link to a quote and a space.
        {false,
         "<body><a href=\"http://bgm.blog.daum.net/a.mp3\">x</a><a href=\"http://f.com/b.wma\">",
         {"http://bgm.blog.daum.net/a.mp3\">x</a><a href=\"http://f.com/b.wma"}},
        {false,
         "<body><a href=\"http://cfile1.uf.daum.net/attach/A\">x</a> <b class=\"y\" >",
         {"http://cfile1.uf.daum.net/attach/A\">x</a> <b class=\"y"}},
        // Sources lose double quotes, not single ones; a source needs a space
        // after it, a tag its upper case. Each link is asked once, the placeholder never.
        {true,
         "<body>" + a + a +
             "<EMBED width=1 src=http://f.com/b.mp3 ><EMBED src=\"http://f.com/c.mp3\">"
             "<embed src=\"http://f.com/d.mp3\" x><EMBED src='http://f.com/e.mp3' x>"
             "<EMBED src=\"http://blog.daum.net/_blog/dummy.mp3\" x>",
         {"http://f.com/a.mp3", "http://f.com/b.mp3"}},
    };
    for (const auto& row : rows) {
        testing::MemorySearch search;
        search.StopAt(row.stopAt);
        PostContext post;
        post.html = row.html;
        (row.embeds ? ExtractEmbedLinks : ExtractHrefLinks)(search.job, post);
        EXPECT_EQ(search.web.requests(), row.asked) << row.html;
    }
}

constexpr const char* kFile = "http://cfile12.uf.daum.net/attach/11AA";

std::string PageWithFile(const std::string& title) {
    return "<html><head><title>" + title + "</title></head><body><a href=\"" + kFile +
           "\" target=_blank>file</a></body></html>";
}

// The content page each address leads to, and the title left of "... : 네이버  블로그".
TEST(NaverPostTest, EachAddressLeadsToItsContentPage) {
    const std::string view = "http://blog.naver.com/PostView.nhn?blogId=";
    const struct {
        std::string address, asked, title, name;
    } rows[] = {
        {"http://blog.naver.com/s?Redirect=Log&logNo=22", view + "s&logNo=22",
         "Day : 네이버  블로그", "Day.mp3"},  // only two spaces make the service's name
        {view + "a?Redirect=Log&logNo=1", view + "a?Redirect=Log&logNo=1", "Day : 네이버 블로그",
         "Day 네이버 블로그.mp3"},
        {"http://blog.naver.com/s", view + "s", "", "01.mp3"},
        {"http://blog.naver.com", "", "", ""},
    };
    for (const auto& row : rows) {
        testing::MemorySearch search;
        search.web.SetPage(row.asked, Ansi(PageWithFile(row.title)));
        search.web.SetFile(kFile, "attachment; filename=\"01.mp3\"", "");
        AnalyzeNaverPost(search.job, row.address);
        EXPECT_EQ(search.web.requests(), (row.asked.empty() ? Urls{} : Urls{row.asked, kFile}));
        const auto& finds = search.recorder.finds;
        EXPECT_EQ(finds.empty() ? "" : finds[0].fileName, Ansi(row.name));
    }
}

TEST(DaumPostTest, FollowsThePostsFrameAndTidiesItsAddress) {
    const std::string post = "http://blog.daum.net/springmusic/1234";
    const std::string view = "http://blog.daum.net/_blog/BlogView.do?blogid=0Abc&articleno=1234";
    const std::string frame =
        "<frame SRC=\"/_blog/BlogView.do?blogid=0Abc&articleno=1234&admin=\">";
    const struct {
        std::string address, firstPage;
        Urls asked;
        std::string pageUrl;
    } rows[] = {
        {post,
         "<frameset><frame SRC=\"/_blog/hdn.do\">" + frame,
         {post, view + "&admin=", kFile},
         view},
        // A post's frame wins over the blog's main page wherever each stands.
        {post,
         "<frame SRC=\"/_blog/blogMain.do?blogid=0Abc\">" + frame,
         {post, view + "&admin=", kFile},
         view},
        {view + "&categoryId=5", "", {view + "&categoryId=5", kFile}, view + "5"},  // names go
        {post, PageWithFile("T"), {post}, ""},                                      // off the blog
        {post, "<frame SRC=\"/_blog/BlogView.do?blogid=0Abc", {post}, ""},          // unclosed
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.firstPage);
        testing::MemorySearch search;
        search.web.SetPage(row.address, row.firstPage);
        if (row.asked.size() > 1) {
            search.web.SetPage(row.asked[row.asked.size() - 2], PageWithFile("My Blog - B - C"));
        }
        search.web.SetFile(kFile, "attachment; filename=\"%EB%B4%84.mp3\"", "");
        AnalyzeDaumPost(search.job, row.address);
        EXPECT_EQ(search.web.requests(), row.asked);
        ASSERT_EQ(search.recorder.finds.size(), row.pageUrl.empty() ? 0u : 1u);
        if (!row.pageUrl.empty()) {
            EXPECT_EQ(search.recorder.finds[0].fileName, Ansi("봄.mp3"));
            EXPECT_EQ(search.recorder.finds[0].title, "B - C");
            EXPECT_EQ(search.recorder.finds[0].pageUrl, row.pageUrl);
        }
    }
}

std::string Block(const std::string& link, const std::string& text) {
    return "<div><script>player()</script><noscript><a href=\"http://" + link + "\">" + text +
           "</a></noscript></div>\n";
}

std::string Heading(const std::string& marker, const std::string& text) {
    return "<div class=\"" + marker + "\"><h2><a href=\"/12\">" + text + "</a></h2></div>\n";
}

// Names come from the link text, else the heading, else the post's title;
// finds are joined by '|', a name of digits alone shown as "#.mp3".
TEST(TistoryPostTest, NamesComeFromTheLinkTextElseTheHeadingElseThePostTitle) {
    const std::string post = "http://song.tistory.com/12";
    const std::string a = Block("a.tistory.com/1", "a.mp3");
    const struct {
        std::string title, body, names;
        bool stopAtFind = false;
    } rows[] = {
        {"Post",
         Block("cfile5.uf.tistory.com/attach/A1", "A.mp3") + Block("a.tistory.com/2", "C.wma"),
         "A.mp3|C.wma.mp3"},
        {"Post", Block("a.tistory.com/1", "track"), "track.mp3"},
        {"Spring", Block("a.tistory.com/1", " "), "Spring.mp3"},
        {"", Block("a.tistory.com/1", ""), "#.mp3"},                   // the tick count
        {"Post", Block("files.example.com/a.mp3", "a.mp3"), ""},       // off Tistory
        {"Post", a + a, "a.mp3"},                                      // reported once
        {"Post", Block("a.tistory.com/1", "봄.mp3"), Ansi("봄.mp3")},  // UTF-8 read as 949
        // A block without a heading of its own keeps the one before it.
        {"Post",
         Heading("titleWrap", "First") + Block("a.tistory.com/1", "01.mp3") +
             Block("a.tistory.com/2", "02.mp3"),
         "First.mp3|First.mp3"},
        // "title-wrap" is tried first and lies after the first block.
        {"Post",
         Heading("head_title", "Head") + Block("a.tistory.com/1", "01.mp3") +
             Heading("title-wrap", "Wrapped") + Block("a.tistory.com/2", "02.mp3"),
         "Post.mp3|Wrapped.mp3"},
        // A stop at a find ends the scan: no later block, no player.
        {"Post", a + Block("a.tistory.com/2", "b.mp3") + "<EMBED src=\"http://a.tistory.com/e\" x>",
         "a.mp3", true},
    };
    for (const auto& row : rows) {
        testing::MemorySearch search;
        search.recorder.stopOnFind = row.stopAtFind ? &search.job.stopFlag : nullptr;
        search.web.SetPage(post,
                           "<html><head><title>" + row.title + "</title></head><body>" + row.body);
        AnalyzeTistoryPost(search.job, post);
        std::string names;
        for (const FoundFile& found : search.recorder.finds) {
            const bool digits =
                found.fileName.find_first_not_of("0123456789") + 4 == found.fileName.size();
            names += (names.empty() ? "" : "|") + (digits ? "#.mp3" : found.fileName);
            EXPECT_EQ(found.pageUrl, post);
        }
        EXPECT_EQ(names, row.names) << row.body;
        // Attachment blocks are reported without asking their server, the
        // player never after a stop.
        EXPECT_EQ(search.web.requests(), Urls{post});
    }
}

}  // namespace
}  // namespace bramix
