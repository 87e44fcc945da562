// The beam drawer: main bands by side and count, partial beams, cue beams, tremolo strokes,
// the PostScript width entries and the hand-over of the tuplet number.
#include "engine/render/notes/beams.h"

#include <cmath>

#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/rests.h"
#include "tests/render/render_fixture.h"

namespace {

// One band: the corners as drawn (first with op 2), without the closing point.
struct Band {
    float x[4];
    float y[4];
};

std::vector<Band> bands() {
    std::vector<Band> out;
    const auto& l = render::PathPointList;
    for (int32_t i = 1; i + 4 < l.count; ++i) {
        if (l.op(i) != 2) continue;
        Band b{};
        for (int k = 0; k < 4; ++k) {
            b.x[k] = static_cast<float>(l.x(i + k));
            b.y[k] = static_cast<float>(l.y(i + k));
        }
        out.push_back(b);
    }
    return out;
}

struct TupletCall {
    int32_t number;
    float x, dx, p6, y;
};
std::vector<TupletCall> g_tuplets;
void record_tuplet(int32_t number, float x, float dx) {
    g_tuplets.push_back({number, x, dx, core::ParamBuffer(6), render::ItemDrawOrigin.y});
}
std::vector<int32_t> g_widths;
void record_width(int32_t w) {
    g_widths.push_back(w);
    render::add_path_point(999.0f, static_cast<float>(w), 99);
}
void record_break() { render::add_path_point(0.0f, 0.0f, -99); }
int32_t beam_width_three() { return 3; }

}  // namespace

class BeamTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        render::register_rest_beam_key_meter_drawers();
        g_tuplets.clear();
        g_widths.clear();
        render::RenderHooks.draw_tuplet_number = record_tuplet;
        render::RenderHooks.add_path_width = record_width;
        render::RenderHooks.add_path_break = record_break;
        render::OutputPassWord = 1;
    }
    void TearDown() override {
        render::OutputPassWord = 1;
        RenderTest::TearDown();
    }
    // A Code 6 item on staff 0 from P3 = 10 to P6 = 20, first note at P4 = 4, last at P5 = 6,
    // drawn through the dispatcher, then the given (P number, value) pairs.
    static std::vector<Band> beam(std::initializer_list<std::pair<int, float>> given) {
        std::vector<float> params(30, 0.0f);
        params[0] = 6.0f;
        params[2] = 10.0f;
        params[3] = 4.0f;
        params[4] = 6.0f;
        params[5] = 20.0f;
        for (const auto& [k, v] : given) params[static_cast<std::size_t>(k - 1)] = v;
        set_params(params);
        render::PathPointList.count = 1;
        render::draw_item_by_code();
        return bands();
    }
    static float y_of(float pos) { return kBaseY + pos * kStep; }
};

TEST_F(BeamTest, BandsLieSevenStepsFromTheHeadsAndStackTowardThem) {
    // Stems up (P7 13): above, right of the heads, stacked and thick downwards; stems down
    // (P7 3): below, stacked and thick upwards.
    for (const float p7 : {13.0f, 3.0f}) {
        const float up = p7 == 13.0f ? 1.0f : -1.0f;
        const float head = p7 == 13.0f ? 17.0f * kScale : 0.0f;
        const auto b = beam({{7, p7}});
        ASSERT_EQ(b.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(testing::Message() << p7 << " band " << i);
            const float inward = static_cast<float>(i) * 10.5f * kScale;
            EXPECT_EQ(b[i].x[0], 1500.0f + head);
            EXPECT_EQ(b[i].x[1], 3000.0f + head);
            EXPECT_EQ(b[i].y[0], std::trunc(y_of(4.0f) + up * (49.0f * kScale - inward)));
            EXPECT_EQ(b[i].y[1], std::trunc(y_of(6.0f) + up * (49.0f * kScale - inward)));
            EXPECT_NEAR(b[i].y[2], b[i].y[1] - up * 7.0f * kScale, 1.0f);  // thickness
            EXPECT_NEAR(b[i].y[3], b[i].y[0] - up * 7.0f * kScale, 1.0f);
        }
    }
    // Each band is closed: its first corner follows its fourth.
    const auto& l = render::PathPointList;
    EXPECT_EQ(l.count, 1 + 3 * 5);
    EXPECT_EQ(l.x(5), l.x(1));
    EXPECT_EQ(l.y(5), l.y(1));
}

