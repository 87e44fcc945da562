// The page redraw, the edited item's preview and append_item, driven through the store: spans,
// colours, passing items, the PostScript pass's hooks and the refusals of append_item.
#include "engine/render/page/page_redraw.h"

#include <algorithm>
#include <fstream>

#include "engine/core/files/file_units.h"
#include "engine/core/store/item_store.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/text/text_items.h"
#include "tests/render/render_fixture.h"
#include "tests/render/text_fixture.h"
#include "tests/support/temp_folder.h"

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
// P5 points (P5 x 3 words of the graphics list), in segments of two.
void draw_p5_points() {
    const int32_t points = core::int_of(core::ParamBuffer(5));
    for (int32_t i = 0; i < points / 2; ++i) add_path_segment(0.0f, 10.0f * i, 100.0f, 10.0f * i);
}
// A text record header written where the text stream has no room left for it.
void write_text_past_the_stream() {
    core::OutputBufferViews.text.length() = core::kTextStreamBytes - 8;
    TextRecordCursor cursor;
    write_text_record_header(cursor, 0);
}
constexpr const char* kListFullNotice =
    "**** This page draws more than the screen can hold: its last items are not shown.";

// What the PostScript pass asked of the PostScript writer, in order. Like the writer, the
// stand-in also puts each step on unit 24 when it is open, so that the steps and the text the
// text drawer writes there keep their order.
std::vector<std::string> g_ps;
void ps_step(const std::string& step) {
    g_ps.push_back(step);
    if (core::unit_is_open(24)) core::write_record(24, step);
}
void ps_grey(int32_t& groups) {
    ++groups;
    ps_step("grey " + std::to_string(GreyState.current));
}
void ps_flush() {
    ps_step("flush " + std::to_string(PathPointList.count - 1));
    PathPointList.count = 1;
}
void ps_line(std::string_view line) { ps_step(std::string(line)); }
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

