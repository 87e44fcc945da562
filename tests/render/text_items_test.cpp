// Text items on screen: the records of TextDisplayStream (read back by the fixture's own reader),
// their fonts, sizes, angle and colour, the layout of the characters, the bounds of the stream,
// the preview of the edited item and the texts other drawers hand over.
#include <string>

#include "engine/commands/interpreter/interpreter.h"
#include "engine/render/page/page_redraw.h"
#include "tests/render/text_fixture.h"

namespace {

constexpr float kFactor = 3.2833f;  // width unit at size 1, staff scale 25

}  // namespace

class TextItemTest : public TextTest {};

TEST_F(TextItemTest, AStoredItemShowsItsCharactersInOneRecord) {
    render::ViewOrigin = {100, 50};
    add_text_item({16, 1, 10, 2, 0, 1}, "A<<e");
    draw_stored(1);
    const auto shown = records();
    ASSERT_EQ(shown.size(), 1u);
    const ShownRecord& r = shown[0];
    EXPECT_EQ(r.face, "Nimbus Roman");
    EXPECT_FLOAT_EQ(r.height, 25.0f * 0.25f * 1.937f);
    EXPECT_FLOAT_EQ(r.width, 25.0f * 0.25f * 1.937f);
    EXPECT_EQ(r.angle, 0);
    EXPECT_EQ(r.colour, 0u);
    EXPECT_EQ(r.weight, 400);
    EXPECT_EQ(r.italic, 0);
    EXPECT_EQ(r.underline, 0);
    EXPECT_EQ(r.text(), "A\xE9");  // "Aé" in Windows-1252
    ASSERT_EQ(r.chars.size(), 2u);
    const float wa = metric_widths(0)[10] * kFactor;
    EXPECT_EQ(r.chars[0].x, 100 + 1500);
    EXPECT_EQ(r.chars[0].y, 2 * 7 * 25 - 50 - 100);
    EXPECT_EQ(r.chars[1].x, 100 + core::nint(1500.0f + wa * 150.0f));
    // The stored count and width are written back; the next item's text starts behind it.
    const int32_t s = core::ItemStartTable(1);
    EXPECT_EQ(core::ItemStore(s + 12), 4.0f);
    EXPECT_NEAR(core::ItemStore(s + 13), wa + metric_widths(0)[44] * kFactor, 1e-4f);
    EXPECT_EQ(core::ItemOutputSpans.text(2), text_length_ + 1);
}

TEST_F(TextItemTest, AMoveEscapePlacesTheNextCharacterFromThePageEdge) {
    add_text_item({16, 1, 10, 0}, "_00~3.5~X");
    draw_stored(1);
    const auto shown = records();
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(shown[0].chars.size(), 1u);
    EXPECT_EQ(shown[0].chars[0].text, "X");
    EXPECT_EQ(shown[0].chars[0].x, 525);
}

TEST_F(TextItemTest, EachFontRunIsARecordOfItsOwn) {
    add_text_item({16, 1, 10, 0}, "AB_01CD_01E_07F");
    add_text_item({16, 1, 10, 0}, "_00AB_00C");
    draw_stored(1);
    auto shown = records();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text(), "AB");
    EXPECT_EQ(shown[0].weight, 400);
    EXPECT_EQ(shown[1].text(), "CDE");  // the second switch to font 1 starts no record
    EXPECT_EQ(shown[1].weight, 700);
    EXPECT_EQ(shown[2].face, "Nimbus Sans");
    EXPECT_EQ(shown[2].italic, -1);
    text_length_ = 0;
    draw_stored(2);
    shown = records();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "ABC");
}

TEST_F(TextItemTest, RotationTurnsThePositionsAndSetsTheAngle) {
    add_text_item({16, 1, 10, 0, 0, 1, 0, 0, 90}, "_00AB");
    draw_stored(1);
    const auto shown = records();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].angle, 900);
    ASSERT_EQ(shown[0].chars.size(), 2u);
    const ShownChar& a = shown[0].chars[0];
    const ShownChar& b = shown[0].chars[1];
    EXPECT_EQ(a.x, 1500);
    EXPECT_NEAR(b.x, 1500, 1);  // turned clockwise, as printed: the line goes down the page
    EXPECT_NEAR(a.y - b.y, core::nint(metric_widths(0)[10] * kFactor * 150.0f), 1);
}

