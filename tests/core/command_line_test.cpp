// Command lines: the scanner's compact form and numbers, the normalising steps of
// read_command_line, the two number readers, and command files written to a temporary folder
// and read through READ, MACRO writing one from a scripted dialog.
#include "engine/core/command_line.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/document_tables.h"
#include "engine/core/file_units.h"
#include "engine/core/front_end_port.h"
#include "engine/core/item_store.h"
#include "platform/paths.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

using namespace core;

namespace {

// Records what the engine shows and answers from a short script; everything else is inert.
class RecordingFrontEnd : public FrontEndPort {
  public:
    std::vector<std::string> messages;
    std::vector<std::string> prompts;
    std::vector<std::string> questions;
    int refreshes = 0;
    int yes_no_answer = -1;
    // The macro dialog: what it saw in MessageLine, and what it hands back.
    std::string macro_dialog_preset;
    int macro_result = 1;
    std::string macro_name;
    std::string macro_text;

    void ArmImmediateKeyMode() override {}
    void SetMessageLineText(const char* text) override { prompts.emplace_back(text); }
    void SetInputText(const char*) override {}
    void SetInputTextAndSelection(const char*, int, int) override {}
    int GetInputTextLength() override { return 0; }
    void TrimInputToMarker() override {}
    int WaitForCommandOrKey(FixedText<512>&, int pass_value) override { return pass_value; }
    int WaitForLineEdit(FixedText<512>&, const FixedText<512>&, int, int) override { return 0; }
    int ShowMessageBox(const char* text) override {
        messages.emplace_back(text);
        return 1;
    }
    int AskYesNo(const char* question, int) override {
        questions.emplace_back(question);
        return yes_no_answer;
    }
    int AskYesNoExit(const char*) override { return 0; }
    void FrontEndService(char tag[4], ServiceBlock&) override { tag[0] = '\0'; }
    void RefreshDisplayFromEngine() override { ++refreshes; }
    void SwitchPaletteVariant(int, int) override {}
    void ControlMidiPlayer(int) override {}
    int RunDrawingFileNameDialog(const FixedText<128>&) override { return 2; }
    int RunEpsFileNameDialog() override { return 2; }
    int RunOutputFileNameDialog() override { return 2; }
    int RunMacroFileDialog() override {
        macro_dialog_preset = std::string(MessageLine.view());
        FrontEndCommandBuffer.set(macro_name);
        MessageLine.set(macro_text);
        return macro_result;
    }
    int RunDontShowAgainNotice() override { return 0; }
    int RunOutOfBoundsNotice() override { return 0; }
    int RunConvertCode11Dialog(Array1<int32_t, 3>&) override { return 3; }
    int RunConvertLibraryItemDialog(Array1<int32_t, 2>&) override { return 0; }
    int RunDecombineFileDialog() override { return 2; }
    int RunPageImageHeightDialog(Array1<float, 19>&) override { return 2; }
    int RunPreferencesDialog(Array1<int32_t, 32>&, Array1<int32_t, 32>&) override { return 2; }
    int RunRippleBarsDialog(Array1<int32_t, 5>&) override { return 2; }
    int RunSymbolLibraryDialog(int32_t&) override { return 2; }
};

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        set_front_end(&front_end_);
        set_mini_macro_handler(nullptr);
        TextReadRequestWord.blank();
        temp_.use_data_folder(dir_);
        temp_.enter();
    }
    void TearDown() override {
        close_all_units();
        set_front_end(nullptr);
        set_mini_macro_handler(nullptr);
    }

    // The line as the front-end leaves it, then read.
    static void type_line(std::string_view line) {
        CommandLine.set(line);
        read_command_line();
    }
    static std::string line() { return CommandLine.trimmed(); }
    static float p(int k) { return ParamBuffer(k); }

    void write_file(const std::string& name, const std::vector<std::string>& lines) {
        std::ofstream out(dir_ / name, std::ios::binary);
        for (const auto& l : lines) out << l << '\n';
    }
    // READ as the R family runs it: the typed line has been read, then the file is opened.
    static void read_command(std::string_view typed) {
        type_line(typed);
        open_command_file();
    }
    // Every command line a running command file yields, up to its end.
    static std::vector<std::string> drain() {
        std::vector<std::string> got;
        for (int guard = 0; guard < 100 && MacroUnit != 0; ++guard) {
            read_command_line();
            if (MacroUnit != 0) got.push_back(line());
        }
        return got;
    }

    RecordingFrontEnd front_end_;
    TempFolder temp_{"cmdline_test"};
    const std::filesystem::path& dir_ = temp_.root();
};

