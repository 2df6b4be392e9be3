// The cost of analysing one 512 KiB post page with the network taken out:
// title, the attachment item scan and both link extractors, on the page once
// converted to code page 949 (the conversion is timed on its own). Every pass
// is a byte search, so the analysis should stay a modest multiple of one
// memchr scan of the page. Prints the figures and the ratio; the budget of
// the analysis is 2 ms.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/code_page.h"
#include "posts/link_extraction.h"
#include "posts/post_analyzers.h"

namespace {

using Clock = std::chrono::steady_clock;

// A long Tistory post: Korean prose, attachment blocks under headings, image
// links on the file servers, and players. Candidates that would need a server
// (audio links) are left out: that is the network.
std::string PostPage(size_t size) {
    std::string page =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>[MP3] 봄노래 모음 듣기/가사 ♪ "
        ":: 봄날의 음악 일기</title></head><body id=\"tt-body-page\"><div class=\"entry\">\n";
    for (int i = 0; page.size() < size; ++i) {
        const std::string n = std::to_string(i);
        page += "<div class=\"titleWrap\"><h2><a href=\"/" + n + "\">봄노래 " + n +
                "번째 - 가수 듣기</a></h2></div>\n";
        for (int p = 0; p < 6; ++p) {
            page +=
                "<p>봄이 오면 생각나는 노래입니다. 가사는 아래에 있어요. 좋은 음악 감사합니다 "
                "&amp; 즐거운 하루 되세요!</p>\n";
        }
        page += "<p><a href=\"http://cfile" + n +
                ".uf.daum.net/image/1A2B3C.jpg\" target=\"_blank\"><img src=\"x.jpg\"></a></p>\n";
        page += "<div class=\"imageblock\"><script>AudioPlayer.embed(\"p" + n +
                "\");</script><noscript><a href=\"http://springday.tistory.com/attachment/1A" + n +
                "\">봄노래 " + n + ".mp3</a></noscript></div>\n";
        page += "<p><EMBED src=\"http://www.example.com/player" + n +
                ".swf\" width=\"300\" height=\"45\"></p>\n";
    }
    page.resize(size);
    return page;
}

template <typename Work>
double BestMilliseconds(int rounds, Work work) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main() {
    const std::string page = PostPage(512 * 1024);
    bramix::SearchJob job;
    job.input = "zzz";
    int finds = 0;
    job.callback = [&finds](int code, int, intptr_t) {
        finds += code == bramix::SEARCH_EV_FOUND ? 1 : 0;
        return 0;
    };

    volatile char absent = '\x01';
    const double scan = BestMilliseconds(200, [&page, &absent] {
        const void* found = std::memchr(page.data(), absent, page.size());
        asm volatile("" : : "r"(found) : "memory");
    });
    const std::string html = bramix::Utf8ToAnsi(page);
    const double conversion = BestMilliseconds(50, [&page] { bramix::Utf8ToAnsi(page); });
    const double analysis = BestMilliseconds(50, [&] {
        job.seenLinks.clear();
        finds = 0;
        bramix::PostContext post;
        post.pageUrl = "http://springday.tistory.com/12";
        post.html = html;
        bramix::AnalyzeTistoryPage(job, post);
        bramix::ExtractHrefLinks(job, post);
    });
    std::printf("post page:            %zu bytes, %d attachment finds\n", page.size(), finds);
    std::printf("UTF-8 -> 949:         %.3f ms (budget 5 ms)\n", conversion);
    std::printf("analysis:             %.3f ms (budget 2 ms)\n", analysis);
    std::printf("one memchr scan:      %.3f ms\n", scan);
    std::printf("analysis / scan:      %.0f\n", analysis / scan);
    return analysis <= 2.0 ? 0 : 1;
}
