// The dispatcher and placement: which codes move by P15, which keep the hundreds of P4, the
// out-of-bounds notice, the colour of P26, the staff ends and the steps around the drawers.
#include "engine/render/page/item_drawing.h"

#include "engine/core/store/item_store.h"
#include "engine/layout/tables.h"
#include "tests/render/render_fixture.h"

using namespace render;

namespace {

struct Seen {
    int calls = 0;
    float x = 0.0f;
    float y = 0.0f;
    int32_t ip3 = 0;
};
Seen g_seen;

void record_origin() {
    ++g_seen.calls;
    g_seen.x = ItemDrawOrigin.x;
    g_seen.y = ItemDrawOrigin.y;
    g_seen.ip3 = core::IntParamBuffer(3);
}

// Changes parameters as a nested drawing would; the dispatcher must put P3..P15 back.
void scribble_params() {
    ++g_seen.calls;
    for (int k = 3; k <= 15; ++k) core::ParamBuffer(k) = -1.0f;
}

void fault() {
    core::ParamBuffer(5) = 0.0f;
    core::report_index_defect("test drawer", 0, 1, 1);
}

int g_geometry_updates = 0;
void count_geometry_update() {
    ++g_geometry_updates;
    core::EditItemParams(13) = 99.75f;  // the update may leave a fraction in E13
}

class ItemDrawingTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        g_seen = Seen{};
        g_geometry_updates = 0;
        layout::StaffTables.StaffBaseY(1) = -27675 + 3150;
        layout::StaffTables.StaffScale(1) = 25.0f;
    }
    // Draws the item with the given P's and returns where its drawer saw its origin.
    Seen draw(const std::vector<float>& params) {
        g_seen = Seen{};
        set_params(params);
        draw_item_by_code();
        return g_seen;
    }
};

TEST_F(ItemDrawingTest, OnlyTheMarkedCodesMoveRightByP15) {
    register_item_drawer(3, record_origin);
    register_item_drawer(1, record_origin);
    EXPECT_FLOAT_EQ(draw({3, 1, 10, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}).x, 1800.0f);
    EXPECT_FLOAT_EQ(draw({1, 1, 10, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}).x, 1500.0f);
    EXPECT_EQ(g_seen.ip3, 1500);
}

TEST_F(ItemDrawingTest, HundredsOfP4AreDroppedForNotesRestsClefsAndBeamsOnly) {
    register_item_drawer(1, record_origin);
    register_item_drawer(4, record_origin);
    const float base = static_cast<float>(layout::StaffTables.StaffBaseY(1));
    EXPECT_FLOAT_EQ(draw({1, 1, 10, 104}).y, base + 4 * 7 * 25.0f);
    EXPECT_FLOAT_EQ(draw({4, 1, 10, 104}).y, base + 104 * 7 * 25.0f);
    EXPECT_FLOAT_EQ(draw({1, 1, 10, -104}).y, base - 4 * 7 * 25.0f);
    EXPECT_FLOAT_EQ(compute_staff_y(2.0f), base + 350.0f);
}

TEST_F(ItemDrawingTest, CodesAndStavesOutOfRangeDrawNothing) {
    for (int c = 1; c <= 18; ++c)
        if (c != 12) register_item_drawer(c, record_origin);
    EXPECT_EQ(draw({21, 1, 10, 4}).calls, 0);
    EXPECT_EQ(draw({-1, 1, 10, 4}).calls, 0);
    EXPECT_EQ(draw({1, 257, 10, 4}).calls, 0);
    EXPECT_EQ(draw({1, -1, 10, 4}).calls, 0);
    EXPECT_EQ(draw({19, 1, 10, 4}).calls, 0);
    EXPECT_EQ(draw({1, 0, 10, 4}).calls, 1);
    EXPECT_EQ(draw({5, 1, 10, 4}).calls, 1);
    EXPECT_THROW(register_item_drawer(12, record_origin), core::EngineDefect);
    EXPECT_THROW(register_item_drawer(19, record_origin), core::EngineDefect);
}

