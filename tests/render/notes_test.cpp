// The note drawer, through the dispatcher, with the counted glyphs of the symbol fixture started
// by a filled pen (2) instead of the marker.
#include "engine/render/notes/notes.h"

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/numeric.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/render/symbol_fixture.h"

using namespace render;

namespace {

constexpr float kBase = 10000.0f;  // step 0 of staff 1
constexpr float kX = 1500.0f;      // P3 = 10
constexpr float kHead = 17.0f * kScale;
constexpr float kQuarter = kScale * 0.25f * 100.0f;  // a glyph kind below 45 at size 1

float at(float position) { return kBase + position * kStep; }

struct Shape {
    int32_t kind;
    float x, y, dx, dy;
};
struct Segment {
    float x1, y1, x2, y2;
};
struct Output {
    std::vector<Shape> glyphs;
    std::vector<Segment> segments;
    std::vector<DrawingPoint> other;
    std::vector<Shape> of(int32_t kind) const {
        std::vector<Shape> out;
        for (const Shape& g : glyphs)
            if (g.kind == kind) out.push_back(g);
        return out;
    }
};

Output decode(const std::vector<DrawingPoint>& pts) {
    Output out;
    std::size_t i = 0;
    while (i < pts.size()) {
        const DrawingPoint& p = pts[i];
        if (p.pen == 2 && i + 1 < pts.size()) {
            std::size_t j = i + 2;
            while (j < pts.size() && pts[j].pen == 0 && pts[j].x == p.x && pts[j].y == p.y) ++j;
            out.glyphs.push_back({static_cast<int32_t>(j - i - 2), p.x, p.y, pts[i + 1].x - p.x,
                                  pts[i + 1].y - p.y});
            i = j;
        } else if (p.pen == 1 && i + 1 < pts.size() && pts[i + 1].pen == 0) {
            out.segments.push_back({p.x, p.y, pts[i + 1].x, pts[i + 1].y});
            i += 2;
        } else {
            out.other.push_back(p);
            ++i;
        }
    }
    return out;
}

// The recorders of this file's hooks, in the order they were called.
std::vector<std::string> g_log;
int32_t g_width_code = 99;
struct BeamSeen {
    int32_t ip1, ip7, ip10;
    float p3, p4, p12, p17, x, y;
};
std::vector<BeamSeen> g_beams;
std::vector<float> g_boxes;  // P6 of each box

void log_flush() {
    g_log.push_back("flush " + std::to_string(PathPointList.count - 1));
    PathPointList.count = 1;
}
void log_line(std::string_view line) { g_log.push_back(std::string(line)); }
void log_width(int32_t w) {
    g_log.push_back("width " + std::to_string(w));
    add_path_point(999.0f, static_cast<float>(w), 99);
}
void log_break() {
    g_log.push_back("break");
    add_path_point(0.0f, 0.0f, -99);
}
int32_t choose_width() {
    if (g_width_code != 99) log_width(g_width_code);
    return g_width_code;
}
float width_factor() { return 10.0f; }
void see_beam() {
    const auto& p = core::ParamBuffer;
    const auto& ip = core::IntParamBuffer;
    g_beams.push_back(
        {ip(1), ip(7), ip(10), p(3), p(4), p(12), p(17), ItemDrawOrigin.x, ItemDrawOrigin.y});
}
// A stand-in box drawer: a filled quad of P6 by P7 about the origin.
void fake_box() {
    const auto& p = core::ParamBuffer;
    g_boxes.push_back(p(6));
    const float a = 3.5f * kScale * p(6);
    const float b = 3.5f * kScale * p(7);
    const float x = ItemDrawOrigin.x;
    const float y = ItemDrawOrigin.y;
    add_path_point(x - a, y - b, 2);
    add_path_point(x + a, y - b, 0);
    add_path_point(x + a, y + b, 0);
    add_path_point(x - a, y + b, 0);
}

}  // namespace

class NoteTest : public SymbolTest {
  protected:
    void SetUp() override {
        SymbolTest::SetUp();
        register_note_drawers();
        write_glyph_files({0, 1, 2, 3, 8, 9, 11, 12, 13, 14, 20}, 2);
        auto& staves = layout::StaffTables;
        staves.StaffScale(1) = kScale;
        staves.StaffBaseY(1) = static_cast<int32_t>(kBase);
        staves.StaffScale(2) = kScale;
        staves.StaffBaseY(2) = 5000;
        g_log.clear();
        g_width_code = 99;
        g_beams.clear();
        g_boxes.clear();
        auto& hooks = RenderHooks;
        hooks.flush_path_points = log_flush;
        hooks.write_ps_line = log_line;
        hooks.add_path_width = log_width;
        hooks.add_path_break = log_break;
        hooks.select_note_line_width = choose_width;
        hooks.output_line_width_factor = width_factor;
        hooks.write_ps_symbol_call = nullptr;
    }

