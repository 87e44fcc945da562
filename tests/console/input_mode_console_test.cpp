// The input mode through the console: a whole run typed key by key, and scripts that end
// inside the run.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/render/tables.h"
#include "platform/paths.h"
#include "tests/support/console_run.h"
#include "tests/support/readme_hymn.h"
#include "tests/support/store_records.h"

namespace fs = std::filesystem;

namespace {

class InputModeConsoleTest : public ConsoleSessionTest {
  protected:
    static float p(int32_t item, int32_t k) {
        const int32_t s = core::ItemStartTable(item);
        return k <= static_cast<int32_t>(core::ItemStore(s)) ? core::ItemStore(s + k) : 0.0f;
    }
};

// Every line of the run typed as the keys of a keyboard: the notes line, the rhythms line, no
// bar lines, the marks line, no beams, no slurs, "X" at the closing menu and no next staff.
TEST_F(InputModeConsoleTest, AWholeRunTypedKeyByKeyBuildsTheBar) {
    const std::string out =
        type({"IN 1", "", "TR/C4/E/G/C5;", "Q/Q/E/E;", "N", "S 1:2/A 4;", ";", ";", "X", "N"});
    EXPECT_NE(out.find("Type pairs of numbers for Beams >"), std::string::npos) << out;
    EXPECT_NE(out.find("*** Leaving input ***"), std::string::npos) << out;
    ASSERT_EQ(core::ItemCount, 6) << out;
    EXPECT_EQ(p(1, 1), 8.0f);
    EXPECT_EQ(p(2, 1), 3.0f);
    EXPECT_EQ(p(2, 3), 2.0f);
    const float x[] = {11.0f, 74.0f, 137.0f, 168.5f};
    const float p4[] = {1, 3, 5, 8}, p5[] = {10, 10, 10, 20}, p7[] = {1, 1, 0.5f, 0.5f},
                p9[] = {0, 0, 1, 1}, p11[] = {7, 7, 0, 5.25f};
    for (int i = 0; i < 4; ++i) {
        const int32_t k = 3 + i;
        EXPECT_NEAR(p(k, 3), x[i], 0.01f) << k;
        EXPECT_EQ(p(k, 4), p4[i]) << k;
        EXPECT_EQ(p(k, 5), p5[i]) << k;
        EXPECT_EQ(p(k, 7), p7[i]) << k;
        EXPECT_EQ(p(k, 9), p9[i]) << k;
        EXPECT_FLOAT_EQ(p(k, 11), p11[i]) << k;
    }
    EXPECT_EQ(input::InputModeActive, 0);

    // The lines are saved as typed.
    std::ifstream in(platform::local_path(core::work_copy_name("input.tmp")));
    std::vector<std::string> records;
    for (std::string l; std::getline(in, l);) records.push_back(l);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[2], "TR/C4/E/G/C5;");
    EXPECT_EQ(records[3], "Q/Q/E/E;");
    EXPECT_EQ(records[4], "S 1:2/A 4;");
    EXPECT_EQ(records[5], ";");
}

// Keys that edit the notes line as it is typed: Backspace takes the note back and F4 writes the
// alto clef, which places the next note.
TEST_F(InputModeConsoleTest, EditingKeysInTheNotesLine) {
    const std::string out =
        type({"IN 1", "", "TR/C4/", "~~008", "~~115", "C4/;", "Q;", "N", "G", "X", "N"});
    ASSERT_EQ(core::ItemCount, 4) << out;
    EXPECT_EQ(p(3, 1), 3.0f);
    EXPECT_EQ(p(3, 5), 2.0f);  // the alto clef
    EXPECT_EQ(p(4, 1), 1.0f);
    EXPECT_EQ(p(4, 4), 7.0f);
    std::ifstream in(platform::local_path(core::work_copy_name("input.tmp")));
    std::vector<std::string> records;
    for (std::string l; std::getline(in, l);) records.push_back(l);
    ASSERT_GE(records.size(), 4u);
    EXPECT_EQ(records[2], "TR/AL/C4/;");
}

