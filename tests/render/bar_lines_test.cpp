// The bar-line drawer (Code 14) through the dispatcher: every kind's strokes and dots, dashed
// and invisible bars, the staff span (cut at the last staff, 999 = the whole system), braces,
// brackets and the rest a bar may carry. Dots and rests are recorded by stand-in drawers of
// codes 12 and 2.
#include <algorithm>
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/lines.h"
#include "tests/render/render_fixture.h"

namespace {

struct Nested {
    int32_t staff;
    float x, y;
    float p4, p5, p6, p7, p12, p13;
};
std::vector<Nested> g_dots;
std::vector<Nested> g_rests;

Nested nested() {
    const auto& p = core::ParamBuffer;
    const auto& at = render::ItemDrawOrigin;
    return {core::IntParamBuffer(2), at.x, at.y, p(4), p(5), p(6), p(7), p(12), p(13)};
}
void record_dot() { g_dots.push_back(nested()); }
void record_rest() { g_rests.push_back(nested()); }
float g_line_width = 0.0f;
float line_width() { return g_line_width; }

constexpr float kW = 25.0f;  // width unit: the staff scale

float staff_y(int32_t s, float pos) {
    return pos * 7.0f * kW + static_cast<float>(layout::StaffTables.StaffBaseY(s));
}

// The thin strokes (two-point paths of equal x) and filled bands (op 2, five corners) drawn.
std::vector<int32_t> thin_strokes(const std::vector<PathPoint>& pts) {
    std::vector<int32_t> xs;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        if (pts[i].op == 1 && pts[i + 1].op == 0 && pts[i].x == pts[i + 1].x)
            xs.push_back(pts[i].x);
    }
    return xs;
}
std::vector<std::pair<int32_t, int32_t>> bands(const std::vector<PathPoint>& pts) {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (std::size_t i = 0; i + 4 < pts.size(); ++i) {
        if (pts[i].op == 2) out.emplace_back(pts[i].x, pts[i + 1].x);
    }
    return out;
}

}  // namespace

class BarTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        render::register_line_drawers();
        render::register_code12_drawer(render::Code12Drawer::BoxOrCircle, record_dot);
        render::register_item_drawer(2, record_rest);
        render::RenderHooks.output_line_width = line_width;
        g_dots.clear();
        g_rests.clear();
        g_line_width = 0.0f;
        render::OutputPassWord = 1;
        for (int32_t s = 1; s <= layout::kMaxStaves; ++s) {
            layout::StaffTables.StaffBaseY(s) = -27675 + 3150 * s;
        }
    }
    void TearDown() override {
        render::OutputPassWord = 1;
        layout::ShowInvisibleItems = -1;
        RenderTest::TearDown();
    }
    // A bar item on staff `staff` at P3 = 10 with P4.. as given, drawn into an empty path list.
    static std::vector<PathPoint> bar(int32_t staff, std::vector<float> p4_on) {
        clear();
        std::vector<float> params = {14.0f, static_cast<float>(staff), 10.0f};
        params.insert(params.end(), p4_on.begin(), p4_on.end());
        params.resize(26, 0.0f);
        set_params(params);
        render::draw_item_by_code();
        return path_list();
    }
    static void clear() {
        render::PathPointList.count = 1;
        g_dots.clear();
        g_rests.clear();
    }
};

