// Fitting the zoom to the items: "FH" and "FW" through the interpreter with a scripted window,
// the P words that reach them, the limits of the front-end's zoom range, pages and windows that
// give nothing to fit, and the width fit after a load.
#include "engine/layout/view/zoom_fit.h"

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/systems/stem_direction.h"
#include "engine/layout/tables.h"
#include "engine/render/page/extents.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class ZoomFitTest : public InterpreterTest {
  protected:
    // A staff and two notes, entered without editing them.
    void make_page() {
        enter_items_without_editing();
        type_all({"8 1 0", "1 1 20 5 10 0 1", "1 1 150 12 10 0 1"});
        ASSERT_EQ(core::ItemCount, 3);
        ASSERT_EQ(core::EditedItemNumber, 0);
        fe_.zoom_requests.clear();
        fe_.percent_texts.clear();
    }
    // The items' extent as the fits measure it.
    void measure(int32_t& height, int32_t& right) {
        bind_output_lists();
        int32_t top = 0, bottom = 0, left = 0;
        render::measure_items_extent(0, top, bottom, left, right);
        height = top - bottom;
        ASSERT_GT(height, 0);
        ASSERT_GT(right, 0);
    }
    // The window exactly as high as the items, and as wide as their right edge plus 500.
    void fit_window_to_items() {
        int32_t height = 0, right = 0;
        measure(height, right);
        fe_.view.client_height = height;
        fe_.view.client_width = right + 500;
    }
};

TEST_F(ZoomFitTest, HeightFitLeavesFivePerCentFree) {
    make_page();
    fit_window_to_items();
    fe_.view.zoom = 64;
    type("FH");
    ASSERT_EQ(fe_.zoom_requests, (std::vector<int32_t>{60}));
    EXPECT_EQ(fe_.percent_texts, (std::vector<std::string>{"95%"}));
    EXPECT_EQ(layout::ZoomState.previous, 60);
}

TEST_F(ZoomFitTest, HeightFitScalesTheCurrentZoomByTheRatio) {
    make_page();
    fit_window_to_items();
    // Twice the room: (2 - 0.05) x 64 = 124.8, shown as 195 per cent.
    fe_.view.client_height *= 2;
    fe_.view.zoom = 64;
    type("FH");
    ASSERT_EQ(fe_.zoom_requests, (std::vector<int32_t>{124}));
    EXPECT_EQ(fe_.percent_texts, (std::vector<std::string>{"195%"}));
}

TEST_F(ZoomFitTest, WidthFitCountsTheRightEdgePlus500) {
    make_page();
    fit_window_to_items();
    // A height that would give another zoom shows that the width decides.
    fe_.view.client_height *= 3;
    fe_.view.zoom = 64;
    type("FW");
    ASSERT_EQ(fe_.zoom_requests, (std::vector<int32_t>{60}));
    EXPECT_EQ(fe_.percent_texts, (std::vector<std::string>{"95%"}));
}

TEST_F(ZoomFitTest, WindowAnsweringItsHeightNegativeFitsTheSame) {
    make_page();
    fit_window_to_items();
    fe_.view.client_height = -fe_.view.client_height;
    fe_.view.zoom = 64;
    type("FH");
    EXPECT_EQ(fe_.zoom_requests, (std::vector<int32_t>{60}));
}

TEST_F(ZoomFitTest, PWordsReachTheFits) {
    make_page();
    fit_window_to_items();
    fe_.view.zoom = 64;
    type("PH");
    type("PW");
    EXPECT_EQ(fe_.zoom_requests, (std::vector<int32_t>{60, 60}));
    EXPECT_EQ(fe_.percent_texts, (std::vector<std::string>{"95%", "95%"}));
}

TEST_F(ZoomFitTest, EmptyPageOrWindowWithoutSizeLeavesTheZoom) {
    // Nothing on the page.
    fe_.view.zoom = 64;
    type("FH");
    type("FW");
    EXPECT_TRUE(fe_.zoom_requests.empty());
    EXPECT_TRUE(fe_.percent_texts.empty());
    EXPECT_EQ(layout::ZoomState.previous, 64);

    make_page();
    fe_.view.client_height = 0;
    fe_.view.client_width = 0;
    type("FH");
    type("FW");
    EXPECT_TRUE(fe_.zoom_requests.empty());
    EXPECT_TRUE(fe_.percent_texts.empty());
}

TEST_F(ZoomFitTest, ZoomOutsideTheFrontEndsRangeIsNotAskedFor) {
    make_page();
    fit_window_to_items();
    // Ratio 1: 0.95 x 17 = 16.15 is the smallest zoom shown; 0.95 x 16 = 15.2 is below it.
    fe_.view.zoom = 16;
    type("FH");
    EXPECT_TRUE(fe_.zoom_requests.empty());
    fe_.view.zoom = 17;
    type("FH");
    EXPECT_EQ(fe_.zoom_requests, (std::vector<int32_t>{16}));
    // 0.95 x 1078 = 1024.1 is the largest; 0.95 x 1079 = 1025.05 is beyond it.
    fe_.zoom_requests.clear();
    fe_.view.zoom = 1079;
    type("FH");
    EXPECT_TRUE(fe_.zoom_requests.empty());
    fe_.view.zoom = 1078;
    type("FH");
    EXPECT_EQ(fe_.zoom_requests, (std::vector<int32_t>{1024}));
}

TEST_F(ZoomFitTest, FWordsDoNothingWhileAnItemIsEdited) {
    make_page();
    fit_window_to_items();
    core::EditedItemNumber = 2;
    for (const char* word : {"FH", "FW", "FLU"}) {
        core::CommandLine.set(word);
        edit::zoom_to_fit();
    }
    EXPECT_TRUE(fe_.zoom_requests.empty());
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(ZoomFitTest, LoadFitsTheWidthWhenFullWidthInputIsOn) {
    make_page();
    fit_window_to_items();
    fe_.view.zoom = 64;
    type("SA fitted.mus");
    fe_.zoom_requests.clear();
    core::FullWidthInput = 0;
    type("G fitted.mus");
    EXPECT_TRUE(fe_.zoom_requests.empty());
    core::FullWidthInput = 1;
    type("G fitted.mus");
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(fe_.zoom_requests, (std::vector<int32_t>{60}));
}

}  // namespace
