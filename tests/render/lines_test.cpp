// The line drawer (Code 4) through the dispatcher and the page redraw: end marks, dashed runs,
// hairpins, thickness, polylines and their smoothing, turning, wave and trill lines, and the
// bounds every patterned loop keeps.
#include "engine/render/lines/lines.h"

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/store/item_store.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/symbols/symbols.h"
#include "tests/render/render_fixture.h"

namespace {

struct TrillCall {
    float x0, y0, x1, sx, sy;
    int32_t count;
};
struct LineHookLog {
    std::vector<int32_t> widths;
    int breaks = 0;
    std::vector<TrillCall> trills;
};
LineHookLog g_log;

void record_width(int32_t w) {
    g_log.widths.push_back(w);
    render::add_path_point(999.0f, static_cast<float>(w), 99);
}
void record_break() {
    ++g_log.breaks;
    render::add_path_point(0.0f, 0.0f, -99);
}
void record_trill(const float*, const float*, int32_t count, float x0, float y0, float x1, float sx,
                  float sy) {
    g_log.trills.push_back({x0, y0, x1, sx, sy, count});
}

constexpr float kBase = 1000.0f;  // staff 1, step 0

}  // namespace

class LineTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        render::register_line_drawers();
        g_log = LineHookLog{};
        render::RenderHooks.add_path_width = record_width;
        render::RenderHooks.add_path_break = record_break;
        render::RenderHooks.write_ps_trill_line = record_trill;
        render::OutputPassWord = 1;
        staff(25.0f);
    }
    void TearDown() override {
        render::OutputPassWord = 1;
        RenderTest::TearDown();
    }
    static void staff(float scale) {
        layout::StaffTables.StaffScale(1) = scale;
        layout::StaffTables.StaffBaseY(1) = static_cast<int32_t>(kBase);
    }
    // A Code 4 item on staff 1 with P3.. as given, drawn through the dispatcher (into an empty
    // path list unless `keep`).
    static std::vector<PathPoint> line(std::vector<float> p3_on, bool keep = false) {
        if (!keep) render::PathPointList.count = 1;
        std::vector<float> params = {4.0f, 1.0f};
        params.insert(params.end(), p3_on.begin(), p3_on.end());
        params.resize(26, 0.0f);
        set_params(params);
        render::draw_item_by_code();
        return path_list();
    }
    static float step() { return 7.0f * layout::StaffTables.StaffScale(1); }
};

TEST_F(LineTest, VerticalDashesFitTheSpanExactly) {
    staff(1.0f);
    // P3 = P6: vertical; 0 -> 10 steps of 7 units, dash and gap one step each.
    const auto pts = line({10, 0, 10, 10, 1, 1, 1});
    ASSERT_EQ(pts.size(), 12u);  // six dashes
    const float unit = 70.0f / 11.0f;
    for (int i = 0; i < 6; ++i) {
        const PathPoint& a = pts[2 * i];
        const PathPoint& b = pts[2 * i + 1];
        EXPECT_EQ(a.op, 1);
        EXPECT_EQ(b.op, 0);
        EXPECT_EQ(a.x, 1500);
        EXPECT_EQ(b.x, 1500);
        EXPECT_NEAR(a.y, kBase + 2.0f * unit * i, 1.0f);
        EXPECT_NEAR(b.y - a.y, unit, 1.0f);                              // dash
        EXPECT_NEAR(i > 0 ? a.y - pts[2 * i - 1].y : unit, unit, 1.0f);  // gap
    }
    EXPECT_NEAR(pts.back().y, kBase + 70.0f, 1.0f);

    EXPECT_TRUE(line({10, 0, 1, 10, 1, 1, 1}).empty());   // less than one dash and gap
    EXPECT_TRUE(line({10, 10, 0, 10, 1, 1, 1}).empty());  // runs downward
    // Not turned, whatever P13 says.
    for (const PathPoint& p : line({10, 0, 10, 10, 1, 1, 1, 0, 0, 0, 0, 45})) EXPECT_EQ(p.x, 1500);
}

