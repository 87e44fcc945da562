// The drawing side's fixed lists exactly full: a page of exactly the item limit (6,000 items)
// and a path-point list of exactly 50,000 points handed over whole.
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "tests/render/render_fixture.h"

using namespace render;

namespace {

using FullListsTest = RenderTest;

TEST_F(FullListsTest, TheSixThousandthItemIsAppendedAndTheNextIsRefused) {
    ASSERT_EQ(ItemCountLimit, 6000);  // as every reset and start-up sets it
    for (int i = 1; i <= 5999; ++i) add_item({1, 1, static_cast<float>(i % 200), 4});
    set_params({1, 2, 10, 4});
    int32_t n = 4;
    ASSERT_TRUE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemCount, 6000);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(6000) + 2), 2.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());

    // The store is kept as it was.
    const int32_t used = core::ItemWordsUsed;
    const std::vector<float> last(core::ItemStore.at(core::ItemStartTable(6000)),
                                  core::ItemStore.at(used));
    set_params({1, 3, 99, 5});
    n = 4;
    EXPECT_FALSE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemCount, 6000);
    EXPECT_EQ(core::ItemWordsUsed, used);
    EXPECT_EQ(std::vector<float>(core::ItemStore.at(core::ItemStartTable(6000)),
                                 core::ItemStore.at(used)),
              last);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0],
              "**** The page is full: the item was not added (6000 items at most).");
}

TEST_F(FullListsTest, AFullPathPointListIsHandedOverToItsLastPoint) {
    add_path_point(0.0f, 0.0f, 1);
    for (int i = 2; i <= kPathPoints; ++i) add_path_point(static_cast<float>(i), 7.0f, 0);
    ASSERT_EQ(PathPointList.count, kPathPoints + 1);
    core::ParamBuffer(2) = 1.0f;
    begin_item_drawing();
    EXPECT_EQ(PathPointList.count, 1);
    EXPECT_EQ(core::GraphicsNextFree, 3 * kPathPoints + 1);
    graphics_length_ = core::GraphicsNextFree - 1;
    const auto e = decode_graphics_list();
    ASSERT_EQ(e.size(), static_cast<std::size_t>(kPathPoints));
    EXPECT_EQ(e.front().op, 1);
    EXPECT_EQ(e.back().x, kPathPoints);
    EXPECT_EQ(e.back().y, 7);
    EXPECT_EQ(e.back().op, 0);
}

TEST_F(FullListsTest, AtTheLimitTheStoreEndsAfterTheLastItemWhole) {
    for (int i = 1; i <= 6000; ++i) add_item({1, 1, static_cast<float>(i % 200), 4});
    const int32_t end = core::ItemStartTable(6001);
    // Words past the last item (a scratch record) and points drawn for the refused item.
    core::ItemWordsUsed = end + 5;
    add_path_point(1.0f, 2.0f, 1);
    AppendTargetItem = 6000;  // a stale target must not cut into the stored items
    set_params({1, 3, 99, 5});
    int32_t n = 4;
    EXPECT_FALSE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemCount, 6000);
    EXPECT_EQ(core::ItemWordsUsed, end);
    EXPECT_EQ(AppendTargetItem, 6001);
    EXPECT_EQ(PathPointList.count, 1);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(6000) + 4), 4.0f);
}

TEST_F(FullListsTest, RewindingToAnItemDropsItAndTheItemsAfterIt) {
    for (int i = 1; i <= 5; ++i) add_item({1, 1, static_cast<float>(10 * i), 4});
    const int32_t third = core::ItemStartTable(3);
    AppendTargetItem = 3;
    rewind_store_to_item();
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::ItemWordsUsed, third);
    // The next item appended takes the third place.
    set_params({1, 1, 77, 4});
    int32_t n = 4;
    ASSERT_TRUE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemStartTable(3), third);
    EXPECT_EQ(core::ItemStore(third + 3), 77.0f);
    // Targets outside 1..ItemCount + 1 keep every item.
    const int32_t used = core::ItemWordsUsed;
    for (int32_t target : {0, -1, 5, 99}) {
        AppendTargetItem = target;
        rewind_store_to_item();
        EXPECT_EQ(core::ItemCount, 3) << target;
        EXPECT_EQ(core::ItemWordsUsed, used) << target;
    }
}

}  // namespace
