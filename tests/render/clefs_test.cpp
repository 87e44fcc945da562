// The glyph painter (clef items and the glyphs of other drawers) and the ornament drawer, with
// the counted glyphs of the symbol fixture. The lines of ornaments are checked against the same
// line drawn by the line drawer itself, their numbers and words in the text records.
#include <cmath>

#include "engine/core/numeric.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/lines.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/page/item_drawing.h"
#include "tests/render/symbol_fixture.h"

namespace {

// The glyphs of the path list, which must hold nothing else.
std::vector<Glyph> only_glyphs(const std::vector<DrawingPoint>& pts) {
    const auto glyphs = glyphs_in(pts);
    std::size_t points = 0;
    for (const Glyph& g : glyphs) points += static_cast<std::size_t>(g.number) + 2;
    EXPECT_EQ(points, pts.size()) << "points outside the glyphs";
    return glyphs;
}

}  // namespace

class ClefTest : public SymbolTest {
  protected:
    void SetUp() override {
        SymbolTest::SetUp();
        write_glyph_files({0, 1, 2, 3, 4, 7, 12});
        render::OutputPassWord = 0;  // no word symbols: 45..47 stay drawings
    }
    // Draws a Code 3 item through the dispatcher.
    static std::vector<Glyph> clef(float p4, float p5, float p6 = 0.0f, float p15 = 0.0f) {
        clear_path();
        set_params({3, 0, 10, p4, p5, p6, 0, 0, 0, 0, 0, 0, 0, 0, p15});
        render::draw_item_by_code();
        return only_glyphs(path_points());
    }
    // Draws a Code 7 item through the dispatcher.
    static void trill_item(std::vector<float> params) {
        clear_path();
        params.resize(28, 0.0f);
        params[0] = 7.0f;
        set_params(params);
        render::draw_item_by_code();
    }

    // The words an ornament hands to the line drawer for its extension line: the kind, from x
    // (display units) at position pos to P3 `to`, P8 (amplitude, or the dash scale), P9, the
    // width IP10 and P16 (the end shift).
    struct Line {
        int32_t kind = 0;
        float from = 0.0f, pos = 0.0f, to = 0.0f, p8 = 0.0f, p9 = 0.0f;
        int32_t ip10 = 0;
        float p16 = 0.0f;
    };
    // The points the line drawer itself draws for `line` while the item's words are `item`;
    // the path list is left as it was.
    static std::vector<DrawingPoint> line_drawn_directly(std::vector<float> item, const Line& l) {
        auto& path = render::PathPointList;
        const int32_t mark = path.count;
        const auto params = core::ParamBuffer;
        const auto int_params = core::IntParamBuffer;
        item.resize(28, 0.0f);
        item[0] = 7.0f;
        set_params(item);
        for (int32_t k = 1; k <= 50; ++k)
            core::IntParamBuffer(k) = core::int_of(core::ParamBuffer(k));
        for (auto [k, v] : {std::pair{3, l.from / 150.0f},
                            {4, l.pos},
                            {5, l.pos},
                            {6, l.to},
                            {7, static_cast<float>(l.kind)},
                            {8, l.p8},
                            {9, l.p9},
                            {16, l.p16}}) {
            core::ParamBuffer(k) = v;
            core::IntParamBuffer(k) = core::int_of(v);
        }
        core::IntParamBuffer(10) = l.ip10;
        render::ItemDrawOrigin = {l.from, render::compute_staff_y(l.pos)};
        render::draw_line_item();
        auto points = path_points(mark);
        path.count = mark;
        core::ParamBuffer = params;
        core::IntParamBuffer = int_params;
        return points;
    }
    // The path ends with exactly `line`'s points; returns the points before them.
    static std::vector<DrawingPoint> expect_path_ends_with(const std::vector<DrawingPoint>& line) {
        const auto pts = path_points();
        EXPECT_FALSE(line.empty());
        EXPECT_GE(pts.size(), line.size());
        if (line.empty() || pts.size() < line.size()) return pts;
        const auto start = pts.end() - static_cast<std::ptrdiff_t>(line.size());
        EXPECT_EQ(std::vector<DrawingPoint>(start, pts.end()), line);
        return {pts.begin(), start};
    }
};

