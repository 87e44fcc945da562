// The edit words of the edited item, typed in the console as the user types them: store and
// copy, refusals while changes are pending, the flip, cue, point-size, automatic and fitting
// words, and the words that are the keyword decoder's.
#include "engine/edit/items/item_edit_words.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class ItemEditWords : public InterpreterTest {
  protected:
    // The page's library drawings are not in the test's data: their notices are not answered.
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
    }
    // A page of a staff and one item, the item (item 2) taken into editing by "I 2".
    void edit_second(const std::string& item) {
        enter_items_without_editing();
        type_all({"8 1 0", item});
        type("I 2");
        ASSERT_EQ(core::EditedItemNumber, 2);
        fe_.message_boxes.clear();
    }
    // A record appended as the loaders append it, then taken into editing.
    void edit_appended(const std::vector<float>& record) {
        enter_items_without_editing();
        type("8 1 0");
        append_test_record(record);
        type("I 2");
        ASSERT_EQ(core::EditedItemNumber, 2);
        fe_.message_boxes.clear();
    }
    static float E(int32_t k) { return core::EditItemParams(k); }
    static float P(int32_t item_number, int32_t k) { return item(item_number)[k]; }
    static int32_t pending() { return edit::EditChangesPending; }
    const std::string busy_ = "Cannot perform function until done editing current item.";
};

TEST_F(ItemEditWords, PointSizeOfANumberIsShownAndSet) {
    enter_items_without_editing();
    type("10 1 50 13 5 12");
    type("I 1");
    ASSERT_EQ(core::EditedItemNumber, 1);
    type("PT");
    EXPECT_TRUE(shown("*** Point size = 162.71\r\nStaff size = 1.00")) << fe_.message_boxes.size();
    EXPECT_EQ(pending(), 0);
    // A size keeps the hundreds of P6: 12 points on a staff of size 1 are 12 / 13.56 units.
    core::EditItemParams(6) = 212.0f;
    type("PT 12");
    EXPECT_NEAR(E(6), 200.0f + 12.0f * 1.84375f / 25.0f, 1e-4);
    EXPECT_EQ(pending(), 1);
}

TEST_F(ItemEditWords, FlipTurnsStemsOnlyOfItemsThatHaveADirection) {
    // P5 tens: 1 up, 2 down; below 10 there is no direction and the note stays as it is.
    const std::vector<std::pair<float, float>> notes = {{2, 2},   {9, 9},   {10, 20},
                                                        {19, 29}, {20, 10}, {122, 112}};
    for (const auto& [before, after] : notes) {
        SCOPED_TRACE(before);
        core::reset_engine();
        core::set_front_end(&fe_);
        edit_second("1 1 100 1 " + std::to_string(static_cast<int>(before)) + " 0 1");
        const std::vector<float> stored = item(2);
        type("FLI");
        EXPECT_EQ(E(1), 1.0f);
        EXPECT_EQ(E(5), after);
        EXPECT_EQ(pending(), before == after ? 0 : 1);
        EXPECT_EQ(item(2), stored);  // shown, not stored
    }
}

TEST_F(ItemEditWords, FlipOfBeamsSlursAndSymbols) {
    // A beam by |P7| mod 100, the step's sign following P7's.
    const std::vector<std::pair<float, float>> beams = {{9, 9},     {10, 20},   {19, 29}, {20, 10},
                                                        {-15, -25}, {-20, -10}, {-9, -9}};
    for (const auto& [before, after] : beams) {
        SCOPED_TRACE(before);
        core::reset_engine();
        core::set_front_end(&fe_);
        edit_appended({6, 1, 10, 4, 4, 30, before});
        type("FLI");
        EXPECT_EQ(E(1), 6.0f);
        EXPECT_EQ(E(7), after);
    }
    core::reset_engine();
    core::set_front_end(&fe_);
    edit_appended({5, 1, 10, 4, 4, 30, 3});  // a slur reverses P7
    type("FLI");
    EXPECT_EQ(E(7), -3.0f);
    core::reset_engine();
    core::set_front_end(&fe_);
    edit_appended({9, 1, 10, 4, 3, 205, 0});  // a symbol without P7 takes -(P6 mod 100)
    type("FLI");
    EXPECT_EQ(E(7), -5.0f);
    type("FLI");  // and then reverses it
    EXPECT_EQ(E(7), 5.0f);
}

