#include "ui/resizable_layout.h"

#include <gtest/gtest.h>

#include <map>

namespace bramix::ui {
namespace {

// Controls as plain rectangles.
class FakeDialog : public LayoutTarget {
public:
    std::map<int, Rect> controls;
    std::vector<int> repainted;

    bool Exists(int id) const override { return controls.count(id) != 0; }
    Rect Current(int id) const override { return controls.at(id); }
    void Place(int id, const Rect& rect) override { controls[id] = rect; }
    void Repaint(int id) override { repainted.push_back(id); }
};

// Missing controls and stray group markers are skipped; the gripper keeps
// to the corner.
TEST(ResizableLayoutTest, PlainEntriesMoveAndStretchByTheGrowth) {
    FakeDialog dialog;
    dialog.controls = {{1, {10, 10, 110, 30}},
                       {2, {120, 10, 170, 30}},
                       {3, {10, 40, 170, 200}},
                       {4, {10, 210, 60, 230}},
                       {IDC_SIZE_GRIPPER, {170, 230, 180, 240}}};
    ResizableLayout layout;
    layout.Init({{1, RESIZE_SIZE_X},
                 {99, RESIZE_SIZE_X},
                 {-1, RESIZE_END_GROUP},
                 {-1, 0x7},
                 {2, RESIZE_MOVE_X},
                 {3, RESIZE_SIZE_X | RESIZE_SIZE_Y},
                 {4, RESIZE_MOVE_Y | RESIZE_REPAINT}},
                dialog, {180, 240}, Rect{170, 230, 180, 240});
    layout.Update(280, 300, dialog);
    EXPECT_EQ(dialog.controls[1], (Rect{10, 10, 210, 30}));
    EXPECT_EQ(dialog.controls[2], (Rect{220, 10, 270, 30}));
    EXPECT_EQ(dialog.controls[3], (Rect{10, 40, 270, 260}));
    EXPECT_EQ(dialog.controls[4], (Rect{10, 270, 60, 290}));
    EXPECT_EQ(dialog.controls[IDC_SIZE_GRIPPER], (Rect{270, 290, 280, 300}));
    EXPECT_EQ(dialog.repainted, (std::vector<int>{IDC_SIZE_GRIPPER, 4}));
    layout.Update(180, 240, dialog);  // back to the start: back to the start
    EXPECT_EQ(dialog.controls[3], (Rect{10, 40, 170, 200}));
}

TEST(ResizableLayoutTest, AGroupSharesTheGrowthAndKeepsTheGapBetweenItsControls) {
    FakeDialog dialog;
    // Two side-by-side lists 100 wide with a 10-pixel gap, in a 210-wide group.
    dialog.controls = {{1, {0, 0, 100, 50}}, {2, {110, 0, 210, 50}}};
    ResizableLayout layout;
    layout.Init({{-1, RESIZE_BEGIN_GROUP},
                 {1, RESIZE_SIZE_X},
                 {2, RESIZE_SIZE_X | RESIZE_MOVE_X},
                 {-1, RESIZE_END_GROUP}},
                dialog, {210, 50}, std::nullopt);
    layout.Update(420, 50, dialog);                        // the group doubles
    EXPECT_EQ(dialog.controls[1], (Rect{0, 0, 210, 50}));  // up to the gap, which stays 10
    EXPECT_EQ(dialog.controls[2], (Rect{220, 0, 420, 50}));
    EXPECT_EQ(MulDiv(1, 2, 0), -1);  // a group never divides by zero
}

}  // namespace
}  // namespace bramix::ui
