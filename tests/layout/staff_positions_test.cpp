// The staff step: where a staff item puts its staff (default places, the P4 offset, P10
// placement against another staff), which lines it draws for each P7, the guide line, the
// line-width entries of the output pass, the number label and the out-of-range warning.
#include "engine/layout/staves/staff_positions.h"

#include "engine/commands/interpreter/interpreter.h"
#include "engine/core/files/document_tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "tests/layout/layout_fixture.h"

using layout::StaffTables;

namespace {

class StaffStepTest : public LayoutTest {
  protected:
    // Runs the staff step on a fresh PathPointList and returns the segments it drew.
    std::vector<Segment> draw(const std::vector<float>& params) {
        render::PathPointList.count = 1;
        load_item(params);
        layout::draw_staff_item();
        return segments();
    }
    // The same without reading the points back as segments.
    void draw_only(const std::vector<float>& params) {
        render::PathPointList.count = 1;
        load_item(params);
        layout::draw_staff_item();
    }
};

TEST_F(StaffStepTest, DefaultPlacesOfStaves) {
    // Staff 1, P4 0, P5 0 (size 1.0), no P10.
    const auto lines = draw({8, 1, 0, 0, 0});
    EXPECT_EQ(StaffTables.StaffScale(1), 25.0f);
    EXPECT_EQ(StaffTables.StaffScale(0), 25.0f);
    EXPECT_EQ(StaffTables.CurrentStaff, 1);
    EXPECT_EQ(StaffTables.StaffBaseY(1), -24525);
    EXPECT_EQ(StaffTables.StaffMiddleY(1), -23300);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].y1, -24000);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].y1, -24000 + 350 * static_cast<int32_t>(i));  // line space 350
        EXPECT_EQ(lines[i].y2, lines[i].y1);
        EXPECT_EQ(lines[i].x1, 0);
        EXPECT_EQ(lines[i].x2, 30000);
    }
    EXPECT_EQ(render::ViewOrigin.y, -15000);  // set on the first staff drawn

    // Staff 200 takes the place of a staff 0; staff 201 that of staff 1.
    EXPECT_EQ(draw({8, 200, 0, 0, 0})[0].y1, -27150);
    draw({8, 201, 0, 0, 0});
    EXPECT_EQ(StaffTables.StaffBaseY(201), -24525);

    // P4 moves by steps of the staff; a smaller staff has smaller steps.
    EXPECT_EQ(draw({8, 2, 0, 2, 0})[0].y1, -20850 + 2 * 175);
    draw({8, 3, 10, 0, 0.6f, 40});
    EXPECT_FLOAT_EQ(StaffTables.StaffScale(3), 15.0f);
    EXPECT_EQ(StaffTables.StaffBaseY(3), -17700 - 315);
    EXPECT_NEAR(StaffTables.StaffMiddleY(3), -17700 - 315 + 735, 1);
    EXPECT_EQ(StaffTables.StaffLineWidthCode(3), -1);  // P11 0 on a staff below 0.65
    const auto small = segments();
    ASSERT_EQ(small.size(), 5u);
    EXPECT_EQ(small[0].x1, 1500);  // P3 = 10
    EXPECT_EQ(small[0].x2, 6000);  // P6 = 40
    EXPECT_EQ(small[1].y1 - small[0].y1, 210);
}

TEST_F(StaffStepTest, PlacementAgainstAnotherStaff) {
    draw({8, 3, 0, 0, 0});
    ASSERT_EQ(StaffTables.StaffBaseY(3), -18225);
    // P10 = 305.5: 5.5 inches above staff 3's bottom line (-17700).
    const auto lines = draw(with_p({8, 5, 0, 0, 0}, 10, 305.5f));
    EXPECT_EQ(lines[0].y1, -17700 + 22000);
    EXPECT_EQ(StaffTables.StaffBaseY(5), -17700 + 22000 - 525);

    // A reference of 0 means staff 1.
    draw({8, 1, 0, 0, 0});
    EXPECT_EQ(draw(with_p({8, 6, 0, 0, 0}, 10, 0.5f))[0].y1, -24000 + 2000);

    // Centimetres when the measurement units are metric: 5.08 cm is 2 inches.
    core::MetricFlag = 1;
    EXPECT_NEAR(draw(with_p({8, 7, 0, 0, 0}, 10, 305.08f))[0].y1, -17700 + 8000, 2);
}

