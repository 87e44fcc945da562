// The slurs line: ties of a chord split between the sides, open and tied ends, marks cleared or
// moved, slurs lifted over inner notes, and the full row table.
#include "engine/layout/builders/input_slurs.h"

#include <string>
#include <vector>

#include "engine/core/settings_tables.h"
#include "tests/layout/input_rows.h"

namespace {

class InputSlursTest : public InputRowsTest {
  protected:
    static std::vector<int32_t> slur_rows() {
        std::vector<int32_t> out;
        for (int32_t r = 1; r <= layout::ColumnRecords.count; ++r)
            if (F(r, 1) == 5.0f) out.push_back(r);
        return out;
    }
};

TEST_F(InputSlursTest, TiedThreeNoteChordSplitsTwoAndOne) {
    chord(20.0f, 3.0f, 10.0f, 0.0f, 1.0f);
    member(5.0f);
    member(7.0f);
    chord(40.0f, 3.0f, 10.0f, 0.0f, 1.0f);
    member(5.0f);
    member(7.0f);
    type_line(layout::kSlursMode, "1 2;");
    const auto rows = slur_rows();
    ASSERT_EQ(rows.size(), 3u);
    // A real tie below (D = 20: a stemless note above 6 ends the search), from each head.
    EXPECT_EQ(F(rows[0], 8), -2.0f);
    EXPECT_FLOAT_EQ(F(rows[0], 4), 3.0f - 1.2f);
    EXPECT_FLOAT_EQ(F(rows[1], 4), 5.0f - 1.2f);
    EXPECT_FLOAT_EQ(F(rows[2], 4), 7.0f + 1.2f);  // the other side
    EXPECT_LT(F(rows[0], 7), 0.0f);
    EXPECT_LT(F(rows[1], 7), 0.0f);
    EXPECT_GT(F(rows[2], 7), 0.0f);
    for (int32_t r : rows) {
        EXPECT_EQ(F(r, 3), 20.0f);
        EXPECT_EQ(F(r, 6), 40.0f);
        EXPECT_EQ(F(r, 5), F(r, 4));
    }
}

TEST_F(InputSlursTest, OpenStartIsAPlainSlurFromBeforeTheFirstNote) {
    chord(20.0f, 4.0f, 10.0f, 0.0f, 1.0f);
    chord(40.0f, 4.0f, 10.0f, 0.0f, 1.0f);
    chord(60.0f, 4.0f, 10.0f, 0.0f, 1.0f);
    type_line(layout::kSlursMode, "99 3;");
    const auto rows = slur_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(F(rows[0], 8), -1.0f);
    EXPECT_EQ(F(rows[0], 3), 20.0f - 5.0f);
    EXPECT_EQ(F(rows[0], 6), 60.0f);
}

TEST_F(InputSlursTest, TieClosenessAndTieSettings) {
    // Two equal notes 20 apart: a real tie off the head; 5 apart: a slur.
    chord(20.0f, 4.0f, 10.0f, 0.0f, 1.0f);
    chord(40.0f, 4.0f, 10.0f, 0.0f, 1.0f);
    chord(45.0f, 4.0f, 10.0f, 0.0f, 1.0f);
    type_line(layout::kSlursMode, "1 2/2 3;");
    auto rows = slur_rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(F(rows[0], 8), -2.0f);
    EXPECT_FLOAT_EQ(F(rows[0], 4), 3.5f);
    EXPECT_EQ(F(rows[1], 8), -1.0f);
    EXPECT_FLOAT_EQ(F(rows[1], 4), 2.0f);  // below the head, not made even
    // "TIES" 1: drawn as a slur of kind 0.4.
    core::TiePosition = 1;
    layout::ColumnRecords.count = 3;
    type_line(layout::kSlursMode, "1 2;");
    rows = slur_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FLOAT_EQ(F(rows[0], 8), 0.4f);
}

TEST_F(InputSlursTest, MarkOnAStemAwayFromTheSlurMovesInstead) {
    const int32_t first = chord(20.0f, 4.0f, 10.0f, 0.0f, 1.0f);
    F(first, 11) = 8.05f;
    chord(40.0f, 5.0f, 10.0f, 0.0f, 1.0f);
    chord(60.0f, 6.0f, 10.0f, 0.0f, 1.0f);
    type_line(layout::kSlursMode, "1 3;");
    const auto rows = slur_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FLOAT_EQ(F(first, 11), 8.23f);
    EXPECT_FLOAT_EQ(F(rows[0], 4), 2.0f);  // 4 - 2.0: the end stays
}

TEST_F(InputSlursTest, SlurOverRisingNotesIsLifted) {
    chord(20.0f, 4.0f, 20.0f, 0.0f, 1.0f);
    chord(40.0f, 14.0f, 20.0f, 0.0f, 1.0f);
    chord(60.0f, 4.0f, 20.0f, 0.0f, 1.0f);
    type_line(layout::kSlursMode, "+1 3;");
    const auto rows = slur_rows();
    ASSERT_EQ(rows.size(), 1u);
    const float p4 = F(rows[0], 4);
    // The line over the middle note: P4 - 2.5 + P7 reaches its head at 14.
    EXPECT_FLOAT_EQ(p4 - 2.5f + F(rows[0], 7), 14.0f);
}

// A mark on an inner note stands out from its head on the slur's side: the slur is lifted
// over the mark (its offset's tenths plus 2 steps), above a down stem and below an up stem.
TEST_F(InputSlursTest, SlurIsLiftedOverTheMarkOfAnInnerNote) {
    chord(20.0f, 4.0f, 20.0f, 0.0f, 1.0f);
    const int32_t middle = chord(40.0f, 14.0f, 20.0f, 0.0f, 1.0f);
    F(middle, 11) = 8.3f;  // 3 + 2 = 5 steps out
    chord(60.0f, 4.0f, 20.0f, 0.0f, 1.0f);
    type_line(layout::kSlursMode, "+1 3;");
    auto rows = slur_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NEAR(F(rows[0], 4) - 2.5f + F(rows[0], 7), 19.0f, 1e-4);

    layout::reset_input_work_tables();
    layout::InputStaff = 1.0f;
    chord(20.0f, 10.0f, 10.0f, 0.0f, 1.0f);
    const int32_t low = chord(40.0f, 2.0f, 10.0f, 0.0f, 1.0f);
    F(low, 11) = 8.3f;
    chord(60.0f, 10.0f, 10.0f, 0.0f, 1.0f);
    type_line(layout::kSlursMode, "-1 3;");
    rows = slur_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NEAR(F(rows[0], 4) + 2.5f + F(rows[0], 7), 2.0f - 5.0f, 1e-4);
}

// A slur with a flag (hundreds in its first number) is lifted whole, both ends, half a step
// clear of the inner note, above or below.
TEST_F(InputSlursTest, FlaggedSlurMovesBothEndsHalfAStepClear) {
    chord(20.0f, 4.0f, 20.0f, 0.0f, 1.0f);
    chord(40.0f, 14.0f, 20.0f, 0.0f, 1.0f);
    chord(60.0f, 4.0f, 20.0f, 0.0f, 1.0f);
    type_line(layout::kSlursMode, "+101 3;");
    auto rows = slur_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FLOAT_EQ(F(rows[0], 4), F(rows[0], 5));
    EXPECT_NEAR(F(rows[0], 4) - 2.5f + F(rows[0], 7), 14.5f, 1e-4);

    layout::reset_input_work_tables();
    layout::InputStaff = 1.0f;
    chord(20.0f, 10.0f, 10.0f, 0.0f, 1.0f);
    chord(40.0f, 0.0f, 10.0f, 0.0f, 1.0f);
    chord(60.0f, 10.0f, 10.0f, 0.0f, 1.0f);
    type_line(layout::kSlursMode, "-101 3;");
    rows = slur_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FLOAT_EQ(F(rows[0], 4), F(rows[0], 5));
    EXPECT_NEAR(F(rows[0], 4) + 2.5f + F(rows[0], 7), -0.5f, 1e-4);
}

TEST_F(InputSlursTest, LiftWithNoWidthTakesNoSlope) {
    chord(20.0f, 4.0f, 20.0f, 0.0f, 1.0f);
    chord(20.0f, 14.0f, 20.0f, 0.0f, 1.0f);
    chord(20.0f, 4.0f, 20.0f, 0.0f, 1.0f);
    layout::SlurWork slur;
    slur.p.fill(0.0f);
    slur.p(3) = 20.0f;
    slur.p(6) = 20.0f;
    slur.p(4) = 4.0f;
    slur.p(5) = 8.0f;
    slur.p(7) = 1.0f;
    slur.first_row = 1;
    slur.last_row = 3;
    slur.direction = 10;
    layout::lift_over_inner_notes(slur);
    EXPECT_FLOAT_EQ(slur.p(7), 1.0f + (14.0f - (4.0f - 2.5f + 1.0f)));
}

TEST_F(InputSlursTest, FullRowTableEndsTheLine) {
    chord(20.0f, 4.0f, 10.0f, 0.0f, 1.0f);
    chord(40.0f, 6.0f, 10.0f, 0.0f, 1.0f);
    core::Array1<float, layout::kColumnWords> bar;
    bar.fill(0.0f);
    bar(1) = 14.0f;
    while (layout::ColumnRecords.count < layout::kColumnRows - 1)
        ASSERT_TRUE(layout::append_column_row(bar));
    type_line(layout::kSlursMode, "1 2/1 2;");
    EXPECT_EQ(layout::ColumnRecords.count, layout::kColumnRows);
    EXPECT_EQ(F(layout::kColumnRows, 1), 5.0f);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes[0].find("Too many items in one input line"), std::string::npos);
}

}  // namespace
