// A Tistory post page (UTF-8): title, attachment items under their headings,
// and embedded players with their file probes.

#include "base/code_page.h"
#include "fuzz_support.h"
#include "posts/post_analyzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page = bramix::fuzz::AsText(data, size);
    static const std::string term = bramix::Utf8ToAnsi("봄노래");
    bramix::fuzz::FuzzSearch search(page, term, bramix::fuzz::StopAtFirstFind(page));
    bramix::AnalyzeTistoryPost(search.job(), "http://fuzz.tistory.com/1");
    return 0;
}