TEST_F(StaffStepTest, LineCountsAndHiddenStaves) {
    const int32_t bottom = -24000;
    // 301: one line, two line spaces up (the middle line).
    auto lines = draw(with_p({8, 1, 0, 0, 0}, 7, 301));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].y1, bottom + 700);
    // 1: the bottom line only; 3: three lines; 205: five lines from one space up; 100: none.
    lines = draw(with_p({8, 1, 0, 0, 0}, 7, 1));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].y1, bottom);
    EXPECT_EQ(draw(with_p({8, 1, 0, 0, 0}, 7, 3)).size(), 3u);
    lines = draw(with_p({8, 1, 0, 0, 0}, 7, 205));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].y1, bottom + 350);
    EXPECT_TRUE(draw(with_p({8, 1, 0, 0, 0}, 7, 100)).empty());

    // -1: hidden; shown grey (P26 0.8) as five lines only when invisible items are shown, and
    // never in the output pass. The tables are set either way.
    const auto hidden = with_p(with_p({8, 4, 0, 0, 0}, 7, -1), 26, 990000);
    layout::ShowInvisibleItems = -1;
    EXPECT_TRUE(draw(hidden).empty());
    EXPECT_EQ(core::ParamBuffer(26), 990000.0f);
    EXPECT_EQ(StaffTables.StaffBaseY(4), -14550 - 525);
    layout::ShowInvisibleItems = 1;
    EXPECT_EQ(draw(hidden).size(), 5u);
    EXPECT_FLOAT_EQ(core::ParamBuffer(26), 0.8f);
    EXPECT_EQ(StaffTables.StaffColour(4), 990000.0f);  // the staff's own colour is kept
    render::OutputPassWord = -1;
    EXPECT_TRUE(draw(hidden).empty());
}

int g_widths = 0;
int32_t g_last_width = 0;
int g_breaks = 0;
void record_width(int32_t w) {
    ++g_widths;
    g_last_width = w;
    render::add_path_point(999, static_cast<float>(w), 99);
}
void record_break() {
    ++g_breaks;
    render::add_path_point(0, 0, -99);
}

TEST_F(StaffStepTest, GuideLineAndLineWidthEntries) {
    // P8 = 1.5: a guide line 1.5 inches above the bottom line, from the left end to 30000,
    // before the lines; drawn only while OutputPassWord is 0 or more.
    auto lines = draw(with_p({8, 1, 20, 0, 0}, 8, 1.5f));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].y1, -24000 + 6000);
    EXPECT_EQ(lines[0].x1, 3000);
    EXPECT_EQ(lines[0].x2, 30000);

    layout::LayoutHooks.add_path_width = record_width;
    layout::LayoutHooks.add_path_break = record_break;
    g_widths = g_breaks = 0;
    // Screen pass: never a width entry.
    draw(with_p({8, 1, 0, 0, 0}, 11, 3));
    EXPECT_EQ(g_widths, 0);
    // Output pass: the width code brackets the lines.
    render::OutputPassWord = -1;
    draw_only(with_p({8, 1, 0, 0, 0}, 11, 3));
    EXPECT_EQ(g_widths, 1);
    EXPECT_EQ(g_last_width, 3);
    EXPECT_EQ(g_breaks, 1);
    EXPECT_EQ(render::PathPointList.op(1), 99);
    EXPECT_EQ(render::PathPointList.op(12), -99);
    // 99 means none; so does a guide line in the output pass (it is not drawn there).
    draw_only(with_p({8, 1, 0, 0, 0}, 11, 99));
    EXPECT_EQ(g_widths, 1);
    draw_only(with_p(with_p({8, 1, 0, 0, 0}, 11, 3), 8, 1.0f));
    EXPECT_EQ(render::PathPointList.count, 1 + 1 + 10 + 1);
    EXPECT_EQ(g_widths, 2);
    EXPECT_EQ(g_breaks, 2);
}

