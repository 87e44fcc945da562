// Group copy and move: the transfer mode rule, shifting positions and staves, copying a group
// and the repeated copy down the staves.
#include "engine/edit/areas/group_transfer.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/store_records.h"

namespace {

using edit::SelectionBox;
using edit::SelectionList;

class GroupTransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::reset_engine();
        core::set_front_end(&fe_);
    }
    void TearDown() override { core::set_front_end(nullptr); }

    static void select(int32_t low, int32_t high, float left, float right) {
        SelectionBox.low_staff = low;
        SelectionBox.high_staff = high;
        SelectionBox.left = left;
        SelectionBox.right = right;
        SelectionBox.letter = 1;
        SelectionBox.first_item = 1;
        SelectionBox.last_item = core::ItemCount;
        edit::select_box_items();
    }
    static float param(int32_t item, int32_t k) {
        return core::ItemStore(core::ItemStartTable(item) + k);
    }
    static std::vector<int32_t> staves_of_code(int32_t code) {
        std::vector<int32_t> staves;
        for (int32_t i = 1; i <= core::ItemCount; ++i) {
            if (static_cast<int32_t>(param(i, 1)) == code) {
                staves.push_back(static_cast<int32_t>(param(i, 2)));
            }
        }
        std::sort(staves.begin(), staves.end());
        return staves;
    }

    ScriptedFrontEnd fe_;
};

TEST_F(GroupTransferTest, TransferModeRule) {
    // Same width within 0.001: a shift by the left edges' distance.
    auto t = edit::find_transfer_mode(50.0f, 150.0005f, 10.0f, 110.0f, false, true);
    EXPECT_EQ(t.mode, 0);
    EXPECT_FLOAT_EQ(t.amount, 40.0f);
    t = edit::find_transfer_mode(50.0f, 150.0f, 10.0f, 110.0f, true, true);
    EXPECT_EQ(t.mode, 2);
    // Only L given: a shift by L.
    t = edit::find_transfer_mode(-60.0f, 0.0f, 10.0f, 110.0f, false, true);
    EXPECT_EQ(t.mode, 0);
    EXPECT_FLOAT_EQ(t.amount, -60.0f);
    // The source range on another staff: staves only.
    t = edit::find_transfer_mode(10.0f, 110.0f, 10.0f, 110.0f, true, true);
    EXPECT_EQ(t.mode, 1);
    // A zero-width source takes the destination's width: a pure shift.
    t = edit::find_transfer_mode(30.0f, 80.0f, 20.0f, 20.0f, false, true);
    EXPECT_EQ(t.mode, 0);
    EXPECT_FLOAT_EQ(t.amount, 10.0f);
    // Another width: a stretch.
    t = edit::find_transfer_mode(0.0f, 50.0f, 0.0f, 100.0f, true, true);
    EXPECT_EQ(t.mode, 3);
    EXPECT_FLOAT_EQ(t.amount, 0.5f);
}

TEST_F(GroupTransferTest, ShiftedPositionIsPlainSum) {
    append_test_record({1, 3, 150, 1, 10, 0, 1});
    select(3, 3, 0.0f, 200.0f);
    ASSERT_EQ(SelectionList.count, 1);
    edit::shift_selected_positions(-60.0f);
    EXPECT_FLOAT_EQ(param(1, 3), 90.0f);
}

TEST_F(GroupTransferTest, ShiftSelectionRefusesStavesOutsideRange) {
    append_test_record({1, 3, 10, 1});
    append_test_record({1, 254, 10, 1});
    select(1, 256, 0.0f, 200.0f);
    EXPECT_TRUE(edit::shift_selection(2));  // 254 + 2 = 256: the last staff itself
    EXPECT_FLOAT_EQ(param(2, 2), 256.0f);
    EXPECT_FALSE(edit::shift_selection(1));
    EXPECT_FLOAT_EQ(param(1, 2), 5.0f);
    EXPECT_FALSE(edit::shift_selection(-5));
    EXPECT_FLOAT_EQ(param(2, 2), 256.0f);
}

TEST_F(GroupTransferTest, RepeatedCopyStepsOverSourceStaff) {
    append_test_record({8, 3, 0});
    append_test_record({1, 3, 10, 1, 10, 0, 1});
    SelectionBox.low_staff = 3;
    SelectionBox.high_staff = 3;
    SelectionBox.left = 0.0f;
    SelectionBox.right = 200.0f;
    edit::BoxDestination = {1, 0.0f, 0.0f, 5.0f};
    edit::PendingBoxStep = 10;
    edit::BoxCopyCode = 1;
    int32_t kind = 1;
    edit::copy_move_group(kind);
    EXPECT_EQ(staves_of_code(1), (std::vector<int32_t>{1, 2, 3, 4, 5}));
}

TEST_F(GroupTransferTest, CopyIsAllOrNothingWhenStoreFull) {
    append_test_record({1, 3, 10, 1, 10, 0, 1});
    append_test_record({1, 3, 20, 1, 10, 0, 1});
    select(3, 3, 0.0f, 200.0f);
    // Room for exactly one copy's words: two copies must not be half made.
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 8;
    const int32_t used = core::ItemWordsUsed;
    EXPECT_FALSE(edit::append_selected_copies());
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::ItemWordsUsed, used);
    // Exactly enough room: both copies are made.
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 16;
    EXPECT_TRUE(edit::append_selected_copies());
    EXPECT_EQ(core::ItemCount, 4);
}

TEST_F(GroupTransferTest, CopyToEveryStaffIsAllOrNothing) {
    append_test_record({1, 1, 10, 1, 10, 0, 1});
    append_test_record({1, 2, 10, 2, 10, 0, 1});
    append_test_record({1, 3, 10, 3, 10, 0, 1});
    layout::MaxStaffNumber = 3;
    select(1, 1, 0.0f, 200.0f);
    SelectionBox.low_staff = 1;
    // Staves 2 and 3 hold items: two copies of 8 words.
    const int32_t used = core::ItemWordsUsed;
    core::ItemStoreCapacity = used - 1 + 2 * 8 - 1;
    EXPECT_FALSE(edit::copy_group_to_staves(0, 0));
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(core::ItemWordsUsed, used);
    core::ItemStoreCapacity = used - 1 + 2 * 8;
    EXPECT_TRUE(edit::copy_group_to_staves(0, 0));
    EXPECT_EQ(staves_of_code(1), (std::vector<int32_t>{1, 2, 2, 3, 3}));
    // No other staff holds an item: nothing to do.
    EXPECT_FALSE(edit::copy_group_to_staves(4, 3));
    EXPECT_EQ(core::ItemCount, 5);
}

}  // namespace
