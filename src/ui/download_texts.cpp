#include "ui/download_texts.h"

#include "base/byte_size.h"
#include "base/code_page.h"

namespace bramix::ui {

namespace {

std::string ByteSize(uint64_t size) {
    return AnsiToUtf8(FormatByteSize(size));
}

// "재시도 8초 후 (404)": what happened and when the entry is tried again.
std::string RetryText(const DownloadEntry& entry) {
    std::string reason;
    switch (entry.failure) {
        case DownloadOutcome::HttpStatus:
            reason = std::to_string(entry.failureStatus);
            break;
        case DownloadOutcome::FileError:
            reason = "파일 오류";
            break;
        default:
            reason = "연결 오류";
            break;
    }
    const long long seconds = (entry.retryPause.count() + 999) / 1000;
    return "재시도 " + std::to_string(seconds) + "초 후 (" + reason + ")";
}

}  // namespace

std::string DownloadsTabCaption(int completed, int entries) {
    if (entries == 0) {
        return "  다운로드  ";
    }
    return "  다운로드 (" + std::to_string(completed) + "/" + std::to_string(entries) + ")  ";
}

std::string StartOrStopCaption(bool offersStart) {
    return offersStart ? "다운로드 시작" : "다운로드 중지";
}

std::string SizeText(const DownloadEntry& entry) {
    return entry.savedSize ? ByteSize(*entry.savedSize) : std::string();
}

std::string StateText(const DownloadEntry& entry) {
    switch (entry.state) {
        case DownloadState::Done:
            return "완료";
        case DownloadState::GivenUp:
            return "실패";
        case DownloadState::Running:
            if (entry.bytesSoFar > 0) {
                return ByteSize(entry.bytesSoFar);
            }
            break;
        case DownloadState::Waiting:
            break;
    }
    return entry.retryPause.count() > 0 ? RetryText(entry) : "대기 중";
}

std::string ProgressTip(const DownloadEntry& entry) {
    if (entry.state != DownloadState::Running || entry.bytesSoFar == 0) {
        return {};
    }
    std::string tip = ByteSize(entry.bytesSoFar);
    if (entry.bytesTotal > 0) {
        tip += " / " + ByteSize(entry.bytesTotal);
    }
    if (const uint64_t speed = entry.rate.BytesPerSecond(); speed > 0) {
        tip += " · " + ByteSize(speed) + "/s";
    }
    if (const auto left = entry.rate.SecondsLeft(entry.bytesTotal)) {
        tip += " · " + std::to_string(*left) + "초 남음";
    }
    return tip;
}

}  // namespace bramix::ui
