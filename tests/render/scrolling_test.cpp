// Moving the view: the scroll codes, the jump tokens, the key steps, the edge test, the home
// position and the front-end's view steps, against a scripted front-end whose scroll view
// stops at (10000, -20000).
#include "engine/render/page/scrolling.h"

#include "engine/layout/staves/staff_positions.h"
#include "engine/render/page/page_redraw.h"
#include "tests/render/render_fixture.h"

using namespace render;

namespace {

class ScrollingTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        register_item_drawer(8, layout::draw_staff_item);
        fe_.view.limit_x = 10000;
        fe_.view.limit_y = -20000;
        // One staff from x 0, without its number label.
        add_item({8, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    }
    std::pair<int32_t, int32_t> scroll() const { return {fe_.view.scroll_x, fe_.view.scroll_y}; }
    void scroll_to(int32_t x, int32_t y) {
        fe_.view.scroll_x = x;
        fe_.view.scroll_y = y;
    }
};

TEST_F(ScrollingTest, ShiftCodesMoveTheDrawing) {
    redraw_items();
    const auto before = decode_graphics_list();
    ASSERT_EQ(before.size(), 10u);
    position_view(13);
    auto after = decode_graphics_list();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].x, before[i].x - 2000);
        EXPECT_EQ(after[i].y, before[i].y);
    }
    position_view(9);  // ViewOrigin y - 2000: the drawing moves up
    after = decode_graphics_list();
    EXPECT_EQ(after[0].y, before[0].y + 2000);
    EXPECT_EQ(ViewOrigin.x, -2000);
    position_view(16);
    position_view(10);
    EXPECT_EQ(ViewOrigin.x, 2000);
    EXPECT_EQ(ViewOrigin.y, -15000 - 2000 + 4000);
}

TEST_F(ScrollingTest, CodesWithoutMeaningChangeNothing) {
    redraw_items();
    const auto graphics = graphics_;
    const auto origin = ViewOrigin;
    for (int32_t code : {99, 18, -1, 100}) position_view(code);
    EXPECT_EQ(graphics_, graphics);
    EXPECT_EQ(ViewOrigin.x, origin.x);
    EXPECT_EQ(ViewOrigin.y, origin.y);
    EXPECT_TRUE(fe_.services.empty());
}

TEST_F(ScrollingTest, PlacingCodesUseTheScrollLimit) {
    const std::pair<int32_t, int32_t> expected[] = {{0, -20000},     {0, 0},     {0, -10000},
                                                    {10000, -20000}, {10000, 0}, {10000, -10000},
                                                    {5000, -20000},  {5000, 0},  {5000, -10000}};
    for (int32_t code = 0; code <= 8; ++code) {
        scroll_to(3000, -3000);
        position_view(code);
        EXPECT_EQ(scroll(), expected[code]) << "code " << code;
    }
    EXPECT_EQ(ScrollState.limit_x, 10000);
    EXPECT_EQ(ScrollState.limit_y, -20000);
    EXPECT_EQ(ScrollState.right_limit, 12400);
    EXPECT_EQ(ScrollState.extent_y_high, 60000);  // room above and below the page
    EXPECT_EQ(ScrollState.extent_y_low, -31000);
    EXPECT_EQ(ScrollState.extent_x_high, 30000);

    // A fraction of the vertical limit replaces the code's target.
    ScrollFraction = 0.25f;
    position_view(4);
    EXPECT_EQ(scroll(), std::make_pair(0, -5000));
}

TEST_F(ScrollingTest, PlacingKeepsItemsRemovedByTheRedrawRemoved) {
    add_item({19, 1, 0, 0});
    position_view(0);
    EXPECT_EQ(core::ItemCount, 1);
}

