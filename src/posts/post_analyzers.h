#pragma once

// One analyzer per blog service: opens a post, takes its title and hands every
// candidate media link on for resolution. Finds are reported to the job's
// listener. Search thread only; failures end the post silently.

#include <string>

#include "posts/post_context.h"
#include "posts/search_records.h"

namespace bramix {

// Posts on blog.naver.com, rewritten to their content page; code page 949.
void AnalyzeNaverPost(SearchJob& job, const std::string& address);

// Posts on blog.daum.net: a frame page whose main frame holds the post; UTF-8.
void AnalyzeDaumPost(SearchJob& job, const std::string& address);

// Tistory posts and every other blog: attachment blocks reported directly,
// embedded players resolved; UTF-8.
void AnalyzeTistoryPost(SearchJob& job, const std::string& address);

// What AnalyzeTistoryPost does once it holds the page in code page 949:
// title, attachment items, players. `post` has its addresses and html set.
void AnalyzeTistoryPage(SearchJob& job, PostContext& post);

}  // namespace bramix
