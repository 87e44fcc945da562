// Numbers: the text of a value, code 10 items drawn through the text drawer, their fonts,
// colour, offset and frames, and the styles other drawers ask for.
#include "engine/render/text/numbers.h"

#include <string>
#include <utility>
#include <vector>

#include "tests/render/text_fixture.h"

namespace {

struct FrameCall {
    float p5, p6, p7, p8, p12;
    float x, y;
};
std::vector<FrameCall> g_frames;

void record_frame() {
    const auto& p = core::ParamBuffer;
    g_frames.push_back(
        {p(5), p(6), p(7), p(8), p(12), render::ItemDrawOrigin.x, render::ItemDrawOrigin.y});
}

}  // namespace

class NumberTest : public TextTest {
  protected:
    void SetUp() override {
        TextTest::SetUp();
        g_frames.clear();
        render::RenderHooks.draw_box_or_circle_item = record_frame;
    }
    // The text of value k with the given P's (the rest 0).
    static std::string text_of(int32_t k, const std::vector<std::pair<int, float>>& params) {
        core::ParamBuffer.fill(0.0f);
        for (const auto& [i, v] : params) core::ParamBuffer(i) = v;
        return render::number_text(k);
    }
    // A code 10 item drawn as the page redraw does.
    void draw_number(const std::vector<float>& params) {
        add_item(params);
        draw_stored(core::ItemCount);
    }
};

TEST_F(NumberTest, TheTextOfAValue) {
    EXPECT_EQ(text_of(5, {{5, 5.25f}}), "5.25");
    EXPECT_EQ(text_of(0, {{5, 0.5f}}), ".5");
    EXPECT_EQ(text_of(-3, {{5, -3.0f}}), "-3");
    EXPECT_EQ(text_of(-3, {{5, -3.5f}}), "-3.5");
    EXPECT_EQ(text_of(0, {{5, -0.25f}}), "-.25");
    EXPECT_EQ(text_of(123, {{5, 123.0f}}), "123");
    EXPECT_EQ(text_of(1003, {{5, 1003.0f}}), "C");
    EXPECT_EQ(text_of(2001, {{5, 2001.0f}}), "a");
    EXPECT_EQ(text_of(7, {{5, 7.0f}, {17, 2.0f}}), "7B");
    EXPECT_EQ(text_of(7, {{5, 7.0f}, {17, 102.0f}}), "7b");
    // Letters with a suffix number or two more letters (small ones when P18 is negative).
    EXPECT_EQ(text_of(1001, {{18, 12.0f}}), "A12");
    EXPECT_EQ(text_of(1001, {{18, 203.0f}}), "ABC");
    EXPECT_EQ(text_of(1001, {{18, -203.0f}}), "Abc");
    EXPECT_EQ(text_of(1001, {{18, 300.0f}}), "AC");
    // A P18 of 1000 and more is shown in place of the value, with its own decimals.
    EXPECT_EQ(text_of(12, {{18, 1234.5f}}), "1234.5");
    // A P5 that does not belong to the value (a clef's octave figure) adds no decimals.
    EXPECT_EQ(text_of(8, {{5, 0.08f}}), "8");
}

TEST_F(NumberTest, ValuesAndP18AroundOneThousand) {
    // Up to 1000 a value is a number; from 1001 on a letter.
    EXPECT_EQ(text_of(999, {{5, 999.0f}}), "999");
    EXPECT_EQ(text_of(1000, {{5, 1000.0f}}), "1000");
    EXPECT_EQ(text_of(1001, {{5, 1001.0f}}), "A");
    EXPECT_EQ(text_of(-1000, {{5, -1000.0f}}), "-1000");
    // A P18 from 1000 on (either sign) is shown in place of the value; below, the value is.
    EXPECT_EQ(text_of(12, {{5, 12.0f}, {18, 999.0f}}), "12");
    EXPECT_EQ(text_of(12, {{5, 12.0f}, {18, 999.9f}}), "12");
    EXPECT_EQ(text_of(12, {{5, 12.0f}, {18, 1000.0f}}), "1000");
    EXPECT_EQ(text_of(12, {{5, 12.0f}, {18, 1001.0f}}), "1001");
    EXPECT_EQ(text_of(12, {{5, 12.0f}, {18, -999.0f}}), "12");
    EXPECT_EQ(text_of(12, {{5, 12.0f}, {18, -1000.0f}}), "-1000");
    // The value 1000 drawn as a code 10 item.
    draw_number({10, 1, 10, 2, 1000.0f, 1.0f});
    const auto shown = records();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "1000");
}

TEST_F(NumberTest, ACode10ItemIsDrawnThroughTheTextDrawer) {
    core::CommandLine.set("typed line");
    core::SecondLine.set("line as read");
    draw_number({10, 1, 10, 2, 5.25f, 1.0f});
    auto shown = records();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "5.25");
    EXPECT_EQ(shown[0].face, "Nimbus Roman");  // P7 0: font 0
    EXPECT_EQ(shown[0].chars[0].x, 1500);
    EXPECT_EQ(shown[0].chars[0].y, 350 - 100);
    // The text was built in a buffer of the drawer's own.
    EXPECT_EQ(core::CommandLine.trimmed(), "typed line");
    EXPECT_EQ(core::SecondLine.trimmed(), "line as read");
    EXPECT_EQ(core::ParamBuffer(5), 5.25f);  // the item's words come back
    EXPECT_EQ(core::IntParamBuffer(1), 10);

    // P7 11 is drawn like P7 10 (font 3, bold italic); P13 raises it by two steps.
    text_length_ = 0;
    draw_number({10, 1, 10, 2, -3.0f, 1.0f, 11.0f, 0, 0, 0, 0, 0, 2.0f});
    shown = records();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "-3");
    EXPECT_EQ(shown[0].weight, 700);
    EXPECT_EQ(shown[0].italic, -1);
    EXPECT_EQ(shown[0].chars[0].y, 350 + 350 - 100);
}