// The graphics list filled to its last word is no loss: nothing is said. One entry more is
// left out, and the message line says so once (never a message box, which would stop the
// redraw for an answer), and again only after the page has fitted in between.
TEST_F(PageRedrawTest, APageThatOverflowsTheScreenListIsReportedOnceOnTheMessageLine) {
    register_item_drawer(5, draw_p5_points);
    const float most = static_cast<float>(kPathPoints);
    for (int k = 0; k < 3; ++k) add_item({5, 1, 10, 4, most});
    redraw_items();
    const int32_t free_words = core::kGraphicsListWords - graphics_length_;
    ASSERT_GT(free_words, 0);
    ASSERT_EQ(free_words % 6, 0);  // whole segments of two entries
    // Items of the most points an item draws, then one for exactly the rest of the list.
    int32_t rest = free_words / 3;
    while (rest > kPathPoints) {
        add_item({5, 1, 10, 4, most});
        rest -= kPathPoints;
    }
    add_item({5, 1, 10, 4, static_cast<float>(rest)});
    redraw_items();
    EXPECT_EQ(graphics_length_, core::kGraphicsListWords);
    EXPECT_EQ(ScreenListOverflow, 0);
    EXPECT_TRUE(fe_.prompts.empty());

    add_item({5, 1, 10, 4, 2});  // one segment more
    const int32_t items = core::ItemCount;
    redraw_items();
    EXPECT_EQ(graphics_length_, core::kGraphicsListWords);  // what fits stays
    EXPECT_EQ(core::ItemOutputSpans.graphics(items + 1), core::kGraphicsListWords + 1);
    EXPECT_EQ(ScreenListOverflow, 1);
    EXPECT_TRUE(fe_.message_boxes.empty());
    ASSERT_EQ(fe_.prompts, std::vector<std::string>{kListFullNotice});
    redraw_items();  // still too much: not said again
    EXPECT_EQ(fe_.prompts.size(), 1u);
    core::delete_item(items);
    redraw_items();  // fits again
    redraw_items();
    EXPECT_EQ(fe_.prompts.size(), 1u);
    EXPECT_EQ(ScreenListOverflow, 0);
    add_item({5, 1, 10, 4, 2});
    redraw_items();  // too much once more: said again
    EXPECT_EQ(fe_.prompts.size(), 2u);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

// A text record that finds no room in the text stream is a loss on screen as well.
TEST_F(PageRedrawTest, ATextStreamWithoutRoomIsReportedOnTheMessageLine) {
    register_item_drawer(1, count_and_draw);
    register_item_drawer(16, write_text_past_the_stream);
    add_item({1, 1, 10, 4});
    redraw_items();
    EXPECT_TRUE(fe_.prompts.empty());
    add_item({16, 1, 10, 4, 0, 1, 1, 0, 0, 0, 0, 0, 0});
    redraw_items();
    EXPECT_EQ(text_length_, core::kTextStreamBytes - 8);  // nothing written past the end
    EXPECT_EQ(fe_.prompts, std::vector<std::string>{kListFullNotice});
    EXPECT_TRUE(fe_.message_boxes.empty());
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
    // The shape note's letter is PostScript text: the build's fonts and prolog, and unit 24.
    if (!use_build_fonts() || !use_build_glyphs()) GTEST_SKIP() << "no data folder";
    const TempFolder temp{"page_redraw_ps"};
    const auto ps_file = temp.root() / "out.ps";
    ASSERT_TRUE(
        core::open_unit(24, ps_file.string(), core::UnitStatus::Unknown, core::UnitForm::Text));
    begin_postscript_fonts();
    RenderHooks.write_ps_gray_level = ps_grey;
    RenderHooks.flush_path_points = ps_flush;
    RenderHooks.write_ps_line = ps_line;
    add_item(with_colour({1, 1, 10, 4}, -1.0f));  // not printed
    add_item(with_colour({1, 1, 20, 4}, 0.5f));
    add_item(with_colour({1, 1, 30, 4, 0, 21}, 0.5f));  // shape note with a letter
    add_item({1, 1, 40, 4});
    OutputPassWord = -1;
    redraw_items();
    EXPECT_EQ(g_drawn_p3, (std::vector<float>{20, 30, 40}));
    // Each grey item's group closes after it, so the black note after them prints black.
    EXPECT_EQ(g_ps, (std::vector<std::string>{"grey 0.500000", "flush 2", " r", "grey 0.500000",
                                              "flush 2", "grey 1.000000", " r", " r",
                                              "flush 2"}));
    // The letter of the shape note ("A" at size 1, the note's P15 being 0) is drawn after its
    // head, inside the white group, which closes before the note's own grey group.
    core::close_unit(24);
    std::vector<std::string> written;
    std::ifstream in(ps_file);
    const std::string size = core::format_real("(F10.3)", 25.0f * 0.45f * 0.25f * 110.206f);
    bool sized = false;
    for (std::string line; std::getline(in, line);) {
        if (line.find("[" + size + " 0 0" + size + " 0 0] mkf sf") != std::string::npos) {
            sized = true;
        }
        const bool step = std::find(g_ps.begin(), g_ps.end(), line) != g_ps.end();
        if (step || line.find(") show") != std::string::npos) written.push_back(line);
    }
    ASSERT_EQ(written.size(), 10u);
    EXPECT_EQ(written[5], "grey 1.000000");
    EXPECT_NE(written[6].find("(A) show"), std::string::npos) << written[6];
    EXPECT_EQ(written[7], " r");
    EXPECT_EQ(written[8], " r");
    EXPECT_TRUE(sized);  // 0.45 of the size 1
    EXPECT_EQ(GreyState.groups, 3);
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
    // The text's grey group closes after it: the note after it is black.
    EXPECT_EQ(g_ps, (std::vector<std::string>{"grey 0.300000", " r"}));
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
    EXPECT_EQ(core::LastItemNumber, 1);
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
    EXPECT_EQ(core::LastItemNumber, 2);
    const int32_t s = core::ItemStartTable(2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(core::ItemStore.at(s + 17)), 7), "Allegro");
    EXPECT_EQ(core::ItemStartTable(3), core::ItemWordsUsed);

    // While an item is edited the record is a scratch copy behind the items.
    core::EditedItemNumber = 1;
    n = 4;
    set_params({4, 1, 10, 4});
    ASSERT_TRUE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::LastItemNumber, 2);  // the preview copy is no new item
    EXPECT_EQ(core::ItemStartTable(4), core::ItemWordsUsed);
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
    EXPECT_EQ(core::LastItemNumber, 0);  // a refused item is not the last entered
    n = 3;  // the last four words take exactly a three-P record
    EXPECT_TRUE(append_item(n, core::ParamBuffer));
    EXPECT_EQ(core::ItemWordsUsed, core::kItemStoreWords + 1);
}

// A store filled with the longest text items writes the most text records a store can: every
// item's characters reach the text stream, each item in one whole record.
class FullStoreTextTest : public TextTest {};

TEST_F(FullStoreTextTest, AStoreFullOfTheLongestTextItemsFitsTheTextStream) {
    constexpr int32_t kChars = 500;  // with the font change first, as many codes as a line takes
    std::string chars;
    for (int32_t k = 0; k < kChars; ++k) chars.push_back(static_cast<char>('a' + k % 26));
    const int32_t record_words = 1 + 13 + kChars / 4;
    while (core::ItemWordsUsed - 1 + record_words <= core::kItemStoreWords)
        add_text_item({16, 1, 10, 2, 0, 1}, chars);
    ASSERT_GT(core::ItemCount, 400);
    render::redraw_items();
    EXPECT_EQ(render::ScreenListOverflow, 0);
    EXPECT_TRUE(fe_.prompts.empty());
    EXPECT_EQ(text_length_, core::ItemOutputSpans.text(core::ItemCount + 1) - 1);
    const auto shown = records();
    ASSERT_EQ(static_cast<int32_t>(shown.size()), core::ItemCount);
    for (const ShownRecord& r : shown) ASSERT_EQ(r.text(), chars);
    std::cout << core::ItemCount << " text items of " << kChars << " characters: " << text_length_
              << " bytes\n";
}

}  // namespace