TEST_F(ItemEditWords, CueWordsMarkAndUnmarkOnce) {
    edit_second("1 1 100 -3 10 0 1");
    type("CU");
    EXPECT_EQ(E(4), -103.0f);
    type("CU");  // already cue-sized
    EXPECT_EQ(E(4), -103.0f);
    type("CUX");
    EXPECT_EQ(E(4), -3.0f);
    type("CUX");
    EXPECT_EQ(E(4), -3.0f);
    type("X");
    EXPECT_EQ(P(2, 4), -3.0f);
}

TEST_F(ItemEditWords, AutomaticValuesAndRestWords) {
    edit_second("1 1 100 1 10 0 1");
    type("AU");
    EXPECT_EQ(E(10), 99.0f);
    type("AUX");
    EXPECT_EQ(E(10), 98.0f);

    core::reset_engine();
    core::set_front_end(&fe_);
    edit_appended({2, 1, 30, 0, 2, 0, 1});
    type("XW");
    EXPECT_EQ(E(9), -1.0f);
    EXPECT_EQ(E(1), 2.0f);
    type("CH");  // nothing at all on a rest
    EXPECT_FALSE(shown("unknown word"));
    EXPECT_EQ(E(1), 2.0f);
}

TEST_F(ItemEditWords, StoreWordsStoreInPlaceOrAsACopy) {
    edit_second("1 1 100 1 10 0 1");
    type("5 12");
    type("XC");  // stored, and the item stays the edited one
    EXPECT_EQ(P(2, 5), 12.0f);
    EXPECT_EQ(core::EditedItemNumber, 2);
    EXPECT_EQ(pending(), 0);
    EXPECT_EQ(core::ItemCount, 2);

    type("5 22");
    type("CC");  // a copy: the stored item keeps its values
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(P(2, 5), 12.0f);
    EXPECT_EQ(P(3, 5), 22.0f);

    type("C");  // nothing to copy
    EXPECT_TRUE(shown("Cannot COPY if no changes are made."));
    EXPECT_EQ(core::ItemCount, 3);

    type("4 3");
    type("X");
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(P(3, 4), 3.0f);
}

TEST_F(ItemEditWords, WordsRefusedWhileChangesArePending) {
    edit_second("1 1 100 1 10 0 1");
    type("5 12");
    for (const char* word : {"E", "UE"}) {
        fe_.message_boxes.clear();
        type(word);
        EXPECT_EQ(times_shown(busy_), 1) << word;
        EXPECT_EQ(core::ItemCount, 2);
        EXPECT_EQ(core::EditedItemNumber, 2);
    }
    fe_.message_boxes.clear();
    type("DE");
    EXPECT_TRUE(shown("Cannot delete after edit changes."));
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(E(5), 12.0f);  // the changes are still there
}

TEST_F(ItemEditWords, DeleteWordsWithoutPendingChanges) {
    enter_items_without_editing();
    type_all({"8 1 0", "1 1 100 1 10 0 1", "1 1 120 2 10 0 1"});
    type("I 2");
    type("UE");  // going forward the item before becomes the edited one
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::EditedItemNumber, 1);
    EXPECT_EQ(E(1), 8.0f);
    EXPECT_EQ(P(2, 3), 120.0f);

    type("I 2");
    type("DE");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
}

