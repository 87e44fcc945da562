// The rhythms line of the typed input: rows of the notes line get their rhythms and positions,
// spread by duration or aligned to the spacing staff.
#include <cmath>
#include <utility>
#include <vector>

#include "engine/core/tables.h"
#include "engine/input/typed/music_text.h"
#include "engine/layout/builders/input_builders.h"
#include "engine/layout/builders/rhythm_columns.h"
#include "tests/layout/layout_fixture.h"

namespace {

class InputRhythmsTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        layout::InputStaff = 1.0f;
        layout::InputParserMode = layout::kRhythmsMode;
    }
    // One row as the notes line leaves it (P1, P2 = the input staff, then P3 ...).
    static void row(float code, std::vector<float> rest) {
        core::Array1<float, layout::kColumnWords> r;
        r.fill(0.0f);
        r(1) = code;
        r(2) = layout::InputStaff;
        for (std::size_t k = 0; k < rest.size(); ++k) r(static_cast<int>(k) + 3) = rest[k];
        ASSERT_TRUE(layout::append_column_row(r));
    }
    // A single note or a chord's first note at step p, stem code 10/20 in P5; it is a chord
    // of its own (stem code `chord_stem`).
    static void note(float p, float p5 = 10.0f, int32_t chord_stem = 0) {
        row(1, {0, p, p5});
        ++layout::RhythmRowCount;
        ++layout::ChordCount;
        layout::ChordFirstRows(layout::ChordCount) = layout::ColumnRecords.count;
        layout::ChordStemCodes(layout::ChordCount) = chord_stem;
    }
    static void member(float p, float p5 = 0.0f) {
        row(1, {0, p, p5, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1.0f});
    }
    static void rest() {
        row(2, {0, 0, 0});
        ++layout::RhythmRowCount;
    }
    static void rhythms(const std::vector<float>& codes) {
        layout::InputTokenList(0) = static_cast<float>(codes.size());
        for (std::size_t k = 0; k < codes.size(); ++k)
            layout::InputTokenList(static_cast<int>(k) + 1) = codes[k];
    }
    static void range(float left, float right) {
        layout::InputRangeStart = left;
        layout::InputRangeEnd = right;
    }
    static float& P(int32_t r, int32_t w) { return layout::ColumnRecords.rows(r)(w); }
    // Spacing staff 2 from the given (x, quarters) notes and bar lines (quarters 0).
    static void spacing_staff(const std::vector<std::pair<float, float>>& items) {
        for (const auto& [x, q] : items) {
            if (q == 0.0f)
                add_item({14, 2, x, 0, 0});
            else
                add_item({1, 2, x, 5, 10, 0, q});
        }
        layout::SpacingStaff = 2.0f;
        layout::append_spacing_end_marker();
    }
};

TEST_F(InputRhythmsTest, QuartersShareTheRangeByDuration) {
    range(10, 90);
    for (int i = 0; i < 4; ++i) note(5);
    rhythms({1, 1, 1, 1});
    layout::apply_input_rhythms();
    for (int32_t r = 1; r <= 4; ++r) {
        EXPECT_FLOAT_EQ(P(r, 3), 10.0f + 20.0f * static_cast<float>(r - 1)) << r;
        EXPECT_FLOAT_EQ(P(r, 7), 1.0f);
        EXPECT_FLOAT_EQ(layout::RowRhythms(r), 1.0f);
        EXPECT_FLOAT_EQ(layout::ColumnPositions(r), P(r, 3));
    }
    EXPECT_EQ(layout::ColumnPositionCount, 5);
    EXPECT_FLOAT_EQ(layout::ColumnPositions(5), 200.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(InputRhythmsTest, AMissingRhythmMakesAGraceNoteAtTheEnd) {
    range(10, 90);
    for (int i = 0; i < 4; ++i) note(5);
    rhythms({1, 1, 1});
    layout::apply_input_rhythms();
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "Mismatch --  3 rhythms,  4 needed.");
    EXPECT_FLOAT_EQ(P(4, 7), 65.0f);
    EXPECT_FLOAT_EQ(P(4, 3), 90.0f - 4.0f);
    EXPECT_FLOAT_EQ(P(4, 4), 105.0f);  // small
    EXPECT_FLOAT_EQ(P(4, 9), 1.0f);
    EXPECT_FLOAT_EQ(P(4, 13), 1.0f);
    EXPECT_EQ(P(4, 6), 0.0f);  // a grace note has no long head
    EXPECT_FLOAT_EQ(layout::InputTokenList(4), 64.0f);
    EXPECT_FLOAT_EQ(layout::ColumnPositions(4), 86.0f);
    // The three quarters share the range less the grace note's tenth of a beat.
    EXPECT_NEAR(P(2, 3), 10.0f + 80.0f / 3.1f, 1e-4);
}

TEST_F(InputRhythmsTest, RhythmCountsOfThreeDigitsAreShownWhole) {
    range(0, 200);
    for (int i = 0; i < 120; ++i) note(5);
    rhythms(std::vector<float>(100, 0.25f));
    layout::apply_input_rhythms();
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "Mismatch -- 100 rhythms, 120 needed.");
    EXPECT_FLOAT_EQ(P(120, 7), 65.0f);

    // 99 and 100 given for 100 needed, at the edge of the two-column field.
    fe_.message_boxes.clear();
    layout::reset_input_work_tables();
    layout::InputStaff = 1.0f;
    range(0, 200);
    for (int i = 0; i < 100; ++i) note(5);
    rhythms(std::vector<float>(99, 0.25f));
    layout::apply_input_rhythms();
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "Mismatch -- 99 rhythms, 100 needed.");
}

