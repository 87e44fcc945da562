// UNDO takes back the last word alone, whichever word it was: words that change the page in their
// own ways (and keep no undo copy of their own) are typed right after a load and after a plain
// change, and UNDO must give back the page before the word exactly, word for word of the store.
// Saves end the undo history, and a page that differs from its file is never shown as saved.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "tests/support/console_run.h"

namespace {

// Two staves with clefs, a key, meters, notes, a rest, bars (joined on staff 1), a position
// that a sort would round (110.737) and three text units typed after them, out of staff order.
const std::vector<std::string> kPageLines = {
    "EI",
    "8 1 0 0 0 0",
    "3 1 2 0 1",
    "17 1 13.4 0 1 1",
    "18 1 17.4 0 3 4",
    "1 1 24.9 10 10 0 1",
    "2 1 40 0 10 0 1",
    "14 1 70 2",
    "1 1 74 11 20 0 1",
    "1 1 110.737 9 20 0 1",
    "14 1 200 2",
    "8 2 0 0 0 0",
    "3 2 2",
    "18 2 17.4 0 3 4",
    "1 2 24.9 5 10 0 1",
    "14 2 70 1",
    "1 2 74 6 10 0 1",
    "14 2 200 1",
    "X",
    "T 2 10 12",
    "la la la",
    "X",
    "SA page.mus",
};

// The store as the document writer takes it: the used word count and every word's bits.
std::vector<uint32_t> store_bits() {
    std::vector<uint32_t> bits{static_cast<uint32_t>(core::ItemWordsUsed)};
    for (int32_t k = 1; k < core::ItemWordsUsed; ++k) {
        uint32_t b = 0;
        const float w = core::ItemStore(k);
        std::memcpy(&b, &w, sizeof b);
        bits.push_back(b);
    }
    return bits;
}

struct WordCase {
    const char* word;
    std::vector<std::string> lines;
    // Run in the item editor: its unstored changes mark the page changed before the word, so an
    // UNDO to the loaded page may still show it changed (never the other way round).
    bool in_editor = false;
    // Names the page anew: the page UNDO gives back is held by no file of that name, and is
    // never shown saved.
    bool renames = false;
};

// Each word with its answers; the item editor's words run on item 5 (a note of staff 1).
const std::vector<WordCase> kWords = {
    {"T", {"T 1 10 -5", "la la", "X"}},
    {"sung T", {"T 1 0 -5", "la la", "1 2", "X"}},
    {"BN", {"BN 1 2"}},
    {"CM", {"CM 1 2"}},
    {"CM*", {"CM* 1 2"}},
    {"CW*", {"CW* 1 2"}},
    {"CWA", {"CWA"}},
    {"JTX", {"JTX 2 0 200 2 2 12"}},
    {"PGR", {"PGR"}},
    {"RS", {"RS", "Y"}, false, true},
    {"STSP", {"STSP 1 1.5"}},
    {"VJ", {"VJ 4"}},
    {"UE on an edited item", {"I 5", "UE", "X"}, true},
    {"item editor C", {"I 5", "3 50", "C"}, true},
    {"item editor C, left", {"I 5", "3 50", "C", "X"}, true},
    // CC keeps the copy edited, where UNDO is the editor's word: the edit is left first.
    {"item editor CC", {"I 5", "3 50", "CC", "X"}, true},
    {"an item edited and stored", {"I 5", "3 50", "X"}, true},
};

// A plain change: the first staff's clef (item 2) edited and stored.
const std::vector<std::string> kPlainChange = {"I 2", ",,,9", "X"};

class UndoOnePlaceConsoleTest : public ConsoleSessionTest {
  protected:
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        type(kPageLines);
        ASSERT_EQ(core::ItemCount, 20);
    }
    // A fresh engine with page.mus loaded (no question about the last row's changes).
    std::vector<uint32_t> load_page(const std::string& name = "page.mus") {
        core::reset_engine();
        core::reset_service_gate();
        type({"G " + name});
        return store_bits();
    }
    // Leaves an edited item, so that the next load asks nothing.
    void leave_edit() {
        if (core::EditedItemNumber != 0) type({"X"});
    }
};

