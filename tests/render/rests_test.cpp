// The rest drawer: glyph choice and placement by kind, hooks, dots, brackets, the ledger stroke,
// invisible rests, the count of a multi-bar rest and the centring between bar lines, which must
// leave the store as it was; with the counted glyphs of the symbol fixture.
#include "engine/render/notes/rests.h"

#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/render_registration.h"
#include "tests/render/symbol_fixture.h"

namespace {

struct Segment {
    float x1, y1, x2, y2;
};
// Two-point open paths (op 1 then op 0 followed by no further op 0).
std::vector<Segment> segments_in(const std::vector<DrawingPoint>& pts) {
    std::vector<Segment> out;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        if (pts[i].pen != 1 || pts[i + 1].pen != 0) continue;
        if (i + 2 < pts.size() && pts[i + 2].pen == 0) continue;
        out.push_back({pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y});
    }
    return out;
}

}  // namespace

class RestTest : public SymbolTest {
  protected:
    void SetUp() override {
        SymbolTest::SetUp();
        render::register_rest_beam_key_meter_drawers();
        write_glyph_files({0, 1, 2, 3, 4, 11, 20, 27});
        layout::ShowInvisibleItems = -1;
    }
    // Draws a Code 2 item through the dispatcher: P1 = 2, P2 = 0, P3 = 10 (x = 1500) unless
    // given, then the given (P number, value) pairs.
    static std::vector<DrawingPoint> rest(std::initializer_list<std::pair<int, float>> given) {
        std::vector<float> params(30, 0.0f);
        params[0] = 2.0f;
        params[2] = 10.0f;
        for (const auto& [k, v] : given) params[static_cast<std::size_t>(k - 1)] = v;
        set_params(params);
        clear_path();
        render::draw_item_by_code();
        return path_points();
    }
    static float y_of(float pos) { return kBaseY + pos * kStep; }
};

TEST_F(RestTest, EachKindPaintsItsGlyphAtItsHeight) {
    struct Case {
        float p5;
        int32_t number;
        float height;
        float sx;
    };
    // Glyph kinds 39..44 are painted at a quarter size, library signs at 0.83 x 0.3.
    const Case cases[] = {
        {-4, 39, 0.0f, 0.25f},    {-3, 40, 8.0f, 0.25f},   {-2, 41, 9.0f, 0.25f},
        {-1, 42, 7.0f, 0.25f},    {0, 43, 8.0f, 0.25f},    {1, 44, 8.0f, 0.25f},
        {-10, 43, 8.0f, 0.25f},   {-9, 43, 8.0f, 0.25f},   {-30, 43, 8.0f, 0.25f},
        {-6, 116, 8.0f, 0.249f},  {-7, 117, 8.0f, 0.249f}, {-8, 118, 8.0f, 0.249f},
        {-44, 115, 0.0f, 0.249f}, {-11, 41, 9.0f, 0.25f},  {-12, 116, 8.0f, 0.249f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p5);
        const auto g = glyphs_in(rest({{4, 2.0f}, {5, c.p5}}));
        ASSERT_EQ(g.size(), 1u);
        EXPECT_EQ(g[0].number, c.number);
        EXPECT_EQ(g[0].x, 1500.0f);
        EXPECT_EQ(g[0].y, std::trunc(y_of(2.0f + c.height)));
        EXPECT_NEAR(g[0].sx, c.sx, 0.001f);
    }
    // The long kinds stand at P9 when it is given; shorter kinds ignore it.
    auto g = glyphs_in(rest({{5, -2.0f}, {9, 20.0f}}));
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].x, 3000.0f);
    g = glyphs_in(rest({{5, -1.0f}, {9, 20.0f}, {10, 1.0f}}));
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].x, 1650.0f);  // P10 shifts by P10 x size / 25 P3 units
}

