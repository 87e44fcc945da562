// Mini macros typed in the command bar: definitions run once and are kept, marks recall them,
// four marks show them, the grave accent offers one for editing.
#include "engine/core/bridge/mini_macros.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/core/interpreter_fixture.h"
#include "tests/support/console_run.h"

namespace {

class MiniMacroTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        enter_items_without_editing();
    }
    // The fragment up to a NUL (the repeat store keeps its line's end), trailing blanks dropped.
    static std::string fragment(int k) { return core::MiniMacroTable(k).c_text(); }
    // Staff numbers of the staff items on the page, in store order.
    static std::vector<int> staves() {
        std::vector<int> s;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w[1] == 8.0f) s.push_back(static_cast<int>(w[2]));
        }
        return s;
    }
};

TEST_F(MiniMacroTest, DefinitionRunsOnceAndMarksRunItAgain) {
    type(":8 1 0");
    EXPECT_EQ(fragment(1), "8 1 0");
    EXPECT_EQ(staves(), std::vector<int>({1}));
    type(";");
    EXPECT_EQ(staves(), std::vector<int>({1, 1}));
    // ";;; ;" runs fragment 1 then fragment 3 as one line, whatever the order of the marks.
    type_all({":8", ":::2 0"});
    EXPECT_EQ(fragment(3), "2 0");
    const int32_t items = core::ItemCount;
    type(";;; ;");
    ASSERT_EQ(core::ItemCount, items + 1);
    EXPECT_EQ(staves().back(), 2);
}

TEST_F(MiniMacroTest, LoneMarksDefineNothingAndBlankFragmentsRunNothing) {
    type(":8 1 0");
    type(":");
    EXPECT_EQ(fragment(1), "8 1 0");
    EXPECT_EQ(core::ItemCount, 1);
    type(";;");  // fragment 2 is blank
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(MiniMacroTest, OneLineDefinesSeveralFragments) {
    type(":8 1 0::8 2 0");
    EXPECT_EQ(fragment(1), "8 1 0");
    EXPECT_EQ(fragment(2), "8 2 0");
    type(";;");
    EXPECT_EQ(staves().back(), 2);
}

TEST_F(MiniMacroTest, AFragmentKeepsEightyCharacters) {
    const std::string text(79, 'A');
    type(":" + text + "BC");
    EXPECT_EQ(fragment(1), text + "B");
}

TEST_F(MiniMacroTest, FourMarksShowTheTableAndRunNothing) {
    type_all({":8 1 0", "::8 2 0"});
    const int32_t items = core::ItemCount;
    for (const char* marks : {"::::", ";;;;", "`;;;;"}) {
        fe_.message_boxes.clear();
        type(marks);
        ASSERT_EQ(fe_.message_boxes.size(), 1u) << marks;
        const std::string blanks(69, ' ');  // each fragment is shown 74 wide
        EXPECT_EQ(fe_.message_boxes[0], ";   8 1 0" + blanks + "\r\n;;  8 2 0" + blanks +
                                            "\r\n;;; " + std::string(74, ' '))
            << marks;
        EXPECT_EQ(core::ItemCount, items) << marks;
    }
    // Four colons define nothing either.
    EXPECT_EQ(fragment(1), "8 1 0");
}

TEST_F(MiniMacroTest, RepeatStoreBecomesFragmentThree) {
    type("8 2 0");
    type("qq");
    EXPECT_EQ(fragment(3), "8 2 0");
    type(";;;");
    EXPECT_EQ(staves(), std::vector<int>({2, 2}));
}

TEST_F(MiniMacroTest, GraveAccentOffersTheFragmentForEditing) {
    type("::8 1 0");
    ScriptedFrontEnd::DialogAnswer edit;
    edit.name = "8 4 0";
    fe_.answer_dialog(edit);
    type("`;;");
    ASSERT_FALSE(fe_.dialogs.empty());
    EXPECT_EQ(fe_.dialogs.back(), "file name: Edit Mini-Macro ;;");
    EXPECT_EQ(fragment(2), "8 4 0");
    EXPECT_EQ(staves(), std::vector<int>({1, 4}));

    // Cancel: the fragment stays and nothing runs.
    fe_.answer_dialog(2);
    type("`;;");
    EXPECT_EQ(fragment(2), "8 4 0");
    EXPECT_EQ(staves(), std::vector<int>({1, 4}));
}

TEST_F(MiniMacroTest, EditedAnswerIsUpperCased) {
    type("::8 1 0");
    fe_.answer_dialog(1, "note h");
    type("`;;");
    EXPECT_EQ(fragment(2), "NOTE H");
}

using MiniMacroConsoleTest = ConsoleSessionTest;

TEST_F(MiniMacroConsoleTest, DefinitionAndRecallInTheConsole) {
    const std::string out = type({"EI", ":8 1 0", ";", "::::", "`;", "8 5 0"});
    EXPECT_NE(out.find("Edit Mini-Macro ;"), std::string::npos) << out;
    EXPECT_NE(out.find(";   8 1 0"), std::string::npos) << out;
    EXPECT_EQ(core::ItemCount, 3);
}

}  // namespace
