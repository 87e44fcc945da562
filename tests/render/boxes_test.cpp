// Code 12 boxes, circles and the other figures' shared behaviour: sizes, point counts, the
// screen-only box, the PostScript pass through the writer's hooks, and the repeat-bar dots the
// bar-line drawer draws through the circle drawer.

#include "engine/render/lines/boxes.h"

#include <cmath>
#include <vector>

#include "engine/layout/tables.h"
#include "engine/render/render_registration.h"
#include "tests/render/render_fixture.h"

namespace {

struct HookLog {
    std::vector<std::vector<float>> arcs;
    std::vector<float> box_widths;
    std::vector<int32_t> path_widths;
    int breaks = 0;
    int base_widths = 0;
};
HookLog g_log;

void log_arc(float x, float y, float r, float a, float b, float ys) {
    g_log.arcs.push_back({x, y, r, a, b, ys});
}
void log_box_width(float w) { g_log.box_widths.push_back(w); }
void log_path_width(int32_t w) { g_log.path_widths.push_back(w); }
void log_break() { ++g_log.breaks; }
void log_base_width() { ++g_log.base_widths; }

}  // namespace

class BoxTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        render::register_render_drawers();
        render::RenderHooks.write_ps_arc = log_arc;
        render::RenderHooks.set_box_line_width = log_box_width;
        render::RenderHooks.add_path_width = log_path_width;
        render::RenderHooks.add_path_break = log_break;
        render::RenderHooks.write_ps_base_width = log_base_width;
        g_log = HookLog{};
        render::OutputPassWord = 1;
        for (int32_t s = 1; s <= layout::kMaxStaves; ++s)
            layout::StaffTables.StaffBaseY(s) = -27675 + 3150 * s;
    }
    void TearDown() override {
        render::OutputPassWord = 1;
        RenderTest::TearDown();
    }
    // Draws the code 12 item P1.. (P26 as given) into an empty path list; checks that
    // ParamBuffer comes back as it was.
    static std::vector<PathPoint> draw(std::vector<float> params) {
        render::PathPointList.count = 1;
        params.resize(26, 0.0f);
        set_params(params);
        const auto before = core::ParamBuffer;
        render::draw_item_by_code();
        for (int k = 1; k <= 56; ++k) EXPECT_EQ(core::ParamBuffer(k), before(k)) << "P" << k;
        return path_list();
    }
    static float x0() { return 10.0f * 150.0f; }
    static float y0() { return 4.0f * kStep + static_cast<float>(render::staff_base_y(1)); }
};