TEST_F(StaffStepTest, NumberLabel) {
    ASSERT_TRUE(use_build_fonts()) << "the labels are text: the build's fonts are needed";
    auto staff = with_p(with_p({8, 2, 0, 0, 0.5f}, 14, 7), 26, 123456);
    draw(staff);
    // The staff number through the number drawer: "2" (P5 the number, no decimals) in the
    // label style 1008 (Helvetica-BoldOblique, no outline, no colour words of the staff) in the
    // label's green 00 45 20, at 1 / size: one label size on every staff.
    auto shown = shown_texts();
    ASSERT_EQ(shown.size(), 1u);
    const ShownRecord& label = shown[0];
    EXPECT_EQ(label.text(), "2");
    EXPECT_EQ(label.face, "Nimbus Sans");
    EXPECT_EQ(label.weight, 700);
    EXPECT_EQ(label.italic, -1);
    EXPECT_EQ(label.colour, 0u | 115u << 8 | 51u << 16);  // 00 45 20 x 2.56
    EXPECT_FLOAT_EQ(label.height, StaffTables.StaffScale(2) * 2.0f * 0.25f * 1.937f);
    EXPECT_FLOAT_EQ(label.height, 25.0f * 0.25f * 1.937f);
    // Left of the page, on step 6 of the staff: base + 6 x 7 x 12.5.
    ASSERT_EQ(label.chars.size(), 1u);
    EXPECT_EQ(label.chars[0].x, render::ViewOrigin.x - 1200);
    EXPECT_EQ(label.chars[0].y, StaffTables.StaffBaseY(2) + 525 - render::ViewOrigin.y - 100);
    EXPECT_EQ(core::ParamBuffer(5), 0.5f);  // P5, P6, P26 and the origin come back
    EXPECT_EQ(core::ParamBuffer(26), 123456.0f);
    EXPECT_EQ(render::ItemDrawOrigin.x, 0.0f);

    int32_t from = text_length_;
    draw({8, 120, 0, 0, 0});
    shown = shown_texts(from);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "120");
    EXPECT_EQ(shown[0].chars.at(0).x, render::ViewOrigin.x - 1700);
    from = text_length_;
    draw({8, 3, -2, 0, 0});
    shown = shown_texts(from);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].chars.at(0).x, render::ViewOrigin.x - 300 - 1200);

    // P12 set, or the output pass: no label.
    from = text_length_;
    draw(with_p({8, 3, 0, 0, 0}, 12, 1));
    render::OutputPassWord = -1;
    draw({8, 3, 0, 0, 0});
    EXPECT_EQ(text_length_, from);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(StaffStepTest, P4OutOfRangeIsWarnedAndLeavesThePlace) {
    draw({8, 7, 0, 0, 0});
    const int32_t base = StaffTables.StaffBaseY(7);
    EXPECT_TRUE(draw({8, 7, 0, 1000, 2}).empty());
    EXPECT_EQ(StaffTables.StaffBaseY(7), base);
    EXPECT_EQ(StaffTables.StaffScale(7), 50.0f);  // scale, colour and width code are set
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    const std::string& m = fe_.message_boxes[0];
    EXPECT_EQ(m.substr(0, 44), "*** Warning: P4 of Staff   7 out of range.\r\n");
    EXPECT_EQ(m.substr(25, 3), "  7");
    // Value (1F5.0) in columns 45-49, base (1I7) in 50-56, blanks to column 66.
    EXPECT_NE(m.substr(44, 5).find("1000"), std::string::npos);
    EXPECT_EQ(m.substr(49, 7), "  -5100");
}

TEST_F(StaffStepTest, StaffNumbersOutsideTheTablesAreIgnored) {
    draw({8, 1, 0, 0, 0});
    const auto before = StaffTables;
    for (float s : {0.0f, -3.0f, 257.0f, 600.0f, 70000.0f}) {
        EXPECT_TRUE(draw({8, s, 0, 0, 2}).empty()) << s;
        // A P10 reference beyond the tables is ignored the same way.
    }
    EXPECT_TRUE(draw(with_p({8, 2, 0, 0, 2}, 10, 30000.5f)).empty());
    EXPECT_TRUE(draw(with_p({8, 2, 0, 0, 2}, 10, -150.0f)).empty());
    EXPECT_EQ(StaffTables.StaffScale(0), before.StaffScale(0));
    EXPECT_EQ(StaffTables.CurrentStaff, 1);
    EXPECT_EQ(StaffTables.StaffScale(2), before.StaffScale(2));
    EXPECT_EQ(StaffTables.StaffBaseY(2), before.StaffBaseY(2));
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(StaffStepTest, StaffTwoHundredFiftySixIsTheLastStaffOfTheTables) {
    const auto lines = draw({8, 256, 0, 0, 0});
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(StaffTables.CurrentStaff, 256);
    EXPECT_EQ(StaffTables.StaffBaseY(256), (256 - 199) * 3150 - 30300 - 525);
    // It may be the reference of a placement; staff 257 may not.
    draw(with_p({8, 5, 0, 0, 0}, 10, 25600.5f));
    EXPECT_EQ(StaffTables.StaffBaseY(5), StaffTables.StaffBaseY(256) + 2000);
    const int32_t base5 = StaffTables.StaffBaseY(5);
    EXPECT_TRUE(draw(with_p({8, 5, 0, 0, 0}, 10, 25700.5f)).empty());
    EXPECT_EQ(StaffTables.StaffBaseY(5), base5);
}

// A staff item typed as a line of numbers, then the page redrawn: the dispatcher reaches the
// staff step for code 8 and its lines arrive in GraphicsList.
TEST_F(StaffStepTest, TypedStaffIsDrawnThroughThePageRedraw) {
    core::MessageLine.set("8 1 10");
    int32_t status = 0;
    core::run_command(graphics_.data(), graphics_length_, text_.data(), text_length_, status);
    ASSERT_EQ(core::ItemCount, 1);
    render::redraw_items();
    const auto entries = render::decode_graphics_list();
    ASSERT_EQ(entries.size(), 10u);
    for (std::size_t i = 0; i < entries.size(); i += 2) {
        EXPECT_EQ(entries[i].op, 1);
        EXPECT_EQ(entries[i + 1].op, 0);
        EXPECT_EQ(entries[i].x, 1500 + render::ViewOrigin.x);
        EXPECT_EQ(entries[i + 1].x, 30000 + render::ViewOrigin.x);
        EXPECT_EQ(entries[i].y, -24000 + 175 * static_cast<int32_t>(i) - render::ViewOrigin.y);
    }
    EXPECT_EQ(StaffTables.StaffBaseY(1), -24525);
}

}  // namespace
