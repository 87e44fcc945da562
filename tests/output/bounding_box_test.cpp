// The saved bounding box file and the red outline that lives for one redraw.
#include "output/bounding_box.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/render/page/page_redraw.h"
#include "output/tables.h"
#include "platform/paths.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class BoundingBoxTest : public InterpreterTest {
  protected:
    static std::vector<float> saved() {
        const auto& b = output::SavedBoundingBox.box;
        return {b(1), b(2), b(3), b(4)};
    }
    static void set_saved(std::vector<float> v) {
        for (int k = 1; k <= 4; ++k) output::SavedBoundingBox.box(k) = v[k - 1];
    }
    static std::string box_file() { return platform::work_file("!BB.dat"); }
    // GraphicsList entries (x, y, word) of item k.
    std::vector<std::array<int32_t, 3>> entries(int32_t k) const {
        std::vector<std::array<int32_t, 3>> v;
        for (int32_t e = core::ItemOutputSpans.graphics(k);
             e + 2 < core::ItemOutputSpans.graphics(k + 1); e += 3)
            v.push_back({graphics_[e - 1], graphics_[e], graphics_[e + 1]});
        return v;
    }
};

TEST_F(BoundingBoxTest, LetterPageInPointsSurvivesTheFile) {
    // 612 x 792 points as the dialog keeps them: points x 55.555 display units.
    const std::vector<float> box = {0.0f, 0.0f, 612 * 55.555f, 792 * 55.555f};
    set_saved(box);
    output::SavedBoundingBox.file_mode = 2;
    output::exchange_bbox_settings();
    std::ifstream in(box_file());
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "    0.000    0.00033999.66043999.559");
    set_saved({1, 2, 3, 4});
    output::SavedBoundingBox.file_mode = 3;
    output::exchange_bbox_settings();
    const std::vector<float> back = saved();
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(back[k], box[k], 0.0005f) << k;
    EXPECT_NEAR(back[2] / 55.555f, 612.0f, 0.001f);
}

TEST_F(BoundingBoxTest, GetBeforeAnySaveCreatesAnEmptyFileAndChangesNothing) {
    ASSERT_FALSE(std::filesystem::exists(box_file()));
    set_saved({10, 20, 30, 40});
    output::SavedBoundingBox.file_mode = 3;
    output::exchange_bbox_settings();
    EXPECT_TRUE(std::filesystem::exists(box_file()));
    EXPECT_EQ(std::filesystem::file_size(box_file()), 0u);
    EXPECT_EQ(saved(), (std::vector<float>{10, 20, 30, 40}));
    // A value too wide for its nine columns cannot come back: the get changes nothing.
    set_saved({100000.0f, 0, 0, 0});
    output::SavedBoundingBox.file_mode = 2;
    output::exchange_bbox_settings();
    set_saved({1, 2, 3, 4});
    output::SavedBoundingBox.file_mode = 3;
    output::exchange_bbox_settings();
    EXPECT_EQ(saved(), (std::vector<float>{1, 2, 3, 4}));
}

TEST_F(BoundingBoxTest, OutlineIsRedLinesAcrossTheBoxAndLeavesTheStoreAsItWas) {
    type("1 1 10 5 0 0 4");
    bind_output_lists();
    const int32_t count = core::ItemCount;
    const int32_t used = core::ItemWordsUsed;
    const std::vector<float> before = page();
    output::add_bbox_outline(2400, -27675, 32400, -27675 + 175 * 10);
    EXPECT_EQ(core::ItemCount, count);
    EXPECT_EQ(core::ItemWordsUsed, used);
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ItemStore(used), 0.0f);
    EXPECT_EQ(core::ItemStartTable(count + 1), used);

    // The bottom edge ran from P3 0.0 to 200.0 (display x 2400 to 32400), in red.
    const auto bottom = entries(count + 1);
    ASSERT_FALSE(bottom.empty());
    int32_t lo = bottom[0][0];
    int32_t hi = lo;
    for (const auto& e : bottom) {
        lo = std::min(lo, e[0]);
        hi = std::max(hi, e[0]);
        EXPECT_NE(e[2] & 0xFFFFFF, 0) << "colour word";
    }
    EXPECT_NEAR(lo, 2400, 60);
    EXPECT_NEAR(hi, 32400, 60);
    // The right edge stands at 200.0.
    const auto right = entries(count + 4);
    ASSERT_FALSE(right.empty());
    EXPECT_NEAR(right[0][0], 32400, 60);
}

// The Print Setup's "Reset" (mode 5) draws the dialog's page box where the page's items are:
// the dialog's box is the measured box moved to the paper's corner, and comes back from it.
TEST_F(BoundingBoxTest, ResetShowsThePrintSetupBoxOnThePage) {
    type("1 1 10 5 0 0 4");
    bind_output_lists();
    const int32_t count = core::ItemCount;
    const int32_t used = core::ItemWordsUsed;
    // The paper's corner lies 300 left of the page's edge (offset x 0.5 inch: 2100 from it)
    // and, with offset y 1.75 inches, 31250 below the page's y.
    output::PrintParameters.engine_offsets(1) = 0.5f;
    output::PrintParameters.engine_offsets(2) = 1.75f;
    set_saved({2100.0f, 31250.0f - 27675.0f, 32100.0f, 31250.0f - 27675.0f + 1750.0f});
    output::SavedBoundingBox.file_mode = 5;
    output::exchange_bbox_settings();
    EXPECT_EQ(core::ItemCount, count);
    EXPECT_EQ(core::ItemWordsUsed, used);
    const auto bottom = entries(count + 1);
    ASSERT_FALSE(bottom.empty());
    int32_t lo = bottom[0][0];
    int32_t hi = lo;
    for (const auto& e : bottom) {
        lo = std::min(lo, e[0]);
        hi = std::max(hi, e[0]);
    }
    EXPECT_NEAR(lo, 2400, 60);
    EXPECT_NEAR(hi, 32400, 60);
    // No file was touched.
    EXPECT_FALSE(std::filesystem::exists(box_file()));

    // A corner that is no number draws nothing.
    render::redraw_items();
    const int32_t page_end = core::GraphicsNextFree;
    set_saved({2000.0f, std::numeric_limits<float>::infinity(), 32000.0f, 0.0f});
    output::exchange_bbox_settings();
    EXPECT_EQ(core::GraphicsNextFree, page_end);
}

TEST_F(BoundingBoxTest, NoOutlineWithoutRoomForIt) {
    type("1 1 10 5 0 0 4");
    bind_output_lists();
    const int32_t saved_capacity = core::ItemStoreCapacity;
    // Exactly 121 free words: the outline is drawn.
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 121;
    output::add_bbox_outline(2400, -27675, 32400, -25000);
    EXPECT_GT(core::ItemOutputSpans.graphics(2 + 4), core::ItemOutputSpans.graphics(2));
    // One word fewer: nothing is drawn and the store is not touched.
    core::ItemOutputSpans.graphics(6) = 0;
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 120;
    const std::vector<float> before = page();
    output::add_bbox_outline(2400, -27675, 32400, -25000);
    EXPECT_EQ(core::ItemOutputSpans.graphics(6), 0);
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ItemCount, 1);
    core::ItemStoreCapacity = saved_capacity;
}

}  // namespace
