#pragma once

// The search job: turns what the user typed (a search term, or the address of
// one blog post) into a stream of found audio files, reported as events.
// SearchThreadProc runs on a thread of its own, one per search; it talks to
// its starter only through the job record and its listener.

#include "posts/search_records.h"

namespace bramix {

// Runs one whole job. Returns 0 in every case.
int SearchThreadProc(SearchJob* job);

}  // namespace bramix
