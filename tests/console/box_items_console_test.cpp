// Box commands typed into the console: the step moves of "MU" (every height of a slur, line or
// beam goes along), the IF dialog's answer over a box, and IFX running its line in box after box.
// Each case checks the store, a saved and decoded document, and UNDO.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files/document_files.h"
#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace box_items_console {

bool box_reply_has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

// The records of a saved document as item lines, decoded by the engine's document reader.
std::vector<std::string> saved_box_items(const std::filesystem::path& file) {
    core::DocumentReadInfo info;
    if (core::read_document(file.string(), core::ItemStoreScratch, info) !=
        core::DocumentStatus::Ok) {
        return {"<unreadable>"};
    }
    std::vector<std::string> items;
    for (int32_t w = 1; w < info.count;) {
        const int32_t n = static_cast<int32_t>(core::ItemStoreScratch(w));
        if (n <= 0) return {"<bad record>"};
        items.push_back(record_line(core::ItemStoreScratch, w));
        w += n + 1;
    }
    return items;
}

class BoxItemsConsoleTest : public ConsoleSessionTest {
  protected:
    // Saves the page and reads it back.
    std::vector<std::string> saved(const std::string& name) {
        const std::filesystem::path file = temp_.root() / name;
        const std::string out = type({"SA " + file.string()});
        EXPECT_TRUE(std::filesystem::exists(file)) << out;
        return saved_box_items(file);
    }
    // After a change that left the page `after`: UNDO gives `before` back, REDO `after` again,
    // and the saved document holds `after` (a save ends the undo history, so it comes last).
    void expect_undo_redo_and_saved(const std::vector<std::string>& before,
                                    const std::vector<std::string>& after,
                                    const std::string& name) {
        std::string out = type({"UNDO"});
        EXPECT_EQ(stored_item_lines(), before) << out;
        out = type({"REDO"});
        EXPECT_EQ(stored_item_lines(), after) << out;
        EXPECT_EQ(saved(name), after);
    }
};

// ---- "MU": both ends of slurs, lines and beams ------------------------------------------------

TEST_F(BoxItemsConsoleTest, StepUpMovesBothEndsOfTheSlurAndTheBeam) {
    const std::string built = type(
        {"EI", "8 1 0", "1 1 20 5 5 0 1", "1 1 40 7 5 0 1", "5 1 20 5 7 40 1", "6 1 20 9 11 40"});
    ASSERT_EQ(core::ItemCount, 5) << built;
    const std::vector<std::string> before = stored_item_lines();
    const std::string out = type({"MU", "1 10 50 1", "Y", "3"});
    const std::vector<std::string> moved = {"8 1 0", "1 1 20 8 5 0 1", "1 1 40 10 5 0 1",
                                            "5 1 20 8 10 40 1", "6 1 20 12 14 40"};
    EXPECT_EQ(stored_item_lines(), moved) << out;
    type({"UNDO"});
    EXPECT_EQ(stored_item_lines(), before);

    // "MD" takes the same heights down.
    type({"MD", "1 10 50 1", "Y", "2"});
    const std::vector<std::string> down = {"8 1 0", "1 1 20 3 5 0 1", "1 1 40 5 5 0 1",
                                           "5 1 20 3 5 40 1", "6 1 20 7 9 40"};
    EXPECT_EQ(stored_item_lines(), down);
    expect_undo_redo_and_saved(before, down, "md.mus");
}

// Every kind of line a box holds moves the heights the editor's whole-item step moves: a line's
// right end, a drawn line's points (their x words stay), but not a hairpin's or an endless
// slur's 999, and for trill lines and boxes only P4.
TEST_F(BoxItemsConsoleTest, StepUpMovesExactlyTheHeightsOfEachKindOfLine) {
    const std::string built = type({"EI", "8 1 0",
                                    "4 1 12 3 6 30",                               // line
                                    "4 1 14 2 999 30",                             // hairpin
                                    "4 1 16 3 4 45 100 32 5 34 6 36 7 38 8 40 9",  // drawn line
                                    "5 1 18 4 999 30 1",                           // slur, no end
                                    "7 1 20 9 0 45 20 1",                          // trill line
                                    "12 1 22 2 0 10 4",                            // box
                                    "4 1 60 3 6 70"});                             // outside
    ASSERT_EQ(core::ItemCount, 8) << built;
    const std::vector<std::string> before = stored_item_lines();
    const std::string out = type({"MU", "1 10 50 1", "Y", "3"});
    const std::vector<std::string> moved = {"8 1 0",
                                            "4 1 12 6 9 30",
                                            "4 1 14 5 999 30",
                                            "4 1 16 6 7 45 100 32 8 34 9 36 10 38 11 40 12",
                                            "5 1 18 7 999 30 1",
                                            "7 1 20 12 0 45 20 1",
                                            "12 1 22 5 0 10 4",
                                            "4 1 60 3 6 70"};
    EXPECT_EQ(stored_item_lines(), moved) << out;
    expect_undo_redo_and_saved(before, moved, "kinds.mus");
}