TEST_F(ItemEditWords, WordEAlonePicksTheItemsAtThePositionOnEveryStaff) {
    enter_items_without_editing();
    type_all({"8 1 0", "8 2 0", "1 1 100 1 10 0 1", "1 2 102 1 10 0 1", "1 2 150 1 10 0 1"});
    type("I 3");
    type("E");
    EXPECT_EQ(core::EditedItemNumber, 3);  // the first item within 5.0 of P3 100
    EXPECT_EQ(edit::EditSearch.mode, 2);
    type("N");
    EXPECT_EQ(core::EditedItemNumber, 4);
}

TEST_F(ItemEditWords, StepWordsAndWordsThatChangeNothing) {
    edit_second("1 1 100 1 10 0 1");
    type("R");
    EXPECT_EQ(E(3), 101.0f);
    type("LL");
    EXPECT_EQ(E(3), 100.5f);
    type("U");
    EXPECT_EQ(E(4), 2.0f);
    for (const char* word : {"DR", "UR", "DIR", "DN"}) {
        type(word);
        EXPECT_EQ(E(3), 100.5f) << word;
        EXPECT_EQ(E(4), 2.0f) << word;
    }
    EXPECT_EQ(edit::EditWordState.dir, 1);
    EXPECT_FALSE(shown("unknown word"));
}

TEST_F(ItemEditWords, TextWordsPlaceAndJustify) {
    std::vector<float> text = {16, 1, 20, 3, 0, 12, 0, 0, 0, 0, 2, 4, 8, -1, 0, 0};
    const std::vector<float> chars = text_words("_29A");
    text.insert(text.end(), chars.begin(), chars.end());
    edit_appended(text);
    type("XT 50");
    EXPECT_EQ(E(3), 48.0f);  // centred on 50: half of P12 to the left
    EXPECT_EQ(E(11), 0.0f);
    type("XT");  // the last position again
    EXPECT_EQ(E(3), 48.0f);
    // JR sets the line's end at its margin, which is then used up.
    type("JR 120");
    EXPECT_EQ(edit::TextJustifyMargins.right, 0.0f);
    EXPECT_EQ(E(1), 16.0f);
    const float right_aligned = E(3);
    // Its end lies within the last character's bearing (large at this size) of the margin,
    // and the measured width keeps its fraction.
    EXPECT_NEAR(right_aligned + E(13), 120.0f, 1.0f) << right_aligned << " " << E(13);
    EXPECT_NE(E(13), std::floor(E(13)));
    // J needs blanks to spread: a line without one stays where it is.
    type("J 10 150");
    EXPECT_TRUE(shown("*** No spaces.  Cannot justify line."));
    EXPECT_EQ(E(3), right_aligned);
    type("TX");
    EXPECT_EQ(edit::TextJustifyMargins.right, -1.0f);
    type("PT");
    EXPECT_TRUE(shown("*** Point size = 162.71"));
    type("PT 24");
    EXPECT_NEAR(E(6), 24.0f * 1.84375f / 25.0f, 1e-4);
    EXPECT_EQ(E(7), 0.0f);
    type("X");
    EXPECT_EQ(P(2, 1), 16.0f);
    EXPECT_EQ(P(2, 3), right_aligned);
}

TEST_F(ItemEditWords, DecoderKeepsTheWordsTheTableDoesNotName) {
    core::CommandLine.set("XO");
    EXPECT_FALSE(edit::is_edit_item_word(4));  // a line's own word
    EXPECT_TRUE(edit::is_edit_item_word(5));
    core::CommandLine.set("XX");
    EXPECT_FALSE(edit::is_edit_item_word(1));
    core::CommandLine.set("FLI");
    EXPECT_FALSE(edit::is_edit_item_word(4));
    core::CommandLine.set("PT");
    EXPECT_FALSE(edit::is_edit_item_word(1));
    core::CommandLine.set("SH");
    EXPECT_FALSE(edit::is_edit_item_word(1));
}

}  // namespace
