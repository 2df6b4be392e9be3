#pragma once

// Resizing a dialog's controls from a resize map, as pure geometry: each
// mapped control moves and/or stretches by what the client area gained since
// initialisation; controls in a group share the growth in proportion, with
// the gaps between them kept. Nothing here knows a widget: the dialog reads
// and places rectangles through LayoutTarget.

#include <cstdint>
#include <optional>
#include <vector>

namespace bramix::ui {

inline constexpr uint32_t RESIZE_SIZE_X = 0x1;
inline constexpr uint32_t RESIZE_SIZE_Y = 0x2;
inline constexpr uint32_t RESIZE_MOVE_X = 0x4;
inline constexpr uint32_t RESIZE_MOVE_Y = 0x8;
inline constexpr uint32_t RESIZE_REPAINT = 0x10;
inline constexpr uint32_t RESIZE_BEGIN_GROUP = 0x1000;
inline constexpr uint32_t RESIZE_END_GROUP = 0x2000;
inline constexpr uint32_t RESIZE_GRIPPER = 0x4000;

inline constexpr int IDC_SIZE_GRIPPER = 59393;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

// An entry of a resize map; id -1 with RESIZE_BEGIN_GROUP or RESIZE_END_GROUP
// opens or closes a group.
struct ResizeMapEntry {
    int id;
    uint32_t flags;
};

// One positioned control: the map's flags (bits 16 to 23 of a group's first
// record hold the group's size) and its rectangle at initialisation.
struct LayoutRecord {
    int id;
    uint32_t flags;
    Rect initial;
};

class LayoutTarget {
public:
    virtual ~LayoutTarget() = default;
    virtual bool Exists(int id) const = 0;
    virtual Rect Current(int id) const = 0;  // client coordinates
    virtual void Place(int id, const Rect& rect) = 0;
    virtual void Repaint(int id) = 0;
};

// a x b / c with a 64-bit intermediate, rounded to nearest (halves away from
// zero), as MulDiv does.
int MulDiv(int a, int b, int c);

class ResizableLayout {
public:
    // Records the controls of `map` that exist, with their rectangles now.
    // `gripper` is the size gripper's rectangle, when there is one. The
    // dialog keeps its own minimum size (no smaller than at initialisation).
    void Init(const std::vector<ResizeMapEntry>& map, const LayoutTarget& target, Size clientSize,
              std::optional<Rect> gripper);

    // Places every recorded control for a client area of cx x cy.
    void Update(int cx, int cy, LayoutTarget& target) const;

    const std::vector<LayoutRecord>& records() const { return records_; }

private:
    void PositionControl(int cx, int cy, const Rect& group, const LayoutRecord& record,
                         bool inGroup, int nextStart, LayoutTarget& target) const;

    std::vector<LayoutRecord> records_;
    Size initial_;
};

}  // namespace bramix::ui