TEST_F(TextItemTest, ColoursOfTheRecords) {
    add_text_item({16, 1, 10, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, -1.0f, 0, 0.5f}, "_00A");
    add_text_item({16, 1, 10, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, -1.0f, 0, 990012.0f}, "_00A");
    add_text_item({16, 1, 10, 0}, "__00A");
    draw_stored(1);
    draw_stored(2);
    draw_stored(3);
    const auto shown = records();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].colour, 128u | 128u << 8 | 128u << 16);  // grey 0.5: each byte 128
    EXPECT_EQ(shown[1].colour, 253u | 0u << 8 | 30u << 16);     // 99 00 12 x 2.56
    EXPECT_EQ(shown[2].colour, 255000u);                        // outline fonts show green
    // While an item is edited everything is drawn red, and the outline font too.
    text_length_ = 0;
    core::EditedItemNumber = 3;
    draw_stored(3);
    EXPECT_EQ(records().at(0).colour, 255u);

    // Each pair of P16 lands in its own channel.
    core::EditedItemNumber = 0;
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(14) = -1.0f;
    for (auto [p16, rgb] : {std::pair{990000.0f, 253},
                            {9900.0f, 253 << 8},
                            {99.0f, 253 << 16},
                            {10203.0f, 2 | 5 << 8 | 7 << 16},
                            {0.0f, 0}}) {
        core::ParamBuffer(16) = p16;
        EXPECT_EQ(render::text_record_colour(0), rgb) << p16;
    }
}

TEST_F(TextItemTest, GlyphCodesAreDrawnAsSymbolsAndNotCounted) {
    add_text_item({16, 1, 10, 0}, "_00A?1B");
    draw_stored(1);
    const auto shown = records();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "AB");
    EXPECT_GT(render::PathPointList.count, 1);  // the flat (symbol 2160) as a path
}

TEST_F(TextItemTest, TheStreamIsNeverOverrunAndKeepsWholeRecords) {
    // Room for one header ("Nimbus Roman", 45 bytes) and one character (10 bytes) only.
    const int32_t start = core::kTextStreamBytes - 60;
    text_length_ = start;
    add_text_item({16, 1, 10, 0}, "_00ABCDEFGHIJ");
    draw_stored(1);
    EXPECT_LE(text_length_, core::kTextStreamBytes);
    auto shown = records(start);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "A");
    EXPECT_EQ(text_length_, start + 45 + 10);
    // No room for a header: nothing is written at all.
    const int32_t before = text_length_;
    draw_stored(1);
    EXPECT_EQ(text_length_, before);
    EXPECT_EQ(records(start).size(), 1u);
}

TEST_F(TextItemTest, TextLeftOfThePageIsNotDrawn) {
    add_text_item({16, 1, -141, 0}, "_00A");
    draw_stored(1);
    EXPECT_EQ(text_length_, 0);
    ASSERT_EQ(fe_.notices.size(), 1u);
    EXPECT_NE(fe_.notices[0].find("16"), std::string::npos);
    EXPECT_NE(fe_.notices[0].find("< -140"), std::string::npos);
}

TEST_F(TextItemTest, ThePreviewDrawsTheEditedItemsCopyBehindThePage) {
    add_text_item({16, 1, 10, 0}, "_00first");
    add_text_item({16, 1, 10, 5}, "_00second");
    render::redraw_items();
    ASSERT_EQ(records().size(), 2u);
    const int32_t page_end = core::ItemOutputSpans.text(3);
    EXPECT_EQ(page_end, text_length_ + 1);

    core::EditedItemNumber = 1;
    core::EditItemParams(1) = 16.0f;
    render::redraw_edited_item();
    auto shown = records();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].text(), "first");
    EXPECT_EQ(shown[2].colour, 255u);
    EXPECT_EQ(core::ItemOutputSpans.text(3), page_end);  // the page's own spans stay
    EXPECT_EQ(core::ItemOutputSpans.text(4), text_length_ + 1);
    // Drawing the preview again replaces it.
    render::redraw_edited_item();
    EXPECT_EQ(records().size(), 3u);
    // A page redraw while the item is edited draws every item's own characters.
    render::redraw_items();
    shown = records();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text(), "first");
    EXPECT_EQ(shown[1].text(), "second");
}

