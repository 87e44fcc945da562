// The A commands through the interpreter: Group Alter and bar lines from the rhythm.
#include <vector>

#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class GroupAlterTest : public InterpreterTest {
  protected:
    void make_page_p() {
        enter_items_without_editing();
        type_all({"8 1 0", "8 3 0", "1 3 10 1 10 0 1", "1 3 12 2 10 0 1", "1 1 20 3 10 0 1"});
        ASSERT_EQ(core::ItemCount, 5);
    }
    void quarters_on_staff_3() {
        enter_items_without_editing();
        type_all({"8 3 0", "1 3 10 1 1 0 1", "1 3 20 1 1 0 1", "1 3 30 1 1 0 1", "1 3 40 1 1 0 1"});
        ASSERT_EQ(core::ItemCount, 5);
    }
    std::vector<std::vector<float>> bar_lines() const {
        std::vector<std::vector<float>> bars;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (item(k)[1] == 14.0f) bars.push_back(item(k));
        return bars;
    }
};

TEST_F(GroupAlterTest, AddsToOneParameterOfTheBoxedCode) {
    make_page_p();
    type("A");
    EXPECT_EQ(core::PendingBoxOperation, 50);
    fe_.answer_yes_no(-1);
    type("3 0 0 3 1");
    EXPECT_EQ(core::PendingBoxOperation, 52);
    type("400 1");
    EXPECT_EQ(item(3)[4], 2.0f);
    EXPECT_EQ(item(4)[4], 3.0f);
    EXPECT_EQ(item(5)[4], 3.0f);  // staff 1 untouched
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(reply(), "Exit Group Alter.");
}

TEST_F(GroupAlterTest, SetAddAndCopyEncodings) {
    make_page_p();
    fe_.answer_yes_no(-1);
    type_all({"A", "3 0 0 3 1", "250 1.5 3005 7"});
    EXPECT_EQ(item(3)[2], 4.5f);  // P2 grew by 1.5
    EXPECT_EQ(item(3)[3], 1.0f);  // P3 took P7 (1)
}

TEST_F(GroupAlterTest, ChangesPastColumn160AreRefused) {
    make_page_p();
    const std::vector<float> before = page();
    fe_.answer_yes_no(-1);
    // Four additions end at column 161: one too many.
    type_all({"A", "3 0 0 3 1", "400 1 400 1 400 1 400 1"});
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(shown("Too many changes"));
}

// Three additions and one setting end at column 157, inside the columns the IF line reads;
// a refused line before or after must not decide the other.
TEST_F(GroupAlterTest, ALineThatFitsIsTakenWhateverWasRefusedBeforeOrAfter) {
    make_page_p();
    fe_.answer_yes_no(-1);
    const std::vector<float> before = page();
    type_all({"A", "3 0 0 3 1", "400 1 400 1 400 1 400 1"});
    EXPECT_EQ(page(), before);
    fe_.message_boxes.clear();
    fe_.answer_yes_no(-1);
    type_all({"A", "3 0 0 3 1", "400 1 400 1 400 1 5 7"});
    EXPECT_FALSE(shown("Too many changes"));
    EXPECT_EQ(item(3)[4], 4.0f);
    EXPECT_EQ(item(4)[4], 5.0f);
    EXPECT_EQ(item(3)[5], 7.0f);
    EXPECT_EQ(reply(), "Exit Group Alter.");

    const std::vector<float> after = page();
    fe_.answer_yes_no(-1);
    type_all({"A", "3 0 0 3 1", "400 1 400 1 400 1 400 1"});
    EXPECT_EQ(page(), after);
    EXPECT_TRUE(shown("Too many changes"));
}

TEST_F(GroupAlterTest, TheCodeLineMayCarryTheChanges) {
    make_page_p();
    fe_.answer_yes_no(-1);
    type_all({"A", "3 0 0 3"});
    EXPECT_EQ(core::PendingBoxOperation, 51);
    type("1 400 1");
    EXPECT_EQ(item(3)[4], 2.0f);
    EXPECT_EQ(item(4)[4], 3.0f);
    EXPECT_EQ(reply(), "Exit Group Alter.");
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(GroupAlterTest, ExitAndZeroEndWithNothingChanged) {
    make_page_p();
    const std::vector<float> before = page();
    fe_.answer_yes_no(-2);
    type_all({"A", "3 0 0 3 1"});
    EXPECT_EQ(reply(), "Exit Group Alter.");
    fe_.answer_yes_no(-1);
    type_all({"A", "3 0 0 3", "0"});
    EXPECT_EQ(page(), before);
    EXPECT_EQ(reply(), "Exit Group Alter.");
}

TEST_F(GroupAlterTest, AddBarLinesByRhythm) {
    quarters_on_staff_3();
    type("ADD 3 2 4");
    const auto bars = bar_lines();
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0], (std::vector<float>{4, 14, 3, 25, 1}));
    EXPECT_EQ(bars[1], (std::vector<float>{4, 14, 3, 200, 1}));
    const std::vector<float> after = page();
    type("ADD 3 2 4");
    EXPECT_EQ(reply(), "Some BARS already present.");
    EXPECT_EQ(page(), after);
}

TEST_F(GroupAlterTest, AddBarLinesFromAGivenNote) {
    quarters_on_staff_3();
    type("ADD 3 2 4 2");
    auto bars = bar_lines();
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0][3], 25.0f);  // between notes 2 and 3
    EXPECT_EQ(bars[1][3], 200.0f);
    const std::vector<float> before = bar_lines().empty() ? page() : page();
    core::reset_engine();
    core::set_front_end(&fe_);
    quarters_on_staff_3();
    const std::vector<float> page4 = page();
    type("ADD 3 2 4 5");  // beyond the 4 notes
    EXPECT_EQ(page(), page4);
    EXPECT_TRUE(bar_lines().empty());
    type("ADD 3 2 4 4");  // after the last note: one bar at the page's end
    ASSERT_EQ(bar_lines().size(), 1u);
    EXPECT_EQ(bar_lines()[0][3], 200.0f);
}

}  // namespace
