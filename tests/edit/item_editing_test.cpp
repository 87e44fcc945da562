// The working copy of the edited item: loading, number and arithmetic lines, storing back in
// place (with the output lists), and the copy kept for RESTORE.
#include "engine/edit/items/item_editing.h"

#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/edit/items/parameter_line.h"
#include "engine/edit/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "tests/edit/edit_page_fixture.h"

namespace {

class ItemEditing : public EditPageTest {
  protected:
    // The record of item k as [n, P1..Pn].
    static std::vector<float> record(int32_t k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = static_cast<int32_t>(core::ItemStore(s));
        std::vector<float> r;
        for (int32_t j = 0; j <= n; ++j) r.push_back(core::ItemStore(s + j));
        return r;
    }
    static std::vector<float> store_words() {
        return std::vector<float>(core::ItemStore.at(1), core::ItemStore.at(core::ItemWordsUsed));
    }
    static void take(int32_t k) {
        core::EditedItemNumber = k;
        edit::load_item_for_editing();
    }
    static float E(int32_t k) { return core::EditItemParams(k); }
    // The typed line: scanned as the interpreter scans it, then run as an edit line.
    static void run_line(const std::string& typed) {
        core::SecondLine.set(typed);
        core::CommandLine.set(typed);
        core::scan_command_line(static_cast<int32_t>(typed.size()));
        edit::run_edit_item_command();
    }
    // A text item of 16 header words (colour block) or 13, with its characters.
    static std::vector<float> text_item(bool colour_block, const std::string& chars) {
        std::vector<float> p = {16, 1, 20, 3, 0, 1, 1, 0, 0, 0, 0,
                                static_cast<float>(chars.size()), 50};
        if (colour_block) {
            p.insert(p.end(), {-1, 0, 0.5f});
        }
        const std::vector<float> words = text_words(chars);
        p.insert(p.end(), words.begin(), words.end());
        return p;
    }
};

TEST_F(ItemEditing, LoadTakesTheRecordAndClearsTheLeftoversOfALongerItem) {
    append_test_record({8, 1, 0});
    std::vector<float> long_item(40, 0.0f);
    long_item[0] = 4;
    long_item[1] = 1;
    long_item[2] = 10;
    long_item[3] = 5;
    long_item[4] = 5;
    long_item[5] = 30;
    long_item[39] = 1;
    append_test_record(long_item);
    append_test_record({9, 1, 100, -2});

    take(2);
    EXPECT_EQ(edit::EditOldCount, 40);
    EXPECT_EQ(edit::EditCopyCount, 40);
    EXPECT_EQ(E(40), 1.0f);
    edit::EditChangesPending = 1;
    take(3);
    EXPECT_EQ(edit::EditChangesPending, 0);
    EXPECT_EQ(edit::EditCopyCount, 4);
    for (int32_t k = 6; k <= 50; ++k) EXPECT_EQ(E(k), 0.0f) << "E" << k;

    core::EditItemParams(5) = 51.0f;
    edit::store_edited_item();
    EXPECT_EQ(record(3), (std::vector<float>{5, 9, 1, 100, -2, 51}));
    EXPECT_EQ(record(2).size(), 41u);
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(edit::EditChangesPending, 0);

    // Trailing zeros are dropped, never below three values.
    core::EditItemParams.fill(0.0f);
    core::EditItemParams(1) = 5.0f;
    edit::store_edited_item();
    EXPECT_EQ(record(3), (std::vector<float>{3, 5, 0, 0}));
    EXPECT_EQ(core::ItemWordsUsed, core::ItemStartTable(4));
}

TEST_F(ItemEditing, StoreMovesTheLaterRecordsByTheChangeOfLength) {
    append_test_record({8, 1, 0});
    append_test_record({1, 1, 20, 3, 10, 0, 1});
    append_test_record({14, 1, 50, 1});
    const std::vector<float> last = record(3);
    const int32_t used = core::ItemWordsUsed;

    take(2);
    core::EditItemParams(12) = 2.0f;  // five words longer
    edit::store_edited_item();
    EXPECT_EQ(record(2), (std::vector<float>{12, 1, 1, 20, 3, 10, 0, 1, 0, 0, 0, 0, 2}));
    EXPECT_EQ(record(3), last);
    EXPECT_EQ(core::ItemStartTable(3), 1 + 4 + 13);
    EXPECT_EQ(core::ItemWordsUsed, used + 5);
    EXPECT_EQ(core::ItemCount, 3);

    const std::vector<float> before_equal = store_words();
    core::EditItemParams(12) = 3.0f;  // same length: only the value changes
    edit::store_edited_item();
    std::vector<float> expected = before_equal;
    expected[static_cast<std::size_t>(core::ItemStartTable(2) + 12 - 1)] = 3.0f;
    EXPECT_EQ(store_words(), expected);

    core::EditItemParams(12) = 0.0f;
    core::EditItemParams(7) = 0.0f;  // down to six values: seven words shorter
    edit::store_edited_item();
    EXPECT_EQ(record(2), (std::vector<float>{5, 1, 1, 20, 3, 10}));
    EXPECT_EQ(record(3), last);
    EXPECT_EQ(core::ItemWordsUsed, used - 2);
    for (int32_t w = core::ItemWordsUsed; w < used + 5; ++w) EXPECT_EQ(core::ItemStore(w), 0.0f);
}

TEST_F(ItemEditing, TextItemsKeepTheirCharactersWithEitherHeader) {
    append_test_record({8, 1, 0});
    append_test_record(text_item(true, "Allegro vivace"));
    append_test_record(text_item(false, "dolce"));
    append_test_record({14, 1, 50, 1});
    render::redraw_items();  // the drawing measures the texts' widths into P13
    const std::vector<float> page = store_words();
    const std::vector<float> dolce = record(3);

    take(2);
    EXPECT_EQ(edit::EditOldCount, 16);
    EXPECT_EQ(E(16), 0.5f);
    EXPECT_EQ(E(17), 0.0f);  // the characters are not P-values
    EXPECT_EQ(render::EditTextBuffer.sub(1, 14), "Allegro vivace");
    edit::store_edited_item();
    EXPECT_EQ(store_words(), page);

    take(3);
    EXPECT_EQ(edit::EditOldCount, 13);
    EXPECT_EQ(render::EditTextBuffer.sub(1, 8), "dolce   ");
    core::EditItemParams(3) = 30.0f;
    edit::store_edited_item();
    std::vector<float> expected = dolce;
    expected[3] = 30.0f;
    EXPECT_EQ(record(3), expected);
    EXPECT_EQ(record(4), (std::vector<float>{4, 14, 1, 50, 1}));
}

TEST_F(ItemEditing, AStoreThatWouldOverfillThePageIsRefusedWholly) {
    append_test_record({8, 1, 0});
    append_test_record({1, 1, 20, 3, 10});
    append_test_record({14, 1, 50, 1});
    take(2);
    core::EditItemParams(8) = 4.0f;  // three words longer
    edit::EditChangesPending = 1;

    // One word over: the page-full message, nothing changed anywhere.
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 3 - 1;
    const std::vector<float> page = store_words();
    const int32_t used = core::ItemWordsUsed;
    edit::store_edited_item();
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes.back().find("The page is full"), std::string::npos);
    EXPECT_EQ(store_words(), page);
    EXPECT_EQ(core::ItemWordsUsed, used);
    EXPECT_EQ(E(8), 4.0f);
    EXPECT_EQ(edit::EditChangesPending, 1);

