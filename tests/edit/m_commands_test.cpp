// The M words: texts at one level ("MT"), moving and copying a system ("MS", "CS") typed, from a
// command file and at the staff limits, with UNDO; the box stretch between new edges.
#include "engine/edit/pages/m_commands.h"

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

constexpr int kYes = -1;
constexpr int kExit = -2;

class MCommandsTest : public InterpreterTest {
  protected:
    // A text item (code 16) "ab" in Courier at staff, position, height.
    static void add_text(float staff, float position, float height) {
        std::vector<float> words = {16, staff, position, height, 0, 0, 0, 0, 0, 0, 0, 5, 1};
        for (float w : text_words("_29ab")) words.push_back(w);
        append_test_record(words);
    }
    // P4 of every item of code on staff, in store order.
    static std::vector<float> heights(int32_t code, int32_t staff) {
        std::vector<float> found;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == static_cast<float>(code) &&
                static_cast<int32_t>(stored_param(k, 2)) == staff)
                found.push_back(stored_param(k, 4));
        return found;
    }
    static int32_t count_on_staff(int32_t staff) {
        int32_t n = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (static_cast<int32_t>(stored_param(k, 2)) == staff) ++n;
        return n;
    }
    // Staves 1 and 2 with a note each, staff 3 with one note.
    void make_system() {
        enter_items_without_editing();
        type_all(
            {"8 1 0", "8 2 0", "8 3 0", "1 1 10 1 10 0 1", "1 2 20 2 10 0 1", "1 3 30 3 10 0 1"});
        ASSERT_EQ(core::ItemCount, 6);
    }
    // Types the word and answers the two box questions with Yes.
    void move_typed(const std::string& word, const std::string& source,
                    const std::string& destination) {
        type(word);
        ASSERT_EQ(core::PendingBoxOperation, 9);
        EXPECT_EQ(reply(),
                  "Enter Lowest Staff# of system and how many staves in system - or Draw Box.");
        fe_.answer_yes_no(kYes);
        type(source);
        ASSERT_EQ(core::PendingBoxOperation, 10);
        EXPECT_EQ(reply(), "Enter Bottom Staff# of New System -- or Draw Box.");
        fe_.answer_yes_no(kYes);
        type(destination);
        EXPECT_EQ(core::PendingBoxOperation, 0);
    }
};

TEST_F(MCommandsTest, TextsWithinTwoOfTheLevelMoveByTheStepAndLinesTakeBothEnds) {
    enter_items_without_editing();
    add_text(3, 20, 8.0f);
    add_text(3, 30, 10.0f);
    add_text(3, 40, 12.5f);
    add_text(3, 50, 12.0f);                           // at the limit: moves
    add_text(3, 60, 7.99f);                           // just below it: stays
    add_text(2, 20, 10.0f);                           // another staff
    append_test_record({4, 3, 10, 9.0f, 11.0f, 40});  // a line: both heights move
    append_test_record({1, 3, 10, 10.0f, 10, 0, 1});  // a note at the level: no text
    type("MT 3 10 0");
    EXPECT_EQ(heights(16, 3), (std::vector<float>{7.0f, 9.0f, 12.5f, 11.0f, 7.99f}));
    EXPECT_EQ(heights(16, 2), (std::vector<float>{10.0f}));
    EXPECT_EQ(stored_param(7, 4), 8.0f);
    EXPECT_EQ(stored_param(7, 5), 10.0f);
    EXPECT_EQ(stored_param(8, 4), 10.0f);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    type("MT 3 10 2.5");
    EXPECT_EQ(heights(16, 3), (std::vector<float>{7.0f, 11.5f, 12.5f, 13.5f, 7.99f}));
    EXPECT_EQ(stored_param(7, 4), 10.5f);
    EXPECT_EQ(stored_param(7, 5), 12.5f);
}

TEST_F(MCommandsTest, NoTextAtTheLevelSaysSoAndChangesNothing) {
    enter_items_without_editing();
    add_text(3, 20, 8.0f);
    const std::vector<float> before = page();
    type("MT 3 20 0");
    EXPECT_TRUE(shown("Text not found."));
    type("MT 4 8 0");
    EXPECT_EQ(page(), before);
}

