#pragma once

// The working record of one blog post under analysis. An analyzer owns it for
// one call; the extractors and the media resolution borrow it. Code page 949.

#include <optional>
#include <string>

#include "titles/keyword_match.h"

namespace bramix {

struct PostContext {
    std::string pageUrl;    // after the service's rewriting; the page of every find
    std::string html;       // the post page, in code page 949
    std::string title;      // cleaned: the default song title of every find
    std::string itemTitle;  // Tistory attachment items only
    // The job's input, `title` and `itemTitle` made ready to match the finds'
    // names against, on first use (PreparedTerm): a page's many finds share
    // them. Whoever changes a title after that empties its term.
    std::optional<SearchTerm> inputTerm;
    std::optional<SearchTerm> titleTerm;
    std::optional<SearchTerm> itemTitleTerm;
};

}  // namespace bramix
