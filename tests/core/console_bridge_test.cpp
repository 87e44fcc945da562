// The console bridge through a scripted front-end: what is handed out, what comes back, and
// which state words are touched.
#include "engine/core/bridge/console_bridge.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"
#include "engine/render/page/extents.h"
#include "engine/render/tables.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/store_records.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

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

    static std::string filled(char first, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>(first + i % 26);
        return s;
    }

    ScriptedFrontEnd fe;
};

// Whether confirm_discard asks, by kind, page, changes and command file; what it asks; and that
// the lines and the save stack come back as they were either way.
TEST_F(ConsoleBridgeTest, ConfirmDiscardAsksByKindPageAndCommandFile) {
    const std::string exists = "FILE EXISTS - Write over file? - ";
    const std::string exit =
        "Warning: Unsaved entries or changes will be lost.  Exit KELDA program?";
    struct Case {
        int kind;
        bool command_file, changes, items;
        std::string second;    // SecondLine: the name the question shows
        std::string question;  // empty: not asked, the answer is -1
        int answer;
    };
    const Case cases[] = {
        {1, true, true, true, "", "", 0},  // a command file answers for itself
        {1, false, true, true, "", kUnsavedQuestion, 0},
        {1, false, true, true, "", kUnsavedQuestion, -1},
        {1, false, false, true, "", "", 0},                 // nothing left to lose
        {1, false, true, false, "", "", 0},                 // never on an empty page
        {3, false, true, false, "", kUnsavedQuestion, -1},  // reading back a cut file: even then
        {3, true, true, true, "", kUnsavedQuestion, 0},     // and in a command file
        {3, false, false, true, "", "", 0},
        {2, false, false, false, "scores/old.mus", exists + "scores/old.mus", 0},
        {2, false, false, true, "x.mus", exists + "x.mus", -1},
        {2, true, true, true, "x.mus", "", 0},
        {4, false, false, false, "MOTIV ABCDE", "ABCDE exists - Write over file? -", -1},
        {4, true, false, false, "MOTIV ABCDE", "", 0},
        {5, false, false, false, filled('a', 80), exists + filled('a', 51), 0},  // 51 shown
        {5, true, false, false, "LB5000.DRW", exists + "LB5000.DRW", -1},  // 5 up: always asked
        {7, true, false, false, "", exit, 0},
        {0, false, false, false, "", "", 0},  // kind 0: not on an empty page
        {0, false, false, true, "", exit, -1},
    };
    const std::string command = filled('A', 512);
    append_test_record({8, 1, 0});
    // The page a command file drops is kept by the file commands; here it is kept at once.
    set_page_keeper([](std::string& told) {
        told.clear();
        return true;
    });
    SaveStack.depth = 3;  // some caller's words already parked
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        ItemCount = c.items ? 1 : 0;
        MacroUnit = c.command_file ? 5 : 0;
        ChangesMadeFlag = c.changes ? 1 : 0;
        CommandStateWord = 4;
        CommandModeLetters(1) = 'G';
        CommandLine.set(command);
        SecondLine.set(c.second.empty() ? filled('a', 512) : c.second);
        const FixedText<512> second = SecondLine;
        const std::size_t asked = fe.questions.size();
        if (!c.question.empty()) fe.answer_yes_no(c.answer);
        EXPECT_EQ(confirm_discard(c.kind), c.question.empty() ? -1 : c.answer);
        if (c.question.empty()) {
            EXPECT_EQ(fe.questions.size(), asked);
            EXPECT_EQ(ChangesMadeFlag, c.changes ? 1 : 0);
            EXPECT_EQ(CommandStateWord, 4);
        } else {
            ASSERT_EQ(fe.questions.size(), asked + 1);
            EXPECT_EQ(fe.questions.back(), c.question);
            EXPECT_EQ(fe.log.back().a, 1);                               // Yes and No buttons
            EXPECT_EQ(ChangesMadeFlag, c.answer == -1 ? 0 : c.changes);  // No: still unsaved
            EXPECT_EQ(CommandModeLetters(1), 0);
            EXPECT_EQ(CommandStateWord, 0);
        }
        EXPECT_EQ(CommandLine.view(), command);
        EXPECT_EQ(SecondLine.view(), second.view());
        EXPECT_EQ(SaveStack.depth, 3);
    }
}

