#pragma once

// libcurl handles that free themselves: no path leaks one, and no raw handle
// outlives its cleanup.

#include <curl/curl.h>

#include <memory>

namespace bramix {

struct CurlEasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlMultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct CurlUrlCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlCleanup>;
using CurlHeaderList = std::unique_ptr<curl_slist, CurlListCleanup>;

// Appends a request header line; the list is created on the first one.
inline void AppendHeader(CurlHeaderList& list, const char* line) {
    curl_slist* head = list.release();
    curl_slist* grown = curl_slist_append(head, line);
    list.reset(grown != nullptr ? grown : head);
}

}  // namespace bramix
