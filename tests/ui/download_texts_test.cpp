#include "ui/download_texts.h"

#include <gtest/gtest.h>

namespace bramix::ui {
namespace {

using namespace std::chrono_literals;

DownloadEntry Entry(DownloadState state, std::chrono::milliseconds pause = 0ms,
                    DownloadOutcome failure = DownloadOutcome::HttpStatus) {
    DownloadEntry entry;
    entry.state = state;
    entry.retryPause = pause;
    entry.failure = failure;
    entry.failureStatus = 404;
    return entry;
}

TEST(DownloadTextsTest, EachRowSaysItsStateAndSize) {
    DownloadEntry running = Entry(DownloadState::Running);
    running.bytesSoFar = 3250585;
    const struct {
        DownloadEntry entry;
        std::string state;
    } rows[] = {
        {Entry(DownloadState::Waiting), "대기 중"},
        {Entry(DownloadState::Running), "대기 중"},
        {Entry(DownloadState::Waiting, 8000ms), "재시도 8초 후 (404)"},
        {Entry(DownloadState::Running, 8000ms), "재시도 8초 후 (404)"},  // not reported yet
        {Entry(DownloadState::Waiting, 1500ms, DownloadOutcome::FileError),
         "재시도 2초 후 (파일 오류)"},
        {Entry(DownloadState::Waiting, 30000ms, DownloadOutcome::TransferError),
         "재시도 30초 후 (연결 오류)"},
        {running, "3.09 MB"},
        {Entry(DownloadState::Done), "완료"},
        {Entry(DownloadState::GivenUp), "실패"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(StateText(row.entry), row.state);
        EXPECT_EQ(SizeText(row.entry), "") << row.state;  // until the file is saved
    }
    DownloadEntry done = Entry(DownloadState::Done);
    done.savedSize = 3;
    EXPECT_EQ(SizeText(done), "3 바이트");
}

// The tab's and the button's captions are the window test's.
TEST(DownloadTextsTest, TheTooltipTellsSizesSpeedAndTimeLeft) {
    DownloadEntry entry = Entry(DownloadState::Running);
    EXPECT_EQ(ProgressTip(entry), "");  // nothing arrived yet
    const auto start = TransferRate::Clock::now();
    entry.rate.Add(start, 1000000);
    entry.rate.Add(start + 2s, 3250585);
    entry.bytesSoFar = 3250585;
    EXPECT_EQ(ProgressTip(entry), "3.09 MB · 1.07 MB/s");
    entry.bytesTotal = 10265559;
    EXPECT_EQ(ProgressTip(entry), "3.09 MB / 9.78 MB · 1.07 MB/s · 7초 남음");
    entry.state = DownloadState::Done;
    EXPECT_EQ(ProgressTip(entry), "");
}

}  // namespace
}  // namespace bramix::ui
