#pragma once

// Candidate media links in a post page, by fixed patterns, each handed to
// ResolveMediaLink. Scans start at the page's
// "<body"; a page without one gives nothing. The stop flag is read between
// candidates. Search thread only.

#include "posts/post_context.h"
#include "posts/search_records.h"

namespace bramix {

// href links to the four kinds of file server (Daum bgm, cfile, Naver files,
// Daum pds), pass by pass.
void ExtractHrefLinks(SearchJob& job, PostContext& post);

// The src of every "<EMBED " tag (embedded players).
void ExtractEmbedLinks(SearchJob& job, PostContext& post);

}  // namespace bramix