TEST_F(ItemDrawingTest, CodeTwelveIsDrawnByTheDrawerOfItsKind) {
    register_code12_drawer(Code12Drawer::RuledFigure, record_origin);
    EXPECT_EQ(draw({12, 1, 10, 4, 10}).calls, 1);
    EXPECT_EQ(draw({12, 1, 10, 4, 1}).calls, 0);
    register_code12_drawer(Code12Drawer::BoxOrCircle, record_origin);
    EXPECT_EQ(draw({12, 1, 10, 4, 1}).calls, 1);
    EXPECT_EQ(draw({12, 1, 10, 4, -3}).calls, 0);
    EXPECT_EQ(draw({12, 1, 10, 4, 7}).calls, 0);
}

TEST_F(ItemDrawingTest, LibrarySymbolsAndBarLinesGetTheirParametersBack) {
    register_item_drawer(9, scribble_params);
    register_item_drawer(14, scribble_params);
    set_params({9, 1, 10, 4, 1234, 1.5f, 0.5f, 0, 0, 0, 0, 0, 0, 0, 3});
    draw_item_by_code();
    EXPECT_EQ(g_seen.calls, 1);
    EXPECT_FLOAT_EQ(core::ParamBuffer(5), 1234.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(15), 3.0f);
    EXPECT_EQ(core::SaveStack.depth, 0);

    // A bar line typed with "INV" and no height is made invisible first.
    core::SecondLine.set("INV");
    set_params({14, 1, 10, 0});
    draw_item_by_code();
    EXPECT_FLOAT_EQ(core::EditItemParams(4), -1.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(3), 10.0f);
}

TEST_F(ItemDrawingTest, TheViewFollowsItemsOnTheEditedItemsStaffButNotStaves) {
    RenderHooks.update_view_geometry = count_geometry_update;
    add_item({1, 1, 10, 4});
    add_item({1, 2, 10, 4});
    core::EditedItemNumber = 1;
    core::EditItemParams(13) = 7.5f;
    draw({1, 1, 20, 4});
    EXPECT_EQ(g_geometry_updates, 1);
    EXPECT_FLOAT_EQ(core::EditItemParams(13), 7.5f);  // saved around the update, fraction kept
    draw({1, 2, 20, 4});
    draw({8, 1, 0, 0});
    EXPECT_EQ(g_geometry_updates, 1);
    FreezeScreen = -1;
    draw({1, 1, 20, 4});
    FreezeScreen = 1;
    core::SecondLine.set("c");
    draw({1, 1, 20, 4});
    EXPECT_EQ(g_geometry_updates, 1);
    core::SecondLine.blank();
    core::EditedItemNumber = 0;
    draw({1, 1, 20, 4});
    EXPECT_EQ(g_geometry_updates, 1);
}

TEST_F(ItemDrawingTest, ADrawersFaultEndsTheCommandWithoutUnbalancingTheSaveStack) {
    register_item_drawer(9, fault);
    set_params({9, 1, 10, 4, 77});
    EXPECT_THROW(draw_item_by_code(), core::EngineDefect);
    EXPECT_EQ(core::SaveStack.depth, 0);
    EXPECT_FLOAT_EQ(core::ParamBuffer(5), 77.0f);
}

TEST_F(ItemDrawingTest, AnItemFarRightOfThePageGivesTheNoticeOnce) {
    register_item_drawer(1, record_origin);
    draw({1, 1, 280, 4});
    EXPECT_TRUE(fe_.notices.empty());
    EXPECT_EQ(draw({1, 12, 281, 4}).calls, 1);  // still drawn
    ASSERT_EQ(fe_.notices.size(), 1u);
    const std::string& notice = fe_.notices[0];
    EXPECT_EQ(notice, "Stf    12 Code    1 P3 is out of bounds. > 280");
    EXPECT_EQ(notice.substr(6, 3), " 12");
    EXPECT_EQ(notice.substr(17, 2), " 1");
    EXPECT_EQ(fe_.count(ScriptedFrontEnd::Kind::KeyMode), 1);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());

    // "Don't show this message again" switches the notice off.
    fe_.notice_answer = 1;
    draw({14, 256, 300, 4});
    EXPECT_EQ(fe_.notices.back().substr(6, 3), "256");
    EXPECT_EQ(fe_.notices.back().substr(17, 2), "14");
    EXPECT_EQ(OutOfBoundsNoticeOff, 1);
    draw({1, 1, 400, 4});
    EXPECT_EQ(fe_.notices.size(), 2u);
}

