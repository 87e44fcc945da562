// Editing the current item through the console: typed lines in, the store, the messages and the
// item panel's line out.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/console_front_end.h"
#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/tables.h"

using namespace core;

namespace {

class ConsoleEditingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        reset_service_gate();
    }
    void TearDown() override { set_front_end(nullptr); }

    // Types the lines (each ended by a line feed) into a fresh console; returns what it printed.
    std::string type(const std::vector<std::string>& lines) {
        std::string input;
        for (const std::string& line : lines) input += line + "\n";
        in_.str(input);
        in_.clear();
        const std::size_t before = out_.str().size();
        fe_ = std::make_unique<ConsoleFrontEnd>(in_, out_);
        set_front_end(fe_.get());
        EXPECT_EQ(fe_->run(), 0);
        return out_.str().substr(before);
    }

    // Item k's record as stored: its word count, then P1..Pn.
    static std::vector<float> record(int32_t k) {
        std::vector<float> words;
        if (k < 1 || k > ItemCount) return words;
        const int32_t s = ItemStartTable(k);
        const int32_t n = static_cast<int32_t>(ItemStore(s));
        for (int32_t w = s; w <= s + n; ++w) words.push_back(ItemStore(w));
        return words;
    }
    static float edited(int32_t p) { return EditItemParams(p); }

  private:
    std::istringstream in_;
    std::ostringstream out_;
    std::unique_ptr<ConsoleFrontEnd> fe_;
};

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

// A note on staff 1 at 100, item 2, taken into editing.
const std::vector<std::string> kNoteEdited = {"EI", "8 1 0", "NOTE RHQ", "I 2"};

// ---- sharps, the panel line and leaving edit mode -------------------------------------------

TEST_F(ConsoleEditingTest, SharpIsStoredWhenEditingEndsAndThePanelFollowsTheValue) {
    std::vector<std::string> lines = kNoteEdited;
    lines.insert(lines.end(), {"SH", "X"});
    const std::string out = type(lines);
    const std::size_t ten = out.find("P5=  10.000");
    const std::size_t twelve = out.find("P5=  12.000");
    ASSERT_NE(ten, std::string::npos) << out;
    ASSERT_NE(twelve, std::string::npos) << out;
    EXPECT_LT(ten, twelve);
    const std::size_t exit = out.find("Exit from Edit Mode");
    ASSERT_NE(exit, std::string::npos) << out;
    EXPECT_GT(exit, twelve);
    EXPECT_EQ(EditedItemNumber, 0);
    EXPECT_EQ(record(2), (std::vector<float>{7, 1, 1, 100, 1, 12, 0, 1}));
    // With no item edited the panel line is no longer printed.
    const std::string after = type({"8 2 0"});
    EXPECT_FALSE(has(after, "Item ")) << after;
}

// ---- step words, the value words by index -----------------------------------------------------

TEST_F(ConsoleEditingTest, StepWordsMoveTheNoteByTheirLetterCount) {
    std::vector<std::string> lines = kNoteEdited;
    lines.push_back("LL");
    type(lines);
    EXPECT_FLOAT_EQ(edited(3), 99.5f);
    type({"LLL"});
    EXPECT_FLOAT_EQ(edited(3), 99.3f);
    type({"RR"});
    EXPECT_FLOAT_EQ(edited(3), 99.8f);
}

TEST_F(ConsoleEditingTest, SlashAddsToTheParameterItNamesWithinTheWorkingCopyOnly) {
    std::vector<std::string> lines = kNoteEdited;
    lines.push_back("/ 5 .2");
    type(lines);
    EXPECT_FLOAT_EQ(edited(5), 10.2f);
    // The last index of the working copy is accepted; one past it is a bad word.
    std::string out = type({"/ 45 1"});
    EXPECT_FALSE(has(out, "unknown word")) << out;
    EXPECT_FLOAT_EQ(edited(45), 1.0f);
    const std::vector<float> before(&EditItemParams(1), &EditItemParams(1) + 45);
    out = type({"/ 99 1"});
    EXPECT_TRUE(has(out, "unknown word")) << out;
    out = type({"/ 46 1"});
    EXPECT_TRUE(has(out, "unknown word")) << out;
    EXPECT_EQ(std::vector<float>(&EditItemParams(1), &EditItemParams(1) + 45), before);
}

// ---- words by item code ---------------------------------------------------------------------

