// The console bridge through a scripted front-end: what is handed out, what comes back, and
// which state words are touched.
#include "engine/core/console_bridge.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/file_units.h"
#include "engine/core/front_end_port.h"
#include "engine/core/service_request.h"
#include "engine/core/tables.h"
#include "engine/render/extents.h"
#include "engine/render/tables.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/temp_folder.h"

using namespace core;

namespace {

const std::string kUnsavedQuestion =
    "Warning: Unsaved entries or changes will be lost.\r\nClear or Load new file?";

class ConsoleBridgeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        reset_service_gate();
        set_front_end(&fe);
    }
    void TearDown() override { set_front_end(nullptr); }

    // One item on the page: a staff record [3, 8, 1, 0].
    static void put_one_item() {
        ItemStore(1) = 3.0f;
        ItemStore(2) = 8.0f;
        ItemStore(3) = 1.0f;
        ItemStore(4) = 0.0f;
        ItemStartTable(1) = 1;
        ItemStartTable(2) = 5;
        ItemCount = 1;
        ItemWordsUsed = 5;
    }
    static std::string filled(char first, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>(first + i % 26);
        return s;
    }

    ScriptedFrontEnd fe;
};

// ---- confirm_discard ------------------------------------------------------------------------

TEST_F(ConsoleBridgeTest, UnsavedChangesAreConfirmedOnlyOutsideCommandFiles) {
    put_one_item();
    ChangesMadeFlag = 1;
    MacroUnit = 5;
    EXPECT_EQ(confirm_discard(1), -1);
    EXPECT_TRUE(fe.questions.empty());
    EXPECT_EQ(ChangesMadeFlag, 1);

    MacroUnit = 0;
    CommandStateWord = 4;
    CommandModeLetters(1) = 'G';
    fe.answer_yes_no(0);
    EXPECT_EQ(confirm_discard(1), 0);
    ASSERT_EQ(fe.questions.size(), 1u);
    EXPECT_EQ(fe.questions[0], kUnsavedQuestion);
    EXPECT_EQ(fe.log.back().a, 1);  // Yes and No buttons
    EXPECT_EQ(ChangesMadeFlag, 1);  // refused: the changes stay unsaved
    EXPECT_EQ(CommandModeLetters(1), 0);
    EXPECT_EQ(CommandStateWord, 0);

    fe.answer_yes_no(-1);
    EXPECT_EQ(confirm_discard(1), -1);
    EXPECT_EQ(ChangesMadeFlag, 0);
    // Nothing left to lose: no further question.
    EXPECT_EQ(confirm_discard(1), -1);
    EXPECT_EQ(fe.questions.size(), 2u);
}

TEST_F(ConsoleBridgeTest, ReadingBackACutFileAsksEvenOnAnEmptyPage) {
    ChangesMadeFlag = 1;
    fe.answer_yes_no(-1);
    EXPECT_EQ(confirm_discard(3), -1);
    ASSERT_EQ(fe.questions.size(), 1u);
    EXPECT_EQ(fe.questions[0], kUnsavedQuestion);
    // An empty page with no changes to lose is not asked about at all; kind 1 never asks on an
    // empty page.
    ChangesMadeFlag = 1;
    EXPECT_EQ(confirm_discard(1), -1);
    ChangesMadeFlag = 0;
    EXPECT_EQ(confirm_discard(3), -1);
    EXPECT_EQ(fe.questions.size(), 1u);
}

TEST_F(ConsoleBridgeTest, OverwritingAnExistingFileIsAskedEvenOnAnEmptyPage) {
    SecondLine.set("scores/old.mus");
    fe.answer_yes_no(0);
    EXPECT_EQ(confirm_discard(2), 0);
    ASSERT_EQ(fe.questions.size(), 1u);
    EXPECT_EQ(fe.questions[0], "FILE EXISTS - Write over file? - scores/old.mus");

    SecondLine.set("MOTIV ABCDE");
    fe.answer_yes_no(-1);
    EXPECT_EQ(confirm_discard(4), -1);
    EXPECT_EQ(fe.questions[1], "ABCDE exists - Write over file? -");

    // A command file answers for itself: no question.
    MacroUnit = 5;
    EXPECT_EQ(confirm_discard(2), -1);
    EXPECT_EQ(confirm_discard(4), -1);
    EXPECT_EQ(fe.questions.size(), 2u);
}

