// A script's line given to a number question is read whole ("1e1" is 10). A line that is no
// number is named with the question and ends the word (a dialog of numbers: taken as its
// Cancel); an empty line takes the question's preset. The named line is dropped and the line
// after it runs. Each row ends with a marker save, whose fate tells whether the line after the
// answer ran, and a save of the page. The rows run piped, by "ormest --console FILE" and from a
// file read by RE where the question is asked there.
#include <cctype>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/files/document_files.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/script_roads.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// The reply names the line as the reader holds it: some readers hold it in capitals.
bool has_any_case(const std::string& out, const std::string& text) {
    const auto upper = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    return has(upper(out), upper(text));
}

bool holds(const std::vector<std::string>& records, const std::string& record) {
    for (const std::string& r : records)
        if (r == record) return true;
    return false;
}

constexpr const char* kMarker = "SA marker.mus";
constexpr const char* kOldLines = "old lines";

const std::vector<Road> kAllRoads = {Road::Piped, Road::ConsoleFile, Road::Re};
const std::vector<Road> kTypedRoads = {Road::Piped, Road::ConsoleFile};
const std::vector<Road> kFileRoad = {Road::Re};

struct Row {
    const char* label;
    std::vector<Road> roads;
    std::vector<std::string> lines;  // then the marker and "SA out.mus"
    std::string said;                // empty: nothing is named
    bool marker_runs;
    const char* page;              // the document out.mus must equal, or nullptr
    size_t records = 0;            // else: out.mus's record count
    const char* record = nullptr;  // and a record it holds
    bool lines_written = false;    // the input mode's lines were saved over lines.txt
    int status = -1;               // the run's status; -1: 1 when a line is named, else 0
    const char* never = nullptr;   // a reply the run must not give
};

class ScriptNumberAnswersConsoleTest : public ConsoleSessionTest {
  protected:
    fs::path root() const { return temp_.root(); }

    void make(const char* name, const std::vector<std::string>& items) {
        core::reset_engine();
        std::vector<std::string> lines = {"EI"};
        lines.insert(lines.end(), items.begin(), items.end());
        lines.push_back("EI");
        lines.push_back(std::string("SA ") + name);
        type(lines);
        core::reset_engine();
    }

    void fresh_files() {
        for (const char* name : {"a.mus", "t.mus", "two.mus", "out.mus", "marker.mus", "o.mus",
                                 "twp.mus", "s56.mus", "s57.mus"})
            fs::remove(root() / name);
        make("a.mus", {"8 1 0", "1 1 20 5 5 0 4", "1 1 40 6 5 0 4", "1 1 60 7 5 0 4"});
        // Notes whose stems turn: STU spaces them.
        make("t.mus", {"8 1 0", "1 1 20 5 15 0 4", "1 1 40 6 25 0 4", "1 1 60 7 15 0 4"});
        // Two groups of staves: H spreads a new height over them.
        make("two.mus", {"8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 40 6 5 0 4"});
        // Merged onto the second page (staff 201 on): the last staff lands on 256, or past it.
        make("s56.mus", {"8 56 0", "1 56 20 5 5 0 4"});
        make("s57.mus", {"8 56 0", "8 57 0", "1 57 20 5 5 0 4"});
        write_text(root() / "lines.txt", kOldLines);
        ASSERT_EQ(saved_records(root() / "a.mus").size(), 4u);
    }

    // A page of a staff and notes up to `items` items, made in the store as a loader makes it.
    void make_full(const char* name, int32_t items) {
        core::reset_engine();
        type({"EI", "8 1 0", "EI"});
        for (int32_t k = 2; k <= items; ++k)
            append_test_record({1, 1, static_cast<float>(10 + k % 180), 5, 5, 0, 4});
        type({std::string("SA ") + name});
        core::reset_engine();
    }