    // Exactly full: stored.
    core::ItemStoreCapacity += 1;
    edit::store_edited_item();
    EXPECT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(record(2), (std::vector<float>{8, 1, 1, 20, 3, 10, 0, 0, 4}));
    EXPECT_EQ(core::ItemWordsUsed - 1, core::ItemStoreCapacity);
    EXPECT_EQ(record(3), (std::vector<float>{4, 14, 1, 50, 1}));
}

TEST_F(ItemEditing, StoredItemIsDrawnInItsOwnColourInItsOwnSpan) {
    append_test_record({8, 1, 0});
    append_test_record({14, 1, 30, 1});
    append_test_record({14, 1, 60, 1});
    render::redraw_items();
    take(2);
    run_line("3 90");

    // The preview lies behind the last item's output, in the highlight colour.
    const int32_t end = core::ItemOutputSpans.graphics(4);
    ASSERT_GT(core::GraphicsNextFree, end);
    edit::measure_new_item_output();
    for (int32_t pos = end; pos + 2 < core::GraphicsNextFree; pos += 3) {
        EXPECT_EQ(graphics_[static_cast<std::size_t>(pos + 1)] & 0xFFFFFF, 0) << pos;
    }

    edit::store_edited_item();
    const std::vector<int32_t> spliced(graphics_.begin(), graphics_.begin() + graphics_length_);
    const auto spans = core::ItemOutputSpans;
    EXPECT_EQ(core::GraphicsNextFree, spans.graphics(4));
    EXPECT_EQ(core::EditedItemNumber, 2);
    EXPECT_EQ(record(2), (std::vector<float>{4, 14, 1, 90, 1}));
    // Item 2's span now holds what a fresh drawing of the stored page gives it.
    core::EditedItemNumber = 0;
    render::redraw_items();
    EXPECT_EQ(std::vector<int32_t>(graphics_.begin(), graphics_.begin() + graphics_length_),
              spliced);
    for (int32_t k = 1; k <= 4; ++k) EXPECT_EQ(core::ItemOutputSpans.graphics(k), spans.graphics(k));
    for (int32_t i = 0; i < graphics_length_; i += 3) {
        EXPECT_NE(graphics_[static_cast<std::size_t>(i + 2)] & 0xFFFFFF, 255);
    }
}