    // Draws a note (P1 = 1, staff 1 unless given) through the dispatcher; what stayed in
    // PathPointList.
    static Output note(std::vector<float> params) {
        clear_path();
        params.resize(30, 0.0f);
        params[0] = 1.0f;
        set_params(params);
        draw_item_by_code();
        return decode(path_points());
    }
    // What went to GraphicsList (the ledger lines on the screen), with its colours.
    Output screen(std::vector<int32_t>* colours = nullptr) const {
        std::vector<DrawingPoint> pts;
        for (int32_t w = 1; w + 2 < core::GraphicsNextFree; w += 3) {
            const uint32_t word = static_cast<uint32_t>(graphics_[static_cast<std::size_t>(w + 1)]);
            pts.push_back({static_cast<float>(graphics_[static_cast<std::size_t>(w - 1)]),
                           static_cast<float>(graphics_[static_cast<std::size_t>(w)]),
                           static_cast<int16_t>(word >> 24)});
            if (colours != nullptr) colours->push_back(static_cast<int32_t>(word & 0xFFFFFFu));
        }
        return decode(pts);
    }
    static void clear_screen() { core::GraphicsNextFree = 1; }

    // Where the text drawer shows a character drawn from (x, y).
    static int32_t shown_x(float x) { return ViewOrigin.x + core::nint(x); }
    static int32_t shown_y(float y) { return core::nint(y) - ViewOrigin.y - 100; }
    // The lines that show a string.
    static std::vector<std::string> shown_strings(const std::vector<std::string>& lines) {
        std::vector<std::string> out;
        for (const std::string& line : lines)
            if (line.find(") show") != std::string::npos) out.push_back(line);
        return out;
    }
};

// ---- flags, dots and ledger lines ----

TEST_F(NoteTest, P9Of21GivesOneFlagAndTwoDots) {
    const Output out = note({1, 1, 10, 4, 10, 0, 0, 0, 21});  // stem up, in a space
    ASSERT_EQ(out.of(11).size(), 1u);
    const auto flags = out.of(20);
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_EQ(flags[0].x, kX + kHead);
    EXPECT_EQ(flags[0].y, at(4) + kStep);
    EXPECT_EQ(flags[0].dy, -kQuarter);  // mirrored for the up stem
    const auto dots = out.of(24);
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(dots[0].x, kX + 16.2f * kScale);  // flagged up stem of unchanged length
    EXPECT_EQ(dots[1].x, dots[0].x + 13.0f * kScale);
    EXPECT_EQ(dots[0].y, at(4));
    ASSERT_EQ(out.segments.size(), 1u);  // the stem, 7 steps long
    EXPECT_EQ(out.segments[0].x1, kX + kHead);
    EXPECT_EQ(out.segments[0].y2, at(4) + 7.0f * kStep);
}

TEST_F(NoteTest, DotsOfANoteOnALineGoToASpace) {
    const auto above = note({1, 1, 10, 5, 20, 0, 0, 0, 20}).of(24);  // stem down, no flag
    ASSERT_EQ(above.size(), 2u);
    EXPECT_EQ(above[0].y, at(6));
    EXPECT_EQ(above[0].x, kX + 18.0f * kScale);
    const auto below = note({1, 1, 10, 5, 20, 0, 0, 0, 120}).of(24);
    ASSERT_EQ(below.size(), 2u);
    EXPECT_EQ(below[0].y, at(4));
    // +1000 moves them right; a wild P9 still gives at most its tens digit.
    const auto moved = note({1, 1, 10, 4, 20, 0, 0, 0, 1010}).of(24);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_NEAR(moved[0].x, kX + (0.284f * 60.0f + 18.0f) * kScale, 1.0f);
    EXPECT_EQ(note({1, 1, 10, 4, 20, 0, 0, 0, 123456790.0f}).of(24).size(), 9u);
}