TEST_F(ClefTest, ClefsStandRightOfTheItemAtAQuarterOfTheirDrawing) {
    const auto two = clef(0.0f, 2.0f);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(two[0].number, 2);
    EXPECT_EQ(two[0].x, 1500.0f + 21.0f * kScale);
    EXPECT_EQ(two[0].y, kBaseY);
    EXPECT_FLOAT_EQ(two[0].sx, 0.25f);

    const auto shifted = clef(0.0f, 2.0f, 2.0f, 2.0f);  // size 2, P15 2
    ASSERT_EQ(shifted.size(), 1u);
    EXPECT_EQ(shifted[0].x, 1500.0f + 300.0f + 21.0f * kScale);
    EXPECT_FLOAT_EQ(shifted[0].sx, 0.5f);

    // Kind 3 (tenor) is kind 2's glyph 14 units further right and one staff line higher.
    const auto three = clef(0.0f, 3.0f);
    ASSERT_EQ(three.size(), 1u);
    EXPECT_EQ(three[0].number, 2);
    EXPECT_EQ(three[0].x, 1500.0f + 35.0f * kScale);
    EXPECT_EQ(three[0].y, kBaseY + 14.0f * kScale);

    // P4 in the hundreds: a small clef (0.8 x the quarter size) further right, at P4 mod 100.
    for (int32_t kind = 0; kind <= 5; ++kind) {
        SCOPED_TRACE(kind);
        const auto small = clef(107.0f, static_cast<float>(kind));
        ASSERT_EQ(small.size(), 1u);
        const float o = 21.0f + render::SmallClefOffsets[static_cast<std::size_t>(kind)] +
                        (kind == 3 ? 14.0f : 0.0f);
        EXPECT_EQ(small[0].number, kind == 3 ? 2 : kind);
        EXPECT_FLOAT_EQ(small[0].sx, 0.2f);
        EXPECT_EQ(small[0].x, static_cast<float>(core::int_of(1500.0f + kScale * o)));
        EXPECT_EQ(small[0].y, kBaseY + (kind == 3 ? 9.0f : 7.0f) * 7.0f * kScale);
    }
}

TEST_F(ClefTest, OctaveFiguresOfTheClefsFraction) {
    struct Case {
        float p5;
        int32_t figure;  // -1: none
        float height;    // P4 the figure is drawn at (item P4 = 2)
        float factor;    // the figure's x: P3 + scale x factor
        int32_t clef;
    };
    const Case cases[] = {
        {0.88f, 8, 2.0f + 3.0f + 10.95f, 0.12f, 0},  // 8 above
        {0.8f, 8, 2.0f + 3.0f - 5.25f, 0.08f, 0},    // 8 below
        {1.8f, 8, 2.0f + 3.0f, 0.06f, 1},            // 8 at mid height, clef 1
        {0.15f, 15, 2.0f + 3.0f + 10.95f, 0.085f, 0},
        {0.1f, 15, 2.0f + 3.0f - 5.25f, 0.08f, 0},  // 1 is shown as 15
        {-0.5f, 5, 2.0f + 3.0f - 5.25f, 0.08f, 0},  // shown as 5, not -5
        {2.88f, -1, 0.0f, 0.0f, 2},
        {1.5f, -1, 0.0f, 0.0f, 1},
    };
    ASSERT_TRUE(fonts_) << "the figures are text: the build's fonts are needed";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p5);
        text_length_ = 0;
        const auto drawn = clef(2.0f, c.p5);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].number, c.clef);
        EXPECT_EQ(drawn[0].y, kBaseY + 2.0f * 7.0f * kScale);
        EXPECT_EQ(drawn[0].x, 1500.0f + 21.0f * kScale);
        const auto shown = shown_texts();
        if (c.figure < 0) {
            EXPECT_TRUE(shown.empty());
            continue;
        }
        ASSERT_EQ(shown.size(), 1u);
        // The figure through the number drawer: style 11 (Times-BoldItalic), size 0.7, at P3 +
        // scale x factor and the given height.
        const ShownRecord& figure = shown[0];
        EXPECT_EQ(figure.text(), std::to_string(c.figure));  // never a sign
        EXPECT_EQ(figure.face, "Nimbus Roman");
        EXPECT_EQ(figure.weight, 700);
        EXPECT_EQ(figure.italic, -1);
        EXPECT_FLOAT_EQ(figure.height, kScale * 0.7f * 0.25f * 1.937f);
        ASSERT_FALSE(figure.chars.empty());
        EXPECT_EQ(figure.chars[0].x,
                  render::ViewOrigin.x + core::nint((10.0f + kScale * c.factor) * 150.0f));
        EXPECT_EQ(figure.chars[0].y,
                  core::nint(kBaseY + c.height * 7.0f * kScale) - render::ViewOrigin.y - 100);
        // The item's words come back.
        EXPECT_EQ(core::ParamBuffer(3), 10.0f);
        EXPECT_EQ(core::ParamBuffer(4), 2.0f);
        EXPECT_EQ(core::ParamBuffer(6), 0.0f);
    }
}

