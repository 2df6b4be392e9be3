#include "stand_in_web.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "base/stop_flag.h"
#include "base/text_helpers.h"

namespace standin {

namespace {

constexpr size_t kPieceSize = 64 * 1024;

// httplib adds these to the request's headers; they were never sent.
bool IsPseudoHeader(std::string_view name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
           name == "LOCAL_PORT";
}

// The absolute address of a request: a proxy receives it whole; a request made
// to the server directly names its host in the Host header.
std::string AbsoluteUrl(const httplib::Request& request) {
    std::string url = request.target;
    if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) {
        url = "http://" + request.get_header_value("Host") + url;
    }
    // The default port is the same address.
    const size_t hostStart = url.find("://") + 3;
    const size_t hostEnd = url.find_first_of("/?#", hostStart);
    const size_t portAt = url.rfind(":80", hostEnd);
    if (portAt != std::string::npos && portAt > hostStart &&
        portAt + 3 == std::min(hostEnd, url.size())) {
        url.erase(portAt, 3);
    }
    return url;
}

std::string Gzip(const std::string& text) {
    std::string out;
    httplib::detail::gzip_compressor compressor;
    compressor.compress(text.data(), text.size(), true, [&out](const char* data, size_t size) {
        out.append(data, size);
        return true;
    });
    return out;
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (bramix::EqualsIgnoringCase(key, name)) {
            return value;
        }
    }
    return {};
}

bool RecordedRequest::HasHeader(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(), [name](const auto& header) {
        return bramix::EqualsIgnoringCase(header.first, name);
    });
}

StandInWeb::StandInWeb() : server_(std::make_unique<httplib::Server>()) {
    // No keep-alive: every request of the program opens its own connection,
    // and a lingering one would only hold up Stop.
    server_->set_keep_alive_max_count(1);
    server_->new_task_queue = [] { return new httplib::ThreadPool(16); };
    // Any path at all, new lines included.
    server_->Get("[\\s\\S]*", [this](const httplib::Request& request, httplib::Response& response) {
        RecordedRequest recorded;
        recorded.method = request.method;
        recorded.url = AbsoluteUrl(request);
        recorded.time = std::chrono::steady_clock::now();
        for (const auto& [name, value] : request.headers) {
            if (!IsPseudoHeader(name)) {
                recorded.headers.emplace_back(name, value);
            }
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(recorded);
        }
        // Ranges are the reply's to honour or not, as a server's would be.
        const_cast<httplib::Request&>(request).ranges.clear();
        if (latencyMs_ > 0) {
            bramix::WaitUnlessStopped(stopping_, std::chrono::milliseconds(latencyMs_));
        }
        const std::optional<Reply> reply = ReplyFor(recorded);
        if (reply && reply->stallBeforeHeaders) {
            while (bramix::WaitUnlessStopped(stopping_, std::chrono::seconds(1))) {
            }
            return;
        }
        Serve(recorded, reply ? RangeOf(recorded, *reply) : Status(404), &response);
    });
    // httplib refuses some targets that real servers take (two '?', for one)
    // before any handler runs; they are still requests the program made.
    server_->set_logger([this](const httplib::Request& request, const httplib::Response& response) {
        if (response.status == 400 && !response.has_header("Content-Type") &&
            !request.target.empty()) {
            RecordedRequest recorded;
            recorded.method = request.method;
            recorded.url = request.target;
            recorded.time = std::chrono::steady_clock::now();
            std::lock_guard lock(mutex_);
            requests_.push_back(recorded);
        }
    });
}

StandInWeb::~StandInWeb() {
    Stop();
}