TEST_F(ScrollingTest, JumpTokens) {
    position_view(0);
    scroll_to(3000, -7000);
    core::CommandLine.set("~~998");
    position_view(17);
    EXPECT_EQ(ViewOrigin.x, 2400);
    EXPECT_EQ(scroll(), std::make_pair(3000, 0));

    // "~~999": the clicked place of MouseRegion; the position (0, 870) is above the top, so
    // the drawing moves down by 4000 instead.
    core::MouseRegion(3) = 1266;
    core::MouseRegion(4) = 662;
    core::CommandLine.set("~~999");
    position_view(17);
    EXPECT_EQ(ViewOrigin.x, 14500 - (662 + 2338) * 2);
    EXPECT_EQ(ViewOrigin.y, (1266 - 266) * 2 + 4000);
    EXPECT_EQ(scroll(), std::make_pair(0, 0));
    EXPECT_EQ(fe_.view.scroll_sizes[0], 0);
    EXPECT_EQ(fe_.view.scroll_sizes[1], 675);

    // Past the right limit: the drawing moves left and the view stops at the limit.
    core::CommandLine.set("~~998");
    fe_.view.limit_x.reset();
    scroll_to(11000, 0);
    position_view(17);
    EXPECT_EQ(ViewOrigin.x, 400);
    EXPECT_EQ(fe_.view.scroll_x, 10000);
}

TEST_F(ScrollingTest, KeySteps) {
    position_view(0);
    scroll_to(0, -10000);
    core::CommandLine.set("~~040");
    scroll_view_by_step(0.1f, -0.2f);
    EXPECT_EQ(scroll(), std::make_pair(1000, -6000));
    EXPECT_TRUE(core::MessageLine.starts_with("~~040"));
    scroll_view_by_step(-1.0f, -2.0f);  // held within 0..limit
    EXPECT_EQ(scroll(), std::make_pair(0, 0));

    // The up key at the top moves the engine's own origin instead.
    const int32_t y = ViewOrigin.y;
    core::CommandLine.set("~~038");
    scroll_view_by_step(0.0f, 0.1f);
    EXPECT_EQ(ViewOrigin.y, y + 2000);
    EXPECT_EQ(core::CommandLine(1), '&');
    EXPECT_EQ(scroll(), std::make_pair(0, 0));
}

TEST_F(ScrollingTest, EdgeTest) {
    scroll_to(0, 0);
    EXPECT_EQ(check_view_at_edge(1), 1);
    EXPECT_EQ(check_view_at_edge(3), 1);
    EXPECT_EQ(check_view_at_edge(2), 0);
    EXPECT_EQ(scroll(), std::make_pair(0, 0));  // put back after the probe
    scroll_to(10000, -20000);
    EXPECT_EQ(check_view_at_edge(1), 0);
    EXPECT_EQ(check_view_at_edge(2), 1);
    EXPECT_EQ(check_view_at_edge(4), 1);
    EXPECT_EQ(check_view_at_edge(7), 0);
    EXPECT_EQ(scroll(), std::make_pair(10000, -20000));
}

TEST_F(ScrollingTest, HomeAndViewSteps) {
    scroll_to(5000, -5000);
    reset_view_home();
    EXPECT_EQ(scroll(), std::make_pair(0, 0));
    EXPECT_EQ(ViewOrigin.x, 2400);
    EXPECT_EQ(decode_graphics_list()[0].x, 2400);
    EXPECT_EQ(fe_.refresh_count, 1);
    EXPECT_EQ(fe_.trim_count, 1);

    fe_.view.limit_x.reset();
    fe_.view.limit_y.reset();
    scroll_to(1000, -1000);
    const std::pair<int32_t, std::pair<int32_t, int32_t>> steps[] = {
        {2, {1000, -1500}}, {3, {500, -1500}}, {4, {1000, -1500}}, {1, {1000, -1000}}};
    for (const auto& [direction, at] : steps) {
        ViewStepRequest = {direction, 500};
        scroll_view_one_step();
        EXPECT_EQ(scroll(), at) << "direction " << direction;
    }
    EXPECT_EQ(fe_.refresh_count, 5);
    core::MacroUnit = -2;
    scroll_view_one_step();
    EXPECT_EQ(fe_.refresh_count, 5);
    core::MacroUnit = 0;
}

}  // namespace