TEST_F(UndoOnePlaceConsoleTest, UndoAfterAWordTakesBackThatWordAloneInBothOrders) {
    for (const WordCase& c : kWords) {
        SCOPED_TRACE(c.word);
        // (i) the word right after a load: UNDO gives back the loaded page, shown as saved.
        const std::vector<uint32_t> loaded = load_page();
        type(c.lines);
        EXPECT_NE(store_bits(), loaded) << "the word changed nothing";
        // (An emptied page holds nothing to save.)
        if (core::ItemCount > 0) {
            EXPECT_EQ(core::ChangesMadeFlag, 1) << "the changed page is not marked changed";
        }
        const std::vector<uint32_t> after_word = store_bits();
        std::string reply = type({"UNDO"});
        EXPECT_EQ(reply.find("Nothing to UNDO"), std::string::npos) << reply;
        EXPECT_EQ(store_bits(), loaded) << "UNDO did not give back the loaded page";
        // The page is the file's again, even when the copy was taken with an edit open.
        const int32_t saved_mark = c.renames ? 1 : 0;
        EXPECT_EQ(core::ChangesMadeFlag, saved_mark) << "the saved page is not shown as saved";
        leave_edit();
        if (core::ItemCount > 0 && !c.in_editor) {
            type({"REDO"});
            EXPECT_EQ(store_bits(), after_word) << "REDO did not bring the word back";
            EXPECT_EQ(core::ChangesMadeFlag, 1) << "REDO: the changed page is shown saved";
            type({"UNDO"});
            EXPECT_EQ(store_bits(), loaded) << "UNDO after REDO";
            EXPECT_EQ(core::ChangesMadeFlag, saved_mark) << "UNDO after REDO: not shown saved";
        }

        // (ii) a plain change, then the word: UNDO takes back the word and keeps the change.
        load_page();
        type(kPlainChange);
        const std::vector<uint32_t> changed = store_bits();
        ASSERT_NE(changed, loaded);
        type(c.lines);
        reply = type({"UNDO"});
        EXPECT_EQ(store_bits(), changed) << "UNDO took back more than the word";
        EXPECT_EQ(core::ChangesMadeFlag, 1);
        leave_edit();

        // (iii) the word read from a command file: the file is one command, and UNDO gives back
        // the page before it.
        {
            std::ofstream file("word.txt");
            for (const std::string& line : c.lines) file << line << "\n";
        }
        load_page();
        type({"RE word.txt"});
        leave_edit();
        EXPECT_NE(store_bits(), loaded) << "the file changed nothing";
        reply = type({"UNDO"});
        EXPECT_EQ(store_bits(), loaded) << "UNDO did not give back the page before the file";
    }
}

// Words that round, sort or fill in words of the page before their own copy: UNDO gives back the
// records exactly as they were, bit for bit.
TEST_F(UndoOnePlaceConsoleTest, UndoGivesBackThePageExactly) {
    const std::vector<std::vector<std::string>> words = {{"TR 2 1"}, {"EN 2 1"}};
    for (const auto& lines : words) {
        SCOPED_TRACE(lines.front());
        const std::vector<uint32_t> loaded = load_page();
        type(console_lines_then(lines, {"UNDO"}));
        EXPECT_EQ(store_bits(), loaded);
    }

    // A page made by input runs keeps its staff items' P6 (0); a box move fills it in.
    core::reset_engine();
    core::reset_service_gate();
    type({"IN 1", "",          "C5/D5/E5/F5;", "Q/Q/Q/Q;", "N", ";", ";", ";", "X", "Y",
          "",     "C4/D4/E4;", "H/Q/Q;",       "N",        ";", ";", ";", "X", "N", "SA in.mus"});
    ASSERT_GE(core::ItemCount, 9);
    const std::vector<uint32_t> loaded = load_page("in.mus");
    type({"M", "2 0 120 2", "Y", "2 100 150", "Y", "0"});
    ASSERT_NE(store_bits(), loaded);
    type({"UNDO"});
    EXPECT_EQ(store_bits(), loaded);
}

// A word that is refused before it changes anything leaves a saved page saved and takes no undo
// copy: UNDO still has nothing to take back after the load, and after a change takes that back.
TEST_F(UndoOnePlaceConsoleTest, ARefusedWordLeavesASavedPageSaved) {
    const std::vector<std::vector<std::string>> refused = {
        {"RIP 1"},        // bars to move, but no staves per system
        {"RIP 2 1 2 1"},  // the two systems overlap
        {"RIP 1 1 2 9"},  // fewer bar lines than bars to move
    };
    for (const auto& lines : refused) {
        SCOPED_TRACE(lines.front());
        const std::vector<uint32_t> loaded = load_page();
        const std::string said = type(lines);
        EXPECT_NE(said.find("Nothing moved."), std::string::npos) << said;
        EXPECT_EQ(store_bits(), loaded);
        EXPECT_EQ(core::ChangesMadeFlag, 0) << "the unchanged page is shown changed";
        std::string reply = type({"UNDO"});
        EXPECT_NE(reply.find("*** Nothing to UNDO."), std::string::npos) << reply;

        type(kPlainChange);
        const std::vector<uint32_t> changed = store_bits();
        type(lines);
        EXPECT_EQ(store_bits(), changed);
        type({"UNDO"});
        EXPECT_EQ(store_bits(), loaded) << "UNDO did not take back the change before the word";
        EXPECT_EQ(core::ChangesMadeFlag, 0);
    }
}

