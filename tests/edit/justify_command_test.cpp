// The justify words: the system dialogue and its answers, the command-file forms, the system's
// preparation (clefs at a staff's start, line ends, rests marked for centring), "LAST", the text
// spreading that refuses mixed levels, and the input mode's closing "L".
#include "engine/edit/systems/justify_command.h"

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_history.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

constexpr int kYes = -1;
constexpr int kNo = 0;
constexpr int kExit = -2;
const std::string kSystemPrompt =
    "Enter Lowest Staff# of system and how many staves in system - or Draw Box.";

class JustifyCommandTest : public InterpreterTest {
  protected:
    // Staves 1 and 3: a clef where each staff starts, a rest to centre (P5 -2), and a note at
    // the page's right edge less 0.5 on each staff.
    void make_system() {
        enter_items_without_editing();
        const float edge = render::PageExtent - 0.5f;
        type_all({"8 1 0", "8 3 0", "3 1 0 1", "3 3 0 1", "2 1 30 0 -2 0 1"});
        type("1 1 " + std::to_string(edge) + " 5 10 0 1");
        type("1 3 " + std::to_string(edge) + " 5 10 0 1");
        ASSERT_EQ(core::ItemCount, 7);
    }
    // The first item of that code on the staff.
    static std::vector<float> find(int32_t code, int32_t staff) {
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w[1] == static_cast<float>(code) && w[2] == static_cast<float>(staff)) return w;
        }
        return {};
    }
    static float note_end(int32_t staff) { return find(1, staff)[3]; }
};

TEST_F(JustifyCommandTest, SystemDialogueAsksAndJustifiesOnYes) {
    make_system();
    core::ChangesMadeFlag = 0;
    const std::vector<float> before = page();
    type("LJ");
    EXPECT_EQ(reply(), kSystemPrompt);
    EXPECT_EQ(core::PendingBoxOperation, 8);
    // No: the page is as it was and another box is asked for.
    fe_.answer_yes_no(kNo);
    type("1 1");
    EXPECT_TRUE(asked("Source Box O.K.? -"));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::PendingBoxOperation, 8);
    EXPECT_EQ(reply(), kSystemPrompt);
    // Yes on staves 1 to 3, with an undo copy first: staves 1 and 3 disagree (two beats and
    // one), so only the preparation is seen: the line ends and the clefs at the staff's start.
    fe_.answer_yes_no(kYes);
    type("1 3");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(core::UndoRedoState, 1);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_FLOAT_EQ(note_end(1), render::PageExtent - 1.0f);
    EXPECT_FLOAT_EQ(note_end(3), render::PageExtent - 1.0f);
    EXPECT_FLOAT_EQ(find(3, 1)[3], 1.5f);  // the clef leaves the staff's start line
    EXPECT_FLOAT_EQ(find(3, 3)[3], 1.5f);
    // The next line is an ordinary command again.
    type("1 1 50 5 10 0 1");
    EXPECT_EQ(core::ItemCount, 8);
}

TEST_F(JustifyCommandTest, ExitBlankAndBEndTheDialogueUnchanged) {
    make_system();
    const std::vector<float> before = page();
    for (const char* answer : {"E", "0", "B"}) {
        type("LJ");
        if (answer[0] == 'E') {
            fe_.answer_yes_no(kExit);
            type("1 2");
        } else {
            type(answer);
        }
        EXPECT_EQ(core::PendingBoxOperation, 0) << answer;
        EXPECT_EQ(page(), before) << answer;
    }
}

