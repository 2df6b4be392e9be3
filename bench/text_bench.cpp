// Text costs on the search thread: converting a whole UTF-8 post page, and
// cleaning one post title. Budgets: 5 ms for a 512 KiB page, 20 us a title.

#include <benchmark/benchmark.h>

#include <string>

#include "base/code_page.h"
#include "titles/title_cleaning.h"

namespace {

// A Korean blog page of `size` bytes: markup, Hangul prose, now and then a
// character that code page 949 lacks, as real pages have.
std::string KoreanPage(size_t size) {
    const std::string piece =
        "<p class=\"txt\">봄날의 노래를 들으며 가사를 적어 봅니다. 좋은 음악 감사합니다 ♪</p>\n"
        "<div>첨부파일: 봄노래.mp3 (4.50 MB) 😀 다운로드</div>\n";
    std::string page = "<html><head><title>봄노래 듣기/가사 :: 음악 블로그</title></head><body>";
    while (page.size() < size) {
        page += piece;
    }
    page.resize(size);
    return page;
}

void BM_Utf8ToAnsiPage512K(benchmark::State& state) {
    const std::string page = KoreanPage(512 * 1024);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bramix::Utf8ToAnsi(page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Utf8ToAnsiPage512K)->Unit(benchmark::kMillisecond);

// The worst case: a page where every other character is one that code page
// 949 lacks (Thai script here).
void BM_Utf8ToAnsiUnmappablePage512K(benchmark::State& state) {
    std::string page;
    while (page.size() < 512 * 1024) {
        page += "가\u0e01";
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(bramix::Utf8ToAnsi(page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Utf8ToAnsiUnmappablePage512K)->Unit(benchmark::kMillisecond);

void BM_AnsiToUtf8Page512K(benchmark::State& state) {
    const std::string page = bramix::Utf8ToAnsi(KoreanPage(512 * 1024));
    for (auto _ : state) {
        benchmark::DoNotOptimize(bramix::AnsiToUtf8(page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_AnsiToUtf8Page512K)->Unit(benchmark::kMillisecond);

void BM_CleanTitle(benchmark::State& state) {
    // About 100 bytes, with the clutter titles usually carry.
    const std::string title = bramix::Utf8ToAnsi(
        "<b>[MP3]</b> 봄노래 - 가을 하늘 (Live) 듣기/가사 ♪ &amp; M/V :: 음악이 흐르는 블로그");
    const std::string term = bramix::Utf8ToAnsi("봄노래");
    for (auto _ : state) {
        std::string copy = title;
        bramix::CleanTitle(copy, term);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_CleanTitle)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