    std::string run_on(Road road, std::vector<std::string> lines) {
        lines.push_back(kMarker);
        lines.push_back("SA out.mus");
        if (road == Road::Piped) return type(lines);
        status_ = 0;
        if (road == Road::ConsoleFile) return run_console_file(root(), lines, &status_);
        // The page is loaded first, and the file asks the question.
        std::string text;
        for (std::size_t k = 1; k < lines.size(); ++k) text += lines[k] + "\n";
        write_text(root() / "s.re", text);
        return type({lines.front(), "RE s.re"});
    }

    void run_rows(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            for (const Road road : row.roads) {
                SCOPED_TRACE(std::string(row.label) + ", " + road_name(road));
                fresh_files();
                const std::string out = run_on(road, row.lines);
                if (row.said.empty()) {
                    EXPECT_FALSE(has(out, "Not an answer")) << out;
                } else {
                    EXPECT_TRUE(has_any_case(out, row.said)) << "missing: " << row.said << "\n"
                                                             << out;
                    // Named once, on one line with the question.
                    EXPECT_EQ(out.find("Not an answer"), out.rfind("Not an answer")) << out;
                }
                EXPECT_EQ(fs::exists(root() / "marker.mus"), row.marker_runs) << out;
                const std::vector<std::string> saved = saved_records(root() / "out.mus");
                if (row.page != nullptr) {
                    EXPECT_EQ(saved, saved_records(root() / row.page)) << out;
                } else {
                    EXPECT_EQ(saved.size(), row.records) << out;
                }
                if (row.record != nullptr) {
                    EXPECT_TRUE(holds(saved, row.record)) << "missing: " << row.record << "\n"
                                                          << out;
                }
                EXPECT_EQ(read_text(root() / "lines.txt") != kOldLines, row.lines_written) << out;
                if (row.never != nullptr) {
                    EXPECT_FALSE(has(out, row.never)) << "said: " << row.never << "\n" << out;
                }
                // A named line fails the run; a script whose every line answered does not.
                const int status = row.status >= 0 ? row.status : row.said.empty() ? 0 : 1;
                EXPECT_EQ(road_status(road, status_), status) << out;
            }
        }
    }

    int status_ = 0;  // the "--console FILE" road's exit status
};

