// Code 12 arrows, ruled figures and guitar chord grids: their outlines, dots and texts, and
// that none of them changes ParamBuffer, EditItemParams or CommandLine.

#include "engine/render/lines/chord_grids.h"

#include <string>
#include <vector>

#include "engine/commands/files/library_data.h"
#include "engine/layout/tables.h"
#include "engine/render/render_registration.h"
#include "tests/render/render_fixture.h"

namespace {
int g_loads = 0;
void fake_loader() {
    ++g_loads;
    // C major (root 1, type 1, variant 1): the open shape with the nut; variant 2 at "3fr".
    core::GuitarChordTables.frets(core::guitar_chord_slot(1, 0, 1)) = 0.0f;
    core::GuitarChordTables.marks(core::guitar_chord_slot(1, 0, 1)) = 932818;
    core::GuitarChordTables.frets(core::guitar_chord_slot(1, 0, 2)) = 3003.0f;
    core::GuitarChordTables.marks(core::guitar_chord_slot(1, 0, 2)) = 913331;
    core::GuitarChordTables.loaded = 1;
}
// Whether text holds the characters of word in order: the text stream keeps one record per
// glyph, so a word's characters are not next to each other.
bool holds_in_order(const std::string& text, const std::string& word) {
    std::size_t at = 0;
    for (char c : word) {
        at = text.find(c, at);
        if (at == std::string::npos) return false;
        ++at;
    }
    return true;
}
int count_op(const std::vector<PathPoint>& pts, int16_t op) {
    int n = 0;
    for (const auto& p : pts) n += p.op == op;
    return n;
}
}  // namespace

class FigureTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        render::register_render_drawers();
        render::set_guitar_chord_loader(fake_loader);
        g_loads = 0;
        render::OutputPassWord = 1;
        for (int32_t s = 1; s <= layout::kMaxStaves; ++s)
            layout::StaffTables.StaffBaseY(s) = -27675 + 3150 * s;
    }
    void TearDown() override {
        render::set_guitar_chord_loader(core::load_guitar_chord_file);
        RenderTest::TearDown();
    }
    std::vector<PathPoint> draw(std::vector<float> params) {
        render::PathPointList.count = 1;
        params.resize(26, 0.0f);
        set_params(params);
        core::CommandLine.set("keep me");
        core::EditItemParams(3) = 7.0f;
        const auto before = core::ParamBuffer;
        render::draw_item_by_code();
        for (int k = 1; k <= 56; ++k) EXPECT_EQ(core::ParamBuffer(k), before(k)) << "P" << k;
        EXPECT_EQ(core::CommandLine.c_text(), std::string("keep me"));
        EXPECT_EQ(core::EditItemParams(3), 7.0f);
        return path_list();
    }
    static float x0() { return 10.0f * 150.0f; }
};

TEST_F(FigureTest, StraightAndCurvedArrows) {
    // Straight, length 1: a line of 35 x scale and a filled head of 6 x scale.
    auto pts = draw({12, 1, 10, 4, 2, 1, 0, 0, 0, 1});
    ASSERT_EQ(pts.size(), 6u);
    EXPECT_EQ(pts[1].x - pts[0].x, static_cast<int32_t>(35 * kScale));
    EXPECT_EQ(pts[2].op, 2);
    EXPECT_EQ(pts[2].x - pts[1].x, static_cast<int32_t>(6 * kScale));
    EXPECT_EQ(pts[5].x, pts[2].x);
    // P12 negative: no head.
    EXPECT_EQ(draw({12, 1, 10, 4, 2, 1, 0, 0, 0, 1, 0, -1}).size(), 2u);
    // Curved, sweep 90, with its head of three points closed; without the head only the arc.
    pts = draw({12, 1, 10, 4, 2, 1, 0, 0, 0, 0, 90});
    ASSERT_EQ(pts.size(), 91u + 4u);
    EXPECT_EQ(pts[90].x, static_cast<int32_t>(x0()));  // the arc ends at the item's position
    EXPECT_EQ(pts[91].op, 2);
    EXPECT_EQ(draw({12, 1, 10, 4, 2, 1, 0, 0, 0, 0, 90, -1}).size(), 91u);
    // PostScript: the width first, a break last.
    int widths = 0, breaks = 0;
    static int* w = &widths;
    static int* b = &breaks;
    render::RenderHooks.add_path_width = [](int32_t) { ++*w; };
    render::RenderHooks.add_path_break = [] { ++*b; };
    render::OutputPassWord = -1;
    draw({12, 1, 10, 4, 2, 1, 0, 3, 0, 1});
    EXPECT_EQ(widths, 1);
    EXPECT_EQ(breaks, 1);
    render::OutputPassWord = 1;
}

