// Item-editor words typed into the console: a beam split while it is edited, and the step words
// typed with a star and their number; checked in the store, the editor's copy and the saved file.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

// Item k's P1..Pn as the store holds them.
std::vector<float> ied_stored(int32_t k) {
    const int32_t s = core::ItemStartTable(k);
    const int32_t n = static_cast<int32_t>(core::ItemStore(s));
    return std::vector<float>(core::ItemStore.data() + s, core::ItemStore.data() + s + n);
}

// The editor's working copy, as long as the stored record of the edited item.
std::vector<float> ied_working_copy() {
    const int32_t k = core::EditedItemNumber;
    const int32_t n = static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k)));
    std::vector<float> e;
    for (int32_t j = 1; j <= n; ++j) e.push_back(core::EditItemParams(j));
    // Nothing past the stored record either.
    for (int32_t j = n + 1; j <= core::EditItemParams.size(); ++j) {
        if (core::EditItemParams(j) != 0.0f) e.push_back(core::EditItemParams(j));
    }
    return e;
}

// Record k (1-based) of a saved document's words: P1..Pn.
std::vector<float> ied_saved_record(const std::vector<float>& words, int32_t k) {
    std::size_t at = 0;
    for (int32_t r = 1; r < k && at < words.size(); ++r) {
        at += static_cast<std::size_t>(words[at]) + 1;
    }
    if (at >= words.size()) return {};
    const auto n = static_cast<std::size_t>(words[at]);
    if (at + n >= words.size()) return {};
    return std::vector<float>(words.begin() + static_cast<std::ptrdiff_t>(at + 1),
                              words.begin() + static_cast<std::ptrdiff_t>(at + 1 + n));
}

// A staff and eight sixteenths at 20, 30 .. 90 with stems down, entered without editing.
std::vector<std::string> ied_sixteenths() {
    std::vector<std::string> lines = {"EI", "8 1 0"};
    for (int x = 20; x <= 90; x += 10) lines.push_back("1 1 " + std::to_string(x) + " 9 20 0 0.25");
    return lines;
}

class ItemEditorWordsConsoleTest : public ConsoleSessionTest {
  protected:
    std::vector<float> saved_record(const std::string& name, int32_t k) const {
        return ied_saved_record(decode(read_file_bytes(temp_.root() / name)), k);
    }
};

// ---- a beam split while it is edited --------------------------------------------------------

// The split is stored as the rebuilt beam, the editor's copy is that same beam, and X writes it
// back unchanged; UNDO takes the split back as a whole, leaving the beam as typed.
TEST_F(ItemEditorWordsConsoleTest, ASplitBeamStaysInTheEditorAsStored) {
    type(ied_sixteenths());
    const std::vector<std::string> before_beam = stored_item_lines();
    const std::vector<float> split = {6, 1, 20, 2, 2, 90, 21, 0, 0, 11, 20, 50, 11, 60, 90};
    std::string out = type({"6 1 20 2 2 90 22", "I 10", "SP 4"});
    ASSERT_EQ(core::EditedItemNumber, 10) << out;
    EXPECT_EQ(ied_stored(10), split) << out;
    EXPECT_EQ(ied_working_copy(), split) << out;
    out = type({"X"});
    EXPECT_EQ(core::EditedItemNumber, 0) << out;
    EXPECT_EQ(ied_stored(10), split) << out;
    out = type({"UNDO"});
    EXPECT_EQ(stored_item_lines(), console_lines_then(before_beam, {"6 1 20 2 2 90 22"})) << out;

    // Saved and read back.
    core::reset_engine();
    core::reset_service_gate();
    type(ied_sixteenths());
    out = type({"6 1 20 2 2 90 22", "I 10", "SP 4", "X", "SA split.mus"});
    EXPECT_EQ(saved_record("split.mus", 10), split) << out;
    EXPECT_EQ(saved_record("split.mus", 1), (std::vector<float>{8, 1, 0}));
}

// Other split codes: after note 6, the three splits of 222 (a second beam item follows), and
// no code at all.
TEST_F(ItemEditorWordsConsoleTest, EverySplitCodeLeavesTheStoredBeamInTheEditor) {
    type(ied_sixteenths());
    const std::vector<std::string> before_beam = stored_item_lines();
    for (const char* split : {"SP 6", "SP 222", "SP"}) {
        SCOPED_TRACE(split);
        core::reset_engine();
        core::reset_service_gate();
        type(ied_sixteenths());
        std::string out = type({"6 1 20 2 2 90 22", "I 10", split});
        ASSERT_EQ(core::EditedItemNumber, 10) << out;
        const std::vector<float> stored = ied_stored(10);
        EXPECT_EQ(ied_working_copy(), stored) << out;
        EXPECT_EQ(stored[1], 1.0f) << out;  // the staff
        EXPECT_EQ(stored[2], 20.0f) << out;
        EXPECT_EQ(stored[5], 90.0f) << out;
        out = type({"X"});
        EXPECT_EQ(ied_stored(10), stored) << out;
        // Back to the beam as typed, whatever beam items the split made.
        out = type({"UNDO"});
        EXPECT_EQ(stored_item_lines(), console_lines_then(before_beam, {"6 1 20 2 2 90 22"}))
            << out;
    }
}

