// Lines typed into the console while an item is edited: the comma form, the slider, steps in
// points, the copy and delete words after a refused copy, and words the editor does not take.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

// Item k's P1..Pn.
std::vector<float> params(int32_t k) {
    const int32_t s = core::ItemStartTable(k);
    const int32_t n = static_cast<int32_t>(core::ItemStore(s));
    return std::vector<float>(core::ItemStore.data() + s, core::ItemStore.data() + s + n);
}

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

std::vector<std::string> with(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// A staff, then a note (item 2) being edited.
const std::vector<std::string> kNote = {"8 1 0", "X", "1 1 20 5 5 0 1"};
// A staff, then a slur (item 2) being edited.
const std::vector<std::string> kSlur = {"8 1 0", "X", "5 1 20 5 7 40 1"};

class EditLinesConsoleTest : public ConsoleSessionTest {};

// ---- the comma form ---------------------------------------------------------------------------

TEST_F(EditLinesConsoleTest, CommaLineChangesOnlyTheParametersItGivesNumbersFor) {
    std::string out = type(with(kNote, {",,,7", "X"}));
    EXPECT_EQ(params(2), (std::vector<float>{1, 1, 20, 7, 5, 0, 1})) << out;

    out = type({"I 2", ",3 9", "X"});
    EXPECT_EQ(params(2), (std::vector<float>{1, 3, 9, 7, 5, 0, 1})) << out;

    // A parameter past the item's last grows it by that one value.
    out = type({"I 2", ",,,,,,,2.5", "X"});
    EXPECT_EQ(params(2), (std::vector<float>{1, 3, 9, 7, 5, 0, 1, 2.5f})) << out;
}

TEST_F(EditLinesConsoleTest, CommaLineOnASlurKeepsItsEnds) {
    const std::string out = type(with(kSlur, {",,,,,8", "X"}));
    EXPECT_EQ(params(2), (std::vector<float>{5, 1, 20, 5, 7, 8, 1})) << out;
    type({"I 2", ",,,,4.5", "X"});
    EXPECT_EQ(params(2), (std::vector<float>{5, 1, 20, 5, 4.5f, 8, 1}));
}

// Blanks among the leading commas only separate them: ", , ,7" names P4 as ",,,7" does.
TEST_F(EditLinesConsoleTest, CommaLineWithBlanksAmongItsCommas) {
    std::string out = type(with(kSlur, {", , ,7", "X"}));
    EXPECT_EQ(params(2), (std::vector<float>{5, 1, 20, 7, 7, 40, 1})) << out;
    out = type({"X", "1 1 60 4 10 0 2", ",, ,8", "X"});
    EXPECT_EQ(params(3), (std::vector<float>{1, 1, 60, 8, 10, 0, 2})) << out;
    EXPECT_EQ(params(2), (std::vector<float>{5, 1, 20, 7, 7, 40, 1}));
}

TEST_F(EditLinesConsoleTest, CommaLineInACommandFile) {
    type(with(kSlur, {"X"}));
    {
        std::ofstream file("blanks.cmd");
        file << "I 2\n, , ,7\n,,,,,, 3\nST\n";
    }
    const std::string out = type({"RE blanks.cmd"});
    EXPECT_EQ(params(2), (std::vector<float>{5, 1, 20, 7, 7, 40, 3})) << out;
    EXPECT_FALSE(has(out, "unknown word")) << out;
    EXPECT_EQ(core::ItemCount, 2);
}

// "RGT" chosen for one slur does not carry over to the next one edited.
TEST_F(EditLinesConsoleTest, EndModeDoesNotCarryOverToTheNextItem) {
    type(with(kSlur, {"X", "5 1 30 5 7 50 1", "X"}));
    const std::string out = type({"I 2", "RGT", "X", "I 3", "R 5", "X"});
    EXPECT_EQ(params(3), (std::vector<float>{5, 1, 35, 5, 7, 55, 1})) << out;
    EXPECT_EQ(params(2), (std::vector<float>{5, 1, 20, 5, 7, 40, 1})) << out;
    EXPECT_EQ(edit::EndMoveMode, 0);
}

TEST_F(EditLinesConsoleTest, CommaLineTakesTwelveNumbersAtMost) {
    // Nine commas: the numbers name P10 on; the twelfth lands in P21, the thirteenth nowhere.
    type(with(kNote, {",,,,,,,,,1 2 3 4 5 6 7 8 9 10 11 12 13", "X"}));
    const std::vector<float> p = params(2);
    ASSERT_EQ(p.size(), 21u);
    for (int k = 10; k <= 21; ++k) EXPECT_EQ(p[k - 1], static_cast<float>(k - 9)) << "P" << k;
    EXPECT_EQ(p[3], 5.0f);  // P4 as it was
}

TEST_F(EditLinesConsoleTest, CommaLineReachesTheLastParameterAndNoFurther) {
    type(with(kNote, {std::string(44, ',') + "9 8", "X"}));
    const std::vector<float> p = params(2);
    ASSERT_EQ(p.size(), 45u);
    EXPECT_EQ(p[44], 9.0f);
    EXPECT_EQ(p[7], 0.0f);
    EXPECT_EQ(p[3], 5.0f);
}

// ---- the slider ---------------------------------------------------------------------------------

TEST_F(EditLinesConsoleTest, SliderStepsChangeTheChosenParameter) {
    std::string out = type(with(kNote, {"QP3", "PCHNG12"}));
    EXPECT_TRUE(has(out, "Editing P3")) << out;
    EXPECT_EQ(core::EditItemParams(3), 40.0f) << out;
    // The lowest and highest positions of each side.
    type({"PCHNG1"});
    EXPECT_FLOAT_EQ(core::EditItemParams(3), 39.9f);
    type({"PCHNG7"});
    EXPECT_FLOAT_EQ(core::EditItemParams(3), 40.0f);
    type({"PCHNG6"});
    EXPECT_FLOAT_EQ(core::EditItemParams(3), 20.0f);
    // Another parameter; the word may be typed with blanks before it.
    out = type({"QP4", "  PCHNG10", "X"});
    EXPECT_TRUE(has(out, "Editing P4")) << out;
    EXPECT_EQ(params(2), (std::vector<float>{1, 1, 20, 10, 5, 0, 1})) << out;
    EXPECT_EQ(core::SliderEditActive, 0);
}

TEST_F(EditLinesConsoleTest, SliderOnASlurMovesItsRightEnd) {
    type(with(kSlur, {"QP6", "PCHNG11", "PCHNG8", "X"}));
    EXPECT_EQ(params(2), (std::vector<float>{5, 1, 20, 5, 7, 50.5f, 1}));
}

// ---- steps in points ----------------------------------------------------------------------------

TEST_F(EditLinesConsoleTest, StepsInPointsMoveLikeTheOtherUnits) {
    // 2.7 points are one step along the page; up and down 0.126 x the staff's scale (25).
    type(with(kNote, {"LP 5.4"}));
    EXPECT_FLOAT_EQ(core::EditItemParams(3), 18.0f);
    type({"RP 2.7"});
    EXPECT_FLOAT_EQ(core::EditItemParams(3), 19.0f);
    type({"UP 6.3"});
    EXPECT_FLOAT_EQ(core::EditItemParams(4), 7.0f);
    type({"DP 3.15"});
    EXPECT_FLOAT_EQ(core::EditItemParams(4), 6.0f);
    // The same steps in inches and centimetres, for comparison.
    type({"RI 0.075", "LC 0.1905"});
    EXPECT_FLOAT_EQ(core::EditItemParams(3), 19.0f);
    type({"X"});
    EXPECT_EQ(params(2), (std::vector<float>{1, 1, 19, 6, 5, 0, 1}));
}

TEST_F(EditLinesConsoleTest, StepInPointsMovesBothEndsOfASlurAndArithmeticLinesStillWork) {
    type(with(kSlur, {"RP 27"}));
    EXPECT_FLOAT_EQ(core::EditItemParams(3), 30.0f);
    EXPECT_FLOAT_EQ(core::EditItemParams(6), 50.0f);
    // A line that starts with a number and a "P" is still an arithmetic line.
    type({"5 P 4+1", "X"});
    EXPECT_EQ(params(2), (std::vector<float>{5, 1, 30, 5, 6, 50, 1}));
}

// ---- a full page ----------------------------------------------------------------------------------

TEST_F(EditLinesConsoleTest, AnItemTypedOnAFullPageIsRefusedAndTheLastItemKeepsItsWords) {
    type({"EI"});
    append_test_record({8, 1, 0});
    for (int i = 2; i <= 6000; ++i) append_test_record({1, 1, static_cast<float>(i % 190), 4});
    ASSERT_EQ(core::ItemCount, 6000);
    std::string out;
    const std::vector<float> last = params(6000);
    const int32_t used = core::ItemWordsUsed;
    core::RunFailedWord = 0;
    out = type({"1 1 20 5 5 0 1", "SA kept.mus"});
    EXPECT_TRUE(has(out, "**** The page is full: the item was not added (6000 items at most)."))
        << out;
    EXPECT_EQ(core::RunFailedWord, 1);  // the refusal fails a script's run
    EXPECT_EQ(core::ItemCount, 6000);
    EXPECT_EQ(core::ItemWordsUsed, used);
    EXPECT_EQ(params(6000), last);
    out = type({"G kept.mus"});
    ASSERT_EQ(core::ItemCount, 6000) << out;
    EXPECT_EQ(params(6000), last);
}

// ---- refused words change nothing ----------------------------------------------------------------

TEST_F(EditLinesConsoleTest, ARefusedCopyLeavesNothingChangedSoDeleteDeletes) {
    std::string out = type(with(kNote, {"X", "1 1 30 5 5 0 1", "X", "I 2", "C"}));
    EXPECT_TRUE(has(out, "Cannot COPY if no changes are made.")) << out;
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(edit::EditChangesPending, 0);
    out = type({"DE"});
    EXPECT_FALSE(has(out, "Cannot delete after edit changes.")) << out;
    ASSERT_EQ(core::ItemCount, 2) << out;
    EXPECT_EQ(params(2), (std::vector<float>{1, 1, 30, 5, 5, 0, 1}));
}

TEST_F(EditLinesConsoleTest, ARefusedDeleteKeepsTheChangesSoCopyCopies) {
    std::string out = type(with(kNote, {"5 7", "DE"}));
    EXPECT_TRUE(has(out, "Cannot delete after edit changes. (Type 'AB' first.)")) << out;
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_EQ(edit::EditChangesPending, 1);
    out = type({"C"});
    EXPECT_FALSE(has(out, "Cannot COPY")) << out;
    ASSERT_EQ(core::ItemCount, 3) << out;
    EXPECT_EQ(params(2), (std::vector<float>{1, 1, 20, 5, 5, 0, 1}));
    EXPECT_EQ(params(3), (std::vector<float>{1, 1, 20, 5, 7, 0, 1}));
}

// ---- words the editor does not take --------------------------------------------------------------

TEST_F(EditLinesConsoleTest, AnUnknownWordIsEchoedAsTypedAndSaSavesWhileEditing) {
    std::string out = type({"8 1 0", "WQ*5"});
    EXPECT_TRUE(has(out, "ERROR -- unknown word in this context: WQ*5")) << out;
    out = type({"X", "1 1 20 5 5 0 1", "SA kept.mus"});
    EXPECT_TRUE(has(out, "File saved:")) << out;
    EXPECT_FALSE(has(out, "unknown word")) << out;
    EXPECT_EQ(core::EditedItemNumber, 2);
    out = type({"X", "G kept.mus"});
    ASSERT_EQ(core::ItemCount, 2) << out;
    EXPECT_EQ(params(2), (std::vector<float>{1, 1, 20, 5, 5, 0, 1}));
}

}  // namespace

