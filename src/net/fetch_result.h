#pragma once

// How one request of the search side ended, sorted by what went wrong, with
// the details for the trace and for the user.

#include <string>

namespace bramix {

enum class FetchOutcome {
    Ok,
    Stopped,        // the job's stop ended it
    NotHttp,        // not an http:// address: nothing was sent
    HttpStatus,     // the final answer's status was not 200
    TransferError,  // no connection, a time-out, a stall, a broken transfer
    EmptyPage,      // 200 and no body
};

struct FetchResult {
    FetchOutcome outcome = FetchOutcome::Ok;
    std::string detail;  // libcurl's message of a TransferError
    int httpStatus = 0;  // the final answer's status of an HttpStatus

    bool ok() const { return outcome == FetchOutcome::Ok; }
    explicit operator bool() const { return ok(); }
};

// "HTTP status 404", "transfer error: Connection refused", ...
std::string Describe(const FetchResult& result);

}  // namespace bramix