TEST_F(RestTest, ShortRestsStackHooksTwoStepsUpAndFourAndAHalfSizesRight) {
    const auto g = glyphs_in(rest({{5, 3.0f}}));
    ASSERT_EQ(g.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g[i].number, 44);
        EXPECT_EQ(g[i].x, std::trunc(1500.0f - 3.0f * kScale + 4.5f * kScale * i));
        EXPECT_EQ(g[i].y, std::trunc(y_of(6.0f + 2.0f * i)));
    }
    // A rest of size 2 takes hooks twice as far apart, 0.7 step higher.
    const auto big = glyphs_in(rest({{5, 2.0f}, {15, 2.0f}}));
    ASSERT_EQ(big.size(), 2u);
    EXPECT_EQ(big[1].y, std::trunc(y_of(10.7f)));
    EXPECT_EQ(big[1].x, 1500.0f + 3.0f * kScale);
    // The dot of a 32nd rest stands two steps higher, after P6's fraction x 60 sizes.
    const auto dotted = glyphs_in(rest({{5, 3.0f}, {6, 1.5f}}));
    ASSERT_EQ(dotted.size(), 4u);
    EXPECT_EQ(dotted[3].number, 24);
    EXPECT_EQ(dotted[3].x, std::trunc(1500.0f + (22.3f + 30.0f) * kScale));
    EXPECT_EQ(dotted[3].y, y_of(10.0f));
}

TEST_F(RestTest, WholeAndHalfRestsOutsideTheStaffGetALedgerStroke) {
    auto s = segments_in(rest({{4, 5.0f}, {5, -2.0f}}));
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].x1, 1500.0f - 8.0f * kScale);
    EXPECT_EQ(s[0].x2, 1500.0f + 25.0f * kScale);
    EXPECT_EQ(s[0].y1, y_of(14.0f));
    EXPECT_EQ(s[0].y2, y_of(14.0f));
    EXPECT_TRUE(segments_in(rest({{4, 2.0f}, {5, -2.0f}})).empty());
    EXPECT_EQ(segments_in(rest({{4, -8.0f}, {5, -2.0f}})).size(), 1u);
    EXPECT_EQ(segments_in(rest({{4, 6.0f}, {5, -1.0f}})).size(), 1u);
    EXPECT_TRUE(segments_in(rest({{4, 4.0f}, {5, -1.0f}})).empty());
    // P30 < 0 switches it off; other kinds never have one.
    EXPECT_TRUE(segments_in(rest({{4, 5.0f}, {5, -2.0f}, {30, -1.0f}})).empty());
    EXPECT_TRUE(segments_in(rest({{4, 5.0f}, {5, 0.0f}})).empty());
}

TEST_F(RestTest, BracketedRestsGetSymbol208OnBothSides) {
    const auto g = glyphs_in(rest({{5, 102.0f}}));
    ASSERT_EQ(g.size(), 4u);  // two hooks, two brackets
    EXPECT_EQ(g[0].number, 44);
    EXPECT_EQ(g[2].number, 208);
    EXPECT_EQ(g[3].number, 208);
    // i = 6: left 2.33, right 4.97, height 6.76, size 1.9 (x 0.3 for a library symbol).
    EXPECT_EQ(g[2].x, std::trunc((10.0f - 2.33f) * 150.0f));
    EXPECT_EQ(g[3].x, std::trunc((10.0f + 4.97f) * 150.0f));
    EXPECT_EQ(g[2].y, std::trunc(y_of(6.76f)));
    EXPECT_NEAR(g[2].sx, 0.57f, 0.001f);
    EXPECT_NEAR(g[3].sx, -0.57f, 0.001f);  // mirrored
    EXPECT_NEAR(g[3].sy, 0.57f, 0.001f);
    // A bracketed small whole rest: the whole rest and smaller brackets.
    const auto w = glyphs_in(rest({{4, 100.0f}, {5, -102.0f}}));
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[0].number, 41);
    EXPECT_NEAR(w[0].sx, 0.25f * 0.7f, 0.001f);
    EXPECT_NEAR(w[1].sx, 0.3f * 0.7f, 0.001f);
}

