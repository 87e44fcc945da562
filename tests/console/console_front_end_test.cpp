// The console front-end in-process: typed lines in, printed lines out, through the engine entry
// and through the bridge routines that ask the user.
#include "console/console_front_end.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

using namespace core;

namespace {

class ConsoleFrontEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        reset_service_gate();
    }
    void TearDown() override { set_front_end(nullptr); }

    // A console reading input; it becomes the engine's front-end.
    ConsoleFrontEnd& console(const std::string& input) {
        in_.str(input);
        in_.clear();
        fe_ = std::make_unique<ConsoleFrontEnd>(in_, out_);
        set_front_end(fe_.get());
        return *fe_;
    }
    std::string output() const { return out_.str(); }

  private:
    std::istringstream in_;
    std::ostringstream out_;
    std::unique_ptr<ConsoleFrontEnd> fe_;
};

// ---- whole commands through the engine entry ------------------------------------------------

TEST_F(ConsoleFrontEndTest, UnknownWordIsReportedAndANumberLineBecomesAnItem) {
    // "EI" first: the item is entered, not edited.
    EXPECT_EQ(console("EI\n#XYZ\n8 1 0\r\n").run(), 0);
    EXPECT_EQ(output(),
              "New items will NOT go direct to edit.\n"
              "ERROR -- unknown word in this context: #XYZ\n"
              "Title: KELDA.MUS * (not saved -    1 Items) \n");
    EXPECT_EQ(ItemCount, 1);
    EXPECT_EQ(ItemStore(2), 8.0f);
}

// A new page in a folder that holds its file (in another case) asks before "SM" writes over
// it: No leaves the file byte for byte, Yes saves, and the saved page saves on without asking.
TEST_F(ConsoleFrontEndTest, SmOfANewPageAsksBeforeWritingOverTheFileOfItsName) {
    const TempFolder temp("console_save");
    temp.use_program_data_folder();
    temp.enter();
    const std::filesystem::path file = temp.root() / "kelda.mus";
    std::ofstream(file, std::ios::binary) << "another page";
    const std::string question = "FILE EXISTS - Write over file? - KELDA.MUS (Y/N)\n";
    EXPECT_EQ(console("EI\n8 4 0\nSM\nN\n").run(), 0);
    EXPECT_EQ(output(),
              "New items will NOT go direct to edit.\n"
              "Title: KELDA.MUS * (not saved -    1 Items) \n" +
                  question);
    EXPECT_EQ(read_text(file), "another page");
    const std::size_t first = output().size();
    EXPECT_EQ(console("SM\nY\n5 4 12\nSM\n").run(), 0);
    const std::string out = output().substr(first);
    EXPECT_EQ(out.find(question), out.rfind(question)) << out;
    EXPECT_NE(out.find("File saved:  KELDA.MUS"), std::string::npos) << out;
    EXPECT_EQ(read_text(file).size(), 2u + 4u * (8u + 4u));
}

TEST_F(ConsoleFrontEndTest, EmptyInputEndsAtOnce) {
    EXPECT_EQ(console("").run(), 0);
    EXPECT_EQ(output(), "");
}

TEST_F(ConsoleFrontEndTest, AnEmptyLineRunsThePresetAnswer) {
    ConsoleFrontEnd& fe = console("\n");
    CommandLine.set("8 2 0");
    preset_answer(CommandLine, 5);
    EXPECT_EQ(fe.GetInputTextLength(), 5);
    fe.run();
    EXPECT_EQ(ItemCount, 1);
    EXPECT_EQ(ItemStore(3), 2.0f);
}

// ---- what the console prints -----------------------------------------------------------------

TEST_F(ConsoleFrontEndTest, MessagesBreakAtBarsAndLineEnds) {
    console("");
    show_message(ReplyKind::Notice, "Top =   1||Left =  2   \r\nend\rlast   ||");
    show_message(ReplyKind::Notice, "        ");
    show_message(ReplyKind::Notice, std::string_view("shown\0hidden", 12));
    EXPECT_EQ(output(), "Top =   1\nLeft =  2\nend\nlast\nshown\n");
}