// Two eighths D4 and G4 beamed 28 apart: the higher end drops one step, and the lower one,
// within the slope limit then, stays where it was.
TEST_F(InputModeConsoleTest, ASteepBeamDropsItsHigherEndOnly) {
    const std::string out =
        type({"IN 1", "10 75", "TR/D4/G;", "E/E;", "N", ";", "1 2;", ";", "X", "N"});
    int32_t beam = 0;
    std::vector<int32_t> notes;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (p(k, 1) == 6.0f) beam = k;
        if (p(k, 1) == 1.0f) notes.push_back(k);
    }
    ASSERT_NE(beam, 0) << out;
    ASSERT_EQ(notes.size(), 2u) << out;
    EXPECT_EQ(p(beam, 3), 19.0f);
    EXPECT_EQ(p(beam, 6), 47.0f);
    EXPECT_EQ(p(beam, 4), 2.0f);  // the left end stays on D4's stem end
    EXPECT_EQ(p(beam, 5), 4.0f);  // the right end one step lower
    EXPECT_EQ(p(notes[0], 8), 0.0f);
    EXPECT_EQ(p(notes[1], 8), -1.0f);
}

// Esc in the notes line asks once; Yes puts the page back as it was before "IN 1".
TEST_F(InputModeConsoleTest, EscapeAndYesAbandonTheRun) {
    const std::string out = type({"EI", "8 1 0", "IN 1", "", "TR/C4/E/", "~~027", "Y", "N"});
    EXPECT_NE(out.find("Abandon input? (Y/E/C)"), std::string::npos) << out;
    EXPECT_EQ(out.find("Abandon input? (Y/E/C)"), out.rfind("Abandon input? (Y/E/C)"));
    EXPECT_EQ(core::ItemCount, 1) << out;
}

// A script that ends inside the notes line: the program ends (run_console checks the exit
// status 0) and the run, ended before its rhythms line, adds nothing.
TEST_F(InputModeConsoleTest, AScriptEndingInsideTheNotesLineAddsNothing) {
    type({"IN 1", "", "TR/C4/E"});
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(input::InputModeActive, 0);
    EXPECT_EQ(input::InputParserMode, 0);
}

}  // namespace

namespace {

// A notes line typed at a terminal that does not parse is asked again, and the notes it drew as
// it was typed leave the page; the line typed next is the one kept.
TEST_F(InputModeConsoleTest, ARefusedNotesLineTakesItsNotesAlong) {
    const std::string out =
        type_at_terminal({"IN 1", "", "TR/C4/E/", "XYZ;", "C4/D/;", "Q;", "N", "G", "X", "N"});
    EXPECT_NE(out.find("*** Syntax Error ***"), std::string::npos) << out;
    ASSERT_EQ(core::ItemCount, 3) << out;
    EXPECT_EQ(p(2, 4), 1.0f);
    EXPECT_EQ(p(3, 4), 2.0f);
    EXPECT_EQ(input::InputLines.notes.trimmed(), "C4/D/;");

    // A second run ended while the line is asked again: the page is as the first run left it.
    type_at_terminal({"IN 1", "", "TR/C4/E/", "XYZ;"});
    EXPECT_EQ(core::ItemCount, 3);
}

}  // namespace