TEST_F(ConsoleBridgeTest, OverwriteQuestionShowsOnlyTheFirst51CharactersOfTheName) {
    SecondLine.set(filled('a', 80));
    fe.answer_yes_no(0);
    confirm_discard(5);
    ASSERT_EQ(fe.questions.size(), 1u);
    EXPECT_EQ(fe.questions[0], "FILE EXISTS - Write over file? - " + filled('a', 51));
}

TEST_F(ConsoleBridgeTest, LibraryFilesAndExitQuestionsFollowTheirKinds) {
    // Kind 5 and above are asked even while a command file runs.
    MacroUnit = 5;
    SecondLine.set("LB5000.DRW");
    fe.answer_yes_no(-1);
    fe.answer_yes_no(0);
    EXPECT_EQ(confirm_discard(5), -1);
    EXPECT_EQ(confirm_discard(7), 0);
    ASSERT_EQ(fe.questions.size(), 2u);
    EXPECT_EQ(fe.questions[0], "FILE EXISTS - Write over file? - LB5000.DRW");
    EXPECT_EQ(fe.questions[1],
              "Warning: Unsaved entries or changes will be lost.  Exit KELDA program?");

    // Kind 0 is skipped on an empty page and asked on a page with items.
    MacroUnit = 0;
    EXPECT_EQ(confirm_discard(0), -1);
    EXPECT_EQ(fe.questions.size(), 2u);
    put_one_item();
    fe.answer_yes_no(-1);
    EXPECT_EQ(confirm_discard(0), -1);
    EXPECT_EQ(fe.questions.size(), 3u);
}

TEST_F(ConsoleBridgeTest, LinesAndSaveStackComeBackUnchangedWhetherAskedOrNot) {
    struct Case {
        int kind;
        int32_t macro_unit;
        int32_t changes;
        bool asked;
    };
    const Case cases[] = {{1, 5, 1, false}, {1, 0, 1, true},  {2, 5, 1, false},
                          {2, 0, 0, true},  {3, 0, 0, false}, {3, 5, 1, true}};
    const std::string command = filled('A', 512);
    const std::string second = filled('a', 512);
    put_one_item();
    SaveStack.depth = 3;  // some caller's words already parked
    std::size_t questions = 0;
    for (const Case& c : cases) {
        CommandLine.set(command);
        SecondLine.set(second);
        ChangesMadeFlag = c.changes;
        MacroUnit = c.macro_unit;
        if (c.asked) fe.answer_yes_no(0);
        confirm_discard(c.kind);
        if (c.asked) ++questions;
        EXPECT_EQ(fe.questions.size(), questions) << c.kind;
        EXPECT_EQ(CommandLine.view(), command) << c.kind;
        EXPECT_EQ(SecondLine.view(), second) << c.kind;
        EXPECT_EQ(SaveStack.depth, 3) << c.kind;
    }
}

// ---- prompts, presets and waits --------------------------------------------------------------

TEST_F(ConsoleBridgeTest, AskLineTrimmedPresetsTheCurrentLineAndCutsTheAnswerAtItsCR) {
    CommandLine.set("12");
    fe.answer_line("34 RHW\r garbage after the CR");
    ask_line_trimmed(FixedText<512>("Type a number."));
    ASSERT_EQ(fe.line_waits.size(), 1u);
    EXPECT_EQ(fe.line_waits[0].preset, "12");
    EXPECT_EQ(fe.line_waits[0].sel_start, 2);  // caret after the preset
    EXPECT_EQ(fe.line_waits[0].sel_end, 2);
    EXPECT_EQ(fe.line_waits[0].prompt, "Type a number.");
    EXPECT_TRUE(SecondLine == "Type a number.");
    EXPECT_EQ(CommandLine.view(), std::string("34 RHW") + std::string(506, ' '));
    EXPECT_EQ(CommandModeLetters(2), 7);

    // A line without a CR comes back as typed.
    CommandLine.blank();
    fe.answer_line("abc");
    ask_line_trimmed(FixedText<512>("Again."));
    EXPECT_EQ(fe.line_waits[1].preset, "");
    EXPECT_EQ(fe.line_waits[1].sel_start, 0);
    EXPECT_TRUE(CommandLine == "abc");
    EXPECT_EQ(CommandModeLetters(2), 0);
}

