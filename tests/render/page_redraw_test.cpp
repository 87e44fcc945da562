// The page redraw, the edited item's preview and append_item, driven through the store: spans,
// colours, passing items, the PostScript pass's hooks and the refusals of append_item.
#include "engine/render/page_redraw.h"

#include "engine/core/item_store.h"
#include "engine/layout/staff_positions.h"
#include "engine/layout/tables.h"
#include "tests/render/render_fixture.h"

using namespace render;

namespace {

int g_draws = 0;
std::vector<float> g_drawn_p3;
void count_and_draw() {
    ++g_draws;
    g_drawn_p3.push_back(core::ParamBuffer(3));
    draw_two_points();
}
void fault() { core::report_index_defect("test drawer", 0, 1, 1); }
// 10,000 points (30,000 words): three such items fit the 100,000-word graphics list, four not.
void draw_many_points() {
    for (int i = 0; i < 5000; ++i) add_path_segment(0.0f, 10.0f * i, 100.0f, 10.0f * i);
}

// What the PostScript pass asked of the PostScript writer, in order.
std::vector<std::string> g_ps;
void ps_grey(int32_t& groups) {
    ++groups;
    g_ps.push_back("grey " + std::to_string(GreyState.current));
}
void ps_flush() {
    g_ps.push_back("flush " + std::to_string(PathPointList.count - 1));
    PathPointList.count = 1;
}
void ps_attached(float& size) { g_ps.push_back("letter " + std::to_string(size)); }
void ps_line(std::string_view line) { g_ps.push_back(std::string(line)); }
int g_frames = 0;
void count_frame() { ++g_frames; }

class PageRedrawTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        g_draws = 0;
        g_drawn_p3.clear();
        g_ps.clear();
        g_frames = 0;
        for (int32_t c : {1, 2, 3, 4, 14, 16}) register_item_drawer(c, count_and_draw);
    }
    // The colour of item k's first entry.
    int32_t colour_of(int32_t k) {
        return graphics_[static_cast<std::size_t>(core::ItemOutputSpans.graphics(k) + 1)] &
               0xFFFFFF;
    }
    std::vector<float> record(int32_t k) {
        std::vector<float> out;
        const int32_t s = core::ItemStartTable(k);
        for (int32_t j = 1; j <= core::int_of(core::ItemStore(s)); ++j)
            out.push_back(core::ItemStore(s + j));
        return out;
    }
};

TEST_F(PageRedrawTest, EachItemsOutputIsFramedByItsSpan) {
    add_item({1, 1, 10, 4});
    add_item({5, 1, 20, 4});  // no drawer: nothing drawn
    add_item({1, 1, 30, 4});
    text_length_ = 77;
    core::CommandLine.set("X");
    RenderHooks.draw_page_frame = count_frame;
    redraw_items();
    const auto& g = core::ItemOutputSpans.graphics;
    EXPECT_EQ(g(1), 1);
    EXPECT_EQ(g(2), 7);
    EXPECT_EQ(g(3), g(2));
    EXPECT_EQ(g(4), 13);
    EXPECT_EQ(graphics_length_, 12);
    EXPECT_EQ(text_length_, 0);
    EXPECT_EQ(core::ItemOutputSpans.text(4), 1);
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(core::CommandLine(1), ' ');
    EXPECT_EQ(g_frames, 1);
    EXPECT_EQ(graphics_[6], 30 * 150);
}

TEST_F(PageRedrawTest, ItemsAreDrawnInTheirOwnColour) {
    add_item(with_colour({1, 1, 10, 4}, 1.0f));
    add_item(with_colour({1, 1, 10, 4}, 0.5f));
    add_item(with_colour({1, 1, 10, 4}, 990000.0f));
    add_item({1, 1, 10, 4});
    redraw_items();
    EXPECT_EQ(colour_of(1), 235 | 235 << 8 | 235 << 16);
    EXPECT_EQ(colour_of(2), 128 | 128 << 8 | 128 << 16);
    EXPECT_EQ(colour_of(3), 253);
    EXPECT_EQ(colour_of(4), 0);
    core::EditedItemNumber = 2;
    redraw_items();
    EXPECT_EQ(colour_of(4), 255);
}

TEST_F(PageRedrawTest, AStoredZeroCodeIsDrawnAsAClefAndStoredAsOne) {
    const int32_t s = add_item({0, 1, 10, 4});
    redraw_items();
    EXPECT_EQ(g_draws, 1);
    EXPECT_FLOAT_EQ(core::ItemStore(s + 1), 3.0f);
}

TEST_F(PageRedrawTest, PassingItemsAreRemovedByTheRedraw) {
    add_item({1, 1, 10, 4});
    add_item({19, 1, 15, 4, 5});
    add_item({1, 1, 20, 4});
    add_item({23, 1, 25});
    const int32_t used = core::ItemWordsUsed;
    redraw_items();
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(g_draws, 2);
    EXPECT_EQ(g_drawn_p3, (std::vector<float>{10, 20}));
    EXPECT_EQ(record(2), (std::vector<float>{1, 1, 20, 4}));
    EXPECT_EQ(core::ItemWordsUsed, used - 6 - 4);
    EXPECT_EQ(core::ItemOutputSpans.graphics(3), 13);
}

