// The undo sweep: every command word that changes the page, typed on a page with two staves,
// beams, slurs and texts, then a plain item change, then UNDO: the page is again as the command
// left it. A command that held back its steps' undo copies and never let them go would make
// the change take no copy of its own, and UNDO would take the command back too.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/interpreter/item_names.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

// Two staves of a minuet's opening as its input run leaves them (clefs, keys, meters, bars,
// notes, a slur on each staff), two beams over the eighths of staff 2 and a library symbol;
// the two texts are typed after them.
const std::vector<std::string> kPageRecords = {
    "8 1 0 0 0 0",
    "3 1 2 0 1",
    "17 1 13.4 0 1 1",
    "18 1 17.4 0 3 4",
    "1 1 24.9 10 0 1 3 0 10",
    "1 1 24.9 12 0 1 3 0 10",
    "1 1 24.9 14 20 1 3 4 10",
    "5 1 24.9 16 14 114.196 5.59 -1",
    "14 1 70.6624 2",
    "1 1 74.0758 11 20 1 3 0 10",
    "14 1 110.782 2",
    "1 1 114.196 12 20 1 3 0 10",
    "14 1 159.768 2",
    "1 1 163.181 13 20 0 1",
    "1 1 175.5 14 20 0 1",
    "1 1 187.707 7 20 0 1",
    "14 1 200 2",
    "8 2 0 0 0 0",
    "3 2 2",
    "17 2 13.4 0 1",
    "18 2 17.4 0 3 4",
    "1 2 24.9 9 20 0 1",
    "1 2 37.1066 5 10 0 0.5 0 1",
    "5 2 37.1066 10 10 54.0404 1.59125 -1",
    "1 2 45.5735 6 10 0 0.5 0 1",
    "1 2 54.0404 7 20 0 0.5 0 1",
    "1 2 62.3081 8 20 0 0.5 0 1",
    "14 2 70.6624 1",
    "1 2 74.0758 9 20 0 1",
    "1 2 86.2824 5 10 0 1",
    "1 2 98.4891 5 10 0 1",
    "14 2 110.782 1",
    "1 2 114.196 10 20 0 1",
    "1 2 126.402 8 20 0 0.5 0 1",
    "1 2 134.67 9 20 0 0.5 0 1",
    "1 2 142.938 10 20 0 0.5 0 1",
    "1 2 151.413 8 22 0 0.5 0 1",
    "14 2 159.768 1",
    "1 2 163.181 9 20 0 1",
    "1 2 175.5 5 10 0 1",
    "1 2 187.707 5 10 0 1",
    "14 2 200 1",
    "9 2 90 12 3000",
    "6 2 37.1066 12 12 62.3081 1",
    "6 2 126.402 13 13 151.413 1",
};

std::vector<std::string> page_lines() {
    std::vector<std::string> lines = {"EI"};
    lines.insert(lines.end(), kPageRecords.begin(), kPageRecords.end());
    lines.insert(lines.end(), {"T 2 10 12", "Allegro", "T 1 60 -8", "dolce", "X", "SA page.mus"});
    return lines;
}

struct SweepCase {
    std::string word;                // the command word as the dispatch knows it
    std::vector<std::string> lines;  // the word's line and the answers it needs
    // The plain change when the command leaves no item 2 to edit: a new note.
    bool new_note = false;
};

// Words the sweep does not run, with the reason.
struct LeftOut {
    std::string word;
    const char* reason;
};

const std::vector<SweepCase> kCases = {
    {"A", {"A", "1 0 200 2 1", "Y", "4 1"}},
    {"BN", {"BN 1"}},
    {"C", {"C", "1 10 60 1", "Y", "1 100 150", "Y", "0"}},
    {"CUE", {"CUE", "1 10 60 1", "Y"}},
    {"CUE beams", {"CUE", "2 10 160 2", "Y"}},
    {"CRV", {"CRV 1 0 200 2"}},
    {"CM", {"CM 1 2"}},
    {"DE", {"DE", "1 10 60 1", "Y", "1"}},
    {"DEP", {"DEP"}, true},
    {"EN", {"EN 2 1"}},
    {"FLA", {"FLA", "1 0 200 2", "Y"}},
    {"FLU", {"FLU", "1 0 200 2", "Y"}},
    {"FLD", {"FLD", "2 0 200 2", "Y"}},
    {"FLO", {"FLO", "2 0 200 2", "Y"}},
    {"FLF", {"FLF", "2 0 200 2", "Y"}},
    {"FLV", {"FLV", "1 0 200 2", "Y"}},
    {"IF", {"IF p1=1 then p4=p4+1"}},
    {"IN", {"IN 1", "", "C5/D5;", "Q/Q;", ";", ";", ";", "X", "N"}},
    {"LJ", {"LJ", "1 2", "Y"}},
    {"M", {"M", "1 10 60 1", "Y", "1 100 150", "Y", "0"}},
    {"MU", {"MU", "1 10 60 1", "Y", "2"}},
    {"MD", {"MD", "1 10 60 1", "Y", "2"}},
    {"O", {"O"}},
    {"RS", {"RS", "Y"}},
    {"SE", {"SE 1 1 0 200 1"}},
    {"SEZ", {"SEZ"}},
    {"T", {"T 1 10 5", "text", "X"}},
    {"TR", {"TR 2 1"}},
    // The C words of an edited item: the slur (item 8) and the first text (item 46).
    {"I CRV", {"I 8", "CRV", "X"}},
    {"I CTN", {"I 46", "CTN", "X"}},
    {"I CTX", {"I 46", "CTX", "X"}},
};

