// The beams line: pairs typed and parsed, the stem side of the beamed chords, the beam row's
// numbers, automatic grouping, partial beams and the full row table.
#include "engine/layout/builders/input_beams.h"

#include <string>
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/layout/builders/input_builders.h"
#include "tests/layout/input_rows.h"

namespace {

class InputBeamsTest : public InputRowsTest {
  protected:
    // Rows whose P1 is 6 (beams), in order.
    static std::vector<int32_t> beam_rows() {
        std::vector<int32_t> out;
        for (int32_t r = 1; r <= layout::ColumnRecords.count; ++r)
            if (F(r, 1) == 6.0f) out.push_back(r);
        return out;
    }
    // Eighths at x 20, 40, ... on the steps given, automatic stems as the notes line sets them.
    static void eighths(const std::vector<float>& steps, const std::vector<float>& beams = {}) {
        for (std::size_t k = 0; k < steps.size(); ++k) {
            const float b = k < beams.size() ? beams[k] : 1.0f;
            chord(20.0f * static_cast<float>(k + 1), steps[k], steps[k] < 7.0f ? 10.0f : 20.0f, b,
                  b >= 2.0f ? 0.25f : 0.5f);
        }
    }
};

struct SpreadCase {
    float low, high;
    int32_t side;  // 10 up, 20 down
};

TEST_F(InputBeamsTest, StemSideFromTheLowestAndHighestNotes) {
    const SpreadCase cases[] = {{3.0f, 12.0f, 20}, {4.0f, 10.0f, 20}, {2.0f, 10.0f, 10}};
    for (const SpreadCase& c : cases) {
        SCOPED_TRACE(c.low);
        layout::reset_input_work_tables();
        layout::InputStaff = 1.0f;
        eighths({c.low, c.high});
        type_line(layout::kBeamsMode, "1 2;");
        const auto rows = beam_rows();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(F(rows[0], 7), static_cast<float>(c.side + 1));
        EXPECT_EQ(layout::ChordStemCodes(1), c.side);
        EXPECT_EQ(layout::ChordStemCodes(2), c.side);
        // Both notes' stem digits follow the side.
        EXPECT_EQ(static_cast<int>(F(1, 5)) / 10, c.side / 10);
        EXPECT_EQ(static_cast<int>(F(2, 5)) / 10, c.side / 10);
        EXPECT_EQ(F(rows[0], 3), 20.0f);
        EXPECT_EQ(F(rows[0], 6), 40.0f);
        EXPECT_EQ(F(rows[0], 2), 1.0f);
    }
}

TEST_F(InputBeamsTest, SignedNumberGivesStemsDownAndTheNumberOverTheBeam) {
    eighths({3.0f, 3.0f, 3.0f, 3.0f, 3.0f});
    type_line(layout::kBeamsMode, "-1203 5;");
    const auto rows = beam_rows();
    ASSERT_EQ(rows.size(), 1u);
    const int32_t r = rows[0];
    EXPECT_EQ(F(r, 3), 60.0f);  // chord 3
    EXPECT_EQ(F(r, 6), 100.0f);
    EXPECT_EQ(F(r, 7), 21.0f);
    EXPECT_EQ(F(r, 8), 12.0f);
    EXPECT_EQ(layout::ChordStemCodes(2), 0);  // outside the beam
    for (int32_t k = 3; k <= 5; ++k) EXPECT_EQ(layout::ChordStemCodes(k), 20);
}

TEST_F(InputBeamsTest, PairsOutOfRangeOrOfMixedKindsAreSkipped) {
    eighths({4.0f, 5.0f, 6.0f});
    type_line(layout::kBeamsMode, "0 2/2 7/1 3;");
    auto rows = beam_rows();
    ASSERT_EQ(rows.size(), 1u);  // only 1..3
    EXPECT_EQ(F(rows[0], 3), 20.0f);
    EXPECT_EQ(F(rows[0], 6), 60.0f);
    // The same chord twice beams it with the next.
    layout::reset_input_work_tables();
    layout::InputStaff = 1.0f;
    eighths({4.0f, 5.0f, 6.0f});
    type_line(layout::kBeamsMode, "2 2;");
    rows = beam_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(F(rows[0], 3), 40.0f);
    EXPECT_EQ(F(rows[0], 6), 60.0f);
}

TEST_F(InputBeamsTest, AutomaticGroupingOfEighthsByQuarters) {
    eighths({4.0f, 5.0f, 6.0f, 5.0f, 4.0f, 5.0f, 6.0f, 5.0f});
    type_line(layout::kBeamsMode, "2B;");
    const auto rows = beam_rows();
    ASSERT_EQ(rows.size(), 4u);
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(F(rows[k], 3), 20.0f + 40.0f * k);
        EXPECT_EQ(F(rows[k], 6), 40.0f + 40.0f * k);
    }
}

