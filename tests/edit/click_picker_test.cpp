// The click picker: the item nearest a click is opened, never the one picked last; with an item
// edited a click writes the line that moves it there.
#include "engine/edit/items/click_picker.h"

#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class ClickPickerTest : public InterpreterTest {
  protected:
    // A click at the display point of P3 p on staff s at step `step` (view origin taken in).
    static void click_at(float p3, int32_t staff, float step) {
        const auto& t = layout::StaffTables;
        core::MouseRegion(4) = static_cast<int32_t>(p3 * 150.0f) + render::ViewOrigin.x;
        core::MouseRegion(3) =
            static_cast<int32_t>(t.StaffBaseY(staff) + step * 7.0f * t.StaffScale(staff)) -
            render::ViewOrigin.y;
    }
    // One pick with no item edited; the item it opened (0: none).
    static int32_t pick(int32_t mode = 8) {
        core::EditedItemNumber = 0;
        edit::ClickMode = mode;
        edit::pick_item_at_click();
        return core::EditedItemNumber;
    }
};

// Staff 1 with notes at P3 20 and 40 (items 2 and 3), one step below the note head's own step.
TEST_F(ClickPickerTest, NearestItemTiesAndNeverTheSameItemTwice) {
    enter_items_without_editing();
    type_all({"8 1 0", "1 1 20 1", "1 1 40 1"});
    ASSERT_EQ(core::ItemCount, 3);
    click_at(40.0f, 1, 0.0f);  // a note's point lies one step below its P4
    EXPECT_EQ(pick(), 3);
    EXPECT_EQ(core::CommandLine(1), 'I');
    EXPECT_EQ(core::ParamBuffer(2), 3.0f);
    EXPECT_EQ(core::ItemPanelRecord.edited_item, 3);
    EXPECT_EQ(pick(), 2);  // item 3 was picked last
    EXPECT_EQ(pick(), 3);

    edit::LastPickedItem = 0;
    click_at(30.0f, 1, 0.0f);  // halfway: the earlier note
    EXPECT_EQ(pick(), 2);
    EXPECT_EQ(core::EngineWaitLevel, 0);

    // ClickMode 9 writes the X word in both lines.
    edit::LastPickedItem = 0;
    click_at(40.0f, 1, 0.0f);
    EXPECT_EQ(pick(9), 3);
    EXPECT_EQ(core::CommandLine.sub(1, 5), "X   3");
    EXPECT_EQ(core::SecondLine.sub(1, 5), "X   3");
    EXPECT_EQ(core::CommandModeLetters(1), 'X');
    EXPECT_EQ(core::ParamBuffer(2), 3.0f);
}

TEST_F(ClickPickerTest, NoItemQualifyingStartsNothing) {
    click_at(40.0f, 1, 0.0f);
    core::CommandLine.set("~");
    EXPECT_EQ(pick(), 0);  // an empty page
    EXPECT_EQ(core::CommandLine.trimmed(), "~");
    enter_items_without_editing();
    type("8 1 0");
    edit::LastPickedItem = 1;  // the only item was picked last
    EXPECT_EQ(pick(), 0);
    EXPECT_EQ(edit::LastPickedItem, 1);
}

// Staves above 200 lie on the right-hand page, 227.0 P3 units along.
TEST_F(ClickPickerTest, RightHandPageItemsLie227Along) {
    enter_items_without_editing();
    type_all({"8 201 0", "1 201 10 1", "1 201 240 1"});
    ASSERT_EQ(core::ItemCount, 3);
    click_at(237.0f, 201, 0.0f);
    EXPECT_EQ(pick(), 2);
}

// The picker's line through the interpreter: a click in the page with no item edited opens the
// nearest item.
TEST_F(ClickPickerTest, AClickInThePageOpensTheItem) {
    enter_items_without_editing();
    type_all({"8 1 0", "1 1 20 1", "1 1 40 1"});
    click_at(40.0f, 1, 0.0f);
    palette("~");
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(core::EditItemParams(3), 40.0f);
    EXPECT_EQ(core::ItemPanelRecord.item_text.c_text(), "NOTE");
}