// ---- the star step words --------------------------------------------------------------------

// "L* 3" moves the note by 3 and makes 3 the step that the plain "L" then takes.
TEST_F(ItemEditorWordsConsoleTest, AStarStepWordMovesByItsNumberAndKeepsIt) {
    type({"EI", "8 1 0"});
    const std::vector<std::string> staff_only = stored_item_lines();
    const std::vector<float> moved = {1, 1, 34, 5, 5, 0, 1};
    std::string out = type({"1 1 40 5 5 0 1", "I 2", "L* 3"});
    EXPECT_EQ(core::EditItemParams(3), 37.0f) << out;
    EXPECT_EQ(edit::HorizontalMoveStep, 3.0f) << out;
    out = type({"L", "X"});
    EXPECT_EQ(ied_stored(2), moved) << out;
    // UNDO takes back the edit alone: the note stays where it was typed.
    out = type({"UNDO"});
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 40 5 5 0 1"})) << out;
    EXPECT_NE(stored_item_lines(), staff_only);

    out = type({"I 2", "L* 3", "L", "X", "SA a.mus"});
    EXPECT_EQ(saved_record("a.mus", 2), moved) << out;
}

struct StarStepCase {
    const char* line;
    float dx;  // the change of P3
    float dy;  // the change of P4
};

// Every star word of the step words, each typed on a note whose remembered steps are 4: the
// horizontal and vertical words, their unit forms (points, inches, centimetres) and the doubled
// form (half a step, whatever the number). A star with no number is the plain word.
TEST_F(ItemEditorWordsConsoleTest, EveryStarStepWordTakesItsTypedNumber) {
    const float staff_scale = 25.0f;  // the staff's raw scale; the vertical units divide by it
    const StarStepCase cases[] = {
        {"R* 2", 2, 0},
        {"L*3", -3, 0},
        {"l* 1.5", -1.5f, 0},
        {"U* 3", 0, 3},
        {"D* 2", 0, -2},
        {"RP* 27", 10, 0},
        {"LI* 0.375", -10, 0},
        {"RC* 0.9525", 10, 0},
        {"UP* 3", 0, 3 / (0.126f * staff_scale)},
        {"DI* 0.0875", 0, -0.0875f / (0.00175f * staff_scale)},
        {"UC* 0.4445", 0, 0.4445f / (0.004445f * staff_scale)},
        {"RR* 3", 0.5f, 0},
        {"R*", 4, 0},
        {"D*", 0, -4},
    };
    type({"EI", "8 1 0", "1 1 40 5 5 0 1"});
    for (const StarStepCase& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string out = type({"I 2", "R 4", "L 4", "U 4", "D 4", c.line});
        ASSERT_EQ(core::EditedItemNumber, 2) << out;
        EXPECT_NEAR(core::EditItemParams(3), 40.0f + c.dx, 1e-3f) << out;
        EXPECT_NEAR(core::EditItemParams(4), 5.0f + c.dy, 1e-3f) << out;
        type({"X"});
        EXPECT_NEAR(stored_param(2, 3), 40.0f + c.dx, 1e-3f);
        EXPECT_NEAR(stored_param(2, 4), 5.0f + c.dy, 1e-3f);
        type({"I 2", ",,40 5", "X"});
    }
}

// The star words read from a command file by RE (a trailing comment, a star without a number),
// the item stored by the file's "ST" and saved.
TEST_F(ItemEditorWordsConsoleTest, StarStepWordsFromACommandFile) {
    type({"EI", "8 1 0", "1 1 40 5 5 0 1"});
    {
        std::ofstream file(temp_.root() / "steps.cmd");
        file << "I 2\nL* 3\nU* 2 % two steps up\nR*  0.5\nLP* 2.7\nR*\nST\n";
    }
    const std::string out = type({"RE steps.cmd", "SA steps.mus"});
    const std::vector<float> moved = {1, 1, 37.5f, 7, 5, 0, 1};
    EXPECT_EQ(ied_stored(2), moved) << out;
    EXPECT_EQ(saved_record("steps.mus", 2), moved) << out;
    EXPECT_EQ(edit::HorizontalMoveStep, 1.0f);
}

}  // namespace
