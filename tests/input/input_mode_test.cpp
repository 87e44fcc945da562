// The input mode driven through the interpreter: one input run typed key by key, its items, its
// saved lines, abandoning and the edit form.
#include "engine/input/mode/input_mode.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/bridge/key_words.h"
#include "engine/core/settings_tables.h"
#include "engine/input/mode/input_files.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class InputModeTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
    }
    static float p(int32_t item, int32_t k) {
        const int32_t s = core::ItemStartTable(item);
        return k <= static_cast<int32_t>(core::ItemStore(s)) ? core::ItemStore(s + k) : 0.0f;
    }
    bool prompted(const std::string& text) const {
        for (std::string m : fe_.prompts) {
            m.erase(m.find_last_not_of(' ') + 1);
            if (m == text) return true;
        }
        return false;
    }
    static int32_t n(int32_t item) {
        return static_cast<int32_t>(core::ItemStore(core::ItemStartTable(item)));
    }
    // The answers of a whole run on an empty page up to the closing menu.
    void answer_run(const std::string& menu) {
        fe_.answer_dialog(1);  // the spacing range as preset
        fe_.answer_keys("TR/C4/E/G/C5;");
        fe_.answer_keys("Q/Q/E/E;");
        fe_.answer_yes_no(0);  // no to "-- Add bar lines?"
        fe_.answer_keys("S 1:2/A 4;");
        fe_.answer_keys(";");
        fe_.answer_keys(";");
        fe_.answer_keys(menu);
    }
    void expect_typed_bar(int32_t first) {
        ASSERT_GE(core::ItemCount, first + 4);
        EXPECT_EQ(n(first), 3);
        EXPECT_FLOAT_EQ(p(first, 1), 3.0f);
        EXPECT_FLOAT_EQ(p(first, 3), 2.0f);
        const float x[] = {11.0f, 74.0f, 137.0f, 168.5f};
        const float p4[] = {1, 3, 5, 8}, p5[] = {10, 10, 10, 20}, p7[] = {1, 1, 0.5f, 0.5f},
                    p9[] = {0, 0, 1, 1}, p11[] = {7, 7, 0, 5.25f};
        for (int i = 0; i < 4; ++i) {
            const int32_t k = first + 1 + i;
            EXPECT_FLOAT_EQ(p(k, 1), 1.0f) << k;
            EXPECT_NEAR(p(k, 3), x[i], 0.01f) << k;
            EXPECT_FLOAT_EQ(p(k, 4), p4[i]) << k;
            EXPECT_FLOAT_EQ(p(k, 5), p5[i]) << k;
            EXPECT_FLOAT_EQ(p(k, 7), p7[i]) << k;
            EXPECT_FLOAT_EQ(p(k, 9), p9[i]) << k;
            EXPECT_FLOAT_EQ(p(k, 11), p11[i]) << k;
        }
    }
};

TEST_F(InputModeTest, OneRunOnAnEmptyPageBuildsTheBarAndSavesItsLines) {
    answer_run("X");
    fe_.answer_yes_no(0);  // no to "Continue Input on Staff 002 ?"
    type("IN 1");
    ASSERT_GE(core::ItemCount, 1);
    EXPECT_FLOAT_EQ(p(1, 1), 8.0f);
    expect_typed_bar(2);
    EXPECT_EQ(input::InputParserMode, 0);
    EXPECT_EQ(input::InputModeActive, 0);
    EXPECT_NE(
        std::find(fe_.questions.begin(), fe_.questions.end(), "Continue Input on Staff 002 ?"),
        fe_.questions.end());
    EXPECT_EQ(fe_.dialog_words[4], 2);
    EXPECT_EQ(fe_.dialog_words[5], 200);

    std::ifstream in(platform::local_path(core::work_copy_name("input.tmp")));
    std::vector<std::string> records;
    for (std::string l; std::getline(in, l);) records.push_back(l);
    std::string all;
    for (const std::string& r : records) all += "[" + r + "]\n";
    ASSERT_EQ(records.size(), 7u) << all;
    EXPECT_EQ(records[0], std::string("IN 1") + std::string(60, ' '));
    EXPECT_EQ(records[1], "2.00   200.00   ");
    EXPECT_EQ(records[2], "TR/C4/E/G/C5;");
    EXPECT_EQ(records[3], "Q/Q/E/E;");
    EXPECT_EQ(records[4], "S 1:2/A 4;");
}