// A drawn line with fewer points than five keeps its length: no height is added to it, and the
// item after it (outside the box) is not touched.
TEST_F(BoxItemsConsoleTest, StepUpOfAShortDrawnLineAddsNoWords) {
    type({"EI", "8 1 0", "4 1 16 3 4 45 100 32 5 34 6", "1 1 60 5 5 0 1"});
    ASSERT_EQ(core::ItemCount, 3);
    const int32_t words = core::ItemWordsUsed;
    const std::string out = type({"MD", "1 10 50 1", "Y", "1"});
    EXPECT_EQ(stored_item_lines(),
              (std::vector<std::string>{"8 1 0", "4 1 16 2 3 45 100 32 4 34 5", "1 1 60 5 5 0 1"}))
        << out;
    EXPECT_EQ(core::ItemWordsUsed, words);
}

// The number of steps is read whole: "1e1" is ten steps; a number with other characters in
// it, or one beyond what a value holds, is refused by name and moves nothing.
TEST_F(BoxItemsConsoleTest, TheStepsAnswerIsReadWholeOrRefused) {
    type({"EI", "8 1 0", "5 1 20 5 7 40 1"});
    const std::vector<std::string> before = stored_item_lines();
    for (const std::string answer : {"1e39", "2x"}) {
        const std::string out = type({"MU", "1 0 100 1", "Y", answer});
        // A script's line is named with the question, as it was typed.
        EXPECT_TRUE(box_reply_has(out, "*** Not an answer to \"Enter steps to move up/down.\": " +
                                           answer + " -- MU ended, nothing was changed."))
            << out;
        EXPECT_EQ(stored_item_lines(), before) << answer;
        EXPECT_EQ(core::PendingBoxOperation, 0) << answer;
    }
    const std::string out = type({"MU", "1 0 100 1", "Y", "1e1"});
    const std::vector<std::string> moved = {"8 1 0", "5 1 20 15 17 40 1"};
    EXPECT_EQ(stored_item_lines(), moved) << out;
    expect_undo_redo_and_saved(before, moved, "steps.mus");
}

// ---- "IF" over a box: the console's answer alone ----------------------------------------------

const std::vector<std::string> kIfBoxPage = {"EI", "8 1 0", "1 1 10 5 0 0 1", "5 1 10 5 5 30"};

TEST_F(BoxItemsConsoleTest, TheIfAnswerIsTheWholeConditionAndAction) {
    const std::string built = type(kIfBoxPage);
    ASSERT_EQ(core::ItemCount, 3) << built;
    const std::vector<std::string> before = stored_item_lines();

    // A condition with no action changes nothing: no preset action is joined to it.
    std::string out = type({"IF", "1 0 200 1", "Y", "P3>0"});
    EXPECT_EQ(stored_item_lines(), before) << out;
    EXPECT_EQ(core::PendingBoxOperation, 0);

    // A condition and a delete: the note goes, the slur stays.
    out = type({"IF", "1 0 200 1", "Y", "P1=1;D"});
    EXPECT_FALSE(box_reply_has(out, "cannot")) << out;
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "5 1 10 5 5 30"})) << out;
    type({"UNDO"});
    EXPECT_EQ(stored_item_lines(), before);

    // An assignment: only what the answer says, on the items it names.
    out = type({"IF", "1 0 200 1", "Y", "p1=5;p5=12"});
    const std::vector<std::string> assigned = {"8 1 0", "1 1 10 5 0 0 1", "5 1 10 5 12 30"};
    EXPECT_EQ(stored_item_lines(), assigned) << out;
    expect_undo_redo_and_saved(before, assigned, "if.mus");
}

