#pragma once

// Collects what a search job reports, copying each find while it is valid.

#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "posts/search_records.h"

namespace bramix::testing {

struct RecordedEvent {
    SearchEvent event;
    int position;  // SEARCH_EV_POSITION
    int maximum;   // SEARCH_EV_RANGE and SEARCH_EV_POSITION
    std::optional<FoundFile> found;
};

class EventRecorder : public SearchListener {
public:
    void OnRange(int maximum) override {
        Record({SearchEvent::SEARCH_EV_RANGE, 0, maximum, std::nullopt});
    }
    void OnPosition(int position, int maximum) override {
        Record({SearchEvent::SEARCH_EV_POSITION, position, maximum, std::nullopt});
    }
    void OnFound(const FoundFile& found) override {
        Record({SearchEvent::SEARCH_EV_FOUND, 0, 0, found});
    }
    void OnEnd() override { Record({SearchEvent::SEARCH_EV_END, 0, 0, std::nullopt}); }

    std::vector<RecordedEvent> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }

    std::vector<FoundFile> Finds() const {
        std::vector<FoundFile> finds;
        for (const RecordedEvent& event : events()) {
            if (event.found) {
                finds.push_back(*event.found);
            }
        }
        return finds;
    }

    std::vector<int> Positions() const {
        std::vector<int> positions;
        for (const RecordedEvent& event : events()) {
            if (event.event == SearchEvent::SEARCH_EV_POSITION) {
                positions.push_back(event.position);
            }
        }
        return positions;
    }

    // The events in order, with the finds left out.
    std::vector<SearchEvent> EventsWithoutFinds() const {
        std::vector<SearchEvent> kinds;
        for (const RecordedEvent& event : events()) {
            if (event.event != SearchEvent::SEARCH_EV_FOUND) {
                kinds.push_back(event.event);
            }
        }
        return kinds;
    }

private:
    void Record(RecordedEvent event) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }

    mutable std::mutex mutex_;
    std::vector<RecordedEvent> events_;
};

}  // namespace bramix::testing
