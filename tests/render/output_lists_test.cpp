// The path-point list and its hand-over into GraphicsList: truncation, the path-start rule, the
// spread shift, the operation byte, the colour choice and the capacity limits.
#include "engine/render/page/output_lists.h"

#include <cstdint>
#include <limits>
#include <sstream>

#include "tests/render/render_fixture.h"

using namespace render;

namespace {

class OutputListsTest : public RenderTest {
  protected:
    // Hands the given (x, y, op) points over with P2 = staff and reads back GraphicsList.
    std::vector<GraphicsEntry> hand_over(const std::vector<std::array<int32_t, 3>>& points,
                                         float staff = 1.0f) {
        core::ParamBuffer(2) = staff;
        for (const auto& pt : points)
            add_path_point(static_cast<float>(pt[0]), static_cast<float>(pt[1]),
                           static_cast<int16_t>(pt[2]));
        begin_item_drawing();
        graphics_length_ = core::GraphicsNextFree - 1;
        return decode_graphics_list();
    }
};

TEST_F(OutputListsTest, PointsAreTruncatedTowardZero) {
    add_path_point(10.9f, -10.9f, 1);
    add_path_segment(-0.5f, 99.99f, 7.0f, -7.7f);
    EXPECT_EQ(PathPointList.count, 4);
    EXPECT_EQ(PathPointList.x(1), 10);
    EXPECT_EQ(PathPointList.y(1), -10);
    EXPECT_EQ(PathPointList.op(1), 1);
    EXPECT_EQ(PathPointList.x(2), 0);
    EXPECT_EQ(PathPointList.y(2), 99);
    EXPECT_EQ(PathPointList.op(2), 1);
    EXPECT_EQ(PathPointList.y(3), -7);
    EXPECT_EQ(PathPointList.op(3), 0);
}

// The inline truncation of the drawing agrees with INT of the engine everywhere, the edges of
// the 32-bit range, the infinities and NaN included.
TEST_F(OutputListsTest, TruncationAgreesWithIntOfToTheEdgesOfTheRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float v :
         {0.0f, -0.0f, 0.99f, -0.99f, 10.9f, -10.9f, 16777217.0f, 2147483520.0f, 2147483648.0f,
          3.0e9f, -2147483520.0f, -2147483648.0f, -2147483904.0f, -3.0e9f, inf, -inf, nan}) {
        EXPECT_EQ(truncate_real(v), core::int_of(v)) << v;
    }
}

// Glyph points go in as a block, exactly as one add_path_point each would put them, up to the
// list's capacity.
TEST_F(OutputListsTest, ABlockOfScaledPointsIsAddedAsPointByPoint) {
    const std::vector<float> xs = {0.0f, 1.5f, -2.25f, 1.0e10f, 7.0f};
    const std::vector<float> ys = {0.0f, -3.5f, 4.75f, 2.0f, -1.0e10f};
    const std::vector<int16_t> pens = {2, 0, -1, 3, 0};
    add_scaled_points(5, xs.data(), ys.data(), pens.data(), 100.5f, -20.0f, 3.0f, 0.5f);
    const auto block = path_list();
    PathPointList.count = 1;
    for (std::size_t i = 0; i < xs.size(); ++i)
        add_path_point(100.5f + 3.0f * xs[i], -20.0f + 0.5f * ys[i], pens[i] < 0 ? 0 : pens[i]);
    EXPECT_EQ(path_list(), block);
    EXPECT_EQ(PathPointList.op(3), 0);         // a negative pen draws as 0
    EXPECT_EQ(PathPointList.x(4), INT32_MAX);  // far off the page: saturated
    EXPECT_EQ(PathPointList.y(5), INT32_MIN);

    // Two places left: the first two points go in, the rest are left out.
    PathPointList.count = kPathPoints - 1;
    add_scaled_points(5, xs.data(), ys.data(), pens.data(), 0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(PathPointList.count, kPathPoints + 1);
    EXPECT_EQ(PathPointList.y(kPathPoints), -3);
    add_scaled_points(5, xs.data(), ys.data(), pens.data(), 0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(PathPointList.count, kPathPoints + 1);
}

TEST_F(OutputListsTest, PathPointListStopsCleanlyAtItsCapacity) {
    for (int i = 0; i < kPathPoints - 1; ++i) add_path_point(1.0f, 2.0f, 0);
    EXPECT_EQ(PathPointList.count, kPathPoints);
    // One entry left: a segment needs two, so neither point goes in.
    add_path_segment(5.0f, 5.0f, 6.0f, 6.0f);
    EXPECT_EQ(PathPointList.count, kPathPoints);
    add_path_point(3.0f, 4.0f, 1);
    EXPECT_EQ(PathPointList.count, kPathPoints + 1);
    add_path_point(9.0f, 9.0f, 0);  // full: dropped
    EXPECT_EQ(PathPointList.count, kPathPoints + 1);
    EXPECT_EQ(PathPointList.x(kPathPoints), 3);
    EXPECT_EQ(PathPointList.y(kPathPoints - 1), 2);
}

TEST_F(OutputListsTest, APathStartFollowedByAnotherIsReplaced) {
    auto e = hand_over({{{10, 20, 1}}, {{30, 40, 1}}, {{50, 60, 0}}});
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].x, 30);
    EXPECT_EQ(e[0].op, 1);
    EXPECT_EQ(e[1].x, 50);

    core::reset_engine();
    core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
    e = hand_over({{{10, 20, 1}}, {{30, 40, 0}}, {{50, 60, 1}}});
    EXPECT_EQ(e.size(), 3u);
    EXPECT_EQ(PathPointList.count, 1);
}

