// The page frame drawn before a page's items: the paper outline handed to the box drawer, the
// double page's fold, and the display mode's marks with their colours.
#include "engine/render/page/page_frame.h"

#include <vector>

#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/render/render_fixture.h"

namespace {

struct Drawn {
    std::vector<float> p;  // P1..P26
    int32_t colour;
    int32_t edited;
};
std::vector<Drawn> g_boxes;
std::vector<Drawn> g_items;
int g_new_note_calls = 0;

Drawn snapshot() {
    Drawn d{{}, render::DrawColourWord, core::EditedItemNumber};
    for (int k = 1; k <= 26; ++k) d.p.push_back(core::ParamBuffer(k));
    return d;
}
void record_box() {
    g_boxes.push_back(snapshot());
    draw_two_points();
}
void record_item() {
    g_items.push_back(snapshot());
    draw_two_points();
}
int32_t count_new_note_call() {
    ++g_new_note_calls;
    return 1;
}

int32_t rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

}  // namespace

class PageFrameTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        g_boxes.clear();
        g_items.clear();
        g_new_note_calls = 0;
        saved_new_notes_ = render::NewNoteMarkDrawer;
        render::NewNoteMarkDrawer = count_new_note_call;
        render::RenderHooks.draw_box_or_circle_item = record_box;
        render::register_item_drawer(4, record_item);
        render::register_item_drawer(13, record_item);
        render::register_item_drawer(14, record_item);
        core::CommandLine.blank();
        core::MacroUnit = -2;
        layout::MaxStaffNumber = 9;
    }
    void TearDown() override {
        render::NewNoteMarkDrawer = saved_new_notes_;
        RenderTest::TearDown();
    }
    int32_t (*saved_new_notes_)() = nullptr;
};

TEST_F(PageFrameTest, TheRedrawDrawsTheFrameThroughItsHook) {
    EXPECT_EQ(render::RenderHooks.draw_page_frame, &render::draw_page_frame);
    core::PageFormatIndex = 2;
    add_item({14.0f, 1.0f, 10.0f, 0.0f, 1.0f});
    render::redraw_items();
    ASSERT_EQ(g_boxes.size(), 1u);
    ASSERT_EQ(g_items.size(), 1u);
    EXPECT_EQ(g_items[0].p[0], 14.0f);  // the stored item comes after the frame
}

TEST_F(PageFrameTest, NoFormatAndNoMarkDrawNothing) {
    core::ParamBuffer(2) = 7.0f;
    render::draw_page_frame();
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_TRUE(g_items.empty());
    EXPECT_EQ(render::PathPointList.count, 1);
    EXPECT_EQ(core::GraphicsNextFree, 1);
    EXPECT_EQ(core::ParamBuffer(2), 7.0f);
}

TEST_F(PageFrameTest, LegalPaperIsAGreenBoxOfItsSize) {
    core::PageFormatIndex = 2;
    core::EditedItemNumber = 4;
    render::DrawColourWord = 77;
    layout::StaffTables.CurrentStaff = 3;
    render::draw_page_frame();
    ASSERT_EQ(g_boxes.size(), 1u);
    const auto& b = g_boxes[0];
    EXPECT_EQ(b.p[0], 12.0f);
    EXPECT_EQ(b.p[1], 0.0f);
    EXPECT_EQ(b.p[2], 100.0f);
    EXPECT_FLOAT_EQ(b.p[3], 164.15501f);
    EXPECT_EQ(b.p[4], 0.0f);  // a box, not a circle
    EXPECT_FLOAT_EQ(b.p[5], 194.2845f);
    EXPECT_FLOAT_EQ(b.p[6], 319.99802f);
    EXPECT_EQ(b.p[7], 2.0f);
    EXPECT_EQ(b.p[25], 9900.0f);
    EXPECT_EQ(b.edited, -1);
    EXPECT_EQ(render::colour_from_value(9900.0f), rgb(0, 253, 0));
    // The outline's points went to the screen list; the drawing state is back.
    EXPECT_GT(core::GraphicsNextFree, 1);
    EXPECT_EQ(core::EditedItemNumber, 4);
    EXPECT_EQ(render::DrawColourWord, 77);
    EXPECT_EQ(layout::StaffTables.CurrentStaff, 3);
}

TEST_F(PageFrameTest, DoublePageDrawsTheFoldFirst) {
    core::PageFormatIndex = 4;
    render::draw_page_frame();
    ASSERT_EQ(g_items.size(), 1u);
    const auto& fold = g_items[0].p;
    EXPECT_EQ(fold[0], 4.0f);
    EXPECT_FLOAT_EQ(fold[2], 213.334f);
    EXPECT_FLOAT_EQ(fold[5], 213.334f);
    EXPECT_EQ(fold[3], 4.5f);
    EXPECT_EQ(fold[4], 256.0f);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_FLOAT_EQ(g_boxes[0].p[2], 213.33354f);
    EXPECT_FLOAT_EQ(g_boxes[0].p[5], 388.569f);
}

