// Chords of typed input arranged: seconds marked for the other side of the stem, accidentals
// put in columns (the offset in P5's fraction), the rhythms line's sort, and the head flags.
#include "engine/layout/notes/chord_arrangement.h"

#include <cmath>
#include <vector>

#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

struct Note {
    float p4;
    float p5;
};

class ChordArrangementTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
        layout::InputParserMode = layout::kNotesMode;
    }
    // The notes as rows 1.. of ColumnRecords (P1 1, P15 -1 for the members).
    static void rows(const std::vector<Note>& notes) {
        for (int32_t r = 1; r <= layout::kColumnRows + 1; ++r)
            layout::ColumnRecords.rows(r).fill(0.0f);
        int32_t r = 0;
        for (const Note& n : notes) {
            ++r;
            auto& row = layout::ColumnRecords.rows(r);
            row(1) = 1.0f;
            row(4) = n.p4;
            row(5) = n.p5;
            if (r > 1) row(15) = -1.0f;
        }
        layout::ColumnRecords.count = r;
    }
    // The whole chord of the rows made.
    static void arrange() {
        const int32_t last = layout::ColumnRecords.count;
        layout::arrange_chord_accidentals(static_cast<float>(last - 1), last);
    }
    static float p(int32_t row, int32_t w) { return layout::ColumnRecords.rows(row)(w); }
};

TEST_F(ChordArrangementTest, AccidentalsOfAThirdAndOfWideChords) {
    // Both sharps a third apart: the lower one a column's gap to the left.
    rows({{1.0f, 12.0f}, {3.0f, 2.0f}});
    arrange();
    EXPECT_NEAR(p(1, 5), 12.290f, 1e-4);
    EXPECT_FLOAT_EQ(p(2, 5), 2.0f);
    EXPECT_FLOAT_EQ(p(1, 10), 0.0f);
    EXPECT_FLOAT_EQ(p(2, 10), 0.0f);

    // Seven steps apart they do not meet: both in the first column.
    rows({{1.0f, 12.0f}, {8.0f, 2.0f}});
    arrange();
    EXPECT_FLOAT_EQ(p(1, 5), 12.0f);
    EXPECT_FLOAT_EQ(p(2, 5), 2.0f);
    // Six apart they do (the table's last row: code 2 over code 1).
    rows({{1.0f, 11.0f}, {7.0f, 2.0f}});
    arrange();
    EXPECT_NEAR(p(1, 5), 11.110f, 1e-4);

    // A single note keeps its accidental at the head.
    rows({{4.0f, 13.0f}});
    layout::arrange_chord_accidentals(0.0f, 1);
    EXPECT_FLOAT_EQ(p(1, 5), 13.0f);
    EXPECT_FLOAT_EQ(p(1, 10), 0.0f);
}

TEST_F(ChordArrangementTest, SecondsMarkEveryOtherNoteOfARun) {
    rows({{1.0f, 10.0f}, {2.0f, 0.0f}, {3.0f, 0.0f}});
    arrange();
    EXPECT_FLOAT_EQ(p(1, 10), 0.0f);
    EXPECT_FLOAT_EQ(p(2, 10), 10.0f);
    EXPECT_FLOAT_EQ(p(3, 10), 0.0f);
    rows({{6.0f, 20.0f}, {5.0f, 0.0f}, {4.0f, 0.0f}, {3.0f, 0.0f}, {0.0f, 0.0f}});
    arrange();
    EXPECT_FLOAT_EQ(p(2, 10), 20.0f);
    EXPECT_FLOAT_EQ(p(3, 10), 0.0f);
    EXPECT_FLOAT_EQ(p(4, 10), 20.0f);
    EXPECT_FLOAT_EQ(p(5, 10), 0.0f);
    // Small notes count by their position proper.
    rows({{101.0f, 10.0f}, {102.0f, 0.0f}});
    arrange();
    EXPECT_FLOAT_EQ(p(2, 10), 10.0f);
}

TEST_F(ChordArrangementTest, ADisplacedHeadMovesTheAccidentalsBesideIt) {
    // Down stem, a second: the lower head goes left of the stem (283); its own sharp is stored
    // past it, the upper sharp that reaches the head starts beside it.
    rows({{5.0f, 22.0f}, {4.0f, 2.0f}});
    arrange();
    EXPECT_FLOAT_EQ(p(2, 10), 20.0f);
    EXPECT_NEAR(p(1, 5), 22.283f, 1e-4);
    EXPECT_NEAR(p(2, 5), 2.290f, 1e-4);
}