TEST_F(FigureTest, RuledFiguresWithDots) {
    // Two lines (P7 0), dots below and above (P8 101): 2 segments and two 31-point dots.
    auto pts = draw({12, 1, 10, 4, 10, 1, 0, 101});
    EXPECT_EQ(pts.size(), 4u + 2u * 31u);
    EXPECT_EQ(pts[1].x - pts[0].x, static_cast<int32_t>(2 * 4.4f * 150));
    EXPECT_EQ(count_op(pts, 2), 2);
    // Three lines (P7 4) with all four dots and both side dots.
    pts = draw({12, 1, 10, 4, 10, 1, 4, 1111, 101});
    EXPECT_EQ(count_op(pts, 1), 3);
    EXPECT_EQ(count_op(pts, 2), 6);
    // One line (P7 2) with the two larger dots.
    pts = draw({12, 1, 10, 4, 10, 1, 2, 11});
    EXPECT_EQ(count_op(pts, 1), 1);
    EXPECT_EQ(count_op(pts, 2), 2);
    // Two lines (P7 3) with the middle dot from P9's tens digit and a right side dot.
    pts = draw({12, 1, 10, 4, 10, 1, 3, 0, 11});
    EXPECT_EQ(count_op(pts, 2), 2);
}

TEST_F(FigureTest, HugeWordsAreHeld) {
    // The ruled figure's thickness: 99 at most (two lines, 198 copies each on screen).
    const auto at_limit = draw({12, 1, 10, 4, 10, 1, 0, 0, 0, 99});
    EXPECT_EQ(at_limit.size(), 4u + 198u * 4u);
    EXPECT_EQ(draw({12, 1, 10, 4, 10, 1, 0, 0, 0, 100}), at_limit);
    EXPECT_EQ(draw({12, 1, 10, 4, 10, 1, 0, 0, 0, 3e9f}), at_limit);
    EXPECT_LT(draw({12, 1, 10, 4, 10, 1, 0, 0, 0, 98}).size(), at_limit.size());
    // The lowest whole number as dot digits: the digits of its magnitude 2147483648 (units 8,
    // tens 4, hundreds 6): three dots.
    EXPECT_EQ(count_op(draw({12, 1, 10, 4, 10, 1, 0, -3e9f}), 2), 3);
    // The curved arrow's sweep is one turn at most, either way: the whole circle.
    EXPECT_EQ(draw({12, 1, 10, 4, 2, 1, 0, 0, 0, 0, 360, -1}).size(), 361u);
    EXPECT_EQ(draw({12, 1, 10, 4, 2, 1, 0, 0, 0, 0, -3e9f, -1}).size(), 361u);
    EXPECT_EQ(draw({12, 1, 10, 4, 2, 1, 0, 0, 0, 0, 359, -1}).size(), 360u);
    // A grid with the lowest whole number as its size and patterns still draws its lines.
    const auto grid = draw({12, 1, 10, 4, -2, 1, 0, 0, 0, 0, 0, -3e9f, 0, -3e9f});
    EXPECT_GE(grid.size(), 16u);
}

TEST_F(FigureTest, ChordNames) {
    EXPECT_EQ(render::guitar_chord_name(10, 0, 0, 0, 0), "_00C");
    EXPECT_EQ(render::guitar_chord_name(71, 2, 7, 0, 0), "_00B?1m7");
    EXPECT_EQ(render::guitar_chord_name(52, 1, 409, 3100, 1200), "_00G?2maj+9(add?1/C?2)");
    EXPECT_EQ(render::guitar_chord_name(0, 1, 0, 0, 0), "");
    EXPECT_EQ(render::guitar_chord_name(80, 1, 0, 0, 0), "");
}

TEST_F(FigureTest, GuitarGridsWithNutAndPosition) {
    // C major looked up (P5 -4, root 10, type 1, variant 0): six strings, five frets, the nut,
    // dots for the fingered strings, an open circle and a cross; the chord name as text.
    if (!use_build_fonts()) GTEST_SKIP() << "no font metrics in this build";
    auto pts = draw({12, 1, 10, 4, -4, 1, 10, 1, 0});
    EXPECT_EQ(g_loads, 1);
    EXPECT_EQ(count_op(pts, 2), 1 + 3);  // the nut and three finger dots
    EXPECT_GT(text_length_, 0);
    const std::string text(text_.begin(), text_.begin() + text_length_);
    EXPECT_NE(text.find('C'), std::string::npos);
    // The second shape: no nut, the "3fr" position beside the grid.
    text_length_ = 0;
    pts = draw({12, 1, 10, 4, -4, 1, 10, 1, 1});
    EXPECT_EQ(g_loads, 1);           // loaded once
    EXPECT_EQ(count_op(pts, 2), 5);  // five fingered strings in 913331
    const std::string text2(text_.begin(), text_.begin() + text_length_);
    EXPECT_TRUE(holds_in_order(text2, "3fr"));
    // A grid without lookup: four strings of three frets, no marks: 4 + 4 segments.
    pts = draw({12, 1, 10, 4, -2, 1, 0, 0, 0, 0, 0, 0, 0, 43});
    EXPECT_EQ(pts.size(), 16u);
}
