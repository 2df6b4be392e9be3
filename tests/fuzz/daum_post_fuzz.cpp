// A Daum post page (UTF-8), fetched at a content address so that a page
// without frames is analyzed; a page with a main frame is fetched again at the
// frame's address and is the same page. Title, links and file probes as for
// Naver.

#include "base/code_page.h"
#include "fuzz_support.h"
#include "posts/post_analyzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page = bramix::fuzz::AsText(data, size);
    static const std::string term = bramix::Utf8ToAnsi("봄노래");
    bramix::fuzz::FuzzSearch search(page, term, bramix::fuzz::StopAtFirstFind(page));
    bramix::AnalyzeDaumPost(search.job(),
                            "http://blog.daum.net/_blog/BlogView.do?blogid=fuzz&articleno=1");
    return 0;
}