TEST_F(ItemDrawingTest, EachColourPairLandsInItsOwnChannelAtZeroAndAt99) {
    // Decimal RRGGBB, as 0xBBGGRR: 99 is 253 (99 x 2.56), 01 02 03 is 2 5 7. Values up to 1
    // are greys (0.99 the lightest); out-of-range pairs stay within their own byte.
    const std::vector<std::pair<float, int32_t>> cases = {
        {990000.0f, 0xFD},     {9900.0f, 0xFD00},    {99.0f, 0xFD0000},   {999999.0f, 0xFDFDFD},
        {990099.0f, 0xFD00FD}, {10203.0f, 0x070502}, {4520.0f, 0x337300}, {0.0f, 0},
        {0.99f, 0xFDFDFD},     {1.0f, 0xEBEBEB},     {0.5f, 0x808080},    {2000000.0f, 0xFF}};
    for (const auto& [value, rgb] : cases) EXPECT_EQ(colour_from_value(value), rgb) << value;
    EXPECT_EQ(colour_from_value(-1.0f), 0);

    // Through an item: the colour bytes under the operation byte the hand-over keeps.
    DrawColourWord = 0x05000000;
    set_params(with_colour({1, 1, 10, 4}, 9900.0f));
    set_item_colour();
    EXPECT_EQ(DrawColourWord, 0x05000000 | 253 << 8);
}

TEST_F(ItemDrawingTest, ItemColourIsComputedOnceAndKeptForTheItem) {
    set_params(with_colour({1, 1, 10, 4}, 0.5f));
    set_item_colour();
    EXPECT_EQ(DrawColourWord, 128 | 128 << 8 | 128 << 16);
    EXPECT_EQ(ColourMemo.valid, 1);
    core::ParamBuffer(26) = 990000.0f;  // the memo wins until the redraw clears it
    set_item_colour();
    EXPECT_EQ(DrawColourWord, 128 | 128 << 8 | 128 << 16);
    ColourMemo.valid = 0;
    set_item_colour();
    EXPECT_EQ(DrawColourWord, 253);

    // A text item with P14 = -1 takes its colour from P16.
    ColourMemo.valid = 0;
    std::vector<float> text(26, 0.0f);
    text[0] = 16;
    text[13] = -1.0f;
    text[15] = 990000.0f;
    set_params(text);
    set_item_colour();
    EXPECT_FLOAT_EQ(core::ParamBuffer(26), 990000.0f);
    EXPECT_EQ(DrawColourWord, 253);
}

TEST_F(ItemDrawingTest, StaffEndsComeFromTheFirstMatchingStaffItem) {
    add_item({1, 3, 10, 4});
    add_item({8, 3});
    add_item({8, 4, 12, 0, 0, 150});
    add_item({8, 4, 99, 0, 0, 0});
    float left = -5.0f, right = -5.0f;
    int32_t flag = 0;
    StaffLookupNumber = 4.0f;
    get_staff_ends(left, right, flag);
    EXPECT_EQ(flag, 1);
    EXPECT_FLOAT_EQ(left, 12.0f);
    EXPECT_FLOAT_EQ(right, 150.0f);
    StaffLookupNumber = 3.0f;
    get_staff_ends(left, right, flag);
    EXPECT_FLOAT_EQ(left, 0.0f);
    EXPECT_FLOAT_EQ(right, 200.0f);
    StaffLookupNumber = 9.0f;
    left = right = -5.0f;
    get_staff_ends(left, right, flag);
    EXPECT_FLOAT_EQ(left, -5.0f);
    EXPECT_FLOAT_EQ(right, -5.0f);
}

}  // namespace