TEST_F(NoteTest, LedgerLinesByPositionAndCode) {
    struct Case {
        float position, p7, p12, p30;
        std::vector<float> lines;  // their positions, in drawing order
    };
    // Through the head, a step below or above it, outside the staff; none inside it, with P30
    // -1 or P7 -2; P30 as a count and direction (4..9: down from a step below, 2 up, 3 down);
    // P12's hundreds: lines from 2L + 3 = 7.
    const Case cases[] = {
        {13, 0, 0, 0, {13}},   {14, 0, 0, 0, {13}},      {0, 0, 0, 0, {1}},
        {1, 0, 0, 0, {1}},     {16, 0, 0, 0, {15, 13}},  {-4, 0, 0, 0, {-3, -1, 1}},
        {12, 0, 0, 0, {}},     {2, 0, 0, 0, {}},         {-4, 0, 0, -1, {}},
        {-4, -2, 0, 0, {}},    {7, 0, 0, 33, {6, 4, 2}}, {7, 0, 0, 23, {8, 10, 12}},
        {7, 0, 0, 12, {7, 9}}, {7, 0, 0, 42, {7, 5}},    {7, 0, 0, 5, {6, 4, 2, 0, -2}},
        {6, 0, 0, 2, {7}},     {6, 0, 0, 3, {5}},        {9, 0, 200, 0, {9, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.position << " " << c.p30);
        clear_screen();
        std::vector<float> p(30, 0.0f);
        p[1] = 1;
        p[2] = 10;
        p[3] = c.position;
        p[6] = c.p7;
        p[11] = c.p12;
        p[29] = c.p30;
        note(p);
        const Output lines = screen();
        ASSERT_EQ(lines.segments.size(), c.lines.size());
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(lines.segments[i].y1, at(c.lines[i]));
            EXPECT_EQ(lines.segments[i].y2, at(c.lines[i]));
            EXPECT_EQ(lines.segments[i].x1, kX - 5.0f * kScale);
            EXPECT_EQ(lines.segments[i].x2, kX + kHead + 5.0f * kScale);
        }
    }
}

TEST_F(NoteTest, HeadKind7DrawsStemFlagsAndDotsButNoHead) {
    const Output out = note({1, 1, 10, 4, 10, 7, 0, 0, 21});
    for (const Shape& g : out.glyphs) EXPECT_TRUE(g.kind == 20 || g.kind == 24) << g.kind;
    EXPECT_EQ(out.of(20).size(), 1u);
    EXPECT_EQ(out.of(24).size(), 2u);
    ASSERT_EQ(out.segments.size(), 1u);
    EXPECT_EQ(out.segments[0].y1, at(4));  // kind 7's stem starts at the centre
}

// ---- heads ----

TEST_F(NoteTest, HeadKindsChooseTheirGlyphs) {
    struct Case {
        float p6;
        int32_t glyph;  // -1: no head glyph
        float size;     // of the glyph's x, in units of a size-1 quarter glyph
        bool stem;
    };
    const float small = 0.833f * 0.3f * 4.0f;
    const Case cases[] = {
        {0, 11, 1.0f, true},      {1, 12, 1.0f, true},   {2, 13, 1.0f, false},
        {3, 14, 1.0f, false},     {-3, 14, 1.0f, false}, {6, 17, 1.0f, true},
        {8, 95, small, true},     {9, 139, small, true}, {26, 26, 0.833f * 4.0f, true},
        {120, 120, small, false}, {-1, -1, 0, true},     {-30, -1, 0, true},
        {1e9f, -1, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p6);
        const Output out = note({1, 1, 10, 4, 10, c.p6});
        if (c.glyph < 0) {
            EXPECT_TRUE(out.glyphs.empty());
        } else {
            ASSERT_EQ(out.glyphs.size(), 1u);
            EXPECT_EQ(out.glyphs[0].kind, c.glyph);
            EXPECT_NEAR(out.glyphs[0].dx, c.size * kQuarter, 1.0f);
        }
        EXPECT_EQ(out.segments.size(), c.stem ? 1u : 0u);
    }
}

TEST_F(NoteTest, BracketedHeadsClearTheAccidentalAndTheDots) {
    const Output out = note({1, 1, 10, 4, 11, 10, 0, 0, 10});  // flat, one dot
    ASSERT_EQ(out.of(11).size(), 1u);
    const auto brackets = out.of(208);
    ASSERT_EQ(brackets.size(), 2u);
    const float size = kScale * 1.4f * 0.3f * 100.0f;
    EXPECT_NEAR(brackets[0].x, kX - 28.2f * kScale, 1.0f);
    EXPECT_NEAR(brackets[0].dx, size, 1.0f);
    EXPECT_NEAR(brackets[1].x, kX + 39.2f * kScale, 1.0f);
    EXPECT_NEAR(brackets[1].dx, -size, 1.0f);  // mirrored
    EXPECT_EQ(core::IntParamBuffer(6), 0);
    EXPECT_EQ(core::ParamBuffer(6), 10.0f);
}

