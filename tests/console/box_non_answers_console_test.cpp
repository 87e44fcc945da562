// A line given to a box question that holds no box (a word, the script's next command, a number
// not read whole) is named. The words that end on it end and the script's next line runs; the
// words that read every line as a box name it and ask again; in a file read by RE the rest of
// the file is not read. Boxes and systems off staves 1..256 are refused the same way.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/settings_tables.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

enum class Road { Piped, ConsoleFile, Re };

// What a row's answer comes to: the word ends (its next line runs), the word asks again (its
// next line is refused too, or, for IFX, ends it as a word does), or the box is taken.
enum class Fate { Ends, AsksAgain, AsksAgainUntilWord, Taken };

struct Row {
    const char* word;
    const char* answer;
    Fate fate;
    std::string said;       // typed roads: the reply naming the line ("" for a box taken)
    std::string file_said;  // RE: the reply that stops the file ("" for a box taken)
    std::vector<std::string> file_then = {};   // RE: the lines a taken box still asks for
    bool typed_only = false;                   // a taken box asks what a file cannot give
    std::vector<std::string> typed_then = {};  // typed roads: the lines after a taken box ("X")
    std::vector<std::string> page = {};        // a taken box: the page marker.mus holds
};

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

std::string ends(const std::string& what, const std::string& word) {
    return what + " -- " + word + " ended, nothing was changed.";
}

std::string stops(const std::string& what) { return what + ": the rest of the file was not read."; }

class BoxNonAnswersConsoleTest : public ConsoleSessionTest {
  protected:
    void fresh_page() {
        for (const char* name : {"a.mus", "marker.mus", "out.mus", "typed.mus", "p.mus"})
            fs::remove(temp_.root() / name);
        core::reset_engine();
        type({"EI", "8 1 0", "1 1 20 5 5 0 4", "1 1 40 6 5 0 4", "1 1 60 7 5 0 4", "EI",
              "SA a.mus"});
        core::reset_engine();
    }
    bool saved(const char* name) const { return fs::exists(temp_.root() / name); }

    std::string run_on(Road road, const std::vector<std::string>& lines) {
        if (road == Road::Piped) return type(lines);
        status_ = 0;
        if (road == Road::ConsoleFile) return run_console_file(temp_.root(), lines, &status_);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        write_text(temp_.root() / "f.re", text);
        return type({"RE f.re", "SA typed.mus"});
    }
    // The status the run ends with: the program's on the "--console FILE" road, the run's mark
    // (which the program turns into its status) for the lines run here.
    int status(Road road) const {
        return road == Road::ConsoleFile ? status_ : (core::RunFailedWord != 0 ? 1 : 0);
    }

    int status_ = 0;
};

