// Typed and drawn boxes: box numbers, the outline in the graphics list, the echo, the staff
// nearest a height, and the limits of width, staves and list room.
#include <array>
#include <string>

#include "engine/core/settings_tables.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "tests/edit/edit_page_fixture.h"

namespace {

constexpr int32_t kStartPath = 1 << 24;

class BoxInput : public EditPageTest {
  protected:
    static void typed(float p1, float p2, float p3, float p4) {
        core::ParamBuffer(1) = p1;
        core::ParamBuffer(2) = p2;
        core::ParamBuffer(3) = p3;
        core::ParamBuffer(4) = p4;
    }
    // A drag from (left, low) to (right, high), in graphics-list units.
    static void drag(int32_t left, int32_t low, int32_t right, int32_t high) {
        core::MouseRegion(1) = low;
        core::MouseRegion(2) = right;
        core::MouseRegion(3) = high;
        core::MouseRegion(4) = left;
    }
    std::array<int32_t, 15> outline_at(int32_t at) const {
        std::array<int32_t, 15> words{};
        for (int k = 0; k < 15; ++k) words[k] = graphics_[at - 1 + k];
        return words;
    }
    static float P(int k) { return core::ParamBuffer(k); }
};

TEST_F(BoxInput, TypedBoxOutlineAndEcho) {
    render::ViewOrigin.x = 100;
    typed(3, 10.5f, 50, 4);
    ASSERT_TRUE(edit::show_typed_box());
    // Staff 3 lies at 11000, staff 4 at 8000; x = INT(position x 150) + the origin.
    const std::array<int32_t, 15> expected = {1675, 9000, 0x0000FF + kStartPath,
                                              1675, 10000, 0,
                                              7600, 10000, 0,
                                              7600, 9000, 0,
                                              1675, 9000, 0};
    EXPECT_EQ(outline_at(1), expected);
    EXPECT_EQ(graphics_length_, 15);
    EXPECT_EQ(core::GraphicsNextFree, 16);
    EXPECT_EQ(core::MouseRegion(1), 0);  // low y and right x are cleared afterwards
    EXPECT_EQ(core::MouseRegion(2), 0);
    // Remembered with the origin, as a dragged box's edges are.
    EXPECT_EQ(edit::LastBoxOutlineX(1), 1675);
    EXPECT_EQ(edit::LastBoxOutlineX(2), 7600);
    EXPECT_GE(fe_.refresh_count, 1);

    typed(3, 10.5f, 50, 4);
    edit::show_box_numbers();
    ASSERT_FALSE(fe_.prompts.empty());
    EXPECT_EQ(fe_.prompts.back(), "  3   10.50   50.00    4");
}

TEST_F(BoxInput, TypedStaffZeroMeansEveryStaffUpTo256) {
    typed(0, 0, 0, 0);
    ASSERT_TRUE(edit::show_typed_box());
    EXPECT_EQ(P(1), 1.0f);
    EXPECT_EQ(P(4), 199.0f);
    EXPECT_EQ(P(2), 0.0f);
    EXPECT_EQ(P(3), render::PageExtent);

    render::PageExtent = 257.0f;  // wide paper: exactly the last staff
    typed(0, 0, 0, 0);
    ASSERT_TRUE(edit::show_typed_box());
    EXPECT_EQ(P(4), 256.0f);
    render::PageExtent = 400.0f;
    typed(0, 0, 0, 0);
    ASSERT_TRUE(edit::show_typed_box());
    EXPECT_EQ(P(4), 256.0f);

    // A staff past the table is refused, nothing shown or changed.
    render::PageExtent = 200.0f;
    const int32_t next = core::GraphicsNextFree;
    typed(3, 0, 0, 257);
    EXPECT_FALSE(edit::show_typed_box());
    EXPECT_EQ(P(4), 257.0f);
    EXPECT_EQ(core::GraphicsNextFree, next);
    typed(256, 10, 20, 0);
    EXPECT_TRUE(edit::show_typed_box());
    EXPECT_EQ(P(4), 256.0f);  // no upper staff: one staff
}

TEST_F(BoxInput, DestinationBoxesFollowTheSourceBox) {
    core::PendingBoxOperation = 3;
    edit::SelectionBox.left = 10.0f;
    edit::SelectionBox.right = 30.0f;
    typed(2, 5, 0, 0);  // one number: a shift
    ASSERT_TRUE(edit::show_typed_box());
    EXPECT_EQ(P(2), 15.0f);
    EXPECT_EQ(P(3), 35.0f);
    EXPECT_EQ(P(4), 2.0f);
    EXPECT_EQ(graphics_[2], 0x00962C + kStartPath);  // the destination colour
    typed(2, 0, 0, 0);
    ASSERT_TRUE(edit::show_typed_box());
    EXPECT_EQ(P(2), 10.0f);
    EXPECT_EQ(P(3), 30.0f);
    edit::PendingBoxStep = 10;  // one staff: the second number is the upper staff
    typed(2, 5, 0, 0);
    ASSERT_TRUE(edit::show_typed_box());
    EXPECT_EQ(P(4), 5.0f);
    EXPECT_EQ(P(2), 10.0f);
    // Staff counts: mode 8 spans the page.
    core::PendingBoxOperation = 8;
    typed(4, 3, 0, 0);
    ASSERT_TRUE(edit::show_typed_box());
    EXPECT_EQ(P(4), 6.0f);
    EXPECT_EQ(P(3), render::PageExtent);
    EXPECT_EQ(edit::LastBoxOutlineX(2), 30000);
}

TEST_F(BoxInput, OutlineIsSkippedWhenTheListIsFull) {
    const int32_t size = core::OutputBufferViews.graphics.size();
    core::GraphicsNextFree = size - 14;  // the 15 words fit exactly
    typed(1, 10, 20, 1);
    ASSERT_TRUE(edit::show_typed_box());
    EXPECT_EQ(graphics_[size - 1], 0);
    EXPECT_EQ(graphics_[size - 3], graphics_[size - 15]);  // closed: last point = first
    EXPECT_EQ(graphics_[size - 13], 0x0000FF + kStartPath);
    EXPECT_EQ(graphics_length_, size);
    EXPECT_EQ(core::GraphicsNextFree, size + 1);

    core::GraphicsNextFree = size - 13;  // one word short
    graphics_length_ = 7;
    typed(1, 10, 20, 1);
    ASSERT_TRUE(edit::show_typed_box());
    EXPECT_EQ(core::GraphicsNextFree, size - 13);
    EXPECT_EQ(graphics_length_, 7);
    EXPECT_EQ(P(1), 1.0f);  // the box itself holds

    core::OutputBufferViews.graphics.unbind();
    typed(1, 10, 20, 1);
    EXPECT_TRUE(edit::show_typed_box());
    edit::draw_box_outline(0);
}

TEST_F(BoxInput, DrawnBoxesSnapToUsedStaves) {
    append_test_record({8, 1, 0, 0});
    append_test_record({1, 3, 20, 5});
    // A drag from just below staff 1 to just above staff 3 (staff 2 is not used).
    drag(1500, 10500, 4500, 16500);
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(1), 3.0f);
    EXPECT_EQ(P(4), 1.0f);
    EXPECT_EQ(P(2), 10.0f);
    EXPECT_EQ(P(3), 30.0f);
    EXPECT_EQ(P(5), 0.0f);
    EXPECT_EQ(P(7), -2.0f);
    EXPECT_EQ(edit::StaffMarks(1), -1);
    EXPECT_EQ(edit::StaffMarks(2), 0);
    EXPECT_EQ(fe_.prompts.back(), "  3   10.00   30.00    1");
    EXPECT_EQ(edit::LastBoxOutlineX(1), 1500);
    EXPECT_EQ(edit::LastBoxOutlineX(2), 4500);
    EXPECT_EQ(graphics_[1], 17000 + 1000);  // staff 1's height + 1000
    EXPECT_EQ(graphics_[4], 11000 - 1000);

