// Slurs, ties, hats and brackets (code 5) through the dispatcher: the tapered outline, halves
// and S shapes, dots and dashes, cuts, the tuplet figure and its gap, brackets, the PostScript
// hooks, the list's limit, a slur typed on a staff and the figures of the beams page.
#include "engine/render/lines/slurs.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "engine/commands/files/file_commands.h"
#include "engine/core/settings_tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/render_registration.h"
#include "tests/render/text_fixture.h"

#include <system_error>

// A source path relative to the build folder (as the compiler was given it) is taken from the
// test program's folder, the top of the build folder, whatever the current folder.
static std::filesystem::path from_build_folder(const std::filesystem::path& p) {
    if (!p.is_relative()) return p;
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? p : self.parent_path() / p;
}

namespace {

struct FigureCall {
    int32_t number;
    float x, dx, size, y;
};
struct SlurHookLog {
    std::vector<FigureCall> figures;
    std::vector<float> widths;
    int breaks = 0;
};
SlurHookLog g_log;

void record_figure(int32_t number, float x, float dx) {
    g_log.figures.push_back({number, x, dx, core::ParamBuffer(6), render::ItemDrawOrigin.y});
}
void record_width(float extra) { g_log.widths.push_back(extra); }
void record_break() { ++g_log.breaks; }

constexpr int32_t kBase = 1000;  // staff 1, step 0
constexpr float kScale25 = 25.0f;

}  // namespace

class SlurTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        render::register_slur_drawers();
        g_log = SlurHookLog{};
        render::RenderHooks.draw_tuplet_number = record_figure;
        render::RenderHooks.write_ps_line_width = record_width;
        render::RenderHooks.add_path_break = record_break;
        render::OutputPassWord = 1;
        layout::StaffTables.StaffScale(1) = kScale25;
        layout::StaffTables.StaffBaseY(1) = kBase;
    }
    void TearDown() override {
        render::OutputPassWord = 1;
        render::PathPointLimit = render::kPathPoints;
        RenderTest::TearDown();
    }
    // A code 5 item on staff 1 with P3.. as given, drawn through the dispatcher into the list
    // from entry `from` on; returns the entries it added.
    static std::vector<PathPoint> slur(std::vector<float> p3_on, int32_t from = 1) {
        render::PathPointList.count = from;
        std::vector<float> params = {5.0f, 1.0f};
        params.insert(params.end(), p3_on.begin(), p3_on.end());
        params.resize(26, 0.0f);
        set_params(params);
        render::draw_item_by_code();
        return path_list(from);
    }
    static int count_op(const std::vector<PathPoint>& pts, int16_t op) {
        return static_cast<int>(
            std::count_if(pts.begin(), pts.end(), [&](const PathPoint& q) { return q.op == op; }));
    }
};

// 0.75 of the preference "SLUR" (1.0) at scale 25 for a slur 1,500 units long.
constexpr int32_t kThickness = 66;
constexpr int32_t kApex = kBase + 14 * 25;

TEST_F(SlurTest, ALevelSlurIsOneTaperedPolygonWithItsApexInTheMiddle) {
    const auto pts = slur({10, 0, 0, 20, 2});
    ASSERT_EQ(pts.size(), 35u);  // 18 points per edge, the second edge closing on the first
    EXPECT_EQ(pts[0], (PathPoint{1500, kBase, 2}));
    EXPECT_EQ(count_op(pts, 2), 1);
    EXPECT_EQ(pts[17].x, 3000);
    EXPECT_EQ(pts[17].y, kBase);
    EXPECT_EQ(pts[8].y, kApex);  // the 9th point
    EXPECT_EQ(pts[9].y, kApex);
    // The thickness lies above the apex and is full there; it tapers to nothing at the ends.
    EXPECT_EQ(pts[26].x, pts[8].x);
    EXPECT_EQ(pts[26].y, kApex + kThickness);
    EXPECT_EQ(pts[34].y, pts[0].y);
    for (std::size_t k = 0; k + 1 < 18; ++k) EXPECT_LT(pts[k].x, pts[k + 1].x) << k;

    // Bent down: the same outline mirrored, thickness below.
    const auto down = slur({10, 0, 0, 20, -2});
    ASSERT_EQ(down.size(), 35u);
    EXPECT_EQ(down[8].y, kBase - 14 * 25);
    EXPECT_EQ(down[26].y, kBase - 14 * 25 - kThickness);

    // The preference scales the thickness.
    core::SlurThickness = 2.0f;
    EXPECT_EQ(slur({10, 0, 0, 20, 2})[26].y, kApex + 131);
}

