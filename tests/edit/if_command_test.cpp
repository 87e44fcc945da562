// The IF command through the interpreter: conditions, actions, the area file and refusals.
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "platform/paths.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class IfCommandTest : public InterpreterTest {
  protected:
    // Page P: two staves, two notes on staff 3, one on staff 1.
    void make_page_p() {
        enter_items_without_editing();
        type_all({"8 1 0", "8 3 0", "1 3 10 1 10 0 1", "1 3 12 2 10 0 1", "1 1 20 3 10 0 1"});
        ASSERT_EQ(core::ItemCount, 5);
        fe_.message_boxes.clear();
    }
    static std::vector<char> area_file() {
        std::ifstream in(platform::work_file("!!cut0.tmp"), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static int32_t int_at(const std::vector<char>& b, int word) {
        int32_t v;
        std::memcpy(&v, b.data() + 4 * word, 4);
        return v;
    }
    static float float_at(const std::vector<char>& b, int word) {
        float v;
        std::memcpy(&v, b.data() + 4 * word, 4);
        return v;
    }
};

TEST_F(IfCommandTest, DeletesTheNotesOfOneStaffAndKeepsTheRest) {
    make_page_p();
    type("IF P1=1 AND P2=3;D");
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(item(1)[1], 8.0f);
    EXPECT_EQ(item(2)[1], 8.0f);
    EXPECT_EQ(item(3)[1], 1.0f);
    EXPECT_EQ(item(3)[2], 1.0f);
}

TEST_F(IfCommandTest, CopyWritesTheAreaFileAndReportsItsBounds) {
    make_page_p();
    type("IF P2>=1 AND P2<=4 AND P3>=10 AND P3<=120;C");
    const std::vector<char> b = area_file();
    ASSERT_EQ(b.size(), 136u);
    EXPECT_EQ(int_at(b, 0), 3);
    EXPECT_EQ(int_at(b, 1), 1);
    EXPECT_EQ(float_at(b, 2), 10.0f);
    EXPECT_EQ(float_at(b, 3), 20.0f);
    EXPECT_EQ(int_at(b, 4), 3);
    EXPECT_EQ(int_at(b, 5), 1400);
    EXPECT_EQ(int_at(b, 6), 3100);
    EXPECT_EQ(int_at(b, 7), 7);  // first copied record: INT(n), then n, P1..
    EXPECT_EQ(float_at(b, 8), 7.0f);
    EXPECT_EQ(reply(), "Area copied =   1   10.0   20.0    3");
    EXPECT_EQ(core::ItemCount, 5);
}

TEST_F(IfCommandTest, LinesThatCannotBeReadChangeNothing) {
    make_page_p();
    const std::vector<float> before = page();
    type("IF P2=3;P4=P4/0");
    EXPECT_EQ(page(), before);
    for (const char* line : {"IF (P1=1;D", "IF P1=1);D", "IF P1#1;D", "IF P1=1 XOR P2=3;D"}) {
        core::UndoRedoState = 0;
        fe_.message_boxes.clear();
        type(line);
        EXPECT_EQ(page(), before) << line;
        EXPECT_FALSE(fe_.message_boxes.empty()) << line;
        EXPECT_EQ(core::UndoRedoState, 0) << line;  // no undo copy
    }
}

TEST_F(IfCommandTest, OperandAndColumnLimits) {
    make_page_p();
    const std::vector<float> before = page();
    // 28 comparisons: 56 operands are taken, 57 are not.
    std::string line = "IF P1=1";
    for (int i = 1; i < 27; ++i) line += "\\P1=1";
    std::string at_limit = line + "\\P2=3;D";  // 56 operands, the action's is not counted
    std::string over = line + "\\P2=3;P4=1";   // 58 operands
    type(over);
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(shown("56 operands"));
    if (at_limit.size() <= 160) {
        type(at_limit);
        EXPECT_EQ(core::ItemCount, 3);
    }
    // Past column 160: refused.
    std::string long_line = "IF P1=1 AND P2=3;D";
    long_line.resize(160, ' ');
    long_line += "1";
    const std::vector<float> now = page();
    type(long_line);
    EXPECT_EQ(page(), now);
    EXPECT_TRUE(shown("160"));
}

TEST_F(IfCommandTest, FiftySixOperandsAreTakenAndFiftySevenAreNot) {
    make_page_p();
    const std::vector<float> before = page();
    // 28 comparisons of two operands each; the last one with a third operand is one too many.
    std::string line = "IF P1=1";
    for (int i = 1; i < 27; ++i) line += "\\P1=1";
    const std::string over = line + "\\P2=3+0;D";
    const std::string at_limit = line + "\\P2=3;D";
    ASSERT_LE(over.size(), 160u);
    type(over);
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(shown("56 operands"));
    fe_.message_boxes.clear();
    type(at_limit);
    EXPECT_FALSE(shown("56 operands"));
    EXPECT_EQ(core::ItemCount, 3);
}

TEST_F(IfCommandTest, TheLineIsReadUpToColumn160AndRefusedPastIt) {
    make_page_p();
    // The value's last digit stands in column 160: it is read.
    std::string at_limit = "IF P1=1 AND P2=3;P4=";
    at_limit.resize(159, ' ');
    at_limit += "7";
    ASSERT_EQ(at_limit.size(), 160u);
    type(at_limit);
    EXPECT_FALSE(shown("160"));
    EXPECT_EQ(item(3)[4], 7.0f);
    EXPECT_EQ(item(4)[4], 7.0f);
    // One column further: refused, nothing changed.
    std::string past = "IF P1=1 AND P2=3;P4=";
    past.resize(160, ' ');
    past += "9";
    const std::vector<float> now = page();
    type(past);
    EXPECT_EQ(page(), now);
    EXPECT_TRUE(shown("160"));
}

TEST_F(IfCommandTest, AssignmentsColourGrowAndTakeRemainders) {
    make_page_p();
    append_test_record({16, 1, 50, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, text_words("abcd")[0]});
    type("IF P1=1 OR P1=16;P26=990000");
    EXPECT_EQ(item(3).size(), 27u);
    EXPECT_EQ(item(3)[26], 990000.0f);
    const std::vector<float> text = item(6);
    ASSERT_EQ(text[0], 17.0f);
    EXPECT_EQ(text[14], -1.0f);
    EXPECT_EQ(text[16], 990000.0f);
    EXPECT_EQ(text[17], text_words("abcd")[0]);

    type("IF P5=0;P30=1");  // the staves and the text item have P5 0
    EXPECT_EQ(item(1).size(), 31u);
    EXPECT_EQ(item(1)[30], 1.0f);
    EXPECT_EQ(item(6)[0], 17.0f);  // text items are not grown

    type("IF MOD(P3,10)=0;P4=0");
    EXPECT_EQ(item(3)[4], 0.0f);  // P3 10
    EXPECT_EQ(item(4)[4], 2.0f);  // P3 12
    EXPECT_EQ(item(5)[4], 0.0f);  // P3 20
}

TEST_F(IfCommandTest, TextParameterOnUnmarkedItemSkipsOnlyThatItem) {
    make_page_p();
    append_test_record({16, 1, 50, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, text_words("abcd")[0]});
    append_test_record({16, 1, 60, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, text_words("efgh")[0]});
    type("IF P1=16 OR P1=1;P20=5,P4=7");
    EXPECT_EQ(item(6)[4], 0.0f);
    EXPECT_EQ(item(7)[4], 0.0f);
    EXPECT_EQ(item(3)[4], 7.0f);  // notes after... and before the text items still change
    EXPECT_EQ(item(5)[4], 7.0f);
}

TEST_F(IfCommandTest, GrowthPastTheStoreChangesNothing) {
    make_page_p();
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 23 * 4;  // 4 items of 23 more words fit
    const std::vector<float> before = page();
    type("IF P1>0;P30=1");  // 5 items want 23 words each
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(shown("The page is full"));
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 27 * 5;
    type("IF P1>0;P30=1");
    EXPECT_EQ(item(5).size(), 31u);
}

TEST_F(IfCommandTest, ReplacesTextInAnArea) {
    make_page_p();
    append_test_record({16, 1, 50, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, text_words("abab")[0]});
    type("IF P1=16;P26=5");
    type("IF \"b\" \"xyz\" 1 0 100 1");
    const std::vector<float> t = item(6);
    ASSERT_EQ(t[12], 8.0f);
    ASSERT_EQ(t[0], 18.0f);  // 16 words of header and two of characters
    EXPECT_EQ(t[16], 5.0f);  // the colour kept
    char chars[9] = {};
    std::memcpy(chars, &t[17], 8);
    EXPECT_STREQ(chars, "axyzaxyz");
    type("IF \"b\" 1");
    EXPECT_TRUE(shown("Missing"));
}

TEST_F(IfCommandTest, InviTogglesTheInvisibleItems) {
    make_page_p();
    type("INVI");
    EXPECT_EQ(reply(), "Invisible items are NOT visible on screen.");
    EXPECT_LT(layout::ShowInvisibleItems, 0);
    type("INVI");
    EXPECT_EQ(reply(), "Invisible items are visible on screen.");
    EXPECT_GT(layout::ShowInvisibleItems, 0);
}

}  // namespace

// "IF" alone asks for an area: the typed box becomes the dialog's area field, each number after
// its operator with the separators and the closing parenthesis whole.
TEST_F(IfCommandTest, TheTypedAreaIsTheDialogsAreaField) {
    make_page_p();
    type("IF");
    fe_.answer_yes_no(-1);  // "Source Box O.K.? -"
    fe_.answer_dialog(2);   // the IF dialog: Cancel
    type("3 10 120 3");
    ASSERT_FALSE(fe_.dialog_if_fields.empty());
    EXPECT_EQ(fe_.dialog_if_fields[0], "(p2>=  3\\ p2<=   3\\ p3>= 10.00\\ p3<=120.00)");
    EXPECT_EQ(core::ItemCount, 5);
}