TEST_F(ConsoleFrontEndTest, APromptIsPrintedOnceWhenTheWaitRepeatsIt) {
    console("7\n");
    show_prompt(ReplyKind::Question, "How many bars?");
    CommandLine.blank();
    ask_line_trimmed(FixedText<512>("How many bars?"));
    EXPECT_EQ(output(), "How many bars?\n");
    EXPECT_TRUE(CommandLine == "7");
}

// ---- waits -----------------------------------------------------------------------------------

TEST_F(ConsoleFrontEndTest, AnEmptyAnswerTakesThePresetAndATypedOneReplacesIt) {
    console("\n34\n");
    CommandLine.set("12");
    ask_line_trimmed(FixedText<512>("Number?"));
    EXPECT_TRUE(CommandLine == "12");
    CommandLine.set("12");
    ask_line_trimmed(FixedText<512>("Number?"));
    EXPECT_TRUE(CommandLine == "34");
    EXPECT_EQ(output(), "Number?\n");
}

TEST_F(ConsoleFrontEndTest, EndOfInputDuringAWaitMeansClosingOrNothing) {
    console("");
    int32_t flag = 1;
    ask_line_with_edit(FixedText<512>("Edit"), flag);
    EXPECT_EQ(flag, -1);
    SecondLine.set("old");
    wait_for_command_in_second_line();
    EXPECT_TRUE(SecondLine.is_blank());
}

// A typed line is typed key by key, its left-over keys going to the next key wait; "`" sends a
// command text, "~~" a key token, an empty line the Enter key.
TEST_F(ConsoleFrontEndTest, CommandOrKeyWaitTypesALineKeyByKey) {
    console("`PLAY\nb-\n\n~~113\n~~015 9\nz\n");
    wait_for_command_in_second_line();
    EXPECT_TRUE(SecondLine == "PLAY");
    EXPECT_EQ(InputKeyWord, 0);
    wait_for_command_in_second_line();
    EXPECT_EQ(SecondLine(1), 'b');
    EXPECT_EQ(InputKeyWord, 'b');
    EXPECT_EQ(EngineKeyWord, 1066);
    wait_for_command_in_second_line();
    EXPECT_EQ(SecondLine(1), '-');
    EXPECT_EQ(EngineKeyWord, 933);  // the main keyboard's minus key: 1000 + (189 - 256)
    wait_for_command_in_second_line();
    EXPECT_EQ(SecondLine.code(1), 13);
    EXPECT_EQ(InputKeyWord, 13);
    // Key tokens come back as texts to the ordinary wait, as keys to the input routines'.
    wait_for_input_key_or_command();
    EXPECT_EQ(SecondLine.code(1), 113);
    EXPECT_TRUE(SecondLine.view().substr(1).find_first_not_of(' ') == std::string_view::npos);
    EXPECT_EQ(InputKeyWord, 113);
    EXPECT_EQ(EngineKeyWord, 1113);
    wait_for_input_key_or_command();
    EXPECT_TRUE(SecondLine == "~~015 9");
    EXPECT_EQ(InputKeyWord, 0);
    wait_for_command_in_second_line();
    EXPECT_EQ(SecondLine(1), 'z');
    EXPECT_EQ(ApplicationClosingWord, 0);
    wait_for_command_in_second_line();
    EXPECT_EQ(ApplicationClosingWord, 1);
    EXPECT_TRUE(SecondLine.is_blank());
}

// ---- questions -------------------------------------------------------------------------------