// A displaced head (left of a down stem) pushes beside it every accidental that reaches it,
// up to the very step where the accidental's shape ends, and none that ends short of it.
TEST_F(ChordArrangementTest, EachAccidentalMovesBesideADisplacedHeadItReaches) {
    // Steps each accidental code reaches below and above its note.
    const float below[] = {0, 1, 3, 3, 1, 1};
    const float above[] = {0, 5, 4, 4, 5, 1};
    for (int code = 1; code <= 5; ++code) {
        // 3, 4, x, stem down: the head at 4 is displaced; the accidental on x reaches down to
        // it exactly (x = 4 + below) or ends one step short.
        const float reach = 4.0f + below[code];
        rows({{3.0f, 20.0f}, {4.0f, 0.0f}, {reach, static_cast<float>(code)}});
        arrange();
        ASSERT_FLOAT_EQ(p(2, 10), 20.0f) << "code " << code;
        EXPECT_NEAR(p(3, 5), code + 0.283f, 1e-4) << "code " << code << " at " << reach;
        rows({{3.0f, 20.0f}, {4.0f, 0.0f}, {reach + 1.0f, static_cast<float>(code)}});
        arrange();
        EXPECT_FLOAT_EQ(p(3, 5), static_cast<float>(code)) << "code " << code;
    }
    // The sharp three steps above the displaced head of 3, 4, 7.
    rows({{3.0f, 20.0f}, {4.0f, 0.0f}, {7.0f, 2.0f}});
    arrange();
    EXPECT_NEAR(p(3, 5), 2.283f, 1e-4);

    for (int code = 1; code <= 4; ++code) {
        // x, 10, 11, stem down: the head at 11 is displaced; the accidental on x below it
        // reaches up to it exactly, or ends one step short.
        const float reach = 11.0f - above[code];
        rows({{reach, 20.0f + code}, {10.0f, 0.0f}, {11.0f, 0.0f}});
        arrange();
        ASSERT_FLOAT_EQ(p(3, 10), 20.0f) << "code " << code;
        EXPECT_NEAR(p(1, 5), 20.283f + code, 1e-4) << "code " << code << " at " << reach;
        rows({{reach - 1.0f, 20.0f + code}, {10.0f, 0.0f}, {11.0f, 0.0f}});
        arrange();
        EXPECT_FLOAT_EQ(p(1, 5), 20.0f + code) << "code " << code;
    }
    // Codes without a shape never move.
    for (int code = 6; code <= 8; ++code) {
        rows({{3.0f, 20.0f}, {4.0f, 0.0f}, {5.0f, static_cast<float>(code)}});
        arrange();
        EXPECT_FLOAT_EQ(p(3, 5), static_cast<float>(code)) << "code " << code;
    }
}

TEST_F(ChordArrangementTest, OffsetsStopAtTheLastColumn) {
    // Wide accidentals stacked: the ones between a pair get a column each, up to 0.899.
    rows({{8.0f, 14.0f}, {11.0f, 4.0f}, {12.0f, 4.0f}, {13.0f, 4.0f}, {14.0f, 4.0f}});
    arrange();
    EXPECT_FLOAT_EQ(p(5, 5), 4.0f);
    EXPECT_NEAR(p(4, 5), 4.440f, 1e-4);
    EXPECT_NEAR(p(3, 5), 4.880f, 1e-4);
    EXPECT_NEAR(p(2, 5), 4.899f, 1e-4);
    EXPECT_FLOAT_EQ(p(1, 5), 14.0f);
}

TEST_F(ChordArrangementTest, CodesWithoutAShapeNeedNoGap) {
    EXPECT_EQ(layout::lookup_accidental_gap(2, 2, 2), 290);
    EXPECT_EQ(layout::lookup_accidental_gap(1, 5, 1), 250);  // code 5: column 4
    EXPECT_EQ(layout::lookup_accidental_gap(4, 4, 2), 440);  // code 4: column 1
    EXPECT_EQ(layout::lookup_accidental_gap(2, 1, 6), 110);
    EXPECT_EQ(layout::lookup_accidental_gap(2, 1, 7), 0);
    EXPECT_EQ(layout::lookup_accidental_gap(6, 2, 2), 0);
    EXPECT_EQ(layout::lookup_accidental_gap(2, 7, 2), 0);
    rows({{1.0f, 17.0f}, {2.0f, 9.0f}, {3.0f, 6.0f}});
    arrange();
    EXPECT_FLOAT_EQ(p(1, 5), 17.0f);
    EXPECT_FLOAT_EQ(p(3, 5), 6.0f);
}

