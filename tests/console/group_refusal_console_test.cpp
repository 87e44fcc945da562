// Group copies and moves that are refused, typed into the console, given in a command file or
// repeated: the page, its item count, its undo copy and its changed mark stay
// as they were, and the reply says why. The same roads at the staff and store limits
// themselves do their whole work, which UNDO takes back.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"

namespace {

constexpr const char* kRefusalStaffMessage =
    "*** The group would leave staves 1 to 256: nothing moved.";
constexpr const char* kRefusalFullMessage = "**** The page is full: the group was not copied.";

// Staves 1, 2 and 256 with a note on each of staves 1 and 2 (the audit's page).
const std::vector<std::string> kRefusalPage = {
    "EI", "8 1 0", "8 2 0", "8 256 0", "1 1 20 5 5 0 1", "1 2 20 5 5 0 1"};

bool refusal_has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

std::vector<float> refusal_page() {
    return std::vector<float>(core::ItemStore.data(),
                              core::ItemStore.data() + core::ItemWordsUsed - 1);
}

int32_t refusal_count_on_staff(int32_t staff) {
    int32_t n = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k) + 2)) == staff) ++n;
    }
    return n;
}

class GroupRefusalConsoleTest : public ConsoleSessionTest {
  protected:
    // The page built and saved: nothing is marked changed and there is nothing to undo.
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        const std::string out = type(kRefusalPage);
        ASSERT_EQ(core::ItemCount, 5) << out;
        type({"SA " + (temp_.root() / "page.mus").string()});
        ASSERT_EQ(core::ChangesMadeFlag, 0);
        before_ = refusal_page();
    }
    void write_lines(const std::string& name, const std::vector<std::string>& lines) {
        std::ofstream file(temp_.root() / name, std::ios::binary);
        for (const std::string& l : lines) file << l << '\n';
    }
    // What a refused operation must leave: the page as it was, no changed mark, no undo copy.
    void expect_untouched(const std::string& out, const char* message) {
        EXPECT_TRUE(refusal_has(out, message)) << out;
        EXPECT_EQ(core::ItemCount, 5) << out;
        EXPECT_EQ(refusal_page(), before_) << out;
        EXPECT_EQ(core::ChangesMadeFlag, 0) << out;
        const std::string undo = type({"UNDO"});
        EXPECT_TRUE(refusal_has(undo, "*** Nothing to UNDO.")) << undo;
        EXPECT_EQ(refusal_page(), before_) << undo;
    }
    std::vector<float> before_;
};

TEST_F(GroupRefusalConsoleTest, CopyOffTheLastStaffLeavesNoCopiesBehind) {
    const std::string out = type({"C", "1 10 50 2", "Y", "256 10 50", "Y", "0"});
    expect_untouched(out, kRefusalStaffMessage);
    // Saved afterwards, the document holds the five items only.
    const std::string saved = type({"SA " + (temp_.root() / "o.mus").string()});
    EXPECT_TRUE(refusal_has(saved, "ITEMS     5")) << saved;
}

TEST_F(GroupRefusalConsoleTest, MoveOffTheLastStaffIsNotMarkedAsAChange) {
    expect_untouched(type({"M", "1 10 50 2", "Y", "256 10 50", "Y", "0"}), kRefusalStaffMessage);
}

TEST_F(GroupRefusalConsoleTest, ShiftedCopyIsRefusedWhole) {
    // A shift along the page as well as across the staves.
    expect_untouched(type({"C", "1 10 50 2", "Y", "256 60 100", "Y", "0"}),
                     kRefusalStaffMessage);
}

TEST_F(GroupRefusalConsoleTest, CommandFileCopyAndMoveAreRefusedWhole) {
    write_lines("copy.cmd", {"C", "1 10 50 2", "256 10 50", "M", "2 10 50 2", "0 10 50"});
    const std::string out = type({"RE copy.cmd"});
    EXPECT_TRUE(refusal_has(out, kRefusalStaffMessage)) << out;
    EXPECT_EQ(core::ItemCount, 5) << out;
    EXPECT_EQ(refusal_page(), before_) << out;
    // The file's one undo copy is the page before it.
    type({"UNDO"});
    EXPECT_EQ(refusal_page(), before_);
}

TEST_F(GroupRefusalConsoleTest, RepeatedCopyPastTheLastStaffMakesNoCopies) {
    // From a command file the repeated copy takes a two-staff group, one staff further each
    // time from staff 3, started on staves up to 256: the last copy would reach staff 257, so
    // none is made.
    write_lines("repeat.cmd", {"CPX", "1 10 50 2", "3 0 0 256"});
    const std::string out = type({"RE repeat.cmd"});
    EXPECT_TRUE(refusal_has(out, kRefusalStaffMessage)) << out;
    EXPECT_EQ(core::ItemCount, 5) << out;
    EXPECT_EQ(refusal_page(), before_) << out;
    // Started on staves up to 255, the last copy ends on staff 256 itself.
    write_lines("repeat.cmd", {"CPX", "1 10 50 2", "3 0 0 255"});
    const std::string fits = type({"RE repeat.cmd"});
    EXPECT_EQ(core::ItemCount, 5 + 2 * 253) << fits;
    EXPECT_EQ(refusal_count_on_staff(256), 2);  // the staff item and the last copy's top
    type({"UNDO"});
    EXPECT_EQ(refusal_page(), before_);
}

