// The notes line of typed input laid out as rows: even spacing over the input range, staff
// positions under the clef, stems, chords in order, rests, clefs, bars, keys, meters and small
// notes; typed lines go through the parser, token lists straight to the builder.
#include <string>
#include <vector>

#include "engine/input/tables.h"
#include "engine/input/typed/music_text.h"
#include "engine/layout/builders/input_builders.h"
#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/layout/input_rows.h"

namespace {

class InputNotesTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
        layout::InputStaff = 1.0f;
        layout::InputRangeStart = 10.0f;
        layout::InputRangeEnd = 170.0f;
    }
    // A notes line typed in the input mode: parsed, then built.
    static int32_t type_notes(const std::string& line) {
        return type_input_line(layout::kNotesMode, line);
    }
    // Tokens handed to the builder as the parser leaves them.
    static void build(const std::vector<float>& tokens) {
        layout::InputParserMode = layout::kNotesMode;
        layout::InputTokenList.fill(0.0f);
        layout::InputTokenList(0) = static_cast<float>(tokens.size());
        for (std::size_t i = 0; i < tokens.size(); ++i)
            layout::InputTokenList(static_cast<int32_t>(i) + 1) = tokens[i];
        layout::place_input_notes();
    }
    static float p(int32_t row, int32_t w) { return layout::ColumnRecords.rows(row)(w); }
    static int32_t rows() { return layout::ColumnRecords.count; }
    static std::vector<float> tokens() {
        std::vector<float> v;
        for (int32_t i = 1; i <= static_cast<int32_t>(layout::InputTokenList(0)); ++i)
            v.push_back(layout::InputTokenList(i));
        return v;
    }
};

TEST_F(InputNotesTest, TypedNotesSpreadEvenlyOverTheInputRange) {
    ASSERT_EQ(type_notes("C4/D/E;"), 0);
    ASSERT_EQ(rows(), 3);
    const float x[] = {50.0f, 90.0f, 130.0f};
    for (int32_t r = 1; r <= 3; ++r) {
        EXPECT_FLOAT_EQ(p(r, 1), 1.0f);
        EXPECT_FLOAT_EQ(p(r, 2), 1.0f);
        EXPECT_FLOAT_EQ(p(r, 3), x[r - 1]);
        EXPECT_FLOAT_EQ(p(r, 4), static_cast<float>(r));  // C4 is step 1 under the treble clef
        EXPECT_FLOAT_EQ(p(r, 5), 10.0f);                  // low notes: stems up
    }
    EXPECT_FLOAT_EQ(p(4, 1), 0.0f);  // the row after the last is closed
    EXPECT_EQ(layout::RhythmRowCount, 3);
    EXPECT_EQ(layout::ChordCount, 3);
    EXPECT_EQ(layout::ChordFirstRows(3), 3);
}

TEST_F(InputNotesTest, ALeftEndOfZeroMovesClearOfTheStaffStartUnlessABarComesFirst) {
    layout::InputRangeStart = 0.0f;
    layout::InputRangeEnd = 10.0f;
    build({1029, 1030});
    EXPECT_FLOAT_EQ(layout::InputRangeStart, 1.5f);
    EXPECT_NEAR(p(1, 3), 1.5f + 8.5f / 3.0f, 1e-5);
    EXPECT_NEAR(p(2, 3), 1.5f + 2.0f * 8.5f / 3.0f, 1e-5);

    layout::InputRangeStart = 0.0f;
    build({4100, 1029});
    EXPECT_FLOAT_EQ(layout::InputRangeStart, 0.0f);
    EXPECT_FLOAT_EQ(p(1, 1), 14.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 1.0f);
    EXPECT_NEAR(p(1, 3), 10.0f / 3.0f, 1e-5);

    // A left end that is not 0 stays.
    layout::InputRangeStart = 4.0f;
    build({1029});
    EXPECT_FLOAT_EQ(layout::InputRangeStart, 4.0f);
}

