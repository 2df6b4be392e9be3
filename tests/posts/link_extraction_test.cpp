#include "posts/link_extraction.h"

#include <gtest/gtest.h>

#include "support/post_test.h"

namespace bramix {
namespace {

using Urls = std::vector<std::string>;

// What a scan hands to ResolveMediaLink shows in the requests of what is
// worth asking.
TEST(LinkExtractionTest, EachScanFindsItsCandidatesInItsOrder) {
    const std::string a = "<EMBED src=\"http://f.com/a.mp3\" x>";
    const struct {
        bool embeds;
        std::string html;
        Urls asked;
    } rows[] = {
        {false,  // the four kinds of file server, pass by pass
         "<body><a href=\"http://pds3.blog.daum.net/a.mp3\"><a "
         "href=\"http://blogfiles.naver.net/b.mp3\">"
         "<a href=\"http://cfile1.uf.daum.net/attach/C\" x><a "
         "href=\"http://bgm.blog.daum.net/d.wma\">",
         {"http://bgm.blog.daum.net/d.wma", "http://cfile1.uf.daum.net/attach/C",
          "http://blogfiles.naver.net/b.mp3", "http://pds3.blog.daum.net/a.mp3"}},
        {false, "<a href=\"http://pds3.blog.daum.net/a.mp3\"><body>", {}},
        {false, "<BODY><a href=\"http://pds3.blog.daum.net/a.mp3\">", {}},
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
        PostContext post;
        post.html = row.html;
        (row.embeds ? ExtractEmbedLinks : ExtractHrefLinks)(search.job, post);
        EXPECT_EQ(search.web.requests(), row.asked) << row.html;
    }
}

TEST(LinkExtractionTest, AStopEndsTheScanAfterTheCurrentCandidate) {
    testing::MemorySearch search;
    search.StopAt("http://cfile1.uf.daum.net/attach/A");
    PostContext post;
    post.html =
        "<body><a href=\"http://cfile1.uf.daum.net/attach/A\" x><a href=\"http://cfile1.uf."
        "daum.net/attach/B\" x><a href=\"http://pds1.blog.daum.net/c.mp3\">";
    ExtractHrefLinks(search.job, post);
    EXPECT_EQ(search.web.requests(), Urls{"http://cfile1.uf.daum.net/attach/A"});
}

}  // namespace
}  // namespace bramix