TEST_F(LineTest, HooksArrowheadsAndCrossbarsAtTheEnds) {
    const float u = step();
    // Straight line from (10, 0) to (20, 0): start hook 3 steps up, end hook 2 steps down.
    auto pts = line({10, 0, 0, 20, 0, 0, 0, 0, 3, 202});
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[0].op, 1);
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(kBase + 3 * u));
    EXPECT_EQ(pts[1].op, 0);
    EXPECT_EQ(pts[1].y, static_cast<int32_t>(kBase));
    EXPECT_EQ(pts[3].x, 3000);
    EXPECT_EQ(pts[3].y, static_cast<int32_t>(kBase - 2 * u));
    EXPECT_EQ(pts[3].op, 0);

    // P12 = 101.5: an arrowhead 1.5 steps long, 0.5625 steps to each side, pointing outward.
    pts = line({10, 0, 0, 20, 0, 0, 0, 0, 0, 101.5f});
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_EQ(pts[2].op, 1);
    EXPECT_NEAR(3000 - pts[2].x, 1.5f * u, 1.0f);
    EXPECT_NEAR(std::abs(pts[2].y - kBase), 0.5625f * u, 1.0f);
    EXPECT_EQ(pts[3].x, 3000);
    EXPECT_NEAR(3000 - pts[4].x, 1.5f * u, 1.0f);
    EXPECT_NEAR(pts[4].y - kBase, kBase - pts[2].y, 1.0f);  // one wing on each side
    // At the start the head points the other way and the line begins a path of its own.
    pts = line({10, 0, 0, 20, 0, 0, 0, 0, 101.5f});
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_NEAR(pts[0].x - 1500, 1.5f * u, 1.0f);
    EXPECT_EQ(pts[3].op, 1);

    // Vertical kind -5, moved 2 page units: a level hook of one step at the start, a crossbar
    // three steps to each side at the end.
    pts = line({10, 0, 8, 0, -5, 0, 0, 0, 1, 203, 0, 0, 2});
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_EQ(pts[0].x, static_cast<int32_t>(1800 + u));
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(kBase));
    EXPECT_EQ(pts[2].x, 1800);
    EXPECT_EQ(pts[2].y, static_cast<int32_t>(kBase + 8 * u));
    EXPECT_EQ(pts[3].op, 1);
    EXPECT_EQ(pts[3].x, static_cast<int32_t>(1800 - 3 * u));
    EXPECT_EQ(pts[4].x, static_cast<int32_t>(1800 + 3 * u));
}

TEST_F(LineTest, LevelDashesEndWithTheLastDashStartedBeforeTheEnd) {
    const float u = step();
    // Dash and gap of two steps (350) from 0 to 1500: dashes start at 0, 700 and 1400.
    auto pts = line({0, 0, 0, 10, 1, 2, 2});
    ASSERT_EQ(pts.size(), 6u);
    EXPECT_EQ(pts[4].x, 1400);
    EXPECT_EQ(pts[5].x, 1750);  // runs past x1
    for (const PathPoint& p : pts) EXPECT_EQ(p.y, static_cast<int32_t>(kBase));
    // An end hook at the end of the last dash; a slant up to the end's height when P5 != P4.
    pts = line({0, 0, 4, 10, 1, 2, 2, 0, 0, 1});
    ASSERT_EQ(pts.size(), 7u);
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(kBase));
    EXPECT_NEAR(pts[5].y, kBase + 4 * u, 1.0f);
    EXPECT_NEAR(pts[6].y - pts[5].y, u, 1.0f);
    // P9 is the gap here, never a turn; P13 turns the run about its start instead of slanting.
    pts = line({0, 0, 4, 10, 1, 2, 2, 0, 0, 0, 90});
    EXPECT_NEAR(pts[1].x, 0, 1.0f);
    EXPECT_NEAR(std::abs(pts[1].y - kBase), 2 * u, 1.0f);
}

TEST_F(LineTest, HairpinsOpenAndCloseAsTheirKindSays) {
    const float s = 25.0f;
    const float w = 8.05f * s;
    // Crescendo, P7 = 0: opening at x1 (P6 = 20), tip at x0.
    auto pts = line({10, 0, 999, 20, 0});
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(pts[0].op, 1);
    EXPECT_EQ(pts[0].x, 3000);
    EXPECT_NEAR(pts[0].y, kBase + w, 1.0f);
    EXPECT_EQ(pts[1].x, 1500);
    EXPECT_NEAR(pts[2].y, kBase - w, 1.0f);
    // Decrescendo, P7 = -1: the same opening at x0.
    pts = line({10, 0, 999, 20, -1});
    EXPECT_EQ(pts[0].x, 1500);
    EXPECT_EQ(pts[1].x, 3000);
    EXPECT_NEAR(pts[0].y, kBase + w, 1.0f);
    // P15 = 0.5: the half nearest the tip with half the opening.
    pts = line({10, 0, 999, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f});
    EXPECT_EQ(pts[0].x, 2250);
    EXPECT_NEAR(pts[0].y, kBase + w / 2, 1.0f);
    // P14 = 0.25: the first quarter at the tip stays open; two separate legs.
    pts = line({10, 0, 999, 20, 0, 0, 0, 0, 0, 0, 0, 0.25f});
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[0].op, 1);
    EXPECT_EQ(pts[0].x, 1875);
    EXPECT_NEAR(pts[0].y, kBase + w / 4, 1.0f);
    EXPECT_EQ(pts[2].op, 1);
    EXPECT_NEAR(pts[3].y, kBase - w, 1.0f);

    // P11 = 1: both legs dashed, diverging linearly from the tip by P7 / 2 steps.
    pts = line({0, 0, 999, 10, 2, 0.5f, 0.5f, 0, 1});
    ASSERT_GE(pts.size(), 8u);
    const std::size_t half = pts.size() / 2;
    EXPECT_EQ(pts[0].y, static_cast<int32_t>(kBase));
    EXPECT_NEAR(pts[half - 1].y, kBase - step(), 1.0f);
    EXPECT_NEAR(pts.back().y, kBase + step(), 1.0f);
    for (std::size_t i = 1; i < half; ++i) EXPECT_LE(pts[i].y, pts[i - 1].y);
    // Decrescendo: the legs open toward the start.
    pts = line({0, 0, 999, 10, -2, 0.5f, 0.5f, 0, 1});
    EXPECT_NEAR(pts[0].y, kBase - step(), 1.0f);
    EXPECT_EQ(pts[half - 1].y, static_cast<int32_t>(kBase));
}

