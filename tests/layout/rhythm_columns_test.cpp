// The rhythm columns of one staff read from the store, and the spacing staff's list built from
// them.
#include "engine/layout/builders/rhythm_columns.h"

#include <vector>

#include "engine/core/store/item_store.h"
#include "tests/layout/layout_fixture.h"

namespace {

class RhythmColumnsTest : public LayoutTest {
  protected:
    // A note or rest of P7 quarters on staff at x.
    static int32_t note(float staff, float x, float quarters, float code = 1.0f) {
        return add_item({code, staff, x, 5.0f, 10.0f, 0.0f, quarters});
    }
    struct Walk {
        int32_t item = 1;
        int32_t count = 0;
        float total = 0.0f;
        std::vector<float> x, v;
    };
    static Walk walk(float staff, int32_t start = 1, int32_t skip = 0) {
        Walk w;
        w.item = start;
        w.count = skip;
        layout::RhythmColumnList xs, vs;
        layout::walk_staff_rhythm(w.item, staff, w.count, xs, vs, w.total);
        for (int32_t i = 1; i <= w.count; ++i) {
            w.x.push_back(xs(i));
            w.v.push_back(vs(i));
        }
        return w;
    }
};

TEST_F(RhythmColumnsTest, NotesSoundingOnShareTheNextColumn) {
    // A half and a quarter at one x, then a quarter: the half's last beat waits for column 2.
    note(1, 10, 2.0f);
    note(1, 10, 1.0f);
    note(1, 30, 1.0f);
    const Walk w = walk(1);
    ASSERT_EQ(w.count, 2);
    EXPECT_FLOAT_EQ(w.x[0], 10.0f);
    EXPECT_FLOAT_EQ(w.v[0], 1.0f);
    EXPECT_FLOAT_EQ(w.x[1], 30.0f);
    EXPECT_FLOAT_EQ(w.v[1], 1.0f);
    EXPECT_FLOAT_EQ(w.total, 2.0f);
    EXPECT_FLOAT_EQ(core::ItemCursor.position, 2.0f);
    EXPECT_EQ(w.item, 4);
}

TEST_F(RhythmColumnsTest, TripletsAreSnappedToWholeBeatsAndNearZeroIsZero) {
    const int32_t first = note(1, 0.005f, 0.3333f);
    note(1, 10, 0.3333f);
    note(1, 20, 0.3333f);
    note(1, 30, 1.0f);
    const Walk w = walk(1);
    ASSERT_EQ(w.count, 4);
    EXPECT_EQ(w.x[0], 0.0f);
    EXPECT_EQ(stored(first, 3), 0.0f);
    EXPECT_NEAR(w.v[2], 0.3334f, 1e-5);
    EXPECT_EQ(w.total, 2.0f);
}

TEST_F(RhythmColumnsTest, MarksOfClefsBarsKeysAndMetersAndWhatIsPassedOver) {
    add_item({3, 1, 5, 0, 0});       // clef
    add_item({3, 1, 5.05f, 0, 44});  // same x: nothing
    note(1, 10, 1.0f);
    add_item({14, 1, 20, 0, 0});  // bar line
    add_item({6, 1, 22, 0, 0});   // a beam: no column
    note(1, 25, 1.0f);
    add_item({14, 1, 30, 0, 0, 0, 0, 0, 0, 0, 0, 1.0f});  // marked bar: -140
    add_item({17, 1, 35, 0, 2});                          // key signature
    add_item({18, 1, 37, 3.0f, 4, 4, 0});                 // meter moved off: none
    add_item({3, 1, 38, 0, 44});                          // a clef of P5 44: none
    add_item({18, 1, 40, 0, 3, 4, 0});                    // meter
    note(1, 45, 1.0f);
    const Walk w = walk(1);
    const std::vector<float> xs = {5, 10, 20, 25, 30, 35, 40, 45};
    const std::vector<float> vs = {-3, 1, -14, 1, -140, -17, -18, 1};
    EXPECT_EQ(w.x, xs);
    EXPECT_EQ(w.v, vs);
    EXPECT_FLOAT_EQ(w.total, 3.0f);
}

// Only a bar line whose P12 is above 0 is the marked kind: 0 or a negative P12 is a plain bar.
TEST_F(RhythmColumnsTest, OnlyAPositiveP12MarksABarLine) {
    note(1, 10, 1.0f);
    add_item({14, 1, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f});
    note(1, 25, 1.0f);
    add_item({14, 1, 30, 0, 0, 0, 0, 0, 0, 0, 0, -1.0f});
    note(1, 35, 1.0f);
    add_item({14, 1, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f});
    note(1, 45, 1.0f);
    const Walk w = walk(1);
    EXPECT_EQ(w.v, (std::vector<float>{1, -14, 1, -14, 1, -140, 1}));
}

TEST_F(RhythmColumnsTest, OneStaffOfSeveralAndAStaffWithNoItems) {
    note(1, 10, 1.0f);
    note(2, 10, 2.0f);
    note(2, 30, 2.0f);
    add_item({14, 2, 199.995f, 0, 0});
    const int32_t third = note(4, 10, 1.0f);

    Walk w = walk(2);
    ASSERT_EQ(w.count, 3);
    EXPECT_EQ(w.x[2], 200.0f);  // the staff's last item within 0.01 of the end stands at it
    EXPECT_EQ(stored(4, 3), 200.0f);
    EXPECT_EQ(w.item, third);

    w = walk(3);  // no items: the walk stops at staff 4's first item
    EXPECT_EQ(w.count, 0);
    EXPECT_EQ(w.item, third);

    w = walk(9);
    EXPECT_EQ(w.count, 0);
    EXPECT_EQ(w.item, core::ItemCount + 1);
}

TEST_F(RhythmColumnsTest, GraceNotesAreMarkedOrSkippedAndClearTheSpacingWord) {
    note(1, 8, 64.0f);
    note(1, 10, 1.0f);
    Walk w = walk(1);
    EXPECT_EQ(w.v, (std::vector<float>{-64, 1}));
    EXPECT_EQ(layout::GraceSpacingDone, 0);

    layout::GraceSpacingDone = 1;
    w = walk(1, 1, -1);
    EXPECT_EQ(w.v, (std::vector<float>{1}));
    EXPECT_EQ(layout::GraceSpacingDone, 0);

    // Only rests and grace notes: a total of 0 is no column list.
    core::clear_item_store();
    note(1, 8, 64.0f);
    w = walk(1, 1, -1);
    EXPECT_EQ(w.count, 0);
    EXPECT_EQ(w.total, 0.0f);
}

TEST_F(RhythmColumnsTest, AClefInAnotherVoicesNoteLeavesWhatIsLeftOfIt) {
    // A whole note sounds on under a quarter, a clef, a second whole note and a quarter: the
    // clef's column must not lengthen the first whole note's remaining three beats.
    note(1, 10, 4.0f);
    note(1, 10, 1.0f);
    add_item({3, 1, 20, 0, 1});
    note(1, 30, 4.0f);
    note(1, 60, 1.0f);
    const Walk w = walk(1);
    EXPECT_EQ(w.v, (std::vector<float>{1, -3, 3, 1}));
    EXPECT_FLOAT_EQ(w.total, 5.0f);
}

TEST_F(RhythmColumnsTest, AFullChordAndAFullColumnListStayWithinTheirTables) {
    // 200 notes of different lengths at one x fill the pending list exactly; one more length
    // and a 201st column are not kept.
    for (int32_t k = 1; k <= 201; ++k) note(1, 0.5f, 0.5f * static_cast<float>(k));
    for (int32_t k = 1; k <= 200; ++k) note(1, 0.5f + 0.2f * static_cast<float>(k), 0.5f);
    Walk w;
    ASSERT_NO_THROW(w = walk(1));
    EXPECT_EQ(w.count, layout::kRhythmColumnLimit);
    EXPECT_FLOAT_EQ(w.v[0], 0.5f);
    EXPECT_FLOAT_EQ(w.v[199], 0.5f);
    EXPECT_FLOAT_EQ(w.x[199], 0.5f + 0.2f * 199.0f);
}

TEST_F(RhythmColumnsTest, SpacingListHoldsProportionalPositions) {
    note(2, 10, 1.0f);
    note(2, 20, 1.0f);
    note(2, 40, 1.0f);
    note(2, 60, 1.0f);
    add_item({14, 2, 80, 0, 0});
    layout::SpacingStaff = 2.0f;
    layout::append_spacing_end_marker();
    const auto& l = layout::SpacingList;
    ASSERT_EQ(l.count, 6);  // the staff ends in a bar line: no second one
    const std::vector<float> v = {10, 27.5f, 45, 62.5f, -14, 80};
    for (int32_t i = 1; i <= 6; ++i) EXPECT_FLOAT_EQ(l.v(i), v[i - 1]) << i;
    EXPECT_FLOAT_EQ(l.x(6), 80.0f);
    EXPECT_FLOAT_EQ(l.quarters, 4.0f);
    EXPECT_FLOAT_EQ(layout::InputRangeStart, 10.0f);
    EXPECT_FLOAT_EQ(layout::InputRangeEnd, 80.0f);
}

TEST_F(RhythmColumnsTest, SpacingListEndsInABarLineAtThePageEnd) {
    add_item({3, 2, 2, 0, 0});
    note(2, 10, 2.0f);
    note(2, 100, 2.0f);
    layout::SpacingStaff = 2.0f;
    layout::append_spacing_end_marker();
    const auto& l = layout::SpacingList;
    ASSERT_EQ(l.count, 5);
    EXPECT_FLOAT_EQ(l.v(1), -3.0f);
    EXPECT_FLOAT_EQ(l.v(2), 10.0f);
    EXPECT_FLOAT_EQ(l.v(3), 105.0f);
    EXPECT_FLOAT_EQ(l.x(4), 200.0f);
    EXPECT_FLOAT_EQ(l.v(4), -14.0f);
    EXPECT_FLOAT_EQ(l.v(5), 200.0f);
    EXPECT_FLOAT_EQ(layout::InputRangeStart, 2.0f);
}

TEST_F(RhythmColumnsTest, NoSpacingListWithoutRhythmsOrWithoutAStaff) {
    layout::InputRangeStart = 7.0f;
    add_item({14, 2, 80, 0, 0});
    for (const float staff : {2.0f, 3.0f, 999.0f, 0.0f, 257.0f}) {
        layout::SpacingStaff = staff;
        layout::append_spacing_end_marker();
        EXPECT_EQ(layout::SpacingList.count, 0) << staff;
    }
    EXPECT_FLOAT_EQ(layout::InputRangeStart, 7.0f);
}

}  // namespace
