// Page titles, title cleaning and file-name tidying. Input: a page; when it
// has a line break, its first line is the search term. A page without a
// title is cleaned whole, as a post heading would be.

#include <optional>

#include "fuzz_support.h"
#include "titles/title_cleaning.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bramix;
    const std::string_view input = fuzz::AsText(data, size);
    const size_t lineEnd = input.find('\n');
    std::optional<std::string_view> term;
    std::string_view page = input;
    if (lineEnd != std::string_view::npos) {
        term = input.substr(0, lineEnd);
        page = input.substr(lineEnd + 1);
    }

    const std::string raw = ExtractPageTitle(page);
    if (!raw.empty()) {
        FUZZ_CHECK(page.find("<title>" + raw + "</title>") != std::string_view::npos);
    }
    std::string title = raw.empty() ? std::string(page) : raw;
    CleanTitle(title, term);
    FUZZ_CHECK(fuzz::IsTidy(title));

    // The stem tidied, the four-byte extension kept.
    std::string name(page);
    TidyFileName(name);
    FUZZ_CHECK(name.size() >= std::min<size_t>(page.size(), 4));
    FUZZ_CHECK(fuzz::IsTidy(
        std::string_view(name).substr(0, name.size() - std::min<size_t>(page.size(), 4))));
    return 0;
}