TEST_F(LineTest, ThicknessIsCopiesOnScreenAndALineWidthInPostScript) {
    auto pts = line({0, 0, 1, 10, 0, 0, 0, 2});  // longer than high
    ASSERT_EQ(pts.size(), 10u);                  // the line and four vertical copies
    EXPECT_EQ(pts[2].y - pts[0].y, 14);
    EXPECT_EQ(pts[8].y - pts[0].y, -28);
    EXPECT_EQ(pts[8].x, pts[0].x);

    render::OutputPassWord = -1;
    pts = line({0, 0, 1, 10, 0, 0, 0, 2});
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[0].op, 99);
    EXPECT_EQ(g_log.widths, std::vector<int32_t>{4});
    EXPECT_EQ(pts.back().op, -99);
}

TEST_F(LineTest, PolylinesPassTheirPointsAndTurnByP20) {
    // P7 = 100 with P8 = 12, P9 = 3: one intermediate point before the end.
    auto pts = line({10, 0, 0, 20, 100, 12, 3});
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(pts[0].op, 1);
    EXPECT_EQ(pts[1].x, 1800);
    EXPECT_EQ(pts[1].y, static_cast<int32_t>(kBase + 3 * step()));
    EXPECT_EQ(pts[2].x, 3000);
    // P18 doubles the run about the start; P20 = 90 turns it upright.
    pts = line({10, 0, 0, 20, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 90});
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_NEAR(pts[1].x, 1500, 1.0f);
    EXPECT_NEAR(std::abs(pts[1].y - kBase), 3000, 1.0f);
    // In PostScript P21 is a line width that comes before the points and a break after them.
    render::OutputPassWord = -1;
    pts = line({10, 0, 0, 20, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3});
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[0].op, 99);
    EXPECT_EQ(pts[1].op, 1);
    EXPECT_EQ(pts[3].op, -99);
}

TEST_F(LineTest, P13OrP9TurnsAStraightLineAboutItsStart) {
    const auto plain = line({10, 0, 0, 20, 0});
    render::rotate_path_points(1, 1500.0f, kBase, 45.0f);
    const auto expected = path_list();
    const auto by_p13 = line({10, 0, 0, 20, 0, 0, 0, 0, 0, 0, 45});
    const auto by_p9 = line({10, 0, 0, 20, 0, 0, 45});
    ASSERT_EQ(by_p13.size(), 2u);
    EXPECT_NE(expected[1].y, plain[1].y);
    for (const auto* turned : {&by_p13, &by_p9}) {
        EXPECT_EQ((*turned)[1].x, expected[1].x);
        EXPECT_EQ((*turned)[1].y, expected[1].y);
    }
    // A wave line's P9 is its height, never a turn.
    const auto wave = line({0, 0, 0, 10, -2, 1, 45});
    EXPECT_NEAR(wave.back().y, kBase, 1.0f);
}

TEST_F(LineTest, WaveLinesRunWholeArchesToTheirEnd) {
    const float sx = 25.0f * 0.0825f;
    // 0 -> 1500: four whole periods of 146 sx, then the last one runs on to the straight end.
    auto pts = line({0, 0, 0, 10, -2, 1});
    ASSERT_EQ(pts.size(), 9u + 8u * 3u + 9u);
    EXPECT_EQ(pts[0].op, 1);
    EXPECT_EQ(pts[0].x, static_cast<int32_t>(-9.125f * sx));
    for (std::size_t i = 1; i < pts.size(); ++i) EXPECT_EQ(pts[i].op, 0);
    EXPECT_NEAR(pts.back().x, 4 * 146 * sx + 151.261f * sx, 1.0f);
    // With P12 it ends in an arrowhead instead.
    pts = line({0, 0, 0, 10, -2, 1, 0, 0, 0, 1});
    ASSERT_EQ(pts.size(), 46u);
    EXPECT_NEAR(pts.back().y, kBase - 58 * sx, 1.0f);
    // An end not right of the start draws nothing.
    EXPECT_TRUE(line({10, 0, 0, 5, -2, 1}).empty());
}