// ---- UNDO after an edit -----------------------------------------------------------------------

// UNDO after an edit of a stored item takes back that edit alone: the note typed before it
// stays, a second edit is undone without the first, an edit that moved on with N is undone
// with the item it ended on, and REDO puts the edit back.
TEST_F(EditLinesConsoleTest, UndoAfterAnEditTakesBackThatEditAlone) {
    const std::string built = type({"EI", "8 1 0", "5 1 20 5 7 40 1", "1 1 10 5 0 0 1"});
    ASSERT_EQ(core::ItemCount, 3) << built;
    const std::vector<std::string> typed = stored_item_lines();

    std::string out = type({"I 2", ",,,9", "X", "UNDO"});
    EXPECT_EQ(stored_item_lines(), typed) << out;

    out = type({"I 2", ",,,9", "X", "I 3", ",,,8", "X"});
    const std::vector<std::string> both = {"8 1 0", "5 1 20 9 7 40 1", "1 1 10 8 0 0 1"};
    EXPECT_EQ(stored_item_lines(), both) << out;
    type({"UNDO"});
    const std::vector<std::string> first = {"8 1 0", "5 1 20 9 7 40 1", "1 1 10 5 0 0 1"};
    EXPECT_EQ(stored_item_lines(), first);
    type({"REDO"});
    EXPECT_EQ(stored_item_lines(), both);

    out = type({"I 2", ",,,4", "N", ",,,3", "X", "UNDO"});
    EXPECT_EQ(stored_item_lines(),
              (std::vector<std::string>{"8 1 0", "5 1 20 4 7 40 1", "1 1 10 8 0 0 1"}))
        << out;
}

// A new item that went straight to editing: UNDO after its edits takes the item away, as it
// did before it was edited.
TEST_F(EditLinesConsoleTest, UndoAfterANewItemsEditsTakesTheItemAway) {
    const std::string built = type({"EI", "8 1 0", "EI"});
    ASSERT_EQ(core::ItemCount, 1) << built;
    const std::string out = type({"5 1 20 5 7 40 1", ",,,9", "X", "UNDO"});
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0"})) << out;
}
