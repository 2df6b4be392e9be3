// A Naver post page (code page 949): title, href and EMBED links, and every
// candidate's file probe, whose headers are the page's first kilobyte.

#include "base/code_page.h"
#include "fuzz_support.h"
#include "posts/post_analyzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page = bramix::fuzz::AsText(data, size);
    static const std::string term = bramix::Utf8ToAnsi("봄노래");
    bramix::fuzz::FuzzSearch search(page, term, bramix::fuzz::StopAtFirstFind(page));
    bramix::AnalyzeNaverPost(search.job(),
                             "http://blog.naver.com/PostView.nhn?blogId=fuzz&logNo=1");
    return 0;
}
