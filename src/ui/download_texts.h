#pragma once

// What the window's downloads tab says, made from the queue's numbers and
// states: the tab's caption, the stop/start button's, and each row's size,
// state and tooltip. UTF-8; plain C++, any thread.

#include <string>

#include "download/download_queue.h"

namespace bramix::ui {

// "  다운로드  ", or with the done and all entries "  다운로드 (1/3)  ".
std::string DownloadsTabCaption(int completed, int entries);

// "다운로드 시작" or "다운로드 중지".
std::string StartOrStopCaption(bool offersStart);

// The size column: the saved file's size, once done; else empty.
std::string SizeText(const DownloadEntry& entry);

// The state column: "대기 중", the bytes so far, "재시도 8초 후 (404)",
// "완료" or "실패". A running download that has not reported yet still says
// what it waited for.
std::string StateText(const DownloadEntry& entry);

// The whole story of a running download, as much as is known: "3.10 MB /
// 9.79 MB · 1.20 MB/s · 6초 남음"; empty for any other entry.
std::string ProgressTip(const DownloadEntry& entry);

}  // namespace bramix::ui
