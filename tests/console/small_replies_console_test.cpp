// Small promises of the input mode and the bar words: an invisible bar typed before any bar
// number spans its own staff, the marks, beams and slurs lines count notes (not rests) and name
// what they leave out, a ripple that moves nothing leaves a saved page saved, an edited item
// shows every parameter it holds, and a line named in a reply is named as it was typed.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"

namespace {

class SmallRepliesConsoleTest : public ConsoleSessionTest {
  protected:
    // The notes line typed as staff 1's input run, the rhythms given as quarters.
    std::string input_run(const std::string& notes, const std::string& rhythms) {
        return type({"IN 1", "", notes, rhythms, ";", ";", ";", "X", "N"});
    }
};

TEST_F(SmallRepliesConsoleTest, AnInvisibleBarSpansItsOwnStaffUntilANumberIsTyped) {
    const struct {
        const char* notes;
        std::vector<float> bar_p4;  // P4 of each stored bar line, in order
    } kCases[] = {
        {"TR/C4/MI/D;", {-1.0f}},
        {"TR/C4/MI1/D;", {-1.0f}},
        {"TR/C4/MI2/D;", {-2.0f}},
        // The number typed last carries over to a later invisible bar, and a plain M after an
        // invisible bar typed without one stays as it was.
        {"TR/C4/M2/D/MI/E;", {2.0f, -2.0f}},
        {"TR/C4/MI/D/M/E;", {-1.0f, 0.0f}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.notes);
        core::reset_engine();
        const std::string out = input_run(c.notes, "Q/Q/Q;");
        std::vector<float> p4;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 1) == 14.0f) p4.push_back(stored_param(k, 4));
        }
        EXPECT_EQ(p4, c.bar_p4) << out;
    }
}

TEST_F(SmallRepliesConsoleTest, MarksAndPairsCountNotesAndNameWhatNamesNoNote) {
    // Four notes and a rest: the rest takes a rhythm but no column of the later lines.
    const struct {
        const char* marks;
        const char* beams;
        const char* slurs;
        std::vector<float> p11;  // the mark code in P11 of the four notes
        int beams_made;
        std::vector<std::string> told;  // what the replies name
        std::vector<std::string> untold;
    } kCases[] = {
        {"A 2;", ";", ";", {0, 5, 0, 0}, 0, {}, {"names no note"}},
        // The last note by number, and one past it.
        {"S 4;", ";", ";", {0, 0, 0, 7}, 0, {}, {"names no note"}},
        {"S 5;", ";", ";", {0, 0, 0, 0}, 0, {"S 5  names no note: the line has 4 notes"}, {}},
        {"FE 9/TM2 5;",
         ";",
         ";",
         {0, 0, 0, 0},
         0,
         {"FE 9  names no note", "TM2 5  names no note"},
         {}},
        // A range that starts on the last note still marks it.
        {"A 4:6;", ";", ";", {0, 0, 0, 5}, 0, {}, {"names no note"}},
        {";", "2 3/5 6;", ";", {0, 0, 0, 0}, 1, {"5 6  names no note: the line has 4 notes"}, {}},
        {";", "3 4;", "7 8;", {0, 0, 0, 0}, 1, {"7 8  names no note"}, {}},
        // A beam whose second note is past the last is named too; a slur so runs on to the
        // staff's end and is kept.
        {";", "3 5;", ";", {0, 0, 0, 0}, 0, {"3 5  names no note: the line has 4 notes"}, {}},
        {";", "3 4/4 5;", "3 5;", {0, 0, 0, 0}, 1, {"4 5  names no note"}, {"3 5  names"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.marks) + " " + c.beams + " " + c.slurs);
        core::reset_engine();
        const std::string out =
            type({"IN 1", "", "TR/C4/R/D/E/F;", "E;", "N", c.marks, c.beams, c.slurs, "X", "N"});
        std::vector<float> p11;
        int beams = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            // The mark's code is P11's whole part; its fraction places it.
            if (stored_param(k, 1) == 1.0f) p11.push_back(std::trunc(stored_param(k, 11)));
            if (stored_param(k, 1) == 6.0f) ++beams;
        }
        EXPECT_EQ(p11, c.p11) << out;
        EXPECT_EQ(beams, c.beams_made) << out;
        for (const std::string& t : c.told) EXPECT_NE(out.find(t), std::string::npos) << t << out;
        for (const std::string& t : c.untold) EXPECT_EQ(out.find(t), std::string::npos) << t << out;
    }
}

TEST_F(SmallRepliesConsoleTest, ARippleThatMovesNothingLeavesTheSavedPageSaved) {
    const char* const kRefused[] = {
        "RIP 2 1 3 1",    // one system: the destination has no music
        "RIP 2 1 2 1",    // source and destination overlap
        "RIP 2 0 3 1",    // a bottom staff of 0
        "RIP 2 1 300 1",  // past 256 staves
    };
    int row = 0;
    for (const char* rip : kRefused) {
        SCOPED_TRACE(rip);
        core::reset_engine();
        input_run("TR/C4/M1/D/M1/E;", "Q/Q/Q;");
        const std::string saved = type({"SA one" + std::to_string(++row) + ".mus"});
        ASSERT_EQ(core::ChangesMadeFlag, 0) << saved;
        const std::string out = type({rip});
        EXPECT_NE(out.find("Nothing moved."), std::string::npos) << out;
        EXPECT_EQ(core::ChangesMadeFlag, 0) << out;
        EXPECT_EQ(out.find("not saved"), std::string::npos) << out;
    }
}