TEST_F(ChordArrangementTest, TheRhythmsLineSortsTheChordFirst) {
    layout::InputParserMode = layout::kRhythmsMode;
    rows({{5.0f, 10.7f}, {1.0f, 2.0f}, {3.0f, 0.5f}});
    layout::ColumnRecords.rows(1)(10) = 10.0f;
    arrange();
    EXPECT_FLOAT_EQ(p(1, 4), 1.0f);
    EXPECT_FLOAT_EQ(p(2, 4), 3.0f);
    EXPECT_FLOAT_EQ(p(3, 4), 5.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 2.0f);  // P5 travels with its position, whole
    EXPECT_FLOAT_EQ(p(3, 5), 10.0f);
    EXPECT_FLOAT_EQ(p(1, 10), 0.0f);
    EXPECT_EQ(layout::ChordSpreadWord, 65);
    // A down stem sorts by falling position; the highest counts from 0 at least.
    rows({{-5.0f, 20.0f}, {-1.0f, 0.0f}, {-3.0f, 0.0f}});
    arrange();
    EXPECT_FLOAT_EQ(p(1, 4), -1.0f);
    EXPECT_FLOAT_EQ(p(2, 4), -3.0f);
    EXPECT_FLOAT_EQ(p(3, 4), -5.0f);
    EXPECT_EQ(layout::ChordSpreadWord, 66);
    // Elsewhere the order is left alone.
    layout::InputParserMode = layout::kBeamsMode;
    rows({{5.0f, 10.0f}, {1.0f, 0.0f}});
    arrange();
    EXPECT_FLOAT_EQ(p(1, 4), 5.0f);
}

TEST_F(ChordArrangementTest, EightyNotesAreArrangedAndEightyOneRefused) {
    std::vector<Note> chord;
    for (int32_t k = 0; k < 80; ++k)
        chord.push_back({static_cast<float>(k), k == 0 ? 12.0f : 2.0f});
    // Whether any row's accidental was moved off its head.
    auto moved = [] {
        for (int32_t r = 1; r <= layout::ColumnRecords.count; ++r)
            if (p(r, 5) != std::trunc(p(r, 5))) return true;
        return false;
    };
    rows(chord);
    arrange();
    EXPECT_FALSE(shown("*** Chord of more than 80 notes."));
    EXPECT_TRUE(moved());
    EXPECT_FLOAT_EQ(p(2, 10), 10.0f);
    chord.push_back({80.0f, 2.0f});
    rows(chord);
    arrange();
    EXPECT_TRUE(shown("*** Chord of more than 80 notes."));
    EXPECT_FALSE(moved());
    EXPECT_FLOAT_EQ(p(2, 10), 0.0f);
    // A span reaching before the first row takes only the rows there are.
    rows({{1.0f, 12.0f}, {3.0f, 2.0f}});
    layout::arrange_chord_accidentals(5.0f, 3);
    EXPECT_NEAR(p(1, 5), 12.290f, 1e-4);
}

TEST_F(ChordArrangementTest, HeadFlagsOfChordsWithSeconds) {
    // Stem up: the unmarked head gets 1000, and 100 beside the displaced one.
    rows({{1.0f, 10.0f}, {2.0f, 0.0f}, {6.0f, 20.0f}, {7.0f, 0.0f}});
    layout::ColumnRecords.rows(1)(9) = 10.0f;
    layout::ColumnRecords.rows(2)(10) = 10.0f;
    // Stem down, at rows 3-4 (P5 of a first row is 20 or more).
    layout::ColumnRecords.rows(3)(9) = 10.0f;
    layout::ColumnRecords.rows(4)(10) = 20.0f;
    layout::set_chord_head_flags(1, layout::ColumnRecords.count);
    EXPECT_FLOAT_EQ(p(1, 9), 1110.0f);
    EXPECT_FLOAT_EQ(p(2, 9), 0.0f);
    EXPECT_FLOAT_EQ(p(3, 9), 10.0f);
    EXPECT_FLOAT_EQ(p(4, 9), 1100.0f);

    // No seconds, or a first row below 10 in P9: nothing changes.
    rows({{1.0f, 10.0f}, {3.0f, 0.0f}, {5.0f, 10.0f}, {6.0f, 0.0f}});
    layout::ColumnRecords.rows(1)(9) = 10.0f;
    layout::ColumnRecords.rows(4)(10) = 10.0f;
    layout::set_chord_head_flags(1, layout::ColumnRecords.count);
    EXPECT_FLOAT_EQ(p(1, 9), 10.0f);
    EXPECT_FLOAT_EQ(p(3, 9), 0.0f);
    EXPECT_FLOAT_EQ(p(4, 9), 0.0f);
}

}  // namespace
