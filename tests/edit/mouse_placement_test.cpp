// The move-step display, mouse placement and drags, the bracket size words, int_to_text and the
// view size.
#include "engine/edit/items/mouse_placement.h"

#include <string>

#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/pages/view_size.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

using MovePlacement = InterpreterTest;

void edit_values(int32_t item, std::initializer_list<float> values) {
    core::EditedItemNumber = item;
    core::EditItemParams.fill(0.0f);
    int k = 1;
    for (float v : values) core::EditItemParams(k++) = v;
    core::ShownParamCount = k - 1;
}

std::string shown_name() { return core::ItemPanelRecord.item_text.c_text(); }

TEST_F(MovePlacement, StatusLineFieldsAndPanelWords) {
    edit_values(2, {1, 1, 100, 1, 1234.5f, 999.99f, 1});
    edit::show_move_step();
    const auto& line = core::ItemStatusLine;
    EXPECT_EQ(line.sub(1, 4), "   2");
    EXPECT_EQ(line.sub(6, 14), "NOTE     ");  // a blank where the name field ends
    EXPECT_EQ(line.sub(16, 17), " 1");
    EXPECT_EQ(line.sub(19, 23), "  1.0");
    EXPECT_EQ(line.sub(25, 31), " 100.00");
    EXPECT_EQ(line.sub(33, 40), "   1.00 ");
    EXPECT_EQ(line.sub(43, 50), "  1234.5");
    EXPECT_EQ(line.sub(53, 59), " 999.99");
    EXPECT_EQ(line.sub(63, 69), "   1.00");
    EXPECT_TRUE(line.sub(70, 100).find_first_not_of(' ') == std::string::npos);
    EXPECT_EQ(core::ItemPanelRecord.params(7), 1.0f);
    EXPECT_EQ(core::ItemPanelRecord.params(8), core::kItemPanelHidden);
    EXPECT_EQ(core::ItemPanelRecord.edited_item, 2);
    EXPECT_EQ(core::ItemPanelRecord.mode_text.c_text(), "");
    // The interpreter's panel words keep the count the display chose.
    core::fill_item_panel_numbers();
    EXPECT_EQ(core::ItemPanelRecord.params(7), 1.0f);
    EXPECT_EQ(core::ItemPanelRecord.params(8), core::kItemPanelHidden);

    edit_values(1, {4, 1, 10, 2, 3, 20});
    edit::show_move_step();
    EXPECT_EQ(core::ItemPanelRecord.mode_text.c_text(), "Move All");
    // At least P1..P3 are shown.
    edit_values(1, {13, 1});
    edit::show_move_step();
    EXPECT_EQ(core::ShownParamCount, 3);
}

TEST_F(MovePlacement, NamesOfTrillsAndBoxesByTheirFigure) {
    const struct {
        float code, p5, p7;
        const char* name;
    } cases[] = {
        {7, 0, 0, "TRILL"},   {7, 0, 1, "HARP"},    {7, 0, 20, "PEDAL"},   {7, 0, 25.5f, "PEDAL"},
        {7, 0, 19, "OTTAVA"}, {7, 0, 26, "OTTAVA"}, {12, -1, 0, "GUITAR"}, {12, 10, 0, "ACCORD."},
        {12, 0, 0, "CIRCLE"}, {16, 0, 0, "WORD"},   {11, 0, 0, ""},
    };
    for (const auto& c : cases) {
        edit_values(1, {c.code, 1, 10, 0, c.p5, 0, c.p7});
        edit::show_move_step();
        EXPECT_EQ(shown_name(), c.name) << c.code << " " << c.p5 << " " << c.p7;
    }
}

TEST_F(MovePlacement, StepTexts) {
    edit_values(1, {1, 1, 10, 1});
    edit::show_move_step();
    EXPECT_EQ(core::ItemPanelRecord.step_text.c_text(), "");
    edit::HorizontalMoveStep = 0.5f;
    edit::show_move_step();
    EXPECT_EQ(core::ItemPanelRecord.step_text.c_text(), "  Inc= 0.50");
    core::ArrowStepCode = 13;
    core::ArrowStep = 1.5f;
    edit::show_move_step();
    EXPECT_EQ(core::ItemPanelRecord.step_text.c_text(), "13 Inc=  1.50");
}