TEST_F(InputModeTest, TheNotesLineAloneLeavesGreenNotesSpreadOverTheRange) {
    fe_.answer_dialog(1);
    fe_.answer_keys("TR/C4/E/G/C5;");
    fe_.answer_closing();
    // The rhythms line waits with the notes stored.
    std::vector<std::vector<float>> waiting;
    fe_.on_closing = [&] {
        for (int32_t k = 1; k <= core::ItemCount; ++k) waiting.push_back({p(k, 3), p(k, 26)});
    };
    type("IN 1");
    ASSERT_EQ(waiting.size(), 6u);
    EXPECT_FLOAT_EQ(waiting[1][0], 2.0f);
    const float x[] = {51.5f, 101.0f, 150.5f, 200.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(waiting[2 + i][0], x[i], 0.01f);
        EXPECT_FLOAT_EQ(waiting[2 + i][1], 6800.0f);
    }
    // The application closed inside the run, before its rhythms line: the run adds nothing,
    // the words are back at rest.
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(input::InputModeActive, 0);
    EXPECT_EQ(input::InputParserMode, 0);
    EXPECT_EQ(core::EngineWaitLevel, 0);
}

TEST_F(InputModeTest, AbandonAtTheMenuPutsThePageBackAndUndoBringsTheBar) {
    enter_items_without_editing();
    type("8 1 0");
    ASSERT_EQ(core::ItemCount, 1);
    answer_run("A");
    type("IN 1");
    EXPECT_EQ(core::ItemCount, 1);
    type("UNDO");
    EXPECT_GT(core::ItemCount, 1);
}

TEST_F(InputModeTest, AMissingAbandonCopyKeepsThePage) {
    enter_items_without_editing();
    type("8 1 0");
    input::abandon_input(0);
    type("8 2 0");
    std::filesystem::remove(platform::local_path(core::work_copy_name("!abandon.tmp")));
    fe_.message_boxes.clear();
    input::abandon_input(1);
    EXPECT_EQ(core::ItemCount, 2);
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(), input::kAbandonCopyMissing);
}

TEST_F(InputModeTest, MarksLineSemicolonGoesOnToBeamsAndGToTheMenu) {
    fe_.answer_dialog(1);
    fe_.answer_keys("TR/C4/E/G/C5;");
    fe_.answer_keys("Q/Q/E/E;");
    fe_.answer_yes_no(0);
    fe_.answer_keys(";");
    fe_.answer_keys("G");
    fe_.answer_keys("X");
    fe_.answer_yes_no(0);
    type("IN 1");
    EXPECT_TRUE(prompted("Type pairs of numbers for Beams >"));
    EXPECT_FALSE(prompted("Type pairs of numbers for Slurs >"));
}

TEST_F(InputModeTest, WideningLeavesColumnsWhenTheWideGapsCannotGiveTheRoom) {
    core::Array1<float, 200> x;
    x(1) = 2;
    x(2) = 3;
    x(3) = 4;
    x(4) = 5;
    layout::InputRangeStart = 2.0f;
    input::widen_close_columns(x, 4);
    EXPECT_FLOAT_EQ(x(2), 3.0f);
    EXPECT_FLOAT_EQ(x(3), 4.0f);
    // One short gap among wide ones is widened to 3.0; the ends stay.
    x(1) = 2;
    x(2) = 3;
    x(3) = 50;
    x(4) = 100;
    input::widen_close_columns(x, 4);
    EXPECT_NEAR(x(2) - x(1), 3.0f, 0.001f);
    EXPECT_FLOAT_EQ(x(4), 100.0f);
}

