#include "posts/link_extraction.h"

#include <gtest/gtest.h>

#include "support/post_test.h"

namespace bramix {
namespace {

class LinkExtractionTest : public testing::PostTest {
protected:
    // The links ResolveMediaLink was asked about, in order: each candidate
    // ends up in the set of seen links or as a request.
    std::vector<std::string> Candidates(const std::string& html, bool embeds) {
        post_.html = html;
        post_.pageUrl = "http://x.example.com/post";
        if (embeds) {
            ExtractEmbedLinks(job_, post_);
        } else {
            ExtractHrefLinks(job_, post_);
        }
        std::vector<std::string> links;
        for (const std::string& url : web_.RequestedUrls()) {
            links.push_back(url);
        }
        return links;
    }

    PostContext post_;
};

TEST_F(LinkExtractionTest, FindsTheFourKindsOfFileServerPassByPass) {
    const auto links = Candidates(
        "<body>"
        "<a href=\"http://pds3.blog.daum.net/a.mp3\">"
        "<a href=\"http://blogfiles.naver.net/b.mp3\">"
        "<a href=\"http://cfile1.uf.daum.net/attach/C\" target=_blank>"
        "<a href=\"http://bgm.blog.daum.net/d.wma\">",
        false);
    EXPECT_EQ(links, (std::vector<std::string>{
                         "http://bgm.blog.daum.net/d.wma", "http://cfile1.uf.daum.net/attach/C",
                         "http://blogfiles.naver.net/b.mp3", "http://pds3.blog.daum.net/a.mp3"}));
}

TEST_F(LinkExtractionTest, NothingBeforeTheBodyOrWithoutALowerCaseBody) {
    EXPECT_TRUE(Candidates("<a href=\"http://pds3.blog.daum.net/a.mp3\"><body>", false).empty());
    EXPECT_TRUE(Candidates("<BODY><a href=\"http://pds3.blog.daum.net/a.mp3\">", false).empty());
    EXPECT_TRUE(Candidates("<BODY><EMBED src=\"http://f.example.com/a.mp3\" x>", true).empty());
}

TEST_F(LinkExtractionTest, ABgmLinkRunsOnToTheNextWmaEnding) {
    const auto links = Candidates(
        "<body><a href=\"http://bgm.blog.daum.net/a.mp3\">x</a>"
        "<a href=\"http://f.example.com/b.wma\">",
        false);
    EXPECT_EQ(links.size(), 1u);  // one long candidate that happens to end in ".wma"
    EXPECT_EQ(job_.seenLinks.count(
                  "http://bgm.blog.daum.net/a.mp3\">x</a><a href=\"http://f.example.com/b.wma"),
              1u);
}

TEST_F(LinkExtractionTest, ACfileLinkEndsAtAQuoteAndASpace) {
    Candidates("<body><a href=\"http://cfile1.uf.daum.net/attach/A\">x</a> <b class=\"y\" >",
               false);
    EXPECT_EQ(job_.seenLinks.count("http://cfile1.uf.daum.net/attach/A\">x</a> <b class=\"y"), 1u);
}

TEST_F(LinkExtractionTest, EmbedSourcesLoseTheirDoubleQuotes) {
    const auto links = Candidates(
        "<body><EMBED src=\"http://f.example.com/a.mp3\" autostart=0>"
        "<EMBED width=1 src=http://f.example.com/b.mp3 >"
        "<EMBED src=\"http://f.example.com/c.mp3\">"
        "<embed src=\"http://f.example.com/d.mp3\" x>",
        true);
    EXPECT_EQ(links, (std::vector<std::string>{"http://f.example.com/a.mp3",
                                               "http://f.example.com/b.mp3"}));
}

TEST_F(LinkExtractionTest, SingleQuotesStayAndTheCandidateIsRejected) {
    EXPECT_TRUE(Candidates("<body><EMBED src='http://f.example.com/a.mp3' x>", true).empty());
    EXPECT_EQ(job_.seenLinks.count("'http://f.example.com/a.mp3'"), 1u);
}

TEST_F(LinkExtractionTest, ALinkWrittenTwiceIsAskedOnceAndThePlaceholderNever) {
    const auto links = Candidates(
        "<body><EMBED src=\"http://f.example.com/a.mp3\" x><EMBED "
        "src=\"http://f.example.com/a.mp3\" "
        "x><EMBED src=\"http://blog.daum.net/_blog/dummy.mp3\" x>",
        true);
    EXPECT_EQ(links, std::vector<std::string>{"http://f.example.com/a.mp3"});
}

TEST_F(LinkExtractionTest, AStopEndsTheScanAfterTheCurrentCandidate) {
    web_.SetFallback([this](const standin::RecordedRequest&) -> std::optional<standin::Reply> {
        job_.stopFlag = 1;
        return std::nullopt;
    });
    const auto links = Candidates(
        "<body><a href=\"http://cfile1.uf.daum.net/attach/A\" x><a "
        "href=\"http://cfile1.uf.daum.net/attach/B\" x><a "
        "href=\"http://pds1.blog.daum.net/c.mp3\">",
        false);
    EXPECT_EQ(links, std::vector<std::string>{"http://cfile1.uf.daum.net/attach/A"});
    // The embed scan sees the flag before its first search.
    EXPECT_EQ(Candidates("<body><EMBED src=\"http://f.example.com/e.mp3\" x>", true), links);
}

}  // namespace
}  // namespace bramix