TEST_F(ConsoleBridgeTest, AFullLineIsPresetWholeAndAnAnswerEndingOnItsLastColumnKept) {
    const std::string full = filled('A', 512);
    CommandLine.set(full);
    fe.answer_line(filled('a', 511) + "\r");  // the CR in the last column
    ask_line_trimmed(FixedText<512>("Full?"));
    ASSERT_EQ(fe.line_waits.size(), 1u);
    EXPECT_EQ(fe.line_waits[0].preset, full);  // no NUL fits: the whole line
    EXPECT_EQ(fe.line_waits[0].sel_start, 512);
    EXPECT_EQ(CommandLine.view(), filled('a', 511) + " ");
    EXPECT_EQ(CommandModeLetters(2), 512);

    // An answer that is only a CR: nothing typed.
    fe.answer_line("\r");
    ask_line_trimmed(FixedText<512>("Again?"));
    EXPECT_TRUE(CommandLine.is_blank());
    EXPECT_EQ(CommandModeLetters(2), 1);
}

TEST_F(ConsoleBridgeTest, AskLineTrimmedTreatsControlCharactersAsTrailingBlanks) {
    CommandLine.set("NOTE\x01\x02 ");
    fe.answer_line("x");
    ask_line_trimmed(FixedText<512>("?"));
    EXPECT_EQ(fe.line_waits[0].preset, "NOTE");
    EXPECT_EQ(fe.line_waits[0].sel_start, 4);
}

TEST_F(ConsoleBridgeTest, AskLineBlankCutsTheInputEditAndPresetsNothing) {
    CommandLine.set("left over");
    fe.input_text = "typed\x0Fpending";
    fe.answer_line("5\r");
    ask_line_blank(FixedText<512>("How many?"));
    EXPECT_EQ(fe.trim_count, 1);
    ASSERT_EQ(fe.line_waits.size(), 1u);
    EXPECT_EQ(fe.line_waits[0].preset, "");
    EXPECT_EQ(fe.line_waits[0].sel_start, 0);
    EXPECT_TRUE(CommandLine == "5");
}

TEST_F(ConsoleBridgeTest, AskLineWithEditPresetsThePromptAndPassesTheClosingResult) {
    FixedText<512> prompt("EDIT ME");
    prompt(8) = '\0';
    int32_t flag = 1;
    fe.answer_line("EDITED");
    ask_line_with_edit(prompt, flag);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(fe.line_waits[0].preset, "EDIT ME");
    EXPECT_EQ(fe.line_waits[0].sel_start, 7);
    EXPECT_TRUE(CommandLine == "EDITED");

    flag = 0;
    fe.answer_closing();
    ask_line_with_edit(FixedText<512>("NO PRESET"), flag);
    EXPECT_EQ(flag, -1);
    EXPECT_EQ(fe.line_waits[1].preset, "");
    EXPECT_TRUE(SecondLine == "NO PRESET");
}

TEST_F(ConsoleBridgeTest, CommandOrKeyComesBackInTheSecondLine) {
    fe.answer_line("NOTE");
    wait_for_command_in_second_line();
    EXPECT_TRUE(SecondLine == "NOTE");
    fe.answer_key(27);
    wait_for_command_in_second_line();
    EXPECT_EQ(SecondLine.code(1), 27);
}