TEST_F(PageRedrawTest, APassingItemAtTheEndOfAFullStoreIsRemovedWithinTheStore) {
    std::vector<float> big(core::kItemStoreWords - 6, 0.0f);  // fills words 1..63995
    big[0] = 1;
    big[1] = 1;
    add_item(big);
    add_item({19, 1, 10, 4});  // words 63996..64000
    ASSERT_EQ(core::ItemWordsUsed, core::kItemStoreWords + 1);
    redraw_items();
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(core::ItemWordsUsed, core::kItemStoreWords - 4);
    EXPECT_FLOAT_EQ(core::ItemStore(core::kItemStoreWords - 3), 0.0f);
}

TEST_F(PageRedrawTest, ADrawersFaultStillLeavesTheTrueItemCount) {
    add_item({1, 1, 10, 4});
    add_item({4, 1, 10, 4});
    add_item({1, 1, 20, 4});
    register_item_drawer(4, fault);
    EXPECT_THROW(redraw_items(), core::EngineDefect);
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(graphics_length_, 6);
}

TEST_F(PageRedrawTest, APageThatFillsTheScreenListIsReportedOnce) {
    register_item_drawer(5, draw_many_points);
    for (int k = 0; k < 4; ++k) add_item({5, 1, 10, 4});
    redraw_items();
    EXPECT_EQ(graphics_length_, core::kGraphicsListWords - 1);  // what fits stays
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0],
              "**** This page draws more than the screen can hold: its last items are not shown.");
    redraw_items();  // still too much: not said again
    EXPECT_EQ(fe_.message_boxes.size(), 1u);
    core::delete_item(4);
    redraw_items();  // fits again
    redraw_items();
    EXPECT_EQ(fe_.message_boxes.size(), 1u);
    add_item({5, 1, 10, 4});
    redraw_items();  // too much once more: said again
    EXPECT_EQ(fe_.message_boxes.size(), 2u);
}

TEST_F(PageRedrawTest, InACommandFileOnlyTheIndexIsRebuilt) {
    add_item({1, 1, 10, 4});
    core::ItemCount = 5;
    core::MacroUnit = 5;
    redraw_items();
    EXPECT_EQ(g_draws, 0);
    EXPECT_EQ(core::ItemCount, 1);
    core::CommandStateWord = 3;
    redraw_items();
    EXPECT_EQ(g_draws, 1);
}

TEST_F(PageRedrawTest, StavesAreDrawnByTheLayoutsStaffStep) {
    register_item_drawer(8, layout::draw_staff_item);
    add_item({8, 3, 0, 0});
    add_item({1, 3, 10, 4});
    redraw_items();
    EXPECT_EQ(core::ItemOutputSpans.graphics(2), 1 + 5 * 6);  // five lines of two points
    EXPECT_EQ(graphics_[static_cast<std::size_t>(core::ItemOutputSpans.graphics(2))],
              layout::StaffTables.StaffBaseY(3) + 4 * 7 * 25 - ViewOrigin.y);
}

TEST_F(PageRedrawTest, ThePostScriptPassHandsPathsAndGreysToTheWriter) {
    RenderHooks.write_ps_gray_level = ps_grey;
    RenderHooks.flush_path_points = ps_flush;
    RenderHooks.draw_attached_item = ps_attached;
    RenderHooks.write_ps_line = ps_line;
    add_item(with_colour({1, 1, 10, 4}, -1.0f));  // not printed
    add_item(with_colour({1, 1, 20, 4}, 0.5f));
    add_item(with_colour({1, 1, 30, 4, 0, 21}, 0.5f));  // shape note with a letter
    add_item({1, 1, 40, 4});
    OutputPassWord = -1;
    redraw_items();
    EXPECT_EQ(g_drawn_p3, (std::vector<float>{20, 30, 40}));
    EXPECT_EQ(g_ps,
              (std::vector<std::string>{"grey 0.500000", "flush 2", "flush 2", "grey 1.000000",
                                        "letter 1.000000", " r", "flush 2"}));
    EXPECT_EQ(GreyState.groups, 2);
    EXPECT_EQ(graphics_length_, 0);
    EXPECT_EQ(core::ItemOutputSpans.text(2), 1);

    // The screen still shows the item that is not printed.
    OutputPassWord = 1;
    redraw_items();
    EXPECT_EQ(g_drawn_p3.size(), 7u);
}

TEST_F(PageRedrawTest, ATextItemIsGreyedByItsP16InThePostScriptPass) {
    RenderHooks.write_ps_gray_level = ps_grey;
    RenderHooks.write_ps_line = ps_line;
    add_item({16, 1, 10, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, 0, 0.3f, 0, 0});
    add_item({1, 1, 20, 4});
    OutputPassWord = -1;
    redraw_items();
    // The grey matches the item's own, so no group is closed after it.
    EXPECT_EQ(g_ps, (std::vector<std::string>{"grey 0.300000"}));
    EXPECT_FLOAT_EQ(GreyState.current, 0.0f);
}