TEST_F(NoteTest, CueNotesAndTheSizeFactor) {
    const auto cue = note({1, 1, 10, 105}).of(11);
    ASSERT_EQ(cue.size(), 1u);
    EXPECT_EQ(cue[0].y, at(5));
    EXPECT_NEAR(cue[0].dx, 0.6f * kQuarter, 1.0f);
    const auto sized = note({1, 1, 10, 105, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1.2f}).of(11);
    ASSERT_EQ(sized.size(), 1u);
    EXPECT_NEAR(sized[0].dx, 1.2f * kQuarter, 1.0f);
    EXPECT_EQ(core::IntParamBuffer(4), 5);  // the hundreds are gone from the integer only
    EXPECT_EQ(core::ParamBuffer(4), 105.0f);
}

TEST_F(NoteTest, HeadShiftAndTheAccidental) {
    auto head_and_flat = [](float p10) {
        const Output out = note({1, 1, 10, 4, 11.5f, 0, 0, 0, 0, p10});
        EXPECT_EQ(out.of(11).size(), 1u);
        EXPECT_EQ(out.of(6).size(), 1u);
        return std::make_pair(out.of(11)[0].x, out.of(6)[0].x);
    };
    const float v = 0.5f * 60.0f * kScale;
    EXPECT_EQ(head_and_flat(0), std::make_pair(kX, kX - v));
    EXPECT_EQ(head_and_flat(10), std::make_pair(kX + kHead, kX - v));  // the flat stays
    EXPECT_EQ(head_and_flat(110), std::make_pair(kX + kHead, kX + kHead - v));
    EXPECT_EQ(core::ParamBuffer(10), 110.0f);
    EXPECT_EQ(core::IntParamBuffer(10), 0);
    EXPECT_EQ(head_and_flat(20), std::make_pair(kX - kHead, kX - kHead - v));
    EXPECT_EQ(head_and_flat(2), std::make_pair(kX + 12.0f * kScale, kX - v + 12.0f * kScale));
}

TEST_F(NoteTest, AccidentalSets) {
    struct Case {
        float p5;
        int32_t glyph;
    };
    for (const Case& c :
         {Case{11, 6}, Case{15, 10}, Case{16, 145}, Case{19, 148}, Case{111, 140}, Case{-13, 8}}) {
        const Output out = note({1, 1, 10, 4, c.p5});
        EXPECT_EQ(out.of(c.glyph).size(), 1u) << c.p5;
    }
}

TEST_F(NoteTest, StemsFlagsAndTheGraceSlash) {
    // Stem code 0 counts by position: a flag as for an up stem low, a down one high.
    const Output low = note({1, 1, 10, 6, 0, 0, 0, 0, 1});
    EXPECT_TRUE(low.segments.empty());
    ASSERT_EQ(low.of(20).size(), 1u);
    EXPECT_EQ(low.of(20)[0].x, kX + kHead);
    EXPECT_EQ(low.of(20)[0].dy, -kQuarter);
    const Output high = note({1, 1, 10, 7, 0, 0, 0, 0, 1});
    ASSERT_EQ(high.of(20).size(), 1u);
    EXPECT_EQ(high.of(20)[0].x, kX);
    EXPECT_EQ(high.of(20)[0].dy, kQuarter);

    // Three flags on a down stem lengthened by one step: the flags climb from the stem end.
    const Output down = note({1, 1, 10, 8, 20, 0, 0, 1, 3});
    ASSERT_EQ(down.segments.size(), 1u);
    const float e = 2.0f * 3.0f - 2.5f;
    EXPECT_EQ(down.segments[0].x1, kX);
    EXPECT_EQ(down.segments[0].y1, std::trunc(at(8) - 2.1f * kScale));
    EXPECT_EQ(down.segments[0].y2, std::trunc(at(8) - (e + 7.0f + 1.0f) * kStep));
    const auto flags = down.of(20);
    ASSERT_EQ(flags.size(), 3u);
    EXPECT_EQ(flags[0].y, std::trunc(at(8) - kStep - kStep + kStep / 2.0f));
    EXPECT_EQ(flags[1].y, flags[0].y - 2.0f * kStep);
    EXPECT_EQ(core::CommandModeLetters(1), 0);  // the repeat mark is taken away again

    const Output grace = note({1, 1, 10, 4, 10, 0, 0, 100, 1});
    ASSERT_EQ(grace.segments.size(), 2u);  // the slash, then the stem
    EXPECT_NEAR(grace.segments[0].x1, kX + 6.0f * kScale * 0.783f, 1.0f);
    EXPECT_NEAR(grace.segments[0].y1, at(4 + 0.6f * 2.8f), 1.0f);
    EXPECT_EQ(grace.segments[1].y2, at(4) + 7.0f * kStep);
}