TEST_F(RestTest, InvisibleRestsShowGreyOnScreenOnlyWhileInvisibleItemsAreShown) {
    EXPECT_TRUE(rest({{6, -1.0f}}).empty());
    layout::ShowInvisibleItems = 1;
    const auto g = glyphs_in(rest({{6, -1.0f}}));
    ASSERT_EQ(g.size(), 1u);  // the glyph and no dot
    EXPECT_EQ(g[0].number, 43);
    EXPECT_FLOAT_EQ(core::ParamBuffer(26), 0.6f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(6), -1.0f);
    render::OutputPassWord = -1;
    EXPECT_TRUE(rest({{6, -1.0f}}).empty());
    EXPECT_FLOAT_EQ(core::ParamBuffer(26), 0.0f);
}

TEST_F(RestTest, MultiBarRestDrawsBarAndCountWithTheNumberDrawersFramesOff) {
    const auto pts = rest({{3, 12.0f}, {5, -5.0f}, {8, 24.0f}, {9, 30.0f}});
    const auto s = segments_in(pts);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].x1, 1800.0f);
    EXPECT_EQ(s[1].x1, 4500.0f);
    EXPECT_EQ(s[0].y1, y_of(5.0f));
    EXPECT_EQ(s[0].y2, y_of(9.0f));
    int filled = 0;
    for (const auto& p : pts) filled += p.pen == 2;
    EXPECT_EQ(filled, 1);
    // The count through the number drawer (Times-Roman, size 1.2 x 1.05). It reads P5 as sign
    // and decimals and P8, P13, P18 as frame, offset and replacement value: the rest's own
    // words must not reach it, so the count shows "24" alone, unframed, on P4 + 12.
    ASSERT_TRUE(fonts_) << "the count is text: the build's fonts are needed";
    const auto shown = shown_texts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "24");
    EXPECT_EQ(shown[0].face, "Nimbus Roman");
    EXPECT_NEAR(shown[0].height, kScale * 1.2f * 1.05f * 0.25f * 1.937f, 1e-4f);
    EXPECT_EQ(shown[0].chars.at(0).y, core::nint(y_of(12.0f)) - render::ViewOrigin.y - 100);
    EXPECT_TRUE(g_hooks.boxes.empty());
    EXPECT_FLOAT_EQ(core::ParamBuffer(8), 24.0f);  // and they come back
    // Without a right end the bar is as long as the multi-bar glyph.
    EXPECT_EQ(segments_in(rest({{5, -5.0f}}))[1].x1, 1500.0f + 40.8f * kScale);
    // A negative P8 draws the fermata over (or, for -2, mirrored under) the bar instead.
    const auto g = glyphs_in(rest({{3, 12.0f}, {5, -5.0f}, {8, -2.0f}, {9, 30.0f}}));
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].number, 31);
    EXPECT_EQ(g[0].y, y_of(1.0f));
    EXPECT_LT(g[0].sy, 0.0f);
}

TEST_F(RestTest, ValuesOutOfRangeNeverIndexOutsideTheTables) {
    for (float p5 : {-19.0f, -11.0f, -20.0f, -99.0f, -144.0f, -119.0f, 199.0f, -199.0f, 9999.0f,
                     -1e9f, 1e9f}) {
        for (float p6 : {0.0f, 4.0f, 1e9f, -1e9f}) {
            for (float p8 : {0.0f, -9.0f, 1e9f, -3.0f}) {
                SCOPED_TRACE(testing::Message() << p5 << " " << p6 << " " << p8);
                EXPECT_NO_THROW(rest(
                    {{4, 1e9f}, {5, p5}, {6, p6}, {8, p8}, {9, -1.0f}, {12, -1e9f}, {17, 3.0f}}));
            }
        }
    }
    EXPECT_EQ(core::SaveStack.depth, 0);
}

// ---- automatic centring ----