    // Halfway between two used staves: the lower number.
    append_test_record({1, 2, 20, 5});
    edit::PendingBoxStep = 'Y';  // no outline
    const int32_t next = core::GraphicsNextFree;
    drag(1500, 15500, 4500, 15500);
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(1), 1.0f);
    EXPECT_EQ(P(7), 0.0f);
    EXPECT_EQ(core::GraphicsNextFree, next);
}

TEST_F(BoxInput, DrawnBoxWidthLimits) {
    append_test_record({8, 1, 0, 0});
    drag(1500, 16000, 2100, 18000);  // exactly 4.0 wide: no horizontal limit
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(2), 0.0f);
    EXPECT_EQ(P(3), 0.0f);
    drag(1500, 16000, 2103, 18000);  // a little wider: kept
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(2), 10.0f);
    EXPECT_FLOAT_EQ(P(3), 2103 / 150.0f);
    core::PendingBoxOperation = 8;  // staff counts keep even a narrow box
    drag(1500, 16000, 2100, 18000);
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(3), 14.0f);

    core::PendingBoxOperation = 0;
    drag(1500, 16000, 1699, 18000);  // narrower than 200 units: a click, the whole width
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(2), 0.0f);
    EXPECT_EQ(P(3), 200.0f);
    drag(1500, 16000, 1700, 18000);  // 200 units: a drag, then too narrow to limit
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(3), 0.0f);
    core::SecondLine.set("L");  // after an L command every drag is a click
    drag(1500, 16000, 4500, 18000);
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(3), 200.0f);
}

TEST_F(BoxInput, ClickedDestinationRepeatsTheLastWidth) {
    core::PendingBoxOperation = 600;  // every staff qualifies
    edit::LastBoxOutlineX(1) = 1500;
    edit::LastBoxOutlineX(2) = 4500;
    drag(3000, 16000, 3000, 16000);
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(2), 10.0f);
    EXPECT_EQ(P(3), 30.0f);
    edit::LastBoxOutlineX(1) = 1500;  // the click itself was remembered
    edit::LastBoxOutlineX(2) = 4500;
    drag(3000, 12000, 3000, 16000);  // with height: the width from the new left edge
    ASSERT_TRUE(edit::read_drawn_box());
    EXPECT_EQ(P(2), 20.0f);
    EXPECT_EQ(P(3), 40.0f);
}

TEST_F(BoxInput, EmptyPageRefusesTheBox) {
    typed(7, 8, 9, 10);
    drag(1500, 10500, 4500, 16500);
    EXPECT_FALSE(edit::read_drawn_box());
    EXPECT_EQ(P(1), 7.0f);
    EXPECT_EQ(P(4), 10.0f);
    EXPECT_EQ(core::MouseRegion(4), 1500);
    EXPECT_EQ(core::GraphicsNextFree, 1);
    EXPECT_TRUE(fe_.prompts.empty());
    EXPECT_EQ(edit::nearest_marked_staff(0), 0);

    core::EngineWaitLevel = 2;
    edit::clear_drawn_box();
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(core::MouseRegion(k), 0);
    EXPECT_EQ(core::EngineWaitLevel, 0);
}

}  // namespace
