// The cost of analysing one 512 KiB post page of each service with the
// network taken out (pages and file headers come from memory), and the cost
// of hostile pages of the same size, shaped to make a careless scan
// quadratic. Goal: every hostile page in at most 10 times the ordinary page of
// its service. Prints the figures; exits 1 when the goal is missed.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/code_page.h"
#include "posts/link_extraction.h"
#include "posts/post_analyzers.h"
#include "support/memory_web.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kPageSize = 512 * 1024;

// Repeats `piece` after `head` until the page has `size` bytes.
std::string Filled(std::string head, const std::string& piece, size_t size = kPageSize) {
    while (head.size() < size) {
        head += piece;
    }
    head.resize(size);
    return head;
}

// A long Tistory post: Korean prose, attachment blocks under headings, image
// links on the file servers, and players (UTF-8).
std::string TistoryPage() {
    std::string page =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>[MP3] 봄노래 모음 듣기/가사 ♪ "
        ":: 봄날의 음악 일기</title></head><body id=\"tt-body-page\"><div class=\"entry\">\n";
    for (int i = 0; page.size() < kPageSize; ++i) {
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
    page.resize(kPageSize);
    return page;
}

// A long Naver post in code page 949: prose, images on the file servers and
// now and then an audio attachment.
std::string NaverPage() {
    std::string page = bramix::Utf8ToAnsi(
        "<html><head><title>봄노래 모음 : 네이버  블로그</title></head><body>\n");
    for (int i = 0; page.size() < kPageSize; ++i) {
        const std::string n = std::to_string(i);
        page += bramix::Utf8ToAnsi(
            "<p>봄이 오면 생각나는 노래입니다. 가사는 아래에 있어요. 좋은 음악 감사합니다!</p>\n"
            "<p><a href=\"http://blogfiles.naver.net/" +
            n + "/photo.jpg\" target=\"_blank\">사진</a></p>\n<p><a href=\"http://cfile" + n +
            ".uf.daum.net/image/x.jpg\" class=\"i\">그림</a></p>\n");
        if (i % 20 == 0) {
            page += "<a href=\"http://blogfiles.naver.net/" + n + "/song.mp3?type=attachment\">";
        }
    }
    page.resize(kPageSize);
    return page;
}

// A long Daum post (UTF-8 on the wire, as the analyzer converts it itself).
std::string DaumPage() {
    return Filled(
        "<html><head><title>음악 일기 - 봄노래 모음</title></head><body>\n",
        "<p>봄이 오면 생각나는 노래입니다. 좋은 음악 감사합니다!</p>\n"
        "<p><a href=\"http://pds7.blog.daum.net/image/1/x.jpg\" target=\"_blank\">그림</a>"
        "<a href=\"http://cfile12.uf.daum.net/image/A1.jpg\" class=\"i\">사진</a></p>\n"
        "<EMBED src=\"http://www.example.com/player.swf\" width=\"300\">\n");
}

struct Service {
    const char* name;
    std::string address;  // where the analyzer finds the page
    std::function<void(bramix::SearchJob&, const std::string&)> analyze;
};

struct Page {
    const char* name;
    const Service* service;
    std::string bytes;  // as the server sends it
};

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

// A title of many words, and a file name that holds them all in the other
// order.
std::pair<std::string, std::string> ManyWordsTitleAndName() {
    std::string manyWords = "<title>";
    std::vector<std::string> words;
    while (manyWords.size() < kPageSize / 2 - 64) {
        words.push_back("w" + std::to_string(words.size()));
        manyWords += words.back() + " ";
    }
    manyWords += "</title><body>";
    std::string allWords;  // in the other order
    for (auto word = words.rbegin(); word != words.rend(); ++word) {
        allWords += *word;
    }
    return {manyWords, allWords};
}

// A name of many different characters, Hangul syllables and letters in no
// order, and a title of 80 words that the name holds each of: an index of
// such a text shares little and so costs the most.
std::pair<std::string, std::string> ManyCharactersNameAndTitle() {
    std::vector<std::string> characters;
    uint32_t seed = 1;
    auto random = [&seed](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    size_t nameSize = 0;
    while (nameSize < kPageSize - 4096) {
        if (random(3) == 0) {
            characters.emplace_back(1, static_cast<char>('a' + random(26)));
        } else {
            const uint32_t syllable = 0xAC00 + random(11172);
            characters.push_back({static_cast<char>(0xE0 | (syllable >> 12)),
                                  static_cast<char>(0x80 | ((syllable >> 6) & 0x3F)),
                                  static_cast<char>(0x80 | (syllable & 0x3F))});
        }
        nameSize += characters.back().size();
    }
    std::string manyCharacters;
    for (const std::string& character : characters) {
        manyCharacters += character;
    }
    std::string wordsOfIt = "<title>";
    for (int word = 0; word < 80; ++word) {
        const size_t at = random(static_cast<uint32_t>(characters.size() - 3));
        wordsOfIt += characters[at] + characters[at + 1] + characters[at + 2] + " ";
    }
    wordsOfIt += "</title><body>";
    return {manyCharacters, wordsOfIt};
}

struct Services {
    Service tistory{"tistory", "http://springday.tistory.com/12", bramix::AnalyzeTistoryPost};
    Service naver{"naver", "http://blog.naver.com/PostView.nhn?blogId=spring&logNo=1",
                  bramix::AnalyzeNaverPost};
    Service daum{"daum", "http://blog.daum.net/_blog/BlogView.do?blogid=0Ab&articleno=1",
                 bramix::AnalyzeDaumPost};
};

// An ordinary page of each service first, then the hostile ones.
std::vector<Page> Pages(const Services& services) {
    const Service& tistory = services.tistory;
    const Service& naver = services.naver;
    const Service& daum = services.daum;
    const auto [manyWords, allWords] = ManyWordsTitleAndName();
    const auto [manyCharacters, wordsOfIt] = ManyCharactersNameAndTitle();
    return {
        {"ordinary", &tistory, TistoryPage()},
        {"ordinary", &naver, NaverPage()},
        {"ordinary", &daum, DaumPage()},
        // Each "[1]" before the "." goes in a pass of its own, when passes
        // repeat over the whole title.
        {"title of [1] runs", &tistory,
         Filled("<title>", "[1]", kPageSize - 16) + ".</title><body>"},
        // Item markers after a title marker and no anchor anywhere: a search
        // for the heading's link from each item would run to the page's end.
        {"items without anchors", &tistory,
         Filled("<body><div class=\"title-wrap\">", "<noscript><a x</noscript>")},
        // Link starts with no end: each start's search for its end runs on.
        {"cfile links without end", &naver, Filled("<body>", "href=\"http://cfile")},
        {"bgm links without end", &naver, Filled("<body>", "href=\"http://bgm.")},
        {"pds links without end", &daum, Filled("<body>", "href=\"http://pds")},
        {"embeds without src end", &tistory, Filled("<body>", "<EMBED src=x")},
        // Every removal out of one long address moves the rest of it.
        {"one link of many parameters", &naver,
         Filled("<body><a href=\"http://blogfiles.naver.net/", "?type=attachment", kPageSize - 16) +
             "a.mp3\">"},
        // A title of many words matched against a file name that holds them, so
        // that each word is looked for on its own.
        {"long title and name", &tistory,
         manyWords + "<noscript><a href=\"http://a.tistory.com/f\">" + allWords +
             ".mp3</a></noscript>"},
        {"long title, many finds", &tistory,
         manyWords.substr(0, kPageSize / 2) + "</title><body>" +
             [] {
                 std::string items;
                 for (int i = 0; items.size() < kPageSize / 2 - 100; ++i) {
                     items += "<noscript><a href=\"http://a.tistory.com/f" + std::to_string(i) +
                              "\">s.mp3</a></noscript>";
                 }
                 return items;
             }()},
        {"title in a name of many chars", &tistory,
         wordsOfIt + "<noscript><a href=\"http://a.tistory.com/f\">" + manyCharacters +
             ".mp3</a></noscript>"},
    };
}

// Each page's best time, and its ratio to its service's ordinary page; false
// when a ratio misses the goal.
bool MeasurePages(const std::vector<Page>& pages) {
    bramix::testing::MemoryWeb web;
    bramix::SearchJob job;
    job.input = "zzz";
    job.web = &web;
    struct FindCounter : bramix::SearchListener {
        void OnFound(const bramix::FoundFile&) override { ++finds; }
        int finds = 0;
    } counter;
    job.listener = &counter;

    std::printf("%-30s %-8s %10s %8s\n", "page (512 KiB)", "service", "ms", "x ordinary");
    bool met = true;
    std::vector<std::pair<const Service*, double>> ordinary;
    for (const Page& page : pages) {
        web.SetPage(page.service->address, page.bytes);
        const double ms = BestMilliseconds(5, [&] {
            job.seenLinks.clear();
            counter.finds = 0;
            page.service->analyze(job, page.service->address);
        });
        double base = 0;
        for (const auto& [service, figure] : ordinary) {
            base = service == page.service ? figure : base;
        }
        if (base == 0) {
            ordinary.emplace_back(page.service, ms);
            std::printf("%-30s %-8s %10.2f %8s   (%d finds)\n", page.name, page.service->name, ms,
                        "-", counter.finds);
            continue;
        }
        const double ratio = ms / base;
        met = met && ratio <= 10;
        std::printf("%-30s %-8s %10.2f %8.1f%s\n", page.name, page.service->name, ms, ratio,
                    ratio <= 10 ? "" : "   over the goal of 10");
    }
    return met;
}

}  // namespace

int main() {
    const Services services;
    return MeasurePages(Pages(services)) ? 0 : 1;
}