// ---- the scanner ------------------------------------------------------------------------

TEST_F(CommandLineTest, ScanGivesCompactFormAndOneSlotPerField) {
    struct Case {
        const char* typed;
        const char* compact;
        std::vector<float> params;
    };
    const Case cases[] = {
        {"NOTE 5 RHW", "NOTE*RHW", {0.0f, 5.0f, 0.0f}},
        {"5 .8", "**", {5.0f, 0.8f}},
        {"5-6", "**", {5.0f, 6.0f}},
        {"NOTE RHW", "NOTE*RHW", {0.0f, 0.0f, 0.0f}},
        {"p5 ..", "P*..", {0.0f, 5.0f, 0.0f}},
        {"X -.5,3", "X**", {0.0f, -0.5f, 3.0f}},
        {"12RHW 7", "**", {12.0f, 7.0f}},  // letters after digits belong to the number field
        {"A+5", "A+*", {0.0f, 5.0f}},
        {"1.2.3", "*", {1.2f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        type_line(c.typed);
        EXPECT_EQ(line(), c.compact);
        for (std::size_t k = 0; k < c.params.size(); ++k)
            EXPECT_FLOAT_EQ(p(static_cast<int>(k) + 1), c.params[k]) << "P" << k + 1;
        EXPECT_FLOAT_EQ(p(static_cast<int>(c.params.size()) + 1), 0.0f);
    }
}

TEST_F(CommandLineTest, DoubledSignsFoldOnlyWhileAnItemIsEdited) {
    EditedItemNumber = 3;
    type_line("P5 ..");
    EXPECT_EQ(line(), "P*M");
    EXPECT_FLOAT_EQ(p(2), 5.0f);
    type_line("P5 --");
    EXPECT_EQ(line(), "P*S");
    type_line("X **");
    EXPECT_EQ(line(), "X**");  // a kept "*" word after the gap marker
}

TEST_F(CommandLineTest, FieldsBeyondTheFortyFifthLandInTheLast) {
    std::string typed;
    for (int k = 1; k <= 50; ++k) typed += std::to_string(k) + " ";
    type_line(typed);
    EXPECT_FLOAT_EQ(p(44), 44.0f);
    EXPECT_FLOAT_EQ(p(45), 50.0f);
    EXPECT_FLOAT_EQ(p(46), 0.0f);
    EXPECT_EQ(line(), std::string(50, '*'));
}

TEST_F(CommandLineTest, TheFortyFifthFieldIsTheLastOfItsOwn) {
    std::string typed;
    for (int k = 1; k <= 45; ++k) typed += std::to_string(k) + " ";
    type_line(typed);
    EXPECT_FLOAT_EQ(p(44), 44.0f);
    EXPECT_FLOAT_EQ(p(45), 45.0f);
    type_line(typed + "46");
    EXPECT_FLOAT_EQ(p(44), 44.0f);
    EXPECT_FLOAT_EQ(p(45), 46.0f);
}

TEST_F(CommandLineTest, AFullLineIsReadToItsLastColumn) {
    // 512 characters: a number in columns 511-512.
    std::string typed = "NOTE 5";
    typed.resize(510, ' ');
    typed += "77";
    ASSERT_EQ(typed.size(), 512u);
    type_line(typed);
    EXPECT_EQ(line(), "NOTE**");
    EXPECT_FLOAT_EQ(p(2), 5.0f);
    EXPECT_FLOAT_EQ(p(3), 77.0f);

    // A quoted text whose closing quote is the line's last character.
    std::string quoted = "\"" + std::string(510, 'q') + "\"";
    type_line(quoted);
    EXPECT_EQ(line(), "T\"");
    EXPECT_EQ(QuotedTextBuffer.view(), std::string(510, 'Q') + "~~");
}

TEST_F(CommandLineTest, StepCommandsAreNotScanned) {
    type_line("- 5");
    EXPECT_EQ(line(), "- 5");
    EXPECT_FLOAT_EQ(p(1), 0.0f);
}

// ---- normalising ------------------------------------------------------------------------

TEST_F(CommandLineTest, LeadingBlanksOfALongLineMoveTheWholeLine) {
    // A file name (G commands are not scanned) that reaches far beyond column 160.
    std::string tail;
    for (int k = 0; k < 240; ++k) tail += static_cast<char>('A' + k % 26);
    type_line("   GX " + tail);
    EXPECT_EQ(line(), "GX " + tail);
    EXPECT_EQ(SecondLine.trimmed(), "   GX " + tail);
    EXPECT_EQ(CommandModeLetters(1), 'G');
    EXPECT_EQ(CommandModeLetters(2), 'X');

    // A long word scanned after the shift keeps every letter.
    std::string word(200, 'W');
    word[170] = 'Z';
    type_line("  " + word + " 9");
    EXPECT_EQ(line(), word + "*");
    EXPECT_FLOAT_EQ(p(2), 9.0f);

    // Trailing characters above code 127 are outside the line's length, shifted or not.
    type_line("   NOTE 5 \xE9");
    EXPECT_EQ(std::string(CommandLine.sub(1, 6)), "NOTE* ");
    EXPECT_FLOAT_EQ(p(3), 0.0f);
}

TEST_F(CommandLineTest, SecondLineKeepsTheLineAsTyped) {
    type_line("  note 5");
    EXPECT_EQ(SecondLine.trimmed(), "  note 5");
    EXPECT_EQ(line(), "NOTE*");
    EXPECT_EQ(CommandHeader.trimmed(), "NOTE 5");  // taken before the scan
}

TEST_F(CommandLineTest, BlankLineLeavesBlankHeaderAndNoNumbers) {
    ParamBuffer(3) = 7.0f;
    type_line("     ");
    EXPECT_TRUE(CommandLine.is_blank());
    EXPECT_TRUE(CommandHeader.is_blank());
    EXPECT_EQ(CommandModeLetters(1), ' ');
    EXPECT_FLOAT_EQ(p(3), 0.0f);
}

TEST_F(CommandLineTest, AllGivesTheStaffRange) {
    // Items: staff item of staff 3, a note on staff 9, staff item of staff 7.
    const float words[] = {3, 8, 3, 0, 3, 1, 9, 0, 3, 8, 7, 0};
    for (int k = 0; k < 12; ++k) ItemStore(k + 1) = words[k];
    ItemWordsUsed = 13;
    rebuild_item_start_table();
    ASSERT_EQ(ItemCount, 3);
    type_line("all");
    EXPECT_FLOAT_EQ(p(1), 3.0f);
    EXPECT_FLOAT_EQ(p(4), 7.0f);
    EXPECT_EQ(line(), "ALL");

    ItemCount = 0;
    type_line("ALL");
    EXPECT_FLOAT_EQ(p(1), 999.0f);
    EXPECT_FLOAT_EQ(p(4), 0.0f);
}

TEST_F(CommandLineTest, QuotedTextIsMovedAsideAndBecomesTheTextCommand) {
    type_line("\"Allegro ma non troppo\" 5");
    EXPECT_EQ(QuotedTextBuffer.trimmed(), "ALLEGRO MA NON TROPPO~~");
    EXPECT_EQ(line(), "T\"");
    EXPECT_EQ(CommandModeLetters(1), 'T');
    EXPECT_EQ(CommandModeLetters(2), '"');

    QuotedTextBuffer.set("KEPT~~");
    type_line("\"no end");
    EXPECT_EQ(line(), "\"");
    EXPECT_EQ(QuotedTextBuffer.trimmed(), "KEPT~~");
}

TEST_F(CommandLineTest, MiniMacroLinesGoToTheHandlerUntilNoneIsLeft) {
    type_line(":NOTE 5");
    EXPECT_EQ(line(), ":NOTE 5");  // no handler yet: unscanned
    EXPECT_FLOAT_EQ(p(2), 0.0f);

    static int calls = 0;
    calls = 0;
    set_mini_macro_handler([](int32_t& n) {
        ++calls;
        CommandLine.set(calls == 1 ? ";;" : "NOTE 7");
        n = CommandLine.trimmed_length();
    });
    type_line(";");
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(line(), "NOTE*");
    EXPECT_FLOAT_EQ(p(2), 7.0f);

    calls = 0;
    type_line(":;X");
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(line(), ":;X");

    // Fragments that call one another in a ring end after a bounded number of passes.
    set_mini_macro_handler([](int32_t& n) {
        ++calls;
        CommandLine.set(";");
        n = 1;
    });
    calls = 0;
    type_line(";");
    EXPECT_LE(calls, 10);
    EXPECT_TRUE(CommandLine.is_blank());
}

TEST_F(CommandLineTest, FileCommandsKeepTheirNameUnscanned) {
    type_line("GET score1.mus");
    EXPECT_EQ(line(), "GET SCORE1.MUS");
    EXPECT_FLOAT_EQ(p(1), 0.0f);
    type_line("GR 5");
    EXPECT_EQ(line(), "GR*");
    EXPECT_FLOAT_EQ(p(2), 5.0f);
}

// ---- number readers ---------------------------------------------------------------------

TEST_F(CommandLineTest, ParseNumberReadsSignedDecimalsAndStopsBeforeTheEnd) {
    struct Case {
        const char* text;
        float value;
        int32_t pos_after;
    };
    const Case cases[] = {
        {"-.5X", -0.5f, 4},       {"+12", 12.0f, 4},
        {"ABC", 0.0f, 1},         {"- 5 ", -5.0f, 4},
        {"--3/", 3.0f, 4},        {". 25,", 0.25f, 5},
        {" 5", 0.0f, 1},          {"-+5", 0.0f, 1},
        {"12345678901", 0.0f, 1}, {"1234567890 ", 1234567890.0f, 11},
        {"3.25.1", 3.25f, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t pos = 1;
        EXPECT_FLOAT_EQ(parse_number(c.text, pos), c.value);
        EXPECT_EQ(pos, c.pos_after);
    }
    int32_t pos = 3;  // from the middle of a text
    EXPECT_FLOAT_EQ(parse_number("Q=-2.5 ", pos), -2.5f);
    EXPECT_EQ(pos, 7);
    pos = 9;  // outside the text
    EXPECT_FLOAT_EQ(parse_number("12", pos), 0.0f);
    EXPECT_EQ(pos, 9);
}

TEST_F(CommandLineTest, ReadLineNumberCutsTheFieldBeforeReading) {
    struct Case {
        const char* text;
        int32_t i, j;
        float value;
    };
    const Case cases[] = {
        {"3/4", 1, 1, 3.0f},
        {"12RHW", 1, 5, 12.0f},
        {"1.2.3", 1, 5, 1.2f},
        {"-", 1, 1, 0.0f},
        {"", 1, 0, 0.0f},
        {"X -7.25 ", 3, 7, -7.25f},
        {"1234567890123", 1, 13, 123456789012.0f},  // only twelve characters count
        {"+-5", 1, 3, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CommandLine.set(c.text);
        int32_t i = c.i;
        EXPECT_FLOAT_EQ(read_line_number(i, c.j), c.value);
        EXPECT_EQ(i, c.j + 1);
    }
}

// ---- command files ----------------------------------------------------------------------

TEST_F(CommandLineTest, CommandFileRulesSkipCommentsBlocksAndEndAtTheStar) {
    write_file("score.mac", {
                                "NOTE 1",
                                "      NOTE 2",  // six blanks: skipped
                                "   NOTE 3",     // three blanks: used
                                "% a comment 4",
                                "%%",
                                "NOTE 5",
                                "%% the first %% closes the block",
                                "NOTE 6",
                                "\tNOTE 7",
                                "NOTE 8 RHW %whole note 99",
                                "   NOTE 9 %x 99",
                                "%$",
                                "NOTE 10",
                                "*",
                                "NOTE 11",
                            });
    read_command("RE score.mac");
    ASSERT_EQ(MacroUnit, MacroFileUnit);

    std::vector<std::string> got;
    std::vector<float> staff;
    std::vector<std::size_t> pauses_seen;
    while (MacroUnit != 0) {
        read_command_line();
        if (MacroUnit == 0) break;
        got.push_back(line());
        staff.push_back(p(2));
        pauses_seen.push_back(front_end_.messages.size());
        for (int k = 3; k <= 6; ++k) EXPECT_FLOAT_EQ(p(k), 0.0f) << line();  // no comment scanned
    }
    EXPECT_EQ(got,
              (std::vector<std::string>{"NOTE*", "NOTE*", "NOTE*", "NOTE*RHW", "NOTE*", "NOTE*"}));
    EXPECT_EQ(staff, (std::vector<float>{1, 3, 6, 8, 9, 10}));
    EXPECT_EQ(pauses_seen, (std::vector<std::size_t>{0, 0, 0, 0, 0, 1}));
    ASSERT_EQ(front_end_.messages.size(), 1u);
    EXPECT_EQ(front_end_.messages[0], "*** Hit enter to continue.");
    EXPECT_GE(front_end_.refreshes, 1);

    EXPECT_TRUE(CommandLine.is_blank());
    EXPECT_EQ(CommandModeLetters(1), 0);
    EXPECT_FALSE(unit_is_open(MacroFileUnit));
}

TEST_F(CommandLineTest, CrLfCommandFilesReadLikeLineFeedOnes) {
    {
        std::ofstream out(dir_ / "inner.mac", std::ios::binary);
        out << "NOTE 3\r\n*\r\nNOTE 99\r\n";
        std::ofstream outer(dir_ / "outer.mac", std::ios::binary);
        outer << "NOTE 1\r\n%%\r\nNOTE 98\r\n%%\r\n\r\nNOTE 2 RHW %c 97\r\nRE inner.mac\r\n";
    }
    read_command("RE outer.mac");
    ASSERT_EQ(MacroUnit, MacroFileUnit);
    read_command_line();
    EXPECT_EQ(line(), "NOTE*");
    EXPECT_FLOAT_EQ(p(2), 1.0f);
    read_command_line();
    EXPECT_EQ(line(), "NOTE*RHW");
    EXPECT_FLOAT_EQ(p(2), 2.0f);
    EXPECT_FLOAT_EQ(p(4), 0.0f);  // the comment is no part of the line
    read_command_line();
    ASSERT_EQ(line(), "RE*INNER.MAC");
    open_command_file();  // the name of a CR LF line has no CR in it
    EXPECT_TRUE(front_end_.messages.empty());
    EXPECT_EQ(drain(), (std::vector<std::string>{"NOTE*"}));  // "*" with its CR ends it
    EXPECT_EQ(MacroUnit, 0);
}

TEST_F(CommandLineTest, EndOfFileEndsTheCommandFileQuietly) {
    write_file("short.mac", {"NOTE 1", "%%", "NOTE 2"});  // an unclosed block runs to the end
    read_command("RE short.mac");
    FrontEndCommandBuffer.set("PENDING");
    EXPECT_EQ(drain(), (std::vector<std::string>{"NOTE*"}));
    EXPECT_EQ(MacroUnit, 0);
    EXPECT_TRUE(front_end_.messages.empty());
    EXPECT_TRUE(FrontEndCommandBuffer.is_blank());
    EXPECT_FALSE(unit_is_open(MacroFileUnit));
}

TEST_F(CommandLineTest, ReadRemembersTheNameAndReadsTheLastOneOnABlankName) {
    write_file("first.mac", {"NOTE 1"});
    UndoRedoState = 0;

    read_command("RE first.mac");
    EXPECT_EQ(MacroUnit, MacroFileUnit);
    EXPECT_EQ(UndoRedoState, 1);  // READ keeps the page as the undo copy first
    EXPECT_TRUE(std::filesystem::exists(dir_ / "work" / "!undo!.tmp"));
    EXPECT_EQ(LastMacroFileName.trimmed(), "first.mac");
    EXPECT_EQ(std::string(MessageLine.sub(1, 35)),
              std::string("Reading: first.mac") + std::string(16, ' ') + '\0');
    EXPECT_EQ(read_text(dir_ / "work" / "!read!.tmp").substr(0, 9), "first.mac");
    EXPECT_EQ(drain(), (std::vector<std::string>{"NOTE*"}));

    LastMacroFileName.blank();
    read_command("RE");
    EXPECT_EQ(MacroUnit, MacroFileUnit);
    EXPECT_EQ(LastMacroFileName.trimmed(), "first.mac");
    EXPECT_EQ(drain(), (std::vector<std::string>{"NOTE*"}));
    EXPECT_TRUE(front_end_.messages.empty());
}

TEST_F(CommandLineTest, ReadOfAMissingFileReportsIt) {
    read_command("RE nosuch.mac");
    EXPECT_EQ(MacroUnit, 0);
    EXPECT_EQ(CommandModeLetters(1), -1);
    ASSERT_EQ(front_end_.messages.size(), 1u);
    EXPECT_EQ(front_end_.messages[0], "File not found --> nosuch.mac");

    // No name and no record of a last one.
    read_command("RE");
    EXPECT_EQ(MacroUnit, 0);
    EXPECT_EQ(CommandModeLetters(1), -1);
    ASSERT_EQ(front_end_.messages.size(), 2u);
    EXPECT_NE(front_end_.messages[1].find("!read!.tmp"), std::string::npos);
}

TEST_F(CommandLineTest, ReadMissingFileInsideACommandFileLetsItGoOn) {
    write_file("outer.mac", {"RE missing.mac", "NOTE 2"});
    read_command("RE outer.mac");
    read_command_line();
    ASSERT_EQ(line(), "RE*MISSING.MAC");
    open_command_file();
    EXPECT_EQ(front_end_.messages.size(), 1u);
    EXPECT_EQ(drain(), (std::vector<std::string>{"NOTE*"}));
}

TEST_F(CommandLineTest, ReadTakesTheLastNameWhenTheTextCommandAsks) {
    write_file("lyrics.txt", {"la la"});
    LastMacroFileName.set("lyrics.txt");
    TextReadRequestWord.set("TTR");
    read_command("RE other.mac");
    EXPECT_EQ(MacroUnit, MacroFileUnit);
    EXPECT_TRUE(TextReadRequestWord.is_blank());
    EXPECT_EQ(drain(), (std::vector<std::string>{"LA*LA"}));
}

TEST_F(CommandLineTest, ReadLineFromCommandFileTakesTheRawNextRecord) {
    CommandLine.set("7 8");
    read_line_from_command_file();  // no command file: the line itself
    EXPECT_FLOAT_EQ(p(1), 7.0f);
    EXPECT_FLOAT_EQ(p(2), 8.0f);

    write_file("ripple.mac", {"RI", "  2 10 12 3", "*"});
    read_command("RE ripple.mac");
    read_command_line();
    ASSERT_EQ(line(), "RI");
    read_line_from_command_file();
    EXPECT_FLOAT_EQ(p(1), 2.0f);
    EXPECT_FLOAT_EQ(p(4), 3.0f);
    read_line_from_command_file();  // "*" is not an end mark here: a line without numbers
    EXPECT_FLOAT_EQ(p(1), 0.0f);
    EXPECT_EQ(MacroUnit, MacroFileUnit);
    read_line_from_command_file();  // the end of the file
    EXPECT_EQ(MacroUnit, 0);
    EXPECT_FLOAT_EQ(p(1), 0.0f);
}

// ---- MACRO ------------------------------------------------------------------------------

TEST_F(CommandLineTest, MacroWritesTheDialogTextAsRecordsThatReadBack) {
    front_end_.macro_name = "new.mac";
    front_end_.macro_text = std::string("NOTE 1\r\n\r\n   NOTE 2\r\n*\r\n") + '\0' + "junk";
    open_macro_file();
    EXPECT_EQ(front_end_.macro_dialog_preset.substr(0, 10), "abcd\n1234 ");
    EXPECT_EQ(read_text(dir_ / "new.mac"), "NOTE 1\n\n   NOTE 2\n*\n");
    EXPECT_EQ(LastMacroFileName.trimmed(), "new.mac");
    ASSERT_FALSE(front_end_.prompts.empty());
    EXPECT_EQ(front_end_.prompts.back().substr(0, 20), "Macro file = new.mac");
    EXPECT_TRUE(FrontEndCommandBuffer.is_blank());
    EXPECT_TRUE(MessageLine.is_blank());
    EXPECT_TRUE(front_end_.questions.empty());

    read_command("RE new.mac");
    EXPECT_EQ(drain(), (std::vector<std::string>{"NOTE*", "NOTE*"}));
}

TEST_F(CommandLineTest, MacroAsksBeforeWritingOverAFileEvenOnAnEmptyPage) {
    write_file("old.mac", {"KEEP"});
    front_end_.macro_name = "old.mac";
    front_end_.macro_text = std::string("NEW") + '\0';
    front_end_.yes_no_answer = 0;
    open_macro_file();
    ASSERT_EQ(front_end_.questions.size(), 1u);
    EXPECT_EQ(front_end_.questions[0].substr(0, 40), "FILE EXISTS - Write over file? - old.mac");
    EXPECT_EQ(read_text(dir_ / "old.mac"), "KEEP\n");
    EXPECT_EQ(ItemCount, 0);
    EXPECT_TRUE(MessageLine.is_blank());

    front_end_.yes_no_answer = -1;
    open_macro_file();
    EXPECT_EQ(read_text(dir_ / "old.mac"), "NEW\n");
}

TEST_F(CommandLineTest, MacroWritesNothingOnCancelOrEmptyText) {
    front_end_.macro_name = "c.mac";
    front_end_.macro_text = std::string("NOTE") + '\0';
    front_end_.macro_result = 2;
    open_macro_file();
    front_end_.macro_result = 1;
    front_end_.macro_text = std::string("   \r\n") + '\0';
    open_macro_file();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "c.mac"));
    EXPECT_TRUE(front_end_.prompts.empty());
    EXPECT_TRUE(FrontEndCommandBuffer.is_blank());
}

}  // namespace
