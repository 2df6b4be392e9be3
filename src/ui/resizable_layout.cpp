#include "ui/resizable_layout.h"

#include <algorithm>
#include <cstdlib>

namespace bramix::ui {

namespace {

constexpr uint32_t kGroupSizeShift = 16;
constexpr uint32_t kGroupSizeMask = 0xFF;

int GroupSize(uint32_t flags) {
    return static_cast<int>((flags >> kGroupSizeShift) & kGroupSizeMask);
}

bool Stretches(uint32_t flags) {
    return (flags & (RESIZE_SIZE_X | RESIZE_SIZE_Y)) != 0;
}

}  // namespace

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude =
        (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

void ResizableLayout::Init(const std::vector<ResizeMapEntry>& map, const LayoutTarget& target,
                           Size clientSize, std::optional<Rect> gripper) {
    records_.clear();
    initial_ = clientSize;
    if (gripper) {
        records_.push_back({IDC_SIZE_GRIPPER,
                            RESIZE_MOVE_X | RESIZE_MOVE_Y | RESIZE_REPAINT | RESIZE_GRIPPER,
                            *gripper});
    }
    int groupStart = -1;
    for (const ResizeMapEntry& entry : map) {
        if (entry.id == -1) {
            if (entry.flags == RESIZE_BEGIN_GROUP) {
                groupStart = static_cast<int>(records_.size());
            } else if (entry.flags == RESIZE_END_GROUP && groupStart >= 0) {
                const auto size = static_cast<uint32_t>(records_.size()) - groupStart;
                if (size > 0) {
                    records_[groupStart].flags |= std::min(size, kGroupSizeMask) << kGroupSizeShift;
                }
                groupStart = -1;
            }
            continue;
        }
        if (!target.Exists(entry.id)) {
            continue;  // a map may name controls a dialog does not have
        }
        uint32_t flags = entry.flags;
        if (groupStart != -1 && groupStart == static_cast<int>(records_.size())) {
            flags |= RESIZE_BEGIN_GROUP;
        }
        records_.push_back({entry.id, flags, target.Current(entry.id)});
    }
}

void ResizableLayout::Update(int cx, int cy, LayoutTarget& target) const {
    const Rect none{};
    for (size_t i = 0; i < records_.size();) {
        const LayoutRecord& record = records_[i];
        const int n = (record.flags & RESIZE_BEGIN_GROUP) != 0 ? GroupSize(record.flags) : 0;
        if (n == 0) {
            PositionControl(cx, cy, none, record, false, -1, target);
            ++i;
            continue;
        }
        const size_t end = std::min(records_.size(), i + static_cast<size_t>(n));
        Rect group = record.initial;
        for (size_t j = i; j < end; ++j) {
            group.left = std::min(group.left, records_[j].initial.left);
            group.top = std::min(group.top, records_[j].initial.top);
            group.right = std::max(group.right, records_[j].initial.right);
            group.bottom = std::max(group.bottom, records_[j].initial.bottom);
        }
        for (size_t j = i; j < end; ++j) {
            int nextStart = -1;
            if (j + 1 < end && Stretches(records_[j].flags) && Stretches(records_[j + 1].flags)) {
                const Rect current = target.Current(records_[j].id);
                const Rect next = target.Current(records_[j + 1].id);
                const uint32_t both = records_[j].flags & records_[j + 1].flags;
                if ((both & RESIZE_SIZE_X) != 0) {
                    if (next.left >= current.right) {
                        nextStart = records_[j + 1].initial.left;
                    }
                } else if ((both & RESIZE_SIZE_Y) != 0 && next.top >= current.bottom) {
                    nextStart = records_[j + 1].initial.top;
                }
            }
            PositionControl(cx, cy, group, records_[j], true, nextStart, target);
        }
        i = end;
    }
}

void ResizableLayout::PositionControl(int cx, int cy, const Rect& group, const LayoutRecord& r,
                                      bool inGroup, int nextStart, LayoutTarget& target) const {
    Rect rect = target.Current(r.id);
    const Rect& start = r.initial;
    // One axis at a time: the same rules hold across and down.
    auto place = [&](int& low, int& high, int startLow, int startHigh, int groupLow, int groupSize,
                     int delta, uint32_t sizeFlag, uint32_t moveFlag) {
        if ((r.flags & (sizeFlag | moveFlag)) == 0) {
            return;
        }
        if (!inGroup) {
            high = startHigh + delta;
            if ((r.flags & moveFlag) != 0) {
                low = high - (startHigh - startLow);
            }
            return;
        }
        if (groupSize == 0) {
            return;
        }
        auto scaled = [&](int at) {
            return groupLow + MulDiv(at - groupLow, groupSize + delta, groupSize);
        };
        low = scaled(startLow);
        if ((r.flags & sizeFlag) == 0) {
            high = low + (startHigh - startLow);
        } else if (nextStart == -1) {
            high = scaled(startHigh);
        } else {
            high = scaled(nextStart) + (startHigh - nextStart);  // the gap keeps its width
        }
    };
    place(rect.left, rect.right, start.left, start.right, group.left, group.right - group.left,
          cx - initial_.cx, RESIZE_SIZE_X, RESIZE_MOVE_X);
    place(rect.top, rect.bottom, start.top, start.bottom, group.top, group.bottom - group.top,
          cy - initial_.cy, RESIZE_SIZE_Y, RESIZE_MOVE_Y);
    if ((r.flags & RESIZE_REPAINT) != 0) {
        target.Repaint(r.id);
    }
    if ((r.flags & 0x1F) != 0) {
        target.Place(r.id, rect);
    }
}

}  // namespace bramix::ui
