#include "net/fetch_result.h"

namespace bramix {

std::string Describe(const FetchResult& result) {
    switch (result.outcome) {
        case FetchOutcome::Ok:
            return "ok";
        case FetchOutcome::Stopped:
            return "stopped";
        case FetchOutcome::NotHttp:
            return "not an http:// address";
        case FetchOutcome::HttpStatus:
            return "HTTP status " + std::to_string(result.httpStatus);
        case FetchOutcome::TransferError:
            return "transfer error: " + result.detail;
        case FetchOutcome::EmptyPage:
            return "empty page";
    }
    return {};
}

}  // namespace bramix
