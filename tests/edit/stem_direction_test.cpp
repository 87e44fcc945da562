// The stem command's dialogue through the interpreter: the prompts of each mode, the box typed
// and confirmed (Yes, No, Exit), the staves it runs over, the box without a staff, the "X" and
// command-file forms that run at once, and one run in the console as a user types it. What the
// flip and the fit do to the items is checked with them; here only the dialogue's own effects.
#include "engine/edit/systems/stem_direction.h"

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/console_run.h"

namespace {

constexpr int kYes = -1;
constexpr int kNo = 0;
constexpr int kExit = -2;

std::string prompt_for(std::string message, bool top_staff = false) {
    message.resize(39, ' ');
    return message +
           (top_staff ? "\r\nEnter Staff number, Left position, Right position, Top staff"
                      : "\r\nEnter Staff number, Left position, Right position ") +
           "\r\n-- or Draw Box.";
}

class StemDirectionTest : public InterpreterTest {
  protected:
    // Staves 3 to 6, each with a note.
    void make_page() {
        enter_items_without_editing();
        type_all({"8 3 0", "8 4 0", "8 5 0", "8 6 0", "1 3 20 5 10 0 0.5", "1 5 40 8 10 0 0.5"});
        ASSERT_EQ(core::ItemCount, 6);
        ASSERT_EQ(core::EditedItemNumber, 0);
        core::UndoRedoState = 0;
        edit::ShownPalette = 0;
        fe_.message_boxes.clear();
        fe_.questions.clear();
    }
    // The staff the command would take next: one past the last staff it ran on.
    static int32_t next_staff() { return static_cast<int32_t>(layout::InputStaff); }
    // Ended: nothing pending, the prompt gone from the reply, the general palette shown.
    void expect_ended() const {
        EXPECT_EQ(core::PendingBoxOperation, 0);
        EXPECT_EQ(edit::PendingBoxStep, 0);
        EXPECT_EQ(reply().find("Enter Staff number"), std::string::npos) << reply();
        EXPECT_EQ(edit::ShownPalette, 134);
    }
};

TEST_F(StemDirectionTest, EachModeShowsItsMessageAndTheBoxPrompt) {
    make_page();
    const std::vector<std::pair<std::string, std::string>> modes = {
        {"FL", "Flip Stems, etc. to Opposite Direction."},
        {"FLQ", "Flip Stems, etc. to Opposite Direction."},
        {"FLN", "Normalize Stem Directions."},
        {"FLD", "Flip Stems, etc. Down."},
        {"FLU", "Flip Stems, etc. Up."},
        {"FLA", "Adjust Stems to Beams."},
    };
    for (const auto& [word, message] : modes) {
        type(word);
        EXPECT_EQ(reply(), prompt_for(message)) << word;
        EXPECT_EQ(core::PendingBoxOperation, 13) << word;
        EXPECT_EQ(edit::SavedCommandLine.trimmed(), word) << word;
        fe_.answer_yes_no(kExit);
        type("3 0 0 3");
        expect_ended();
    }
    type("FLV");
    EXPECT_EQ(reply(), prompt_for("To set default Slur curvature:", true));
    fe_.answer_yes_no(kExit);
    type("3 0 0 3");
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(StemDirectionTest, ConfirmedBoxRunsOverItsStavesWithOneUndoCopy) {
    make_page();
    const std::vector<float> before = page();
    type("FLU");
    fe_.answer_yes_no(kYes);
    type("3 0 0 5");
    EXPECT_TRUE(asked("Source Box O.K.? -"));
    // Staves 3, 4 and 5, over the whole width.
    EXPECT_EQ(next_staff(), 6);
    EXPECT_EQ(layout::InputRangeStart, 0.0f);
    EXPECT_EQ(layout::InputRangeEnd, 200.0f);
    EXPECT_EQ(layout::InputParserMode, 0);
    EXPECT_EQ(core::UndoRedoState, 1);
    expect_ended();
    // The page comes back as it was before the command.
    type("UNDO");
    EXPECT_EQ(page(), before);
}

TEST_F(StemDirectionTest, TopStaffZeroRunsOnTheLowStaffOnly) {
    make_page();
    type("FLD");
    fe_.answer_yes_no(kYes);
    type("3 0 0 0");
    EXPECT_EQ(next_staff(), 4);
    expect_ended();
}

TEST_F(StemDirectionTest, RightPositionZeroReachesTheRightEnd) {
    make_page();
    type("FLN");
    fe_.answer_yes_no(kYes);
    type("4 10 0 4");
    EXPECT_EQ(layout::InputRangeStart, 10.0f);
    EXPECT_EQ(layout::InputRangeEnd, 200.0f);
    EXPECT_EQ(next_staff(), 5);
}

TEST_F(StemDirectionTest, NoAsksForTheBoxAgainAndKeepsWaiting) {
    make_page();
    type("FLU");
    fe_.answer_yes_no(kNo);
    type("3 0 0 5");
    EXPECT_EQ(core::PendingBoxOperation, 13);
    EXPECT_EQ(reply(), prompt_for("Flip Stems, etc. Up."));
    EXPECT_EQ(core::CommandLine.trimmed(), "FLU");
    EXPECT_EQ(core::UndoRedoState, 0);
    // The next box is taken in the same mode.
    layout::InputStaff = 0.0f;
    fe_.answer_yes_no(kYes);
    type("4 0 0 4");
    EXPECT_EQ(next_staff(), 5);
    EXPECT_EQ(core::UndoRedoState, 1);
    expect_ended();
}

TEST_F(StemDirectionTest, ExitEndsWithoutChanges) {
    make_page();
    const std::vector<float> before = page();
    layout::InputStaff = 0.0f;
    type("FL");
    fe_.answer_yes_no(kExit);
    type("3 0 0 5");
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::UndoRedoState, 0);
    EXPECT_EQ(next_staff(), 0);
    expect_ended();
    // The interpreter takes commands again.
    type("FLU");
    EXPECT_EQ(core::PendingBoxOperation, 13);
}

TEST_F(StemDirectionTest, BoxWithoutStaffIsRefusedAndChangesNothing) {
    make_page();
    const std::vector<float> before = page();
    layout::InputStaff = 0.0f;
    type("FLU");
    // Staff 0 alone is asked about first, and refused after the Yes.
    fe_.answer_yes_no(kYes);
    type("0");
    EXPECT_TRUE(asked("Source Box O.K.? -"));
    EXPECT_TRUE(shown("*** No Staff number given. ***"));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::UndoRedoState, 0);
    EXPECT_EQ(next_staff(), 0);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(edit::ShownPalette, 134);
}

