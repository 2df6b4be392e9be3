// Page titles, title cleaning and file-name tidying. Input: a page, after the
// search term's line if it has a line break; one without a title is cleaned whole.

#include "fuzz_support.h"
#include "titles/title_cleaning.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bramix;
    const std::string_view input = fuzz::AsText(data, size);
    const size_t lineEnd = input.find('\n');
    const auto term = lineEnd == input.npos
                          ? std::nullopt
                          : std::optional<std::string_view>(input.substr(0, lineEnd));
    const std::string_view page = term ? input.substr(lineEnd + 1) : input;

    const std::string raw = ExtractPageTitle(page);
    FUZZ_CHECK(raw.empty() || page.find("<title>" + raw + "</title>") != page.npos);
    std::string title = raw.empty() ? std::string(page) : raw;
    CleanTitle(title, term);
    FUZZ_CHECK(fuzz::IsTidy(title));

    // The stem tidied, the four-byte extension kept.
    std::string name(page);
    TidyFileName(name);
    const size_t extension = std::min<size_t>(page.size(), 4);
    FUZZ_CHECK(name.size() >= extension && fuzz::IsTidy(name.substr(0, name.size() - extension)));
    return 0;
}
