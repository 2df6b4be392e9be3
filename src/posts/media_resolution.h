#pragma once

// Decides whether a candidate link is an audio file worth listing: filters it,
// asks its server for name and size with one header-only request, and reports
// the find. The request runs beside the analysis; the find is told in its
// turn, through the job's outbox. Search thread only.

#include <string>
#include <string_view>

#include "posts/post_context.h"
#include "posts/search_records.h"

namespace bramix {

inline constexpr uint32_t kSmallestAcceptedSize = 524288;

// Resolves `link`, a candidate media link of the post. A Naver link loses
// its "?type=attachment" first; the link as resolved is what is marked seen,
// at once, whenever its probe answers.
void ResolveMediaLink(SearchJob& job, PostContext& post, std::string link);

// A text of the post (the search input, a title) as a term, prepared into
// `term` on first use.
const SearchTerm& PreparedTerm(std::optional<SearchTerm>& term, const std::string& text);

// Applies the final naming rules to `found`, marks `link` (the link found
// was resolved from) seen and tells the job's listener in its turn, unless
// `link` was seen already. `titleTerm` is found.title's as it was given.
void ReportFoundFile(SearchJob& job, PostContext& post, const std::string& link, FoundFile& found,
                     const SearchTerm& titleTerm);

}  // namespace bramix
