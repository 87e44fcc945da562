// The interpreter's item-editing lines: "," lines, key codes, slider and end words while an item
// is edited, and the lines refused while editing.
#include <string>

#include <gtest/gtest.h>

#include "engine/commands/interpreter_tables.h"
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
        clear_trace();
    }
};

TEST_F(ItemEditLines, CommaLineNamesParametersByCommasAndBuildsAtMostTwelvePairs) {
    edit_note();
    // Twelve numbers make twelve pairs; a thirteenth is dropped.
    std::string line = ",";
    for (int k = 1; k <= 13; ++k) line += " " + std::to_string(k);
    type(line);
    EXPECT_TRUE(reached("run_edit_item_command"));
    for (int j = 2; j <= 12; ++j) {
        EXPECT_EQ(core::ParamBuffer(2 * j - 1), core::ParamBuffer(2 * j - 3) + 1.0f) << j;
        EXPECT_NE(core::ParamBuffer(2 * j - 1), 0.0f) << j;
    }
    EXPECT_EQ(core::ParamBuffer(25), 0.0f);
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
    type("~~038");  // Up with a step code: the increment pair of P5
    EXPECT_TRUE(reached("run_edit_item_command"));
    EXPECT_EQ(core::ParamBuffer(1), 500.0f);
    EXPECT_EQ(core::ParamBuffer(2), 2.0f);
    type("~~037");  // Left: the arrow step shrinks
    EXPECT_FLOAT_EQ(core::ArrowStep, 1.9f);
    core::ArrowStepCode = 0;
    clear_trace();
    type("~~120");  // F9: "X", for the keyword editor
    EXPECT_TRUE(reached("decode_edit_keywords"));
    EXPECT_EQ(core::CommandLine(1), 'X');
}

}  // namespace