TEST_F(ConsoleFrontEndTest, YesNoQuestionsReadTheNextLine) {
    ConsoleFrontEnd& fe = console("y\nno\n  Yes\n");
    SecondLine.set("old.mus");
    EXPECT_EQ(confirm_discard(2), -1);
    EXPECT_EQ(confirm_discard(2), 0);
    EXPECT_EQ(fe.AskYesNo("Continue?", 0), -1);
    EXPECT_EQ(fe.AskYesNo("Again?", 1), 0);  // end of input: No
    EXPECT_EQ(output(),
              "FILE EXISTS - Write over file? - old.mus (Y/N)\n"
              "FILE EXISTS - Write over file? - old.mus (Y/N)\n"
              "Continue? (Y/N)\nAgain? (Y/N)\n");
}

TEST_F(ConsoleFrontEndTest, ThreeWayQuestionKnowsExit) {
    ConsoleFrontEnd& fe = console("x\nY\n\n");
    EXPECT_EQ(fe.AskYesNoExit("Save?"), -2);
    EXPECT_EQ(fe.AskYesNoExit("Save?"), -1);
    EXPECT_EQ(fe.AskYesNoExit("Save?"), 0);
    EXPECT_EQ(fe.AskYesNoExit("Save?"), 0);
    // The script's empty line answers nothing: named with the question, taken as No.
    EXPECT_EQ(output(),
              "Save? (Y/N/X)\nSave? (Y/N/X)\nSave? (Y/N/X)\n"
              "*** Not an answer to \"Save?\": (an empty line) -- taken as No.\n"
              "Save? (Y/N/X)\n");
}

TEST_F(ConsoleFrontEndTest, CrLfAnswersReadLikeLineFeedOnes) {
    ConsoleFrontEnd& fe = console("\r\n34\r\ny\r\n\r\nx\r\n");
    CommandLine.set("12");
    ask_line_trimmed(FixedText<512>("Number?"));
    EXPECT_TRUE(CommandLine == "12");  // an empty answer keeps the preset
    CommandLine.set("12");
    ask_line_trimmed(FixedText<512>("Number?"));
    EXPECT_TRUE(CommandLine == "34");
    EXPECT_EQ(CommandModeLetters(2), 0);  // no CR came back with it
    EXPECT_EQ(fe.AskYesNo("Continue?", 0), -1);
    EXPECT_EQ(fe.AskYesNo("Continue?", 0), 0);  // the empty answer is No
    EXPECT_EQ(fe.AskYesNoExit("Save?"), -2);
}

// ---- dialogs ---------------------------------------------------------------------------------

TEST_F(ConsoleFrontEndTest, FileNameDialogTakesTheNextLineAndCancelsAtTheEnd) {
    console("out/page.drw\n");
    ask_file_name(FixedText<128>("Type output file name. (Default = DRW.TMP)"));
    EXPECT_TRUE(CommandLine == "out/page.drw");
    ask_file_name(FixedText<128>("Again"));
    EXPECT_EQ(CommandLine.code(1), 2);
    EXPECT_EQ(output(), "Type output file name. (Default = DRW.TMP)\nAgain\n");
}

TEST_F(ConsoleFrontEndTest, EpsAndMacroNamesAreKeptWholeTo128) {
    const std::string n60(60, 'e');
    const std::string n128(128, 'f');
    ConsoleFrontEnd& fe = console("\n" + n60 + "\n" + n128 + "\n" + n128 + "g\n" + n128 +
                                  "\nNOTE 5\n.\n" + n128 + "g\nNOTE 5\n.\n");
    FrontEndCommandBuffer.set("preset.eps");
    EXPECT_EQ(fe.RunEpsFileNameDialog(), 1);
    EXPECT_TRUE(FrontEndCommandBuffer == "preset.eps");
    for (const std::string& name : {n60, n128}) {
        EXPECT_EQ(fe.RunEpsFileNameDialog(), 1);
        EXPECT_EQ(FrontEndPathBuffer.c_text(), name);
        EXPECT_EQ(FrontEndCommandBuffer.view(), name.substr(0, 48));
    }
    FrontEndPathBuffer.blank();
    EXPECT_EQ(fe.RunEpsFileNameDialog(), 2);
    EXPECT_TRUE(FrontEndPathBuffer.is_blank());
    EXPECT_NE(output().find("File name too long (at most 128 characters): cancelled."),
              std::string::npos);
    EXPECT_EQ(fe.RunMacroFileDialog(), 1);
    EXPECT_EQ(FrontEndPathBuffer.c_text(), n128);
    FrontEndPathBuffer.blank();
    EXPECT_EQ(fe.RunMacroFileDialog(), 2);
    EXPECT_TRUE(FrontEndPathBuffer.is_blank());
}

