// The box commands: the command-file form of "M", the typed dialogue with its confirmations,
// "CT" ending at its box, the unknown word, the hand-over of justify boxes, and deleting by
// codes inside a box.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/cut_files.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

// The  cases wait for a run against the complete build (the font data is not in a
// partial one).
namespace {

constexpr int kYes = -1;
constexpr int kNo = 0;
constexpr int kExit = -2;

class BoxCommandsTest : public InterpreterTest {
  protected:
    // Staves 1 and 3 and three notes, two of them on staff 3.
    void make_page() {
        enter_items_without_editing();
        type_all({"8 1 0", "8 3 0", "1 3 10 1 10 0 1", "1 3 12 2 10 0 1", "1 1 20 3 10 0 1"});
        ASSERT_EQ(core::ItemCount, 5);
    }
    static int32_t count_on_staff(int32_t staff) {
        int32_t n = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (static_cast<int32_t>(item(k)[2]) == staff) ++n;
        }
        return n;
    }
    // P4 of the notes (code 1) on the staff, in store order.
    static std::vector<float> note_levels(int32_t staff) {
        std::vector<float> levels;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (item(k)[1] == 1.0f && static_cast<int32_t>(item(k)[2]) == staff)
                levels.push_back(item(k)[4]);
        return levels;
    }
    // P3 of the notes (code 1) on the staff, in store order.
    static std::vector<float> note_positions(int32_t staff) {
        std::vector<float> positions;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w[1] == 1.0f && static_cast<int32_t>(w[2]) == staff) positions.push_back(w[3]);
        }
        return positions;
    }
};

TEST_F(BoxCommandsTest, CommandFileMoveKeepsPositionsOrShiftsByTheLeftEdge) {
    make_page();
    write_file("move.cmd", {"M", "3 0 0 3", "5 0 0"});
    type("RE move.cmd");
    EXPECT_EQ(count_on_staff(3), 0);
    EXPECT_EQ(count_on_staff(5), 3);
    EXPECT_EQ(note_positions(5), (std::vector<float>{10.0f, 12.0f}));
    EXPECT_EQ(count_on_staff(1), 2);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(BoxCommandsTest, CommandFileShiftCrossingHundredLandsAtPlusA) {
    enter_items_without_editing();
    type_all({"8 3 0", "1 3 150 1 10 0 1"});
    write_file("shift.cmd", {"M", "3 100 200 3", "3 -60"});
    type("RE shift.cmd");
    EXPECT_EQ(note_positions(3), (std::vector<float>{90.0f}));
}

TEST_F(BoxCommandsTest, TypedDialogueAsksAgainOnNoAndExitChangesNothing) {
    make_page();
    const std::vector<float> before = page();
    type("M");
    EXPECT_EQ(core::PendingBoxOperation, 2);
    fe_.answer_yes_no(kNo);
    type("3 0 0 3");
    EXPECT_TRUE(asked("Source Box O.K.? -"));
    EXPECT_EQ(core::PendingBoxOperation, 2);  // the question again
    EXPECT_EQ(reply(),
              "Enter Staff number, Left position, Right position, and upper staff num. -- or "
              "draw box.");
    fe_.answer_yes_no(kExit);
    type("3 0 0 3");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ItemCount, 5);
}

TEST_F(BoxCommandsTest, TypedDialogueMovesAfterBothConfirmations) {
    make_page();
    type("M");
    fe_.answer_yes_no(kYes);
    type("3 0 0 3");
    EXPECT_EQ(core::PendingBoxOperation, 3);
    EXPECT_EQ(reply(), "Enter new Staff#, Left pos, Right pos, (Upper staff), -- or draw box.");
    fe_.answer_yes_no(kYes);
    fe_.answer_dialog(1);  // the code chooser: all codes
    type("5 0 0");
    EXPECT_TRUE(asked("Destination Box O.K.? - "));
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(count_on_staff(3), 0);
    EXPECT_EQ(note_positions(5), (std::vector<float>{10.0f, 12.0f}));
}