TEST_F(MCommandsTest, CopyOfASystemAddsItsStavesAndUndoTakesTheCopiesAway) {
    make_system();
    const std::vector<float> before = page();
    move_typed("CS 1 2", "1 2", "5");
    EXPECT_EQ(count_on_staff(1), 2);
    EXPECT_EQ(count_on_staff(2), 2);
    EXPECT_EQ(count_on_staff(5), 2);
    EXPECT_EQ(count_on_staff(6), 2);
    EXPECT_EQ(count_on_staff(7), 0);
    EXPECT_EQ(core::ItemCount, 10);
    type("UNDO");
    EXPECT_EQ(core::ItemCount, 6);
    EXPECT_EQ(page(), before);
}

TEST_F(MCommandsTest, MoveOfASystemTakesItsStavesAndLeavesTheOthers) {
    make_system();
    move_typed("MS", "1 2", "10");
    EXPECT_EQ(count_on_staff(1), 0);
    EXPECT_EQ(count_on_staff(2), 0);
    EXPECT_EQ(count_on_staff(10), 2);
    EXPECT_EQ(count_on_staff(11), 2);
    EXPECT_EQ(count_on_staff(3), 2);
    EXPECT_EQ(core::ItemCount, 6);
}

TEST_F(MCommandsTest, DestinationBeyondTheStavesOrOffTheTopMovesNothing) {
    make_system();
    const std::vector<float> before = page();
    move_typed("MS", "1 2", "300");
    EXPECT_EQ(page(), before);
    // Staves 1-2 to 256 would put staff 2 on 257: refused, no copies left behind.
    move_typed("CS", "1 2", "256");
    EXPECT_EQ(page(), before);
    // To 255 the system just fits.
    move_typed("CS", "1 2", "255");
    EXPECT_EQ(count_on_staff(255), 2);
    EXPECT_EQ(count_on_staff(256), 2);
}

TEST_F(MCommandsTest, ExitOrAnEmptyAnswerEndsTheMoveUnchanged) {
    make_system();
    const std::vector<float> before = page();
    type("MS");
    fe_.answer_yes_no(kExit);
    type("1 2");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    type("MS");
    type("B");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(page(), before);
}

TEST_F(MCommandsTest, CommandFileGivesSourceAndDestinationAtOnce) {
    make_system();
    write_file("sys.cmd", {"CS", "1 2", "5"});
    type("RE sys.cmd");
    EXPECT_EQ(count_on_staff(5), 2);
    EXPECT_EQ(count_on_staff(6), 2);
    EXPECT_EQ(count_on_staff(1), 2);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(MCommandsTest, EdgesStretchKeepsEachItemsFractionOfTheBox) {
    enter_items_without_editing();
    type_all({"8 3 0", "1 3 10 1 10 0 1", "1 3 15 2 10 0 1", "1 3 20 3 10 0 1", "1 3 40 3 10 0 1"});
    const auto put_box = [] {
        core::ParamBuffer(1) = 3;
        core::ParamBuffer(2) = 10;
        core::ParamBuffer(3) = 20;
        core::ParamBuffer(4) = 3;
    };
    ScriptedFrontEnd::DialogAnswer wider;
    wider.result = 1;
    wider.reals = {10, 0, 20, 10};  // the right edge 10 further
    fe_.answer_dialog(wider);
    fe_.answer_dialog(2);  // Exit
    put_box();
    edit::adjust_box_edges();
    EXPECT_EQ(stored_param(2, 3), 10.0f);
    EXPECT_EQ(stored_param(3, 3), 20.0f);
    EXPECT_EQ(stored_param(4, 3), 30.0f);
    EXPECT_EQ(stored_param(5, 3), 40.0f);  // outside the box
    EXPECT_EQ(core::CommandLine(1), 'X');
    // The second dialog shows the new edges with the offsets kept.
    EXPECT_EQ(fe_.dialog_reals, (std::vector<float>{10, 0, 30, 10}));
    // A box of no width is refused.
    const std::vector<float> before = page();
    put_box();
    core::ParamBuffer(3) = 10;
    edit::adjust_box_edges();
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(shown("*** The box has no width: nothing stretched."));
}

TEST_F(MCommandsTest, OtherMWordsSetTheirModesAndChangeNoItems) {
    make_system();
    const std::vector<float> before = page();
    type("MC");
    EXPECT_EQ(edit::EditModeWords(1), 1);
    EXPECT_EQ(edit::EditModeWords(2), 0);
    core::MetricFlag = 0;
    type("METRIC");
    EXPECT_EQ(core::MetricFlag, 1);
    type("MZ");
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

}  // namespace
