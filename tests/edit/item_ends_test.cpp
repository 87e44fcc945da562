// Attaching the ends of slurs, lines and beams to notes and bar lines, centring standing items
// on bar lines, slur curvature and text-continuation lines.
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/edit/items/item_ends.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "tests/edit/edit_page_fixture.h"

using edit::attach_item_ends;

namespace {

class ItemEnds : public EditPageTest {
  protected:
    // Runs one attach in mode letter and returns the pair list up to its end mark.
    std::vector<float> attach(char mode, int32_t start = 0, int32_t highest = 9) {
        core::CommandModeLetters(2) = mode;
        attach_item_ends(start, highest);
        std::vector<float> pairs;
        for (int i = 1; i + 1 <= core::ParamBuffer.size() && core::ParamBuffer(i) != 0.0f;
             i += 2) {
            pairs.push_back(core::ParamBuffer(i));
            pairs.push_back(core::ParamBuffer(i + 1));
        }
        return pairs;
    }
    // Mode N with the staff typed (0: the item's own).
    std::vector<float> attach_on_staff(float staff = 0.0f) {
        core::ParamBuffer(2) = staff;
        return attach('N');
    }
};

using Pairs = std::vector<float>;

TEST(ItemEndHelpers, EvenPositionsAndEndFlags) {
    EXPECT_EQ(edit::make_position_even(11.0f, 10), 12.0f);
    EXPECT_EQ(edit::make_position_even(13.0f, 10), 13.0f);  // above 11: stays
    EXPECT_EQ(edit::make_position_even(12.0f, 10), 12.0f);
    EXPECT_EQ(edit::make_position_even(3.0f, 20), 2.0f);
    EXPECT_EQ(edit::make_position_even(1.0f, 20), 1.0f);  // below 3: stays
    EXPECT_EQ(edit::make_position_even(5.5f, 20), 5.5f);

    int32_t flag = 0;
    edit::merge_end_flag(flag, 2);
    EXPECT_EQ(flag, 2);
    edit::merge_end_flag(flag, 1);
    EXPECT_EQ(flag, 3);
    flag = 1;
    edit::merge_end_flag(flag, 1);
    EXPECT_EQ(flag, 3);
}

TEST_F(ItemEnds, SlurCurvatureFromLengthKindAndHeights) {
    edit_item({5, 1, 10, 0, 0, 30, 1, 0});
    EXPECT_FLOAT_EQ(attach('R')[1], 1.9f);
    edit_item({5, 1, 10, 0, 0, 30, -1, 0});
    EXPECT_FLOAT_EQ(attach('R')[1], -1.9f);
    edit_item({5, 1, 10, 2, 7, 30, 1, -2});  // kind -2 shortens by 4, heights differ by 5
    EXPECT_FLOAT_EQ(attach('R')[1], 16.0f / 20.0f + 0.9f + 0.5f);

    core::ParamBuffer(1) = 42.0f;
    edit_item({5, 1, 10, 0, 0, 30, 1, 1});  // ends at bar lines: no list at all
    attach('R');
    EXPECT_EQ(core::ParamBuffer(1), 42.0f);
    edit_item({4, 1, 10, 0, 0, 30, 1, 0});  // not a slur
    attach('R');
    EXPECT_EQ(core::ParamBuffer(1), 42.0f);
}

TEST_F(ItemEnds, MeterMovesOntoABarLineWithin15) {
    append_test_record({14, 1, 50, 0, 0});
    append_test_record({14, 2, 90, 0, 0});  // another staff: never a candidate
    edit_item({18, 1, 65, 7, 4, 4});
    EXPECT_EQ(attach('M'), (Pairs{3, 50, 15, -0.066f * 25.0f}));
    edit_item({18, 1, 66, 7, 4, 4});
    EXPECT_TRUE(attach('M').empty());
    edit_item({18, 1, 35, 7, 12, 8});  // a wide numerator
    EXPECT_EQ(attach('M'), (Pairs{3, 50, 15, -0.122f * 25.0f}));
    edit_item({18, 1, 35, 0.2f, 4, 4});  // too low on the staff to centre
    EXPECT_TRUE(attach('M').empty());

    edit_item({18, 1, 60, 7, 4, 4});
    core::ParamBuffer(8) = 3.0f;  // a second meter
    EXPECT_TRUE(attach('M').empty());
    EXPECT_EQ(core::MessageLine.trimmed(), "*** Cannot center double meters");
}

TEST_F(ItemEnds, KeySignatureAndNumbersCentreOnBarLinesReachingTheirStaff) {
    append_test_record({14, 1, 60, 2, 0});  // reaches down to staff 2
    append_test_record({14, 2, 20, 0, 0});
    append_test_record({14, 1, 40, 0, 0});  // staff 1 only
    // A key signature of three flats on staff 2.
    edit_item({17, 2, 55, 7, -3});
    EXPECT_EQ(attach('M'), (Pairs{3, 60, 15, -((3.0f * 2.82f) - 1.6f) * 0.5f}));
    // A number of kind 1005 on staff 2, nearest the plain bar line; equal distances: the later.
    edit_item({10, 2, 30, 4, 1005});
    EXPECT_EQ(attach('M'), (Pairs{3, 20, 15, -(0.06f * 25.0f)}));
    append_test_record({14, 2, 40, 0, 0});
    EXPECT_EQ(attach('M')[1], 40.0f);
    // A bar line moves onto the bar line of the staff typed, without a centring pair.
    edit_item({14, 3, 42, 2, 0, 1});
    core::ParamBuffer(2) = 1.0f;
    EXPECT_EQ(attach('M'), (Pairs{3, 40}));
}

TEST_F(ItemEnds, SlurEndsOnNotesWithEvenHeights) {
    append_test_record({1, 1, 20, 5, 20, 2, 1});  // stem down
    append_test_record({1, 1, 40, 3, 10, 2, 1});  // stem up
    append_test_record({1, 1, 40, 9, 10, 2, 1});  // its chord
    append_test_record({1, 2, 30, 5, 20, 2, 1});  // another staff
    edit_item({5, 1, 22, 0, 0, 37, 1, 0});
    // Above: the left note's head + 2 = 7, made even 8; the right chord's highest stem end
    // 9 + 8.4.
    EXPECT_EQ(attach('V'), (Pairs{3, 20, 6, 40, 4, 8, 5, 9 + 8.4f}));
    edit_item({5, 1, 22, 0, 0, 37, -1, -2});  // below, kind -2: both heights lifted by 1.7
    const Pairs below = attach('V');
    ASSERT_EQ(below.size(), 8u);
    EXPECT_FLOAT_EQ(below[5], 5 - 8.4f + 1.7f);  // stem down: below its stem end
    EXPECT_FLOAT_EQ(below[7], 1.0f + 1.7f);  // the chord's lowest head - 2, 1 stays odd
    // The slur's own record is never a candidate, whatever its code says.
    const int32_t own = append_test_record({1, 1, 25, 5, 20, 2, 1});
    edit_item({5, 1, 26, 0, 0, 37, 1, 0});
    EXPECT_EQ(attach('V', own)[1], 20.0f);
}

TEST_F(ItemEnds, SlurOnOneNoteStepsToThePageEndAndHangsIn) {
    append_test_record({1, 1, 20, 105, 20, 2, 1});  // cue note at step 5
    edit_item({5, 1, 19, 0, 0, 21, 1, 0});
    EXPECT_EQ(attach('V'), (Pairs{3, 20, 6, render::PageExtent, 4, 6, 5, 6}));
    edit_item({5, 1, 19, 0, 0, 21, -1, 0});
    EXPECT_EQ(attach('V'), (Pairs{3, 20, 6, render::PageExtent, 4, 4, 5, 4}));
    // Ending before the note it starts on: hung in from the left.
    edit_item({5, 1, 19, 0, 0, 15, 1, 0});
    EXPECT_EQ(attach_on_staff(), (Pairs{6, 20, 3, 16}));
    edit_item({5, 1, 19, 0, 0, 15, 1, -2});
    EXPECT_EQ(attach_on_staff(), (Pairs{6, 20, 3, 11}));
    // Retry stops where the next step would reach PageExtent - 0.5.
    float x = render::PageExtent - 2.5f;
    core::ParamBuffer(1) = 3.0f;
    core::ParamBuffer(2) = 20.0f;
    core::ParamBuffer(3) = 6.0f;
    core::ParamBuffer(4) = 20.0f;
    edit::ItemEndsState.pair_index = 5;
    EXPECT_EQ(edit::retry_right_end(x), 0);
    EXPECT_EQ(core::ParamBuffer(4), render::PageExtent);
    x = render::PageExtent - 2.6f;
    core::ParamBuffer(4) = 20.0f;
    EXPECT_EQ(edit::retry_right_end(x), 1);
    EXPECT_EQ(edit::ItemEndsState.pair_index, 3);
}

TEST_F(ItemEnds, SlurEndsAtBarLines) {
    append_test_record({14, 1, 30, 0, 0});
    append_test_record({14, 1, 33, 0, 0});
    append_test_record({14, 1, 60, 0, 3});  // a repeat bar
    append_test_record({1, 1, 45, 5});      // notes are not candidates
    edit_item({5, 1, 31, 0, 0, 58, 1, 1});
    EXPECT_EQ(attach_on_staff(), (Pairs{3, 30, 6, 60 - 2.3f}));
    edit_item({5, 1, 31, 0, 0, 58, 1, 2});
    EXPECT_EQ(attach_on_staff(), (Pairs{3, 31, 6, 60}));
    // Kind 2: a right end within 4.0 of the left steps on to the next bar line.
    edit_item({5, 1, 29, 0, 0, 33, 1, 2});
    EXPECT_EQ(attach_on_staff(), (Pairs{3, 29, 6, 60}));
    edit_item({5, 1, 61, 0, 0, 62, 1, 2});  // the left end on a repeat bar
    EXPECT_EQ(attach_on_staff()[1], 59.0f);
}

TEST_F(ItemEnds, ModeNSlurToTheLastBarLineAndFromTheFirstNote) {
    append_test_record({1, 3, 12, 5});
    append_test_record({1, 3, 30, 5});
    append_test_record({1, 3, 50, 5});
    append_test_record({14, 2, 70, 2});  // reaches staff 3
    append_test_record({14, 3, 64, 0});
    append_test_record({14, 4, 90, 0});
    edit_item({5, 3, 27, 0, 0, 45, 1, -1});
    core::CommandLine.set("SLR");
    EXPECT_EQ(attach_on_staff(), (Pairs{6, 70 - (0.6f + 25 * 0.056f), 3, 30}));
    edit_item({5, 3, 27, 0, 0, 45, 1, -2});
    core::CommandLine.set("SLL");
    EXPECT_EQ(attach_on_staff(), (Pairs{3, 12 - 9.5f, 6, 50}));
    // The staff typed wins over the slur's.
    edit_item({5, 1, 27, 0, 0, 45, 1, 0});
    EXPECT_EQ(attach_on_staff(3), (Pairs{3, 12 - 5.0f, 6, 50}));
}

TEST_F(ItemEnds, BeamExtraPointsAndStemEnds) {
    append_test_record({1, 1, 10, 5, 10, 1, 1});
    append_test_record({1, 1, 20, 5, 10, 2, 1, 0, 0, 20});  // stem kind 2, P10 20
    append_test_record({1, 1, 30, 5, 10, 1, 1});
    // A line with an extra point at 19: snapped to the note at 20.
    edit_item({4, 1, 11, 0, 0, 29, 1, 0, 0, 0, 19});
    EXPECT_EQ(attach('V', 0, 11), (Pairs{3, 10, 6, 30, 11, 20}));
    // A beam drawn from the stems: the stem-end pair after the left end.
    edit_item({6, 1, 19, 0, 0, 29, -1, 0, 0, 0, 1});
    EXPECT_EQ(attach('V', 0, 11), (Pairs{3, 20, 14, -1.23f - 3.26f, 6, 30, 11, 10}));
}

TEST_F(ItemEnds, TextContinuationLines) {
    append_test_record({16, 1, 10, 12, 0, 0, 0, 0, 0, 0, 8});  // ends at 18
    append_test_record({16, 1, 40, 12, 0, 0, 0, 0, 0, 0, 6});  // ends at 46
    append_test_record({16, 1, 60, 20, 0, 0, 0, 0, 0, 0, 6});  // other height
    edit_item({4, 1, 20, 12, 12, 30, 0});
    EXPECT_EQ(attach('D'), (Pairs{3, 19.5f, 4, 12, 5, 12, 6, 46 - 3.17f}));
    // A note before the right text ends a solid line 4.0 after it.
    append_test_record({1, 1, 30, 5});
    EXPECT_EQ(attach('D')[7], 34.0f);
    // Dashed: one dash for each 25 positions begun.
    edit_item({4, 1, 20, 12, 12, 30, 1});
    const Pairs dashed = attach('D');
    ASSERT_EQ(dashed.size(), 12u);
    const float length = 46 - 18 - 3.17f;
    const float gap = (length - core::LyricDashSize) / 2;
    EXPECT_FLOAT_EQ(dashed[1], 18 + gap + 1.5f);
    EXPECT_FLOAT_EQ(dashed[3], 12.8f);
    EXPECT_FLOAT_EQ(dashed[11], gap * 0.85714f);
    // No text at that height: nothing written.
    edit_item({4, 1, 20, 5, 5, 30, 0});
    core::ParamBuffer(1) = 42.0f;
    attach('D');
    EXPECT_EQ(core::ParamBuffer(1), 42.0f);
}

TEST_F(ItemEnds, RefittingLinesGrowsDashedLinesOnlyWhenTheStoreHasRoom) {
    append_test_record({16, 1, 10, 12, 0, 0, 0, 0, 0, 0, 8});
    append_test_record({16, 1, 40, 12, 0, 0, 0, 0, 0, 0, 6});
    append_test_record({4, 1, 20, 12, 12, 30, 0});     // solid
    append_test_record({4, 1, 20, 12, 12, 30, 1, 0});  // dashed, 8 values
    core::LyricDashCount = 1;
    // Fill the store so that the dashed line's 6 more words fit exactly.
    const int32_t filler_words =
        core::ItemStoreCapacity - (core::ItemWordsUsed - 1) - 6 - 1;
    append_test_record(std::vector<float>(filler_words, 13.0f));
    ASSERT_EQ(core::ItemWordsUsed - 1 + 6, core::ItemStoreCapacity);
    edit_item({5, 9, 1, 2, 3});  // an item being edited keeps its copy
    core::EditedItemNumber = 0;
    core::ParamBuffer(2) = 1.0f;
    edit::refit_lines_on_staff();
    EXPECT_EQ(core::EditItemParams(2), 9.0f);
    const int32_t solid = core::ItemStartTable(3);
    EXPECT_EQ(core::ItemStore(solid + 3), 19.5f);
    EXPECT_EQ(core::ItemStore(solid + 6), 46 - 3.17f);
    const int32_t dashed = core::ItemStartTable(4);
    EXPECT_EQ(core::ItemStore(dashed), 14.0f);
    EXPECT_NE(core::ItemStore(dashed + 3), 20.0f);
    EXPECT_EQ(core::ItemWordsUsed - 1, core::ItemStoreCapacity);
}

TEST_F(ItemEnds, RefittingLeavesADashedLineThatCannotGrow) {
    append_test_record({16, 1, 10, 12, 0, 0, 0, 0, 0, 0, 8});
    append_test_record({16, 1, 40, 12, 0, 0, 0, 0, 0, 0, 6});
    append_test_record({4, 1, 20, 12, 12, 30, 1, 0});
    core::LyricDashCount = 1;
    const int32_t filler_words = core::ItemStoreCapacity - (core::ItemWordsUsed - 1) - 5 - 1;
    append_test_record(std::vector<float>(filler_words, 13.0f));
    const std::vector<float> before(&core::ItemStore(1), &core::ItemStore(1) + 40);
    core::ParamBuffer(2) = 999.0f;  // every staff
    edit::refit_lines_on_staff();
    EXPECT_EQ(std::vector<float>(&core::ItemStore(1), &core::ItemStore(1) + 40), before);
    EXPECT_EQ(core::ItemCount, 4);
}

}  // namespace

namespace {

// "CD" with a staff number beyond the integers (left by a line of "2742996780" read just before
// it) refits the lines of every staff, as any number above the last staff does, and a dashed
// line asking for more dashes than there are integers takes the most there are: nothing wraps.
TEST_F(ItemEnds, RefittingWithNumbersBeyondTheIntegersWorksOnEveryStaff) {
    append_test_record({16, 3, 10, 12, 0, 0, 0, 0, 0, 0, 8});
    append_test_record({4, 3, 20, 12, 12, 30, 0});
    append_test_record({4, 3, 20, 12, 12, 30, 1, 0, 0, 0, 0, 0, 0, 3e9f});
    edit_item({5, 9, 1, 2, 3});
    core::EditedItemNumber = 0;
    core::ParamBuffer(2) = 2742996780.0f;
    edit::refit_lines_on_staff();
    EXPECT_EQ(core::EditItemParams(2), 9.0f);
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(2) + 3), 19.5f);  // refitted
}

}  // namespace