TEST_F(BoxCommandsTest, UnknownWordShowsOnlyItsMessage) {
    make_page();
    fe_.message_boxes.clear();
    core::CommandLine.set("QQ");
    int32_t operation = 1;
    edit::run_box_command(operation);
    EXPECT_EQ(operation, 0);
    EXPECT_TRUE(shown("ERROR -- unknown word in this context: QQ") ||
                reply().find("ERROR -- unknown word in this context: QQ") == 0);
    EXPECT_FALSE(shown("106"));
    EXPECT_EQ(times_shown("106"), 0);
}

TEST_F(BoxCommandsTest, CutWordEndsAtItsConfirmedBoxAndWritesTheFile) {
    make_page();
    type("CT 3");
    fe_.answer_yes_no(kYes);
    fe_.answer_dialog(1);  // the code chooser: all codes
    type("3");
    EXPECT_TRUE(asked("Source Box O.K.? -"));
    EXPECT_EQ(core::PendingBoxOperation, 0);
    const std::filesystem::path cut = temp_.work() / edit::cut_file_part(3);
    ASSERT_TRUE(std::filesystem::exists(cut));
    EXPECT_EQ(std::filesystem::file_size(cut), 120u);
    EXPECT_EQ(reply(), "Area copied =   3    0.0  200.0    3");
    // Nothing pending: the next line is an ordinary command again.
    type("1 1 30 3 10 0 1");
    EXPECT_EQ(core::ItemCount, 6);
}

TEST_F(BoxCommandsTest, JustifyAndTransposeBoxesAreHandedOver) {
    make_page();
    int32_t operation = 8;
    edit::PendingBoxStep = 6;
    core::ChangesMadeFlag = 0;
    fe_.answer_yes_no(kYes);
    core::CommandLine.set("3 0 100 3");
    edit::run_box_command(operation);
    EXPECT_EQ(core::ChangesMadeFlag, 1);  // the system was justified
    EXPECT_EQ(operation, 0);
    operation = 11;
    fe_.answer_yes_no(kYes);
    core::CommandLine.set("3 50 20 3");
    edit::run_box_command(operation);
    EXPECT_EQ(edit::BoxTransposeRange.staff, 3);
    EXPECT_EQ(edit::BoxTransposeRange.left, 50.0f);
    EXPECT_GT(edit::BoxTransposeRange.right, 50.0f);  // not beyond the left: the page's end
    // A whole staff with the dialog answered: its notes move a whole step.
    operation = 11;
    fe_.answer_yes_no(kYes);
    ScriptedFrontEnd::DialogAnswer setup;
    setup.words = std::vector<int32_t>(19, 0);
    setup.words[10] = 2;   // the interval
    setup.words[13] = -1;  // no clef change
    fe_.answer_dialog(setup);
    core::CommandLine.set("3 0 0 3");
    edit::run_box_command(operation);
    EXPECT_EQ(note_levels(3), (std::vector<float>{2.0f, 3.0f}));
    EXPECT_EQ(note_levels(1), (std::vector<float>{3.0f}));
    // A refused box hands nothing over.
    operation = 8;
    core::ChangesMadeFlag = 0;
    fe_.answer_yes_no(kExit);
    core::CommandLine.set("3 0 100 3");
    edit::run_box_command(operation);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
}