TEST_F(InputRhythmsTest, DotsGoToTheTensOfP9AndTheUndottedBaseGivesBeamsAndHead) {
    range(10, 90);
    note(5, 10, 10);  // Q.
    note(5, 10, 10);  // E.
    note(5, 20, 20);  // H.. stem down
    note(5, 10, 0);   // E
    rhythms({1001.5f, 1000.75f, 2003.5f, 0.5f});
    layout::apply_input_rhythms();
    EXPECT_FLOAT_EQ(P(1, 7), 1.5f);
    EXPECT_FLOAT_EQ(P(1, 9), 10.0f);
    EXPECT_FLOAT_EQ(P(1, 13), 0.0f);
    EXPECT_EQ(P(1, 6), 0.0f);
    EXPECT_FLOAT_EQ(P(2, 7), 0.75f);
    EXPECT_FLOAT_EQ(P(2, 9), 11.0f);
    EXPECT_FLOAT_EQ(P(2, 13), 1.0f);
    EXPECT_FLOAT_EQ(P(3, 7), 3.5f);
    EXPECT_FLOAT_EQ(P(3, 9), 120.0f);  // dots on a chord whose stems are down
    EXPECT_FLOAT_EQ(P(3, 6), 1.0f);    // a half-note head
    EXPECT_FLOAT_EQ(P(4, 9), 1.0f);
    EXPECT_FLOAT_EQ(layout::InputTokenList(1), 1.5f);
    EXPECT_FLOAT_EQ(layout::InputTokenList(3), 3.5f);
}

TEST_F(InputRhythmsTest, ChordMembersShareTheirNotesPlaceAndRhythm) {
    range(10, 90);
    note(3, 10, 10);
    member(5);
    member(7);
    rest();
    rhythms({2.0f, 0.5f});
    layout::apply_input_rhythms();
    for (int32_t r = 1; r <= 3; ++r) {
        EXPECT_FLOAT_EQ(P(r, 3), 10.0f) << r;
        EXPECT_FLOAT_EQ(P(r, 7), 2.0f) << r;
        EXPECT_FLOAT_EQ(P(r, 6), 1.0f) << r;
    }
    EXPECT_FLOAT_EQ(layout::RowRhythms(1), 2.0f);
    EXPECT_FLOAT_EQ(layout::RowRhythms(2), 0.0f);
    // The rest: an eighth with one beam, its rhythm negative in the token list.
    EXPECT_NEAR(P(4, 3), 10.0f + 80.0f * 2.0f / 2.5f, 1e-4);
    EXPECT_FLOAT_EQ(P(4, 5), 1.0f);
    EXPECT_FLOAT_EQ(layout::InputTokenList(2), -0.5f);
    EXPECT_EQ(layout::ColumnPositionCount, 2);
}

TEST_F(InputRhythmsTest, TrailingKeyAndMeterShortenTheRangeAndStandAtItsEnd) {
    range(10, 90);
    note(5);
    note(5);
    row(17, {0, 0, 2});
    row(18, {0, 0, 4, 4});
    rhythms({1, 1});
    layout::apply_input_rhythms();
    // Right end 90 - 4.0 - 6.1 - 2.5; widths: key 7.3, of which a third goes back.
    const float right = 90.0f - 4.0f - 6.1f - 2.5f;
    const float avail = right - 10.0f - 7.3f;
    EXPECT_NEAR(P(2, 3), 10.0f + avail / 2.0f, 1e-4);
    EXPECT_NEAR(P(3, 3), 10.0f + avail - 7.3f / 3.0f, 1e-4);
    EXPECT_NEAR(P(4, 3), right, 1e-4);
    EXPECT_EQ(P(3, 15), 0.0f);
    EXPECT_EQ(P(4, 15), 0.0f);
}