TEST_F(JustifyCommandTest, CommandFileFormsTakeTheirNumbers) {
    make_system();
    // A staff below 1 is refused from a file: nothing moves, and no question is left.
    const std::vector<float> before = page();
    write_file("off.cmd", {"LI", "-1 1"});
    type("RE off.cmd");
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    // A staff above the last is staves 1 to 256; a top staff past it is held there.
    for (const char* line : {"300 1", "2 300", "1 2 999"}) {
        write_file("high.cmd", {"LN", line});
        type("RE high.cmd");
        EXPECT_EQ(edit::JustifyWordState.lowest, line[0] == '2' ? 2 : 1) << line;
        EXPECT_EQ(edit::JustifyWordState.highest, 256) << line;
        EXPECT_EQ(core::PendingBoxOperation, 0) << line;
    }
    EXPECT_EQ(page(), before);
    // Staves 1 to 3, so staff 3's line end is pulled in too.
    write_file("all.cmd", {"LI", "1 3"});
    type("RE all.cmd");
    EXPECT_FLOAT_EQ(note_end(1), render::PageExtent - 1.0f);
    EXPECT_FLOAT_EQ(note_end(3), render::PageExtent - 1.0f);
    EXPECT_EQ(edit::JustifyWordState.lowest, 1);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(JustifyCommandTest, JFormShiftsItsNumbersToPositions) {
    make_system();
    // "1 1 50": staves 1 to 50 (lowered to the last staff), positions 1 to 50. The clefs at 0
    // lie before the range and stay; the rest at 30 is inside it and is marked.
    write_file("j.cmd", {"J", "1 1 50"});
    type("RE j.cmd");
    EXPECT_FLOAT_EQ(find(3, 1)[3], 0.0f);
    const std::vector<float> rest = find(2, 1);
    ASSERT_EQ(rest[0], 9.0f);
    EXPECT_EQ(rest[8], 0.0f);
    EXPECT_EQ(rest[9], -1.0f);
    // A range that ends before the rest leaves it alone.
    core::PendingBoxOperation = 0;
    write_file("j2.cmd", {"J", "1 1 20"});
    type("2 1 60 -3 10 0 1");
    type("RE j2.cmd");
    EXPECT_EQ(find(2, 1)[0], 9.0f);
    const std::vector<float> late = item(core::ItemCount);
    EXPECT_EQ(late.size(), 8u);  // [n, P1..P7]: not grown
}

TEST_F(JustifyCommandTest, AnswerOfStavesAloneTakesTheWholeWidthAsTyped) {
    // "1 1" names no positions: the system runs from 0 to the page's end, as the typed box gives
    // it, so the clef at the staff's start leaves its line, J and LJ mark the rest at 30, and
    // the command file leaves the page the typed answer leaves.
    for (const char* word : {"J", "LI", "LJ"}) {
        std::vector<float> typed_page;
        for (const bool from_file : {false, true}) {
            SCOPED_TRACE(std::string(word) + (from_file ? ", RE" : ", typed"));
            core::reset_engine();
            core::set_front_end(&fe_);
            make_system();
            if (from_file) {
                write_file("j.cmd", {word, "1 1"});
                type("RE j.cmd");
                EXPECT_EQ(page(), typed_page);
            } else {
                fe_.answer_yes_no(kYes);
                type(word);
                type("1 1");
                typed_page = page();
            }
            EXPECT_GT(find(3, 1)[3], 1.0f);
            if (std::string(word) == "LI") continue;  // LI leaves the columns alone
            ASSERT_EQ(find(2, 1).size(), 10u);
            EXPECT_EQ(find(2, 1)[9], -1.0f);
        }
    }
}

TEST_F(JustifyCommandTest, FindsTheStavesThatHoldRhythms) {
    enter_items_without_editing();
    type_all({"8 2 0", "8 5 0", "1 2 10 5 10 0 1", "1 4 10 5 10 0 0", "2 5 10 0 10 0 2"});
    edit::find_rhythm_staff_range();
    EXPECT_EQ(core::CommandLine.sub(1, 7), "  2   5");
    core::clear_item_store();
    edit::find_rhythm_staff_range();
    EXPECT_EQ(core::ParamBuffer(1), 999.0f);
    EXPECT_EQ(core::ParamBuffer(2), -999.0f);
}

TEST_F(JustifyCommandTest, RhythmRangeFormAsksForTheFoundStaves) {
    make_system();
    type_all({"8 4 0", "1 4 20 5 10 0 1"});
    fe_.answer_yes_no(kYes);
    type("LJA");
    EXPECT_TRUE(asked("Source Box O.K.? -"));
    EXPECT_EQ(edit::JustifyWordState.lowest, 1);
    EXPECT_EQ(edit::JustifyWordState.highest, 4);  // a count of 4 staves from staff 1
    // No bar line joins the staves: staff 3 is a system of its own, and its one quarter is
    // spaced from the line's start, away from the line's end.
    EXPECT_LT(note_end(3), render::PageExtent / 2.0f);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

class JustifyTextTest : public InterpreterTest {
  protected:
    void add_text(float x, float level) {
        std::vector<float> p(13, 0.0f);
        p[0] = 16.0f;
        p[1] = 1.0f;
        p[2] = x;
        p[3] = level;
        append_test_record(p);
    }
};

TEST_F(JustifyTextTest, LevelsAreMatchedOrNothingChanges) {
    enter_items_without_editing();
    type("8 1 0");
    add_text(20.0f, 5.0f);
    add_text(40.0f, 5.6f);
    core::rebuild_item_start_table();
    type("JTX 1 0 100 1 1 5");
    EXPECT_EQ(stored_param(3, 4), 5.0f);  // the second text takes the first one's level
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    // A text 1.8 above the first one's level, inside the 1.9 taken: nothing changes at all.
    core::clear_item_store();
    type("8 1 0");
    add_text(20.0f, 5.0f);
    add_text(40.0f, 5.6f);
    add_text(60.0f, 6.8f);
    core::rebuild_item_start_table();
    const std::vector<float> before = page();
    type("JTX 1 0 100 1 1 5");
    EXPECT_EQ(page(), before);
}

TEST_F(JustifyTextTest, JtAloneWaitsForAClick) {
    type("JT");
    EXPECT_EQ(reply(), "**** Click on text to be justified. ****");
    EXPECT_EQ(edit::PendingBoxStep, 'M');
}

TEST_F(JustifyCommandTest, LastWithoutARecordRunsTheFileCommandPlain) {
    // No last-file record: "G" alone, which asks the file dialog (cancelled here).
    fe_.answer_dialog(2);
    type("LAST");
    EXPECT_FALSE(fe_.dialogs.empty());
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_NE(reply(), kSystemPrompt);
    // With a record the name is taken from it: no dialog.
    fe_.dialogs.clear();
    ASSERT_TRUE(core::write_last_file_record("nothere.mus"));
    type("LAST");
    EXPECT_TRUE(fe_.dialogs.empty());
    EXPECT_NE(reply(), kSystemPrompt);
}

}  // namespace
