#include "search/search_engines.h"

#include "base/code_page.h"
#include "base/percent_coding.h"
#include "base/text_helpers.h"
#include "posts/site_constants.h"
#include "titles/keyword_match.h"

namespace bramix {

namespace {

constexpr int kResultsPerPage = 10;

bool ParseResults(std::string_view page, std::string_view marker,
                  std::vector<std::string>& results) {
    static constexpr std::string_view kEnd = "\" ";
    results.clear();
    const size_t body = page.find("<body");
    size_t found = page.find(marker, body == std::string_view::npos ? 0 : body + 1);
    while (found != std::string_view::npos) {
        const size_t begin = found + marker.size();
        const size_t end = page.find(kEnd, begin);
        if (end == std::string_view::npos) {
            break;
        }
        results.emplace_back(page.substr(begin, end - begin));
        found = page.find(marker, end + 1);
    }
    return !results.empty();
}

std::string DaumQuery(const std::string& utf8Term, const char* suffix, int pass) {
    return std::string("http://") + HOST_GOOGLE_SEARCH + "/search?as_q=" + utf8Term + suffix +
           "&num=" + std::to_string(kResultsPerPage) + "&as_sitesearch=" + HOST_DAUM_BLOG +
           "&start=" + std::to_string(10 * (pass - 2));
}

std::string NaverQuery(const std::string& ansiTerm, const char* suffix, int pass) {
    return std::string("http://") + HOST_NAVER_SEARCH +
           "/search.naver?where=post&query=" + ansiTerm + suffix +
           "&start=" + std::to_string(10 * pass - 10);
}

std::string TistoryQuery(const std::string& utf8Term, int pass) {
    return std::string("http://") + HOST_GOOGLE_SEARCH + "/search?as_q=" + utf8Term +
           "+mp3&num=" + std::to_string(kResultsPerPage) + "&as_sitesearch=" + DOMAIN_TISTORY +
           "&start=" + std::to_string(10 * pass);
}

using Parser = bool (*)(std::string_view, std::vector<std::string>&);

// Fetches one result page unless a stop was asked for; a failed fetch adds
// nothing.
void Query(SearchJob& job, SearchService service, const std::string& url, Parser parse,
           std::vector<std::string>& results) {
    if (StopRequested(job)) {
        return;
    }
    std::string page;
    if (FetchCounted(job, service, url, page)) {
        parse(page, results);
    }
}

}  // namespace

bool ParseGoogleResults(std::string_view page, std::vector<std::string>& results) {
    return ParseResults(page, "<li class=g><h3 class=r><a href=\"", results);
}

bool ParseNaverResults(std::string_view page, std::vector<std::string>& results) {
    return ParseResults(page, "<dt><a href=\"", results);
}

bool CollectPostAddresses(SearchJob& job, std::vector<std::string>& addresses, int pass) {
    addresses.clear();
    std::string term = job.input;
    NormalizeSearchTerm(term);
    if (term.empty()) {
        return false;
    }
    // Google takes the term as UTF-8, Naver in code page 949.
    const std::string googleTerm = UrlEncode(AnsiToUtf8(term));
    const std::string naverTerm = UrlEncode(term);

    std::vector<std::string> tistory, daumMp3, naverMp3, daumWma, naverWma;
    if (pass == 2 || pass == 3) {
        const auto daum = SearchService::GoogleDaum;
        const auto naver = SearchService::Naver;
        Query(job, daum, DaumQuery(googleTerm, "+mp3", pass), ParseGoogleResults, daumMp3);
        Query(job, daum, DaumQuery(googleTerm, "+wma", pass), ParseGoogleResults, daumWma);
        Query(job, naver, NaverQuery(naverTerm, "%20mp3", pass), ParseNaverResults, naverMp3);
        Query(job, naver, NaverQuery(naverTerm, "%20wma", pass), ParseNaverResults, naverWma);
    }
    if (pass < 5) {  // the job's passes; a later one would ask Tistory past its pages
        Query(job, SearchService::GoogleTistory, TistoryQuery(googleTerm, pass), ParseGoogleResults,
              tistory);
    }
    for (auto* list : {&tistory, &daumMp3, &naverMp3, &daumWma, &naverWma}) {
        addresses.insert(addresses.end(), list->begin(), list->end());
    }
    return !addresses.empty();
}

}  // namespace bramix
