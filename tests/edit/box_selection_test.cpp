// Items in a box: which store words a selection lists, how the code filter and the scan's stop
// work, and how the listed words are moved.
#include "engine/edit/areas/box_selection.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/store_records.h"

namespace {

using edit::SelectionBox;
using edit::SelectionList;

class BoxSelectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::reset_engine();
        core::set_front_end(&fe_);
    }
    void TearDown() override { core::set_front_end(nullptr); }

    // A box over staves low..high and positions left..right, every item of the page examined.
    static void box(int32_t low, int32_t high, float left, float right, int32_t letter = 2) {
        SelectionBox.low_staff = low;
        SelectionBox.high_staff = high;
        SelectionBox.left = left;
        SelectionBox.right = right;
        SelectionBox.letter = letter;
        SelectionBox.first_item = 0;
        SelectionBox.last_item = core::ItemCount;
    }
    static std::vector<int32_t> entries() {
        std::vector<int32_t> e;
        for (int32_t j = 1; j <= SelectionList.count; ++j) e.push_back(SelectionList.entries(j));
        return e;
    }
    static std::vector<int32_t> select() {
        edit::select_box_items();
        return entries();
    }
    static int32_t note(float staff, float p3, float p5 = 10.0f) {
        return append_test_record({1, staff, p3, 1, p5, 0, 1});
    }

    ScriptedFrontEnd fe_;
};

// ---- the horizontal range ---------------------------------------------------------------------

TEST_F(BoxSelectionTest, RightZeroReachesTwoHundredAndEdgesWidenByAThousandth) {
    const int32_t in_right = note(1, 200.001f);
    note(1, 200.002f);
    const int32_t in_left = note(1, 9.999f);
    note(1, 9.998f);
    box(1, 1, 10.0f, 0.0f);
    EXPECT_EQ(select(), (std::vector<int32_t>{in_right + 3, in_left + 3}));
    EXPECT_EQ(SelectionList.first_item, 1);
    // The box itself keeps its right of 0.0.
    EXPECT_EQ(SelectionBox.right, 0.0f);
    // Given right to left, the same items.
    box(1, 1, 200.0f, 10.0f);
    EXPECT_EQ(select(), (std::vector<int32_t>{in_right + 3, in_left + 3}));
}

TEST_F(BoxSelectionTest, NothingInsideLeavesAnEmptyListAndFirstItemZero) {
    note(1, 50.0f);
    box(1, 1, 60.0f, 70.0f);
    EXPECT_TRUE(select().empty());
    EXPECT_EQ(SelectionList.first_item, 0);
    EXPECT_EQ(SelectionBox.first_item, 1);  // 0 became 1
}

// ---- further horizontal words ----------------------------------------------------------------

TEST_F(BoxSelectionTest, PolylineListsEveryOtherEndUpToItsLastWord) {
    note(1, 5.0f);
    const int32_t s = append_test_record({4, 1, 10, 0, 0, 20, 100, 30, 0, 40, 0, 50, 0, 60, 0, 70});
    box(1, 1, 0.0f, 100.0f);
    edit::select_box_items();
    EXPECT_EQ(entries(),
              (std::vector<int32_t>{core::ItemStartTable(1) + 3, s + 3, -(s + 6), -(s + 8),
                                    -(s + 10), -(s + 12), -(s + 14), -(s + 16)}));
    // A word beyond the box is left out; the P3 word alone with the letter 1.
    core::ItemStore(s + 16) = 250.0f;
    box(1, 1, 0.0f, 100.0f);
    EXPECT_EQ(select().size(), 7u);
    box(1, 1, 0.0f, 100.0f, 1);
    EXPECT_EQ(select(), (std::vector<int32_t>{core::ItemStartTable(1) + 3, s + 3}));
}

TEST_F(BoxSelectionTest, OneEndedLineAndBeamAndTrillWords) {
    // A line with P7 < 0 and no right end: its P3 only.
    const int32_t mark = append_test_record({4, 1, 10, 0, 0, 0, -1});
    // A beam: P11, P12, P14, P15 when positive (P13 nonzero); a negative P7 stops after P11.
    const int32_t beam = append_test_record({6, 1, 10, 0, 0, 20, 1, 0, 0, 0, 30, 40, 1, 50, 60});
    const int32_t down = append_test_record({6, 1, 10, 0, 0, 20, -1, 0, 0, 0, 30, 40, 1, 50, 60});
    // A trill of kind 20 or more lists P8.
    const int32_t trill = append_test_record({7, 1, 10, 0, 0, 20, 20, 30});
    box(1, 1, 0.0f, 100.0f);
    EXPECT_EQ(select(),
              (std::vector<int32_t>{mark + 3, beam + 3, -(beam + 6), -(beam + 11), -(beam + 12),
                                    -(beam + 14), -(beam + 15), down + 3, -(down + 6), -(down + 11),
                                    trill + 3, -(trill + 6), -(trill + 8)}));
}