TEST_F(ConsoleFrontEndTest, MacroDialogReadsANameThenLinesUpToADot) {
    ConsoleFrontEnd& fe = console("m.txt\nNOTE 5\n\nREST 2\n.\nnext\nunfinished\n");
    EXPECT_EQ(fe.RunMacroFileDialog(), 1);
    EXPECT_TRUE(FrontEndCommandBuffer == "m.txt");
    EXPECT_EQ(MessageLine.sub(1, 17), std::string_view("NOTE 5\r\n\r\nREST 2\0", 17));
    // End of input before the "." cancels.
    FrontEndCommandBuffer.blank();
    EXPECT_EQ(fe.RunMacroFileDialog(), 2);
    EXPECT_TRUE(FrontEndCommandBuffer.is_blank());
}

TEST_F(ConsoleFrontEndTest, NamesAndTextsThatExactlyFillTheirBuffersAreTaken) {
    const std::string name48(48, 'n');
    const std::string path512(512, 'p');
    const std::string text511(511, 't');
    ConsoleFrontEnd& fe =
        console(name48 + "\n" + path512 + "\n" + path512 + "p\n" + "m.mac\n" + text511 + "\n.\n" +
                "m.mac\n" + text511 + "t\n.\n" + path512 + "\n" + path512 + "p\n");
    EXPECT_EQ(fe.RunEpsFileNameDialog(), 1);
    EXPECT_EQ(FrontEndCommandBuffer.view(), name48);
    EXPECT_EQ(fe.RunOutputFileNameDialog(), 1);
    EXPECT_EQ(FrontEndPathBuffer.view(), path512);
    FrontEndPathBuffer.blank();
    EXPECT_EQ(fe.RunOutputFileNameDialog(), 2);
    EXPECT_TRUE(FrontEndPathBuffer.is_blank());

    EXPECT_EQ(fe.RunMacroFileDialog(), 1);
    EXPECT_EQ(MessageLine.sub(1, 511), text511);
    EXPECT_EQ(MessageLine(512), '\0');
    MessageLine.blank();
    EXPECT_EQ(fe.RunMacroFileDialog(), 2);
    EXPECT_TRUE(MessageLine.is_blank());

    EXPECT_EQ(fe.RunDrawingFileNameDialog(FixedText<128>("Name?")), 1);
    EXPECT_EQ(MessageLine.view(), path512);
    MessageLine.blank();
    EXPECT_EQ(fe.RunDrawingFileNameDialog(FixedText<128>("Name?")), 2);
    EXPECT_TRUE(MessageLine.is_blank());
}

TEST_F(ConsoleFrontEndTest, CrLfMacroTextEndsAtItsDotLine) {
    ConsoleFrontEnd& fe = console("m.txt\r\nNOTE 5\r\n.\r\n");
    EXPECT_EQ(fe.RunMacroFileDialog(), 1);
    EXPECT_TRUE(FrontEndCommandBuffer == "m.txt");
    EXPECT_EQ(MessageLine.sub(1, 7), std::string_view("NOTE 5\0", 7));
}