TEST_F(ItemEditing, RestoreCopyKeepsOneRecord) {
    append_test_record({8, 1, 0});
    append_test_record({1, 1, 20, 3, 10, 0, 1});
    edit::RestoreSaveArea.fill(7.0f);
    edit::save_item_for_restore(2);
    EXPECT_EQ(edit::RestoreItemNumber, 2);
    const std::vector<float> kept(edit::RestoreSaveArea.data(), edit::RestoreSaveArea.data() + 9);
    EXPECT_EQ(kept, (std::vector<float>{7, 1, 1, 20, 3, 10, 0, 1, 0}));
    EXPECT_EQ(edit::RestoreSaveArea(256), 0.0f);

    edit::save_item_for_restore(3);  // no such item: nothing kept
    EXPECT_EQ(edit::RestoreSaveArea(1), 0.0f);
    EXPECT_EQ(edit::RestoreItemNumber, 0);
}

TEST_F(ItemEditing, NumberAndArithmeticLines) {
    append_test_record({8, 1, 0});
    append_test_record({1, 1, 20, 3, 10, 0, 1});
    take(2);

    run_line("5 12");
    EXPECT_EQ(E(5), 12.0f);
    EXPECT_EQ(edit::EditChangesPending, 1);
    EXPECT_EQ(record(2)[5], 10.0f);  // shown, not stored

    run_line("3 P 3+1.5");
    EXPECT_FLOAT_EQ(E(3), 21.5f);
    run_line("3 P 5/2");  // P3 from P5 halved
    EXPECT_FLOAT_EQ(E(3), 6.0f);
    run_line("7 P7*4");
    EXPECT_FLOAT_EQ(E(7), 4.0f);
    run_line("4 P 3-1");
    EXPECT_FLOAT_EQ(E(4), 5.0f);

    // No operator, a P-number outside the working copy, or a division by zero: no change.
    const std::vector<float> before(core::EditItemParams.data(), core::EditItemParams.data() + 50);
    run_line("3 P 5 2");
    run_line("3 P 51+2");
    run_line("3 P 5/0");
    EXPECT_EQ(std::vector<float>(core::EditItemParams.data(), core::EditItemParams.data() + 50),
              before);

    // A blank line stores what is pending; a word it does not know goes back to the interpreter.
    run_line("");
    EXPECT_EQ(record(2), (std::vector<float>{7, 1, 1, 6, 5, 12, 0, 4}));
    EXPECT_EQ(edit::EditChangesPending, 0);
    run_line("QQZ");
    EXPECT_EQ(core::CommandModeLetters(1), -1);
    EXPECT_EQ(record(2), (std::vector<float>{7, 1, 1, 6, 5, 12, 0, 4}));
}

}  // namespace