TEST_F(PageFrameTest, UserPaperAndTheWindowSetUp) {
    core::PageFormatIndex = 8;
    render::UserPaperSize = {8.5f, 11.0f};
    core::CommandLine.set(" CS");
    render::draw_page_frame();
    ASSERT_EQ(g_boxes.size(), 1u);
    const auto& b = g_boxes[0].p;
    EXPECT_NEAR(b[2], 8.5f * 13.3334f - 13.3334f, 1e-3);
    EXPECT_NEAR(b[3], 11.0f * 0.5f * 22.857f + 4.156f, 1e-3);
    EXPECT_NEAR(b[5], 8.5f * 22.857f, 1e-3);
    EXPECT_NEAR(b[6], 11.0f * 22.857f, 1e-3);
    EXPECT_EQ(render::ViewOrigin.y, 41200);
    EXPECT_EQ(render::ScrollState.position_x, -2400);
    EXPECT_EQ(render::ScrollState.position_y, 55000);

    // Letter paper keeps the view's origin.
    g_boxes.clear();
    render::ViewOrigin.y = 123;
    core::PageFormatIndex = 1;
    render::draw_page_frame();
    EXPECT_EQ(render::ViewOrigin.y, 123);
    EXPECT_FLOAT_EQ(g_boxes.at(0).p[6], 251.427f);
}

TEST_F(PageFrameTest, MarkWordsPickSymbolStaffAndColour) {
    layout::StaffTables.StaffScale(5) = 25.0f;
    render::DisplayMarkWord = 2005;
    render::draw_page_frame();
    ASSERT_EQ(g_items.size(), 1u);
    auto m = g_items[0];
    EXPECT_EQ(m.p[0], 13.0f);
    EXPECT_EQ(m.p[1], 5.0f);
    EXPECT_EQ(m.p[4], 1301.0f);
    EXPECT_EQ(m.p[5], 1.0f);
    EXPECT_EQ(m.p[3], 0.0f);
    EXPECT_EQ(m.colour, rgb(253, 127, 0));
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);  // cleared afterwards

    // Kind 1 on a half-size staff; a page extent with its own symbol.
    g_items.clear();
    layout::StaffTables.StaffScale(2) = 12.5f;
    render::PageExtent = 194.0f;
    render::DisplayMarkWord = 1002;
    render::draw_page_frame();
    m = g_items.at(0);
    EXPECT_EQ(m.p[4], 1307.0f);
    EXPECT_EQ(m.p[5], 2.0f);
    EXPECT_EQ(m.p[3], -11.0f);
    EXPECT_EQ(m.colour, rgb(44, 150, 0));

    // Kind 3 (exactly the last of the staff marks) and kinds 4 and 5.
    g_items.clear();
    render::PageExtent = 200.0f;
    render::DisplayMarkWord = 3005;
    render::draw_page_frame();
    EXPECT_EQ(g_items.at(0).p[4], 1302.0f);
    EXPECT_EQ(g_items.at(0).colour, rgb(0, 127, 253));
    render::DisplayMarkWord = 4000;
    render::draw_page_frame();
    m = g_items.at(1);
    EXPECT_EQ(m.p[1], 0.0f);
    EXPECT_EQ(m.p[2], -7.0f);
    EXPECT_EQ(m.p[3], 21.0f);
    EXPECT_EQ(m.p[4], 1303.0f);
    EXPECT_FLOAT_EQ(m.p[5], 3.333f);
    render::DisplayMarkWord = 5003;
    render::draw_page_frame();
    m = g_items.at(2);
    EXPECT_EQ(m.p[2], 3.0f);
    EXPECT_EQ(m.p[4], 1304.0f);
    EXPECT_FLOAT_EQ(m.p[5], 2.623f);
}

TEST_F(PageFrameTest, AStaffWithoutScaleGetsThePlainSize) {
    layout::MaxStaffNumber = 9;
    layout::StaffTables.StaffScale(9) = 0.0f;
    render::DisplayMarkWord = 2009;
    render::draw_page_frame();
    ASSERT_EQ(g_items.size(), 1u);
    EXPECT_EQ(g_items[0].p[5], 1.0f);
    EXPECT_EQ(g_items[0].p[3], 0.0f);
}

TEST_F(PageFrameTest, TheEModeDrawsABarMarkAtTheGivenStaff) {
    render::DisplayMarkWord = 2005;  // the bar mark wins
    core::CommandLine.set("SCE");
    core::ParamBuffer(2) = 6.0f;
    render::draw_page_frame();
    ASSERT_EQ(g_items.size(), 1u);
    const auto& p = g_items[0].p;
    EXPECT_EQ(p[0], 14.0f);
    EXPECT_EQ(p[1], 1.0f);
    EXPECT_EQ(p[2], 6.0f);
    EXPECT_EQ(p[3], 30.0f);
    EXPECT_EQ(p[4], 7.0f);
    EXPECT_EQ(p[7], 2.0f);
    EXPECT_EQ(p[8], 3.0f);
    EXPECT_EQ(p[9], -6.0f);
    EXPECT_EQ(p[10], 18.0f);
    EXPECT_EQ(p[25], 9020.0f);
}

TEST_F(PageFrameTest, ANegativeWordDrawsTheNewNoteMarks) {
    render::DisplayMarkWord = -1;
    layout::StaffTables.CurrentStaff = 2;
    render::draw_page_frame();
    EXPECT_EQ(g_new_note_calls, 1);
    EXPECT_TRUE(g_items.empty());
    EXPECT_EQ(layout::StaffTables.CurrentStaff, 2);
}
