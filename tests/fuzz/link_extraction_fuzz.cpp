// The link extractors alone, on a page already in code page 949, with every
// candidate probed as the analyzers would.

#include "fuzz_support.h"
#include "posts/link_extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page = bramix::fuzz::AsText(data, size);
    bramix::fuzz::FuzzSearch search(page, "zzz");
    bramix::PostContext post;
    post.pageUrl = "http://fuzz.example.com/post/1";
    post.html = page;
    post.title = "Post Title";
    bramix::ExtractHrefLinks(search.job(), post);
    bramix::ExtractEmbedLinks(search.job(), post);
    return 0;
}