const std::vector<LeftOut> kLeftOut = {
    {"CDA", "re-fits lines: the page has none"},
    {"CD*", "re-fits lines: the page has none"},
    {"CD ", "re-fits lines: the page has none"},
    {"CW*", "marks rests: the page has none"},
    {"CWA", "marks rests: the page has none"},
    {"CM*", "the same as CM"},
    {"CS ", "the copy of C through the M words' box menu (C runs)"},
    {"CS*", "the copy of C through the M words' box menu (C runs)"},
    {"CPX", "the copy of C (C runs)"},
    {"CT ", "writes a cut file: the page stays"},
    {"CT*", "writes a cut file: the page stays"},
    {"COM", "combines two document files: the page stays"},
    {"item COM", "typed alone it is the combine command (COM), not an item name"},
    {"CV", "makes a library symbol file: the page stays"},
    {"CDRW", "makes a library drawing file: the page stays"},
    {"I CD ", "re-fits the edited line: a slur is no line"},
    {"I CN ", "no change to a slur"},
    {"I CT ", "writes a cut file of the edited item: the page stays"},
    {"I CW ", "no change to a slur"},
    {"MX", "its step count is a window dialog (cancelled in the console)"},
    {"TR box", "its settings are a window dialog (cancelled in the console); TR with numbers runs"},
    {"STM", "adjusts notes of a staff: none of this page's needs it"},
    {"RIP", "ripple bars: changes nothing on a page without ripple bars"},
    {"G", "loads a document: a load ends the undo history"},
    {"H", "loads a recent document"},
    {"LAST", "loads the last document"},
    {"N", "the music directory: loads documents"},
    {"DX", "loads the next document of the music directory"},
    {"SA", "saves: a save ends the undo history"},
    {"UNDO", "the undo words themselves (UNDO, UNDELETE)"},
    {"RED", "REDO: the undo words themselves"},
    {"RE", "command files: their lines are the words of this table"},
    {"P", "printing, paper and play: the page stays"},
    {"B", "BOT and BE: view and beat count, the page stays"},
    {"E", "ED: the item-editing keywords, run on an edited item"},
    {"J", "J with a number: the view offset"},
    {"K", "view"},
    {"Q", "view"},
    {"V", "view and status"},
    {"W", "view and developer tests"},
    {"X", "view"},
    {"Y", "view"},
    {"Z", "zoom"},
    {"U", "U: extent report; UX: developer boxes"},
};

class UndoSweepConsoleTest : public ConsoleSessionTest {};

// The change the sweep types after each command: an edit of a stored item (the first staff's
// clef, P4), stored by X.
const std::vector<std::string> kPlainChange = {"I 2", ",,,9", "X"};
const std::vector<std::string> kNewNote = {"1 1 190 3 10 0 4", "X"};

TEST_F(UndoSweepConsoleTest, UndoAfterACommandAndAPlainChangeTakesBackTheChangeAlone) {
    type(page_lines());
    const std::vector<std::string> page = stored_item_lines();
    ASSERT_EQ(page.size(), kPageRecords.size() + 2);

    std::vector<SweepCase> cases = kCases;
    // Every item name is a command word that adds an item.
    std::set<std::string> names;
    for (int k = 1; k <= core::kItemNames; ++k) {
        std::string name(core::ItemNameTable(k).sub(1, 3));
        if (!names.insert(name).second) continue;
        while (!name.empty() && name.back() == ' ') name.pop_back();
        cases.push_back({"item " + name, {name == "RES" ? std::string("REST") : name, "X"}});
    }

    std::set<std::string> left_out;
    for (const LeftOut& l : kLeftOut) left_out.insert(l.word);
    for (const SweepCase& c : cases) {
        if (left_out.count(c.word) > 0) continue;
        SCOPED_TRACE(c.word);
        core::reset_engine();
        core::reset_service_gate();
        std::vector<std::string> lines = {"G page.mus"};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        type(lines);
        // The command is over: nothing waits for an answer.
        ASSERT_EQ(core::EditedItemNumber, 0);
        ASSERT_EQ(core::PendingBoxOperation, 0);
        ASSERT_EQ(input::InputParserMode, 0);
        const std::vector<std::string> after = stored_item_lines();
        EXPECT_TRUE(after != page) << "the command changed nothing";
        type(console_lines_then(c.new_note ? kNewNote : kPlainChange, {"UNDO"}));
        EXPECT_TRUE(stored_item_lines() == after) << "UNDO took back more than the change";
    }
}

// Every word of the dispatch's tables is swept or listed with its reason, and so is every
// first letter: a word added to a table is not left out of the sweep unnoticed.
TEST(UndoSweepTables, EveryTableWordAndLetterIsSweptOrListed) {
    std::set<std::string> known;
    for (const SweepCase& c : kCases) known.insert(c.word);
    for (const LeftOut& l : kLeftOut) known.insert(l.word);
    auto covered = [&](const std::string& word) {
        std::string trimmed = word;
        while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
        return known.count(word) > 0 || known.count(trimmed) > 0;
    };
    for (int k = 1; k <= core::kCWords; ++k) {
        const std::string word(core::CWordTable(k).sub(1, 3));
        if (word == "   ") continue;
        EXPECT_TRUE(covered(word == "C  " ? "C" : word)) << word;
    }
    for (int k = 1; k <= core::kEditCWords; ++k) {
        const std::string word(core::EditCWordTable(k).sub(1, 3));
        EXPECT_TRUE(covered("I " + word)) << word;
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const bool any = std::any_of(known.begin(), known.end(), [&](const std::string& w) {
            return !w.empty() && w[0] == letter;
        });
        EXPECT_TRUE(any) << letter;
    }
    for (const LeftOut& l : kLeftOut) EXPECT_NE(std::string(l.reason), "") << l.word;
}

}  // namespace