TEST_F(OutputListsTest, TheLastOperationCarriesAcrossItems) {
    // An item that ends with a lone path start loses it to the next item's first start.
    hand_over({{{1, 1, 1}}, {{2, 2, 0}}, {{3, 3, 2}}});
    const auto e = hand_over({{{4, 4, 1}}, {{5, 5, 0}}});
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[2].x, 4);
    EXPECT_EQ(e[2].op, 1);
}

TEST_F(OutputListsTest, EntriesCarryTheViewOriginTheSpreadShiftAndTheOperationByte) {
    ViewOrigin.x = 500;
    ViewOrigin.y = -15000;
    auto e = hand_over({{{100, 200, 1}}, {{110, 200, 0}}, {{0, 0, -99}}}, 199.0f);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].x, 600);
    EXPECT_EQ(e[0].y, 15200);
    EXPECT_EQ(e[2].op, 0x9D);
    EXPECT_EQ(static_cast<uint32_t>(graphics_[8]) >> 24, 0x9Du);
    EXPECT_EQ(LastOperationWord, -99 * (1 << 24));

    // Staff 200 is the left page's last staff; the right page starts at 201.
    for (const float staff : {200.0f, 200.9f, 201.0f, 256.0f}) {
        core::reset_engine();
        core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
        ViewOrigin.x = 500;
        e = hand_over({{{100, 200, 1}}, {{110, 200, 0}}}, staff);
        EXPECT_EQ(e[0].x, 100 + 500 + (staff >= 201.0f ? kSpreadShift : 0)) << staff;
    }
}

TEST_F(OutputListsTest, UncolouredItemsAreBlackOrRedWhileAnItemIsEdited) {
    DrawColourWord = 0x123456;
    auto e = hand_over({{{1, 1, 1}}, {{2, 2, 0}}});
    EXPECT_EQ(e[0].colour, 0);
    core::EditedItemNumber = 3;
    e = hand_over({{{1, 1, 1}}, {{2, 2, 0}}});
    EXPECT_EQ(e[2].colour, 255);
    core::EditedItemNumber = 0;
    HighlightFlag = 1;
    e = hand_over({{{1, 1, 1}}, {{2, 2, 0}}});
    EXPECT_EQ(e[4].colour, 255);
    // An item with its own colour keeps what set_item_colour computed.
    core::ParamBuffer(26) = 990000.0f;
    DrawColourWord = 0x00FD;
    e = hand_over({{{1, 1, 1}}, {{2, 2, 0}}});
    EXPECT_EQ(e[6].colour, 0xFD);
}

TEST_F(OutputListsTest, AFullGraphicsListKeepsWhatWasWrittenAndDropsTheRest) {
    // Two entries into the room for two: the list is full, nothing is lost.
    core::GraphicsNextFree = core::kGraphicsListWords - 5;
    LastOperationWord = 0;
    add_path_segment(1.0f, 1.0f, 2.0f, 2.0f);
    begin_item_drawing();
    EXPECT_EQ(core::GraphicsNextFree, core::kGraphicsListWords + 1);
    EXPECT_EQ(ScreenListOverflow, 0);

    core::GraphicsNextFree = core::kGraphicsListWords - 5;  // room for two entries
    LastOperationWord = 0;
    for (int i = 0; i < 5; ++i) add_path_point(static_cast<float>(i), 0.0f, i == 0 ? 1 : 0);
    begin_item_drawing();
    EXPECT_EQ(core::GraphicsNextFree, core::kGraphicsListWords + 1);
    EXPECT_EQ(graphics_[core::kGraphicsListWords - 3], 1);  // x of the second point
    EXPECT_EQ(PathPointList.count, 1);
    EXPECT_EQ(ScreenListOverflow, 1);  // three points were left out
    // Further items add nothing and do not fault.
    add_path_segment(1.0f, 1.0f, 2.0f, 2.0f);
    begin_item_drawing();
    EXPECT_EQ(core::GraphicsNextFree, core::kGraphicsListWords + 1);
}

TEST_F(OutputListsTest, CoordinatesFarOffThePageSaturateInsteadOfWrapping) {
    ViewOrigin.x = 1000;
    const auto e = hand_over({{{0, 0, 1}}, {{0, 0, 0}}}, 250.0f);
    EXPECT_EQ(e[0].x, 1000 + kSpreadShift);
    add_path_point(3.0e9f, -3.0e9f, 1);
    add_path_point(0.0f, 0.0f, 0);
    begin_item_drawing();
    EXPECT_EQ(graphics_[6], INT32_MAX);
    EXPECT_EQ(graphics_[7], INT32_MIN);
}

TEST_F(OutputListsTest, TheDumpWritesOneReadableLinePerEntry) {
    DrawColourWord = 0;
    hand_over({{{100, -200, 1}}, {{300, 400, 0}}});
    graphics_[5] = 0x00102030;  // blue 0x10, green 0x20, red 0x30, op 0
    std::ostringstream out;
    write_graphics_list_dump(out);
    EXPECT_EQ(out.str(), "1 100 -200 #000000\n0 300 400 #302010\n");
    // A length word that is not a whole number of entries leaves the part entry out.
    graphics_length_ = 5;
    EXPECT_EQ(decode_graphics_list().size(), 1u);
    core::OutputBufferViews.graphics.unbind();
    EXPECT_TRUE(decode_graphics_list().empty());
}

}  // namespace