TEST_F(StemDirectionTest, StaffZeroWithARangeIsRefusedUnasked) {
    make_page();
    const std::vector<float> before = page();
    layout::InputStaff = 0.0f;
    type("FLU");
    fe_.answer_yes_no(kYes);
    type("0 10 50");
    EXPECT_FALSE(asked("Source Box O.K.? -"));
    EXPECT_TRUE(shown("*** Staff numbers are 1 to 256 -- no box: 0 10 50"));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::UndoRedoState, 0);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(edit::ShownPalette, 134);
}

TEST_F(StemDirectionTest, FitRunsOnceForTheWholeBox) {
    make_page();
    type("FLA");
    fe_.answer_yes_no(kYes);
    type("3 0 0 6");
    EXPECT_EQ(next_staff(), 4);
    EXPECT_EQ(core::UndoRedoState, 1);
    expect_ended();
}

TEST_F(StemDirectionTest, XFormRunsAtOnceOnTheBoxAlreadyGiven) {
    make_page();
    bind_output_lists();
    core::CommandLine.set("FLUX");
    core::ParamBuffer(1) = 3.0f;
    core::ParamBuffer(2) = 0.0f;
    core::ParamBuffer(3) = 0.0f;
    core::ParamBuffer(4) = 4.0f;
    edit::run_stem_direction_command();
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(next_staff(), 5);
    EXPECT_EQ(layout::InputRangeEnd, 200.0f);
    // Typed, the word changes the page: UNDO takes it back alone.
    EXPECT_EQ(core::UndoRedoState, 1);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(edit::ShownPalette, 134);
    // Typed, the word takes P1: no staff, nothing runs, and nothing is left pending.
    layout::InputStaff = 0.0f;
    type("FLUX 3 0 0 4");
    EXPECT_EQ(next_staff(), 0);
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(StemDirectionTest, CommandFileGivesTheBoxOnItsNextLine) {
    make_page();
    write_file("stems.cmd", {"FLD", "3 0 0 5"});
    type("RE stems.cmd");
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(next_staff(), 6);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

class StemDirectionConsoleTest : public ConsoleSessionTest {};

TEST_F(StemDirectionConsoleTest, FlipAsAUserTypesIt) {
    const std::string out = type({"EI", "8 1 0", "1 1 20 5 10 0 0.5", "1 1 40 8 10 0 0.5",
                                  "6 1 20 7 7 40 11", "FLU", "1 0 0 1", "N", "1 0 0 1", "Y", "FH"});
    const size_t message = out.find("Flip Stems, etc. Up.");
    ASSERT_NE(message, std::string::npos) << out;
    const size_t prompt = out.find("Enter Staff number, Left position, Right position", message);
    ASSERT_NE(prompt, std::string::npos) << out;
    const size_t question = out.find("Source Box O.K.? -", prompt);
    ASSERT_NE(question, std::string::npos) << out;
    // No: the prompt again, then the second box's question.
    const size_t again = out.find("Flip Stems, etc. Up.", question);
    ASSERT_NE(again, std::string::npos) << out;
    EXPECT_NE(out.find("Source Box O.K.? -", again), std::string::npos) << out;
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(core::ItemCount, 4);
}

}  // namespace