TEST_F(BarTest, SingleDoubleAndFinalBars) {
    // Kind 0 on screen (no output line width): a thin stroke from position 3 to 11.
    auto pts = bar(1, {0, 0});
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].x, 1500);
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(staff_y(1, 3)));
    EXPECT_EQ(pts[1].y, static_cast<int32_t>(staff_y(1, 11)));
    // With the output's line width: P6 + 1 widths left of x. A thin stroke gets a second line
    // one width to the right.
    render::OutputPassWord = -1;
    g_line_width = 4.0f;
    EXPECT_EQ(bands(bar(1, {0, 0})), (std::vector<std::pair<int32_t, int32_t>>{{1496, 1500}}));
    EXPECT_EQ(bands(bar(1, {0, 0, 2})), (std::vector<std::pair<int32_t, int32_t>>{{1488, 1500}}));
    EXPECT_EQ(thin_strokes(bar(1, {0, 1})), (std::vector<int32_t>{1500, 1504, 1312, 1316}));
    render::OutputPassWord = 1;
    g_line_width = 0.0f;

    // Kind 1: thin at x and 7.5 w left; P13 = 1 widens the gap by 6 w.
    EXPECT_EQ(thin_strokes(bar(1, {0, 1})), (std::vector<int32_t>{1500, 1312}));
    auto wide = bar(1, {0, 1, 0, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(thin_strokes(wide), (std::vector<int32_t>{1500, 1162}));
    // Kind 2: thin 13.8 w left of a thick band from x - 6 w to x.
    pts = bar(1, {0, 2});
    EXPECT_EQ(thin_strokes(pts), std::vector<int32_t>{1155});
    EXPECT_EQ(bands(pts), (std::vector<std::pair<int32_t, int32_t>>{{1350, 1500}}));
    EXPECT_TRUE(g_dots.empty());
}

TEST_F(BarTest, RepeatBarsPutTwoDotsOnEveryStaff) {
    // End repeat over two staves: dots 25.5 w left, lower at 42 x scale above the staff's base,
    // the upper two steps higher; filled circles of size 0.58 in 60-degree steps on screen.
    auto pts = bar(1, {2, 3});
    ASSERT_EQ(g_dots.size(), 4u);
    EXPECT_EQ(g_dots[0].staff, 1);
    EXPECT_EQ(g_dots[2].staff, 2);
    for (const Nested& d : g_dots) {
        EXPECT_NEAR(d.x, 1500 - 25.5f * kW, 0.5f);
        EXPECT_EQ(d.p5, 1.0f);
        EXPECT_FLOAT_EQ(d.p6, 0.58f);
        EXPECT_FLOAT_EQ(d.p7, 0.58f);
        EXPECT_EQ(d.p12, 60.0f);
        EXPECT_EQ(d.p13, 1.0f);
    }
    EXPECT_NEAR(g_dots[0].y, staff_y(1, 6), 0.5f);
    EXPECT_NEAR(g_dots[1].y, staff_y(1, 8), 0.5f);
    EXPECT_NEAR(g_dots[3].y, staff_y(2, 8), 0.5f);
    EXPECT_EQ(bands(pts).size(), 1u);
    EXPECT_EQ(thin_strokes(pts).size(), 1u);
    // The stroke spans both staves.
    EXPECT_EQ(pts[1].y, static_cast<int32_t>(staff_y(2, 11)));
    EXPECT_EQ(layout::StaffTables.CurrentStaff, 1);

    // Start repeat: thick at x, thin 7.8 w right, dots 19.5 w right; P12 sizes the dots,
    // P16's hundreds place them, and PostScript asks for round dots.
    render::OutputPassWord = -1;
    pts = bar(1, {0, 4, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 500});
    EXPECT_EQ(bands(pts), (std::vector<std::pair<int32_t, int32_t>>{{1350, 1500}}));
    EXPECT_EQ(thin_strokes(pts)[0], 1695);
    ASSERT_EQ(g_dots.size(), 2u);
    EXPECT_NEAR(g_dots[0].x, 1500 + 19.5f * kW + 6 * kW, 0.5f);
    EXPECT_NEAR(g_dots[0].y, staff_y(1, 5), 0.5f);
    EXPECT_FLOAT_EQ(g_dots[0].p6, 1.16f);
    EXPECT_EQ(g_dots[0].p12, 0.0f);
    render::OutputPassWord = 1;

    // Double repeat: one thick stroke with a thin stroke and dots on each side.
    pts = bar(1, {0, 5});
    EXPECT_EQ(bands(pts).size(), 1u);
    auto thins = thin_strokes(pts);
    std::sort(thins.begin(), thins.end());
    ASSERT_EQ(thins.size(), 2u);
    EXPECT_LT(thins[0], 1350);
    EXPECT_GT(thins[1], 1500);
    ASSERT_EQ(g_dots.size(), 4u);
    EXPECT_GT(g_dots[0].x, 1500.0f);
    EXPECT_LT(g_dots[2].x, 1350.0f);

    // Double thick repeat: two thick strokes, dots 18.36 w left and 25.2 w right.
    pts = bar(1, {0, 6});
    EXPECT_EQ(bands(pts), (std::vector<std::pair<int32_t, int32_t>>{{1350, 1500}, {1675, 1825}}));
    ASSERT_EQ(g_dots.size(), 4u);
    EXPECT_NEAR(g_dots[0].x, 1500 - 18.36f * kW, 0.5f);
    EXPECT_NEAR(g_dots[2].x, 1500 + 25.2f * kW, 0.5f);
}

TEST_F(BarTest, DashedAndInvisibleBars) {
    // Kind 7: a vertical dashed line from position 3 to 11 (dash 1 step, gap 2).
    auto pts = bar(1, {0, 7});
    ASSERT_GE(pts.size(), 4u);
    for (const PathPoint& p : pts) EXPECT_EQ(p.x, 1500);
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(staff_y(1, 3)));
    EXPECT_NEAR(pts.back().y, staff_y(1, 11), 1.0f);
    EXPECT_NEAR(pts[1].y - pts[0].y, 7 * kW, 40.0f);  // fitted dash

    // P4 = -2: hidden while invisible items are hidden, dashed 0.3 / 1.5 over two staves while
    // they are shown, never in PostScript.
    layout::ShowInvisibleItems = -1;
    EXPECT_TRUE(bar(1, {-2}).empty());
    layout::ShowInvisibleItems = 1;
    pts = bar(1, {-2});
    ASSERT_GE(pts.size(), 10u);
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(staff_y(1, 3)));
    EXPECT_NEAR(pts.back().y, staff_y(2, 11), 1.0f);
    EXPECT_NEAR(pts[1].y - pts[0].y, 0.3f * 7 * kW, 15.0f);
    render::OutputPassWord = -1;
    EXPECT_TRUE(bar(1, {-2}).empty());
}