TEST_F(TextItemTest, TheMarginWordsLayTheEditedLineOut) {
    static int calls = 0;
    calls = 0;
    const auto saved = render::TextEditHooks;
    render::TextEditHooks.run_text_margin_command = [] {
        ++calls;
        render::TextCodeList.count = 2;
        render::TextCodeList.code(1) = 1000;
        render::TextCodeList.width(1) = 0.0f;
        render::TextCodeList.code(2) = 33;  // X
        render::TextCodeList.width(2) = 1.0f;
    };
    add_text_item({16, 1, 10, 0}, "_00abc");
    render::redraw_items();
    core::EditedItemNumber = 1;
    core::EditItemParams(1) = 16.0f;
    core::CommandModeLetters(1) = 'J';
    render::redraw_edited_item();
    render::TextEditHooks = saved;
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(records().back().text(), "X");
}

TEST_F(TextItemTest, OtherDrawersHandTheirTextOver) {
    // The word symbols, numbers and chord names hand over a text of their own: CommandLine is
    // left alone.
    core::CommandLine.set("pizz.  and more");
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(1) = 9.0f;
    core::ParamBuffer(2) = 1.0f;
    core::ParamBuffer(6) = 1.0f;
    core::ParamBuffer(8) = 1002.0f;
    core::IntParamBuffer(1) = 9;
    render::ItemDrawOrigin = {3000.0f, 0.0f};
    render::draw_text_line(core::CommandLine.view().substr(0, 5));
    render::draw_text_line("arco");
    const auto shown = records();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text(), "pizz.");
    EXPECT_EQ(shown[0].italic, -1);  // 1002: font 2, Times-Italic
    EXPECT_EQ(shown[1].text(), "arco");
    EXPECT_EQ(shown[1].chars[0].x, 3000);
    EXPECT_EQ(core::CommandLine.trimmed(), "pizz.  and more");
    EXPECT_EQ(core::ParamBuffer(8), 1002.0f);  // P5..P8 come back
    EXPECT_EQ(core::ParamBuffer(6), 1.0f);
}

TEST_F(TextItemTest, ATextItemTypedAsNumbersIsStoredAndDrawn) {
    // The text editor keeps the characters of the item it builds in EditTextBuffer, four to a
    // word; the typed line gives the parameters (P12 = 5 characters).
    render::EditTextBuffer.set("_00Hi");
    core::MessageLine.set("16 1 10 5 0 1 0 0 0 0 0 5");
    core::FrontEndCommandBuffer.blank();
    int32_t status = 0;
    core::run_command(graphics_.data(), graphics_length_, text_.data(), text_length_, status);
    ASSERT_EQ(core::ItemCount, 1);
    const int32_t s = core::ItemStartTable(1);
    EXPECT_EQ(core::ItemStore(s), 15.0f);  // 13 P's and two words of characters
    EXPECT_EQ(core::ItemStore(s + 12), 5.0f);
    const float width = (metric_widths(0)[17] + metric_widths(0)[48]) * 3.2833f;
    EXPECT_NEAR(core::ItemStore(s + 13), width, 1e-4f);  // written back by the drawing
    const auto shown = records();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "Hi");
    EXPECT_EQ(shown[0].chars[0].x, render::ViewOrigin.x + 1500);
    EXPECT_EQ(shown[0].chars[0].y,
              render::staff_base_y(1) + 5 * 7 * 25 - render::ViewOrigin.y - 100);
}
