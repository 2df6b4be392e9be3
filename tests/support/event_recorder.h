#pragma once

// Collects what a search job reports, copying each find while it is valid.
// Read it once the job has ended.

#include <string>
#include <vector>

#include "posts/search_records.h"

namespace bramix::testing {

struct EventRecorder : SearchListener {
    void OnRange(int) override { kinds += 'R'; }
    void OnPosition(int position, int) override {
        kinds += 'P';
        positions.push_back(position);
    }
    void OnFound(const FoundFile& found) override {
        kinds += 'F';
        finds.push_back(found);
        if (stopOnFind != nullptr) {
            *stopOnFind = 1;  // as a user who stops at the first find
        }
    }
    void OnEnd() override { kinds += 'E'; }

    std::string kinds;  // one letter per event: Range, Position, Found, End
    std::vector<int> positions;
    std::vector<FoundFile> finds;
    StopFlag* stopOnFind = nullptr;
};

}  // namespace bramix::testing
