// A Daum post page (UTF-8) at a content address: a page with a main frame is
// fetched again at the frame's address and is the same page.

#include "fuzz_support.h"
#include "posts/post_analyzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    bramix::fuzz::FuzzSearch search(bramix::fuzz::AsText(data, size));
    bramix::AnalyzeDaumPost(search.job(),
                            "http://blog.daum.net/_blog/BlogView.do?blogid=fuzz&articleno=1");
    return 0;
}