TEST_F(BarTest, TheSpanStopsAtTheLastStaffAndReachesTheWholeSystem) {
    // Three staves from 255 are cut to 255 and 256.
    auto pts = bar(255, {3, 3});
    ASSERT_EQ(g_dots.size(), 4u);
    EXPECT_EQ(g_dots[3].staff, 256);
    EXPECT_EQ(pts[1].y, static_cast<int32_t>(staff_y(256, 11)));

    // 999: up to the highest staff item of the page; the bar being edited takes the count.
    for (float s : {1.0f, 2.0f, 4.0f}) add_item({8, s, 0});
    core::EditedItemNumber = 4;
    core::EditItemParams.fill(0.0f);
    for (int32_t k = 1; k <= 4; ++k)
        core::EditItemParams(k) = std::vector<float>{14, 2, 10, 999}[k - 1];
    pts = bar(2, {999, 0, 0, 0, 0, 0, 0, 5, 5});
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(staff_y(2, 3)));  // P10 and P11 back to defaults
    EXPECT_EQ(pts[1].y, static_cast<int32_t>(staff_y(4, 11)));
    EXPECT_EQ(core::EditItemParams(4), 3.0f);
    // Another item being edited is left alone.
    core::EditItemParams(1) = 1.0f;
    core::EditItemParams(4) = 999.0f;
    bar(2, {999});
    EXPECT_EQ(core::EditItemParams(4), 999.0f);
    core::EditedItemNumber = 0;
}

TEST_F(BarTest, BracketsBracesShortStrokesAndRests) {
    // Bracket: a band from x - 14.1 w to x - 9.6 w from position 1 to 13, curled at both ends
    // (P8 0), at the top only (1), or plain (3).
    auto pts = bar(1, {0, 9});
    auto b = bands(pts);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0], (std::pair<int32_t, int32_t>{1147, 1260}));
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(staff_y(1, 1)));
    EXPECT_EQ(pts[2].y, static_cast<int32_t>(staff_y(1, 13)));
    const PathPoint curl_tip = pts[5 + 6];  // sixth table point of the top curl
    EXPECT_NEAR(curl_tip.x, 1500 - 12 * kW + 0.15f * kW * 192, 1.0f);
    EXPECT_NEAR(curl_tip.y, staff_y(1, 13) + 0.15f * kW * 60, 1.0f);
    EXPECT_EQ(bands(bar(1, {0, 9, 0, 0, 1})).size(), 2u);
    EXPECT_EQ(bands(bar(1, {0, 9, 0, 0, 3})).size(), 1u);

    // Kind 10: the short strokes from x - 36 w to x - 21 w at the ends (P8 2: the lower only).
    pts = bar(1, {0, 10, 0, 0, 2});
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].x, 600);
    EXPECT_EQ(pts[1].x, 975);
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(staff_y(1, 7)));

    // P5 = -44: only a rest of that kind at the bar (moved by P7 when P15 is 0).
    pts = bar(1, {0, -44, 0, 2});
    EXPECT_TRUE(pts.empty());
    ASSERT_EQ(g_rests.size(), 1u);
    EXPECT_EQ(g_rests[0].p5, -44.0f);
    EXPECT_EQ(g_rests[0].p4, 0.0f);
    EXPECT_NEAR(g_rests[0].x, 1800, 0.5f);
    EXPECT_EQ(core::ParamBuffer(1), 14.0f);  // the bar's own words come back
}

TEST_F(BarTest, TheBraceStretchesToTheBarsHeight) {
    if (!use_build_glyphs()) GTEST_SKIP() << "no generated glyph set";
    auto height = [](float staves) {
        const auto pts = bar(1, {staves, 8});
        EXPECT_FALSE(pts.empty());
        int32_t lo = INT32_MAX, hi = INT32_MIN;
        for (const PathPoint& p : pts) {
            lo = std::min(lo, p.y);
            hi = std::max(hi, p.y);
        }
        return static_cast<float>(hi - lo);
    };
    const float two = height(2);
    const float four = height(4);
    const float span2 = staff_y(2, 11) - staff_y(1, 3);
    const float span4 = staff_y(4, 11) - staff_y(1, 3);
    EXPECT_NEAR(four / two, span4 / span2, 0.05f);
}