TEST_F(ConsoleEditingTest, BarStyleWordIsStoredWithTheBar) {
    type({"EI", "8 1 0", "BAR", "I 2", "BARD 3", "X"});
    EXPECT_EQ(record(2), (std::vector<float>{5, 14, 1, 100, 3, 1}));
}

TEST_F(ConsoleEditingTest, OrnamentAndDynamicWordsSetTheirSymbol) {
    type({"EI", "8 1 0", "GUI", "I 2", "AGR"});
    EXPECT_FLOAT_EQ(edited(5), -1.0f);
    type({"AGR"});
    EXPECT_FLOAT_EQ(edited(5), -4.0f);

    type({"X", "MF", "I 3", "PPP"});
    EXPECT_EQ(EditedItemNumber, 3);
    EXPECT_FLOAT_EQ(edited(5), 51.0f);
}

// ---- refusals, abandon and copy ---------------------------------------------------------------

TEST_F(ConsoleEditingTest, PendingChangesRefuseDeleteAndAbandonBringsTheStoredValuesBack) {
    std::vector<std::string> lines = kNoteEdited;
    lines.push_back("SH");
    type(lines);
    const std::vector<float> stored = record(2);
    const int32_t count = ItemCount;
    std::string out = type({"DE"});
    EXPECT_TRUE(has(out, "Cannot delete after edit changes. (Type 'AB' first.)")) << out;
    EXPECT_EQ(ItemCount, count);
    EXPECT_EQ(record(2), stored);
    EXPECT_EQ(EditedItemNumber, 2);

    type({"AB"});
    EXPECT_FLOAT_EQ(edited(5), 10.0f);
    EXPECT_EQ(record(2), stored);
    out = type({"C"});
    EXPECT_TRUE(has(out, "Cannot COPY if no changes are made.")) << out;
    EXPECT_EQ(ItemCount, count);
}

// ---- a longer item's words never reach a shorter one ----------------------------------------

TEST_F(ConsoleEditingTest, ALongerItemsWordsAreNotStoredIntoTheNextOneEdited) {
    std::string forty = "4 1 10 5 5 30";
    for (int k = 7; k <= 39; ++k) forty += " 0";
    forty += " 1";
    type({"EI", "8 1 0", "MF", forty, "I 3", "B", "PPP", "X"});
    EXPECT_EQ(record(2), (std::vector<float>{5, 9, 1, 100, -2, 51}));
    EXPECT_EQ(record(3).size(), 41u);
}

// ---- the size word --------------------------------------------------------------------------

TEST_F(ConsoleEditingTest, SizeWordReportsTheAbsoluteSizeAndSetsTheStaffSize) {
    const std::string out = type(
        {"EI", "8 1 0 0 2", "1 1 50 1 10 0 1 0 0 0 0 0 0 0 101.5", "I 2", "SZ"});
    EXPECT_TRUE(has(out, "*** Absolute size =    3.00")) << out;
    EXPECT_TRUE(has(out, "Staff size  2.00")) << out;
    type({"SZ 4"});
    EXPECT_FLOAT_EQ(edited(15), 102.0f);
}

}  // namespace

namespace {

// ---- the move-step display ------------------------------------------------------------------

TEST_F(ConsoleEditingTest, PanelShowsTheNoteNameAndItsSevenValuesAndTheReplyItsNumbers) {
    std::vector<std::string> lines = kNoteEdited;
    lines.push_back("LL");
    const std::string out = type(lines);
    const std::size_t panel = out.find("Item 2/2  NOTE");
    ASSERT_NE(panel, std::string::npos) << out;
    const std::string panel_line = out.substr(panel, out.find('\n', panel) - panel);
    EXPECT_TRUE(has(panel_line, "P7=")) << panel_line;
    EXPECT_FALSE(has(panel_line, "P8=")) << panel_line;
    // The reply of "LL": the item number in columns 1-4, P3 half a step left in 25-31.
    const std::string& reply = ItemStatusLine.trimmed();
    ASSERT_GE(reply.size(), 31u);
    EXPECT_EQ(reply.substr(0, 4), "   2");
    EXPECT_EQ(reply.substr(24, 7), "  99.50");
    EXPECT_EQ(MessageLine.sub(1, 31), ItemStatusLine.sub(1, 31));
    EXPECT_TRUE(has(out, "   2 NOTE       1   1.0   99.50")) << out;
}

}  // namespace