TEST_F(BeamTest, PartialBeamsSitInsideAlongTheMainLine) {
    // P10 = 11, no ends: one partial band a spacing inside, 0.14 x s inside each end.
    auto b = beam({{7, 11.0f}, {10, 11.0f}});
    ASSERT_EQ(b.size(), 2u);
    const float inset = 0.14f * kScale * 150.0f;
    const float x1 = 1500.0f + 17.0f * kScale;
    const float x2 = 3000.0f + 17.0f * kScale;
    EXPECT_EQ(b[1].x[0], std::trunc(x1 + inset));
    EXPECT_EQ(b[1].x[1], std::trunc(x2 - inset));
    const float slope = (y_of(6.0f) - y_of(4.0f)) / (x2 - x1);
    const float y1 = y_of(4.0f) + 49.0f * kScale;
    EXPECT_NEAR(b[1].y[0], y1 + slope * inset - 10.5f * kScale, 1.0f);
    EXPECT_NEAR(b[1].y[1], y1 + slope * (x2 - inset - x1) - 10.5f * kScale, 1.0f);
    // One end given: a stub 16.2 x s long; the second set uses P13..P15.
    b = beam({{7, 1.0f}, {10, 1.0f}, {11, 15.0f}, {13, 2.0f}, {15, 18.0f}});
    ASSERT_EQ(b.size(), 1u + 1u + 2u);
    EXPECT_EQ(b[1].x[0], 2250.0f);
    EXPECT_EQ(b[1].x[1], std::trunc(2250.0f + 16.2f * kScale));
    EXPECT_EQ(b[3].x[1], 2700.0f);
    EXPECT_EQ(b[3].x[0], std::trunc(2700.0f - 16.2f * kScale));
}

TEST_F(BeamTest, APartialEndOfMinusOneIsTheBeamsOwnEnd) {
    // A stub at the last note: left at 18, right -1 (the beam's right end, P6 = 20).
    auto b = beam({{7, 11.0f}, {10, 11.0f}, {11, 18.0f}, {12, -1.0f}});
    ASSERT_EQ(b.size(), 2u);
    const float head = 17.0f * kScale;
    EXPECT_EQ(b[1].x[0], std::trunc(2700.0f + head));
    EXPECT_EQ(b[1].x[1], std::trunc(3000.0f + head));
    // Both ends -1: over the whole beam, on the second set too.
    b = beam({{7, 1.0f}, {13, 1.0f}, {14, -1.0f}, {15, -1.0f}, {9, 0.0f}});
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[1].x[0], 1500.0f);
    EXPECT_EQ(b[1].x[1], 3000.0f);
}

TEST_F(BeamTest, EndsThatShareXStillDraw) {
    const auto b = beam({{6, 10.0f}, {7, 1.0f}, {10, 1.0f}, {11, 10.0f}, {12, 12.0f}});
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].x[0], b[0].x[1]);
    // The partial beam's heights come from the slope over 100 display units.
    const float slope = (y_of(6.0f) - y_of(4.0f)) / 100.0f;
    EXPECT_NEAR(b[1].y[1] - b[1].y[0], slope * 300.0f, 1.0f);
}

TEST_F(BeamTest, ACueBeamIsSmallerAndThinner) {
    const auto b = beam({{4, 104.0f}, {7, 1.0f}});
    ASSERT_EQ(b.size(), 1u);
    const float s = 0.6f * kScale;
    EXPECT_EQ(b[0].y[0], std::trunc(y_of(4.0f) - 49.0f * s));
    EXPECT_NEAR(b[0].y[3] - b[0].y[0], 7.0f * s * 0.8f, 1.0f);
    // P18 gives the size itself.
    const auto big = beam({{4, 104.0f}, {7, 1.0f}, {18, 2.0f}});
    EXPECT_EQ(big[0].y[0], y_of(4.0f) - 49.0f * 2.0f * kScale);
}