TEST_F(ConsoleBridgeTest, PromptsAndPresetsSetTheStatusWordAndHandOutTerminatedTexts) {
    // A 512-character prompt with no NUL reaches the front-end whole and terminated.
    show_prompt(FixedText<512>(filled('a', 512)));
    ASSERT_EQ(fe.prompts.size(), 1u);
    EXPECT_EQ(fe.prompts[0], filled('a', 512));
    EXPECT_EQ(CommandStatusWord, 0);

    CommandStatusWord = -1;
    CommandLine.set("ABCDEF");
    preset_answer(CommandLine, 3);
    EXPECT_EQ(CommandLine(4), '\0');
    EXPECT_EQ(fe.input_presets.back(), "ABC");
    EXPECT_EQ(fe.input_text, "ABC");
    EXPECT_EQ(CommandStatusWord, 0);

    // A full-length preset: no room for a NUL in the line, still terminated for the front-end.
    CommandLine.set(filled('A', 512));
    preset_answer(CommandLine, 512);
    EXPECT_EQ(fe.input_presets.back(), filled('A', 512));

    CommandLine.set("XYZ");
    preset_answer_selected(CommandLine, 0, 0, 0);
    EXPECT_EQ(CommandLine(1), '\0');
    EXPECT_TRUE(CommandLine.sub(2, 512).find_first_not_of(' ') == std::string_view::npos);
    EXPECT_EQ(fe.log.back().kind, ScriptedFrontEnd::Kind::PresetSelection);
    EXPECT_EQ(fe.input_text, "");

    CommandLine.set("TEXT");
    preset_answer_selected(CommandLine, 4, 1, 3);
    EXPECT_EQ(fe.log.back().text, "TEXT");
    EXPECT_EQ(fe.log.back().a, 1);
    EXPECT_EQ(fe.log.back().b, 3);
}

// ---- messages --------------------------------------------------------------------------------

TEST_F(ConsoleBridgeTest, MessagesStopAtTheirNulOrAtTheirLength) {
    show_message(std::string_view("first\0hidden", 12));
    show_message(FixedText<512>(filled('m', 512)));
    show_message(filled('n', 700));
    ASSERT_EQ(fe.message_boxes.size(), 3u);
    EXPECT_EQ(fe.message_boxes[0], "first");
    EXPECT_EQ(fe.message_boxes[1], filled('m', 512));
    EXPECT_EQ(fe.message_boxes[2], filled('n', 512));
}

TEST_F(ConsoleBridgeTest, UnknownWordStandsInColumns40To48) {
    report_unknown_word(FixedText<9>("XYZ"));
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    const std::string& m = fe.message_boxes[0];
    EXPECT_EQ(m.substr(0, 39), "ERROR -- unknown word in this context: ");
    EXPECT_EQ(m.substr(39, 3), "XYZ");
    EXPECT_EQ(m.size(), 48u);
}

TEST_F(ConsoleBridgeTest, FileNotFoundDropsTrailingBlanks) {
    report_file_not_found(FixedText<128>("mx.DAT"));
    report_file_not_found(std::string(200, 'p') + "   ");
    EXPECT_EQ(fe.message_boxes[0], "File not found --> mx.DAT");
    EXPECT_EQ(fe.message_boxes[1], "File not found --> " + std::string(200, 'p'));
}

TEST_F(ConsoleBridgeTest, DoubleBarsBecomeLineBreaksLeftToRight) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"a||b", "a\r\nb"},
        {"|||", "\r\n|"},
        {"||||", "\r\n\r\n"},
        {"a|b", "a|b"},
    };
    for (const Case& c : cases) {
        FixedText<160> t(c.in);
        convert_bars_to_newlines(t);
        EXPECT_EQ(t.trimmed(), c.out) << c.in;
    }
    FixedText<160> edge;
    edge(159) = '|';
    edge(160) = '|';
    convert_bars_to_newlines(edge);
    EXPECT_EQ(edge(159), '\r');
    EXPECT_EQ(edge(160), '\n');
}

TEST_F(ConsoleBridgeTest, ExtentReportFillsTheTemplateRelativeToTheViewOrigin) {
    std::vector<int32_t> graphics(kGraphicsListWords);
    std::vector<uint8_t> text(kTextStreamBytes);
    int32_t graphics_length = 0;
    int32_t text_length = 0;
    OutputBufferViews.graphics.bind(graphics.data(), &graphics_length);
    OutputBufferViews.text.bind(text.data(), &text_length);
    render::ViewOrigin.x = 2400;
    render::report_items_extent();  // empty page: the measure's start values
    EXPECT_EQ(MessageLine.trimmed(),
              "Top  =-555555   Bottom =   555555\r\nLeft =  553155  Right  = -557955");
}

// ---- file names ------------------------------------------------------------------------------