TEST_F(NumberTest, TheMusicFontDrawsGlyphsAndColourGoesToTheText) {
    draw_number({10, 1, 10, 0, 5.0f, 1.0f, 6.0f});
    EXPECT_EQ(text_length_, 0);  // font 94: symbols, no record
    EXPECT_GT(render::PathPointList.count, 1);

    render::PathPointList.count = 1;
    std::vector<float> item = {10, 1, 10, 0, 7.0f, 1.0f};
    item.resize(26, 0.0f);
    item[25] = 4520.0f;  // RRGGBB 00 45 20
    draw_number(item);
    const auto shown = records();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].colour, 0u | 115u << 8 | 51u << 16);
}

TEST_F(NumberTest, FramesAreDrawnAroundTheTextWhichIsDrawnAgainOnTop) {
    // A box (P8 2) around "12" at size 1: width 2 x 2 + 2, height 5, line kind P10 0 = 1.
    draw_number({10, 1, 10, 2, 12.0f, 1.0f, 0, 2.0f});
    ASSERT_EQ(g_frames.size(), 1u);
    EXPECT_EQ(g_frames[0].p5, 0.0f);
    EXPECT_EQ(g_frames[0].p6, 6.0f);
    EXPECT_EQ(g_frames[0].p7, 5.0f);
    EXPECT_EQ(g_frames[0].p8, 1.0f);
    EXPECT_FLOAT_EQ(g_frames[0].y, (2.0f + 1.55f) * 175.0f);
    auto shown = records();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text(), "12");
    // Centred on the digits' ink, not on their start: about where the "1" ends and the "2"
    // begins.
    ASSERT_EQ(shown[1].chars.size(), 2u);
    const float one = static_cast<float>(shown[1].chars[1].x - shown[1].chars[0].x);
    EXPECT_NEAR(g_frames[0].x - 1500.0f, one, 0.3f * one);

    // A circle (P8 1) around one character: factor 5, screen step 4, offsets P14 and P13.
    text_length_ = 0;
    draw_number({10, 1, 10, 2, 5.0f, 2.0f, 0, 1.0f, 0, 0, 0, 0, 1.0f, 2.0f});
    ASSERT_EQ(g_frames.size(), 2u);
    EXPECT_EQ(g_frames[1].p5, 1.0f);
    EXPECT_EQ(g_frames[1].p6, 10.0f);
    EXPECT_EQ(g_frames[1].p7, 0.0f);
    EXPECT_EQ(g_frames[1].p12, 4.0f);
    // The offsets move the frame from the middle of the "5" (right of its start).
    EXPECT_GT(g_frames[1].x, 1500.0f + 3.0f * 75.0f + 100.0f);
    EXPECT_LT(g_frames[1].x, 1500.0f + 3.0f * 75.0f + 2.0f * one);
    EXPECT_FLOAT_EQ(g_frames[1].y, (2.0f + 1.55f * 2.0f + 1.0f) * 175.0f);
}

TEST_F(NumberTest, AFrameGrowsForAP20AboveOneThousand) {
    // A box around "12" at size 1 is 2 x 2 + 2 wide; 1.5 more once P20 is above 1000.
    for (const auto& [p20, width] : {std::pair{999.0f, 6.0f}, std::pair{1000.0f, 6.0f},
                                     std::pair{1000.5f, 7.5f}, std::pair{1001.0f, 7.5f}}) {
        g_frames.clear();
        std::vector<float> item = {10, 1, 10, 2, 12.0f, 1.0f, 0, 2.0f};
        item.resize(20, 0.0f);
        item[19] = p20;
        draw_number(item);
        ASSERT_EQ(g_frames.size(), 1u) << p20;
        EXPECT_EQ(g_frames[0].p6, width) << p20;
    }
}

TEST_F(NumberTest, TheStylesOfOtherDrawersNumbers) {
    // The staff-number label (style 1008) and the octave figure (style 11) as their drawers
    // hand them over.
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(1) = 8.0f;
    core::ParamBuffer(2) = 1.0f;
    core::ParamBuffer(5) = 12.0f;
    core::ParamBuffer(6) = 1.0f;
    core::IntParamBuffer(7) = 1008;  // the label's style: font 8
    render::ItemDrawOrigin = {-1200.0f, 0.0f};
    render::draw_number_item(12);
    core::ParamBuffer(5) = 0.08f;
    core::IntParamBuffer(7) = 11;
    render::draw_number_item(8);
    const auto shown = records();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text(), "12");
    EXPECT_EQ(shown[0].face, "Nimbus Sans");
    EXPECT_EQ(shown[0].weight, 700);
    EXPECT_EQ(shown[1].text(), "8");
}
