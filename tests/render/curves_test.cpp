// Curves through points: the limits and their messages, what a failed fit leaves, the thinning
// of straight runs, closed curves, the spans' point count and the entries after the run.
#include "engine/render/lines/curves.h"

#include <cmath>
#include <vector>

#include "engine/core/fixed_array.h"
#include "tests/render/render_fixture.h"

namespace {

// Grid point (gx, gy) in display units: the fit's grid is 100 units wide from (8000, -19000).
float gx(int32_t g) { return static_cast<float>(g * 100 + 8000); }
float gy(int32_t g) { return static_cast<float>(g * 100 - 19000); }

}  // namespace

class CurveTest : public RenderTest {
  protected:
    // Fits the whole list; returns whether it was replaced by a curve.
    static void fit_all(int32_t pps = 20) {
        int32_t count = render::PathPointList.count - 1;
        int32_t first = 1;
        int32_t last = count;
        render::draw_free_curve(count, first, last, pps);
        EXPECT_EQ(render::PathPointList.count, count + 1);
    }
    static void add(int32_t x, int32_t y, int16_t op = 0) {
        render::add_path_point(gx(x), gy(y), op);
    }
};

TEST_F(CurveTest, AtMostFiftyPoints) {
    for (int32_t k = 0; k < 51; ++k) add(k, (k * k) % 7, k == 0 ? 1 : 0);
    const auto before = path_list();
    fit_all();
    ASSERT_EQ(fe_.prompts.size(), 1u);
    EXPECT_EQ(fe_.prompts[0], "*** Too many points. Limit=50");
    EXPECT_EQ(path_list(), before);

    // Fifty are fitted.
    render::PathPointList.count = 1;
    fe_.prompts.clear();
    for (int32_t k = 0; k < 50; ++k) add(k * 3, (k * k) % 7, k == 0 ? 1 : 0);
    fit_all();
    EXPECT_TRUE(fe_.prompts.empty());
    EXPECT_EQ(render::PathPointList.op(render::PathPointList.count - 1), -3);
}

TEST_F(CurveTest, TooFewDistinctPointsLeaveTheListAsGiven) {
    // Three entries, two of them the same point (within the grid), and one entry after them.
    render::add_path_point(12345.0f, -6789.0f, 1);
    render::add_path_point(12350.0f, -6780.0f, 0);
    render::add_path_point(15000.0f, -6000.0f, 0);
    const auto before = path_list();
    int32_t count = 3;
    int32_t first = 1;
    int32_t last = 3;
    render::draw_free_curve(count, first, last, 20);
    ASSERT_EQ(fe_.prompts.size(), 1u);
    EXPECT_EQ(fe_.prompts[0], "*** Must have more than 2 points.");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(last, 3);
    EXPECT_EQ(path_list(), before);
}

TEST_F(CurveTest, CollinearPointsThinToTheirGivenPointsWithMarkers) {
    add(0, 5, 0);
    add(10, 5);
    add(30, 5);
    fit_all();
    const auto pts = path_list();
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(pts[0].op, -2);  // a start that had no operation gets the curve start marker
    EXPECT_EQ(pts[1].op, -1);
    EXPECT_EQ(pts[2].op, -3);
    EXPECT_EQ(pts[1].x, static_cast<int32_t>(gx(10)));
    EXPECT_EQ(pts[2].x, static_cast<int32_t>(gx(30)));
    for (const PathPoint& p : pts) EXPECT_EQ(p.y, static_cast<int32_t>(gy(5)));
}

TEST_F(CurveTest, OnePointPerSpanIsThePolylineAndTheDefaultIsTwenty) {
    const std::vector<std::pair<int32_t, int32_t>> given = {{0, 0}, {20, 15}, {40, 0}, {60, 20}};
    for (const auto& [x, y] : given) add(x, y, x == 0 ? 1 : 0);
    fit_all(1);
    auto pts = path_list();
    ASSERT_EQ(pts.size(), given.size());
    EXPECT_EQ(pts[0].op, 1);  // a start keeps its operation
    for (std::size_t i = 0; i < given.size(); ++i) {
        EXPECT_EQ(pts[i].x, static_cast<int32_t>(gx(given[i].first)));
        EXPECT_EQ(pts[i].y, static_cast<int32_t>(gy(given[i].second)));
    }

    auto fitted = [&](int32_t pps) {
        render::PathPointList.count = 1;
        for (const auto& [x, y] : given) add(x, y, x == 0 ? 1 : 0);
        fit_all(pps);
        return path_list();
    };
    const auto twenty = fitted(20);
    EXPECT_GT(twenty.size(), given.size());
    for (const int32_t pps : {0, -3, 1000}) {
        const auto other = fitted(pps);
        ASSERT_EQ(other.size(), twenty.size()) << pps;
        for (std::size_t i = 0; i < other.size(); ++i) EXPECT_EQ(other[i].x, twenty[i].x);
    }
}

TEST_F(CurveTest, AClosedRunHasNoCornerWhereItCloses) {
    for (const auto& [x, y] :
         std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 0}}) {
        add(x, y, x == 0 && y == 0 && render::PathPointList.count == 1 ? 1 : 0);
    }
    fit_all();
    const auto pts = path_list();
    ASSERT_GT(pts.size(), 8u);
    EXPECT_EQ(pts.front().x, pts.back().x);
    EXPECT_EQ(pts.front().y, pts.back().y);
    // The direction leaving the closing point and the one arriving at it agree.
    const float ax = static_cast<float>(pts[1].x - pts[0].x);
    const float ay = static_cast<float>(pts[1].y - pts[0].y);
    const std::size_t n = pts.size();
    const float bx = static_cast<float>(pts[n - 1].x - pts[n - 2].x);
    const float by = static_cast<float>(pts[n - 1].y - pts[n - 2].y);
    const float cosine = (ax * bx + ay * by) / std::hypot(ax, ay) / std::hypot(bx, by);
    EXPECT_GT(cosine, 0.8f);
}

TEST_F(CurveTest, EntriesAfterTheRunFollowTheNewRun) {
    add(0, 0, 1);
    add(20, 15);
    add(40, 0);
    render::add_path_point(555.0f, 666.0f, 1);
    render::add_path_point(777.0f, 888.0f, 0);
    int32_t count = 5;
    int32_t first = 1;
    int32_t last = 3;
    render::draw_free_curve(count, first, last, 20);
    EXPECT_GT(last, 3);
    EXPECT_EQ(count, last + 2);
    EXPECT_EQ(render::PathPointList.x(last + 1), 555);
    EXPECT_EQ(render::PathPointList.op(last + 1), 1);
    EXPECT_EQ(render::PathPointList.y(last + 2), 888);
    // A run outside the entries in use is a defect, not a write past them.
    int32_t bad_last = count + 1;
    EXPECT_THROW(render::draw_free_curve(count, first, bad_last, 20), core::EngineDefect);
}