TEST_F(ClefTest, ClefOnlyKinds44_55_66DrawGlyph3Small) {
    const auto k44 = clef(2.0f, 44.0f);
    ASSERT_EQ(k44.size(), 1u);
    EXPECT_EQ(k44[0].number, 3);
    EXPECT_NEAR(k44[0].sx, 0.06f, 1e-4f);
    EXPECT_EQ(k44[0].x, 1500.0f);
    EXPECT_EQ(k44[0].y, static_cast<float>(core::int_of(kBaseY + 3.2f * 7.0f * kScale)));

    const auto k55 = clef(102.0f, 55.0f);  // a small clef's hundreds do not move it
    ASSERT_EQ(k55.size(), 1u);
    EXPECT_NEAR(k55[0].sx, 0.083f, 1e-3f);
    EXPECT_EQ(k55[0].y, static_cast<float>(core::int_of(kBaseY + 2.35f * 7.0f * kScale)));

    const auto k66 = clef(2.0f, 66.0f);
    ASSERT_EQ(k66.size(), 1u);
    EXPECT_NEAR(k66[0].sx, 0.1f, 1e-4f);
    EXPECT_EQ(k66[0].y, kBaseY + 2.0f * 7.0f * kScale);
}

TEST_F(ClefTest, GlyphKindsBelow45AreQuarteredAndNegativeKindsPaintKindZero) {
    core::IntParamBuffer(1) = 1;
    int32_t head = 11;
    render::draw_clef_item(100.0f, 200.0f, head, 2.0f, 0.0f);
    int32_t ornament = 48;
    render::draw_clef_item(100.0f, 200.0f, ornament, 2.0f, 0.0f);
    int32_t negative = -4;
    render::draw_clef_item(100.0f, 200.0f, negative, 1.0f, 1.0f);
    core::IntParamBuffer(1) = 2;  // for the glyphs of other items 44 is the rest glyph
    int32_t rest = 44;
    render::draw_clef_item(0.0f, 0.0f, rest, 1.0f, 1.0f);
    const auto drawn = only_glyphs(path_points());
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].number, 11);
    EXPECT_EQ(drawn[0].x, 100.0f);
    EXPECT_FLOAT_EQ(drawn[0].sx, 0.5f);
    EXPECT_FLOAT_EQ(drawn[0].sy, 0.5f);  // size2 0 takes size1
    EXPECT_EQ(drawn[1].number, 48);
    EXPECT_FLOAT_EQ(drawn[1].sx, 2.0f);
    EXPECT_EQ(drawn[2].number, 0);
    EXPECT_FLOAT_EQ(drawn[2].sx, 0.25f);
    EXPECT_EQ(drawn[2].x, 100.0f + 21.0f * kScale);
    EXPECT_EQ(negative, 0);
    EXPECT_EQ(drawn[3].number, 44);
    EXPECT_FLOAT_EQ(drawn[3].sx, 0.25f);
}