TEST_F(BoxNonAnswersConsoleTest, ALineThatIsNoBoxIsNamedOnEveryRoad) {
    const std::string staves = "*** Staff numbers are 1 to 256 -- no box: ";
    const std::string again = " -- the box is asked again.";
    // The page after Group Alter set P4 of every note to 1.
    const std::vector<std::string> notes_at_1 = {"8 1 0", "1 1 20 1 5 0 4", "1 1 40 1 5 0 4",
                                                 "1 1 60 1 5 0 4"};
    const std::vector<Row> rows = {
        {"CUE", "ZZQ", Fate::Ends, ends("*** Not a box: ZZQ", "CUE"), stops("*** Not a box: ZZQ")},
        {"DE", "EI", Fate::Ends, ends("*** Not a box: EI", "DE"), stops("*** Not a box: EI")},
        {"MX", "1 0 200 1 junk", Fate::Ends,
         ends("*** Not a number: junk in \"1 0 200 1 junk\"", "MX"),
         stops("*** Not a number: junk in \"1 0 200 1 junk\"")},
        {"D", "1 nan 200 1", Fate::Ends, ends("*** Not a number: nan in \"1 nan 200 1\"", "D"),
         stops("*** Not a number: nan in \"1 nan 200 1\"")},
        {"TR", "10abc", Fate::Ends, ends("*** Not a number: 10abc in \"10abc\"", "TR"),
         stops("*** Not a number: 10abc in \"10abc\"")},
        {"TR", "257 0 200 257", Fate::Ends, staves + "257 0 200 257",
         stops(staves + "257 0 200 257")},
        {"J", "ZZQ", Fate::Ends, ends("*** Not a box: ZZQ", "J"), stops("*** Not a box: ZZQ")},
        // The justify words' system line alone takes a staff above 256 (staves 1 to 256).
        {"LJ", "257 1", Fate::Taken, "", ""},
        {"LI", "-1 1", Fate::Ends, ends(staves + "-1 1", "LI"), stops(staves + "-1 1")},
        // The last staff, and a system that reaches it or one past it.
        {"LJ", "255 3", Fate::Taken, "", ""},
        {"LJ", "255 2", Fate::Taken, "", ""},
        {"J", "256 1", Fate::Taken, "", ""},
        {"LS", "1 1 junk", Fate::Ends, ends("*** Not a number: junk in \"1 1 junk\"", "LS"),
         stops("*** Not a number: junk in \"1 1 junk\"")},
        {"M", "ZZQ", Fate::AsksAgain, "*** Not a box: ZZQ" + again, stops("*** Not a box: ZZQ")},
        {"CT", "1 1e1x 200 1", Fate::AsksAgain,
         "*** Not a number: 1e1x in \"1 1e1x 200 1\"" + again,
         stops("*** Not a number: 1e1x in \"1 1e1x 200 1\"")},
        {"C", "1 inf 200 1", Fate::AsksAgain, "*** Not a number: inf in \"1 inf 200 1\"" + again,
         stops("*** Not a number: inf in \"1 inf 200 1\"")},
        {"MU", "ZZQ", Fate::AsksAgain, "*** Not a box: ZZQ" + again, ""},
        // The system words: lowest staff and count, the top staff at most 256.
        {"MS", "ZZQ", Fate::Ends, ends("*** Not a box: ZZQ", "MS"), stops("*** Not a box: ZZQ")},
        {"CS", "1 1 junk", Fate::Ends, ends("*** Not a number: junk in \"1 1 junk\"", "CS"),
         stops("*** Not a number: junk in \"1 1 junk\"")},
        {"MS", "257 1", Fate::Ends, staves + "257 1", stops(staves + "257 1")},
        {"CS", "256 2", Fate::Ends, staves + "256 2", stops(staves + "256 2")},
        {"MS", "256 1", Fate::Taken, "", "", {"1"}},
        {"CS", "255 2", Fate::Taken, "", "", {"1"}},
        // Group Alter ends on a line that is no box.
        {"A", "ZZQ", Fate::Ends, ends("*** Not a box: ZZQ", "A"), stops("*** Not a box: ZZQ")},
        {"A", "-1 0 200 1", Fate::Ends, staves + "-1 0 200 1", stops(staves + "-1 0 200 1")},
        {"A", "257 0 200 257", Fate::Ends, staves + "257 0 200 257",
         stops(staves + "257 0 200 257")},
        {"A", "1 0 200 1 junk", Fate::Ends,
         ends("*** Not a number: junk in \"1 0 200 1 junk\"", "A"),
         stops("*** Not a number: junk in \"1 0 200 1 junk\"")},
        {"A", "256 0 200 256", Fate::Taken, "", "", {"1", "400 1"}},
        {"A",
         "1 0 200 1",
         Fate::Taken,
         "",
         "",
         {"1", "4 1"},
         false,
         {"Y", "1", "4 1"},
         {"8 1 0", "1 1 20 1 5 0 4", "1 1 40 1 5 0 4", "1 1 60 1 5 0 4"}},
        {"A",
         "1 0 200 1 1",
         Fate::Taken,
         "",
         "",
         {"4 1"},
         false,
         {"Y", "4 1"},
         {"8 1 0", "1 1 20 1 5 0 4", "1 1 40 1 5 0 4", "1 1 60 1 5 0 4"}},
        // IFX asks for box after box until a word; a file cannot give them.
        {"IFX P1=1;P4=P4+1", "257 0 200 257", Fate::AsksAgainUntilWord, staves + "257 0 200 257",
         ""},
        {"IFX P1=1;P4=P4+1", "1 0 200 1 junk", Fate::AsksAgainUntilWord,
         "*** Not a number: junk in \"1 0 200 1 junk\"" + again, ""},
        {"IFX P1=1;P4=P4+1", "256 0 200 256", Fate::Taken, "", "", {}, true},
        // The stem words end on a line that is no box.
        {"FLU", "ZZQ", Fate::Ends, ends("*** Not a box: ZZQ", "FLU"), stops("*** Not a box: ZZQ")},
        {"FLN", "257 0 200 1", Fate::Ends, staves + "257 0 200 1", stops(staves + "257 0 200 1")},
        {"PL", "1 0 200 1 junk", Fate::Ends,
         ends("*** Not a number: junk in \"1 0 200 1 junk\"", "PL"),
         stops("*** Not a number: junk in \"1 0 200 1 junk\"")},
        {"FLD", "256 0 200 256", Fate::Taken, "", ""},
        // The staff-notes words and EDI read every line as a box.
        {"STU", "ZZQ", Fate::AsksAgain, "*** Not a box: ZZQ" + again, stops("*** Not a box: ZZQ")},
        {"STM", "1 0 200 1 junk", Fate::AsksAgain,
         "*** Not a number: junk in \"1 0 200 1 junk\"" + again,
         stops("*** Not a number: junk in \"1 0 200 1 junk\"")},
        {"STM", "257 0 200 1", Fate::AsksAgain, staves + "257 0 200 1",
         stops(staves + "257 0 200 1")},
        {"STU", "256 0 200 256", Fate::Taken, "", "", {"X"}},
        {"STM", "256 0 200 256", Fate::Taken, "", ""},
        {"EDI", "ZZQ", Fate::AsksAgain, "*** Not a box: ZZQ" + again, stops("*** Not a box: ZZQ")},
        {"EDI", "257 0 200 1", Fate::AsksAgain, staves + "257 0 200 1",
         stops(staves + "257 0 200 1")},
        {"EDI", "256 0 200 256", Fate::Taken, "", "", {}, true},
        // The justify words' "lowest staff, how many".
        {"JR", "257 1", Fate::Taken, "", ""},
        {"JR", "-5 1", Fate::Ends, ends(staves + "-5 1", "JR"), stops(staves + "-5 1")},
        {"JR", "1e1 1", Fate::Taken, "", ""},
        {"LS", "256 1", Fate::Taken, "", ""},
        // A longer line starting X or I is no way out of a box: named, the word ends.
        {"DE", "IF P1=1;P4=P4+1", Fate::Ends, ends("*** Not a box: IF P1=1;P4=P4+1", "DE"),
         stops("*** Not a box: IF P1=1;P4=P4+1")},
        {"DE", "IN 1", Fate::Ends, ends("*** Not a box: IN 1", "DE"), stops("*** Not a box: IN 1")},
        {"TR", "INVI", Fate::Ends, ends("*** Not a box: INVI", "TR"), stops("*** Not a box: INVI")},
        // The words that ask their box again leave only on a bare leave word.
        {"M", "I 2", Fate::AsksAgain, "*** Not a box: I 2" + again, stops("*** Not a box: I 2")},
        {"M", "X 2", Fate::AsksAgain, "*** Not a box: X 2" + again, stops("*** Not a box: X 2")},
        {"C", "AB 1", Fate::AsksAgain, "*** Not a box: AB 1" + again, stops("*** Not a box: AB 1")},
        {"MD", "XX", Fate::AsksAgain, "*** Not a box: XX" + again, ""},
        {"M", " X", Fate::Ends, "", ""},
        {"STM", "  ab", Fate::Ends, "", ""},
        {"STU", "X 1", Fate::AsksAgain, "*** Not a box: X 1" + again, stops("*** Not a box: X 1")},
        {"STM", "IN 2", Fate::AsksAgain, "*** Not a box: IN 2" + again,
         stops("*** Not a box: IN 2")},
        {"LJ", "inf 1", Fate::Ends, ends("*** Not a box: inf 1", "LJ"),
         stops("*** Not a box: inf 1")},
        {"MS", "XX", Fate::Ends, ends("*** Not a box: XX", "MS"), stops("*** Not a box: XX")},
        {"FLU", "X 1", Fate::Ends, ends("*** Not a box: X 1", "FLU"), stops("*** Not a box: X 1")},
        {"CT 1", "IN 2", Fate::AsksAgain, "*** Not a box: IN 2" + again,
         stops("*** Not a box: IN 2")},
        {"TYPB", "ZZQ", Fate::AsksAgain, "*** Not a box: ZZQ" + again, ""},
        {"TYPB", "INVI", Fate::AsksAgain, "*** Not a box: INVI" + again, ""},
        // "ALL" (the group palette's "All staves") is every staff over the whole width; for a
        // system question every staff as one system.
        {"A", "all ", Fate::Taken, "", "", {"1", "4 1"}, false, {"Y", "1", "4 1"}, notes_at_1},
        {"LJ", "ALL", Fate::Taken, "", ""},
        {"MS", "ALL", Fate::Taken, "", "", {"1"}},
        {"FLD", "ALL", Fate::Taken, "", ""},
        {"STU", "ALL", Fate::Taken, "", "", {"X"}},
        {"EDI", "ALL", Fate::Taken, "", "", {}, true},
        // A word starting B ends only where B alone ends the box, and is named elsewhere.
        {"DE", "BB", Fate::Ends, ends("*** Not a box: BB", "DE"), stops("*** Not a box: BB")},
        {"TR", "BN 1 1", Fate::Ends, ends("*** Not a box: BN 1 1", "TR"),
         stops("*** Not a box: BN 1 1")},
        // BE's count loop reads its staff whole, on staves 1 to 256.
        {"BE", "SA x.mus", Fate::Ends, ends("*** Not a box: SA x.mus", "BE"),
         stops("*** Not a box: SA x.mus")},
        {"BE", "10abc", Fate::Ends, ends("*** Not a number: 10abc in \"10abc\"", "BE"),
         stops("*** Not a number: 10abc in \"10abc\"")},
        {"BE", "257", Fate::Ends, ends(staves + "257", "BE"), stops(staves + "257")},
        {"BE", "0", Fate::Ends, "", ""},
        {"BE", "B", Fate::Ends, ends("*** Not a box: B", "BE"), stops("*** Not a box: B")},
        {"BE", "256", Fate::Taken, "", "", {"X"}},
        {"BE", "1e1", Fate::Taken, "", "", {"X"}},
    };
    for (const Row& row : rows) {
        for (const Road road : {Road::Piped, Road::ConsoleFile, Road::Re}) {
            // MU cannot be read from a command file at all.
            if (road == Road::Re && row.file_said.empty() && row.fate != Fate::Taken) continue;
            if (road == Road::Re && row.typed_only) continue;
            SCOPED_TRACE(std::string(row.word) + " [" + row.answer + "] road " +
                         std::to_string(static_cast<int>(road)));
            fresh_page();
            const bool re = road == Road::Re;
            std::vector<std::string> lines = {"G a.mus", row.word, row.answer};
            if (row.fate == Fate::Taken && !re) {
                if (row.typed_then.empty()) lines.push_back("X");
                lines.insert(lines.end(), row.typed_then.begin(), row.typed_then.end());
            }
            if (row.fate == Fate::Taken && re) {
                lines.insert(lines.end(), row.file_then.begin(), row.file_then.end());
            }
            lines.push_back("SA marker.mus");
            if (!re) lines.insert(lines.end(), {"X", "SA out.mus"});
            const std::string out = run_on(road, lines);
            // A named line fails the run; a box taken, or a word that ends quietly, does not.
            const bool named = !(re ? row.file_said : row.said).empty();
            // A box taken that the word then refuses to work on fails the run too.
            const bool refused = has(out, "*** Can't flip");
            EXPECT_EQ(status(road), named || refused ? 1 : 0) << out;
            if (row.fate == Fate::Taken) {
                EXPECT_FALSE(has(out, "no box")) << out;
                EXPECT_TRUE(saved("marker.mus")) << out;
                if (!row.page.empty()) {
                    EXPECT_EQ(saved_records(temp_.root() / "marker.mus"), row.page) << out;
                }
                continue;
            }
            if (re) {
                EXPECT_TRUE(has(out, row.file_said)) << out;
                EXPECT_FALSE(saved("marker.mus")) << "the file went on\n" << out;
                EXPECT_TRUE(saved("typed.mus")) << "the line typed after RE was eaten\n" << out;
                continue;
            }
            EXPECT_TRUE(has(out, row.said)) << out;
            if (row.fate == Fate::Ends) {
                EXPECT_TRUE(saved("marker.mus")) << "the next line did not run\n" << out;
                // Nothing of the page changed: the marker saved the page as loaded.
                EXPECT_EQ(saved_records(temp_.root() / "marker.mus"),
                          saved_records(temp_.root() / "a.mus"))
                    << out;
            } else if (row.fate == Fate::AsksAgainUntilWord) {
                EXPECT_NE(out.find("Leaving Group Edit.", out.find(row.said)), std::string::npos)
                    << out;
                EXPECT_FALSE(saved("marker.mus")) << out;
            } else {
                EXPECT_TRUE(has(out, "*** Not a box: SA marker.mus" + again)) << out;
                EXPECT_FALSE(saved("marker.mus")) << out;
                EXPECT_EQ(saved_records(temp_.root() / "out.mus"),
                          saved_records(temp_.root() / "a.mus"))
                    << out;
            }
            EXPECT_TRUE(saved("out.mus")) << out;
        }
    }
}