TEST_F(BoxTest, BoxSquareAndOutlines) {
    // P6 2, P7 0: a square of half-side 7 x scale, closed on its first corner.
    auto pts = draw({12, 1, 10, 4, 0, 2});
    ASSERT_EQ(pts.size(), 5u);
    const int32_t h = static_cast<int32_t>(7 * kScale);
    EXPECT_EQ(pts[0],
              (PathPoint{static_cast<int32_t>(x0()) - h, static_cast<int32_t>(y0()) - h, 1}));
    EXPECT_EQ(pts[2],
              (PathPoint{static_cast<int32_t>(x0()) + h, static_cast<int32_t>(y0()) + h, 0}));
    EXPECT_EQ(pts[4].x, pts[0].x);
    EXPECT_EQ(pts[4].y, pts[0].y);
    // Filled when P13 is set.
    EXPECT_EQ(draw({12, 1, 10, 4, 0, 2, 0, 0, 0, 0, 0, 0, 1})[0].op, 2);
    // Thickness 2 at scale 25: on screen one further outline 2 x 25 outside.
    pts = draw({12, 1, 10, 4, 0, 2, 0, 2});
    ASSERT_EQ(pts.size(), 10u);
    EXPECT_EQ(pts[5].x, pts[0].x - 50);
    EXPECT_EQ(pts[5].op, 1);
    // The display-file pass draws every outline.
    render::OutputPassWord = 0;
    EXPECT_EQ(draw({12, 1, 10, 4, 0, 2, 0, 2}).size(), 15u);
    // Inches: P6 1 with P16 1 is 22.857 widths.
    render::OutputPassWord = 1;
    pts = draw({12, 1, 10, 4, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_NEAR(pts[1].x - x0(), 3.5f * kScale * 22.857f, 1.0f);
}

TEST_F(BoxTest, CirclePointsArcsAndDashes) {
    // P10..P12 0: every degree, closing on itself.
    auto pts = draw({12, 1, 10, 4, 1, 1});
    ASSERT_EQ(pts.size(), 361u);
    EXPECT_EQ(pts.front().op, 1);
    EXPECT_EQ(pts.front().x, pts.back().x);
    EXPECT_EQ(pts.front().y, pts.back().y);
    EXPECT_NEAR(pts[0].x - x0(), 3.5f * kScale, 1.0f);
    EXPECT_NEAR(pts[90].y - y0(), 3.5f * kScale, 1.0f);
    // An ellipse: height 2 x width.
    pts = draw({12, 1, 10, 4, 1, 1, 2});
    EXPECT_NEAR(pts[90].y - y0(), 7.0f * kScale, 1.0f);
    // An arc from 350 to 10 degrees wraps past 360; a step of 120 gives a triangle.
    EXPECT_EQ(draw({12, 1, 10, 4, 1, 1, 0, 0, 0, 350, 10}).size(), 21u);
    EXPECT_EQ(draw({12, 1, 10, 4, 1, 1, 0, 0, 0, 0, 0, 120}).size(), 4u);
    // A start below 0 counts from 360.
    EXPECT_EQ(draw({12, 1, 10, 4, 1, 1, 0, 0, 0, -90, 0}).size(), 91u);
    // Dashed: dashes of 6 degrees (the divisor of 180 nearest 7) with gaps between.
    pts = draw({12, 1, 10, 4, 1, 1, 0, 0, 0, 0, 0, -7});
    int starts = 0;
    for (const auto& p : pts) starts += p.op == 1;
    EXPECT_EQ(starts, 31);
    EXPECT_LT(pts.size(), 200u);
    // Rotation by P9 turns the points about the centre.
    pts = draw({12, 1, 10, 4, 0, 2, 0, 0, 90});
    EXPECT_NEAR(pts[0].x - x0(), -7 * kScale, 1.0f);
    EXPECT_NEAR(pts[0].y - y0(), 7 * kScale, 1.0f);
}

TEST_F(BoxTest, ScreenOnlyBoxIsBlueAndNotPrinted) {
    auto pts = draw(with_colour({12, 1, 10, 4, 0, 2}, -1.0f));
    EXPECT_TRUE(pts.empty());  // handed to the screen at once
    graphics_length_ = core::GraphicsNextFree - 1;
    const auto entries = render::decode_graphics_list();
    ASSERT_EQ(entries.size(), 10u);  // the outline and one outline at thickness 3
    for (const auto& e : entries) EXPECT_EQ(e.colour, render::colour_from_value(99.0f));
    EXPECT_EQ(entries[5].x - entries[0].x, -75);
    render::OutputPassWord = -1;
    graphics_length_ = 0;
    EXPECT_TRUE(draw(with_colour({12, 1, 10, 4, 0, 2, 0, 2}, -1.0f)).empty());
    EXPECT_TRUE(g_log.box_widths.empty());
    EXPECT_EQ(g_log.breaks, 0);
    // A box another drawer borrows (a number's frame) keeps to its item's colour word: -1 there
    // is a colour, and the frame is printed.
    render::PathPointList.count = 1;
    set_params(with_colour({11, 1, 10, 4, 0, 2}, -1.0f));
    render::draw_box_or_circle_item();
    EXPECT_EQ(path_list().size(), 6u);
}

TEST_F(BoxTest, HugeThicknessesStepsAndSizesAreHeld) {
    // The display-file pass draws every outline: at scale 25, P8 1000 is 1000 outlines, the most
    // there are.
    render::OutputPassWord = 0;
    EXPECT_EQ(draw({12, 1, 10, 4, 0, 2, 0, 999}).size(), 5u + 5u * 999u);
    EXPECT_EQ(draw({12, 1, 10, 4, 0, 2, 0, 1000}).size(), 5u + 5u * 1000u);
    EXPECT_EQ(draw({12, 1, 10, 4, 0, 2, 0, 1001}).size(), 5u + 5u * 1000u);
    EXPECT_EQ(draw({12, 1, 10, 4, 0, 2, 0, 3e9f}).size(), 5u + 5u * 1000u);
    // A circle's outlines end where the path list is full.
    EXPECT_EQ(draw({12, 1, 10, 4, 1, 1, 0, 3e9f}).size(),
              static_cast<std::size_t>(render::kPathPoints));
    // On screen only the outermost outline, at most 1000 x 25 units out.
    render::OutputPassWord = 1;
    auto pts = draw({12, 1, 10, 4, 0, 2, 0, 1e38f});
    ASSERT_EQ(pts.size(), 10u);
    EXPECT_EQ(pts[5].x, pts[0].x - 25000);
    // The lowest whole number as the step is a dashed circle, as -360 is.
    EXPECT_EQ(draw({12, 1, 10, 4, 1, 1, 0, 0, 0, 0, 0, -3e9f}),
              draw({12, 1, 10, 4, 1, 1, 0, 0, 0, 0, 0, -360}));
    EXPECT_EQ(draw({12, 1, 10, 4, 1, 1, 0, 0, 0, 0, 0, 3e9f}).size(), 2u);
    // Sizes are held far off the page.
    pts = draw({12, 1, 10, 4, 0, 1e38f, -1e38f});
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_NEAR(pts[0].x - x0(), -render::kFarCoordinate, 64.0f);
    EXPECT_NEAR(pts[0].y - y0(), render::kFarCoordinate, 64.0f);
}

TEST_F(BoxTest, PostScriptPassUsesTheWriter) {
    render::OutputPassWord = -1;
    // A box with a thickness: the width first, the second corner again, a break last.
    auto pts = draw({12, 1, 10, 4, 0, 2, 0, 2});
    EXPECT_EQ(pts.size(), 6u);
    EXPECT_EQ(g_log.box_widths, std::vector<float>{2.0f});
    EXPECT_EQ(g_log.breaks, 1);
    // A circle of step 0..10 is an arc; with a thickness the base width comes back after it.
    pts = draw({12, 1, 10, 4, 1, 2, 1, 1, 0, 0, 180, 5});
    EXPECT_TRUE(pts.empty());
    ASSERT_EQ(g_log.arcs.size(), 1u);
    EXPECT_FLOAT_EQ(g_log.arcs[0][2], 7.0f * kScale);
    EXPECT_FLOAT_EQ(g_log.arcs[0][4], 180.0f);
    EXPECT_FLOAT_EQ(g_log.arcs[0][5], 0.5f);
    EXPECT_EQ(g_log.base_widths, 1);
    // A step above 10 is drawn as points and ends with a break.
    EXPECT_EQ(draw({12, 1, 10, 4, 1, 1, 0, 1, 0, 0, 0, 12}).size(), 31u);
    EXPECT_EQ(g_log.breaks, 2);
}

TEST_F(BoxTest, RepeatBarDotsAreDrawn) {
    // An end repeat over two staves: two filled dots per staff, 60-degree steps (7 points).
    render::PathPointList.count = 1;
    std::vector<float> bar = {14, 1, 10, 2, 3};
    bar.resize(26, 0.0f);
    set_params(bar);
    render::draw_item_by_code();
    const auto pts = path_list();
    int dots = 0;
    for (std::size_t i = 0; i + 6 < pts.size(); ++i) {
        // A filled dot starts with operation 2 and closes on its first point.
        if (pts[i].op != 2 || pts[i + 6].x != pts[i].x || pts[i + 6].y != pts[i].y) continue;
        ++dots;
        EXPECT_NEAR(pts[i].x - (x0() - 25.5f * kScale), 3.5f * kScale * 0.58f, 1.5f);
    }
    EXPECT_EQ(dots, 4);
}