// An OR in the answer still keeps to the box: the slur and the note on staff 2, outside it, stay
// as they are, whichever side of the OR names them, also for an action alone.
TEST_F(BoxItemsConsoleTest, AnIfAnswerWithOrChangesOnlyTheItemsInTheBox) {
    const std::string built = type({"EI", "8 1 0", "8 2 0", "1 1 10 5 0 0 1", "5 1 10 5 5 30",
                                    "5 2 10 5 5 30", "1 2 10 5 0 0 1", "1 1 12 6 0 0 1"});
    ASSERT_EQ(core::ItemCount, 7) << built;
    const std::vector<std::string> before = stored_item_lines();
    const std::vector<std::string> zeroed = {"8 1 0",         "8 2 0",         "1 1 10 0 0 0 1",
                                             "5 1 10 0 5 30", "5 2 10 5 5 30", "1 2 10 5 0 0 1",
                                             "1 1 12 0 0 0 1"};
    for (const std::string answer :
         {"P1=1 OR P1=5;P4=0", "P1=5 OR P1=1;P4=0", "(P1=5) OR (P1=1);P4=0"}) {
        const std::string out = type({"IF", "1 5 200 1", "Y", answer});
        EXPECT_EQ(stored_item_lines(), zeroed) << answer << "\n" << out;
        type({"UNDO"});
        EXPECT_EQ(stored_item_lines(), before) << answer;
    }
    const std::string out = type({"IF", "1 5 200 1", "Y", ";D"});
    const std::vector<std::string> kept = {"8 1 0", "8 2 0", "5 2 10 5 5 30", "1 2 10 5 0 0 1"};
    EXPECT_EQ(stored_item_lines(), kept) << out;
    expect_undo_redo_and_saved(before, kept, "ifor.mus");
}

// In a command file read by RE the box and the answer are the file's next two lines: the box
// bounds the change, the console's own next line stays a command, and a file that ends before
// the answer changes nothing and says so.
TEST_F(BoxItemsConsoleTest, AnIfInACommandFileTakesItsBoxAndAnswerFromTheFile) {
    type({"EI", "8 1 0", "8 2 0", "1 1 10 5 0 0 1", "5 1 10 5 5 30", "5 2 10 5 5 30"});
    ASSERT_EQ(core::ItemCount, 5);
    const std::vector<std::string> before = stored_item_lines();
    const auto write_file = [this](const std::string& name, const std::string& text) {
        const std::filesystem::path file = temp_.root() / name;
        std::ofstream(file) << text;
        return file.string();
    };
    const std::string file = write_file("if.txt", "IF\n1 5 200 1\nP1=1 OR P1=5;P4=0\n");
    std::string out = type({"RE " + file});
    const std::vector<std::string> changed = {"8 1 0", "8 2 0", "1 1 10 0 0 0 1", "5 1 10 0 5 30",
                                              "5 2 10 5 5 30"};
    EXPECT_EQ(stored_item_lines(), changed) << out;
    expect_undo_redo_and_saved(before, changed, "ifre.mus");

    const std::string cut = write_file("ifcut.txt", "IF\n1 5 200 1\n");
    out = type({"RE " + cut});
    EXPECT_TRUE(box_reply_has(out, "ended before the conditions")) << out;
    EXPECT_EQ(stored_item_lines(), changed);
}

// The box step words ("MU", "MD"), which a command file cannot run, are refused there, and the
// rest of the file is left unread: its box and answer lines never become items of their own.
TEST_F(BoxItemsConsoleTest, ABoxWordACommandFileCannotRunLeavesTheRestOfTheFileUnread) {
    type({"EI", "8 1 0", "1 1 20 5 5 0 1", "5 1 20 5 7 40 1"});
    ASSERT_EQ(core::ItemCount, 3);
    const std::vector<std::string> before = stored_item_lines();
    for (const char* word : {"MU", "MD"}) {
        const std::filesystem::path file = temp_.root() / "steps.txt";
        std::ofstream(file) << word << "\n1 10 50 1\nY\n3\n";
        const std::string out = type({"RE " + file.string()});
        EXPECT_TRUE(box_reply_has(out, std::string("*** ") + word +
                                           " cannot be read from a command file: the rest of "
                                           "the file was not read."))
            << out;
        EXPECT_EQ(stored_item_lines(), before) << word << "\n" << out;
        EXPECT_EQ(core::MacroUnit, 0) << word;
    }
    EXPECT_EQ(saved("steps.mus"), before);
}

// A part longer than its field is refused whole, not cut to a different line.
TEST_F(BoxItemsConsoleTest, AnIfAnswerTooLongForItsFieldChangesNothing) {
    type(kIfBoxPage);
    const std::vector<std::string> before = stored_item_lines();
    // Blanks count: 49 characters before the ";" are refused, exactly 48 taken; the same after
    // it.
    const auto padded = [](const std::string& head, const std::string& tail, std::size_t n) {
        return head + std::string(n - head.size() - tail.size(), ' ') + tail;
    };
    std::string out = type({"IF", "1 0 200 1", "Y", padded("P1=1", "AND P2=1", 49) + ";D"});
    EXPECT_TRUE(box_reply_has(out, "48 characters")) << out;
    EXPECT_EQ(stored_item_lines(), before);
    out = type({"IF", "1 0 200 1", "Y", "P1=5;" + padded("P5=12", ",P4=6", 49)});
    EXPECT_TRUE(box_reply_has(out, "48 characters")) << out;
    EXPECT_EQ(stored_item_lines(), before);
    out = type({"IF", "1 0 200 1", "Y", "P1=5;" + padded("P5=12", ",P4=6", 48)});
    EXPECT_EQ(stored_item_lines(),
              (std::vector<std::string>{"8 1 0", "1 1 10 5 0 0 1", "5 1 10 6 12 30"}))
        << out;
    out = type({"IF", "1 0 200 1", "Y", padded("P1=1", "AND P2=1", 48) + ";D"});
    EXPECT_FALSE(box_reply_has(out, "48 characters")) << out;
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "5 1 10 6 12 30"})) << out;
}