void StandInWeb::Start(int port) {
    stopping_ = 0;
    if (port == 0) {
        port_ = server_->bind_to_any_port("127.0.0.1");
    } else {
        port_ = server_->bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (port_ <= 0) {
        throw std::runtime_error("the stand-in web cannot listen on 127.0.0.1");
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void StandInWeb::Stop() {
    stopping_ = 1;
    if (thread_.joinable()) {
        server_->stop();
        thread_.join();
    }
}

std::string StandInWeb::ProxyUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

void StandInWeb::Set(const std::string& url, Reply reply) {
    if (reply.gzip) {
        reply.body = Gzip(reply.body);
        reply.headers.emplace_back("Content-Encoding", "gzip");
        reply.gzip = false;
    }
    std::lock_guard lock(mutex_);
    for (auto& [key, value] : replies_) {
        if (key == url) {
            value = std::move(reply);
            return;
        }
    }
    replies_.emplace_back(url, std::move(reply));
}

void StandInWeb::SetFallback(Fallback fallback) {
    std::lock_guard lock(mutex_);
    fallback_ = std::move(fallback);
}

std::vector<RecordedRequest> StandInWeb::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> StandInWeb::RequestedUrls() const {
    std::vector<std::string> urls;
    for (const RecordedRequest& request : Requests()) {
        urls.push_back(request.url);
    }
    return urls;
}

void StandInWeb::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

std::optional<Reply> StandInWeb::ReplyFor(const RecordedRequest& request) const {
    Fallback fallback;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [key, value] : replies_) {
            if (key == request.url) {
                return value;
            }
        }
        fallback = fallback_;
    }
    return fallback ? fallback(request) : std::nullopt;
}

Reply StandInWeb::RangeOf(const RecordedRequest& request, const Reply& reply) {
    const std::string range = request.Header("Range");
    const std::string ifRange = request.Header("If-Range");
    const uint64_t size = reply.generatedSize.value_or(reply.body.size());
    if (!reply.honoursRanges || reply.status != 200 || range.rfind("bytes=", 0) != 0 ||
        range.back() != '-' ||
        (!ifRange.empty() && ifRange != reply.etag && ifRange != reply.lastModified)) {
        return reply;
    }
    const uint64_t start = std::stoull(range.substr(6));
    if (start >= size) {
        return reply;
    }
    Reply rest = reply;
    rest.status = 206;
    rest.headers.emplace_back("Content-Range", "bytes " + std::to_string(start) + "-" +
                                                   std::to_string(size - 1) + "/" +
                                                   std::to_string(size));
    if (reply.generatedSize) {
        rest.generatedOffset = reply.generatedOffset + start;
        rest.generatedSize = size - start;
    } else {
        rest.body = reply.body.substr(start);
    }
    if (reply.closeAfter) {
        rest.closeAfter = *reply.closeAfter > start ? *reply.closeAfter - start : 0;
    }
    return rest;
}

void StandInWeb::Serve(const RecordedRequest&, const Reply& reply, void* responsePointer) {
    auto& response = *static_cast<httplib::Response*>(responsePointer);
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) {
        response.set_header(name, value);
    }
    if (!reply.etag.empty()) {
        response.set_header("ETag", reply.etag);
    }
    if (!reply.lastModified.empty()) {
        response.set_header("Last-Modified", reply.lastModified);
    }
    const bool streamed = reply.generatedSize || reply.closeAfter || reply.stallAfterHeaders ||
                          reply.trickleBytes > 0 || !reply.announceLength;
    if (!streamed) {
        response.set_content(reply.body, reply.contentType);
        bodyBytesSent_ += reply.body.size();
        return;
    }
    const uint64_t size = reply.generatedSize.value_or(reply.body.size());
    // The provider outlives this call: it holds its own copy of the reply.
    auto provider = [this, reply, size](size_t offset, size_t length, httplib::DataSink& sink) {
        auto wait = [this](std::chrono::milliseconds pause) {
            return bramix::WaitUnlessStopped(stopping_, pause);
        };
        if (reply.stallAfterHeaders) {
            while (wait(std::chrono::milliseconds(1000))) {
            }
            return false;
        }
        if (reply.closeAfter && offset >= *reply.closeAfter) {
            return false;  // the connection drops short of the announced length
        }
        size_t piece = reply.trickleBytes > 0 ? reply.trickleBytes : kPieceSize;
        piece = std::min<uint64_t>({piece, length, size - offset});
        if (reply.closeAfter) {
            piece = std::min<uint64_t>(piece, *reply.closeAfter - offset);
        }
        const std::string bytes = reply.generatedSize
                                      ? GeneratedBody(reply.generatedOffset + offset, piece)
                                      : reply.body.substr(offset, piece);
        if (!sink.write(bytes.data(), bytes.size())) {
            return false;
        }
        bodyBytesSent_ += bytes.size();
        if (reply.trickleBytes > 0 && offset + piece < size) {
            return wait(reply.tricklePause);
        }
        return true;
    };
    if (reply.announceLength) {
        response.set_content_provider(size, reply.contentType, provider);
        return;
    }
    response.set_chunked_content_provider(reply.contentType,
                                          [provider, size](size_t offset, httplib::DataSink& sink) {
                                              if (offset >= size) {
                                                  sink.done();
                                                  return true;
                                              }
                                              return provider(offset, size - offset, sink);
                                          });
}

}  // namespace standin
