#pragma once

// The job's events in the order its analysis made them. An event that waits
// for a file's probe holds back every event after it; each is told once all
// before it have been, so the listener hears the order a search that asked
// one thing at a time would tell. Nothing is told once the job's stop is
// asked for. Search thread only.

#include <cstdint>
#include <deque>
#include <functional>

#include "base/stop_flag.h"

namespace bramix {

class EventOutbox {
public:
    // Tells the listener one event (and notes what it counts); empty: none.
    using Event = std::function<void()>;
    using Ticket = uint64_t;

    explicit EventOutbox(const StopFlag& stop) : stop_(stop) {}

    // An event that is ready.
    void Add(Event event);
    // A place for an event that is not decided yet: Settle fills it.
    Ticket Reserve();
    void Settle(Ticket ticket, Event event);

    bool empty() const { return entries_.empty(); }
    // Forgets every event not told yet.
    void Drop();

private:
    struct Entry {
        bool settled = false;
        Event event;
    };
    void TellReady();

    const StopFlag& stop_;
    std::deque<Entry> entries_;
    Ticket first_ = 0;  // the ticket of entries_.front()
};

}  // namespace bramix
