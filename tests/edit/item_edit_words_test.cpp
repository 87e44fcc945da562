// The edit words of the edited item, typed in the console as the user types them: store and
// copy, refusals while changes are pending, the flip, cue, point-size, automatic and fitting
// words, and the words that are the keyword decoder's.
#include "engine/edit/item_edit_words.h"

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
}  // namespace
