#include "reply.h"

#include <algorithm>
#include <string_view>

namespace standin {

Reply Page(std::string body, std::string contentType) {
    Reply reply;
    reply.body = std::move(body);
    reply.contentType = std::move(contentType);
    return reply;
}

Reply EmptyPage() {
    return Page("");
}

Reply Status(int status) {
    Reply reply;
    reply.status = status;
    reply.body = "<html><body>status " + std::to_string(status) + "</body></html>";
    return reply;
}

Reply Redirect(std::string location, int status) {
    Reply reply = Status(status);
    reply.headers.emplace_back("Location", std::move(location));
    return reply;
}

Reply LargeBody(uint64_t size, std::string contentType) {
    Reply reply;
    reply.generatedSize = size;
    reply.contentType = std::move(contentType);
    return reply;
}

Reply Trickle(std::string body, size_t bytesPerPiece, std::chrono::milliseconds pause) {
    Reply reply = Page(std::move(body));
    reply.trickleBytes = bytesPerPiece;
    reply.tricklePause = pause;
    return reply;
}

Reply StallBeforeHeaders() {
    Reply reply = LargeBody(1024);
    reply.stallBeforeHeaders = true;
    return reply;
}

Reply StallAfterHeaders() {
    Reply reply = LargeBody(1024);
    reply.stallAfterHeaders = true;
    return reply;
}

Reply ClosedMidBody(uint64_t announcedSize, uint64_t sentBytes) {
    Reply reply = LargeBody(announcedSize);
    reply.closeAfter = sentBytes;
    return reply;
}

Reply ResumableFile(uint64_t size, std::string etag) {
    Reply reply = LargeBody(size, "audio/mpeg");
    reply.etag = std::move(etag);
    reply.honoursRanges = true;
    return reply;
}

Reply GzipPage(std::string body) {
    Reply reply = Page(std::move(body));
    reply.gzip = true;
    return reply;
}

std::string GeneratedBody(uint64_t offset, size_t length) {
    static constexpr std::string_view kPattern =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTU";  // 57 bytes: no power of two
    // Many periods in a row, so that a slice is one or a few copies.
    static const std::string cycle = [] {
        std::string text;
        for (int i = 0; i < 1200; ++i) {
            text += kPattern;
        }
        return text;
    }();
    std::string out;
    out.reserve(length);
    while (out.size() < length) {
        const size_t start = (offset + out.size()) % kPattern.size();
        const size_t n = std::min(length - out.size(), cycle.size() - start);
        out.append(cycle, start, n);
    }
    return out;
}

}  // namespace standin
