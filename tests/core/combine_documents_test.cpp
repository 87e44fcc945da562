// "COM": documents stacked into one new page, each file's staves renumbered below the earlier
// files'. Through the scripted Combine Files dialog, a command file and the console.
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/console_run.h"

namespace {

constexpr int kYes = -1;
constexpr int kNo = 0;

class CombineDocumentsTest : public InterpreterTest {
  protected:
    // A document of staves 1 and 2 with a note on each at P3 = mark (the mark tells the files
    // apart once combined), saved as name; the page is left empty.
    void save_two_staff_document(const std::string& name, int mark) {
        if (!entering_) enter_items_without_editing();
        entering_ = true;
        const std::string m = std::to_string(mark);
        type_all({"8 1 0", "8 2 0"});
        type("1 1 " + m + " 1 10 0 1");
        type("1 2 " + m + " 2 10 0 1");
        type("SA " + name);
        ASSERT_TRUE(std::filesystem::exists(name)) << name;
        ASSERT_EQ(core::ChangesMadeFlag, 0);
        core::clear_item_store();
        fe_.message_boxes.clear();
        fe_.prompts.clear();
    }
    bool entering_ = false;

    void answer_combine(const std::string& name, const std::string& count) {
        ScriptedFrontEnd::DialogAnswer a;
        a.name = name;
        a.text = count;
        fe_.answer_dialog(a);
    }
    // (staff, P3) of every note, in store order.
    static std::vector<std::pair<int, int>> notes() {
        std::vector<std::pair<int, int>> n;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w[1] == 1.0f) n.emplace_back(static_cast<int>(w[2]), static_cast<int>(w[3]));
        }
        return n;
    }
    static std::set<int> staves() {
        std::set<int> s;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (item(k)[1] == 8.0f) s.insert(static_cast<int>(item(k)[2]));
        return s;
    }
    static void expect_sorted_by_staff() {
        for (int32_t k = 2; k <= core::ItemCount; ++k)
            EXPECT_LE(item(k - 1)[2], item(k)[2]) << "item " << k;
    }
};