TEST_F(ClefTest, TheMetricsPassUsesTheOutlineTableOrFallsBackToTheLibrary) {
    core::IntParamBuffer(1) = 1;
    int32_t head = 11;
    render::draw_clef_item(0.0f, 0.0f, head, 1.0f, 1.0f);
    const auto fallback = only_glyphs(path_points());
    ASSERT_EQ(fallback.size(), 1u);  // the empty table does not make the glyph vanish
    EXPECT_EQ(fallback[0].number, 11);
    EXPECT_FLOAT_EQ(fallback[0].sx, 0.25f);

    auto& table = render::GlyphOutlineTable;
    for (int32_t k = 1; k <= 12; ++k) table.start(k) = 1;
    table.start(13) = 3;  // kind 11: points 1 and 2
    table.x(1) = 1.0f;
    table.y(1) = 2.0f;
    table.op(1) = 2;
    table.x(2) = 3.0f;
    table.y(2) = 4.0f;
    table.op(2) = 0;
    clear_path();
    render::draw_clef_item(10.0f, 20.0f, head, 2.0f, 1.0f);
    EXPECT_EQ(path_points(), (std::vector<DrawingPoint>{
                                 {10.0f + kScale * 2.0f, 20.0f + kScale * 2.0f, 2},
                                 {10.0f + kScale * 2.0f * 3.0f, 20.0f + kScale * 4.0f, 0}}));

    // Other passes never read the table.
    clear_path();
    render::OutputPassWord = 1;
    render::draw_clef_item(10.0f, 20.0f, head, 2.0f, 1.0f);
    const auto library = only_glyphs(path_points());
    ASSERT_EQ(library.size(), 1u);
    EXPECT_EQ(library[0].number, 11);
}

namespace {
struct Drawer9Or4 {
    int32_t code;
    float p3, p4, p5, p6, p7;
};
std::vector<Drawer9Or4> g_items;
void record_item() {
    const auto& p = core::ParamBuffer;
    g_items.push_back({core::IntParamBuffer(1), p(3), p(4), p(5), p(6), p(7)});
}
}  // namespace

TEST_F(ClefTest, P7Of99DrawsTheSampleSheetInstead) {
    g_items.clear();
    render::register_item_drawer(9, record_item);
    render::register_item_drawer(4, record_item);
    set_params({1.0f, 0.0f, 10.0f, 4.0f, 0.0f, 0.0f, 99.0f});
    core::IntParamBuffer(1) = 1;
    int32_t head = 11;
    render::draw_clef_item(0.0f, 0.0f, head, 1.0f, 1.0f);
    EXPECT_TRUE(path_points().empty());
    ASSERT_EQ(g_items.size(), 15u);
    EXPECT_EQ(g_items[0].code, 9);
    EXPECT_EQ(g_items[0].p3, -4.0f);
    EXPECT_EQ(g_items[0].p4, 21.0f);
    EXPECT_EQ(g_items[0].p5, 269.0f);
    EXPECT_FLOAT_EQ(g_items[0].p6, 1.4f);
    for (int32_t k = 1; k <= 14; ++k) {
        const auto& line = g_items[static_cast<std::size_t>(k)];
        EXPECT_EQ(line.code, 4);
        EXPECT_EQ(line.p4, static_cast<float>(-7 + 2 * k));
        EXPECT_EQ(line.p5, line.p4);
        EXPECT_FLOAT_EQ(line.p6, 0.1f);
        EXPECT_EQ(line.p7, 0.0f);
    }
    EXPECT_EQ(core::ParamBuffer(26), 990000.0f);
}

// ---- ornaments (Code 7) ----

TEST_F(ClefTest, TrillSignWithAccidentalAndWavyLine) {
    // P3 10, P4 2, size 1, line to 40, kind 0, accidental 1.
    const std::vector<float> item = {7, 0, 10, 2, 0, 40, 0, 1, 0, 0, 0.5f};
    const float x = 1500.0f, y = kBaseY + 2.0f * 7.0f * kScale, h = 7.0f * kScale;
    // A trill line (kind -1) from the sign's end at P4 + 2.2 + P11 - P9 to P6, amplitude z x P9
    // (P9 0 counting as 1), no end shift.
    const auto line = line_drawn_directly(item, {.kind = -1,
                                                 .from = x + 22.85f * kScale,
                                                 .pos = 2.0f + 2.2f + 0.5f,
                                                 .to = 40.0f,
                                                 .p8 = 1.0f});
    trill_item(item);
    const auto drawn = only_glyphs(expect_path_ends_with(line));
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].number, 37);
    EXPECT_EQ(drawn[0].x, x);
    EXPECT_EQ(drawn[0].y, y + h);
    EXPECT_NEAR(drawn[0].sx, 0.25f * 1.1f, 1e-3f);
    EXPECT_EQ(drawn[1].number, 6);
    EXPECT_EQ(drawn[1].x, static_cast<float>(core::int_of(x + 23.0f * kScale)));
    // Three steps up, or higher when its ink would reach the sign's (the ink test with the
    // real glyphs is in ink_clearance_test.cpp).
    EXPECT_GE(drawn[1].y, static_cast<float>(core::int_of(y + h + 3.0f * h)));
    EXPECT_NEAR(drawn[1].sx, 0.25f * 0.65f, 1e-3f);
    // P1..P20 come back.
    for (int k = 1; k <= 11; ++k)
        EXPECT_EQ(core::ParamBuffer(k), item[static_cast<std::size_t>(k - 1)]);
}

