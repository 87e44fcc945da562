// "BB": the items' extent measured, kept and shown as an outline; the page stays as it was.
#include "engine/layout/staves/measure_command.h"

#include <gtest/gtest.h>

#include "engine/render/page/extents.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class MeasureCommandTest : public InterpreterTest {};

TEST_F(MeasureCommandTest, TypedBBKeepsTheNotesExtentAndLeavesThePage) {
    enter_items_without_editing();
    type("8 1 0");
    type("1 1 10 5 0 0 4");
    const std::vector<float> before = page();
    const int32_t count = core::ItemCount;
    render::DisplayMarkWord = 1005;
    fe_.answer_dialog(2);
    type("BB");
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ItemCount, count);
    EXPECT_EQ(render::DisplayMarkWord, 1005);

    // The note alone, measured the same way.
    bind_output_lists();
    core::ItemCount = 2;
    core::ItemWordsUsed = core::ItemStartTable(3);
    int32_t top = 0, bottom = 0, left = 0, right = 0;
    render::DisplayMarkWord = 0;
    render::measure_items_extent(2, top, bottom, left, right);
    // On the page as drawn: the screen's vertical origin added back.
    EXPECT_EQ(layout::MeasuredBox(2), bottom + render::ViewOrigin.y);
    EXPECT_EQ(layout::MeasuredBox(4), top + render::ViewOrigin.y);
    EXPECT_EQ(layout::MeasuredBox(1), left - render::ViewOrigin.x + 2400);
    EXPECT_EQ(layout::MeasuredBox(3), right - render::ViewOrigin.x + 2400);
    EXPECT_LT(layout::MeasuredBox(1), layout::MeasuredBox(3));
    EXPECT_LT(layout::MeasuredBox(2), layout::MeasuredBox(4));
}

TEST_F(MeasureCommandTest, NoteAloneGivesItsOwnBoxAndTheReplyShowsIt) {
    enter_items_without_editing();
    type("1 1 10 5 0 0 4");
    fe_.answer_dialog(2);
    type("BB");
    EXPECT_EQ(reply().rfind("Bounding box: Left = ", 0), 0u) << reply();
    EXPECT_NE(reply().find(std::to_string(layout::MeasuredBox(3))), std::string::npos);
    // A note at P3 10 lies about 1,500 display units right of the page's left edge.
    EXPECT_NEAR(layout::MeasuredBox(1), 2400 + 1500, 400);
}

TEST_F(MeasureCommandTest, PrintLetterRStopsWithoutReply) {
    type("1 1 10 5 0 0 4");
    bind_output_lists();
    core::MessageLine.set("untouched");
    core::CommandLine.set("BB");
    core::CommandModeLetters(1) = 'P';
    core::CommandModeLetters(2) = 'R';
    layout::run_measure_command();
    EXPECT_EQ(reply(), "untouched");
    EXPECT_GT(layout::MeasuredBox(3), layout::MeasuredBox(1));
}

TEST_F(MeasureCommandTest, OtherBWordsAndAnEmptyPage) {
    type("BX");
    EXPECT_TRUE(shown(unknown("BX")));
    type("BQ");
    EXPECT_TRUE(shown(unknown("BQ")));
    type("BB");
    EXPECT_EQ(reply(), "**** Nothing on the page to measure.");
}

}  // namespace