TEST_F(InputBeamsTest, AutomaticGroupingOfThreeSixteenths) {
    for (int32_t k = 1; k <= 6; ++k) chord(10.0f * k, 5.0f, 10.0f, 2.0f, 0.25f);
    layout::InputTokenList(0) = 3.0f;
    layout::InputTokenList(1) = 9999.0f;
    layout::InputTokenList(2) = 9.0f;
    layout::InputTokenList(3) = 0.0f;
    layout::make_auto_beam_pairs();
    EXPECT_EQ(layout::InputTokenList(0), 4.0f);
    EXPECT_EQ(layout::InputTokenList(1), 1.0f);
    EXPECT_EQ(layout::InputTokenList(2), 3.0f);
    EXPECT_EQ(layout::InputTokenList(3), 4.0f);
    EXPECT_EQ(layout::InputTokenList(4), 6.0f);
}

// Grace notes (a rhythm of exactly 64, no time) that start the line are beamed together as a
// small beam of two, whether the pair is typed or found by the automatic grouping.
TEST_F(InputBeamsTest, TwoGraceNotesAtTheStartAreBeamedTogether) {
    auto graces_then_eighths = [] {
        // Grace notes are small: 100 over their step.
        chord(20.0f, 105.0f, 10.0f, 1.0f, 64.0f);
        chord(30.0f, 106.0f, 10.0f, 1.0f, 64.0f);
        chord(40.0f, 5.0f, 10.0f, 1.0f, 0.5f);
        chord(60.0f, 6.0f, 10.0f, 1.0f, 0.5f);
    };
    graces_then_eighths();
    type_line(layout::kBeamsMode, "1 2;");
    auto rows = beam_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(F(rows[0], 3), 20.0f);
    EXPECT_EQ(F(rows[0], 6), 30.0f);
    EXPECT_EQ(F(rows[0], 7), 12.0f);      // stems up, two beams
    EXPECT_GE(F(rows[0], 4), 100.0f);     // the small size
    // A grace note and a timed note never share a beam.
    layout::reset_input_work_tables();
    layout::InputStaff = 1.0f;
    graces_then_eighths();
    type_line(layout::kBeamsMode, "2 3;");
    EXPECT_TRUE(beam_rows().empty());
    // The automatic grouping finds the two grace notes as a pair of their own.
    layout::reset_input_work_tables();
    layout::InputStaff = 1.0f;
    graces_then_eighths();
    type_line(layout::kBeamsMode, "2B;");
    rows = beam_rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(F(rows[0], 3), 20.0f);
    EXPECT_EQ(F(rows[0], 6), 30.0f);
    EXPECT_EQ(F(rows[0], 7), 12.0f);
}

TEST_F(InputBeamsTest, SixteenthsInTheMiddleGetAPartialBeam) {
    eighths({4.0f, 5.0f, 6.0f, 5.0f}, {1.0f, 2.0f, 2.0f, 1.0f});
    type_line(layout::kBeamsMode, "1 4;");
    const auto rows = beam_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(F(rows[0], 7), 11.0f);  // one main beam
    EXPECT_EQ(F(rows[0], 10), 11.0f);
    EXPECT_EQ(F(rows[0], 11), 40.0f);
    EXPECT_EQ(F(rows[0], 12), 60.0f);
    EXPECT_EQ(F(rows[0], 13), 0.0f);
}