class ClickMoveTest : public ClickPickerTest {
  protected:
    void SetUp() override {
        ClickPickerTest::SetUp();
        render::ViewOrigin = {0, 0};
        for (int s = 1; s <= layout::kMaxStaves; ++s) {
            layout::StaffTables.StaffScale(s) = 25.0f;
            layout::StaffTables.StaffMiddleY(s) = 20000 - 3000 * s;
        }
        core::EditedItemNumber = 1;
    }
    // A click at P3 x, two steps above staff 2's middle line, with the edited item's values.
    static std::string move_line(std::initializer_list<float> values, int32_t end_mode) {
        core::EditItemParams.fill(0.0f);
        int k = 1;
        for (float v : values) core::EditItemParams(k++) = v;
        edit::EndMoveMode = end_mode;
        core::MouseRegion(4) = 4500;
        core::MouseRegion(3) = 20000 - 6000 + 350;
        edit::pick_item_at_click();
        return core::SecondLine.trimmed();
    }
};

TEST_F(ClickMoveTest, NoteBarLineAndSlurEnds) {
    EXPECT_EQ(move_line({1, 1, 20, 1}, 0), "2   2 3   30.000 4   9.000");
    EXPECT_EQ(core::ParamBuffer(1), 2.0f);
    EXPECT_EQ(core::ParamBuffer(2), 2.0f);
    EXPECT_EQ(core::ParamBuffer(4), 30.0f);
    EXPECT_EQ(core::ParamBuffer(6), 9.0f);
    EXPECT_EQ(core::EditedItemNumber, 1);  // the item stays edited
    // A bar line takes only its staff and position.
    EXPECT_EQ(move_line({14, 1, 20, 0}, 0), "2   2 3   30.000");
    EXPECT_EQ(core::ParamBuffer(5), 0.0f);
    // A slur from (10, 2) to (30, 4): both ends follow, or only the left, or the right end.
    EXPECT_EQ(move_line({5, 1, 10, 2, 4, 30}, 0),
              "2   2 3   30.000 4   9.000  6  50.000  5  11.000");
    EXPECT_EQ(move_line({5, 1, 10, 2, 4, 30}, 1), "2   2 3   30.000 4   9.000");
    EXPECT_EQ(move_line({5, 1, 10, 2, 4, 30}, 2), "2   2 6   30.000 5   9.000");
    // A right end without its own height (P5 999) moves only across.
    EXPECT_EQ(move_line({5, 1, 10, 2, 999, 30}, 2), "2   2 6   30.000 0   9.000");
}

// A staff twice the size: a step is twice as high.
TEST_F(ClickMoveTest, StepsFollowTheStaffSize) {
    layout::StaffTables.StaffScale(2) = 50.0f;
    EXPECT_EQ(move_line({1, 1, 20, 1}, 0), "2   2 3   30.000 4   8.000");
}

}  // namespace

namespace {

// The view follows the edited item only when the drawing is larger than the window; the item
// then lies inside the view, clear of its edges.
TEST_F(ClickPickerTest, ScrollToTheEditedItemOnlyWhenTheDrawingOutgrowsTheWindow) {
    enter_items_without_editing();
    type_all({"8 1 0", "8 20 0", "1 1 190 1"});
    ASSERT_EQ(core::ItemCount, 3);
    core::EditedItemNumber = 3;

    fe_.view.client_width = 200000;
    fe_.view.client_height = 200000;
    fe_.services.clear();
    edit::scroll_to_current_item();
    for (const auto& s : fe_.services) EXPECT_NE(s.tag[1], 'p');  // it fits: nothing moves

    fe_.view.client_width = 8000;
    fe_.view.client_height = 6000;
    fe_.view.scroll_x = 0;
    fe_.view.scroll_y = 0;
    fe_.services.clear();
    edit::scroll_to_current_item();
    const ScriptedFrontEnd::ServiceRecord* moved = nullptr;
    for (const auto& s : fe_.services)
        if (s.tag[1] == 'p') moved = &s;
    ASSERT_NE(moved, nullptr);
    EXPECT_GT(fe_.view.scroll_sizes[0], 8000);
    const auto& t = layout::StaffTables;
    const int32_t x = 190 * 150 + render::ViewOrigin.x;
    const int32_t y =
        static_cast<int32_t>(t.StaffBaseY(1) + 0.0f * t.StaffScale(1)) - render::ViewOrigin.y;
    const int32_t px = moved->in(1);
    const int32_t py = moved->in(2);
    EXPECT_GE(x, px + 2400);
    EXPECT_LE(x, px + 8000 - 2000);
    EXPECT_LE(y, py);
    EXPECT_GE(y, py - 6000);
}

}  // namespace