// Gaps of 3.0 up to 3.6 are not short: they give room like the wide ones and keep at least 3.0,
// so the columns between end where the last one stands, in order, with no hole before it.
TEST_F(InputModeTest, WideningKeepsTheColumnsBetweenTheEnds) {
    core::Array1<float, 200> x;
    const float given[] = {2.0f, 11.0f, 13.5f, 17.0f, 20.5f, 24.0f, 26.5f, 30.0f};
    for (int32_t i = 1; i <= 8; ++i) x(i) = given[i - 1];
    layout::InputRangeStart = 2.0f;
    input::widen_close_columns(x, 8);
    EXPECT_FLOAT_EQ(x(1), 2.0f);
    EXPECT_FLOAT_EQ(x(8), 30.0f);
    for (int32_t i = 1; i < 8; ++i) EXPECT_GE(x(i + 1) - x(i), 3.0f - 1e-4f) << i;
    // The two short gaps take 3.0; the others share 28 - 6 in proportion to what they were.
    EXPECT_NEAR(x(3) - x(2), 3.0f, 1e-4f);
    EXPECT_NEAR(x(2) - x(1), 9.0f * 22.0f / 23.0f, 1e-4f);
    EXPECT_NEAR(x(4) - x(3), 3.5f * 22.0f / 23.0f, 1e-4f);
    // With exactly 3.0 a gap of room, every gap gets 3.0.
    for (int32_t i = 1; i <= 4; ++i) x(i) = 2.0f + (i == 2 ? 1.0f : 0.0f) + 3.0f * (i - 1);
    x(4) = 11.0f;
    input::widen_close_columns(x, 4);
    EXPECT_NEAR(x(2), 5.0f, 1e-4f);
    EXPECT_NEAR(x(3), 8.0f, 1e-4f);
}

TEST_F(InputModeTest, NewStaffAndTheStaffLimit) {
    enter_items_without_editing();
    type("8 4 0");
    core::CommandLine.set("IN 0");
    core::ParamBuffer(2) = 0.0f;
    input::pick_new_staff_number();
    EXPECT_FLOAT_EQ(core::ParamBuffer(2), 5.0f);
    const int32_t before = core::ItemCount;
    type("IN 257");
    EXPECT_EQ(core::ItemCount, before);
    EXPECT_EQ(input::InputModeActive, 0);
}

TEST_F(InputModeTest, TheEditFormOffersTheLinesAgainAndKeepsThem) {
    answer_run("E");
    ScriptedFrontEnd::DialogAnswer keep;
    keep.keep_text = true;
    for (int i = 0; i < 7; ++i) fe_.answer_dialog(keep);
    fe_.answer_keys("X");
    type("IN 1");
    ASSERT_GE(fe_.music_inputs.size(), 3u);
    EXPECT_EQ(fe_.music_inputs[0].line, "IN 1");
    EXPECT_EQ(fe_.music_inputs[2].line, "TR/C4/E/G/C5;");
    // The dialogs' prompts do not stay behind as commands for the next key wait.
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    expect_typed_bar(2);
    EXPECT_EQ(core::MacroUnit, 0);
}

TEST_F(InputModeTest, TheSavedLinesRunAsACommandFileMakeTheSameItems) {
    {
        std::ofstream out(platform::local_path(core::work_copy_name("input.tmp")));
        out << "IN 1" << std::string(60, ' ') << "\n"
            << "2.00   200.00   \n"
            << "TR/C4/E/G/C5;\nQ/Q/E/E;\nS 1:2/A 4;\n;\n;\n";
    }
    type("RE \\!tmp\\input.tmp");
    EXPECT_FLOAT_EQ(p(1, 1), 8.0f);
    expect_typed_bar(2);
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(input::InputModeActive, 0);
}

