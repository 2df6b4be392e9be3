#include "ui/resizable_layout.h"

#include <gtest/gtest.h>

#include <map>

namespace bramix::ui {
namespace {

class FakeDialog : public LayoutTarget {
public:
    std::map<int, Rect> controls;
    std::vector<int> repainted;

    bool Exists(int id) const override { return controls.count(id) != 0; }
    Rect Current(int id) const override { return controls.at(id); }
    void Place(int id, const Rect& rect) override { controls[id] = rect; }
    void Repaint(int id) override { repainted.push_back(id); }
};

// Grown by 100 x 60: plain entries move and stretch by it; the two of a group
// share it and keep their gap; the gripper keeps to the corner; controls the
// dialog lacks and stray group markers are skipped.
TEST(ResizableLayoutTest, EntriesFollowTheGrowthOfTheDialog) {
    FakeDialog dialog;
    // clang-format off
    dialog.controls = {{1, {10, 10, 110, 30}}, {2, {120, 10, 170, 30}}, {3, {10, 40, 170, 200}},
                       {4, {10, 210, 60, 230}}, {5, {10, 232, 85, 238}}, {6, {95, 232, 170, 238}},
                       {IDC_SIZE_GRIPPER, {170, 230, 180, 240}}};
    const std::map<int, Rect> start = dialog.controls;
    ResizableLayout layout;
    layout.Init({{1, RESIZE_SIZE_X}, {99, RESIZE_SIZE_X}, {-1, RESIZE_END_GROUP}, {-1, 0x7},
                 {2, RESIZE_MOVE_X}, {3, RESIZE_SIZE_X | RESIZE_SIZE_Y},
                 {4, RESIZE_MOVE_Y | RESIZE_REPAINT}, {-1, RESIZE_BEGIN_GROUP},
                 {5, RESIZE_SIZE_X}, {6, RESIZE_SIZE_X | RESIZE_MOVE_X}, {-1, RESIZE_END_GROUP}},
                dialog, {180, 240}, Rect{170, 230, 180, 240});
    layout.Update(280, 300, dialog);
    EXPECT_EQ(dialog.controls, (std::map<int, Rect>{
        {1, {10, 10, 210, 30}}, {2, {220, 10, 270, 30}}, {3, {10, 40, 270, 260}},
        {4, {10, 270, 60, 290}}, {5, {10, 232, 138, 238}}, {6, {148, 232, 270, 238}},
        {IDC_SIZE_GRIPPER, {270, 290, 280, 300}}}));
    // clang-format on
    EXPECT_EQ(dialog.repainted, (std::vector<int>{IDC_SIZE_GRIPPER, 4}));
    layout.Update(180, 240, dialog);
    EXPECT_EQ(dialog.controls, start);
    EXPECT_EQ(MulDiv(1, 2, 0), -1);  // a group of no width never divides by zero
}

}  // namespace
}  // namespace bramix::ui