TEST_F(InputNotesTest, StemsAndStemLengthsFollowThePositionAndTheSetting) {
    // Step 6 and below: up; 7 and above: down; beyond the staff the stem grows.
    build({1034, 1035, 1045, 1025});
    EXPECT_FLOAT_EQ(p(1, 5), 10.0f);
    EXPECT_FLOAT_EQ(p(2, 5), 20.0f);
    EXPECT_FLOAT_EQ(p(3, 4), 17.0f);
    EXPECT_FLOAT_EQ(p(3, 8), 3.0f);
    EXPECT_FLOAT_EQ(p(4, 4), -3.0f);
    EXPECT_FLOAT_EQ(p(4, 8), 3.0f);
    // A stem setting holds until changed; 5000 gives automatic stems back.
    build({5020, 1029, 5010, 1045, 5000, 1045, 6002, 1229, 7129});
    EXPECT_FLOAT_EQ(p(1, 5), 20.0f);
    EXPECT_FLOAT_EQ(p(1, 8), 0.0f);
    EXPECT_FLOAT_EQ(p(2, 5), 10.0f);
    EXPECT_FLOAT_EQ(p(3, 5), 20.0f);
    EXPECT_FLOAT_EQ(p(4, 12), 2.0f);   // the value carried into P12
    EXPECT_FLOAT_EQ(p(4, 5), 12.0f);   // accidental digit 2
    EXPECT_FLOAT_EQ(p(5, 5), 111.0f);  // a bracketed note: 100 more
    EXPECT_EQ(layout::ChordStemCodes(1), 20);
    EXPECT_EQ(layout::ChordStemCodes(3), 0);
    // Settings take no slot of their own but narrow the slots: row 5 in slot 5 of 10.
    EXPECT_FLOAT_EQ(p(5, 3), 90.0f);
}

TEST_F(InputNotesTest, SmallNotesAreMovedAHundredAwayFromZeroWithStemsUp) {
    build({5020, 8001, 1025, 2000, 8000, 1029, 8001, 1029});
    // The down stem in force stays for small notes.
    EXPECT_FLOAT_EQ(p(1, 4), -103.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 20.0f);
    EXPECT_FLOAT_EQ(p(2, 4), 100.0f);  // a rest at 0 too
    EXPECT_FLOAT_EQ(p(3, 4), 1.0f);
    EXPECT_FLOAT_EQ(p(3, 5), 20.0f);
    build({8001, 1025, 8000, 1029});
    EXPECT_FLOAT_EQ(p(1, 4), -103.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 10.0f);
    EXPECT_FLOAT_EQ(p(1, 8), 3.0f);
    EXPECT_FLOAT_EQ(p(2, 5), 10.0f);  // automatic again: low note up
    EXPECT_EQ(layout::SmallNoteSetting, 0);
}

TEST_F(InputNotesTest, ChordsComeInOrderOfPositionAndShareTheirColumn) {
    // Typed from the top down, lying low: lowest first, stem up over the whole chord.
    build({1033, -1031, -1029, 1040});
    EXPECT_EQ(tokens(), (std::vector<float>{1029, -1031, -1033, 1040}));
    ASSERT_EQ(rows(), 4);
    EXPECT_FLOAT_EQ(p(1, 4), 1.0f);
    EXPECT_FLOAT_EQ(p(2, 4), 3.0f);
    EXPECT_FLOAT_EQ(p(3, 4), 5.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 10.0f);
    EXPECT_FLOAT_EQ(p(2, 5), 0.0f);
    EXPECT_FLOAT_EQ(p(2, 15), -1.0f);
    EXPECT_FLOAT_EQ(p(1, 7), 0.0f);  // the reach is used up by the arrangement
    EXPECT_FLOAT_EQ(p(1, 8), 4.0f);
    EXPECT_FLOAT_EQ(p(1, 3), p(3, 3));
    EXPECT_FLOAT_EQ(p(4, 3), 10.0f + 2.0f * 160.0f / 3.0f);  // members take no slot
    EXPECT_EQ(layout::RhythmRowCount, 2);
    EXPECT_EQ(layout::ChordCount, 2);

    // Lying high: highest first, stem down.
    build({1040, -1042, -1044});
    EXPECT_EQ(tokens(), (std::vector<float>{1044, -1042, -1040}));
    EXPECT_FLOAT_EQ(p(1, 4), 16.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 20.0f);
    EXPECT_FLOAT_EQ(p(1, 8), 4.0f);
    EXPECT_FLOAT_EQ(p(3, 4), 12.0f);

    // A chord typed through the parser: its first note's stem turns to the side it reaches.
    ASSERT_EQ(type_notes("C4:E:G;"), 0);
    EXPECT_EQ(rows(), 3);
    EXPECT_FLOAT_EQ(p(1, 4), 1.0f);
    EXPECT_FLOAT_EQ(p(3, 4), 5.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 10.0f);
}