TEST_F(SlurTest, HalfSlursAndTheSShape) {
    // Left half: the left half of a slur twice as long, ending high at its apex.
    const auto left = slur({10, 0, 0, 20, 2, 0, 0, 0, 0, 1});
    ASSERT_FALSE(left.empty());
    const auto right_most =
        std::max_element(left.begin(), left.end(), [](auto& a, auto& b) { return a.x < b.x; });
    EXPECT_EQ(left[0].x, 1500);
    EXPECT_GE(right_most->x, 2950);
    EXPECT_LE(right_most->x, 3050);
    EXPECT_GE(right_most->y, kApex - 5);

    // Right half: starts high at the apex near the left end and comes down to the right end.
    const auto right = slur({10, 0, 0, 20, 2, 0, 0, 0, 0, 2});
    ASSERT_FALSE(right.empty());
    EXPECT_EQ(right[0].op, 2);
    EXPECT_GE(right[0].x, 1455);
    EXPECT_LE(right[0].x, 1600);
    EXPECT_GE(right[0].y, kApex - 5);
    int32_t max_x = 0;
    for (const auto& q : right) max_x = std::max(max_x, q.x);
    EXPECT_EQ(max_x, 3000);

    // S shape: rises to the middle and on again by as much, turning the other way.
    const auto s = slur({10, 0, 0, 20, 2, 0, 0, 0, 0, -1});
    ASSERT_EQ(s.size(), 35u);
    EXPECT_EQ(s[8].y, kApex);
    EXPECT_EQ(s[17].y, kBase + 2 * 14 * 25);
    for (std::size_t k = 0; k + 1 < 18; ++k) EXPECT_LE(s[k].y, s[k + 1].y) << k;
}

TEST_F(SlurTest, DotsDashesAndCuts) {
    // 10,000 units dotted: 18 dots of 9 points.
    const auto dots = slur({0, 0, 0, 10000.0f / 150.0f, 2, 0, 0, 0, -1});
    EXPECT_EQ(dots.size(), 18u * 9u);
    EXPECT_EQ(count_op(dots, 2), 18);
    // Four dashes: 8 points per edge, one quadrilateral of 5 entries per dash.
    const auto dashes = slur({10, 0, 0, 20, 2, 0, 0, 0, 4});
    EXPECT_EQ(dashes.size(), 20u);
    EXPECT_EQ(count_op(dashes, 2), 4);
    // A left cut above 0.94 draws nothing; at 0.94 a stub near the right end is left.
    EXPECT_TRUE(slur({10, 0, 0, 20, 2, 0, 0, 0, 0, 0, 0, 0.95f}).empty());
    const auto stub = slur({0, 0, 0, 100, 2, 0, 0, 0, 0, 0, 0, 0.94f});
    ASSERT_FALSE(stub.empty());
    EXPECT_EQ(stub[0].op, 2);
    EXPECT_GE(stub[0].x, 14100);
    EXPECT_LT(stub.size(), 20u);
    EXPECT_EQ(stub.back(), (PathPoint{stub[0].x, stub[0].y, 0}));
}