namespace {

// "S" at the closing menu asks for a file name: a relative name is written in the current
// folder with the run's seven records; "Y" to the next staff starts a run on staff 2 whose
// staff item takes the first one's place and size.
TEST_F(InputModeConsoleTest, SaveToANamedFileAndGoOnToTheNextStaff) {
    const std::string out = type({"IN 1", "", "C4/D/;", "Q;", "N", "G", "S", "mine.txt", "Y", "",
                                  "E4/;", "H;", "N", "G", "X", "N"});
    EXPECT_NE(out.find("Continue Input on Staff 002 ?"), std::string::npos) << out;
    std::ifstream in("mine.txt");
    std::vector<std::string> records;
    for (std::string l; std::getline(in, l);) records.push_back(l);
    ASSERT_EQ(records.size(), 7u) << out;
    EXPECT_EQ(records[2], "C4/D/;");
    EXPECT_EQ(records[3], "QX2;");
    // Staff 1: staff item and two notes; staff 2: its staff item and one note.
    int staves = 0, notes_on_2 = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        staves += p(k, 1) == 8.0f;
        notes_on_2 += p(k, 1) == 1.0f && p(k, 2) == 2.0f;
    }
    EXPECT_EQ(staves, 2) << out;
    EXPECT_EQ(notes_on_2, 1) << out;
    EXPECT_EQ(input::InputModeActive, 0);
}

// "INZ" on an empty page takes staff 1 at once; on a page with staves it asks for a click on
// the staff instead.
TEST_F(InputModeConsoleTest, InzTypesOnANewStaff) {
    std::string out = type({"INZ", "", "C4/;", "Q;", "N", "G", "X", "N"});
    ASSERT_EQ(core::ItemCount, 2) << out;
    EXPECT_EQ(p(2, 1), 1.0f);
    EXPECT_EQ(p(2, 2), 1.0f);

    // Asking for the staff changes nothing: "X", or an empty line (Escape in the window),
    // leaves the question with the page as saved and no staff taken.
    for (const char* leave : {"X", ""}) {
        core::ChangesMadeFlag = 0;
        out = type({"INZ", leave});
        EXPECT_NE(out.find("Click on Staff for input.  X = exit."), std::string::npos) << out;
        EXPECT_EQ(core::PendingBoxOperation, 0) << leave << out;
        EXPECT_EQ(core::ChangesMadeFlag, 0) << leave << out;
        EXPECT_EQ(core::ItemCount, 2) << leave << out;
        EXPECT_EQ(out.find("Set Input Space"), std::string::npos) << leave << out;
        EXPECT_EQ(out.find("Continue Input"), std::string::npos) << leave << out;
    }
}

// "INX" enters a temporary clef for the run and takes it away before the closing menu; the
// staff item it makes is the one "IN" makes, on an empty page and on a page loaded with a
// staff and a text after where the new staff goes, and LJ spaces the run's notes apart.
TEST_F(InputModeConsoleTest, TheTemporaryClefGoesBeforeTheClosingMenu) {
    std::string out = type({"INX 1", "", "C4/;", "Q;", "N", "G", "X", "N"});
    EXPECT_NE(out.find("*** Leaving input ***"), std::string::npos) << out;
    int notes = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        EXPECT_FALSE(p(k, 1) == 3.0f && p(k, 7) == 99.0f) << k;
        notes += p(k, 1) == 1.0f;
    }
    EXPECT_EQ(notes, 1);

    const std::vector<std::string> kRun = {"",  "C4/D/E/F;", "Q;", "N",   "G",
                                           "X", "N",         "LJ", "1 1", "Y"};
    for (const bool loaded : {false, true}) {
        SCOPED_TRACE(loaded ? "loaded" : "empty");
        core::reset_engine();
        if (loaded) {
            out = type({"8 2 0", "X", "NOTE 2 20 5", "X", "T 2 50 -8", "Verse", "X", "SA p.mus"});
            core::reset_engine();
            out = type({"G p.mus"});
        }
        std::vector<std::string> lines = {"INX 1"};
        lines.insert(lines.end(), kRun.begin(), kRun.end());
        out = type(lines);
        std::vector<float> staff_item;
        std::vector<float> xs;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            EXPECT_FALSE(p(k, 1) == 3.0f && p(k, 2) == 1.0f) << k << out;
            if (p(k, 1) == 8.0f && p(k, 2) == 1.0f) {
                for (int32_t w = 1; w <= core::int_of(core::ItemStore(core::ItemStartTable(k)));
                     ++w)
                    staff_item.push_back(p(k, w));
            }
            if (p(k, 1) == 1.0f && p(k, 2) == 1.0f) xs.push_back(p(k, 3));
        }
        EXPECT_EQ(staff_item, (std::vector<float>{8, 1, 0, 0, 0, 0})) << out;
        ASSERT_EQ(xs.size(), 4u) << out;
        for (std::size_t i = 1; i < xs.size(); ++i) EXPECT_GT(xs[i], xs[i - 1] + 5.0f) << out;
    }
}