TEST_F(MovePlacement, NoItemEditedAddsTheNameAndTheItemCount) {
    core::EditedItemNumber = 0;
    core::CurrentFileName.set("song.mus");
    core::MessageLine.set("Arrow Move by    1.00");
    core::MessageLine(19) = '\0';  // before column 20: not taken
    core::MessageLine(25) = '\0';
    edit::show_move_step();
    EXPECT_EQ(core::MessageLine(25), '\r');
    EXPECT_EQ(core::MessageLine(26), '\n');
    EXPECT_EQ(core::MessageLine.sub(27, 34), "song.mus");
    EXPECT_EQ(core::MessageLine.sub(157, 168), "\r\n   0 ITEMS");
    EXPECT_EQ(core::ShownParamCount, 0);

    // A name longer than 84 characters from column 73: the count follows the name.
    const std::string long_name(100, 'n');
    core::MessageLine.set("reply");
    edit::show_item_count(core::FixedText<128>(long_name), 73);
    EXPECT_EQ(core::MessageLine.sub(73, 172), long_name);
    EXPECT_EQ(core::MessageLine.sub(173, 184), "\r\n   0 ITEMS");
    // A reply reaching past column 72 keeps its text.
    const std::string long_reply(90, 'r');
    core::MessageLine.set(long_reply);
    edit::show_move_step();
    EXPECT_EQ(core::MessageLine.sub(1, 90), long_reply);
}

TEST_F(MovePlacement, DragRounding) {
    EXPECT_EQ(edit::round_dragged_value(2.8f, 1, 5, 2), 3.0f);
    EXPECT_EQ(edit::round_dragged_value(2.3f, 1, 5, 2), 2.5f);
    EXPECT_EQ(edit::round_dragged_value(2.75f, 1, 5, 2), 2.5f);
    EXPECT_EQ(edit::round_dragged_value(2.2f, 1, 5, 2), 2.0f);
    EXPECT_EQ(edit::round_dragged_value(-2.3f, 1, 5, 2), -2.5f);
    EXPECT_EQ(edit::round_dragged_value(-2.8f, 1, 5, 2), -3.0f);
    EXPECT_EQ(edit::round_dragged_value(2.5f, 1, 5, 0), 3.0f);
    // Rounding digit 1: whole numbers only for the code's listed parameters.
    const struct {
        int32_t code, k;
        bool whole;
    } table[] = {
        {1, 4, true},    {1, 5, false},  {2, 13, true},  {13, 6, true},  {25, 6, true},
        {3, 10, true},   {3, 11, false}, {6, 7, true},   {6, 10, true},  {6, 11, false},
        {14, 9, false},  {14, 10, true}, {14, 40, true}, {17, 7, false}, {17, 13, true},
        {17, 14, false}, {18, 9, true},  {18, 7, false}, {18, 12, true}, {15, 12, true},
    };
    for (const auto& c : table) {
        EXPECT_EQ(edit::round_dragged_value(2.4f, c.code, c.k, 1), c.whole ? 2.0f : 2.4f)
            << c.code << " " << c.k;
    }
}