TEST_F(BoxSelectionTest, StaffWithoutRightEndGetsThePageExtent) {
    render::PageExtent = 190.0f;
    const int32_t s = append_test_record({8, 1, 0, 0, 0, 0});
    box(1, 1, 0.0f, 0.0f);
    EXPECT_EQ(select(), (std::vector<int32_t>{s + 3, -(s + 6)}));
    EXPECT_EQ(core::ItemStore(s + 6), 190.0f);
}

TEST_F(BoxSelectionTest, NonPositiveLettersListTheInsideEndsOfItemsOutside) {
    note(1, 5.0f);
    const int32_t slur = append_test_record({5, 1, 5, 0, 0, 50});
    for (int32_t letter : {0, -1}) {
        box(1, 1, 40.0f, 60.0f, letter);
        EXPECT_EQ(select(), (std::vector<int32_t>{-(slur + 6)})) << letter;
        EXPECT_EQ(SelectionList.first_item, 2) << letter;
    }
    for (int32_t letter : {2, -67}) {
        box(1, 1, 40.0f, 60.0f, letter);
        EXPECT_TRUE(select().empty()) << letter;
    }
}

TEST_F(BoxSelectionTest, LetterDListsItemNumbers) {
    note(1, 5.0f);
    note(1, 50.0f);
    append_test_record({5, 1, 50, 0, 0, 60});
    box(1, 1, 40.0f, 100.0f, 'D');
    EXPECT_EQ(select(), (std::vector<int32_t>{2, 3}));
}

TEST_F(BoxSelectionTest, ShortItemsGrowSoThatTheListedWordExists) {
    const int32_t s = append_test_record({13});
    const int32_t after = note(1, 50.0f);
    for (int32_t letter : {2, 1}) {
        box(1, 300, 0.0f, 100.0f, letter);
        edit::select_box_items();
        EXPECT_EQ(core::ItemStore(s), 3.0f);
        EXPECT_EQ(core::ItemStore(s + 2), 1.0f);
        ASSERT_EQ(SelectionList.count, 2);
        EXPECT_EQ(SelectionList.entries(1), s + 3);
        // The next record moved up with the growth and its P3 is still what is listed.
        EXPECT_EQ(SelectionList.entries(2), after + 2 + 3);
        EXPECT_EQ(core::ItemStore(SelectionList.entries(2)), 50.0f);
    }
}

// ---- staves, codes and the scan's end --------------------------------------------------------

TEST_F(BoxSelectionTest, LowStaffOneAndHighAboveTheLastStaffTakeEveryStaff) {
    const int32_t zero = note(0, 50.0f);
    const int32_t high = note(256, 50.0f);
    box(1, 257, 0.0f, 0.0f);
    EXPECT_EQ(select(), (std::vector<int32_t>{zero + 3, high + 3}));
    // Up to 256 the staff test stands.
    box(1, 256, 0.0f, 0.0f);
    EXPECT_EQ(select(), (std::vector<int32_t>{high + 3}));
}

TEST_F(BoxSelectionTest, NegativeLastItemStopsAboveTheHighStaffAndKeepsTheFilter) {
    const int32_t a = note(1, 50.0f);
    append_test_record({5, 1, 50, 0, 0, 60});  // not a musical code
    const int32_t b = note(2, 50.0f);
    note(3, 50.0f);
    note(2, 50.0f);  // after the stop: never reached
    edit::BoxCodeFilter(1) = 1.0f;
    box(1, 2, 0.0f, 0.0f);
    SelectionBox.last_item = -5;
    EXPECT_EQ(select(), (std::vector<int32_t>{a + 3, b + 3}));
    EXPECT_EQ(SelectionBox.last_item, 3);
    EXPECT_EQ(edit::BoxCodeFilter(1), 1.0f);
}