TEST_F(ClefTest, TrillAccidentalsMoveRightAndUpByKind) {
    auto accidental = [&](float p8) {
        trill_item({7, 0, 10, 0, 0, 0, 0, p8});
        const auto drawn = only_glyphs(path_points());
        EXPECT_EQ(drawn.size(), 2u);
        return drawn.size() == 2 ? drawn[1] : Glyph{};
    };
    const float h = 7.0f * kScale;
    const Glyph one = accidental(1.0f);
    const Glyph two = accidental(2.0f);
    const Glyph four = accidental(4.0f);
    const Glyph five = accidental(5.0f);
    EXPECT_EQ(four.number, 9);
    EXPECT_NEAR(four.x - 1500.0f, 1.3f * (one.x - 1500.0f), 1.0f);
    EXPECT_NEAR(five.x - 1500.0f, 1.11f * (one.x - 1500.0f), 1.0f);
    EXPECT_GE(two.y, one.y - 1.0f);  // a sharp or natural stands no lower than a flat
    EXPECT_GE(two.y, kBaseY + h + 3.6f * h - 1.0f);

    trill_item({7, 0, 10, 0, 0, 0, 0, 6});
    EXPECT_EQ(only_glyphs(path_points()).size(), 1u);  // only 1..5 are accidentals
}

TEST_F(ClefTest, TrillLineWidthOnThePostScriptPass) {
    render::OutputPassWord = -1;
    std::vector<float> item = {7, 0, 10, 0, 0, 40, 0, 0, 0, 2};
    item.resize(28, 0.0f);
    item[27] = 6;  // P28
    (void)line_drawn_directly(item, {.kind = -1,
                                     .from = 1500.0f + 22.85f * kScale,
                                     .pos = 2.2f,
                                     .to = 40.0f,
                                     .p8 = 1.0f,
                                     .ip10 = 2});
    const std::vector<int32_t> line_widths = g_hooks.widths;
    const int line_breaks = g_hooks.breaks;
    g_hooks.widths.clear();
    g_hooks.breaks = 0;
    trill_item(item);
    // The sign is drawn with P28's width (its width index is not lowered below 45); the line
    // gets the item's own width back and draws as the line drawer draws it with width 2 (a
    // trill line takes no width entry of its own).
    std::vector<int32_t> expected = {6};
    expected.insert(expected.end(), line_widths.begin(), line_widths.end());
    EXPECT_EQ(g_hooks.widths, expected);
    EXPECT_EQ(g_hooks.breaks, 1 + line_breaks);
}

TEST_F(ClefTest, OctaveSignsAndNumbersWithDashedLines) {
    ASSERT_TRUE(fonts_) << "the words and figures are text: the build's fonts are needed";
    render::OutputPassWord = 1;
    struct Case {
        std::vector<float> item;
        Line dashes;
        std::string shown;
        float height;  // of the text, in units of the staff scale (0: not checked)
    };
    const Case cases[] = {
        // "8va" in italics (font 1002); a dashed line (kind 1) from 43 units right at P4 + 0.4,
        // dashes of staff scale x z / 25 and gaps 1.5 times that.
        {{7, 0, 10, 2, 1, 40, 8},
         {.kind = 1,
          .from = 1500.0f + 43.0f * kScale,
          .pos = 2.4f,
          .to = 40.0f,
          .p8 = 1.0f,
          .p9 = 1.5f},
         "8va",
         0.0f},
        // 155: the figure 15 at 0.75 x 1.1 z through the number drawer; the line from 29 units
        // x z right, 1.5 x 1.1 z higher; P18 asks for the end shift; P10 is the line's width.
        {{7, 0, 10, 2, 2, 40, 155, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1},
         {.kind = 1,
          .from = 1500.0f + 2.0f * 29.0f * kScale,
          .pos = 2.0f + 1.5f * 2.2f + 0.4f,
          .to = 40.0f,
          .p8 = 2.0f,
          .p9 = 3.0f,
          .ip10 = 2,
          .p16 = 1.0f},
         "15",
         0.75f * 2.2f},
        // -88 does not rise.
        {{7, 0, 10, 2, 0, 40, -88},
         {.kind = 1,
          .from = 1500.0f + 18.0f * kScale,
          .pos = 2.4f,
          .to = 40.0f,
          .p8 = 1.0f,
          .p9 = 1.5f},
         "8",
         0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        text_length_ = 0;
        const auto line = line_drawn_directly(c.item, c.dashes);
        trill_item(c.item);
        (void)expect_path_ends_with(line);
        const auto shown = shown_texts();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text(), c.shown);
        if (c.shown == "8va") {
            EXPECT_EQ(shown[0].italic, -1);
        }
        if (c.height > 0.0f) {
            EXPECT_FLOAT_EQ(shown[0].height, kScale * c.height * 0.25f * 1.937f);
        }
    }
}