// "2 200 0" names no spacing staff: a run after one laid against a spacing staff is spaced over
// its own range, as on a page loaded fresh, with no false mismatch; typed at the range question
// and read from a command file.
TEST_F(InputModeConsoleTest, NoSpacingStaffAfterOneDropsItsColumns) {
    const std::vector<std::string> kRun = {"IN 3", "2 200 0", "TR/C4/D/E/F;", "Q;", ";", ";", ";",
                                           "X",    "N"};
    {
        std::ofstream file("run.cmd");
        for (const std::string& line : kRun) file << line << "\n";
    }
    for (const bool loaded : {false, true}) {
        for (const bool from_file : {false, true}) {
            SCOPED_TRACE(std::string(loaded ? "loaded" : "typed") + (from_file ? " RE" : ""));
            core::reset_engine();
            fs::remove("hymn.mus");
            std::vector<std::string> lines = readme_hymn_lines();
            if (loaded) {
                type(lines);
                core::reset_engine();
                lines = {"G hymn.mus"};
            }
            if (from_file) {
                lines.push_back("RE run.cmd");
            } else {
                lines.insert(lines.end(), kRun.begin(), kRun.end());
            }
            const std::string out = type(lines);
            EXPECT_EQ(out.find("Mismatch"), std::string::npos) << out;
            std::vector<float> xs;
            for (int32_t k = 1; k <= core::ItemCount; ++k)
                if (p(k, 1) == 1.0f && p(k, 2) == 3.0f) xs.push_back(p(k, 3));
            ASSERT_EQ(xs.size(), 4u) << out;
            const float kSpaced[] = {11.0f, 58.25f, 105.5f, 152.75f};
            for (std::size_t i = 0; i < xs.size(); ++i)
                EXPECT_NEAR(xs[i], kSpaced[i], 0.01f) << out;
        }
    }
}

// "MIDI" asked for in the notes line: the console has no MIDI keyboard, so "No MIDI for input."
// and the next typed line is the notes line.
TEST_F(InputModeConsoleTest, MidiAskedForTheTypedLineGoesOn) {
    const std::string out = type(
        {"IN 1", "", "MIDI", "TR/C4/E/G/C5;", "Q/Q/E/E;", "N", "S 1:2/A 4;", ";", ";", "X", "N"});
    // The console opens no MIDI input: it says so and the line is asked again.
    EXPECT_NE(out.find("No MIDI for input."), std::string::npos) << out;
    EXPECT_EQ(out.find("Starting MIDI input ****"), std::string::npos) << out;
    ASSERT_EQ(core::ItemCount, 6) << out;
    const float p4[] = {1, 3, 5, 8};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(p(3 + i, 4), p4[i]) << i;
    EXPECT_EQ(input::InputModeActive, 0);
}

}  // namespace

