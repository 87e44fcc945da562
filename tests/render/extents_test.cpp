// Extents of the page: which items each mode counts, items measured from their text records,
// the extra room of framed guitar grids, the whole-list extent and the "WW" report.
#include "engine/render/page/extents.h"

#include <cstring>

#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/render/render_fixture.h"

using namespace render;

namespace {

// Draws a short diagonal from the item's origin: (x, y) to (x + 100, y + 100).
void draw_diagonal() {
    add_path_point(ItemDrawOrigin.x, ItemDrawOrigin.y, 1);
    add_path_point(ItemDrawOrigin.x + 100.0f, ItemDrawOrigin.y + 100.0f, 0);
}

struct Extent {
    int32_t y_high, y_low, x_low, x_high;
    bool operator==(const Extent&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Extent& e) {
    return o << "(" << e.y_high << ", " << e.y_low << ", " << e.x_low << ", " << e.x_high << ")";
}

Extent measure(int32_t mode) {
    Extent e{1, 1, 1, 1};
    measure_items_extent(mode, e.y_high, e.y_low, e.x_low, e.x_high);
    return e;
}

class ExtentsTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        for (int32_t c : {1, 8, 9, 14}) register_item_drawer(c, draw_diagonal);
    }

    static void clear_items() {
        core::ItemCount = 0;
        core::ItemWordsUsed = 1;
    }

    // Output written by hand for mode 1, which measures the lists as they are: item k gets the
    // given entries and text bytes, spans follow one another.
    void give_output(int32_t k, const std::vector<std::pair<int32_t, int32_t>>& points,
                     const std::vector<uint8_t>& text = {}) {
        auto& spans = core::ItemOutputSpans;
        if (k == 1) {
            spans.graphics(1) = 1;
            spans.text(1) = 1;
        }
        int32_t g = spans.graphics(k);
        for (const auto& [x, y] : points) {
            graphics_[g - 1] = x;
            graphics_[g] = y;
            graphics_[g + 1] = 0;
            g += 3;
        }
        spans.graphics(k + 1) = g;
        graphics_length_ = g - 1;
        int32_t t = spans.text(k);
        for (uint8_t b : text) text_[t++ - 1] = b;
        spans.text(k + 1) = t;
        text_length_ = t - 1;
    }
};

// One text record with the given characters; the measuring reads only their positions.
struct Chars {
    std::vector<uint8_t> bytes;
    template <class Word>  // int32_t or float
    void put(Word v) {
        uint8_t b[4];
        std::memcpy(b, &v, 4);
        bytes.insert(bytes.end(), b, b + 4);
    }
    Chars(const std::vector<std::pair<int32_t, int32_t>>& at, float height = 1.0f,
          float width = 1.0f) {
        for (char c : std::string("Nimbus Roman")) bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(0);
        put(height);
        put(width);
        for (int32_t v : {0, 0, 400, 0, 0}) put(v);
        put(static_cast<int32_t>(at.size()));
        for (const auto& [x, y] : at) {
            put(x);
            put(y);
            bytes.push_back('A');
            bytes.push_back(0);
        }
    }
};

TEST_F(ExtentsTest, EmptyPage) {
    const Extent none{-555555, 555555, 555555, -555555};
    EXPECT_EQ(measure(kMeasureAll), none);
    EXPECT_EQ(measure(1), none);
    EXPECT_EQ(measure(kMeasureStaves), none);
}

TEST_F(ExtentsTest, ModesChooseTheItems) {
    add_item({8, 1, 10, 2});                        // staff: x 1500..1600, y 350..450
    add_item({14, 1, 80, -20});                     // bar line: x 12000..12100, y -3500..-3400
    add_item({1, 1, 30, -4});                       // note: x 4500..4600, y -700..-600
    add_item({8, 2, 50, 30, 0, 0, -1});             // hidden staff
    add_item({9, 1, 60, 90, 1, 0, 0, 0, 0, 0, 1});  // symbol with P11 set
    add_item({1, 201, 0, 0});                       // second page: x 34050..34150
    EXPECT_EQ(measure(kMeasureStaves), (Extent{450, 350, 1500, 1600}));
    EXPECT_EQ(measure(kMeasureAll), (Extent{450, -700, 1500, 34150}));
    EXPECT_EQ(measure(2), (Extent{450, -3500, 1500, 34150}));
    EXPECT_EQ(measure(-1), (Extent{450, -700, 1500, 4600}));
    EXPECT_EQ(measure(-2), (Extent{100, 0, 34050, 34150}));
    // Mode 1 measures what the last redraw left, by the filters of mode 1.
    EXPECT_EQ(measure(1), (Extent{450, -700, 1500, 34150}));
}