TEST_F(CombineDocumentsTest, ThreeFilesOfTwoStavesStackAsSixStavesInFileOrder) {
    save_two_staff_document("part1.mus", 10);
    save_two_staff_document("part2.mus", 20);
    save_two_staff_document("part3.mus", 30);
    answer_combine("part1.mus", "3");
    type("COM");
    ASSERT_EQ(core::ItemCount, 12);
    EXPECT_EQ(staves(), (std::set<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(notes(), (std::vector<std::pair<int, int>>{
                           {1, 10}, {2, 10}, {3, 20}, {4, 20}, {5, 30}, {6, 30}}));
    expect_sorted_by_staff();
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_TRUE(holds(fe_.prompts, "Reading file part3.mus"));
}

TEST_F(CombineDocumentsTest, CountOfTwoIsTheFirstThatCombines) {
    save_two_staff_document("duo1.mus", 10);
    save_two_staff_document("duo2.mus", 20);
    save_two_staff_document("duo3.mus", 30);
    answer_combine("duo1.mus", "2");
    type("COM");
    EXPECT_EQ(staves(), (std::set<int>{1, 2, 3, 4}));
    EXPECT_EQ(notes(), (std::vector<std::pair<int, int>>{{1, 10}, {2, 10}, {3, 20}, {4, 20}}));
}

TEST_F(CombineDocumentsTest, CountOfOneOrBlankAnswersGiveOnlyTheEmptyDocument) {
    save_two_staff_document("one1.mus", 10);
    save_two_staff_document("one2.mus", 20);
    const std::vector<std::pair<std::string, std::string>> answers = {
        {"one1.mus", "1"}, {"one1.mus", ""}, {"", "3"}, {"one1.mus", "0"}, {"one1.mus", "x2"}};
    for (const auto& [name, count] : answers) {
        // A page with items first: its discard question is answered Yes.
        type_all({"8 1 0", "8 2 0"});
        ASSERT_EQ(core::ItemCount, 2);
        fe_.answer_yes_no(kYes);
        answer_combine(name, count);
        type("COM");
        EXPECT_TRUE(asked("Clear or Load new file?"));
        EXPECT_EQ(core::ItemCount, 0) << "'" << name << "' '" << count << "'";
        EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
        fe_.questions.clear();
    }
}

TEST_F(CombineDocumentsTest, RefusingTheDiscardQuestionOrCancellingKeepsThePage) {
    save_two_staff_document("keep1.mus", 10);
    save_two_staff_document("keep2.mus", 20);
    type_all({"8 1 0", "1 1 50 1 10 0 1"});
    const std::vector<float> before = page();
    fe_.answer_yes_no(kNo);
    type("COM");
    EXPECT_TRUE(asked("Clear or Load new file?"));
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());

    // The dialog cancelled after Yes: the new empty document stays, nothing is read.
    fe_.answer_yes_no(kYes);
    ScriptedFrontEnd::DialogAnswer cancel;
    cancel.result = 2;
    cancel.name = "keep1.mus";
    cancel.text = "2";
    fe_.answer_dialog(cancel);
    type("COM");
    EXPECT_EQ(core::ItemCount, 0);
}

TEST_F(CombineDocumentsTest, MissingFileStopsTheLoopAndNamesKeepTheirCase) {
    save_two_staff_document("Mix1.mus", 10);
    save_two_staff_document("Mix2.mus", 20);
    answer_combine("Mix1.mus", "4");  // Mix3.mus does not exist
    type("COM");
    EXPECT_EQ(staves(), (std::set<int>{1, 2, 3, 4}));
    EXPECT_EQ(notes(), (std::vector<std::pair<int, int>>{{1, 10}, {2, 10}, {3, 20}, {4, 20}}));
    expect_sorted_by_staff();
    EXPECT_TRUE(holds(fe_.prompts, "Reading file Mix1.mus"));
    EXPECT_TRUE(holds(fe_.prompts, "Reading file Mix3.mus"));
    EXPECT_FALSE(holds(fe_.prompts, "MIX"));
    EXPECT_FALSE(holds(fe_.prompts, "Reading file Mix4.mus"));
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
}

TEST_F(CombineDocumentsTest, FirstFileMissingLeavesTheEmptyDocument) {
    answer_combine("none1.mus", "3");
    type("COM");
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_FALSE(holds(fe_.prompts, "Reading file none2.mus"));
}

TEST_F(CombineDocumentsTest, CommandFileGivesTheNameAndCountOnItsNextLines) {
    save_two_staff_document("cf1.mus", 10);
    save_two_staff_document("cf2.mus", 20);
    write_file("combine.cmd", {"COM", "cf1.mus", "2"});
    type("RE combine.cmd");
    EXPECT_EQ(notes(), (std::vector<std::pair<int, int>>{{1, 10}, {2, 10}, {3, 20}, {4, 20}}));
}

class CombineDocumentsConsoleTest : public ConsoleSessionTest {};

TEST_F(CombineDocumentsConsoleTest, ComNameAndCountLinesStackThreeFiles) {
    for (int f = 1; f <= 3; ++f) {
        const std::string m = std::to_string(10 * f);
        std::vector<std::string> lines = {"8 1 0", "8 2 0", "1 1 " + m + " 1 10 0 1",
                                          "1 2 " + m + " 2 10 0 1",
                                          "SA trio" + std::to_string(f) + ".mus"};
        if (f == 1) lines.insert(lines.begin(), "EI");
        type(lines);
        ASSERT_TRUE(std::filesystem::exists("trio" + std::to_string(f) + ".mus"));
        core::clear_item_store();
    }
    // A page with an item: the discard question comes first.
    const std::string out = type({"8 7 0", "COM", "Y", "trio1.mus", "3", "SA all.mus"});
    EXPECT_NE(out.find("Clear or Load new file? (Y/N)"), std::string::npos) << out;
    EXPECT_NE(out.find("Number of files:"), std::string::npos) << out;
    ASSERT_EQ(core::ItemCount, 12) << out;
    std::vector<std::pair<int, int>> n;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (core::ItemStore(s + 1) == 1.0f)
            n.emplace_back(static_cast<int>(core::ItemStore(s + 2)),
                           static_cast<int>(core::ItemStore(s + 3)));
    }
    EXPECT_EQ(n, (std::vector<std::pair<int, int>>{
                     {1, 10}, {2, 10}, {3, 20}, {4, 20}, {5, 30}, {6, 30}}));
    EXPECT_TRUE(std::filesystem::exists("all.mus"));
}

}  // namespace