namespace {

// Saved lines whose notes line cannot be read, typed again by "RE" as the script's last line:
// the notes line is refused and left out, and so is the rhythms line, which finds no notes;
// the run ends with the file. The program ends there (it used to ask them again for ever),
// keeping the page as it stands.
TEST_F(InputModeConsoleTest, SavedLinesThatCannotBeReadEndWithTheInput) {
    {
        std::ofstream saved(platform::local_path(core::work_copy_name("input.tmp")),
                            std::ios::binary);
        saved << "IN 1" << std::string(1, '\0') << "\x01\xff\n2 200\n\xff\xfe\xfd;\nQ"
              << std::string(1, '\0') << ";\n;\n;\n;\n";
    }
    const std::string out = type({"RE \\!tmp\\input.tmp"});
    EXPECT_NE(out.find("*** Syntax Error ***"), std::string::npos) << out;
    EXPECT_NE(out.find("*** The notes line was refused and left out: "), std::string::npos) << out;
    EXPECT_NE(out.find("*** The rhythms line was refused and left out: Q"), std::string::npos)
        << out;
    EXPECT_EQ(input::InputModeActive, 0);
    EXPECT_EQ(core::ItemCount, 1) << out;  // the run's staff
    EXPECT_LT(out.size(), 2000u) << out;
}

}  // namespace

namespace {

// The closing menu takes a line's first key: the rest of the line goes with the menu, and a
// script's line that answers nothing leaves the menu as X does (at a terminal the menu is
// asked once more). Piped, "--console FILE", an input run begun by a command file and ended by
// the console's lines, and typed at a terminal.
TEST_F(InputModeConsoleTest, TheClosingMenuTakesOneLineFromAScript) {
    const std::vector<std::string> two_staves = {"LJ", "Y", "",  "E4/F;", "Q;", "N",
                                                 ";",  ";", ";", "XG",    "N",  "SA out.mus"};
    const std::vector<std::string> not_an_answer = {"FOO", "N", "SA out.mus"};
    const std::vector<std::string> begun = {"IN 1", "", "C4/D;"};
    const std::vector<std::string> closed = {"Q;", "N", ";", ";", ";"};
    const std::vector<std::string> asked_again = {"FOO", "X", "N", "SA out.mus"};
    enum Road { Piped, File, Re, Terminal };
    for (Road road : {Piped, File, Re, Terminal}) {
        for (const auto* rest : {&two_staves, &not_an_answer}) {
            SCOPED_TRACE(std::to_string(road) + " " + rest->front());
            core::reset_engine();
            fs::remove(temp_.root() / "out.mus");
            const bool at_terminal = road == Terminal;
            std::vector<std::string> lines = console_lines_then(
                closed, at_terminal && rest == &not_an_answer ? asked_again : *rest);
            std::string out;
            if (at_terminal) {
                out = type_at_terminal(console_lines_then(begun, lines));
            } else if (road == Re) {
                std::ofstream(temp_.root() / "begin.txt") << "IN 1\n\nC4/D;\n";
                out = type(console_lines_then({"RE begin.txt"}, lines));
            } else if (road == File) {
                out = run_console_file(temp_.root(), console_lines_then(begun, lines));
            } else {
                out = type(console_lines_then(begun, lines));
            }
            EXPECT_EQ(out.find("Input error"), std::string::npos) << out;
            if (road == Re) {
                // A run read from a command file ends with the file: the lines after the RE
                // line are commands, never the run's lines or its menu's answers.
                EXPECT_NE(out.find("*** The command file ended before this was answered: Type  "
                                   "002  Rhythms >"),
                          std::string::npos)
                    << out;
                EXPECT_EQ(out.find("X = Exit from input mode."), std::string::npos) << out;
                continue;
            }
            // "S" of a line that is no answer never asks for a file of input lines.
            EXPECT_EQ(out.find("Type output file name."), std::string::npos) << out;
            EXPECT_EQ(out.find("*** Not an answer to the input menu: FOO -- taken as X.") !=
                          std::string::npos,
                      rest == &not_an_answer && !at_terminal)
                << out;
            // At a terminal the menu comes again once for the whole line, not once a key.
            std::size_t menus = 0;
            for (std::size_t at = out.find("X = Exit from input mode."); at != std::string::npos;
                 at = out.find("X = Exit from input mode.", at + 1)) {
                ++menus;
            }
            const std::size_t runs = rest == &two_staves ? 2 : 1;
            EXPECT_EQ(menus, runs + (at_terminal && rest == &not_an_answer ? 1 : 0)) << out;
            ASSERT_TRUE(fs::exists(temp_.root() / "out.mus")) << out;
            core::reset_engine();
            type({"G out.mus"});
            EXPECT_EQ(stored_items_of(1, 1).size(), 2u) << out;
            EXPECT_EQ(stored_items_of(1, 2).size(), rest == &two_staves ? 2u : 0u) << out;
        }
    }
}

// The notes of the page, one "P3 P4 P5" text each, in store order.
std::vector<std::string> page_notes() {
    std::vector<std::string> notes;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (core::ItemStore(s + 1) != 1.0f) continue;
        notes.push_back(std::to_string(core::ItemStore(s + 3)) + " " +
                        std::to_string(core::ItemStore(s + 4)) + " " +
                        std::to_string(core::ItemStore(s + 5)));
    }
    return notes;
}

