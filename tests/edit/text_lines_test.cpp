// The text line words on an edited text item, typed as the user types them: line spacing,
// justification refusals, moving words between lines and the Edit Text dialog.
#include "engine/edit/text/text_lines.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/render/text/text_escapes.h"
#include "engine/render/text/text_justify.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class TextLines : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
    }
    // A text record on staff 1 at x and level v.
    static std::vector<float> text_record(float x, float v, const std::string& chars,
                                          float p5 = 1.0f) {
        std::vector<float> r = {16, 1, x, v, p5, 12, 0, 0, 0, 0, 0,
                                static_cast<float>(chars.size()), 8};
        const std::vector<float> words = text_words(chars);
        r.insert(r.end(), words.begin(), words.end());
        return r;
    }
    // A staff of the given size (P5) as item 1, then the records, item k taken into editing.
    void page(const std::string& staff, const std::vector<std::vector<float>>& records,
              int k) {
        enter_items_without_editing();
        type(staff);
        for (const auto& r : records) append_test_record(r);
        type("I " + std::to_string(k));
        ASSERT_EQ(core::EditedItemNumber, k);
        fe_.message_boxes.clear();
    }
    static std::string chars_of(int k) {
        const std::vector<float> r = item(k);
        const int n = static_cast<int>(r[12]);
        std::string s(static_cast<std::size_t>(4 * (r.size() - 14)), ' ');
        std::memcpy(s.data(), r.data() + 14, s.size());
        return s.substr(0, static_cast<std::size_t>(n));
    }
};

TEST_F(TextLines, LineSpacingInPointsStepsTheFollowingLinesOfTheParagraph) {
    // Staff size 0.04: a staff scale of 1.0, so 12 points are 12 / 0.126 levels.
    page("8 1 0 0 0.04",
         {text_record(20, 0, "_29a"), text_record(20, -3, "_29b"), text_record(20, -4, "_29c"),
          text_record(30, -9, "_29d"), text_record(20, -20, "_29e")},
         2);
    type("LSP 12");
    EXPECT_NEAR(item(3)[4], -95.238f, 1e-3);
    EXPECT_NEAR(item(4)[4], -190.476f, 1e-3);
    EXPECT_EQ(item(5)[4], -9.0f);  // another x ends the paragraph
    EXPECT_EQ(item(6)[4], -20.0f);
    EXPECT_EQ(core::EditedItemNumber, 2);
    // On a staff of size 1.0 the same points are 25 times fewer levels.
    core::reset_engine();
    core::set_front_end(&fe_);
    page("8 1 0", {text_record(20, 0, "_29a"), text_record(20, -3, "_29b")}, 2);
    type("LSP 12");
    EXPECT_NEAR(item(3)[4], -12.0f / (0.126f * 25.0f), 1e-4);
}

TEST_F(TextLines, NegativeCountSpacesTheLinesAboveOnly) {
    page("8 1 0",
         {text_record(20, 9, "_29a"), text_record(20, 7, "_29b"), text_record(20, 3, "_29c"),
          text_record(20, 0, "_29d"), text_record(20, -8, "_29e")},
         5);
    type("LS 2 -3");
    EXPECT_EQ(item(2)[4], 9.0f);
    EXPECT_EQ(item(3)[4], 4.0f);
    EXPECT_EQ(item(4)[4], 2.0f);
    EXPECT_EQ(item(5)[4], 0.0f);
    EXPECT_EQ(item(6)[4], -8.0f);
}

TEST_F(TextLines, LineSpacingIsRefusedWithPendingChangesAndIgnoresZero) {
    page("8 1 0", {text_record(20, 0, "_29a"), text_record(20, -3, "_29b")}, 2);
    type("LS 0");
    EXPECT_EQ(item(3)[4], -3.0f);
    edit::EditChangesPending = 1;
    type("LS 2");
    EXPECT_TRUE(shown("*** Can't do LS if any parameters have just been changed."));
    EXPECT_EQ(item(3)[4], -3.0f);
}

TEST_F(TextLines, RightJustifyWithATabNeedsP5OfOne) {
    page("8 1 0", {text_record(20, 0, "_29A B~40~CD", 2.0f)}, 2);
    const float x = core::EditItemParams(3);
    render::TextJustifyState.left = render::kRightAlignedMargin;
    render::TextJustifyState.right = 120.0f;
    core::ParamBuffer.fill(0.0f);
    for (int k = 1; k <= 13; ++k) core::ParamBuffer(k) = core::EditItemParams(k);
    render::decode_text_escapes(chars_of(2), static_cast<int32_t>(chars_of(2).size()));
    EXPECT_FALSE(render::justify_text_line());
    EXPECT_TRUE(shown("*** When both JR and tabs are used, p5 must = 1."));
    EXPECT_EQ(core::ParamBuffer(3), x);
    EXPECT_EQ(core::EditItemParams(3), x);
    // Without right alignment a tab refuses too, and a line without blanks cannot spread.
    render::TextJustifyState.left = 10.0f;
    EXPECT_FALSE(render::justify_text_line());
    EXPECT_TRUE(shown("*** Cannot justify when tabs present."));
    for (int k = 1; k <= 13; ++k) core::ParamBuffer(k) = core::EditItemParams(k);
    render::decode_text_escapes("_29ABCD", 7);
    render::TextJustifyState.left = 10.0f;
    EXPECT_FALSE(render::justify_text_line());
    EXPECT_TRUE(shown("*** No spaces.  Cannot justify line."));
}