TEST_F(ExtentsTest, RedrawForMeasuringLeavesThePaperFrameOut) {
    static int32_t format_seen = -1;
    RenderHooks.draw_page_frame = [] { format_seen = PageFormatIndex; };
    PageFormatIndex = 4;
    add_item({1, 1, 10, 0});
    measure(kMeasureAll);
    EXPECT_EQ(format_seen, 0);
    EXPECT_EQ(PageFormatIndex, 4);
}

TEST_F(ExtentsTest, TextItemsAreMeasuredFromTheirCharacters) {
    // Text: width 2 (P6), height 0 = width; W = 1040, H = 1354.5, lowered by d = 200. The
    // character at (0, 0) ends the item: the one after it is not measured.
    add_item({16, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 3, 0, 0});
    give_output(1, {{-50000, -50000}},
                Chars({{1000, 5000}, {2000, 5100}, {0, 0}, {90000, 90000}}).bytes);
    EXPECT_EQ(measure(1), (Extent{6254, 4800, 1000, 3040}));

    // Number with P6 = 103 (size 3 after the hundreds), staff of size 2: s = 2.
    clear_items();
    layout::StaffTables.StaffScale(4) = 50.0f;
    add_item({10, 4, 0, 0, 12, 103});
    give_output(1, {}, Chars({{100, 100}}).bytes);
    // W = 3 x 2 x 520; H = 3.15 x 630 x 2 = 3969; d = ((3969 - 94.5) / 630 - 1) x 200 = 1030.
    EXPECT_EQ(measure(1), (Extent{100 - 1030 + 3969, 100 - 1030, 100, 100 + 3120}));

    // A number of style 1094 and a text beginning "_99" are measured from their entries; a
    // character far off the page ends the item.
    clear_items();
    add_item({10, 1, 0, 0, 12, 1, 1094});
    give_output(1, {{7, 8}}, Chars({{100, 100}}).bytes);
    float chars;
    const char escape[4] = {'_', '9', '9', 'x'};
    std::memcpy(&chars, escape, 4);
    add_item({16, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 4, 0, chars});
    give_output(2, {{9, 10}}, Chars({{500, 500}}).bytes);
    add_item({16, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0});
    give_output(3, {}, Chars({{-(1 << 29) - 1, 20}, {30, 40}}).bytes);
    EXPECT_EQ(measure(1), (Extent{10, 8, 7, 9}));
}

// The upper staves of the left page lie above 555555 units and a text's characters there or on
// the right page far past x 100000: their ink is measured whole, and a character counts up to
// 2^29 units away.
TEST_F(ExtentsTest, InkFarUpThePageIsMeasuredWhole) {
    // A staff's lines alone, every entry above 555555: the low edge is theirs.
    add_item({8, 199, 0, 0});
    give_output(1, {{2400, 602000}, {32400, 616100}});
    EXPECT_EQ(measure(1), (Extent{616100, 602000, 2400, 32400}));

    // Text of width and height 1: W = 520, H = 724.5, d = 0; the edges
    // are whole units, cut toward zero.
    clear_items();
    add_item({16, 199, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0});
    give_output(1, {}, Chars({{140000, 620000}}).bytes);
    EXPECT_EQ(measure(1), (Extent{620724, 620000, 140000, 140520}));

    // At the reach itself a character counts; one unit past it ends its item.
    clear_items();
    add_item({16, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0});
    give_output(1, {}, Chars({{-(1 << 29), 100}}).bytes);
    add_item({16, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0});
    give_output(2, {}, Chars({{100, (1 << 29) + 1}, {30, 40}}).bytes);
    // x + W as the measurer adds it, in single precision.
    const auto right = static_cast<int32_t>(static_cast<float>(-(1 << 29)) + 520.0f);
    EXPECT_EQ(measure(1), (Extent{824, 100, -(1 << 29), right}));
}