TEST_F(BoxCommandsTest, ListingDeletingAndKeepingOneStaff) {
    make_page();
    const std::vector<float> before = page();
    // "MX" lists the items inside and changes nothing.
    type("MX");
    fe_.answer_yes_no(kYes);
    fe_.answer_dialog(2);  // the listed box's "Steps to move": Exit
    type("3 0 200 3");
    EXPECT_TRUE(std::count(fe_.dialogs.begin(), fe_.dialogs.end(), "Steps to move") == 1);
    EXPECT_EQ(edit::SelectionList.count, 3);
    EXPECT_EQ(page(), before);
    // A box and codes: only the notes of staff 3 go.
    core::PendingBoxOperation = 0;
    core::CommandLine.set("3 0 200 3");
    edit::SelectionBox = edit::SelectionBoxRecord{};
    edit::SelectionBox.low_staff = 3;
    edit::SelectionBox.high_staff = 3;
    edit::SelectionBox.left = 0.0f;
    edit::SelectionBox.right = 200.0f;
    edit::BoxCodeFilter.fill(0.0f);
    edit::BoxCodeFilter(1) = 1.0f;
    core::PendingBoxOperation = 7;
    edit::PendingBoxStep = 0;
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(1) = 1.0f;
    int32_t operation = 7;
    edit::run_box_command(operation);
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_TRUE(note_positions(3).empty());
    EXPECT_EQ(note_positions(1), (std::vector<float>{20.0f}));
    // An empty box: "Nothing to do.", no change.
    const std::vector<float> kept = page();
    core::PendingBoxOperation = 7;
    operation = 7;
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(1) = 1.0f;
    edit::run_box_command(operation);
    EXPECT_TRUE(shown("Nothing to do.") || reply() == "Nothing to do.");
    EXPECT_EQ(page(), kept);
    // A left position of -99.0 keeps one staff.
    edit::SelectionBox.low_staff = 1;
    edit::SelectionBox.left = -99.0f;
    core::PendingBoxOperation = 9;
    core::CommandLine.set(" ");
    edit::PendingBoxStep = 0;
    edit::delete_box_codes();
    EXPECT_EQ(count_on_staff(3), 0);
    EXPECT_EQ(count_on_staff(1), 2);
}

TEST_F(BoxCommandsTest, DexClearsOnlyTheUpperStaves) {
    enter_items_without_editing();
    type_all({"8 1 0", "1 1 20 3 10 0 1", "8 201 0", "1 201 30 3 10 0 1", "1 256 40 3 10 0 1"});
    ASSERT_EQ(core::ItemCount, 5);
    edit::BoxCodeFilter.fill(0.0f);
    core::PendingBoxOperation = 0;
    core::CommandLine.set("DEX");
    edit::delete_box_codes();
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(count_on_staff(1), 2);
}

}  // namespace

// A typed box of huge numbers (beyond the 32-bit range) is held far off the page: the box is
// outside every staff, nothing is marked or changed, and nothing overflows.
TEST_F(BoxCommandsTest, HugeTypedBoxNumbersChangeNothing) {
    make_page();
    const std::vector<float> before = page();
    type("MX");
    fe_.answer_yes_no(kExit);
    type("3 -3000000000 3000000000 3");
    // Held far off, and remembered with the view's origin as a dragged box's edges are.
    EXPECT_EQ(edit::LastBoxOutlineX(1), -1'000'000'000 + render::ViewOrigin.x);
    EXPECT_EQ(edit::LastBoxOutlineX(2), 1'000'000'000 + render::ViewOrigin.x);
    type("MX");
    type("-3000000000 0 0 3000000000");
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ItemCount, 5);
}

// The word that started a box deletion serves the box step only: the front-end's command buffer
// is blank afterwards, so that the window does not run the word again as the next command.
TEST_F(BoxCommandsTest, TheDeletionsWordIsNotLeftForTheNextCommand) {
    make_page();
    type("DE");
    fe_.answer_yes_no(kYes);
    ScriptedFrontEnd::DialogAnswer codes;
    codes.words = {1};
    fe_.answer_dialog(codes);
    type("3 0 200 3");
    EXPECT_TRUE(note_positions(3).empty());
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank()) << core::FrontEndCommandBuffer.trimmed();
    EXPECT_EQ(core::PendingBoxOperation, 0);
}
