#include "ui/download_texts.h"

#include <gtest/gtest.h>

namespace bramix::ui {

using namespace std::chrono_literals;
using enum DownloadState;
using enum DownloadOutcome;

static DownloadEntry Entry(DownloadState state, uint64_t bytesSoFar = 0,
                           std::chrono::milliseconds pause = 0ms,
                           DownloadOutcome failure = HttpStatus) {
    DownloadEntry entry;
    entry.state = state;
    entry.bytesSoFar = bytesSoFar;
    entry.retryPause = pause;
    entry.failure = failure;
    entry.failureStatus = 404;
    return entry;
}

TEST(DownloadTextsTest, EachRowSaysItsStateSizeAndProgress) {
    // clang-format off
    const std::pair<DownloadEntry, std::string> rows[] = {
        {Entry(Waiting), "대기 중"}, {Entry(Running), "대기 중"},
        {Entry(Running, 0, 8000ms), "재시도 8초 후 (404)"},  // not reported yet
        {Entry(Waiting, 0, 1500ms, FileError), "재시도 2초 후 (파일 오류)"},
        {Entry(Waiting, 0, 30000ms, TransferError), "재시도 30초 후 (연결 오류)"},
        {Entry(Running, 3250585), "3.09 MB"}, {Entry(Done), "완료"}, {Entry(GivenUp), "실패"}};
    // clang-format on
    for (const auto& [entry, state] : rows) {
        EXPECT_EQ(StateText(entry), state);
        EXPECT_EQ(SizeText(entry), "") << state;  // until the file is saved
        // Only a running download that has bytes has a tooltip.
        EXPECT_EQ(ProgressTip(entry), entry.bytesSoFar > 0 ? state : "");
    }
    DownloadEntry entry = Entry(Done);
    entry.savedSize = 3;
    EXPECT_EQ(SizeText(entry), "3 바이트");

    entry = Entry(Running, 3250585);
    const auto start = TransferRate::Clock::now();
    entry.rate.Add(start, 1000000);
    entry.rate.Add(start + 2s, 3250585);
    EXPECT_EQ(ProgressTip(entry), "3.09 MB · 1.07 MB/s");
    entry.bytesTotal = 10265559;
    EXPECT_EQ(ProgressTip(entry), "3.09 MB / 9.78 MB · 1.07 MB/s · 7초 남음");
    entry.state = Done;
    EXPECT_EQ(ProgressTip(entry), "");
}

}  // namespace bramix::ui