// Words that end without changing the page (nothing of theirs on it, an edit stored as it was,
// an input run left at once) leave a saved page shown saved, on every road.
TEST_F(UndoOnePlaceConsoleTest, AWordThatChangesNothingLeavesASavedPageSaved) {
    const std::vector<std::vector<std::string>> words = {
        {"CDA"},
        {"CD 1"},
        {"CD* 1"},
        {"CRV 2 0 200 2"},
        {"IF p1=99 then p4=1"},
        {"I 5", "3 24.9", "X"},
        {"I 5", "C", "X"},
        {"IN 1", "X"},
    };
    for (const auto& lines : words) {
        SCOPED_TRACE(lines.front());
        const std::vector<uint32_t> loaded = load_page();
        type(lines);
        leave_edit();
        EXPECT_EQ(store_bits(), loaded) << "the word changed the page";
        EXPECT_EQ(core::ChangesMadeFlag, 0) << "the unchanged page is shown changed";
        // A change, then the word: the change stays marked.
        type(kPlainChange);
        type(lines);
        leave_edit();
        EXPECT_EQ(core::ChangesMadeFlag, 1);
    }
    // A new page no file holds: the words that find nothing there leave it with nothing to save
    // (IN makes a staff, I names no item), an item typed on it marks it changed, and UNDO back
    // to the empty page leaves nothing to save again.
    for (const auto& lines :
         std::vector<std::vector<std::string>>(words.begin(), words.begin() + 5)) {
        SCOPED_TRACE("new page: " + lines.front());
        core::reset_engine();
        type(lines);
        leave_edit();
        EXPECT_EQ(core::ChangesMadeFlag, 0) << "an empty new page is shown changed";
    }
    core::reset_engine();
    type({"EI", "8 1 0"});
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    type({"UNDO"});
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
}

// The units are saved with the page: UNDO back to the file's items in other units than the file's
// leaves the page shown changed.
TEST_F(UndoOnePlaceConsoleTest, APageInOtherUnitsThanItsFileIsNotShownSaved) {
    const std::vector<uint32_t> loaded = load_page();
    type({"METR"});
    ASSERT_EQ(core::MetricFlag, 1);
    type(kPlainChange);
    type({"UNDO"});
    EXPECT_EQ(store_bits(), loaded);
    EXPECT_EQ(core::MetricFlag, 1);
    EXPECT_EQ(core::ChangesMadeFlag, 1) << "the page in other units is shown saved";
    type({"REDO"});
    EXPECT_EQ(core::ChangesMadeFlag, 1);
}

// SM ends the undo history as SA does; an UNDO back to the page last saved shows it saved, and
// only then.
TEST_F(UndoOnePlaceConsoleTest, EverySaveEndsTheUndoHistory) {
    const std::vector<std::vector<std::string>> saves = {{"SM"}, {"SA page.mus", "Y"}};
    for (const auto& save : saves) {
        SCOPED_TRACE(save.front());
        load_page();
        type(console_lines_then({"NOTE 1 60 7", "X"}, save));
        const std::vector<uint32_t> saved = store_bits();
        const std::string reply = type({"UNDO"});
        EXPECT_NE(reply.find("*** Nothing to UNDO."), std::string::npos) << reply;
        EXPECT_EQ(store_bits(), saved);
        EXPECT_EQ(core::ChangesMadeFlag, 0);

        // A change after the save and UNDO: the page is the file's again, and shown saved.
        type({"NOTE 1 90 8", "X"});
        EXPECT_EQ(core::ChangesMadeFlag, 1);
        type({"UNDO"});
        EXPECT_EQ(store_bits(), saved);
        EXPECT_EQ(core::ChangesMadeFlag, 0);
        EXPECT_EQ(load_page(), saved) << "the file does not hold the page saved";
    }
}

}  // namespace
