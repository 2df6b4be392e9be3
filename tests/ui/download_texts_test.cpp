#include "ui/download_texts.h"

#include <gtest/gtest.h>

namespace bramix::ui {
namespace {

using namespace std::chrono_literals;

DownloadEntry EntryIn(DownloadState state) {
    DownloadEntry entry;
    entry.state = state;
    return entry;
}

TEST(DownloadTextsTest, EachRowSaysItsStateAndSize) {
    DownloadEntry notFound = EntryIn(DownloadState::Waiting);
    notFound.retryPause = 8000ms;
    notFound.failure = DownloadOutcome::HttpStatus;
    notFound.failureStatus = 404;
    DownloadEntry retrying = notFound;  // its next attempt has not reported yet
    retrying.state = DownloadState::Running;
    DownloadEntry unwritable = notFound;
    unwritable.retryPause = 1500ms;
    unwritable.failure = DownloadOutcome::FileError;
    DownloadEntry cut = notFound;
    cut.retryPause = 30000ms;
    cut.failure = DownloadOutcome::TransferError;
    DownloadEntry running = EntryIn(DownloadState::Running);
    running.bytesSoFar = 3250585;
    DownloadEntry done = EntryIn(DownloadState::Done);
    done.savedSize = 3;
    const struct {
        DownloadEntry entry;
        std::string state;
        std::string size;
    } rows[] = {
        {EntryIn(DownloadState::Waiting), "대기 중", ""},
        {EntryIn(DownloadState::Running), "대기 중", ""},
        {notFound, "재시도 8초 후 (404)", ""},
        {retrying, "재시도 8초 후 (404)", ""},
        {unwritable, "재시도 2초 후 (파일 오류)", ""},
        {cut, "재시도 30초 후 (연결 오류)", ""},
        {running, "3.09 MB", ""},
        {done, "완료", "3 바이트"},
        {EntryIn(DownloadState::GivenUp), "실패", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(StateText(row.entry), row.state);
        EXPECT_EQ(SizeText(row.entry), row.size) << row.state;
    }
}

TEST(DownloadTextsTest, TheTabTheButtonAndTheTooltip) {
    EXPECT_EQ(DownloadsTabCaption(0, 0), "  다운로드  ");
    EXPECT_EQ(DownloadsTabCaption(1, 3), "  다운로드 (1/3)  ");
    EXPECT_EQ(StartOrStopCaption(true), "다운로드 시작");
    EXPECT_EQ(StartOrStopCaption(false), "다운로드 중지");

    DownloadEntry entry = EntryIn(DownloadState::Running);
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