TEST_F(InputNotesTest, AStemSettingAgainstTheChordTurnsItsOrderAndStem) {
    // Down stem forced: highest first.
    build({5020, 1029, -1031});
    EXPECT_FLOAT_EQ(p(1, 4), 3.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 20.0f);
    // Up stem forced on a high chord: lowest first, stem stays up.
    build({5010, 1044, -1040});
    EXPECT_FLOAT_EQ(p(1, 4), 12.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 10.0f);
}

TEST_F(InputNotesTest, UnisonChordsArrangeAllTheirNotes) {
    // Three notes on one step: the first note's accidental is pushed past both of the others,
    // not only past the second.
    build({1229, -1329, -1129});
    EXPECT_FLOAT_EQ(p(1, 7), 0.0f);
    EXPECT_NEAR(p(1, 5), 12.480f, 1e-4);
    EXPECT_NEAR(p(2, 5), 3.240f, 1e-4);
    EXPECT_FLOAT_EQ(p(3, 5), 1.0f);
}

TEST_F(InputNotesTest, RestsTakeTheirFormsAndASlotEach) {
    build({2001, 2002, 2004, -2003, 9001, 9002, 2005, 2003, 2007});
    EXPECT_FLOAT_EQ(p(1, 1), 2.0f);
    EXPECT_FLOAT_EQ(p(1, 6), -1.0f);
    EXPECT_FLOAT_EQ(p(2, 5), -2.0f);
    EXPECT_FLOAT_EQ(p(2, 15), -1.0f);
    EXPECT_FLOAT_EQ(p(3, 4), -6.0f);
    EXPECT_FLOAT_EQ(p(4, 8), 3.0f);
    EXPECT_FLOAT_EQ(p(4, 5), -2.0f);
    EXPECT_FLOAT_EQ(p(4, 15), -1.0f);
    EXPECT_FLOAT_EQ(p(5, 8), -1.0f);
    EXPECT_FLOAT_EQ(p(5, 4), 6.0f);
    EXPECT_FLOAT_EQ(p(6, 4), -6.0f);
    EXPECT_FLOAT_EQ(p(7, 4), 6.0f);
    EXPECT_FLOAT_EQ(p(8, 5), -4.0f);
    EXPECT_FLOAT_EQ(p(9, 4), 0.0f);
    EXPECT_FLOAT_EQ(p(9, 5), 0.0f);
    EXPECT_EQ(layout::RhythmRowCount, 9);
    EXPECT_FLOAT_EQ(p(9, 3), 10.0f + 9.0f * 16.0f);
}

TEST_F(InputNotesTest, ClefsChangeThePositionsAndTheirSize) {
    layout::StaffClefKinds(1) = 1;  // the last line ended in the bass clef
    build({1029, 4100, 3000, 1029, 3002, 1029, -3003, 1029, 3004, 1029});
    EXPECT_FLOAT_EQ(p(1, 4), 13.0f);
    EXPECT_FLOAT_EQ(p(3, 1), 3.0f);
    EXPECT_FLOAT_EQ(p(3, 4), 0.0f);  // after a bar: full size
    EXPECT_FLOAT_EQ(p(4, 4), 1.0f);
    EXPECT_FLOAT_EQ(p(5, 4), 100.0f);  // a second clef: small
    EXPECT_FLOAT_EQ(p(5, 5), 2.0f);
    EXPECT_FLOAT_EQ(p(6, 4), 7.0f);
    EXPECT_FLOAT_EQ(p(7, 4), 9.0f);  // a clef without a sign still moves the notes
    EXPECT_FLOAT_EQ(p(8, 5), 4.0f);
    EXPECT_FLOAT_EQ(p(9, 4), 1.0f);  // the percussion clef reads as treble
    EXPECT_EQ(rows(), 9);
    EXPECT_EQ(layout::StaffClefKinds(1), 0);

    // A first clef that follows a note is small; one at the start is full size.
    build({1029, 3001, 1029});
    EXPECT_FLOAT_EQ(p(2, 4), 100.0f);
    EXPECT_FLOAT_EQ(p(3, 4), 13.0f);
    EXPECT_EQ(layout::StaffClefKinds(1), 1);
    build({3000, 1029});
    EXPECT_FLOAT_EQ(p(1, 4), 0.0f);

    // A regenerated line starts from the treble clef and leaves the staff's clef.
    layout::StaffClefKinds(1) = 2;
    layout::RegenerateInputFlag = 1;
    build({1029, 3001});
    EXPECT_FLOAT_EQ(p(1, 4), 1.0f);
    EXPECT_EQ(layout::StaffClefKinds(1), 2);
}

