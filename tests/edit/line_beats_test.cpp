// "BE": the quarters of one staff counted at once or in a loop of answers, the store left where
// it was; typed zeros or "X" end the loop.
#include "engine/edit/systems/line_beats.h"

#include <string>

#include <gtest/gtest.h>

#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

constexpr const char* kPrompt =
    "Enter Staff# to see how many quarters in line -\r\n or Draw Box.\r\nX = exit.";

class LineBeatsTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        // The first line typed starts the session (and empties the page): items come after it.
        enter_items_without_editing();
        // Staff 1: a half and a quarter (3 beats); staff 2: four quarters, unevenly placed.
        append_test_record({8, 1, 0, 0, 0, 200});
        append_test_record({1, 1, 10, 5, 10, 0, 2});
        append_test_record({1, 1, 20, 5, 10, 0, 1});
        append_test_record({14, 1, 50});
        append_test_record({8, 2, 0, 0, 0, 200});
        append_test_record({1, 2, 10, 5, 10, 0, 1});
        append_test_record({1, 2, 12, 5, 10, 0, 1});
        append_test_record({1, 2, 30, 5, 10, 0, 1});
        append_test_record({1, 2, 31, 5, 10, 0, 1});
        append_test_record({14, 2, 50});
    }
    std::string last_prompt() const { return fe_.prompts.empty() ? "" : fe_.prompts.back(); }
    static bool waiting() { return core::PendingBoxOperation == 8 && edit::PendingBoxStep == 'X'; }
};

TEST_F(LineBeatsTest, TypedStaffIsCountedAtOnceAndNothingMoves) {
    const std::vector<float> before = page();
    type("BE 2");
    EXPECT_EQ(last_prompt().rfind("Staff   2 has  4.000 beats", 0), 0u) << last_prompt();
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(edit::PendingBoxStep, 0);
    type("BE 1");
    EXPECT_EQ(last_prompt().rfind("Staff   1 has  3.000 beats", 0), 0u) << last_prompt();
}

TEST_F(LineBeatsTest, AloneItWaitsCountsEachAnswerAndZerosEndIt) {
    const std::vector<float> before = page();
    type("BE");
    EXPECT_EQ(reply(), kPrompt);
    EXPECT_TRUE(waiting());

    type("2");
    EXPECT_EQ(last_prompt().rfind("Staff   2 has  4.000 beats", 0), 0u) << last_prompt();
    EXPECT_NE(last_prompt().find("Type X to exit."), std::string::npos);
    EXPECT_TRUE(waiting());
    type("1");
    EXPECT_EQ(last_prompt().rfind("Staff   1 has  3.000 beats", 0), 0u) << last_prompt();
    EXPECT_TRUE(waiting());

    // P1 = 0 with a P3: still an answer (staff 0 has nothing to count), the loop goes on.
    const std::size_t shown = fe_.prompts.size();
    type("0 0 5");
    EXPECT_TRUE(waiting());
    type("0 0 0");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(edit::PendingBoxStep, 0);
    EXPECT_EQ(fe_.prompts.size(), shown);
    EXPECT_EQ(page(), before);
    // The loop is over: a number is no answer any more.
    type("BE 2");
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(LineBeatsTest, XLeavesTheLoop) {
    type("BE");
    type("X");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    // A number now is a line of its own, not an answer to count.
    const std::size_t shown = fe_.prompts.size();
    type("2");
    EXPECT_EQ(fe_.prompts.size(), shown);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(LineBeatsTest, StaffOutsideTheTablesCountsNothing) {
    type("BE");
    const std::size_t shown = fe_.prompts.size();
    type("257");
    type("-3 0 1");
    EXPECT_EQ(fe_.prompts.size(), shown);
    EXPECT_TRUE(waiting());
}

TEST_F(LineBeatsTest, ADrawnBoxCountsTheStaffItLiesOn) {
    type("BE");
    const int32_t y = layout::StaffTables.StaffMiddleY(2) - render::ViewOrigin.y;
    core::MouseRegion(1) = y - 300;
    core::MouseRegion(2) = 9000;
    core::MouseRegion(3) = y + 300;
    core::MouseRegion(4) = 3000;
    type("|");
    EXPECT_EQ(last_prompt().rfind("Staff   2 has  4.000 beats", 0), 0u) << last_prompt();
    EXPECT_TRUE(waiting());
}

}  // namespace