// An item on staff 201 opened through the interpreter, placed and dragged with the mouse.
TEST_F(MovePlacement, PlacementOnTheRightHandPageAndParameterDrags) {
    enter_items_without_editing();
    type_all({"8 201 0", "1 201 10 1 5", "I 2"});
    ASSERT_EQ(core::EditedItemNumber, 2);
    render::ViewOrigin = {0, 0};
    core::MouseRegion(4) = 34050 + 7500;
    core::MouseRegion(3) = layout::StaffTables.StaffBaseY(201) + 3 * 175;
    edit::move_item_to_mouse();
    EXPECT_FLOAT_EQ(core::EditItemParams(3), 50.0f);
    EXPECT_EQ(core::EditItemParams(4), 5.0f);  // 3 steps and the note's 2, whole
    EXPECT_EQ(edit::PositionEditedFlag, 1);
    EXPECT_FLOAT_EQ(edit::EditScratch(3), 50.0f);
    EXPECT_EQ(edit::EditChangesPending, 1);
    EXPECT_EQ(core::ItemStatusLine.sub(25, 31), "  50.00");

    // A drag of P5: under 3 display units nothing moves.
    edit::SliderParameter = 5;
    core::RoundingDigit = 2;
    int32_t start = 0;
    core::MouseRegion(4) = 1000;
    edit::drag_item_with_mouse(start);
    EXPECT_EQ(start, 1000);
    core::MouseRegion(4) = 1002;
    edit::drag_item_with_mouse(start);
    EXPECT_EQ(core::EditItemParams(5), 5.0f);
    EXPECT_EQ(start, 1000);
    core::MouseRegion(4) = 1003;
    edit::drag_item_with_mouse(start);
    EXPECT_EQ(core::EditItemParams(5), 8.0f);
    EXPECT_EQ(start, 1003);
    edit::SliderStep = 10.0f;
    core::MouseRegion(4) = 1006;  // 0.3 more: 8.3 to the half below
    edit::drag_item_with_mouse(start);
    EXPECT_EQ(core::EditItemParams(5), 8.5f);
}

TEST_F(MovePlacement, BracketLinesBecomeSizeWords) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"[", "/2 1"},    {"[[", "/2 2"}, {"[[[[", "/2 4"},
                 {"]]]", "/2 -3"}, {"]", "/2 -1"}, {"[[[[[", "[[[[["},
                 {"[ [", "[ ["},   {"[]", "[]"},   {"[[ x", "[[ x"}};
    for (const auto& c : cases) {
        core::CommandLine.set(c.in);
        edit::convert_bracket_size_codes();
        EXPECT_EQ(core::CommandLine.trimmed(), c.out) << c.in;
    }
}

TEST(IntToText, LeftTrimmedWithOneBlankAfter) {
    core::FixedText<20> t;
    int32_t p = 10;
    core::int_to_text(42, t, p);
    EXPECT_EQ(t.sub(10, 11), "42");
    EXPECT_EQ(p, 13);
    core::int_to_text(-1234567, t, p);
    EXPECT_EQ(t.sub(13, 20), "-1234567");
    EXPECT_EQ(p, 22);
    core::FixedText<20> u;
    p = 1;
    core::int_to_text(123456789, u, p);
    EXPECT_EQ(u.sub(1, 9), "******** ");
    // At the text's end the digits that do not fit are left out.
    core::FixedText<10> v;
    p = 9;
    core::int_to_text(12345, v, p);
    EXPECT_EQ(v.sub(9, 10), "12");
    EXPECT_EQ(p, 15);
}

TEST_F(MovePlacement, ViewSizeThroughTheServices) {
    float x = 0.0f;
    float y = 0.0f;
    edit::scroll_view_to_point(x, y);  // the first call: 0 for both
    EXPECT_EQ(fe_.view.scroll_sizes, (std::array<int32_t, 6>{0, 0, 40000, 28000, 200, 200}));
    x = 83000.0f;
    y = 44500.7f;
    edit::scroll_view_to_point(x, y);
    EXPECT_EQ(fe_.view.scroll_sizes,
              (std::array<int32_t, 6>{83000, 44500, 40000, 28000, 200, 200}));
    x = 0.0f;
    y = 30000.0f;
    edit::scroll_view_to_point(x, y);  // x as last time
    EXPECT_EQ(fe_.view.scroll_sizes[0], 83000);
    EXPECT_EQ(fe_.view.scroll_sizes[1], 30000);
    EXPECT_EQ(fe_.view.scroll_x, -2400);
    EXPECT_EQ(fe_.view.scroll_y, 10000);
}

}  // namespace