TEST_F(InputModeTest, AbandonIsAskedOnceAndOnlyWhereTheEntryDidNotAsk) {
    enter_items_without_editing();
    type("8 1 0");
    // The notes entry asks itself (Esc, Yes): no second question.
    fe_.answer_dialog(1);
    fe_.answer_keys("C4/");
    fe_.answer_key(core::kKeyEscape);
    fe_.answer_yes_no(0);
    type("IN 1");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(std::count(fe_.questions.begin(), fe_.questions.end(), "Abandon input?"), 1);

    // The same from the rhythm line.
    fe_.answer_dialog(1);
    fe_.answer_keys("TR/C4/E/G/C5;");
    fe_.answer_key(core::kKeyEscape);
    fe_.answer_yes_no(0);
    type("IN 1");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(std::count(fe_.questions.begin(), fe_.questions.end(), "Abandon input?"), 2);

    // "^" as the marks line leads to the mode's own question; Yes abandons.
    fe_.answer_dialog(1);
    fe_.answer_keys("TR/C4/E/G/C5;");
    fe_.answer_keys("Q/Q/E/E;");
    fe_.answer_yes_no(0);  // no bar lines
    fe_.answer_keys("^");
    fe_.answer_yes_no(0);
    type("IN 1");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(std::count(fe_.questions.begin(), fe_.questions.end(), "Abandon input?"), 3);
}

TEST_F(InputModeTest, InZeroAsksTheRangeOfANewStaffOneAboveTheHighest) {
    enter_items_without_editing();
    type("8 4 0");
    fe_.answer_dialog(2);  // Cancel: the run ends before its lines
    type("IN 0");
    ASSERT_EQ(fe_.dialog_words.size(), 8u);
    EXPECT_EQ(fe_.dialog_words[7], 5);
    EXPECT_EQ(input::InputModeActive, 0);
    EXPECT_EQ(input::InputParserMode, 0);
}

TEST_F(InputModeTest, TheUnattendedEditFormRebuildsTheLinesWithoutDialogs) {
    answer_run("X");
    fe_.answer_yes_no(0);
    type("IN 1");
    const int32_t count = core::ItemCount;
    fe_.music_inputs.clear();
    input::roll_back_input_store();
    core::MacroUnit = -2;
    input::InputParserMode = -1;
    input::run_input_mode();
    EXPECT_TRUE(fe_.music_inputs.empty());
    EXPECT_EQ(core::ItemCount, count);
    expect_typed_bar(2);
    EXPECT_EQ(core::MacroUnit, 0);
    EXPECT_EQ(input::InputModeActive, 0);
}

}  // namespace

namespace {

// A lone rhythm and ";" on a line of twelve note columns is written out for every column.
TEST_F(InputModeTest, OneRhythmForTwelveColumns) {
    fe_.answer_dialog(1);
    fe_.answer_keys("TR/C4/D/E/F/G/A/B/C5/D/E/F/G;");
    fe_.answer_keys("Q;");
    fe_.answer_yes_no(0);  // no bar lines
    fe_.answer_keys("G");
    fe_.answer_keys("X");
    fe_.answer_yes_no(0);
    type("IN 1");
    EXPECT_EQ(input::InputLines.rhythms.trimmed(), "QX12;");
    int notes = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (p(k, 1) != 1.0f) continue;
        ++notes;
        EXPECT_FLOAT_EQ(p(k, 7), 1.0f) << k;
    }
    EXPECT_EQ(notes, 12);
}

// "$40" from a palette names no pitch of the table: nothing is written, nothing drawn.
TEST_F(InputModeTest, PitchNameOutsideTheTableWritesNothing) {
    fe_.answer_dialog(1);
    fe_.answer_line("$40");
    fe_.answer_keys("C4/;");
    fe_.answer_closing();
    type("IN 1");
    EXPECT_EQ(input::InputLines.notes.trimmed(), "C4/;");
}

}  // namespace

namespace {

// The run clears the paper format while it draws and puts it back however it ends, also when
// the application closes inside it.
TEST_F(InputModeTest, ThePaperFormatComesBackWhenTheRunEnds) {
    core::PageFormatIndex = 2;
    fe_.answer_dialog(1);
    fe_.answer_keys("C4/");
    fe_.answer_closing();
    type("IN 1");
    EXPECT_EQ(core::PageFormatIndex, 2);
    EXPECT_EQ(input::InputModeActive, 0);

    core::ApplicationClosingWord = 0;
    fe_.answer_dialog(2);  // Cancel at the input space: the run ends before its lines
    type("IN 1");
    EXPECT_EQ(core::PageFormatIndex, 2);
}

}  // namespace
