// The item panel: its texts (shared with the console) and the widget the gate refreshes.
#include "frontend/bridge/item_panel.h"

#include "console/item_panel_text.h"
#include "engine/core/store/item_panel_record.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

core::ItemPanelRecordType record_with(float p1, int32_t edited, int32_t count) {
    core::ItemPanelRecordType r;
    r.params(1) = p1;
    r.edited_item = edited;
    r.item_count = count;
    return r;
}

}  // namespace

TEST(ItemPanelTextTest, NoCurrentItemShowsTheCountAndBlanks) {
    core::ItemPanelRecordType r = record_with(0.0f, 5, 17);
    r.params(3) = 12.5f;
    r.mode_text.set(std::string("Move All") + '\0' + "junk");
    r.item_text.set("Note");
    const ItemPanelText t = format_item_panel(r);
    EXPECT_FALSE(t.has_item);
    EXPECT_EQ(t.count, "0/17");
    EXPECT_EQ(t.mode_text, "Move All");  // up to its NUL
    EXPECT_EQ(t.item_text, "");
    EXPECT_EQ(t.step_text, " ");
    for (const std::string& v : t.values) EXPECT_EQ(v, " ");
    EXPECT_EQ(item_panel_line(t), "Item 0/17  Move All");
}

TEST(ItemPanelTextTest, ValuesUseTheirFormats) {
    // P(k), the value, the text; -99990 and below are "not given", but P1..P3 are formatted.
    struct Case {
        int32_t k;
        float value;
        const char* text;
    };
    const std::vector<std::vector<Case>> records = {
        {{1, 8.0f, " 8"},
         {2, 1.0f, "  1.0"},
         {3, 12.5f, "  12.500"},
         {4, -99990.0f, " "},
         {5, -99989.0f, "-99989.000"},
         {6, -123456.0f, " "},
         {20, 2.25f, "   2.250"}},
        {{1, -99999.0f, "-99999"}, {2, -99990.0f, "-99990.0"}, {3, -99990.0f, "-99990.000"}},
    };
    for (const auto& cases : records) {
        core::ItemPanelRecordType r = record_with(0.0f, 3, 17);
        for (const Case& c : cases) r.params(c.k) = c.value;
        r.step_text.set("   Inc=1.000");
        const ItemPanelText t = format_item_panel(r);
        EXPECT_EQ(t.count, "3/17");
        for (const Case& c : cases) EXPECT_EQ(t.values[c.k - 1], c.text) << "P" << c.k;
        if (cases[0].value == 8.0f) {
            EXPECT_EQ(item_panel_line(t).substr(0, 31), "Item 3/17     Inc=1.000 P1= 8 P");
        }
    }
}

TEST_F(FrontEndTest, ItemPanelWidgetFollowsTheRecordAndKeepsLabels) {
    ItemPanel panel;
    ASSERT_EQ(frontend::ActiveItemPanel(), &panel);
    core::ItemPanelRecord = record_with(8.0f, 2, 9);
    core::ItemPanelRecord.params(3) = 12.5f;
    core::ItemPanelRecord.params(4) = -99990.0f;
    frontend::UpdateItemPanel();
    EXPECT_EQ(panel.CountText(), "2/9");
    EXPECT_EQ(panel.ValueText(3), "  12.500");
    EXPECT_EQ(panel.ValueText(4), " ");
    EXPECT_EQ(panel.LabelText(0), " Item #");
    EXPECT_EQ(panel.LabelText(10), "P10/20");

    core::ItemPanelRecord = record_with(0.0f, 0, 17);
    frontend::UpdateItemPanel();
    EXPECT_EQ(panel.CountText(), "0/17");
    EXPECT_EQ(panel.ValueText(3), " ");
    EXPECT_EQ(panel.StepText(), " ");
    EXPECT_EQ(panel.LabelText(1), " P1/11");  // labels keep their texts
}

TEST_F(FrontEndTest, InterpreterFillsThePanelNumbersAtItsExit) {
    ItemPanel panel;
    core::ItemPanelRecord.item_count = 99;
    run_line("DIR");
    EXPECT_EQ(core::ItemPanelRecord.item_count, core::ItemCount);
    EXPECT_EQ(core::ItemPanelRecord.edited_item, 0);
    EXPECT_EQ(panel.CountText(), QString("0/%1").arg(core::ItemCount));
}