// ---- IFX: the line in each typed box ----------------------------------------------------------

const std::vector<std::string> kIfxPage = {"EI", "8 1 0", "1 1 20 5 5 0 1", "1 1 60 5 5 0 1",
                                           "1 1 120 5 5 0 1"};

TEST_F(BoxItemsConsoleTest, IfxRunsItsLineInEveryTypedBoxUntilEnded) {
    const std::string built = type(kIfxPage);
    ASSERT_EQ(core::ItemCount, 4) << built;
    const std::vector<std::string> before = stored_item_lines();

    std::string out = type({"IFX P1=1;P4=P4+1", "1 10 70 1"});
    const std::vector<std::string> first = {"8 1 0", "1 1 20 6 5 0 1", "1 1 60 6 5 0 1",
                                            "1 1 120 5 5 0 1"};
    EXPECT_EQ(stored_item_lines(), first) << out;
    EXPECT_EQ(core::PendingBoxOperation, 32);  // waiting for the next box

    // The second box, without an upper staff.
    out = type({"1 100 130"});
    const std::vector<std::string> both = {"8 1 0", "1 1 20 6 5 0 1", "1 1 60 6 5 0 1",
                                           "1 1 120 6 5 0 1"};
    EXPECT_EQ(stored_item_lines(), both) << out;
    EXPECT_EQ(core::PendingBoxOperation, 32);

    // A word ends it; the next lines are commands again.
    out = type({"X"});
    EXPECT_TRUE(box_reply_has(out, "Leaving Group Edit.")) << out;
    EXPECT_EQ(core::PendingBoxOperation, 0);
    // Each box was a change of its own: UNDO takes back the second.
    expect_undo_redo_and_saved(first, both, "ifx.mus");

    // A bare IFX runs the line kept before; one box and UNDO.
    out = type({"IFX", "1 0 70 1", "X"});
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 20 7 5 0 1",
                                                             "1 1 60 7 5 0 1", "1 1 120 6 5 0 1"}))
        << out;
    type({"UNDO"});
    EXPECT_EQ(stored_item_lines(), both);
    EXPECT_NE(stored_item_lines(), before);
}

TEST_F(BoxItemsConsoleTest, IfxPositionsAreStrictAndStavesInclusive) {
    type({"EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 1", "1 2 40 5 5 0 1", "1 2 60 5 5 0 1"});
    ASSERT_EQ(core::ItemCount, 5);
    const std::vector<std::string> before = stored_item_lines();
    const std::string out = type({"IFX P1=1;P4=P4+1", "1 20 60 2", "X"});
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "8 2 0", "1 1 20 5 5 0 1",
                                                             "1 2 40 6 5 0 1", "1 2 60 5 5 0 1"}))
        << out;
    type({"UNDO"});
    EXPECT_EQ(stored_item_lines(), before);
}

// An OR in the kept line keeps to each box, whether the line says ";" or "THEN"; a line with
// only actions acts on the box's items alone.
TEST_F(BoxItemsConsoleTest, IfxWithOrChangesOnlyTheItemsInTheBox) {
    type({"EI", "8 1 0", "8 2 0", "1 1 10 5 0 0 1", "5 1 10 5 5 30", "5 2 10 5 5 30",
          "1 2 10 5 0 0 1", "1 1 12 6 0 0 1"});
    ASSERT_EQ(core::ItemCount, 7);
    const std::vector<std::string> before = stored_item_lines();
    const std::vector<std::string> zeroed = {"8 1 0",         "8 2 0",         "1 1 10 0 0 0 1",
                                             "5 1 10 0 5 30", "5 2 10 5 5 30", "1 2 10 5 0 0 1",
                                             "1 1 12 0 0 0 1"};
    for (const std::string line :
         {"IFX P1=1 OR P1=5;P4=0", "IFX P1=5 OR P1=1 THEN P4=0", "IFX ;P4=0"}) {
        const std::string out = type({line, "1 5 200 1", "X"});
        EXPECT_EQ(stored_item_lines(), zeroed) << line << "\n" << out;
        type({"UNDO"});
        EXPECT_EQ(stored_item_lines(), before) << line;
    }
}

}  // namespace box_items_console
