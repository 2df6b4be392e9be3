#include "posts/event_outbox.h"

namespace bramix {

void EventOutbox::Add(Event event) {
    entries_.push_back({true, std::move(event)});
    TellReady();
}

EventOutbox::Ticket EventOutbox::Reserve() {
    entries_.push_back({});
    return first_ + entries_.size() - 1;
}

void EventOutbox::Settle(Ticket ticket, Event event) {
    if (ticket < first_ || ticket - first_ >= entries_.size()) {
        return;  // dropped
    }
    Entry& entry = entries_[ticket - first_];
    entry.settled = true;
    entry.event = std::move(event);
    TellReady();
}

void EventOutbox::Drop() {
    first_ += entries_.size();
    entries_.clear();
}

void EventOutbox::TellReady() {
    while (!entries_.empty() && entries_.front().settled && !IsStopped(stop_)) {
        // Out of the queue before it is told: a listener may stop the job.
        const Event event = std::move(entries_.front().event);
        entries_.pop_front();
        ++first_;
        if (event) {
            event();
        }
    }
}

}  // namespace bramix