std::vector<std::string> then(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

const std::string kEnded = " ended, nothing was changed.";

// The page's limits: an item, a text line or a staff that would pass them is refused whole,
// and the script's lines meant for it take nothing from the page.
TEST_F(ScriptNumberAnswersConsoleTest, WhatWouldPassThePagesLimitsIsRefusedWhole) {
    const std::string untaken =
        "*** Not taken: no item is being edited (the new item was not added): ";
    const std::string full = "**** The page is full: the item was not added (6000 items at most).";
    const std::string later = "*** Not entered: a line before it was refused: ";
    const std::string staff = "-- no input.";
    const std::string fullRun = "**** The page is full: the input was not added.";
    const std::vector<std::string> kRun = {"", "TR/C5/D/M;", "Q;", ";", ";", ";", "X", "N"};
    const std::vector<Row> rows = {
        {"a note past the item limit",
         kTypedRoads,
         {"G f6000.mus", "NOTE RHQ 1 30 5", "4 18", ",,,9", "X"},
         untaken + "4 18",
         true,
         "f6000.mus"},
        {"a rest past the item limit",
         kTypedRoads,
         {"G f6000.mus", "REST RHH", "4 18", "X"},
         untaken + "4 18",
         true,
         "f6000.mus"},
        {"a note past the item limit",
         kFileRoad,
         {"G f6000.mus", "NOTE RHQ 1 30 5", "4 18"},
         full,
         true,
         "f6000.mus"},
        {"a text line one unit short",
         kAllRoads,
         {"G f5999.mus", "T 1 20 5", "una dos tres"},
         full,
         true,
         "f5999.mus",
         0,
         nullptr,
         false,
         -1,
         "512 characters"},
        // The page-full reply is the word's one reply: no closing "text" after it.
        {"a text line one unit short, then X",
         kTypedRoads,
         {"G f5999.mus", "T 1 20 5", "una dos tres", "X"},
         full,
         true,
         "f5999.mus",
         0,
         nullptr,
         false,
         -1,
         "\ntext\n"},
        {"TT: a text line one unit short",
         kTypedRoads,
         {"G f5999.mus", "TT 1 20 5", "una dos tres", "X"},
         full,
         true,
         "f5999.mus",
         0,
         nullptr,
         false,
         -1,
         "512 characters"},
        {"a cut text line",
         kTypedRoads,
         {"G a.mus", "T 1 20 5", "cut " + std::string(600, 'a')},
         "*** The text line would pass 512 characters: it was not entered.",
         true,
         "a.mus",
         0,
         nullptr,
         false,
         -1,
         "\ntext\n"},
        // A copy of an edited item is a new item: refused at the limit, the edit kept.
        {"CX past the item limit",
         kTypedRoads,
         {"G f6000.mus", "I 6000", "5 9", "CX"},
         "**** The page is full: the copy was not made (6000 items at most).",
         true,
         nullptr,
         6000},
        {"C past the item limit",
         kTypedRoads,
         {"G f6000.mus", "I 6000", "5 9", "C", "X"},
         "**** The page is full: the copy was not made (6000 items at most).",
         true,
         nullptr,
         6000},
        {"C* 2 past the item limit",
         kTypedRoads,
         {"G f6000.mus", "I 6000", "5 9", "C* 2", "X"},
         "**** The page is full: the copy was not made (6000 items at most).",
         true,
         nullptr,
         6000},
        {"CX up to the item limit",
         kTypedRoads,
         {"G f5999.mus", "I 5999", "5 9", "CX", "X"},
         "",
         true,
         nullptr,
         6000},
        {"a text line that fits",
         kAllRoads,
         {"G f5999.mus", "T 1 20 5", "una"},
         "",
         true,
         nullptr,
         6000},
        {"TT: the lines after a refused one",
         kTypedRoads,
         {"G f5998.mus", "TT 1 20 5", "una", "dos tres", "SA o.mus", "4 18", "X"},
         later + "SA o.mus",
         true,
         nullptr,
         5999},
        // An input run is stored whole or not at all: one that does not fit says so once and
        // reads its later lines as its own (marks, beams, slurs, the menu's X, Continue's N),
        // asks nothing more (no bar lines for a run that adds nothing), its staff item taken
        // back.
        {"an input run past the item limit", kTypedRoads, then({"G f5999.mus", "IN 3"}, kRun),
         fullRun, true, "f5999.mus", 0, nullptr, false, -1, "Add bar lines"},
        {"an input run's staff item past the item limit", kTypedRoads,
         then({"G f6000.mus", "IN 3"}, kRun), fullRun, true, "f6000.mus", 0, nullptr, false, -1,
         "the item was not added"},
        {"an input run's rhythms past the item limit",
         kTypedRoads,
         {"G f6000.mus", "IN 3", "", "TR/D5/E5;", "Q/Q;", ";", ";", ";", "X", "N"},
         fullRun,
         true,
         "f6000.mus",
         0,
         nullptr,
         false,
         -1,
         "Input error"},
        {"an input run up to the item limit", kTypedRoads, then({"G f5995.mus", "IN 3"}, kRun), "",
         true, nullptr, 6000, "8 3 0 0 0 0"},
        {"an input run past the item limit",
         kFileRoad,
         {"G f5999.mus", "IN 3", "", "TR/C5/D/M;", "Q;", ";", ";", ";", "X"},
         fullRun,
         true,
         "f5999.mus",
         0,
         nullptr,
         false,
         -1,
         "Add bar lines"},
        {"IN past the last staff",
         kTypedRoads,
         {"G a.mus", "IN 257", ""},
         "*** Staff 257: staves are 1 to 256 " + staff,
         true,
         "a.mus"},
        // A command file's next lines were the run's music: the file stops.
        {"IN far past the last staff",
         kFileRoad,
         {"G a.mus", "IN 300", "", "C4;"},
         "*** Staff 300: staves are 1 to 256 " + staff + " The rest of the file was not read.",
         false,
         nullptr},
        {"IN 0 above staff 256",
         kTypedRoads,
         {"G a.mus", "GMR s56.mus", "IN 0"},
         "*** Staff 257: staves are 1 to 256 " + staff,
         true,
         nullptr,
         6,
         "8 256 0"},
    };
    for (const auto& [name, items] : {std::pair{"f6000.mus", 6000},
                                      {"f5999.mus", 5999},
                                      {"f5998.mus", 5998},
                                      {"f5995.mus", 5995}})
        make_full(name, items);
    run_rows(rows);
}

TEST_F(ScriptNumberAnswersConsoleTest, TheMergeOffsetTakesOneWholeStaffNumber) {
    const std::string named = "*** Not an answer to \"Type a number for staff offset.\": ";
    const auto gm = [](const char* answer) {
        return std::vector<std::string>{"G a.mus", "GM a.mus", answer};
    };
    const std::string kPast2 = " would put staff 2 past staff 256. Nothing was changed.";
    const std::string kPast57 = " would put staff 57 past staff 256. Nothing was changed.";
    const std::vector<Row> rows = {
        {"a word", kAllRoads, gm("zz"), named + "zz -- GM" + kEnded, true, "a.mus"},
        {"a number and junk", kAllRoads, gm("3junk"), named + "3JUNK -- GM" + kEnded, true,
         "a.mus"},
        {"two numbers", kAllRoads, gm("3 4"), named + "3 4 -- GM" + kEnded, true, "a.mus"},
        // The highest staff in use is the preset: the merge goes on above it.
        {"an empty line", kTypedRoads, gm(""), "", true, nullptr, 8, "8 2 0"},
        // A command file passes over its empty lines, comments and skipped blocks: the next
        // line is the answer.
        {"an empty line", kFileRoad, gm(""), named + kMarker + " -- GM" + kEnded, false, "a.mus"},
        {"a comment and a block", kFileRoad, then(gm("% the offset"), {"%%", "9", "%%", "1e1"}), "",
         true, nullptr, 8, "8 11 0"},
        {"1e1", kAllRoads, gm("1e1"), "", true, nullptr, 8, "8 11 0"},
        // The last staff number is 256: an offset of 255 puts staff 1 there.
        {"the highest offset", kTypedRoads, gm("255"), "", true, nullptr, 8, "8 256 0"},
        {"past the highest offset", kTypedRoads, gm("256"), named + "256 -- GM" + kEnded, true,
         "a.mus"},
        // A merge that would put a staff past 256 is refused whole; a command file stops there.
        {"a staff past the last",
         kTypedRoads,
         {"G a.mus", "GM two.mus", "255"},
         kPast2,
         true,
         "a.mus"},
        {"GMR onto the last staff",
         kAllRoads,
         {"G a.mus", "GMR s56.mus"},
         "",
         true,
         nullptr,
         6,
         "8 256 0"},
        {"GMR past the last staff",
         kTypedRoads,
         {"G a.mus", "GMR s57.mus"},
         kPast57,
         true,
         "a.mus"},
        {"GMR past the last staff", kFileRoad, {"G a.mus", "GMR s57.mus"}, kPast57, false, nullptr},
        // GMB merges after the highest staff: from 255 onto 256, from 256 past it.
        {"GMB onto the last staff",
         kAllRoads,
         {"G a.mus", "GM a.mus", "254", "GMB a.mus"},
         "",
         true,
         nullptr,
         12,
         "8 256 0"},
        {"GMB past the last staff",
         kTypedRoads,
         {"G a.mus", "GMR s56.mus", "GMB a.mus"},
         " would put staff 1 past staff 256. Nothing was changed.",
         true,
         nullptr,
         6,
         "8 256 0"},
    };
    run_rows(rows);
}

TEST_F(ScriptNumberAnswersConsoleTest, TheStaffToAdjustAndTheStepsToMoveEndTheirWordOnAWord) {
    const std::string staff =
        "*** Not an answer to \"Type number of staff containing notes to be adjusted.\": ";
    const std::string steps = "*** Not an answer to \"Enter steps to move up/down.\": ";
    const auto stu = [](const char* answer) {
        return std::vector<std::string>{"G t.mus", "STU", "1 0 200 1", "Y", answer};
    };
    // A command file gives STU's box unasked for.
    const auto stu_file = [](const char* answer) {
        return std::vector<std::string>{"G t.mus", "STU", "1 0 200 1", answer};
    };
    const auto mu = [](const char* answer) {
        return std::vector<std::string>{"G a.mus", "MU", "1 0 200 1", "Y", answer};
    };
    const std::vector<Row> rows = {
        {"STU, a word", kTypedRoads, stu("zz"), staff + "ZZ -- STU" + kEnded, true, "t.mus"},
        {"STU, a word", kFileRoad, stu_file("zz"), staff + "ZZ -- STU" + kEnded, true, "t.mus"},
        // No staff: nothing is adjusted, and nothing named.
        {"STU, an empty line", kTypedRoads, stu(""), "", true, "t.mus"},
        // A command file passes over its empty lines: the next line is the answer.
        {"STU, an empty line", kFileRoad, stu_file(""), staff + kMarker + " -- STU" + kEnded, false,
         "t.mus"},
        {"MU, a word", kTypedRoads, mu("zz"), steps + "ZZ -- MU" + kEnded, true, "a.mus"},
        {"MU, junk after the steps", kTypedRoads, mu("3 zz"), steps + "3 ZZ -- MU" + kEnded, true,
         "a.mus"},
        // No steps move nothing: "Nothing to do." fails the run, naming no line.
        {"MU, an empty line", kTypedRoads, mu(""), "", true, "a.mus", 0, nullptr, false, 1},
        {"MU, 1e1", kTypedRoads, mu("1e1"), "", true, nullptr, 4, "1 1 40 16 5 0 4"},
    };
    run_rows(rows);

    // At a terminal the steps keep their own refusal.
    fresh_files();
    EXPECT_TRUE(has(type_at_terminal(mu("2x")), "*** Not a number: 2X -- the line was not taken."));

    // The staff is read whole: 0.1e1 is staff 1, whose notes are spaced as for "1".
    std::vector<std::string> pages;
    for (const char* answer : {"1", "0.1e1"}) {
        fresh_files();
        const std::string out = run_on(Road::Piped, stu(answer));
        EXPECT_FALSE(has(out, "Not an answer")) << out;
        pages.push_back(read_text(root() / "out.mus"));
    }
    EXPECT_EQ(pages[0], pages[1]);
    EXPECT_NE(saved_records(root() / "out.mus"), saved_records(root() / "t.mus"));
}

// H asks its new size of the next line: a command file's, or the console's (it has no dialog).
TEST_F(ScriptNumberAnswersConsoleTest, TheNewSizeFromACommandFile) {
    const std::string named = "*** Not an answer to \"Type new size ->\": ";
    const auto h = [](const char* answer) {
        return std::vector<std::string>{"G two.mus", "H", answer};
    };
    const std::vector<Row> rows = {
        {"a word", kFileRoad, h("zz"), named + "ZZ -- H" + kEnded, true, "two.mus"},
        {"a height and junk", kFileRoad, h("5 junk"), named + "5 JUNK -- H" + kEnded, true,
         "two.mus"},
        // A command file's blank line answers nothing: the file's next line is the answer.
        {"an empty line", kFileRoad, h(""), named + "SA MARKER.MUS -- H" + kEnded, false,
         "two.mus"},
        {"a word", kTypedRoads, h("zz"), named + "zz -- H" + kEnded, true, "two.mus"},
        {"X", kAllRoads, h("X"), "", true, "two.mus"},
        // A blank line answers nothing on any road.
        {"an empty line", kTypedRoads, h(""), named + "SA marker.mus -- H" + kEnded, false,
         "two.mus"},
    };
    run_rows(rows);

    std::vector<std::vector<std::string>> pages;
    for (const char* answer : {"10", "1e1"}) {
        fresh_files();
        const std::string out = run_on(Road::Re, h(answer));
        EXPECT_FALSE(has(out, "Not an answer")) << out;
        pages.push_back(saved_records(root() / "out.mus"));
    }
    for (const Road road : kTypedRoads) {
        fresh_files();
        run_on(road, h("10"));
        EXPECT_EQ(saved_records(root() / "out.mus"), pages[0]) << road_name(road);
    }
    EXPECT_EQ(pages[0], pages[1]);
    EXPECT_NE(pages[1], saved_records(root() / "two.mus"));

    // The page typed in the same script, never drawn between its lines: H measures it all the
    // same, and its answer is the answer on every road, never an item.
    std::vector<std::vector<std::string>> typed;
    for (const Road road : kAllRoads) {
        SCOPED_TRACE(road_name(road));
        fresh_files();
        const std::string out = run_on(
            road, {"EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 40 6 5 0 4", "EI", "H", "10"});
        EXPECT_FALSE(has(out, "Not an answer")) << out;
        if (road != Road::Re) {
            EXPECT_TRUE(has(out, "Type new size ->")) << out;  // a file's read shows no question
        }
        typed.push_back(saved_records(root() / "out.mus"));
        EXPECT_EQ(typed.back().size(), 4u) << out;
        EXPECT_EQ(typed.back(), typed.front()) << out;
    }
    EXPECT_EQ(typed.front(), pages[0]);
}

// Ripple bars and the split into files ask their numbers as the next line on every road (the
// console has no dialogs): one script gives one page piped, by "--console FILE" and by RE. X
// alone is Cancel and the script goes on; a line that is no numbers is named and ends the word
// (a file read by RE stops there).
TEST_F(ScriptNumberAnswersConsoleTest, RippleBarsAndTheSplitAskTheirLineOnEveryRoad) {
    // Staff 2's last bar (its note at 140 marked with P4 7) goes to the end of staff 1.
    std::vector<std::string> staves;
    for (const char* s : {"1", "2"}) {
        staves.push_back(std::string("8 ") + s + " 0");
        for (const char* x : {"20", "60", "100", "140"}) {
            const bool marked = std::string(s) == "2" && std::string(x) == "140";
            staves.push_back(std::string("1 ") + s + " " + x + (marked ? " 7" : " 5") + " 5 0 4");
        }
        for (const char* x : {"50", "90", "130", "200"})
            staves.push_back(std::string("14 ") + s + " " + x);
    }
    make("r.mus", staves);
    type({"G r.mus", "RIP 1 2 1 1", "SA rippled.mus"});
    core::reset_engine();
    ASSERT_NE(saved_records(root() / "rippled.mus"), saved_records(root() / "r.mus"));

    const std::string rip = "*** Not an answer to \"Ripple bars.\": ";
    const std::string dec = "*** Not an answer to \"Decombine File\": ";
    const std::vector<Row> rows = {
        {"RIP, its line", kAllRoads, {"G r.mus", "RIP", "1 2 1 1"}, "", true, "rippled.mus"},
        {"RIP, X", kAllRoads, {"G r.mus", "RIP", " x "}, "", true, "r.mus"},
        {"RIP, X and a number",
         kTypedRoads,
         {"G r.mus", "RIP", "X 2"},
         rip + "X 2 -- RIP" + kEnded,
         true,
         "r.mus"},
        {"RIP, X and a number",
         kFileRoad,
         {"G r.mus", "RIP", "X 2"},
         rip + "X 2: the rest of the file was not read.",
         false,
         nullptr,
         0},
        {"RIP, a command",
         kTypedRoads,
         {"G r.mus", "RIP", "SA o.mus"},
         rip + "SA o.mus -- RIP" + kEnded,
         true,
         "r.mus"},
        // A blank line answers nothing: the line after it is the answer.
        {"RIP, a blank line",
         kTypedRoads,
         {"G r.mus", "RIP", "", "1 2 1 1"},
         "",
         true,
         "rippled.mus"},
        // The top group's file is two.mus itself: N keeps it; staff 1 goes to twp.mus.
        {"DEC, its line", kAllRoads, {"G two.mus", "DEC", "1", "N"}, "", true, "two.mus"},
        {"DEC, X", kAllRoads, {"G two.mus", "DEC", "X"}, "", true, "two.mus"},
        {"DEC, a word",
         kTypedRoads,
         {"G two.mus", "DEC", "1x"},
         dec + "1x -- DEC" + kEnded,
         true,
         "two.mus"},
    };
    run_rows(rows);

    for (const Road road : kAllRoads) {
        SCOPED_TRACE(road_name(road));
        for (const char* line : {"1", "x"}) {
            fresh_files();
            fs::remove(root() / "twp.mus");
            run_on(road, {"G two.mus", "DEC", line, "N"});
            const std::vector<std::string> split = saved_records(root() / "twp.mus");
            EXPECT_EQ(split.size(), std::string(line) == "1" ? 2u : 0u) << line;
            if (!split.empty()) {
                EXPECT_EQ(split[0], "8 1 0");
            }
        }
    }
    // At a terminal a line that is no numbers is refused as typed numbers are.
    fresh_files();
    EXPECT_TRUE(has(type_at_terminal({"G r.mus", "RIP", "1 2x"}),
                    "*** Not a number: 2x -- the line was not taken."));
}

// The input mode's dialogs of numbers: a script's line that is not all whole numbers is named
// and is the dialog's Cancel. The range's Cancel ends the input (the next line is a command);
// the bar lines' adds none, and the input goes on.
TEST_F(ScriptNumberAnswersConsoleTest, TheInputModesDialogsOfNumbersTakeAWordAsCancel) {
    const std::string bars =
        "*** Not an answer to \"Add Bar Lines: top bottom pickup-items staves-up\": ";
    const auto bar_lines = [](const char* answer) {
        return std::vector<std::string>{"G a.mus", "IN 1", "",  "C4/D/E/F;", "Q;", "Y",
                                        answer,    ";",    ";", ";",         "X",  "N"};
    };
    // Clef, meter, the four notes and staff 2's, without bar lines: 8 items; 9 with one bar
    // line after four quarters (the preset 4/4), 10 with two (2/4).
    const std::vector<Row> rows = {
        {"the range, a word",
         kTypedRoads,
         {"G a.mus", "IN 1", "zz"},
         "*** Not an answer to \"Input range: begin end [spacing staff]\": zz -- IN ended.",
         true,
         "a.mus"},
        {"bar lines, a word", kTypedRoads, bar_lines("zz"), bars + "zz -- taken as Cancel.", true,
         nullptr, 8},
        {"bar lines, five numbers", kTypedRoads, bar_lines("2 4 0 1 7"),
         bars + "2 4 0 1 7 -- taken as Cancel.", true, nullptr, 8},
        {"bar lines, four numbers", kTypedRoads, bar_lines("2 4 0 1"), "", true, nullptr, 10},
        {"bar lines, an empty line", kTypedRoads, bar_lines(""), "", true, nullptr, 9},
        {"bar lines, 2e0 4", kTypedRoads, bar_lines("2e0 4"), "", true, nullptr, 10},
    };
    run_rows(rows);
}

// IN's range line is read one way on every road: the same script piped, by "--console FILE"
// and from a file read by RE saves the same page with the same status. An empty line takes the
// range offered (the music starts past what the staff holds), a third number is the spacing
// staff, whose rhythms are looked for. The run on staff 2 of a.mus, whose staff 1 holds notes.
TEST_F(ScriptNumberAnswersConsoleTest, InsRangeReadsOneWayOnEveryRoad) {
    struct Case {
        const char* range;
        bool spaced;  // staff 2's notes stand where staff 1's do
    };
    for (const Case& c : {Case{"", false}, Case{"30 150", false}, Case{"30 150 0", false},
                          Case{"30 150 1", true}, Case{"SP 1", true}, Case{"2 200 7", false}}) {
        SCOPED_TRACE(std::string("range \"") + c.range + "\"");
        std::vector<std::vector<std::string>> pages;
        std::vector<int> statuses;
        for (const Road road : kAllRoads) {
            fresh_files();
            // "Add bar lines?", the menu and the next staff's question are not asked of a run
            // read by RE.
            const bool asked = road != Road::Re;
            std::vector<std::string> lines = {"G a.mus", "IN 2", c.range, "C4/D/E;", "Q;"};
            // A spacing staff's columns take no bar lines.
            if (asked && !c.spaced) lines.push_back("N");
            lines.insert(lines.end(), {";", ";", ";"});
            if (asked) lines.insert(lines.end(), {"X", "N"});
            const std::string out = run_on(road, lines);
            EXPECT_FALSE(has(out, "Not an answer")) << road_name(road) << out;
            pages.push_back(saved_records(root() / "out.mus"));
            statuses.push_back(road_status(road, status_));
        }
        EXPECT_EQ(pages[1], pages[0]);
        if (std::string(c.range) == "2 200 7") {
            // In a file read by RE the refusal stops the rest of the file: its save never runs.
            EXPECT_TRUE(pages[2].empty());
        } else {
            EXPECT_EQ(pages[2], pages[0]);
        }
        EXPECT_EQ(statuses[1], statuses[0]);
        EXPECT_EQ(statuses[2], statuses[0]);
        // Where staff 2's first note stands.
        float first = -1.0f;
        for (const std::string& r : pages[0]) {
            std::istringstream fields(r);
            float code = 0, staff = 0, x = 0;
            if (fields >> code >> staff >> x && code == 1.0f && staff == 2.0f && first < 0.0f)
                first = x;
        }
        if (std::string(c.range) == "2 200 7") {
            // No rhythms on staff 7: no run, and the run's lines were never its music.
            EXPECT_EQ(first, -1.0f);
        } else if (c.spaced) {
            EXPECT_EQ(first, 20.0f);
        } else if (std::string(c.range).empty()) {
            EXPECT_GE(first, 2.0f);
        } else {
            EXPECT_EQ(first, 30.0f);
        }
    }
}

// "File exists" after the closing menu's S: No asks for a name again, so a script's line that
// answers nothing ends the save instead of making its next line the name. Then the input asks
// to go on with the next staff, which takes a script's command line as No, named.
TEST_F(ScriptNumberAnswersConsoleTest, TheInputModesLastQuestionsNameACommandLine) {
    const std::vector<std::string> to_menu = {"G a.mus", "IN 1", "",  "C4/D;", "Q;",
                                              "N",       ";",    ";", ";"};
    const std::string over =
        "*** Not an answer to \"File exists - write over file?\": ZZQ -- S" + kEnded;
    const std::vector<Row> rows = {
        // The question shows its choices once.
        {"write over, a word", kTypedRoads, then(to_menu, {"S", "lines.txt", "ZZQ", "N"}),
         "File exists - write over file? (Y/N/X)\n" + over, true, nullptr, 6},
        {"write over, Y", kTypedRoads, then(to_menu, {"S", "lines.txt", "Y", "N"}), "", true,
         nullptr, 6, nullptr, true},
        {"continue, a command", kTypedRoads, then(to_menu, {"X", "SA o.mus"}),
         "*** Not an answer to \"Continue Input on Staff 002 ?\": SA o.mus -- taken as No.", true,
         nullptr, 6},
        // A command file's input asks no more: its next line is a command. Its input has no
        // menu either: the menu's answers are refused as music, and the run fails.
        {"continue, a command", kFileRoad, then(to_menu, {"X", "SA o.mus"}), "", true, nullptr, 6,
         nullptr, false, 1},
    };
    run_rows(rows);
    // Piped, the named command was dropped; from a command file it ran.
    for (const Road road : kAllRoads) {
        SCOPED_TRACE(road_name(road));
        fresh_files();
        run_on(road, then(to_menu, {"X", "SA o.mus"}));
        EXPECT_EQ(fs::exists(root() / "o.mus"), road == Road::Re);
    }
}

}  // namespace
