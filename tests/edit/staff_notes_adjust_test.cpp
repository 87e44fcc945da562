// Adjusting the notes of a staff ("STM" lengths, "STU" spacing) and placing the edited item
// midway between staves ("VC", "VCB", "VCS", and the text drawer's neighbour staff).
#include "engine/edit/systems/staff_notes_adjust.h"

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/store/item_store.h"
#include "engine/edit/tables.h"
#include "engine/layout/staves/staff_neighbours.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/edit/edit_page_fixture.h"

namespace {

constexpr float kSentinel = -123.0f;

class CentreItemTest : public EditPageTest {
  protected:
    // Staff 1 size 1 at base 0, staff 2 size 1 at base 3500.
    static void two_staves() {
        append_test_record({8, 1, 0, 0, 0});
        append_test_record({8, 2, 0, 0, 0});
        layout::StaffTables.StaffBaseY(1) = 0;
        layout::StaffTables.StaffBaseY(2) = 3500;
    }
    static void centre(const char* word) {
        core::ParamBuffer.fill(kSentinel);
        core::CommandLine.set(word);
        edit::centre_item_vertically();
    }
    static std::vector<float> pairs(int n) {
        std::vector<float> v;
        for (int k = 1; k <= n; ++k) v.push_back(core::ParamBuffer(k));
        return v;
    }
};

TEST_F(CentreItemTest, LineMovesMidwayToTheStaffBelowWithItsOtherEnd) {
    two_staves();
    edit_item({4, 1, 10, 2, 4});
    centre("VC");
    EXPECT_EQ(pairs(6), (std::vector<float>{4, 17.0f, 5, 19.0f, 0, kSentinel}));
    edit_item({4, 1, 10, 2, 999});
    centre("VC");
    EXPECT_EQ(pairs(4), (std::vector<float>{4, 17.0f, 0, kSentinel}));
}

TEST_F(CentreItemTest, OffsetsByCodeAndSize) {
    two_staves();
    // A number of size 2: offset 3.0 from the middle of its own staff.
    edit_item({10, 1, 10, 0, 0, 102});
    centre("VCS");
    EXPECT_EQ(pairs(3), (std::vector<float>{4, 4.0f, 0}));
    // Text: 1.0 x its size, 1.5 x with "S"; a meter its E7 x 7.14.
    edit_item({16, 1, 10, 0, 0, 2});
    centre("VC");
    EXPECT_EQ(pairs(3), (std::vector<float>{4, 15.0f, 0}));
    edit_item({18, 1, 10, 0, 0, 0, 0});
    centre("VCS");
    EXPECT_FLOAT_EQ(core::ParamBuffer(2), 7.0f - 7.14f);
    // The staff above: from staff 2 down to staff 1, in staff 2's steps.
    edit_item({9, 2, 10, 0, 0, 0});
    centre("VCB");
    EXPECT_EQ(pairs(3), (std::vector<float>{4, -3.0f - 1.0f, 0}));
}

TEST_F(CentreItemTest, WritesNothingWithoutAPlaceOrANeighbour) {
    two_staves();
    edit_item({1, 1, 10, 2, 4});  // a note is not placed
    centre("VC");
    EXPECT_EQ(pairs(2), (std::vector<float>{kSentinel, kSentinel}));
    edit_item({4, 2, 10, 2, 4});  // nothing above staff 2
    centre("VC");
    EXPECT_EQ(pairs(2), (std::vector<float>{kSentinel, kSentinel}));
    edit_item({4, 1, 10, 2, 4});  // nothing below staff 1
    centre("VCB");
    EXPECT_EQ(pairs(2), (std::vector<float>{kSentinel, kSentinel}));
    edit_item({4, 3, 10, 2, 4});  // no staff item for staff 3
    centre("VC");
    EXPECT_EQ(pairs(2), (std::vector<float>{kSentinel, kSentinel}));
}

TEST_F(CentreItemTest, TextDrawerNeighbourStaff) {
    two_staves();
    core::CommandLine.set("EI");
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(1) = 16;
    core::ParamBuffer(2) = 1;
    core::ParamBuffer(4) = kSentinel;
    core::ParamBuffer(6) = 0;
    layout::find_neighbour_staff(1);
    EXPECT_FLOAT_EQ(core::ParamBuffer(4), 17.0f - 1.0f);
    // No staff below staff 2: P4 stays.
    core::ParamBuffer(2) = 2;
    core::ParamBuffer(4) = kSentinel;
    layout::find_neighbour_staff(1);
    EXPECT_EQ(core::ParamBuffer(4), kSentinel);
    layout::find_neighbour_staff(2);
    EXPECT_FLOAT_EQ(core::ParamBuffer(4), -3.0f - 1.0f);
}

class LengthAdjustTest : public EditPageTest {
  protected:
    static float p(int32_t k, int32_t j) { return stored_param(k, j); }
    static int32_t count(int32_t k) {
        return core::int_of(core::ItemStore(core::ItemStartTable(k)));
    }
};

TEST_F(LengthAdjustTest, EdgeValuesOfTheExtent) {
    EXPECT_EQ(edit::adjusted_length(7.99f, 0), 0.0f);
    EXPECT_FLOAT_EQ(edit::adjusted_length(8.0f, 0), -0.5f);
    EXPECT_FLOAT_EQ(edit::adjusted_length(9.0f, 0), -1.0f);
    EXPECT_FLOAT_EQ(edit::adjusted_length(10.0f, 0), -1.5f);
    EXPECT_FLOAT_EQ(edit::adjusted_length(14.0f, 0), -1.5f);
    EXPECT_FLOAT_EQ(edit::adjusted_length(9.0f, 21), -0.5f);  // dotted
    EXPECT_FLOAT_EQ(edit::adjusted_length(9.0f, 20), -1.0f);  // tens digit only
}

TEST_F(LengthAdjustTest, DirectFormBeforeAnyBoxTakesTheOneStaff) {
    append_test_record({8, 1, 0, 0, 0});
    append_test_record({8, 2, 0, 0, 0});
    append_test_record({1, 1, 10, 8, 10});              // 3: up, extent 8.0
    append_test_record({1, 1, 20, 2, 20, 0, 0, 1});     // 4: down, extent 14 - (2 - 1) = 13
    append_test_record({1, 1, 30, 9, 10, 0, 0, 0, 1});  // 5: up, 9.0, dotted
    append_test_record({1, 1, 40, 7.9f, 10});           // 6: too short
    append_test_record({1, 1, 50, 8, 3});               // 7: no tens digit
    append_test_record({1, 1, 60, 108, 10});            // 8: cue-sized
    append_test_record({1, 2, 10, 8, 10});              // 9: another staff
    core::CommandLine.set("STM 1");
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(2) = 1;
    edit::adjust_staff_notes();
    EXPECT_EQ(count(3), 8);
    EXPECT_FLOAT_EQ(p(3, 8), -0.5f);
    EXPECT_FLOAT_EQ(p(4, 8), -1.5f + 1.0f);
    EXPECT_FLOAT_EQ(p(5, 8), -0.5f);
    EXPECT_EQ(count(6), 5);
    EXPECT_EQ(count(7), 5);
    EXPECT_EQ(count(8), 5);
    EXPECT_EQ(count(9), 5);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

class SpacingAdjustTest : public InterpreterTest {
  protected:
    // Staff 1 and the notes, entered as typed rows.
    void page(const std::vector<std::vector<float>>& notes) {
        enter_items_without_editing();
        type("8 1 0 0 0");
        for (const auto& n : notes) {
            std::ostringstream row;
            for (float v : n) row << v << ' ';
            type(row.str());
        }
        ASSERT_EQ(core::ItemCount, static_cast<int32_t>(notes.size()) + 1);
    }
    // "STU", the box of staff 1 over the whole page, confirmed, and staff 1 named.
    void adjust() {
        core::UndoSaveMode = -3;
        type("STU");
        ASSERT_EQ(core::PendingBoxOperation, 15);
        fe_.answer_yes_no(-1);
        fe_.answer_dialog(1, "1");
        type("1 0 0 1");
    }
    static float x(int32_t k) { return stored_param(k, 3); }
};

TEST_F(SpacingAdjustTest, GapsChangeWhereTheClassChangesAndTheRunKeepsItsWidth) {
    page({{1, 1, 10, 4, 10}, {1, 1, 20, 4, 10}, {1, 1, 30, 4, 20}, {1, 1, 40, 4, 20}});
    adjust();
    const float d = 25.0f * 2.8333f / 25.0f;
    const float fit = 30.0f / (30.0f + d);
    EXPECT_NEAR(x(2), 10.0f, 0.01f);
    EXPECT_NEAR(x(3), 10.0f + 10.0f * fit, 0.01f);
    EXPECT_NEAR(x(4), 10.0f + (20.0f + d) * fit, 0.01f);
    EXPECT_NEAR(x(5), 40.0f, 0.01f);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(SpacingAdjustTest, TwoNotesAtOnePositionAreRefused) {
    page({{1, 1, 10, 4, 10}, {1, 1, 20, 4, 20}, {1, 1, 20, 6, 10}, {1, 1, 40, 4, 20}});
    const std::vector<float> before = InterpreterTest::page();
    adjust();
    EXPECT_TRUE(shown("Two notes stand at one position"));
    EXPECT_EQ(InterpreterTest::page(), before);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

// Notes at 2, 4, .. alternating between the classes 1 and 2.
std::vector<std::vector<float>> alternating_notes(int n) {
    std::vector<std::vector<float>> notes;
    for (int i = 0; i < n; ++i) {
        notes.push_back({1, 1, 2.0f + 2.0f * i, 4, i % 2 == 0 ? 10.0f : 20.0f});
    }
    return notes;
}

TEST_F(SpacingAdjustTest, EightyNotesAreAdjusted) {
    page(alternating_notes(80));
    adjust();
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_NEAR(x(2), 2.0f, 0.01f);
    EXPECT_NEAR(x(81), 160.0f, 0.01f);
    EXPECT_GT(std::abs(x(3) - 4.0f), 0.05f);
}

TEST_F(SpacingAdjustTest, EightyOneNotesAreRefused) {
    page(alternating_notes(81));
    const std::vector<float> before = InterpreterTest::page();
    adjust();
    EXPECT_TRUE(shown("More than 80 notes"));
    EXPECT_EQ(InterpreterTest::page(), before);
}

TEST_F(SpacingAdjustTest, CancelledStaffQuestionLeaves) {
    page({{1, 1, 10, 4, 10}, {1, 1, 20, 4, 20}});
    const std::vector<float> before = InterpreterTest::page();
    core::UndoSaveMode = -3;
    type("STU");
    fe_.answer_yes_no(-1);
    fe_.answer_dialog(2);
    type("1 0 0 1");
    EXPECT_TRUE(shown("Leaving Group Edit."));
    EXPECT_EQ(InterpreterTest::page(), before);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

}  // namespace