TEST_F(ConsoleBridgeTest, FileNameDialogLeavesTheResultInColumnOne) {
    MessageLine.set("stale");
    fe.answer_dialog(2);
    ask_file_name(FixedText<128>("Type output file name."));
    EXPECT_EQ(CommandLine.code(1), 2);
    EXPECT_TRUE(CommandLine.sub(2, 512).find_first_not_of(' ') == std::string_view::npos);
    EXPECT_TRUE(MessageLine.is_blank());
    EXPECT_EQ(fe.dialogs[0], "file name: Type output file name.");

    fe.answer_dialog(1, "page1.drw");
    ask_file_name(FixedText<128>("Name?"));
    EXPECT_TRUE(CommandLine == "page1.drw");

    // A default preset in MessageLine survives when IP(50) says so.
    IntParamBuffer(50) = -1234;
    MessageLine.set("DRW.TMP");
    fe.answer_dialog(1);
    ask_file_name(FixedText<128>("Name?"));
    EXPECT_TRUE(CommandLine == "DRW.TMP");

    IntParamBuffer(50) = 0;
    fe.answer_dialog(2);
    ask_file_name_blank_on_cancel();
    EXPECT_EQ(CommandLine(1), ' ');
    EXPECT_EQ(fe.dialogs.back(), "file name: Type Filename.");
}

TEST_F(ConsoleBridgeTest, ExtensionGoesAfterTheLastPrintableCharacter) {
    FixedText<128> name("song  ");
    name(7) = '\0';
    name(9) = 'x';  // beyond the NUL: blanked
    append_name_extension(name, "EPS");
    EXPECT_EQ(name.trimmed(), "song.EPS");

    FixedText<128> spaced("a b");
    spaced(4) = '\0';
    append_name_extension(spaced, "EPS");
    EXPECT_EQ(spaced(4), '\0');  // left alone
    EXPECT_EQ(spaced.sub(1, 3), "a b");

    FixedText<128> fits(std::string(124, 'n'));
    append_name_extension(fits, "MUS");
    EXPECT_EQ(fits.view(), std::string(124, 'n') + ".MUS");
}

TEST_F(ConsoleBridgeTest, ANameWithNoRoomForTheExtensionIsKeptWholeInsideTheField) {
    for (int n : {125, 127, 128}) {
        FixedText<128> name(std::string(static_cast<std::size_t>(n), 'n'));
        if (n < 128) name(n + 1) = '\0';
        append_name_extension(name, "MUS");
        EXPECT_EQ(name.view(), std::string(static_cast<std::size_t>(n), 'n') +
                                   std::string(static_cast<std::size_t>(128 - n), ' '))
            << n;
    }
}

// ---- screen and saved mark -------------------------------------------------------------------

TEST_F(ConsoleBridgeTest, RefreshIsSkippedOnlyForMacroUnitMinusTwo) {
    refresh_screen();
    MacroUnit = -2;
    refresh_screen();
    MacroUnit = 5;
    refresh_screen();
    EXPECT_EQ(fe.refresh_count, 2);
}

TEST_F(ConsoleBridgeTest, SavedMarkGoesToTheStandardOutputUnitWhenItIsOpen) {
    write_saved_mark();  // unit closed: nothing, no error
    const TempFolder temp("ormest_saved_mark");
    const auto path = temp.root() / "out.txt";
    ASSERT_TRUE(open_unit(kStandardOutputUnit, path.string(), UnitStatus::Unknown, UnitForm::Text));
    write_saved_mark();
    ChangesMadeFlag = 1;
    write_saved_mark();
    CommandStateWord = 3;  // a multi-step command is running: no mark
    write_saved_mark();
    CommandStateWord = 8;
    ChangesMadeFlag = 0;
    write_saved_mark();
    close_unit(kStandardOutputUnit);
    std::ifstream in(path);
    std::string l1, l2, l3, extra;
    std::getline(in, l1);
    std::getline(in, l2);
    std::getline(in, l3);
    EXPECT_EQ(l1, "(SAVED)");
    EXPECT_EQ(l2, "       ");
    EXPECT_EQ(l3, "(SAVED)");
    EXPECT_FALSE(std::getline(in, extra));
}

}  // namespace