// Typed at a terminal too, a word that asks its box again leaves only on a bare leave word: a
// longer line is named and the box asked again, and the bare word then leaves. A word that ends
// on a line that is no box still leaves on such a line.
TEST_F(BoxNonAnswersConsoleTest, AtATerminalOnlyABareLeaveWordLeavesABoxAskedAgain) {
    struct Typed {
        const char* word;
        const char* line;
        std::string said;
    };
    const std::vector<Typed> rows = {
        {"M", "X 2", "*** Not a box: X 2 -- the box is asked again."},
        {"STM", "AB 1", "*** Not a box: AB 1 -- the box is asked again."},
        {"DE", "X 2", "Leaving Group Edit."},
        {"STU", " I", "Leaving Group Edit."},
        {"C", " AB", "Leaving Group Edit."},
    };
    for (const Typed& row : rows) {
        SCOPED_TRACE(std::string(row.word) + " [" + row.line + "]");
        fresh_page();
        const std::string out =
            type({"G a.mus", row.word, row.line, "X", "SA out.mus"}, /*at_terminal=*/true);
        EXPECT_TRUE(has(out, row.said + "\n")) << out;
        // The line after the named one left the box: one leave, then the save ran.
        EXPECT_EQ(out.find("Leaving Group Edit."), out.rfind("Leaving Group Edit.")) << out;
        EXPECT_EQ(saved_records(temp_.root() / "out.mus"), saved_records(temp_.root() / "a.mus"))
            << out;
    }
}