TEST_F(TextLines, JustifyingSpreadsTheBlanksToTheRightMargin) {
    std::vector<float> small = text_record(20, 0, "_29A B C");
    small[5] = 1.0f;  // size 1
    page("8 1 0", {small}, 2);
    for (int k = 1; k <= 13; ++k) core::ParamBuffer(k) = core::EditItemParams(k);
    render::decode_text_escapes("_29A B C", 8);
    const float width = core::ParamBuffer(13);
    render::TextJustifyState.left = 10.0f;
    render::TextJustifyState.right = 100.0f;
    ASSERT_TRUE(render::justify_text_line());
    EXPECT_EQ(core::ParamBuffer(3), 10.0f);
    EXPECT_GT(core::ParamBuffer(10), 0.0f);
    render::decode_text_escapes("_29A B C", 8);
    // The line now reaches the margin, less the side bearing of its last letter.
    EXPECT_GT(core::ParamBuffer(13), width);
    EXPECT_NEAR(10.0f + core::ParamBuffer(13), 100.0f, 1.0f);
    // The margins were used up; the kept ones stay for the next line.
    EXPECT_EQ(render::TextJustifyState.left, 0.0f);
    EXPECT_EQ(render::TextJustifyState.kept_right, 100.0f);
}

TEST_F(TextLines, FindBlankScansEitherWay) {
    const std::string line = "ab cd  ef";
    EXPECT_EQ(render::find_blank_in_line(line, 5, 9, 1), 4);   // back from "d": "cd" begins at 4
    EXPECT_EQ(render::find_blank_in_line(line, 4, 9, -1), 5);  // on from "c": "cd" ends at 5
    EXPECT_EQ(render::find_blank_in_line(line, 2, 9, 1), 0);
    EXPECT_EQ(render::find_blank_in_line(line, 8, 9, -1), 0);
    EXPECT_EQ(render::find_blank_in_line(line, 1, 99, -1), 2);  // held to the line
}

TEST_F(TextLines, MovingWordsToTheNextLineAndDeletingAnEmptiedLine) {
    page("8 1 0", {text_record(20, 0, "_29one two three"), text_record(20, -5, "_29four")}, 2);
    type("RMP 2");
    EXPECT_EQ(chars_of(2), "_29one");
    EXPECT_EQ(chars_of(3), "_29two three _29four");
    EXPECT_EQ(core::ItemCount, 3);
    // More words than the line has: the line goes, all its words move.
    type("RMP 5");
    EXPECT_TRUE(shown("**** Empty line will be deleted ****"));
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(chars_of(2), "_29one _29two three _29four");
}

TEST_F(TextLines, SplittingWithoutANeighbourMakesANewLine) {
    page("8 1 0", {text_record(20, 0, "_29one two three")}, 2);
    type("LXP -1");
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(chars_of(2), "_29one");
    EXPECT_EQ(item(2)[4], 5.0f);
    EXPECT_EQ(chars_of(3), "_29two three");
    EXPECT_EQ(item(3)[4], 0.0f);
}

TEST_F(TextLines, MovedWordsThatWouldPass512CharactersChangeNothing) {
    const std::string word(250, 'x');
    const std::string next = "_29" + std::string(508, 'y');  // 511 characters
    page("8 1 0", {text_record(20, 0, "_29a " + word), text_record(20, -5, next)}, 2);
    const std::string before2 = chars_of(2);
    const std::string before3 = chars_of(3);
    type("RMP 1");
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(chars_of(2), before2);
    EXPECT_EQ(chars_of(3), before3);
    EXPECT_FALSE(fe_.message_boxes.empty());
}

TEST_F(TextLines, EditTextDialogCancelKeepsTheLine) {
    core::CommandLine.set("HELLO");
    ScriptedFrontEnd::DialogAnswer cancel;
    cancel.result = 2;
    fe_.answer_dialog(cancel);
    EXPECT_EQ(edit::edit_text_in_dialog(), 2);
    EXPECT_EQ(std::string(core::CommandLine.view().substr(0, 6)), std::string("HELLO") + '\0');
    ScriptedFrontEnd::DialogAnswer bye;
    bye.text = "BYE";
    fe_.answer_dialog(bye);
    core::CommandLine.set("HELLO");
    EXPECT_EQ(edit::edit_text_in_dialog(), 1);
    EXPECT_EQ(std::string(core::CommandLine.view().substr(0, 4)), std::string("BYE") + '\0');
}

}  // namespace