TEST_F(GroupRefusalConsoleTest, RepeatedCopyUpToTheLastStaffFillsEveryStaff) {
    const std::string out = type({"CPX", "1 10 50 1", "Y", "2 10 50 256", "Y", "0"});
    EXPECT_EQ(core::ItemCount, 5 + 255) << out;
    EXPECT_EQ(refusal_count_on_staff(2), 3);  // the staff item, its note and the first copy
    EXPECT_EQ(refusal_count_on_staff(256), 2);
    EXPECT_EQ(refusal_count_on_staff(130), 1);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    type({"UNDO"});
    EXPECT_EQ(refusal_page(), before_);
}

TEST_F(GroupRefusalConsoleTest, CopyOntoTheLastTwoStavesFits) {
    const std::string out = type({"C", "1 10 50 2", "Y", "255 10 50", "Y", "0"});
    EXPECT_EQ(core::ItemCount, 7) << out;
    EXPECT_EQ(refusal_count_on_staff(255), 1);
    EXPECT_EQ(refusal_count_on_staff(256), 2);
    type({"UNDO"});
    EXPECT_EQ(refusal_page(), before_);
}

TEST_F(GroupRefusalConsoleTest, RepeatedCopyNeedsRoomForEveryCopyBeforeTheFirst) {
    // Three copies of the staff-1 note (8 words each) onto staves 2 to 4.
    const int32_t used = core::ItemWordsUsed - 1;
    core::ItemStoreCapacity = used + 3 * 8 - 1;
    expect_untouched(type({"CPX", "1 10 50 1", "Y", "2 10 50 4", "Y", "0"}), kRefusalFullMessage);
    core::ItemStoreCapacity = used + 3 * 8;
    const std::string out = type({"CPX", "1 10 50 1", "Y", "2 10 50 4", "Y", "0"});
    EXPECT_EQ(core::ItemCount, 8) << out;
    EXPECT_EQ(refusal_count_on_staff(4), 1);
}

TEST_F(GroupRefusalConsoleTest, SystemCopyWithoutRoomKeepsTheUndoCopy) {
    // Staves 1 and 2 hold a staff item (4 words) and a note (8 words) each.
    const int32_t used = core::ItemWordsUsed - 1;
    core::ItemStoreCapacity = used + 2 * (4 + 8) - 1;
    expect_untouched(type({"CS", "1 2", "Y", "5", "Y"}), kRefusalFullMessage);
    core::ItemStoreCapacity = used + 2 * (4 + 8);
    const std::string out = type({"CS", "1 2", "Y", "5", "Y"});
    EXPECT_EQ(refusal_count_on_staff(5), 2) << out;
}

// A cue note (102), a cue rest, a full-size note, a bar line spanning one staff and an
// invisible one, then a staff-2 note outside the box.
const std::vector<std::string> kStepPage = {
    "EI",        "8 1 0",           "8 2 0",           "1 1 20 102 5 0 1", "2 1 24 -103 1",
    "14 1 28 1", "1 1 30 5 5 0 1",  "14 1 34 -2 1",    "1 2 30 5 5 0 1"};

class GroupStepConsoleTest : public ConsoleSessionTest {
  protected:
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        const std::string out = type(kStepPage);
        ASSERT_EQ(core::ItemCount, 8) << out;
        before_ = refusal_page();
    }
    static float level(int32_t k) { return core::ItemStore(core::ItemStartTable(k) + 4); }
    std::vector<float> before_;
};

TEST_F(GroupStepConsoleTest, StepsDownKeepTheCueMarkAndTheBarSpans) {
    const std::string out = type({"MD", "1 10 50 1", "Y", "3"});
    EXPECT_EQ(level(3), -101.0f) << out;  // as the editor's pair "400 -3" gives it
    EXPECT_EQ(level(4), -106.0f);
    EXPECT_EQ(level(5), 1.0f);  // a bar line's span
    EXPECT_EQ(level(6), 2.0f);
    EXPECT_EQ(level(7), -2.0f);
    EXPECT_EQ(level(8), 5.0f);  // outside the box
    type({"UNDO"});
    EXPECT_EQ(refusal_page(), before_);
}

TEST_F(GroupStepConsoleTest, StepsUpCrossZeroOnTheCueSide) {
    const std::string out = type({"MU", "1 10 50 1", "Y", "4"});
    EXPECT_EQ(level(3), 106.0f) << out;
    EXPECT_EQ(level(4), 101.0f);  // -103 up 4: level 1, still cue
    EXPECT_EQ(level(5), 1.0f);
    EXPECT_EQ(level(6), 9.0f);
    type({"UNDO"});
    EXPECT_EQ(refusal_page(), before_);
}

TEST_F(GroupStepConsoleTest, AnEmptyBoxSavesNoUndoCopy) {
    type({"SA " + (temp_.root() / "step.mus").string()});
    const std::string out = type({"MU", "3 10 50 3", "Y", "2", "UNDO"});
    EXPECT_TRUE(refusal_has(out, "Nothing to do.")) << out;
    EXPECT_TRUE(refusal_has(out, "*** Nothing to UNDO.")) << out;
    EXPECT_EQ(refusal_page(), before_);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
}

}  // namespace