TEST_F(ClefTest, DefaultOrnamentDrawsItsDotsByDigit) {
    trill_item({7, 0, 10, 0, 101, 0, 99});
    const auto drawn = only_glyphs(path_points());
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].number, 48);
    EXPECT_FLOAT_EQ(drawn[0].sx, 0.4f);
    EXPECT_EQ(drawn[1].number, 49);
    EXPECT_EQ(drawn[1].x, 1500.0f);
    EXPECT_EQ(drawn[2].number, 49);
    EXPECT_EQ(drawn[2].x, static_cast<float>(core::int_of(1500.0f + 2.0f * 53.0f * 0.4f * kScale)));
    EXPECT_EQ(path_points().size(), 50u + 2u * 51u);  // the glyphs alone: no line without P6
}

TEST_F(ClefTest, PedalDiagramBoxesFollowTheDigits) {
    trill_item({7, 0, 20, 4, 1, 0, 1, 123, 3211});
    // Two plain strokes: up the middle from P4 - 4 to P4 + 4 and across at P4 from 9.5 units
    // left to 12 right. The digits in P8 and P9 are neither a width nor a turn for them.
    const float y = kBaseY + 4.0f * 7.0f * kScale;
    EXPECT_EQ(path_points(), (std::vector<DrawingPoint>{{3000.0f, kBaseY, 1},
                                                        {3000.0f, kBaseY + 8.0f * 7.0f * kScale, 0},
                                                        {(20.0f - 9.5f) * 150.0f, y, 1},
                                                        {(20.0f + 12.0f) * 150.0f, y, 0}}));
    ASSERT_EQ(g_hooks.boxes.size(), 7u);
    const int digits[] = {1, 2, 3, 3, 2, 1, 1};
    const float xs[] = {12.5f, 15.0f, 17.5f, 22.5f, 25.0f, 27.5f, 30.0f};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        const BoxCall& b = g_hooks.boxes[static_cast<std::size_t>(i)];
        EXPECT_FLOAT_EQ(b.origin_x, xs[i] * 150.0f);
        EXPECT_FLOAT_EQ(b.origin_y, y + (digits[i] - 2) * 2.5f * 7.0f * kScale);
        EXPECT_EQ(b.p5, 0.0f);
        EXPECT_EQ(b.p6, 1.0f);
        EXPECT_EQ(b.p7, 3.0f);
        EXPECT_EQ(b.p8, 0.0f);
        EXPECT_EQ(b.p13, 1.0f);
    }
    EXPECT_EQ(core::ParamBuffer(8), 123.0f);
}

TEST_F(ClefTest, PedalLinesWithNotchAndHooks) {
    // Kind 21 from P3 10 with a start stroke 2 steps up, the notch at 20, the end at 30.
    trill_item({7, 0, 10, 0, 0, 30, 21, 20, 0, 0, 2});
    const float y = kBaseY;
    const float s6 = 6.0f * kScale;
    EXPECT_EQ(path_points(), (std::vector<DrawingPoint>{{1500, y + 2 * 7 * kScale, 1},
                                                        {1500, y, 0},
                                                        {3000, y, 0},
                                                        {3000 + s6, y + 2 * 7 * kScale, 0},
                                                        {3000 + 2 * s6, y - 7 * kScale, 0},
                                                        {3000 + 3 * s6, y, 0},
                                                        {4500, y, 0},
                                                        {4500, y, 0}}));
}