TEST_F(NoteTest, CrossStaffNotesMoveToTheNeighbouringStaff) {
    const Output out = note({1, 1, 10, 4, 0, 0, 0, 0, 0, 0, 0, 1});  // staff P2 + 1 = 2
    ASSERT_EQ(out.of(11).size(), 1u);
    EXPECT_EQ(out.of(11)[0].y, 5000.0f + 4.0f * kStep);
    // A target beyond staff 256 is ignored rather than read outside the tables.
    layout::StaffTables.StaffScale(256) = kScale;
    const Output edge = note({1, 256, 10, 4, 0, 0, 0, 0, 0, 0, 0, 1});
    ASSERT_EQ(edge.of(11).size(), 1u);
    EXPECT_EQ(edge.of(11)[0].y, layout::StaffTables.StaffBaseY(256) + 4.0f * kStep);
}

// ---- the head outline cache ----

TEST_F(NoteTest, ThePlainHeadIsCopiedFromTheCacheOnTheScreen) {
    const auto first = note({1, 1, 10, 4}).of(11);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(HeadOutlineCache.size_key, kScale);
    EXPECT_EQ(HeadOutlineCache.count, 13);
    // Marking the cached outline shows that the next head of that size is copied from it.
    HeadOutlineCache.dx(2) += 7;
    const auto second = note({1, 1, 20, 6}).of(11);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].x, 3000.0f);
    EXPECT_EQ(second[0].y, at(6));
    EXPECT_EQ(second[0].dx, kQuarter + 7.0f);
    // Another size draws the glyph again and becomes the cache.
    const auto wide = note({1, 1, 20, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}).of(11);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_EQ(wide[0].dx, 2.0f * kQuarter);
    EXPECT_EQ(HeadOutlineCache.size_key, 2.0f * kScale);
    // The PostScript pass neither uses nor fills it.
    HeadOutlineCache.dx(2) += 7;
    OutputPassWord = -1;
    const auto printed = note({1, 1, 20, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}).of(11);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].dx, 2.0f * kQuarter);
}

TEST_F(NoteTest, AnOutlineLargerThanTheCacheIsDrawnUncached) {
    put_symbol(11, counted_glyph(300, 2));
    for (float p3 : {10.0f, 20.0f}) {
        const auto head = note({1, 1, p3, 4}).of(300);  // the glyph's point count
        ASSERT_EQ(head.size(), 1u);
        EXPECT_EQ(path_points().size(), 302u);
        EXPECT_EQ(HeadOutlineCache.size_key, 0.0f);
    }
    // An outline that fits again is cached.
    put_symbol(11, counted_glyph(11, 2));
    reset_symbol_tables();
    note({1, 1, 10, 4});
    EXPECT_EQ(HeadOutlineCache.count, 13);
}

// ---- colours and the PostScript pass ----

