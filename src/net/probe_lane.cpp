#include "net/probe_lane.h"

#include "net/address.h"

namespace bramix {

namespace {

// What a probe counts against: the host (and port) of its address.
std::string ServerOf(const std::string& url) {
    const auto parsed = ParseAddress(url);
    return parsed ? parsed->host : url;
}

}  // namespace

ProbeLane::ProbeLane(CurlDriver& driver) : driver_(driver) {
    driver_.SetWatcher([this] { TakeSettled(); });
}

ProbeLane::~ProbeLane() {
    driver_.SetWatcher({});
}

void ProbeLane::Start(const std::string& url, const StopFlag& stop, WebClient::ProbeDone done) {
    waiting_.push_back({url, ServerOf(url), &stop, std::move(done), nullptr});
    std::vector<Answer> answers;
    Launch(answers);
    Tell(answers);
}

void ProbeLane::FailAll() {
    std::vector<Answer> answers;
    for (Probe& probe : running_) {
        answers.push_back({std::move(probe.done), {}});
    }
    for (Probe& probe : waiting_) {
        answers.push_back({std::move(probe.done), {}});
    }
    for (Answer& answer : answers) {
        answer.probe.result = {FetchOutcome::TransferError, "libcurl failed"};
    }
    Drop();
    Tell(answers);
}

void ProbeLane::Drop() {
    running_.clear();
    waiting_.clear();
}

void ProbeLane::TakeSettled() {
    std::vector<Answer> answers;
    for (auto probe = running_.begin(); probe != running_.end();) {
        if (!probe->reader->HeadSettled()) {
            ++probe;
            continue;
        }
        answers.push_back({std::move(probe->done), Conclude(*probe->reader, true)});
        probe = running_.erase(probe);  // closes its connection: no body is read
    }
    if (!answers.empty()) {
        Launch(answers);
    }
    Tell(answers);
}

void ProbeLane::Launch(std::vector<Answer>& answers) {
    for (auto probe = waiting_.begin();
         probe != waiting_.end() && running_.size() < kProbesInFlight;) {
        if (RunningTo(probe->server) >= kProbesPerServer) {
            ++probe;
            continue;
        }
        probe->reader =
            std::make_unique<HttpPageReader>(kFetchTimeoutMs, probe->stop, kStallLimit, &driver_);
        if (probe->reader->StartHeadOnly(probe->url)) {
            running_.push_back(std::move(*probe));
        } else {  // not http://, or libcurl could not start it
            answers.push_back({std::move(probe->done), Conclude(*probe->reader, false)});
        }
        probe = waiting_.erase(probe);
    }
}

size_t ProbeLane::RunningTo(const std::string& server) const {
    size_t count = 0;
    for (const Probe& probe : running_) {
        count += probe.server == server ? 1 : 0;
    }
    return count;
}

FileProbe ProbeLane::Conclude(HttpPageReader& reader, bool started) {
    FileProbe probe;
    // Only the status and two headers: the body is never read.
    if (started && reader.TakeHead()) {
        probe.contentDisposition = reader.Header("Content-Disposition");
        probe.contentLength = reader.Header("Content-Length");
    }
    probe.result = reader.result();
    return probe;
}

// Called once the lane is in order again, so that whoever takes an answer may
// start or drop probes.
void ProbeLane::Tell(std::vector<Answer>& answers) {
    for (Answer& answer : answers) {
        answer.done(answer.probe);
    }
}

}  // namespace bramix
