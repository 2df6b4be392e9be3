#pragma once

// Collects what a search job reports, copying each find while it is valid.

#include <mutex>
#include <optional>
#include <vector>

#include "posts/search_records.h"

namespace bramix::testing {

struct RecordedEvent {
    int code;
    int value;
    intptr_t data;
    std::optional<FoundFile> found;
};

class EventRecorder {
public:
    SearchEventCallback Callback() {
        return [this](int code, int value, intptr_t data) {
            std::lock_guard lock(mutex_);
            RecordedEvent event{code, value, data, std::nullopt};
            if (code == SEARCH_EV_FOUND) {
                event.found = FoundFileOf(data);
                event.data = 0;
            }
            events_.push_back(event);
            return 0;
        };
    }

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
            if (event.code == SEARCH_EV_POSITION) {
                positions.push_back(event.value);
            }
        }
        return positions;
    }

    // The codes in order, with the finds left out.
    std::vector<int> CodesWithoutFinds() const {
        std::vector<int> codes;
        for (const RecordedEvent& event : events()) {
            if (event.code != SEARCH_EV_FOUND) {
                codes.push_back(event.code);
            }
        }
        return codes;
    }

private:
    mutable std::mutex mutex_;
    std::vector<RecordedEvent> events_;
};

}  // namespace bramix::testing