TEST_F(NoteTest, LedgerLinesTakeTheStaffsColourUnlessP27) {
    layout::StaffTables.StaffColour(1) = 990000.0f;
    const int32_t staff_red = colour_from_value(990000.0f);
    std::vector<int32_t> colours;
    note({1, 1, 10, 0});
    ASSERT_EQ(screen(&colours).segments.size(), 1u);
    EXPECT_EQ(colours[0], staff_red);
    // The head keeps the note's own colour (black), and the colour state is back.
    EXPECT_EQ(ColourMemo.valid, 0);
    EXPECT_EQ(core::ParamBuffer(26), 0.0f);
    set_item_colour();
    colours.clear();
    screen(&colours);
    EXPECT_EQ(colours.back(), 0);

    clear_screen();
    colours.clear();
    note({1, 1, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    screen(&colours);
    EXPECT_EQ(colours[0], 0);  // P27: the note's colour

    // Same colour on note and staff: the lines are in it, whatever the colour word held.
    clear_screen();
    colours.clear();
    DrawColourWord = 0x00FF00;
    ColourMemo.valid = 0;
    note(with_colour({1, 1, 10, 0}, 990000.0f));
    screen(&colours);
    EXPECT_EQ(colours[0], staff_red);
}

TEST_F(NoteTest, ThePostScriptPassWritesLedgerColourWidthsAndBreaks) {
    OutputPassWord = -1;
    layout::StaffTables.StaffColour(1) = 502599.0f;
    g_width_code = 3;
    note({1, 1, 10, 0});
    EXPECT_EQ(g_log, (std::vector<std::string>{
                         "width 3", "break", " g 0.500 0.250 1.000 setrgbcolor", "flush 4", " r"}));
    // A stem with P17 = 302 gets the width 3, moves by it and starts 2 x 7 s off the centre.
    g_log.clear();
    const Output out = note({1, 1, 10, 4, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 302});
    ASSERT_EQ(out.segments.size(), 1u);
    EXPECT_EQ(out.segments[0].x1, kX + kHead - 3.0f * 10.0f);
    EXPECT_EQ(out.segments[0].y1, at(4) + 2.0f * 7.0f * kScale);
    EXPECT_EQ(g_log, (std::vector<std::string>{"width 3", "break"}));

    // The accidental and the mark take P28 as their width.
    g_log.clear();
    note({1, 1, 10, 4, 1, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2});
    EXPECT_EQ(g_log, (std::vector<std::string>{"width 2", "break", "width 2", "break"}));
}

TEST_F(NoteTest, WritePsColourKeepsEachPairInItsChannel) {
    const std::pair<float, const char*> cases[] = {
        {502599.0f, "0.500 0.250 1.000"}, {0.5f, "0.500 0.500 0.500"},
        {1.0f, "0.920 0.920 0.920"},      {0.0f, "0.000 0.000 0.000"},
        {990000.0f, "1.000 0.000 0.000"}, {9900.0f, "0.000 1.000 0.000"},
        {99.0f, "0.000 0.000 1.000"},     {10203.0f, "0.010 0.020 0.030"},
        {989800.0f, "0.980 0.980 0.000"},  // 98 stays below full
    };
    for (auto [value, rgb] : cases) {
        g_log.clear();
        write_ps_colour(value);
        EXPECT_EQ(g_log.at(0), std::string(" g ") + rgb + " setrgbcolor") << value;
    }
}

// ---- shape notes and tablature ----

TEST_F(NoteTest, ShapeNotesDrawTheirSymbolAndLetter) {
    const Output filled = note({1, 1, 10, 5, 10, 21});  // bass letters: line 5 is B
    const auto head = filled.of(89);
    ASSERT_EQ(head.size(), 1u);
    EXPECT_EQ(head[0].x, std::trunc(kX + kScale * 1.45f / 25.0f * 150.0f));
    EXPECT_NEAR(head[0].y, at(5) - 1.68f * kStep, 1.0f);
    // The letter through the number drawer: "B" alone (P5 and P17 add no decimals or suffix),
    // font 1005 at 0.45, white (0.99) on the filled head.
    ASSERT_TRUE(fonts_) << "the letters are text: the build's fonts are needed";
    auto shown = shown_texts();
    ASSERT_EQ(shown.size(), 1u);
    const ShownRecord& letter = shown[0];
    EXPECT_EQ(letter.text(), "B");
    EXPECT_EQ(letter.face, "Nimbus Sans");
    EXPECT_EQ(letter.weight, 400);
    EXPECT_EQ(letter.colour, 253u | 253u << 8 | 253u << 16);  // grey 0.99
    EXPECT_FLOAT_EQ(letter.height, kScale * 0.45f * 0.25f * 1.937f);
    EXPECT_EQ(letter.chars.at(0).x, shown_x(kX + kScale * 0.022f * 150.0f));
    EXPECT_EQ(letter.chars.at(0).y, shown_y(at(5) - 0.72f * kStep));
    EXPECT_EQ(core::ParamBuffer(17), 0.0f);  // the stem start came back
    ASSERT_EQ(filled.segments.size(), 1u);
    EXPECT_EQ(filled.segments[0].x1, std::trunc(kX + 17.1f * kScale));

    // A hollow head on a line: the white strip first, then the symbol, a treble letter.
    register_code12_drawer(Code12Drawer::BoxOrCircle, fake_box);
    text_length_ = 0;
    const Output hollow = note({1, 1, 10, 5, 10, -20});
    EXPECT_EQ(hollow.of(88).size(), 1u);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_FLOAT_EQ(g_boxes[0], 2.4f);
    std::vector<int32_t> colours;
    screen(&colours);
    ASSERT_EQ(colours.size(), 4u);  // the strip went out at once, in white
    for (int32_t c : colours) EXPECT_EQ(c, 0xFFFFFF);
    shown = shown_texts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "G");
    EXPECT_EQ(shown[0].colour, 0u);  // black on the hollow head

    // In the PostScript pass the note leaves its letter to the page redraw, which draws it
    // after the head.
    ASSERT_TRUE(open_postscript_unit());
    OutputPassWord = -1;
    note({1, 1, 10, 4, 10, 21});
    const std::size_t before = postscript_lines().size();
    ASSERT_TRUE(reopen_postscript_unit());
    float size = 1.0f;
    draw_attached_item(size);
    const auto strings = shown_strings(postscript_lines());
    EXPECT_EQ(before, 0u);
    ASSERT_EQ(strings.size(), 1u);
    EXPECT_NE(strings[0].find("(A) show"), std::string::npos) << strings[0];
}

TEST_F(NoteTest, TablatureNotesGoToTheFretRoutineAlone) {
    ASSERT_TRUE(fonts_) << "the fret number is text: the build's fonts are needed";
    // A banjo note (P6 -5) at F: its fret on the fourth string (62) is 3. A head shift of 999
    // is no request for the computing mode: the number is drawn.
    const int32_t from = text_length_;
    const Output out = note({1, 1, 10, 4, 10, -5, 0, 0, 21, 999, 5});
    EXPECT_TRUE(out.glyphs.empty());
    EXPECT_TRUE(out.segments.empty());
    const auto shown = shown_texts(from);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "3");
    EXPECT_EQ(core::IntParamBuffer(10), 999);
}