class RestCentringTest : public RestTest {
  protected:
    void SetUp() override {
        RestTest::SetUp();
        add_item({14.0f, 0.0f, 10.0f, 0.0f, 1.0f});  // bar lines on staff 0
        add_item({14.0f, 0.0f, 30.0f, 0.0f, 1.0f});
        add_item({14.0f, 3.0f, 20.0f, 0.0f, 1.0f});  // another staff: not a neighbour
    }
    // The stored record at s as ParamBuffer, drawn.
    static std::vector<Glyph> draw_stored(int32_t s) {
        std::vector<float> params;
        const int32_t n = core::int_of(core::ItemStore(s));
        for (int32_t k = 1; k <= n; ++k) params.push_back(core::ItemStore(s + k));
        set_params(params);
        clear_path();
        render::draw_item_by_code();
        return glyphs_in(path_points());
    }
};

TEST_F(RestCentringTest, ARestIsCentredBetweenItsBarLinesAndTheStoreKeepsP9) {
    const int32_t s = add_item({2.0f, 0.0f, 11.0f, 0.0f, -2.0f, 0.0f, 0.0f, 0.0f, -1.0f});
    for (int32_t pass : {1, -1}) {
        SCOPED_TRACE(pass);
        render::OutputPassWord = pass;
        const auto g = draw_stored(s);
        ASSERT_EQ(g.size(), 1u);
        EXPECT_EQ(g[0].x, std::trunc((20.0f - kScale * 0.056f) * 150.0f));
        // The first drawing keeps the place in the stored rest; the next one draws it there.
        EXPECT_FLOAT_EQ(core::ItemStore(s + 9), 20.0f - kScale * 0.056f);
    }
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    // The multi-bar glyph takes its own correction.
    const int32_t m = add_item({2.0f, 0.0f, 11.0f, 0.0f, -4.0f, 0.0f, 0.0f, 0.0f, -1.0f});
    const auto g = draw_stored(m);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].x, std::trunc((20.0f - kScale * 0.137f) * 150.0f));
}

TEST_F(RestCentringTest, NeighbourRulesForFarRestsMissingBarsAndMultiBarRests) {
    // More than 7 u right of the left bar: the start becomes P3 - 4.5 u.
    const int32_t far = add_item({2.0f, 0.0f, 18.0f, 0.0f, -2.0f, 0.0f, 0.0f, 0.0f, -1.0f});
    auto g = draw_stored(far);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].x, std::trunc(((13.5f + 30.0f) / 2.0f - kScale * 0.056f) * 150.0f));
    // Nothing to the right: drawn at P3.
    const int32_t alone = add_item({2.0f, 0.0f, 40.0f, 0.0f, -2.0f, 0.0f, 0.0f, 0.0f, -1.0f});
    g = draw_stored(alone);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].x, 6000.0f);
    // A multi-bar rest keeps its left end and runs to the right bar less the thin bar's 1.2 u
    // and min(P3 - start, 3 u + 0.5) = 2.
    const int32_t multi = add_item({2.0f, 0.0f, 12.0f, 0.0f, -5.0f, 0.0f, 0.0f, 0.0f, -1.0f});
    draw_stored(multi);
    const auto seg = segments_in(path_points());
    ASSERT_EQ(seg.size(), 2u);
    EXPECT_EQ(seg[0].x1, 1800.0f);
    EXPECT_EQ(seg[1].x1, std::trunc((30.0f - 1.2f - 2.0f) * 150.0f));
    EXPECT_FLOAT_EQ(core::ItemStore(multi + 9), 30.0f - 1.2f - 2.0f);
    EXPECT_FLOAT_EQ(core::ItemStore(far + 9), (13.5f + 30.0f) / 2.0f - kScale * 0.056f);
    EXPECT_EQ(core::ItemStore(alone + 9), -1.0f);  // not centred: nothing stored
}

// ---- with the glyph set the build generates ----

