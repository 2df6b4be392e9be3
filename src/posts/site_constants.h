#pragma once

// The hosts and domains of the outside services. Patterns throughout the
// search side are built by joining these with literal text; the tests and the
// stand-in web use the same values.

namespace bramix {

inline constexpr const char* HOST_GOOGLE_SEARCH = "www.google.co.kr";
inline constexpr const char* HOST_NAVER_SEARCH = "search.naver.com";
inline constexpr const char* DOMAIN_TISTORY = "tistory.com";
inline constexpr const char* HOST_TISTORY_WWW = "www.tistory.com";
inline constexpr const char* HOST_DAUM_BLOG = "blog.daum.net";
inline constexpr const char* DOMAIN_DAUM = "daum.net";
inline constexpr const char* HOST_NAVER_BLOG = "blog.naver.com";
inline constexpr const char* DOMAIN_NAVER = "naver.com";
inline constexpr const char* DOMAIN_NAVER_FILES = "naver.net";
inline constexpr const char* HOST_NAVER_FILES = "blogfiles.naver.net";
inline constexpr const char* LABEL_DAUM_PDS = "pds";
inline constexpr const char* LABEL_CFILE = "cfile";
inline constexpr const char* LABEL_DAUM_BGM = "bgm.";
inline constexpr const char* URL_DUMMY_MP3 = "http://blog.daum.net/_blog/dummy.mp3";

}  // namespace bramix