// ---- marks ----

TEST_F(NoteTest, MarksAtTheHeadAndOutsideTheStaff) {
    // Staccato on an up-stemmed note: under the head, mirrored.
    const auto dot = note({1, 1, 10, 4, 10, 0, 0, 0, 0, 0, 7}).of(24);
    ASSERT_EQ(dot.size(), 1u);
    EXPECT_EQ(dot[0].x, kX + 2.0f * kScale);
    EXPECT_EQ(dot[0].y, at(2));
    EXPECT_NEAR(dot[0].dy, -0.72f * kQuarter, 1.0f);
    EXPECT_EQ(core::IntParamBuffer(1), 1);
    EXPECT_EQ(core::IntParamBuffer(10), 0);
    // Three staccato dots (mark 27 = two more).
    const auto dots = note({1, 1, 10, 4, 20, 0, 0, 0, 0, 0, 27}).of(24);
    ASSERT_EQ(dots.size(), 3u);
    EXPECT_EQ(dots[0].x, kX - 6.6f * kScale);
    EXPECT_NEAR(dots[2].x - dots[0].x, 2.0f * 8.6f * kScale, 1.0f);
    // A fermata above never sinks into the staff; below, it hangs mirrored under it.
    const auto above = note({1, 1, 10, 4, 20, 0, 0, 0, 0, 0, 14}).of(31);
    ASSERT_EQ(above.size(), 1u);
    EXPECT_EQ(above[0].y, at(13));
    EXPECT_EQ(above[0].dy, kQuarter);
    const auto below = note({1, 1, 10, 4, 10, 0, 0, 0, 0, 0, -14}).of(31);
    ASSERT_EQ(below.size(), 1u);
    EXPECT_EQ(below[0].y, at(1));
    EXPECT_EQ(below[0].dy, -kQuarter);
    // Mark 2 is a small sharp above the staff.
    const auto sharp = note({1, 1, 10, 4, 20, 0, 0, 0, 0, 0, 2}).of(7);
    ASSERT_EQ(sharp.size(), 1u);
    EXPECT_EQ(sharp[0].x, kX + 18.0f * kScale);
    EXPECT_NEAR(sharp[0].dx, 0.65f * kQuarter, 1.0f);
}

