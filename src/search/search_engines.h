#pragma once

// The search engines of a search term: per pass, a Google site search over
// Tistory (every pass) and over Daum blogs and Naver's blog search (passes 2
// and 3, once for mp3 and once for wma). The post addresses are cut out of
// the result pages by fixed markers. Search thread only.

#include <string>
#include <string_view>
#include <vector>

#include "posts/search_records.h"

namespace bramix {

// Fills `addresses` with the pass's post addresses in the order Tistory, Daum
// mp3, Naver mp3, Daum wma, Naver wma, duplicates included. False when there
// are none, or the term normalises to nothing (then nothing is fetched).
bool CollectPostAddresses(SearchJob& job, std::vector<std::string>& addresses, int pass);

// The addresses after each result marker past the page's "<body". True when
// there is at least one.
bool ParseGoogleResults(std::string_view page, std::vector<std::string>& results);
bool ParseNaverResults(std::string_view page, std::vector<std::string>& results);

}  // namespace bramix