// A box's numbers are read whole: "1e1" is 10, so M moves the notes ten places right, MS moves
// the system to staff 10, and A's box reaches x 30 (not 3) and takes the first note.
TEST_F(BoxNonAnswersConsoleTest, AnExponentInABoxIsRead) {
    struct Case {
        std::vector<std::string> lines;
        std::size_t item;
        std::string starts;
    };
    const std::vector<Case> cases = {
        {{"G a.mus", "M", "1 0 200 1", "Y", "1 1e1 0 1", "Y", "0", "SA out.mus"}, 1, "1 1 30 "},
        {{"G a.mus", "MS", "1 1", "Y", "1e1", "Y", "SA out.mus"}, 1, "1 10 20 "},
        {{"G a.mus", "A", "1 0 3e1 1", "Y", "1", "400 1", "SA out.mus"}, 1, "1 1 20 6 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines[1]);
        fresh_page();
        const std::string out = type(c.lines);
        const std::vector<std::string> items = stored_item_lines();
        ASSERT_EQ(items.size(), 4u) << out;
        EXPECT_EQ(items[c.item].rfind(c.starts, 0), 0u) << items[c.item] << "\n" << out;
    }
}

// "ALL" as MS's or CS's system is every staff of the page as one system, typed or read from a
// file: both staves of a page joined by a bar line land on 10 and 11 (CS keeps them on 1 and 2).
TEST_F(BoxNonAnswersConsoleTest, AllAsASystemTakesEveryStaffOnEveryRoad) {
    struct Case {
        const char* word;
        Road road;
        std::vector<std::string> lines;  // after "G two.mus"
        std::vector<float> staves;       // P2 of the staff items saved, in order
    };
    const std::vector<Case> cases = {
        {"MS", Road::Piped, {"MS", "ALL", "Y", "10", "Y"}, {10, 11}},
        {"MS", Road::ConsoleFile, {"MS", "ALL", "Y", "10", "Y"}, {10, 11}},
        {"MS", Road::Re, {"MS", "ALL", "10"}, {10, 11}},
        {"CS", Road::Piped, {"CS", "ALL", "Y", "10", "Y"}, {1, 2, 10, 11}},
        {"CS", Road::Re, {"CS", "ALL", "10"}, {1, 2, 10, 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.word) + " road " + std::to_string(static_cast<int>(c.road)));
        fresh_page();
        type({"EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 20 5 5 0 4", "14 1 60 2", "EI",
              "SA two.mus"});
        core::reset_engine();
        std::vector<std::string> lines = {"G two.mus"};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        if (c.road != Road::Re) lines.push_back("SA out.mus");
        std::string out = run_on(c.road, lines);
        if (c.road == Road::Re) out += type({"SA out.mus"});
        EXPECT_EQ(status(c.road), 0) << out;
        std::vector<float> staves;
        for (const std::string& record : saved_records(temp_.root() / "out.mus")) {
            if (record.rfind("8 ", 0) == 0) staves.push_back(std::stof(record.substr(2)));
        }
        EXPECT_EQ(staves, c.staves) << out;
    }
}

// LJA justifies the system its notes span: notes on staff 0 make a system off the staves, named
// as the typed line would be (a file stops there); with no note of a rhythm there is no system,
// said so, and a file goes on.
TEST_F(BoxNonAnswersConsoleTest, LjaNamesTheSystemItFound) {
    struct Page {
        std::vector<std::string> items;
        std::string said;
        bool file_stops;
    };
    const std::string staves = "*** Staff numbers are 1 to 256 -- no box: ";
    const std::vector<Page> pages = {
        {{"8 1 0", "1 0 20 5 5 0 4", "1 1 40 6 5 0 4"}, staves + "0 2", true},
        {{"8 1 0"}, "*** No note with a rhythm: LJA ended, nothing was changed.", false},
    };
    for (const Page& page : pages) {
        for (const Road road : {Road::Piped, Road::ConsoleFile, Road::Re}) {
            SCOPED_TRACE(page.said + " road " + std::to_string(static_cast<int>(road)));
            fresh_page();
            std::vector<std::string> make = {"EI"};
            make.insert(make.end(), page.items.begin(), page.items.end());
            make.insert(make.end(), {"EI", "SA p.mus"});
            type(make);
            core::reset_engine();
            const bool re = road == Road::Re;
            const std::string out = run_on(road, {"G p.mus", "LJA", "SA marker.mus"});
            if (re && page.file_stops) {
                EXPECT_TRUE(has(out, stops(page.said))) << out;
                EXPECT_FALSE(saved("marker.mus")) << out;
                EXPECT_TRUE(saved("typed.mus")) << out;
                continue;
            }
            EXPECT_TRUE(has(out, page.file_stops ? ends(page.said, "LJA") : page.said)) << out;
            EXPECT_TRUE(saved("marker.mus")) << out;
        }
    }
}

}  // namespace
