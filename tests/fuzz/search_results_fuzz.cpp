// The search engines' result pages: every address ends at the first `" `
// after its marker, and a parse is true exactly when it found one.

#include "fuzz_support.h"
#include "search/search_engines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page = bramix::fuzz::AsText(data, size);
    for (const auto parse : {bramix::ParseGoogleResults, bramix::ParseNaverResults}) {
        std::vector<std::string> results{"left over from before"};
        const bool found = parse(page, results);
        FUZZ_CHECK(found == !results.empty());
        for (const std::string& address : results) {
            FUZZ_CHECK(address.find("\" ") == std::string::npos);
            // Searching the page per address costs too much on long pages.
            FUZZ_CHECK(page.size() > 4096 || page.find(address + "\" ") != page.npos);
        }
    }
    return 0;
}