class RestGlyphSetTest : public SymbolTest {
  protected:
    void SetUp() override {
        SymbolTest::SetUp();
        render::register_rest_beam_key_meter_drawers();
        have_glyphs_ = use_build_glyphs();
        render::reset_symbol_tables();
    }
    // The vertical extent (display units) of what a rest of kind p5 at P4 = 0 draws.
    static std::pair<float, float> extent(float p5, float p8 = 0.0f) {
        std::vector<float> params(30, 0.0f);
        params[0] = 2.0f;
        params[2] = 10.0f;
        params[4] = p5;
        params[7] = p8;
        set_params(params);
        clear_path();
        render::draw_item_by_code();
        return y_range(path_points());
    }
    bool have_glyphs_ = false;
};

TEST_F(RestGlyphSetTest, RestGlyphsSitWhereTheirKindsHeightsPutThem) {
    if (!have_glyphs_) GTEST_SKIP() << "no generated glyph set";
    auto y_of = [](float pos) { return kBaseY + pos * kStep; };
    // The whole rest hangs from the fourth line, the half rest sits on the middle line.
    auto [low, high] = extent(-2.0f);
    EXPECT_NEAR(high, y_of(9.0f), 2.0f);
    EXPECT_NEAR(low, y_of(8.0f), 10.0f);
    std::tie(low, high) = extent(-1.0f);
    EXPECT_NEAR(low, y_of(7.0f), 2.0f);
    EXPECT_NEAR(high, y_of(8.0f), 10.0f);
    // The multi-bar glyph spans the second to the fourth line; short rests stay on the staff
    // (the stem of a sixteenth rest reaching a little below it).
    std::tie(low, high) = extent(-4.0f);
    EXPECT_NEAR(low, y_of(5.0f), 2.0f);
    EXPECT_NEAR(high, y_of(9.0f), 2.0f);
    for (float kind : {0.0f, 1.0f, 2.0f, -3.0f, -6.0f}) {
        SCOPED_TRACE(kind);
        std::tie(low, high) = extent(kind);
        EXPECT_GE(low, y_of(2.75f));
        EXPECT_LE(high, y_of(11.25f));
    }
    // The sign of P8 = -3 is not in the glyph set: the fermata stands in, nothing is reported.
    EXPECT_NO_THROW(extent(-5.0f, -3.0f));
}

TEST_F(RestGlyphSetTest, TypedRestsAreCentredAndTheStoreKeepsTheirPlace) {
    if (!have_glyphs_) GTEST_SKIP() << "no generated glyph set";
    // The whole engine's drawers (the fixture cleared them; TearDown puts them back).
    render::register_render_drawers();
    type("EI");  // the items are entered, not edited
    type("8 1 0");
    type("14 1 10 0 1");
    type("14 1 30 0 1");
    type("2 1 11 0 -2 0 0 0 -1");
    type("2 1 11 0 -2 0 0 0 -1");  // a second identical rest: the first must not have moved
    ASSERT_EQ(core::ItemCount, 5);
    for (int32_t k : {4, 5}) {
        const int32_t s = core::ItemStartTable(k);
        ASSERT_GE(core::int_of(core::ItemStore(s)), 9);
        EXPECT_FLOAT_EQ(core::ItemStore(s + 9), 20.0f - kScale * 0.056f);
    }
    // Each rest's output (its span of the graphics list) starts at the centred x.
    const float x = std::trunc((20.0f - kScale * 0.056f) * 150.0f) + render::ViewOrigin.x;
    for (int32_t k : {4, 5}) {
        SCOPED_TRACE(k);
        const int32_t from = core::ItemOutputSpans.graphics(k);
        const int32_t to = core::ItemOutputSpans.graphics(k + 1);
        ASSERT_LT(from, to);
        float left = 1e9f;
        for (int32_t w = from; w < to; w += 3)
            left = std::min(left, static_cast<float>(graphics_[static_cast<std::size_t>(w - 1)]));
        EXPECT_NEAR(left, x, 1.0f);
    }
}
