// The marks, beams and slurs lines built live: typed keys, palette words translated to mark
// words, clicks on the note columns, the beams line's groupings and pickups, and the ends.
#include "engine/input/live/live_marks.h"

#include <string>

#include "engine/core/settings_tables.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class LiveMarksTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
        // Columns 1, 2, 3 at 10, 20 and 30 as the rhythms line leaves them, the last entry the
        // closing one.
        layout::ColumnPositions(1) = 10.0f;
        layout::ColumnPositions(2) = 20.0f;
        layout::ColumnPositions(3) = 30.0f;
        layout::ColumnPositions(4) = 9999.0f;
        layout::ColumnPositionCount = 4;
        render::ViewOrigin.x = 0;
    }
    void click_at(float x) {
        core::MouseRegion(4) = static_cast<int32_t>(x * 150.0f);
        fe_.answer_line("~");
    }
    std::string marks() {
        int32_t cursor = 0, length = 0;
        input::InputParserMode = 3;
        input::enter_marks_line(cursor, length);
        return core::CommandLine.trimmed();
    }
    std::string pairs(int32_t mode) {
        int32_t cursor = 0, length = 0;
        input::InputParserMode = mode;
        input::enter_pairs_line(cursor, length);
        return core::CommandLine.trimmed();
    }
};

TEST_F(LiveMarksTest, NearestColumnFirstOfEqualsWins) {
    int32_t column = -1;
    input::nearest_column(column, 15.0f * 150.0f);
    EXPECT_EQ(column, 1);
    input::nearest_column(column, 16.0f * 150.0f);
    EXPECT_EQ(column, 2);
    render::ViewOrigin.x = 150 * 10;
    input::nearest_column(column, 40.0f * 150.0f);
    EXPECT_EQ(column, 3);
}

TEST_F(LiveMarksTest, PaletteWordsAreTranslated) {
    EXPECT_EQ(input::translate_mark_word("5 57"), "FF");
    EXPECT_EQ(input::translate_mark_word("5 51"), "PPP");
    EXPECT_EQ(input::translate_mark_word("5 68"), "AC");
    EXPECT_EQ(input::translate_mark_word("ACT"), "ACT");
    EXPECT_EQ(input::translate_mark_word("AC U"), "AU");
    EXPECT_EQ(input::translate_mark_word("TNSD"), "TSD");
    EXPECT_EQ(input::translate_mark_word("TNUD"), "TUD");
    EXPECT_EQ(input::translate_mark_word("DCHU"), "C-U");
    EXPECT_EQ(input::translate_mark_word("FCS"), "FIS");
    EXPECT_EQ(input::translate_mark_word("TRM3"), "TM3");
    EXPECT_EQ(input::translate_mark_word("FNG4"), "F4");
    EXPECT_EQ(input::translate_mark_word("FNGX"), "FNGX");
    EXPECT_EQ(input::translate_mark_word("XYZ"), "XYZ");
}

TEST_F(LiveMarksTest, KeysWordsAndClicksBuildTheMarksLine) {
    fe_.answer_keys("F3");
    fe_.answer_line("5 56");
    fe_.answer_keys("3");
    click_at(21.0f);
    fe_.answer_keys(";");
    EXPECT_EQ(marks(), "F3F 3 2;\r\n");
    EXPECT_EQ(core::EngineWaitLevel, -1);
}

TEST_F(LiveMarksTest, MarksLineAbandonAndGo) {
    fe_.answer_keys("AB");
    fe_.answer_key(27);
    EXPECT_EQ(marks()[0], '^');
    fe_.answer_keys("AB^");
    EXPECT_EQ(marks(), "^B");
    // A G at a word's start ends the line; right after a letter it is part of the word (WEDG).
    fe_.answer_keys("AB G");
    EXPECT_EQ(marks(), "GB");
    fe_.answer_keys("ABG;");
    EXPECT_EQ(marks(), "ABG;\r\n");
    fe_.answer_keys("AB");
    fe_.answer_key(8);
    fe_.answer_keys(";");
    EXPECT_EQ(marks(), "A;\r\n");
    fe_.answer_closing();
    marks();
    EXPECT_EQ(core::EngineWaitLevel, 0);
}

// A marks line holds 383 characters before its ";".
TEST_F(LiveMarksTest, MarksLineStopsAtItsLength) {
    fe_.answer_keys(std::string(383, 'A') + "B;");
    EXPECT_EQ(marks(), std::string(383, 'A') + ";\r\n");
    EXPECT_EQ(fe_.message_boxes.size(), 1u);
}

// The scripted clicks all read the mouse words as they stand at the wait.
TEST_F(LiveMarksTest, ClicksMakePairs) {
    click_at(10.0f);
    click_at(10.0f);
    click_at(10.0f);
    fe_.answer_line("UP");
    click_at(10.0f);
    fe_.answer_keys(";");
    EXPECT_EQ(pairs(4), " 1 1/ +1 1;\r\n");
}

TEST_F(LiveMarksTest, FunctionKeysGiveBeatGroupingsInBeamsLineOnly) {
    fe_.answer_keys("1 2/");
    fe_.answer_key(114);  // F3
    EXPECT_EQ(pairs(4), "3B;\r\n");
    fe_.answer_key(113);
    EXPECT_EQ(pairs(4), "2B;\r\n");
    fe_.answer_key(115);
    EXPECT_EQ(pairs(4), "4B;\r\n");
    fe_.answer_line("2PK");
    fe_.answer_key(114);
    EXPECT_EQ(pairs(4), "3B2;\r\n");
    fe_.answer_key(114);  // ignored in a slurs line
    fe_.answer_keys("1 2;");
    EXPECT_EQ(pairs(5), "1 2;\r\n");
    fe_.answer_line("6B;");
    EXPECT_EQ(pairs(5), "6B;\r\n");
}

TEST_F(LiveMarksTest, PairsLineHundredsLastColumnAndSigns) {
    fe_.answer_line("100");
    click_at(20.0f);
    fe_.answer_line("#");
    fe_.answer_line("%");
    fe_.answer_keys("-");
    fe_.answer_keys(" 1/");
    fe_.answer_key(8);
    fe_.answer_key(13);
    EXPECT_EQ(pairs(5), " 102 3/ 3 3;\r\n");
}

}  // namespace