TEST_F(ExtentsTest, OrnamentsAndSymbolsDrawnAsText) {
    // Ornament 155 with size 2; symbol 65 with P6 1.5 and P7 0 (height = width); symbol 20 is
    // measured from its entries.
    add_item({7, 1, 0, 0, 2, 0, 155});
    give_output(1, {}, Chars({{0, 10}}).bytes);
    add_item({9, 1, 0, 0, 65, 1.5f, 0});
    give_output(2, {}, Chars({{5000, 10}}).bytes);
    add_item({9, 1, 0, 0, 20});
    give_output(3, {{-100, -100}}, Chars({{70000, 70000}}).bytes);
    // Ornament: W = 1040, H = 1354.5, d = 200 -> y -190 .. 1164; symbol: W = 780, H = 1039.5,
    // d = ((1039.5 - 94.5) / 630 - 1) x 200 = 100 -> y -90 .. 949.
    EXPECT_EQ(measure(1), (Extent{1164, -190, -100, 5780}));
}

TEST_F(ExtentsTest, FramedGuitarGridGetsRoomAboveAndBelow) {
    // P5 < 0, P7 = 20: lowered by 450 x s and raised by 800 x s, s = INT(P6 x 25 / 25) = 2.
    add_item({12, 1, 0, 0, -1, 2, 20});
    give_output(1, {{1000, 0}, {2000, 500}});
    EXPECT_EQ(measure(1), (Extent{2100, -900, 1000, 2000}));
    // P7 = 15: only lowered; P16 scales by 0.9 x P16.
    clear_items();
    std::vector<float> grid{12, 1, 0, 0, -1, 2, 15};
    grid.resize(16, 0.0f);
    grid[15] = 2.5f;  // f = 2.25, s = INT(2.25 x 2) = 4
    add_item(grid);
    give_output(1, {{1000, 0}, {2000, 500}});
    EXPECT_EQ(measure(1), (Extent{500, -1800, 1000, 2000}));
}

TEST_F(ExtentsTest, DrawingExtentCoversEntriesAndText) {
    float yh, yl, xl, xh;
    ViewOrigin.y = 1000;
    measure_drawing_extent(yh, yl, xl, xh);
    EXPECT_EQ(yh, -99999.0f + 1000);
    EXPECT_EQ(yl, 99999.0f + 1000);
    EXPECT_EQ(xl, 99999.0f);
    EXPECT_EQ(xh, -99999.0f);

    add_item({1, 1, 0, 0});
    give_output(1, {{10, 20}, {-30, 400}}, Chars({{100, 50}}, 2.0f, 3.0f).bytes);
    measure_drawing_extent(yh, yl, xl, xh);
    EXPECT_FLOAT_EQ(xl, -30.0f);
    EXPECT_FLOAT_EQ(xh, 100.0f + 3.0f * 38.34f);
    EXPECT_FLOAT_EQ(yl, 20.0f + 1000.0f);
    EXPECT_FLOAT_EQ(yh, 400.0f + 1000.0f);
    // A record cut short by the stream's end is read no further.
    text_length_ -= 3;
    measure_drawing_extent(yh, yl, xl, xh);
    EXPECT_FLOAT_EQ(xh, 10.0f);
}

TEST_F(ExtentsTest, ReportAndShowItem) {
    register_item_drawer(8, layout::draw_staff_item);
    add_item({8, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    add_item({8, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    fe_.view.limit_x = 20000;
    fe_.view.limit_y = -30000;
    core::ParamBuffer(2) = 2.0f;
    core::EditedItemNumber = 0;
    report_extent_and_show_item();
    // Staff 1's bottom line to staff 2's top line, less the view origin's y.
    EXPECT_EQ(core::MessageLine.sub(1, 27), " -4450  -9000      0  30000");
    EXPECT_EQ(core::EditedItemNumber, 0);
    ASSERT_FALSE(fe_.services.empty());
    EXPECT_EQ(fe_.view.scroll_sizes[0], 0);
    // The drawing extent, with the view origin's y (-15000) added back.
    EXPECT_EQ(fe_.view.scroll_sizes[1], -19450 + 24000 + 3000);
    EXPECT_EQ(fe_.view.scroll_sizes[2], fe_.view.client_width);
    EXPECT_EQ(fe_.services.back().tag[1], 'p');

    // An item number that is not on the page: the report only.
    const std::size_t requests = fe_.services.size();
    core::ParamBuffer(2) = 9.0f;
    report_extent_and_show_item();
    EXPECT_EQ(fe_.services.size(), requests);
    EXPECT_EQ(core::MessageLine.sub(1, 6), " -4450");
}

}  // namespace
