// A Tistory post page (UTF-8): title, attachment items under their headings,
// and embedded players with their file probes.

#include "fuzz_support.h"
#include "posts/post_analyzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    bramix::fuzz::FuzzSearch search(bramix::fuzz::AsText(data, size));
    bramix::AnalyzeTistoryPost(search.job(), "http://fuzz.tistory.com/1");
    return 0;
}