TEST_F(SlurTest, TheTupletFigureSitsInAGapAtTheApex) {
    const auto pts = slur({10, 0, 0, 20, 2, 0, 0, 0, 0, 0, 0, 0, 0, 3});
    ASSERT_EQ(g_log.figures.size(), 1u);
    EXPECT_EQ(g_log.figures[0].number, 3);
    EXPECT_FLOAT_EQ(g_log.figures[0].x + g_log.figures[0].dx, 2250.0f);
    EXPECT_FLOAT_EQ(g_log.figures[0].y, static_cast<float>(kApex - 9 * 25));
    EXPECT_FLOAT_EQ(g_log.figures[0].size, 0.875f);
    // Two polygons with at least 16 x scale free around the apex.
    EXPECT_EQ(count_op(pts, 2), 2);
    for (const auto& q : pts) EXPECT_TRUE(q.x <= 2250 - 200 || q.x >= 2250 + 200) << q;

    // A hat with a figure keeps its three points: the figure stands above the apex.
    g_log.figures.clear();
    const auto hat = slur({10, 0, 0, 20, 2, 0, 99, 0, 0, 0, 0, 0, 0, 3});
    ASSERT_EQ(hat.size(), 3u);
    EXPECT_EQ(hat[1], (PathPoint{2250, kApex, 0}));
    ASSERT_EQ(g_log.figures.size(), 1u);

    // P16 = 1 is the end shift, not a figure: the ends move by P17 and P18 page units.
    g_log.figures.clear();
    const auto shifted = slur({10, 0, 0, 20, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4});
    EXPECT_TRUE(g_log.figures.empty());
    ASSERT_EQ(shifted.size(), 43u);  // 1,800 units: 22 points per edge
    EXPECT_EQ(shifted[0].x, 1800);
    EXPECT_EQ(shifted[21].x, 3600);
    EXPECT_EQ(core::ParamBuffer(16), 1.0f);  // the working words come back
}

TEST_F(SlurTest, TheTupletBracketBreaksForItsFigure) {
    const auto pts = slur({10, 0, 0, 20, 2, 3});
    const float xr = 3000 + 17.5f * 25;
    const float centre = 1500 + 0.5f * (xr - 1500);
    ASSERT_EQ(pts.size(), 6u);
    EXPECT_EQ(pts[0], (PathPoint{1500, kBase, 1}));
    EXPECT_EQ(pts[1], (PathPoint{1500, kApex, 0}));
    EXPECT_EQ(pts[2], (PathPoint{static_cast<int32_t>(centre - 325), kApex, 0}));
    EXPECT_EQ(pts[3], (PathPoint{static_cast<int32_t>(centre + 325), kApex, 1}));
    EXPECT_EQ(pts[4], (PathPoint{static_cast<int32_t>(xr), kApex, 0}));
    EXPECT_EQ(pts[5], (PathPoint{static_cast<int32_t>(xr), kBase, 0}));
    ASSERT_EQ(g_log.figures.size(), 1u);
    EXPECT_EQ(g_log.figures[0].number, 3);
    EXPECT_FLOAT_EQ(g_log.figures[0].x + g_log.figures[0].dx, centre);
    EXPECT_FLOAT_EQ(g_log.figures[0].y, static_cast<float>(kApex - 9 * 25));

    // P9 = -2: a gap of 300 units and no figure.
    g_log.figures.clear();
    const auto quiet = slur({10, 0, 0, 20, 2, 3, -2});
    ASSERT_EQ(quiet.size(), 6u);
    EXPECT_EQ(quiet[3].x - quiet[2].x, 300);
    EXPECT_TRUE(g_log.figures.empty());

    // An ending bracket: both hooks, the number 1.
    g_log.figures.clear();
    const auto ending = slur({10, 0, 0, 20, 2, 1});
    ASSERT_GE(ending.size(), 4u);
    EXPECT_EQ(ending[3], (PathPoint{3000, kBase, 0}));
    ASSERT_EQ(g_log.figures.size(), 1u);
    EXPECT_EQ(g_log.figures[0].number, 1);
}

TEST_F(SlurTest, PostScriptWidthBreakAndHatCopies) {
    render::OutputPassWord = -1;
    slur({10, 0, 0, 20, 2});
    EXPECT_EQ(g_log.widths, std::vector<float>{-1.0f});
    EXPECT_EQ(g_log.breaks, 1);
    g_log = SlurHookLog{};
    const auto hat = slur({10, 0, 0, 20, 2, 0, 99, 0, 0, 0, 2});
    EXPECT_EQ(hat.size(), 3u);
    EXPECT_EQ(g_log.widths, std::vector<float>{2.0f});

    // On the screen the hat is stacked: two more copies 7 and 14 units higher.
    render::OutputPassWord = 1;
    const auto stacked = slur({10, 0, 0, 20, 2, 0, 99, 0, 0, 0, 2});
    ASSERT_EQ(stacked.size(), 9u);
    EXPECT_EQ(stacked[3], (PathPoint{1500, kBase + 7, 1}));
    EXPECT_EQ(stacked[7], (PathPoint{2250, kApex + 14, 0}));
}