// A command file's word that drops unsaved items (kind 1) has the page kept first, and its line
// shown; a page that could not be kept is not dropped. Nothing else calls the keeper.
TEST_F(ConsoleBridgeTest, ConfirmDiscardKeepsThePageACommandFileDrops) {
    static int calls = 0;
    static bool keeps = true;
    set_page_keeper([](std::string& told) {
        ++calls;
        told = keeps ? "kept" : "not kept";
        return keeps;
    });
    struct Case {
        int kind;
        bool command_file, changes, items, keeps;
        int answer;        // confirm_discard's
        std::string told;  // the box shown ("" none: the keeper was not called)
    };
    const Case cases[] = {
        {1, true, true, true, true, -1, "kept"},
        {1, true, true, true, false, 0, "not kept"},
        {1, true, false, true, true, -1, ""},  // saved: nothing to keep
        {1, true, true, false, true, -1, ""},  // nothing on the page
        {0, true, true, true, true, -1, ""},
        {2, true, true, true, true, -1, ""},  // a file written over is no page dropped
    };
    append_test_record({8, 1, 0});
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        calls = 0;
        keeps = c.keeps;
        ItemCount = c.items ? 1 : 0;
        MacroUnit = c.command_file ? 5 : 0;
        ChangesMadeFlag = c.changes ? 1 : 0;
        const std::size_t boxes = fe.message_boxes.size();
        EXPECT_EQ(confirm_discard(c.kind), c.answer);
        EXPECT_EQ(calls, c.told.empty() ? 0 : 1);
        EXPECT_EQ(fe.message_boxes.size(), boxes + (c.told.empty() ? 0 : 1));
        if (!c.told.empty()) {
            EXPECT_EQ(fe.message_boxes.back(), c.told);
        }
        EXPECT_TRUE(fe.questions.empty());
        EXPECT_EQ(ChangesMadeFlag, c.changes ? 1 : 0);
    }
}

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
    // Control characters count as trailing blanks of the preset.
    CommandLine.set("NOTE\x01\x02 ");
    fe.answer_line("x");
    ask_line_trimmed(FixedText<512>("?"));
    EXPECT_EQ(fe.line_waits[2].preset, "NOTE");
    EXPECT_EQ(fe.line_waits[2].sel_start, 4);
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
    show_prompt(ReplyKind::Question, FixedText<512>(filled('a', 512)).view());
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

TEST_F(ConsoleBridgeTest, MessagesStopAtTheirNulOrLengthAndReportsFillTheirTemplates) {
    show_message(ReplyKind::Notice, std::string_view("first\0hidden", 12));
    show_message(ReplyKind::Notice, FixedText<512>(filled('m', 512)).view());
    show_message(ReplyKind::Notice, filled('n', 700));
    ASSERT_EQ(fe.message_boxes.size(), 3u);
    EXPECT_EQ(fe.message_boxes[0], "first");
    EXPECT_EQ(fe.message_boxes[1], filled('m', 512));
    EXPECT_EQ(fe.message_boxes[2], filled('n', 512));
    // An unknown word stands in columns 40 to 48; a missing file's name drops its blanks.
    report_unknown_word(FixedText<9>("XYZ"));
    EXPECT_EQ(fe.message_boxes[3], "ERROR -- unknown word in this context: XYZ      ");
    report_file_not_found(FixedText<128>("mx.DAT"));
    report_file_not_found(std::string(200, 'p') + "   ");
    EXPECT_EQ(fe.message_boxes[4], "File not found --> mx.DAT");
    EXPECT_EQ(fe.message_boxes[5], "File not found --> " + std::string(200, 'p'));
}

TEST_F(ConsoleBridgeTest, DoubleBarsBecomeLineBreaksLeftToRight) {
    const std::pair<std::string, std::string> cases[] = {
        {"a||b", "a\r\nb"}, {"|||", "\r\n|"}, {"||||", "\r\n\r\n"}, {"a|b", "a|b"}};
    for (const auto& c : cases) {
        FixedText<160> t(c.first);
        convert_bars_to_newlines(t);
        EXPECT_EQ(t.trimmed(), c.second) << c.first;
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

TEST_F(ConsoleBridgeTest, ExtensionGoesAfterTheLastPrintableCharacterWhenItFits) {
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
    // With no room for it, the name is kept whole inside the field.
    for (int n : {125, 127, 128}) {
        FixedText<128> name(std::string(static_cast<std::size_t>(n), 'n'));
        if (n < 128) name(n + 1) = '\0';
        append_name_extension(name, "MUS");
        EXPECT_EQ(name.view(), std::string(static_cast<std::size_t>(n), 'n') +
                                   std::string(static_cast<std::size_t>(128 - n), ' '))
            << n;
    }
}

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
    EXPECT_EQ(read_lines(path), (std::vector<std::string>{"(SAVED)", "       ", "(SAVED)"}));
}

}  // namespace