TEST_F(NoteTest, FingeringsTrillsTremolosAndTheBar) {
    // A fingering is a clean number item: the note's P5 fraction and P8 do not reach it.
    ASSERT_TRUE(fonts_) << "the fingering is text: the build's fonts are needed";
    note({1, 1, 10, 4, 10.5f, 0, 0, 1, 0, 0, 33, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f});
    const auto shown = shown_texts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "3");                            // no decimals
    EXPECT_TRUE(g_boxes.empty());                               // no frame
    EXPECT_EQ(shown[0].colour, 128u | 128u << 8 | 128u << 16);  // the note's grey 0.5
    EXPECT_FLOAT_EQ(shown[0].height, kScale * 0.7f * 0.25f * 1.937f);
    EXPECT_EQ(shown[0].chars.at(0).x, shown_x(kX + 4.0f * kScale));
    EXPECT_EQ(core::ParamBuffer(5), 10.5f);

    // Mark 21: a trill sign with a flat, through the ornament drawer.
    const Output trill = note({1, 1, 10, 4, 20, 0, 0, 0, 0, 0, 21});
    EXPECT_EQ(trill.of(37).size(), 1u);
    EXPECT_EQ(trill.of(6).size(), 1u);

    // Mark 42: tremolo strokes as a marked beam item.
    register_item_drawer(6, see_beam);
    note({1, 1, 10, 4, 20, 0, 0, 0, 0, 0, 42, 0, 0, 0});
    ASSERT_EQ(g_beams.size(), 1u);
    EXPECT_EQ(g_beams[0].ip1, -999);
    EXPECT_EQ(g_beams[0].ip7, -20);
    EXPECT_EQ(g_beams[0].ip10, 12);
    EXPECT_FLOAT_EQ(g_beams[0].p4, 4.0f - 6.0f);
    EXPECT_EQ(g_beams[0].y, at(-2));
    EXPECT_EQ(g_beams[0].x, kX);
    EXPECT_EQ(core::IntParamBuffer(1), 1);

    // Mark 99: a level bar from 13.8 s right of the head to P14 (invisible head, no stem).
    note({1, 1, 10, 4, 0, 7, 0, 0, 0, 0, 99, 0, 0, 12});
    const auto pts = path_points();
    ASSERT_EQ(pts.size(), 5u);
    const float x1 = kX + 13.8f * kScale;
    const float x2 = kX + 12.0f * 150.0f;
    const float y1 = at(4) - 2.8f * kScale;
    const float y2 = at(4) + 2.8f * kScale;
    const std::vector<std::array<float, 3>> corners = {
        {x1, y1, 2}, {x2, y1, 0}, {x2, y2, 0}, {x1, y2, 0}, {x1, y1, 0}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(pts[i].x, corners[i][0], 1.0f) << i;
        EXPECT_NEAR(pts[i].y, corners[i][1], 1.0f) << i;
        EXPECT_EQ(pts[i].pen, corners[i][2]) << i;
    }
}

// ---- robustness and the whole page ----

TEST_F(NoteTest, WildValuesDrawWithinBoundsAndLeaveTheItemAlone) {
    const std::vector<std::vector<float>> wild = {
        {1, 1, 10, 1e9f, -1e9f, 1e9f, 0, 1e9f, 1e9f, 1e9f, 1e9f, 1e9f},
        {1, 1, 10, -1e9f, 1e9f, -1e9f, 0, -1e9f, -1e9f, -1e9f, -1e9f, -1e9f},
        {1, 1, 10, 50, 29, 25, 0, 150, 99, 0, -3e7f, -3e7f},
        {1, 0, 10, 0, 21, 12, 0, 0, 29, 0, 28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5},
        {1, 1, 10, 4, 1e9f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
         0, 0, 0,  0, 0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 1e9f},
    };
    for (const auto& params : wild) {
        clear_screen();
        auto padded = params;
        padded.resize(30, 0.0f);
        EXPECT_NO_THROW(note(padded));
        EXPECT_LT(PathPointList.count, 3000);
        EXPECT_LT(core::GraphicsNextFree, 3 * 3000);
        for (int32_t k = 1; k <= 30; ++k) {
            EXPECT_EQ(core::ParamBuffer(k), padded[static_cast<std::size_t>(k - 1)]) << k;
        }
        EXPECT_EQ(core::SaveStack.depth, 0);
    }
}

TEST_F(NoteTest, APageOfNotesWithTheBuildsGlyphs) {
    if (!use_build_glyphs()) GTEST_SKIP() << "no generated glyph set";
    add_item({1, 1, 10, 13});
    add_item({1, 1, 20, 4, 11, 0, 0, 0, 21, 0, 7});
    add_item({1, 1, 30, 0, 22, 1, 0, 0, 12});
    redraw_items();
    const std::vector<int32_t> first(graphics_.begin(), graphics_.begin() + graphics_length_);
    ASSERT_GT(first.size(), 300u);
    // Drawn again, every head now comes from the cache: the page is the same within a unit.
    redraw_items();
    ASSERT_EQ(graphics_length_, static_cast<int32_t>(first.size()));
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (i % 3 == 2) {
            EXPECT_EQ(graphics_[i], first[i]) << i;
        } else {
            EXPECT_NEAR(graphics_[i], first[i], 1) << i;
        }
    }
}
