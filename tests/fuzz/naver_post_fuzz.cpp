// A Naver post page (code page 949): title, href and EMBED links, and every
// candidate's file probe.

#include "fuzz_support.h"
#include "posts/post_analyzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    bramix::fuzz::FuzzSearch search(bramix::fuzz::AsText(data, size));
    bramix::AnalyzeNaverPost(search.job(),
                             "http://blog.naver.com/PostView.nhn?blogId=fuzz&logNo=1");
    return 0;
}