TEST_F(PageRedrawTest, ThePreviewOfTheEditedItemIsRedWithItsMarker) {
    layout::StaffTables.StaffBaseY(1) = -24525;
    add_item({1, 1, 10, 4});
    add_item({1, 1, 20, 6});
    redraw_items();
    core::EditedItemNumber = 2;
    redraw_edited_item();
    EXPECT_EQ(PreviewStart.graphics, 13);
    EXPECT_EQ(PreviewStart.text, 0);
    EXPECT_FLOAT_EQ(core::EditItemParams(4), 6.0f);
    EXPECT_EQ(core::ItemOutputSpans.graphics(4), 19);
    EXPECT_EQ(core::GraphicsNextFree, 19);
    ASSERT_EQ(graphics_length_, 18 + 12);
    const auto e = decode_graphics_list();
    EXPECT_EQ(e[4].colour, 255);
    EXPECT_EQ(e[4].x, 3000);
    // The triangle: apex 400 below the item's line, base 900 below.
    const int32_t y = -24525 + 6 * 7 * 25;
    EXPECT_EQ(e[6].op, 2);
    EXPECT_EQ(e[6].x, 3000);
    EXPECT_EQ(e[6].y, y - 400);
    EXPECT_EQ(e[7].x, 3200);
    EXPECT_EQ(e[8].y, y - 900);
    EXPECT_EQ(e[9].op, 0);

    // A second preview replaces the first.
    core::ParamBuffer(3) = 25.0f;
    AfterKeywordFlag = 1;
    redraw_edited_item();
    EXPECT_EQ(core::GraphicsNextFree, 19);
    EXPECT_EQ(decode_graphics_list()[4].x, 3750);
}

TEST_F(PageRedrawTest, TheEditGuideIsDashedUpTheWholePage) {
    layout::StaffTables.StaffBaseY(1) = 15000;
    add_item({1, 1, 10, 4});
    redraw_items();
    core::EditedItemNumber = 1;
    EditGuideMode = 2;
    EditGuideColumn = 30.0f;
    redraw_edited_item();
    const auto e = decode_graphics_list();
    // The item, its preview, the marker and five dashes of two entries.
    ASSERT_EQ(e.size(), 2u + 2u + 4u + 10u);
    EXPECT_EQ(e[8].x, 4500);
    EXPECT_EQ(e[8].op, 1);
    EXPECT_EQ(e[8].y, 15000);
    EXPECT_EQ(e[9].y, 15300);
    EXPECT_EQ(e[17].y, 15000 + 4 * 600 + 300);
    EXPECT_EQ(graphics_length_, 18 * 3);
    EXPECT_EQ(core::GraphicsNextFree, 13);
}

TEST_F(PageRedrawTest, AppendedRecordsBecomeTheLastItem) {
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(1) = 1;
    core::ParamBuffer(2) = 1;
    int32_t n = 2;
    ASSERT_TRUE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(n, 3);
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(record(1), (std::vector<float>{1, 1, 0}));

    // A text item: its header, then its characters four to a word.
    EditTextBuffer.set("Allegro");
    std::vector<float> text(16, 0.0f);
    text[0] = 16;
    text[1] = 1;
    text[11] = 7;  // characters
    text[13] = -1;
    set_params(text);
    n = 3;
    ASSERT_TRUE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(n, 18);
    EXPECT_EQ(core::ItemCount, 2);
    const int32_t s = core::ItemStartTable(2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(core::ItemStore.at(s + 17)), 7), "Allegro");
    EXPECT_EQ(core::ItemStartTable(3), core::ItemWordsUsed);

    // While an item is edited the record is a scratch copy behind the items.
    core::EditedItemNumber = 1;
    n = 4;
    set_params({4, 1, 10, 4});
    ASSERT_TRUE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::ItemStartTable(4), core::ItemWordsUsed);
}

TEST_F(PageRedrawTest, AppendingAtTheItemLimitIsRefusedAndTheStoreKept) {
    for (int i = 0; i < 5; ++i) add_item({1, 1, static_cast<float>(i), 4});
    ItemCountLimit = 5;
    const int32_t used = core::ItemWordsUsed;
    const std::vector<float> last = record(5);
    set_params({1, 1, 99, 4});
    int32_t n = 4;
    EXPECT_FALSE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemCount, 5);
    EXPECT_EQ(core::ItemWordsUsed, used);
    EXPECT_EQ(record(5), last);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "**** Item limit reached (5 items): the item was not added.");
}

TEST_F(PageRedrawTest, AppendingARecordThatDoesNotFitIsRefused) {
    std::vector<float> big(core::kItemStoreWords - 5, 0.0f);
    big[0] = 1;
    add_item(big);  // words 1..63996
    set_params({1, 1, 10, 4});
    int32_t n = 4;
    EXPECT_FALSE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(core::ItemWordsUsed, core::kItemStoreWords - 3);
    EXPECT_EQ(fe_.message_boxes.back(), "**** The page is full: the item was not added.");
    n = 3;  // the last four words take exactly a three-P record
    EXPECT_TRUE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemWordsUsed, core::kItemStoreWords + 1);
}

}  // namespace