TEST_F(InputRhythmsTest, NotesFollowTheSpacingStaff) {
    spacing_staff({{10, 1}, {20, 1}, {40, 1}, {60, 1}, {80, 0}});
    note(5);
    note(5);
    rhythms({2, 2});
    layout::apply_input_rhythms();
    EXPECT_NEAR(P(1, 3), 10.0f, 0.002f);
    EXPECT_NEAR(P(2, 3), 40.0f, 0.002f);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(InputRhythmsTest, ABarLineTakesTheSpacingStaffsBarAndGraceNotesStandBeforeTheirNote) {
    spacing_staff({{10, 1}, {20, 1}, {30, 0}, {40, 1}, {43, 1}});
    note(5);
    note(5);
    row(14, {0, 0, 0});
    note(5);  // grace
    note(5);
    note(5);  // grace
    note(5);
    rhythms({1, 1, 64, 1, 64, 1});
    layout::apply_input_rhythms();
    EXPECT_NEAR(P(2, 3), 20.0f, 0.002f);
    EXPECT_FLOAT_EQ(P(3, 3), 30.0f);
    EXPECT_NEAR(P(5, 3), 40.0f, 0.002f);
    EXPECT_NEAR(P(4, 3), 37.0f, 0.002f);  // 3.0 before its note
    EXPECT_NEAR(P(7, 3), 43.0f, 0.005f);
    EXPECT_NEAR(P(6, 3), 41.5f, 0.005f);  // halfway: a gap of 4.0 or less is halved
    EXPECT_EQ(P(4, 6), 0.0f);
    EXPECT_FLOAT_EQ(layout::ColumnPositions(3), P(4, 3));
}

TEST_F(InputRhythmsTest, ALateBarLineIsFoundBeyondTheHundredthEntry) {
    // A hand-made list: a bar line soon after the first note, 102 notes, then a second bar
    // line at entry 105; the line's bar comes after its second note.
    auto& l = layout::SpacingList;
    int32_t n = 0;
    const auto entry = [&](float x, float v) {
        ++n;
        l.x(n) = x;
        l.v(n) = v;
    };
    entry(10, 10);
    entry(12, -14);
    for (int32_t i = 0; i < 102; ++i) entry(20.0f + static_cast<float>(i), 20.0f + i);
    entry(150, -14);
    entry(160, 160);
    l.count = n;
    l.quarters = 2.0f;
    range(10, 160);
    note(5);
    note(5);
    row(14, {0, 0, 0});
    rhythms({1, 1});
    ASSERT_NO_THROW(layout::apply_input_rhythms());
    EXPECT_GT(P(2, 3), 12.0f);
    EXPECT_FLOAT_EQ(P(3, 3), 150.0f);
}

TEST_F(InputRhythmsTest, MoreQuartersThanTheSpacingStaffStayOnThePage) {
    spacing_staff({{10, 1}, {20, 1}, {30, 0}});
    layout::InputRangeEnd = 100.0f;  // a range reaching beyond the spacing staff's end
    for (int i = 0; i < 6; ++i) note(5);
    rhythms({1, 1, 1, 1, 1, 1});
    ASSERT_NO_THROW(layout::apply_input_rhythms());
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0],
              " *** Mismatch - Spacing Staff has   2.00 Quarter Notes.||Quarter Notes on this "
              "staff =   6.00");
    for (int32_t r = 2; r <= 6; ++r) {
        EXPECT_GE(P(r, 3), P(r - 1, 3)) << r;
        EXPECT_LE(P(r, 3), 200.0f) << r;
    }
}

TEST_F(InputRhythmsTest, LinesOfOnlyGraceNotesOrNoRowsDoNotDivideByZero) {
    spacing_staff({{10, 1}, {20, 1}});
    note(5);
    note(5);
    rhythms({64, 64});
    layout::apply_input_rhythms();
    for (int32_t r = 1; r <= 2; ++r) EXPECT_FALSE(std::isnan(P(r, 3))) << r;

    layout::reset_input_work_tables();
    range(10, 90);
    rhythms({});
    layout::apply_input_rhythms();
    EXPECT_EQ(layout::ColumnPositionCount, 1);
}

TEST_F(InputRhythmsTest, ATypedRhythmsLineReachesTheRows) {
    range(10, 90);
    note(5, 10, 10);
    note(5, 10, 10);
    rest();
    note(5, 10, 10);
    core::CommandLine.set("Q./E./Q/Q;");
    int32_t first = 1;
    int32_t cursor = 0;
    input::prepare_input_line(first, cursor);
    EXPECT_FLOAT_EQ(P(1, 7), 1.5f);
    EXPECT_FLOAT_EQ(P(1, 9), 10.0f);
    EXPECT_FLOAT_EQ(P(2, 7), 0.75f);
    EXPECT_FLOAT_EQ(P(2, 9), 11.0f);
    EXPECT_FLOAT_EQ(P(3, 7), 1.0f);
    EXPECT_FLOAT_EQ(P(3, 5), 0.0f);  // a quarter rest
    EXPECT_FLOAT_EQ(P(1, 3), 10.0f);
    EXPECT_NEAR(P(4, 3), 10.0f + 80.0f * 3.25f / 4.25f, 1e-4);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

}  // namespace