TEST_F(InputBeamsTest, ThreeRunsOfPartialBeamsTakeTwoRows) {
    eighths({4.0f, 5.0f, 4.0f, 5.0f, 4.0f, 5.0f}, {1.0f, 2.0f, 1.0f, 2.0f, 1.0f, 2.0f});
    type_line(layout::kBeamsMode, "1 6;");
    const auto rows = beam_rows();
    ASSERT_EQ(rows.size(), 2u);
    // Single chords: stubs pointing back to the previous chord.
    EXPECT_EQ(F(rows[0], 10), 11.0f);
    EXPECT_EQ(F(rows[0], 11), 0.0f);
    EXPECT_EQ(F(rows[0], 12), 40.0f);
    EXPECT_EQ(F(rows[0], 13), 11.0f);
    EXPECT_EQ(F(rows[0], 15), 80.0f);
    EXPECT_EQ(F(rows[1], 10), 11.0f);
    EXPECT_EQ(F(rows[1], 12), 120.0f);
    EXPECT_EQ(F(rows[1], 13), 0.0f);
    for (int32_t w = 1; w <= 8; ++w) EXPECT_EQ(F(rows[1], w), F(rows[0], w)) << w;
}

TEST_F(InputBeamsTest, NestedPartialBeamHangsFromItsRun) {
    eighths({4.0f, 5.0f, 6.0f, 5.0f, 4.0f}, {1.0f, 2.0f, 3.0f, 2.0f, 1.0f});
    type_line(layout::kBeamsMode, "1 5;");
    const auto rows = beam_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(F(rows[0], 10), 11.0f);  // chords 2..4, one more beam
    EXPECT_EQ(F(rows[0], 11), 40.0f);
    EXPECT_EQ(F(rows[0], 12), 80.0f);
    EXPECT_EQ(F(rows[0], 13), 21.0f);  // chord 3, below the two
}

TEST_F(InputBeamsTest, ManyBeamsStandFurtherOff) {
    // Three beams, stems up: o = 3 x 3 + 2 - 9 = 2 steps of 0.5.
    for (int32_t k = 1; k <= 2; ++k) chord(20.0f * k, 4.0f, 10.0f, 3.0f, 0.125f);
    type_line(layout::kBeamsMode, "1 2;");
    const auto rows = beam_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(F(rows[0], 7), 13.0f);
    EXPECT_FLOAT_EQ(F(rows[0], 4), 4.0f + 1.0f);
    EXPECT_FLOAT_EQ(F(rows[0], 5), 4.0f + 1.0f);
}

TEST_F(InputBeamsTest, ChordTurnedToTheOtherSideIsTurnedOver) {
    const int32_t first = chord(20.0f, 3.0f, 12.0f);  // stem up, a sharp
    member(5.0f, 1.0f);
    chord(40.0f, 4.0f, 10.0f);
    type_line(layout::kBeamsMode, "-1 2;");
    EXPECT_EQ(F(first, 4), 5.0f);  // the heads in reverse order
    EXPECT_EQ(F(first + 1, 4), 3.0f);
    EXPECT_EQ(F(first, 5), 21.0f);  // the other note's flat, stem down
    // The lower sharp a third below the flat stands one accidental column further left.
    EXPECT_FLOAT_EQ(F(first + 1, 5), 2.24f);
    EXPECT_EQ(F(first + 2, 5), 20.0f);
}

TEST_F(InputBeamsTest, FullRowTableStopsTheLineWithItsMessage) {
    eighths({4.0f, 5.0f});
    core::Array1<float, layout::kColumnWords> bar;
    bar.fill(0.0f);
    bar(1) = 14.0f;
    while (layout::ColumnRecords.count < layout::kColumnRows - 1)
        ASSERT_TRUE(layout::append_column_row(bar));
    // Row 200 is made.
    type_line(layout::kBeamsMode, "1 2;");
    EXPECT_EQ(layout::ColumnRecords.count, layout::kColumnRows);
    EXPECT_EQ(F(layout::kColumnRows, 1), 6.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());
    // Row 201 is not.
    type_line(layout::kBeamsMode, "1 2;");
    EXPECT_EQ(layout::ColumnRecords.count, layout::kColumnRows);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes[0].find("Too many items in one input line"), std::string::npos);
}

}  // namespace