// A rhythms line of ";" alone finds no rhythm for any column: it is refused and leaves every
// note as the notes line drew it, exactly as a refused "ZZ;" does, on every road; the line
// typed next at a terminal gives the rhythms to notes of their full size. From a script the
// run fails (exit status 1).
TEST_F(InputModeConsoleTest, ARefusedRhythmsLineLeavesTheNotesAsDrawn) {
    enum class Way { Piped, Terminal, Re };
    struct Case {
        const char* label;
        Way way;
        std::vector<std::string> lines;  // "@" is the rhythms line tried
    };
    const std::vector<std::string> after = {"N", ";", ";", ";", "X", "N"};
    const std::vector<Case> cases = {
        {"piped", Way::Piped, {"IN 1", "", "TR/C4/D;", "@"}},
        {"RE after !;", Way::Re, {"IN 1", "", "TR/C4/D;", "!;", "C", "@"}},
        {"terminal, then Q;", Way::Terminal, {"IN 1", "", "TR/C4/D;", "@", "Q;"}},
        {"terminal, Esc and C", Way::Terminal, {"IN 1", "", "TR/C4/D;", "~~027", "C", "@", "Q;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<std::string> seen[2];
        const char* tried[] = {";", "ZZ;"};
        for (int t = 0; t < 2; ++t) {
            core::close_all_units();
            core::reset_engine();
            core::RunFailedWord = 0;
            std::vector<std::string> lines;
            for (const std::string& l : c.lines) lines.push_back(l == "@" ? tried[t] : l);
            lines.insert(lines.end(), after.begin(), after.end());
            std::string out;
            if (c.way == Way::Re) {
                std::ofstream file("run.txt");
                for (const std::string& l : lines) file << l << "\n";
                file.close();
                out = type({"RE run.txt"});
            } else {
                out = type(lines, c.way == Way::Terminal);
            }
            seen[t] = page_notes();
            ASSERT_EQ(seen[t].size(), 2u) << out;
            if (c.way == Way::Terminal) {
                // The rhythms typed next: quarters on full-size notes.
                for (int32_t k = 1; k <= core::ItemCount; ++k) {
                    const int32_t s = core::ItemStartTable(k);
                    if (core::ItemStore(s + 1) != 1.0f) continue;
                    EXPECT_LT(core::ItemStore(s + 4), 100.0f) << out;
                    EXPECT_EQ(core::ItemStore(s + 7), 1.0f) << out;
                }
            } else {
                EXPECT_EQ(core::RunFailedWord, 1) << out;
            }
        }
        EXPECT_EQ(seen[0], seen[1]);
    }
}

// A record of a command file that ends in neither ";" nor "/" is no line: it is named with the
// prompt, the next record replaces it (and whatever "/" gathered before it), and the run fails;
// blank records and comments between the parts of a line are passed over without a word.
TEST_F(InputModeConsoleTest, AFileRecordWithoutAnEndIsNamedAndReplaced) {
    struct Case {
        const char* label;
        std::vector<std::string> records;  // the run's lines after "IN 1" and its range
        std::string named;                 // "" none
        float p7;                          // every note's duration
        int notes;
    };
    const std::vector<Case> cases = {
        {"a rhythm without its end",
         {"TR/C4/D/E/F;", "H", "Q;"},
         "Type  004  Rhythms >: H",
         1.0f,
         4},
        {"a notes line cut short",
         {"TR/C4/D/", "E", "F;", "Q;"},
         "Type Notes, Rest, Clefs, etc.  Semicolon = end. >: TR/C4/D/E",
         1.0f,
         1},
        {"a blank record and a comment inside",
         {"TR/C4/D/", "", "% two more", "E/F;", "H;"},
         "",
         2.0f,
         4},
        {"every record ended", {"TR/C4/D/E/F;", "H;"}, "", 2.0f, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        core::close_all_units();
        core::reset_engine();
        core::RunFailedWord = 0;
        {
            std::ofstream file("run.txt");
            file << "IN 1\n\n";
            for (const std::string& r : c.records) file << r << "\n";
            file << ";\n;\n;\n";
        }
        const std::string out = type({"RE run.txt"});
        const std::string named = "*** Not a complete line for ";
        if (c.named.empty()) {
            EXPECT_EQ(out.find(named), std::string::npos) << out;
            EXPECT_EQ(core::RunFailedWord, 0) << out;
        } else {
            EXPECT_NE(out.find(named + c.named + " -- the next line replaces it."),
                      std::string::npos)
                << out;
            EXPECT_EQ(out.find(named), out.rfind(named)) << out;
            EXPECT_EQ(core::RunFailedWord, 1) << out;
        }
        int notes = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const int32_t s = core::ItemStartTable(k);
            if (core::ItemStore(s + 1) != 1.0f) continue;
            ++notes;
            EXPECT_EQ(core::ItemStore(s + 7), c.p7) << out;
        }
        EXPECT_EQ(notes, c.notes) << out;
    }
}

// An input run at the page's item limit: a run that fits exactly is stored whole; one item
// more and the run adds nothing at all (its staff item and clef included), says so once and
// fails the script.
TEST_F(InputModeConsoleTest, ARunAtTheItemLimitIsStoredWholeOrNotAtAll) {
    // The run: a staff item, its clef and four notes.
    const std::vector<std::string> run = {
        "EI", "8 2 0", "1 2 10 5 0 0 4", "EI", "IN 1", "", "TR/C4/D/E/F;", "Q;", "N", ";", ";", ";",
        "X",  "N"};
    const int32_t kept = render::ItemCountLimit;
    for (const int room : {6, 5}) {
        SCOPED_TRACE(room);
        core::close_all_units();
        core::reset_engine();
        core::RunFailedWord = 0;
        render::ItemCountLimit = 2 + room;  // the two items typed first, then the room
        const std::string out = type(run);
        render::ItemCountLimit = kept;
        const std::string full = "**** The page is full: the input was not added.";
        if (room == 6) {
            EXPECT_EQ(core::ItemCount, 8) << out;
            EXPECT_EQ(out.find("page is full"), std::string::npos) << out;
            EXPECT_EQ(core::RunFailedWord, 0) << out;
        } else {
            EXPECT_EQ(core::ItemCount, 2) << out;
            EXPECT_NE(out.find(full), std::string::npos) << out;
            EXPECT_EQ(out.find("page is full"), out.rfind("page is full")) << out;
            EXPECT_EQ(out.find("Item limit"), std::string::npos) << out;
            EXPECT_EQ(core::RunFailedWord, 1) << out;
        }
    }
}

}  // namespace