TEST_F(BoxSelectionTest, CodeFilterServesOneSelectionAndWTakesOnlyMarkedNotes) {
    const int32_t marked = note(1, 50.0f, -2.0f);
    note(1, 50.0f, -1.0f);
    const int32_t rest = append_test_record({2, 1, 50, 0, 0});
    core::CommandModeLetters(2) = 'W';
    edit::BoxCodeFilter(1) = 1.0f;
    box(1, 1, 0.0f, 0.0f);
    EXPECT_EQ(select(), (std::vector<int32_t>{marked + 3}));
    // The filter is gone: the next selection takes every code.
    EXPECT_EQ(edit::BoxCodeFilter(1), 0.0f);
    box(1, 1, 0.0f, 0.0f);
    EXPECT_EQ(select().size(), 3u);
    // A code in entries 2 to 18 is taken whatever its P5; without W entry 1 takes every note.
    edit::BoxCodeFilter(1) = 1.0f;
    edit::BoxCodeFilter(18) = 2.0f;
    box(1, 1, 0.0f, 0.0f);
    EXPECT_EQ(select(), (std::vector<int32_t>{marked + 3, rest + 3}));
    core::CommandModeLetters(2) = 'X';
    edit::BoxCodeFilter(1) = 1.0f;
    box(1, 1, 0.0f, 0.0f);
    EXPECT_EQ(select().size(), 2u);
}

// A page at the item limit: 5,000 notes and 1,000 slurs give 7,000 entries, none lost.
TEST_F(BoxSelectionTest, FullPageListsEveryEntry) {
    for (int k = 0; k < 5000; ++k) note(1, 10.0f + static_cast<float>(k % 180));
    int32_t last_slur = 0;
    for (int k = 0; k < 1000; ++k) last_slur = append_test_record({5, 1, 20, 0, 0, 30});
    ASSERT_EQ(core::ItemCount, render::ItemCountLimit);
    box(1, 1, 0.0f, 0.0f);
    edit::select_box_items();
    ASSERT_EQ(SelectionList.count, 7000);
    EXPECT_EQ(SelectionList.entries(6999), last_slur + 3);
    EXPECT_EQ(SelectionList.entries(7000), -(last_slur + 6));
}

// ---- moving the listed words -----------------------------------------------------------------

TEST_F(BoxSelectionTest, ScaleMapsOrShiftsEveryListedWord) {
    const int32_t a = note(1, 10.0f);
    const int32_t b = note(1, 1.0f);
    const int32_t line = append_test_record({4, 1, 50, 0, 0, -1.996f});
    box(1, 1, -5.0f, 100.0f);
    edit::select_box_items();
    ASSERT_EQ(SelectionList.count, 4);
    edit::scale_selection(3, 10.0f, 12.0f, 1.0f);
    EXPECT_EQ(core::ItemStore(a + 3), 12.0f);
    EXPECT_EQ(core::ItemStore(b + 3), 3.0f);
    EXPECT_EQ(core::ItemStore(line + 3), 52.0f);
    EXPECT_EQ(core::ItemStore(line + 6), 0.0f);  // landed at 0.004
    // A negative mode maps as well; any other mode adds the factor.
    edit::scale_selection(-1, 0.0f, 0.0f, 2.0f);
    EXPECT_EQ(core::ItemStore(a + 3), 24.0f);
    edit::scale_selection(1, 0.0f, 0.0f, -4.0f);
    EXPECT_EQ(core::ItemStore(a + 3), 20.0f);
    EXPECT_EQ(core::ItemStore(line + 6), -4.0f);
    // An empty list changes nothing.
    SelectionList.count = 0;
    edit::scale_selection(1, 0.0f, 0.0f, 5.0f);
    EXPECT_EQ(core::ItemStore(a + 3), 20.0f);
}

TEST_F(BoxSelectionTest, MissingStaffIsShownAndStopsTheCommandFile) {
    core::MessageLine.set("old reply");
    core::MacroUnit = 0;
    edit::report_missing_staff();
    // The line shown is CommandLine, blank-padded.
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0].substr(0, fe_.message_boxes[0].find_last_not_of(' ') + 1),
              "*** No Staff number given. ***");
    EXPECT_EQ(core::CommandLine.trimmed(), "*** No Staff number given. ***");
    EXPECT_TRUE(core::MessageLine.is_blank());
    EXPECT_EQ(core::MacroUnit, 0);
}

}  // namespace
