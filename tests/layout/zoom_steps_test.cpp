// Keeping the edited item in view through the scripted front-end: what the view update asks of
// the window, and the zoom requests of the Z steps.
#include "engine/layout/view/zoom_steps.h"

#include "tests/layout/layout_fixture.h"

namespace {

class ZoomStepsTest : public LayoutTest {
  protected:
    // The 'p' requests after the first one (the probe of the scroll limits and its undoing).
    std::vector<std::pair<int32_t, int32_t>> scrolls() const {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (const auto& s : fe_.services)
            if (s.tag[1] == 'p') out.emplace_back(s.in(1), s.in(2));
        return out;
    }
};

TEST_F(ZoomStepsTest, AnEmptyPageIsNeverScrolled) {
    fe_.view.limit_x = 50000;
    fe_.view.limit_y = -50000;
    core::EditedItemNumber = 0;
    layout::update_view_geometry(0);
    // Only the probe of the limits and the way back to where the view was.
    const auto p = scrolls();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[1], std::make_pair(0, 0));
    EXPECT_TRUE(fe_.zoom_requests.empty());
}

TEST_F(ZoomStepsTest, AChangeOfTheWindowsZoomIsTakenOverOnce) {
    add_item({8, 1, 0, 0});
    fe_.view.zoom = 96;
    layout::update_view_geometry(0);
    ASSERT_EQ(fe_.zoom_requests.size(), 1u);
    EXPECT_EQ(fe_.zoom_requests[0], 96);
    ASSERT_EQ(fe_.percent_texts.size(), 1u);
    EXPECT_EQ(fe_.percent_texts[0], "150%");
    layout::update_view_geometry(0);
    EXPECT_EQ(fe_.zoom_requests.size(), 1u);
    // With edits pending the change waits.
    fe_.view.zoom = 128;
    layout::update_view_geometry(1);
    EXPECT_EQ(fe_.zoom_requests.size(), 1u);
}

TEST_F(ZoomStepsTest, ZoomsAreHeldToTheWindowsRange) {
    add_item({8, 1, 0, 0});
    for (float f : {-2.0f, 0.2f, 0.25f, 16.0f, 16.5f}) {
        core::CommandLine.set("Z");
        layout::zoom_by_factor(f);
    }
    EXPECT_EQ(fe_.zoom_requests, (std::vector<int32_t>{16, 16, 16, 1024, 1024}));
    EXPECT_EQ(fe_.percent_texts, (std::vector<std::string>{"25%", "25%", "25%", "1600%", "1600%"}));
}

}  // namespace
