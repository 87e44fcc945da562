// The interpreter's item-editing lines: "," lines, key codes, slider and end words while an item
// is edited, and the lines refused while editing.
#include <string>

#include <gtest/gtest.h>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class ItemEditLines : public InterpreterTest {
  protected:
    // A note on staff 1 taken into editing by hand (the editor's loader is another's).
    void edit_note() {
        type("EI");  // new items stay on the page
        type_all({"8 1 0", "1 1 100 1 10 0 1"});
        core::EditedItemNumber = 2;
        core::EditItemParams.fill(0.0f);
        const float note[] = {1, 1, 100, 1, 10, 0, 1};
        for (int k = 1; k <= 7; ++k) core::EditItemParams(k) = note[k - 1];
    }
};

TEST_F(ItemEditLines, CommaLineNamesParametersByCommasAndBuildsAtMostTwelvePairs) {
    edit_note();
    // One comma: the numbers name P2, P3 ...; twelve make twelve pairs, a thirteenth is dropped.
    std::string line = ",";
    for (int k = 1; k <= 13; ++k) line += " " + std::to_string(k);
    type(line);
    for (int p = 2; p <= 13; ++p) EXPECT_EQ(core::EditItemParams(p), p - 1.0f) << p;
    EXPECT_EQ(core::EditItemParams(14), 0.0f);
    EXPECT_EQ(core::EditItemParams(1), 1.0f);

    // Three leading commas skip P2 and P3.
    edit_note();
    type(",,, 7 8");
    EXPECT_EQ(core::EditItemParams(3), 100.0f);
    EXPECT_EQ(core::EditItemParams(4), 7.0f);
    EXPECT_EQ(core::EditItemParams(5), 8.0f);
    EXPECT_EQ(core::EditItemParams(6), 0.0f);
}

TEST_F(ItemEditLines, EndWordsToggleAndChooseTheMovedParameters) {
    type("EI");
    type_all({"8 1 0", "4 1 10 3 5 50"});
    core::EditedItemNumber = 2;
    core::EditItemParams.fill(0.0f);
    const float line[] = {4, 1, 10, 3, 5, 50};
    for (int k = 1; k <= 6; ++k) core::EditItemParams(k) = line[k - 1];
    type("LFT");
    EXPECT_EQ(edit::EndMoveMode, 1);
    EXPECT_EQ(core::MoveCaption.trimmed(), "Move Left End -- P3/P4");
    EXPECT_EQ(edit::HorizontalEditParams(1), 3);
    EXPECT_EQ(edit::VerticalEditParams(1), 4);
    type("RGT");
    EXPECT_EQ(edit::EndMoveMode, 2);
    EXPECT_EQ(edit::HorizontalEditParams(1), 6);
    type("RGT");  // a second time: back to moving all
    EXPECT_EQ(edit::EndMoveMode, 0);
    EXPECT_EQ(core::MoveCaption.trimmed(), "Move All");
    EXPECT_EQ(edit::HorizontalEditParams(2), 6);
}

TEST_F(ItemEditLines, KeyCodesBecomeEditingWords) {
    edit_note();
    core::ArrowStepCode = 5;
    core::ArrowStep = 2.0f;
    type("~~038");  // Up with a step code: P5 grows by the arrow step
    EXPECT_FLOAT_EQ(core::EditItemParams(5), 12.0f);
    type("~~040");  // Down: it shrinks again
    EXPECT_FLOAT_EQ(core::EditItemParams(5), 10.0f);
    type("~~037");  // Left: the arrow step shrinks
    EXPECT_FLOAT_EQ(core::ArrowStep, 1.9f);
    EXPECT_FLOAT_EQ(core::EditItemParams(5), 10.0f);
    core::ArrowStepCode = 0;
    type("~~039");  // Right with no step code: the word "r1" moves the note right
    EXPECT_GT(core::EditItemParams(3), 100.0f);
    type("~~120");  // F9: "X" ends editing and stores the moved note
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_GT(core::ItemStore(core::ItemStartTable(2) + 3), 100.0f);
}

}  // namespace
