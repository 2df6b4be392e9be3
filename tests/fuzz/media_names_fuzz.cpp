// Names from a link and from a Content-Disposition value, and both through
// ResolveMediaLink on a Naver and a Tistory page. Input: the link, the
// Content-Disposition and the Content-Length, one a line; the values cut at
// 100 KiB, the longest header line libcurl accepts.

#include "fuzz_support.h"
#include "posts/media_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bramix;
    constexpr size_t npos = std::string::npos;
    const auto parts = fuzz::SplitLines(fuzz::AsText(data, size), 3);
    const std::string link(parts[0]);
    const std::string disposition(parts[1].substr(0, 100 * 1024));
    const std::string_view length = parts[2].substr(0, 100 * 1024);
    // A tidied stem before a four-byte extension that is only lower-cased.
    const auto isTidyName = [](std::string_view name) {
        return fuzz::IsTidy(name.substr(0, name.size() < 4 ? 0 : name.size() - 4));
    };

    const bool hasSlash = link.find('/') != npos;
    const std::string name = FileNameFromLink(link);
    FUZZ_CHECK(isTidyName(name) && (hasSlash || name.empty()));
    // The UTF-8 form may keep what code page 949 lacks; the disk names it.
    FUZZ_CHECK(hasSlash || Utf8FileNameFromLink(link).empty());
    for (const bool naver : {false, true}) {
        const std::string name = NameFromDisposition(disposition, naver);
        FUZZ_CHECK(isTidyName(name) && (disposition.find("filename=") != npos || name.empty()));
    }

    for (const char* page :
         {"http://blog.naver.com/PostView.nhn?blogId=fuzz&logNo=1", "http://fuzz.tistory.com/1"}) {
        fuzz::FuzzSearch search({}, disposition, length, "zzz");
        PostContext post;
        post.pageUrl = page;
        post.title = "Post Title";
        ResolveMediaLink(search.job(), post, link);
        FUZZ_CHECK(search.finds() <= 1);
    }
    return 0;
}