TEST_F(ConsoleFrontEndTest, WindowDialogsSayOneLineAndChangeNothing) {
    ConsoleFrontEnd& fe = console("");
    Array1<int32_t, 32> a, b;
    Array1<int32_t, 3> r;
    r(3) = 1;
    Array1<float, 19> h;
    int32_t v = -99;
    EXPECT_EQ(fe.RunPreferencesDialog(a, b), 2);
    EXPECT_EQ(fe.RunPageImageHeightDialog(h), 2);
    EXPECT_EQ(fe.RunSymbolLibraryDialog(v), 2);
    EXPECT_EQ(v, -99);
    FrontEndCommandBuffer.set("Item 12 is off the page.");
    EXPECT_EQ(fe.RunOutOfBoundsNotice(), 0);
    EXPECT_EQ(output(),
              "Dialog \"Preferences\" needs the window: cancelled.\n"
              "Dialog \"Height of page image.\" needs the window: cancelled.\n"
              "Dialog \"Symbol Library\" needs the window: cancelled.\n"
              "Out of bounds: Item 12 is off the page.\n");
    // Convert Code 11 is asked on the console; the input's end answers nothing: no item is
    // deleted (2), and the check box stays unticked.
    EXPECT_EQ(fe.RunConvertCode11Dialog(r), 0);
    EXPECT_EQ(r(3), 0);
}

// ---- window services -------------------------------------------------------------------------

TEST_F(ConsoleFrontEndTest, VirtualWindowAnswersSizesAndClampsTheScrollPosition) {
    console("");
    ServiceBlock block;
    request_front_end_service('z', block);
    EXPECT_EQ(block(1), 40000);  // 1000 device units at zoom 64
    EXPECT_EQ(block(2), 28000);

    ParamBuffer(1) = 80000.0f;
    ParamBuffer(2) = 60000.0f;
    request_front_end_service('0', block);
    block(1) = 500000;
    block(2) = -500000;
    request_front_end_service('p', block);
    request_front_end_service('b', block);
    EXPECT_EQ(block(1), 40000);  // total less the client area
    EXPECT_EQ(block(2), -32000);

    block(1) = 2000;
    block(2) = -4000;
    request_front_end_service('p', block);
    request_front_end_service('b', block);
    EXPECT_EQ(block(1), 2000);
    EXPECT_EQ(block(2), -4000);

    // Zoom 128 halves the engine units the client area spans.
    block(1) = 128;
    request_front_end_service('k', block);
    request_front_end_service('z', block);
    EXPECT_EQ(block(1), 20000);
}

// Names read from files reach the terminal as text, never as its controls: every control
// character but the line breaks prints as "?"; UTF-8 and the printable edges pass.
TEST_F(ConsoleFrontEndTest, ControlCharactersPrintAsQuestionMarks) {
    console("");
    show_message(ReplyKind::Notice, "File not found --> e\x1b]0;owned\x07save.mus");
    show_message(ReplyKind::Notice, std::string("a\x01"
                                                "b\tc\x1f d\x7f ~ caf\xc3\xa9 \x80\xff",
                                                20) +
                                        "\r\nnext");
    ServiceBlock block;
    set_block_text(block, "\x1b[2Jsong.mus *");
    request_front_end_service('n', block);
    EXPECT_EQ(output(),
              "File not found --> e?]0;owned?save.mus\n"
              "a?b?c? d? ~ caf\xc3\xa9 \x80\xff\nnext\n"
              "Title: ?[2Jsong.mus *\n");
}

TEST_F(ConsoleFrontEndTest, TitleIsPrintedWhenItChanges) {
    ConsoleFrontEnd& fe = console("");
    ServiceBlock block;
    set_block_text(block, "KELDA.MUS");
    request_front_end_service('n', block);
    request_front_end_service('n', block);
    set_block_text(block, "song.mus *");
    request_front_end_service('n', block);
    EXPECT_EQ(output(), "Title: KELDA.MUS\nTitle: song.mus *\n");
    EXPECT_EQ(fe.title(), "song.mus *");
    block(1) = 1;
    request_front_end_service('m', block);
    block(1) = 0;
    request_front_end_service('i', block);
    EXPECT_EQ(block(1), 1);
}

}  // namespace
