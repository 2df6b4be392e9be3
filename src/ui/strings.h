#pragma once

// The window's string table. Leading and trailing blanks belong to the texts.

namespace bramix::ui::strings {

inline constexpr const char* kProgramName = "Bramix";        // 102
inline constexpr const char* kResultsTab = "  검색 결과  ";  // 103
inline constexpr const char* kResultsFile = "파일";          // 105
inline constexpr const char* kResultsInfo = "추가 정보";     // 106
inline constexpr const char* kDownloadsFile = "파일";        // 107
inline constexpr const char* kDownloadsInfo = "추가 정보";   // 108
inline constexpr const char* kDownloadsState = "상태";       // 109
inline constexpr const char* kConfirmClose =
    "아직 다운로드할 파일이 남아 있습니다. 종료할까요?";                 // 110
inline constexpr const char* kStop = "중지(&S)";                         // 111
inline constexpr const char* kSearch = "검색(&S)";                       // 112
inline constexpr const char* kResultsTabCounted = "  검색 결과 (%1)  ";  // 117
inline constexpr const char* kDownloadsSize = "크기";                    // 120
inline constexpr const char* kResultsType = "종류";                      // 121
inline constexpr const char* kResultsSize = "크기";                      // 122

inline constexpr const char* kQueryLabel = "검색어/주소(&D):";
inline constexpr const char* kDownloadSelected = "선택 항목 다운로드";
inline constexpr const char* kRemoveDone = "완료 항목 제거";
inline constexpr const char* kOpenFolder = "다운로드 폴더 열기";
inline constexpr const char* kHomeLink = "Bramix 사용 설명서";
inline constexpr const char* kIntroLink = "Bramix 소개, 사용법";
inline constexpr const char* kHiddenColumn = "^^";

// What the results list says when a search ended with nothing in it.
inline constexpr const char* kNothingFound = "찾은 파일이 없습니다.";
inline constexpr const char* kServicesUnreachable = "검색 서비스에 연결하지 못했습니다.";

// The lists' context menus.
inline constexpr const char* kMenuDownload = "다운로드";
inline constexpr const char* kMenuCopyLink = "링크 주소 복사";
inline constexpr const char* kMenuOpenPost = "글 열기";
inline constexpr const char* kMenuOpenFile = "파일 열기";
inline constexpr const char* kMenuOpenFolder = "폴더 열기";
inline constexpr const char* kMenuRemove = "목록에서 제거";

}  // namespace bramix::ui::strings