TEST_F(LineTest, PostScriptTrillEndPieceStandsAfterTheLastPiece) {
    // Screen: filled pieces every period from x0 while x < x1, then the end piece.
    const auto screen = line({0, 0, 0, 10, -1, 1, 0, 0, 0, 1});
    ASSERT_EQ(screen.size() % 35, 13u);
    const PathPoint screen_end = screen[screen.size() - 13];
    EXPECT_EQ(screen_end.op, 2);
    // PostScript, level and unturned: the writer repeats the piece; only the end piece is here,
    // at the same place.
    render::OutputPassWord = -1;
    const auto ps = line({0, 0, 0, 10, -1, 1, 0, 0, 0, 1});
    ASSERT_EQ(g_log.trills.size(), 1u);
    EXPECT_EQ(g_log.trills[0].x0, 0.0f);
    EXPECT_EQ(g_log.trills[0].x1, 1500.0f);
    EXPECT_EQ(g_log.trills[0].count, 62);
    ASSERT_EQ(ps.size(), 13u);
    EXPECT_EQ(ps[0].x, screen_end.x);
    EXPECT_EQ(ps[0].y, screen_end.y);
    EXPECT_GT(ps[0].x, 0);
}

TEST_F(LineTest, PatternedLoopsStayBounded) {
    // A vanishing wave period and a dot spacing that would go backward.
    auto pts = line({0, 0, 0, 10, -2, 1e-7f});
    EXPECT_LE(pts.size(), static_cast<std::size_t>(render::kPathPoints));
    pts = line({0, 0, 0, 10, -4, 1, -3});
    ASSERT_EQ(pts.size() % 13, 0u);
    EXPECT_EQ(pts.size() / 13, 1500u / 350u + 1u);  // every two steps
    EXPECT_EQ(pts[0].op, 2);
    // A huge thickness fills the list and stops.
    pts = line({0, 0, 1, 10, 0, 0, 0, 1e9f});
    EXPECT_LE(pts.size(), static_cast<std::size_t>(render::kPathPoints));
}

TEST_F(LineTest, SmoothedPolylineFitsOnlyItsOwnPointsWithoutAsking) {
    // Points of an earlier drawing in the list stay as they are.
    render::add_path_point(123.0f, 456.0f, 1);
    render::add_path_point(789.0f, 12.0f, 0);
    fe_.strict = true;
    const auto pts =
        line({10, 0, 0, 40, 100, 20, 6, 30, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, true);
    EXPECT_EQ(pts[0].x, 123);
    EXPECT_EQ(pts[1].y, 12);
    ASSERT_GT(pts.size(), 2u + 4u);
    EXPECT_EQ(pts[2].op, 1);
    for (std::size_t i = 3; i < pts.size(); ++i) EXPECT_EQ(pts[i].op, 0);
    // The curve passes through the given points (on its grid of 100 units).
    auto near_curve = [&](float x, float y) {
        for (std::size_t i = 2; i < pts.size(); ++i)
            if (std::abs(pts[i].x - x) <= 100 && std::abs(pts[i].y - y) <= 100) return true;
        return false;
    };
    EXPECT_TRUE(near_curve(3000, kBase + 6 * step()));
    EXPECT_TRUE(near_curve(4500, kBase - 2 * step()));
    EXPECT_TRUE(near_curve(6000, kBase));
    for (const auto& e : fe_.log) EXPECT_NE(e.kind, ScriptedFrontEnd::Kind::LineWait);

    // Two points are no curve: the line stays as drawn and the user is told.
    const auto two = line({10, 0, 0, 40, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].x, 1500);
    EXPECT_EQ(two[0].op, 1);
    EXPECT_EQ(two[1].x, 6000);
    EXPECT_EQ(two[1].op, 0);
    ASSERT_FALSE(fe_.prompts.empty());
    EXPECT_EQ(fe_.prompts.back(), "*** Must have more than 2 points.");
}

TEST_F(LineTest, TheRedrawHandsTheSmoothedCurveOverAsOnePath) {
    add_item(with_colour({4, 1, 10, 0, 0, 40, 100, 20, 6, 30, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
                         0.0f));
    render::redraw_items();
    const auto entries = render::decode_graphics_list();
    ASSERT_GT(entries.size(), 4u);
    EXPECT_EQ(entries[0].op, 1);
    for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_EQ(entries[i].op, 0);
    EXPECT_EQ(core::ItemOutputSpans.graphics(2), 1 + 3 * static_cast<int32_t>(entries.size()));
}
