#pragma once

// Decides whether a candidate link is an audio file worth listing: filters it,
// asks its server for name and size with one header-only request, and reports
// the find. Search thread only.

#include <string>
#include <string_view>

#include "posts/post_context.h"
#include "posts/search_records.h"

namespace bramix {

inline constexpr uint32_t kSmallestAcceptedSize = 524288;

// Resolves the post's linkUrl (which it may rewrite).
void ResolveMediaLink(SearchJob& job, PostContext& post);

// A text of the post (the search input, a title) as a term, prepared into
// `term` on first use.
const SearchTerm& PreparedTerm(std::optional<SearchTerm>& term, const std::string& text);

// Applies the final naming rules to `found`, marks the link seen and raises
// SEARCH_EV_FOUND, unless the post's linkUrl was seen already. `titleTerm`
// is found.title's as it was given.
void ReportFoundFile(SearchJob& job, PostContext& post, FoundFile& found,
                     const SearchTerm& titleTerm);

}  // namespace bramix