TEST_F(SlurTest, AnOutlineThatDoesNotFitIsNotWrittenAtAll) {
    const int32_t limit = render::kPathPoints;
    // 35 entries: exactly fitting when the last one is the list's last entry.
    auto fits = slur({10, 0, 0, 20, 2}, limit - 34);
    EXPECT_EQ(fits.size(), 35u);
    EXPECT_EQ(render::PathPointList.count, limit + 1);
    const auto none = slur({10, 0, 0, 20, 2}, limit - 33);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(render::PathPointList.count, limit - 33);
    // The limit word counts, not only the capacity; earlier entries are never touched.
    render::PathPointLimit = 100;
    render::PathPointList.count = 1;
    render::add_path_point(7, 8, 1);
    EXPECT_EQ(slur({10, 0, 0, 20, 2}, 67).size(), 0u);
    EXPECT_EQ(slur({10, 0, 0, 20, 2}, 66).size(), 35u);
    EXPECT_EQ(render::PathPointList.x(1), 7);
    EXPECT_EQ(render::PathPointList.op(1), 1);
    // Dots that would not fit leave the slur solid; dashes stop before a piece that would not.
    EXPECT_EQ(slur({0, 0, 0, 10000.0f / 150.0f, 2, 0, 0, 0, -1}, 1).size(), 35u);
    render::PathPointLimit = 16;
    const auto dashes = slur({10, 0, 0, 20, 2, 0, 0, 0, 4}, 1);
    EXPECT_EQ(dashes.size(), 15u);
    EXPECT_EQ(count_op(dashes, 2), 3);
}

TEST_F(SlurTest, ASlurTypedOnAStaffIsDrawnTwoStepsHigh) {
    type("EI");
    type("8 1 0");
    type("5 1 10 5 5 20 2");
    ASSERT_EQ(core::ItemCount, 2);
    const auto all = render::decode_graphics_list();
    const int32_t from = core::ItemOutputSpans.graphics(2);
    const int32_t to = core::ItemOutputSpans.graphics(3);
    ASSERT_GT(to, from);
    int32_t low = INT32_MAX;
    int32_t high = INT32_MIN;
    int entries = 0;
    for (int32_t k = from; k < to && k - 1 < static_cast<int32_t>(all.size()); ++k) {
        low = std::min(low, all[static_cast<std::size_t>(k - 1)].y);
        high = std::max(high, all[static_cast<std::size_t>(k - 1)].y);
        ++entries;
    }
    EXPECT_EQ(entries, 35);
    const float scale = layout::StaffTables.StaffScale(1);
    const int32_t thick = static_cast<int32_t>(0.75f * scale * 3.5f + 0.5f);
    EXPECT_NEAR(high - low, 14.0f * scale + static_cast<float>(thick), 2.0f);
}

class SlurFigureTest : public TextTest {
  protected:
    void SetUp() override {
        TextTest::SetUp();
        if (IsSkipped()) return;
        render::register_render_drawers();
    }
};

TEST_F(SlurFigureTest, TheFigureIsShownAndTheBeamsPageShowsItsTuplets) {
    layout::StaffTables.StaffScale(1) = kScale25;
    layout::StaffTables.StaffBaseY(1) = kBase;
    add_item({5, 1, 10, 0, 0, 20, 2, 0, 0, 0, 0, 0, 0, 0, 0, 3});
    draw_stored(core::ItemCount);
    const auto shown = records();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "3");

    const auto page =
        from_build_folder(std::filesystem::path(__FILE__).parent_path().parent_path() / "reference" / "beams.MUS");
    ASSERT_TRUE(core::load_document_file(core::FixedText<512>(page.string())));
    text_length_ = 0;
    render::redraw_items();
    std::vector<std::string> figures;
    for (const auto& r : records()) figures.push_back(r.text());
    EXPECT_NE(std::find(figures.begin(), figures.end(), "3"), figures.end());
    EXPECT_NE(std::find(figures.begin(), figures.end(), "5"), figures.end());
}