// A pair that gives the edited note a parameter it did not hold: the echoed row and the panel
// line show it (the panel has twenty places, the row every parameter up to P45), and X stores it.
TEST_F(SmallRepliesConsoleTest, AnEditedItemShowsEveryParameterItHolds) {
    const struct {
        const char* pair;
        const char* panel_end;  // the panel line's last value
        int last;               // the last parameter the row shows
        const char* saved;      // the note as saved
    } kCases[] = {
        {"11 14", "P11=  14.000", 11, "1 1 30 5 10 0 1 0 0 0 14"},
        // The panel's last place, and the last parameter a pair can set.
        {"20 3", "P20=   3.000", 20, "1 1 30 5 10 0 1 0 0 0 0 0 0 0 0 0 0 0 0 3"},
        {"45 1", "P20=   0.000", 45,
         "1 1 30 5 10 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
         "0 1"},
    };
    int row = 0;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pair);
        core::reset_engine();
        const std::string out = type({"EI", "8 1 0", "NOTE RHQ 1 30 5", "I 2", c.pair});
        const std::size_t panel = out.rfind("Item 2/2  NOTE");
        ASSERT_NE(panel, std::string::npos) << out;
        const std::string panel_line = out.substr(panel, out.find('\n', panel) - panel);
        EXPECT_TRUE(panel_line.ends_with(c.panel_end)) << panel_line;
        // The row: P4 from column 33, ten columns each.
        const std::size_t echo = out.rfind("   2 NOTE       1   1.0   30.00");
        ASSERT_NE(echo, std::string::npos) << out;
        const std::string echo_line = out.substr(echo, out.find('\n', echo) - echo);
        EXPECT_EQ(echo_line.size(), static_cast<std::size_t>(32 + 10 * (c.last - 4) + 7))
            << echo_line;
        const std::string file = "held" + std::to_string(++row) + ".mus";
        const std::string saved = type({"X", "SA " + file});
        const std::vector<std::string> records = saved_records(temp_.root() / file);
        ASSERT_EQ(records.size(), 2U) << saved;
        EXPECT_EQ(records[1], c.saved);
    }
}

// A script's line that answers nothing is named as it was typed, not as the readers rewrote it
// (upper case, "*" for a number or a gap, long words cut), once; the page stays and the script's
// next line runs.
TEST_F(SmallRepliesConsoleTest, ANamedLineIsShownAsItWasTyped) {
    const struct {
        const char* name;
        std::vector<std::string> lines;  // after the page is made
        const char* named;               // the reply that names the line
        const char* rewritten;           // a form of the line the reply must not show
    } kRows[] = {
        {"steps, a save",
         {"MU", "1 0 200 1", "Y", "SA q.mus"},
         "\"Enter steps to move up/down.\": SA q.mus -- MU ended",
         "SA*Q.MUS"},
        {"steps, nan", {"MD", "1 0 200 1", "Y", "nan"}, "\": nan -- MD ended", "NAn"},
        {"IF's box", {"IF", "nan 1"}, "*** Not a box: nan 1 -- IF ended", "NAn"},
        {"IF's condition",
         {"IF", "1 0 200 1", "Y", "SA p.mus"},
         "*** IF: cannot read the line at: SA p.mus -- nothing was changed.",
         "SAP.MUS"},
        // The area the command joins to the conditions is not the user's: never shown.
        {"IF's condition alone",
         {"IF", "1 0 200 1", "Y", "abc"},
         "*** IF: cannot read the line at: abc -- nothing was changed.",
         "(p2>="},
        {"IF's condition with its own joins",
         {"IF", "1 0 200 1", "Y", "sap.mus\\(p2}"},
         "*** IF: cannot read the line at: sap.mus\\(p2} -- nothing was changed.",
         "\\ ("},
        {"IF's actions",
         {"IF", "1 0 200 1", "Y", "p2=1;p4=qq"},
         "*** IF: cannot read the line at: qq -- nothing was changed.",
         "QQ"},
        {"the edit form's marks",
         {"EDI", "1 0 200 1", "Y", "", "", "", "", "N", "SA p.mus"},
         "*** Syntax Error ***  SA p.mus;",
         "SA P.MU"},
        {"STU's staff",
         {"STU", "1 0 200 1", "Y", "SA q.mus"},
         "\": SA q.mus -- STU ended",
         "SA*Q.MUS"},
    };
    for (const auto& row : kRows) {
        for (const bool file : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (file ? " --console FILE" : " piped"));
            core::reset_engine();
            std::filesystem::remove(temp_.root() / "out.mus");
            std::vector<std::string> lines = {"EI", "8 1 0", "1 1 20 5 5 0 1", "1 1 40 4 5 0 1"};
            lines.insert(lines.end(), row.lines.begin(), row.lines.end());
            lines.push_back("SA out.mus");
            const std::string out =
                file ? run_console_file(temp_.root(), lines) : run_console_script(lines);
            EXPECT_NE(out.find(row.named), std::string::npos) << out;
            EXPECT_EQ(out.find(row.rewritten), std::string::npos) << out;
            // Named once: the reply line does not show it again.
            const std::string typed = row.lines.back();
            EXPECT_EQ(out.find(typed, out.find(typed) + 1), std::string::npos) << out;
            EXPECT_EQ(saved_records(temp_.root() / "out.mus"),
                      (std::vector<std::string>{"8 1 0", "1 1 20 5 5 0 1", "1 1 40 4 5 0 1"}))
                << out;
        }
    }
}

}  // namespace
