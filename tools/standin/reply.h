#pragma once

// What one address of the stand-in web answers, and the usual shapes of it.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace standin {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct Reply {
    int status = 200;
    HeaderList headers;  // sent as given, after the status line
    std::string contentType = "text/html";
    std::string body;

    // A streamed body of this many bytes of GeneratedBody; `body` is ignored.
    // Large sizes cost no memory.
    std::optional<uint64_t> generatedSize;

    // Drops the connection after this many body bytes, short of the length
    // announced.
    std::optional<uint64_t> closeAfter;

    // Sends nothing at all until the server stops.
    bool stallBeforeHeaders = false;

    // Sends the headers, then nothing until the server stops.
    bool stallAfterHeaders = false;

    // Sends the body `trickleBytes` at a time with a pause after each piece.
    size_t trickleBytes = 0;
    std::chrono::milliseconds tricklePause{0};

    // Sends the body in chunks with no Content-Length, as servers that do not
    // know the size do.
    bool announceLength = true;

    // Sends the body gzip-compressed with "Content-Encoding: gzip", whatever
    // the request asked for.
    bool gzip = false;

    // Validators sent with the answer, when set.
    std::string etag;
    std::string lastModified;
    // Answers "Range: bytes=N-" with a 206 of the rest, as file servers do,
    // unless an If-Range names another validator than the reply's.
    bool honoursRanges = false;
    // Where a generated body starts in GeneratedBody (the rest of a range).
    uint64_t generatedOffset = 0;
};

Reply Page(std::string body, std::string contentType = "text/html");
Reply EmptyPage();
Reply Status(int status);
Reply Redirect(std::string location, int status = 302);
Reply LargeBody(uint64_t size, std::string contentType = "application/octet-stream");
Reply Trickle(std::string body, size_t bytesPerPiece, std::chrono::milliseconds pause);
Reply StallBeforeHeaders();
Reply StallAfterHeaders();
Reply ClosedMidBody(uint64_t announcedSize, uint64_t sentBytes);
Reply GzipPage(std::string body);

// A file server's answer with a validator that honours ranges.
Reply ResumableFile(uint64_t size, std::string etag);

// The bytes of a generated body from `offset` on: a repeating pattern that
// tests can check any slice of.
std::string GeneratedBody(uint64_t offset, size_t length);

}  // namespace standin