TEST_F(BeamTest, TremoloStrokesRunFromTheNoteWithoutAMainBeam) {
    std::vector<float> params(30, 0.0f);
    params[0] = static_cast<float>(render::kTremoloBeamMark);
    params[2] = 10.0f;
    params[3] = 4.0f;
    params[4] = 4.0f;
    params[5] = 10.0f;
    params[6] = -1.0f;  // P7: tremolo, stems down
    params[9] = 2.0f;   // P10: two strokes
    params[11] = 2.0f;  // P12: slant
    set_params(params);
    for (int k = 1; k <= 30; ++k) core::IntParamBuffer(k) = core::int_of(core::ParamBuffer(k));
    render::ItemDrawOrigin = {1500.0f, y_of(4.0f)};
    render::PathPointList.count = 1;
    render::draw_beam_item();
    const auto b = bands();
    ASSERT_EQ(b.size(), 2u);
    const float rise = 2.9166f * kScale * 2.0f;
    EXPECT_EQ(b[0].x[0], 1500.0f);
    EXPECT_EQ(b[0].x[1], 2500.0f);
    EXPECT_NEAR(b[0].y[0], y_of(4.0f) - rise / 2.0f, 1.0f);  // the note's own height
    EXPECT_NEAR(b[0].y[1], y_of(4.0f) + rise / 2.0f, 1.0f);
    EXPECT_NEAR(b[1].y[0] - b[0].y[0], 10.5f * kScale, 1.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(1), static_cast<float>(render::kTremoloBeamMark));
}

TEST_F(BeamTest, PostScriptBandsTakeTheBeamWidthAndRepeatTheirSecondCorner) {
    render::OutputPassWord = -1;
    beam({{7, 2.0f}});
    EXPECT_TRUE(g_widths.empty());  // no beam width set: no width entry
    EXPECT_EQ(render::PathPointList.count, 1 + 2 * 6);
    render::RenderHooks.beam_line_width = beam_width_three;
    beam({{7, 2.0f}});
    const auto& l = render::PathPointList;
    ASSERT_EQ(l.count, 1 + 1 + 2 * 6 + 1);
    EXPECT_EQ(l.op(1), 99);
    EXPECT_EQ(l.y(1), 3);
    EXPECT_EQ(l.op(2), 2);
    EXPECT_EQ(l.x(7), l.x(3));  // the second corner once more
    EXPECT_EQ(l.op(l.count - 1), -99);
    // The pass that loads metrics draws fixed polygons.
    render::OutputPassWord = 0;
    const auto b = beam({{7, 1.0f}});
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].y[3] - b[0].y[0], 35.0f);
}

TEST_F(BeamTest, TheTupletNumberIsHandedOverAlongTheBeam) {
    beam({{7, 12.0f}, {8, 3.0f}});
    ASSERT_EQ(g_tuplets.size(), 1u);
    const float head = 17.0f * kScale;
    EXPECT_EQ(g_tuplets[0].number, 3);
    EXPECT_FLOAT_EQ(g_tuplets[0].x, 1500.0f + head);
    EXPECT_FLOAT_EQ(g_tuplets[0].dx, 750.0f);
    EXPECT_FLOAT_EQ(g_tuplets[0].p6, 0.875f);
    EXPECT_NEAR(g_tuplets[0].y, y_of(5.0f) + 49.0f * kScale + 6.5f * kScale, 1.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(6), 20.0f);  // P6 comes back
    // Below a stems-down beam, at P16 of the way and P19 steps further; 999 is not ours.
    beam({{7, 2.0f}, {8, 5.0f}, {16, 0.25f}, {19, -1.0f}});
    ASSERT_EQ(g_tuplets.size(), 2u);
    EXPECT_FLOAT_EQ(g_tuplets[1].dx, 375.0f);
    EXPECT_NEAR(g_tuplets[1].y, y_of(4.5f) - 49.0f * kScale - 31.5f * kScale, 1.0f);
    beam({{7, 2.0f}, {8, 999.0f}});
    EXPECT_EQ(g_tuplets.size(), 2u);
}