TEST_F(InputNotesTest, TheClefOfALineCarriesToTheNextLineOfTheStaff) {
    ASSERT_EQ(type_notes("C4/BA/C4;"), 0);
    EXPECT_EQ(layout::StaffClefKinds(1), 1);
    ASSERT_EQ(type_notes("C4;"), 0);
    EXPECT_FLOAT_EQ(p(1, 4), 13.0f);
}

TEST_F(InputNotesTest, BarsKeysAndMetersMakeTheirRows) {
    layout::StaffClefKinds(1) = 2;
    build({4203, 4905, 17003, -17002, 17000, 20304, 21208, 29901});
    EXPECT_FLOAT_EQ(p(1, 1), 14.0f);
    EXPECT_FLOAT_EQ(p(1, 4), 3.0f);
    EXPECT_FLOAT_EQ(p(1, 5), 2.0f);
    EXPECT_FLOAT_EQ(p(2, 4), -5.0f);
    EXPECT_FLOAT_EQ(p(2, 5), 0.0f);
    EXPECT_FLOAT_EQ(p(3, 1), 17.0f);
    EXPECT_FLOAT_EQ(p(3, 5), 3.0f);
    EXPECT_FLOAT_EQ(p(3, 6), 2.0f);
    EXPECT_FLOAT_EQ(p(4, 5), -2.0f);
    // No row for a key of nothing, but its slot is counted: eight slots of 160 / 9.
    EXPECT_FLOAT_EQ(p(5, 1), 18.0f);
    EXPECT_NEAR(p(5, 3), 10.0f + 5.0f * 160.0f / 9.0f, 1e-4);
    EXPECT_FLOAT_EQ(p(5, 5), 3.0f);
    EXPECT_FLOAT_EQ(p(5, 6), 4.0f);
    // Two-digit numerators stay meters; common time has no denominator.
    EXPECT_FLOAT_EQ(p(6, 1), 18.0f);
    EXPECT_FLOAT_EQ(p(6, 5), 12.0f);
    EXPECT_FLOAT_EQ(p(6, 6), 8.0f);
    EXPECT_FLOAT_EQ(p(7, 5), 99.0f);
    EXPECT_FLOAT_EQ(p(7, 6), 0.0f);
    EXPECT_EQ(rows(), 7);
    EXPECT_EQ(layout::RhythmRowCount, 0);
}

TEST_F(InputNotesTest, AChordOfEightyNotesIsBuiltAndOneMoreIsRefused) {
    std::vector<float> chord{1010};
    for (int32_t k = 1; k < 80; ++k) chord.push_back(-static_cast<float>(1010 + k));
    build(chord);
    EXPECT_EQ(rows(), 80);
    EXPECT_FALSE(shown("*** Chord of more than 80 notes."));
    EXPECT_FLOAT_EQ(p(1, 4), 61.0f);  // lying high: highest first, stem down
    EXPECT_FLOAT_EQ(p(1, 5), 20.0f);
    EXPECT_FLOAT_EQ(p(1, 8), 79.0f);
    EXPECT_FLOAT_EQ(p(80, 4), -18.0f);

    chord.push_back(-1090.0f);
    build(chord);
    EXPECT_TRUE(shown("*** Chord of more than 80 notes."));
    EXPECT_EQ(rows(), 0);
    EXPECT_FLOAT_EQ(p(1, 1), 0.0f);
    EXPECT_EQ(layout::ChordCount, 0);
}

TEST_F(InputNotesTest, AFullLineOfTwoHundredNotesFillsEveryRow) {
    std::vector<float> line(200, 1029.0f);
    build(line);
    EXPECT_EQ(rows(), 200);
    EXPECT_FALSE(shown("*** Too many items"));
    EXPECT_NEAR(p(200, 3), 10.0f + 200.0f * 160.0f / 201.0f, 1e-3);
    EXPECT_FLOAT_EQ(p(201, 1), 0.0f);
}

}  // namespace
