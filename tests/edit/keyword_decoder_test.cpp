// The keyword decoder of the editing line: navigation through the items, the refusals while
// changes are pending, the value words, and the limits of the typed indexes.
#include "engine/edit/keywords/keyword_decoder.h"

#include <initializer_list>
#include <string_view>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class KeywordDecoder : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        bind_output_lists();
    }

    // A staff and three notes (items 2..4 at 100, 120, 140 on staff 1), item `k` edited with
    // the working copy `values`.
    void page_with_notes() {
        append_test_record({8, 1, 0});
        append_test_record({1, 1, 100, 1, 10, 0, 1});
        append_test_record({1, 1, 120, 2, 10, 0, 1});
        append_test_record({1, 1, 140, 3, 10, 0, 1});
    }
    static void edit(int32_t k, std::initializer_list<float> values) {
        core::EditItemParams.fill(0.0f);
        int32_t i = 1;
        for (float v : values) core::EditItemParams(i++) = v;
        core::EditedItemNumber = k;
        edit::LastEditedItem = k;
    }
    // The line as the interpreter hands it over: scanned into its compact word and numbers.
    static void decode(std::string_view line) {
        core::CommandLine.set(line);
        core::SecondLine.set(line);
        core::scan_command_line(static_cast<int32_t>(line.size()));
        edit::decode_edit_keywords();
    }
    // The pair list left in ParamBuffer, up to its end mark.
    static std::vector<float> pairs() {
        std::vector<float> list;
        for (int32_t k = 1; k + 1 <= 56 && core::ParamBuffer(k) != 0.0f; k += 2) {
            list.push_back(core::ParamBuffer(k));
            list.push_back(core::ParamBuffer(k + 1));
        }
        return list;
    }
    bool bad_word_reported(std::string_view word) const { return shown(unknown(word)); }
};

TEST_F(KeywordDecoder, NextBackAndLeaveWalkTheItems) {
    page_with_notes();
    edit(2, {1, 1, 100, 1, 10, 0, 1});
    decode("N");
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(core::CommandModeLetters(1), -1);
    decode("B");
    EXPECT_EQ(core::EditedItemNumber, 2);
    decode("I 4");
    EXPECT_EQ(core::EditedItemNumber, 4);
    decode("I 99");  // beyond the last item: the last item
    EXPECT_EQ(core::EditedItemNumber, 4);

    decode("N");  // past the last item edit mode ends
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(edit::LastEditedItem, 4);
    EXPECT_EQ(core::MessageLine.sub(1, 20), std::string_view("Exit from Edit Mode\0", 20));

    edit(3, {1, 1, 120, 2, 10, 0, 1});
    decode("X 2");  // a number goes on to that item
    EXPECT_EQ(core::EditedItemNumber, 2);
    decode("XX");
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(edit::LastEditedItem, 2);
    EXPECT_TRUE(core::SecondLine.starts_with("XX"));
}

TEST_F(KeywordDecoder, PendingChangesAreStoredBeforeMovingOn) {
    page_with_notes();
    edit(2, {1, 1, 100, 1, 12, 0, 1});
    edit::EditChangesPending = 1;
    decode("N");
    // The item as it was before the store is kept for RESTORE; the store has the change.
    EXPECT_EQ(edit::RestoreItemNumber, 2);
    EXPECT_EQ(edit::RestoreSaveArea(6), 10.0f);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(2) + 5), 12.0f);
    EXPECT_EQ(edit::EditChangesPending, 0);
    EXPECT_EQ(core::EditedItemNumber, 3);

    core::EditItemParams(3) = 125.0f;
    edit::EditChangesPending = 1;
    decode("X");
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(3) + 3), 125.0f);
    EXPECT_EQ(core::EditedItemNumber, 0);
}

TEST_F(KeywordDecoder, RefusalsWhileChangesArePending) {
    page_with_notes();
    edit(3, {1, 1, 120, 2, 10, 0, 1});
    const std::vector<float> stored = page();
    edit::EditChangesPending = 1;

    decode("DE");
    EXPECT_TRUE(shown("Cannot delete after edit changes. (Type 'AB' first.)"));
    EXPECT_EQ(core::ParamBuffer(1), 1.0f);
    EXPECT_EQ(core::ParamBuffer(2), 1.0f);
    EXPECT_EQ(core::ItemCount, 4);
    for (const char* word : {"ST", "ED 100", "S"}) {
        fe_.message_boxes.clear();
        decode(word);
        EXPECT_TRUE(shown("Cannot perform function until done editing current item.")) << word;
        EXPECT_EQ(core::EditedItemNumber, 3) << word;
    }
    EXPECT_EQ(page(), stored);

    decode("AB");  // the changes are dropped and the stored item taken again
    EXPECT_EQ(edit::EditChangesPending, 0);
    EXPECT_EQ(core::EditedItemNumber, 3);
    decode("C");
    EXPECT_TRUE(shown("Cannot COPY if no changes are made."));
    EXPECT_EQ(core::ItemCount, 4);
}

TEST_F(KeywordDecoder, DeleteLandsOnTheItemThatMovedUp) {
    page_with_notes();
    edit(3, {1, 1, 120, 2, 10, 0, 1});
    decode("DE");
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(item(3)[3], 140.0f);
    decode("DE");  // the last item: nothing follows, edit mode ends
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::EditedItemNumber, 0);
}

TEST_F(KeywordDecoder, SearchesByStaffCodeAndPosition) {
    append_test_record({8, 1, 0});
    append_test_record({8, 2, 0});
    append_test_record({1, 1, 100, 1, 10, 0, 1});
    append_test_record({9, 2, 100, 1, 51});
    append_test_record({1, 2, 102, 1, 10, 0, 1});
    append_test_record({1, 1, 130, 1, 10, 0, 1});
    edit(3, {1, 1, 100, 1, 10, 0, 1});

    decode("ST 2 1");  // staff 2, notes: item 5, then "N" keeps the search
    EXPECT_EQ(core::EditedItemNumber, 5);
    edit(5, {1, 2, 102, 1, 10, 0, 1});
    decode("N");  // no further note on staff 2
    EXPECT_EQ(core::EditedItemNumber, 0);

    edit(6, {1, 1, 130, 1, 10, 0, 1});
    decode("ED 101");  // the first item within 5.0 of 101 on any staff
    EXPECT_EQ(core::EditedItemNumber, 3);
    decode("ED 101 2 9");  // staff 2, code 9
    EXPECT_EQ(core::EditedItemNumber, 4);
    edit(6, {1, 1, 130, 1, 10, 0, 1});
    decode("A");  // back to the position ED remembered
    EXPECT_EQ(pairs(), (std::vector<float>{3, 101}));

    edit(4, {9, 2, 100, 1, 51});
    decode("S");  // same position as the edited item, any staff
    EXPECT_EQ(core::EditedItemNumber, 3);
    decode("STX 9");
    EXPECT_EQ(core::EditedItemNumber, 4);
}

TEST_F(KeywordDecoder, BackWithANumberTakesTheNegativeOfThatParameter) {
    page_with_notes();
    edit(2, {1, 1, 100, 1, 10, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7});
    decode("B 1");
    EXPECT_EQ(pairs(), (std::vector<float>{1, -1}));
    EXPECT_EQ(edit::EditChangesPending, 0);  // packed without the flag
    decode("B 18");
    EXPECT_EQ(pairs(), (std::vector<float>{18, -7}));
    EXPECT_EQ(core::EditedItemNumber, 2);

    core::EditItemParams(19) = 5.0f;
    decode("B 19");  // beyond the rule's slots
    EXPECT_NE(pairs(), (std::vector<float>{19, -5}));
    decode("B 0");
    EXPECT_EQ(core::EditedItemNumber, 2);
    // Words that begin with B and carry a number are the vocabulary's, not the rule's.
    decode("BAR 3");
    EXPECT_NE(pairs(), (std::vector<float>{3, -100}));
    decode("BSD 2");
    EXPECT_NE(pairs(), (std::vector<float>{2, -1}));
    decode("BEAM2 4");
    EXPECT_NE(pairs(), (std::vector<float>{4, -1}));
    EXPECT_EQ(core::EditedItemNumber, 2);
}

TEST_F(KeywordDecoder, ArithmeticLinesAcceptIndexesOneToFortyFive) {
    page_with_notes();
    edit(2, {1, 1, 100, 1, 10, 0, 1});
    core::EditItemParams(45) = 3.0f;
    decode("/ 5 .2");
    ASSERT_EQ(pairs().size(), 2u);
    EXPECT_EQ(pairs()[0], 5.0f);
    EXPECT_FLOAT_EQ(pairs()[1], 10.2f);
    decode("/ 45 1");
    EXPECT_EQ(pairs(), (std::vector<float>{45, 4}));
    decode("/ 1 1");
    EXPECT_EQ(pairs(), (std::vector<float>{1, 2}));
    decode("// 5 3");
    EXPECT_EQ(pairs(), (std::vector<float>{5, 100}));
    decode("// 4 45");
    EXPECT_EQ(pairs(), (std::vector<float>{4, 3}));
    decode("/ 5 1 7 2");  // the numbers after the pair move down behind it
    EXPECT_EQ(pairs(), (std::vector<float>{5, 11, 7, 2}));

    for (const char* line : {"/ 0 1", "/ 46 1", "/ 99 1", "// 5 0", "// 5 46"}) {
        fe_.message_boxes.clear();
        decode(line);
        EXPECT_TRUE(shown("ERROR -- unknown word in this context:")) << line;
        EXPECT_EQ(core::CommandModeLetters(1), 9999) << line;
    }
    EXPECT_EQ(core::EditItemParams(5), 10.0f);
}

TEST_F(KeywordDecoder, SavedParametersCrossItemsWithinTheIndexLimits) {
    page_with_notes();
    edit(2, {1, 1, 100, 1, 10, 0, 1});
    decode("PG");  // nothing saved yet
    EXPECT_TRUE(shown("ERROR -- unknown word in this context:"));
    EXPECT_EQ(pairs(), std::vector<float>{});

    core::EditItemParams(45) = 6.5f;
    decode("PS 1");
    decode("PS 45");
    EXPECT_EQ(core::MessageLine.trimmed(), "P45");
    edit(3, {1, 1, 120, 2, 11, 0, 1});
    decode("PG 1");
    EXPECT_EQ(pairs(), (std::vector<float>{1, 1}));
    decode("PG");  // the number saved last
    EXPECT_EQ(pairs(), (std::vector<float>{45, 6.5f}));

    for (const char* line : {"PS 0", "PS 46", "PG 46"}) {
        fe_.message_boxes.clear();
        decode(line);
        EXPECT_TRUE(shown("ERROR -- unknown word in this context:")) << line;
        EXPECT_EQ(pairs(), std::vector<float>{}) << line;
    }
    decode("PG");  // a refused save leaves the number saved last
    EXPECT_EQ(pairs(), (std::vector<float>{45, 6.5f}));
}

TEST_F(KeywordDecoder, ValueWordsOfTheEditModeTable) {
    page_with_notes();
    edit(2, {1, 1, 100, 1, 10, 0, 1, 0, 23, 0, 0, 1});
    decode("SUD");
    EXPECT_EQ(pairs(), (std::vector<float>{12, 2}));
    core::EditItemParams(12) = 2.0f;
    decode("SUD");
    EXPECT_EQ(pairs(), (std::vector<float>{12, 0}));
    decode("NOD");
    EXPECT_EQ(pairs(), (std::vector<float>{9, 3, 19, 0}));
    decode("WHI");
    EXPECT_EQ(pairs(), (std::vector<float>{26, 1}));
    decode("RGB 304050");
    EXPECT_EQ(pairs(), (std::vector<float>{26, 304050}));

    edit(2, {4, 1, 100, 5, 5, 130, 0, 0, 0, 9, 0, 0, 2});
    decode("LIN");
    const std::vector<float> line = pairs();
    ASSERT_EQ(line.size(), 28u);  // slots 7..20
    EXPECT_EQ(line[0], 7.0f);
    EXPECT_EQ(line[7], 9.0f);   // S10 = E10
    EXPECT_EQ(line[13], 2.0f);  // S13 = E13
    EXPECT_EQ(line[27], 0.0f);

    // DFLT zeroes the slot the last decoding packed last.
    decode("/ 5 1");
    decode("WHI");
    decode("DFLT");
    EXPECT_EQ(pairs(), (std::vector<float>{26, 0}));
    EXPECT_EQ(edit::EditChangesPending, 1);
}

TEST_F(KeywordDecoder, CopyMakesANewLastItemAndLeavesTheStoredOne) {
    page_with_notes();
    const std::vector<float> second = {7, 1, 1, 100, 1, 10, 0, 1};
    edit(2, {1, 1, 100, 1, 12, 0, 1});
    edit::EditChangesPending = 1;
    decode("C");
    ASSERT_EQ(core::ItemCount, 5);
    EXPECT_EQ(item(5), (std::vector<float>{7, 1, 1, 100, 1, 12, 0, 1}));
    EXPECT_EQ(item(2), second);
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(edit::LastEditedItem, 5);
    EXPECT_EQ(core::ItemStartTable(6), core::ItemWordsUsed);

    edit(3, {1, 1, 120, 2, 13, 0, 1});
    edit::EditChangesPending = 1;
    decode("CC");  // goes on editing the copy
    ASSERT_EQ(core::ItemCount, 6);
    EXPECT_EQ(item(6)[5], 13.0f);
    EXPECT_EQ(core::EditedItemNumber, 6);
}

TEST_F(KeywordDecoder, SizeWordReportsOrSetsTheAbsoluteSize) {
    page_with_notes();
    layout::StaffTables.StaffScale(1) = 50.0f;  // a staff of size 2
    edit(2, {1, 1, 50, 1, 10, 0, 1, 0, 0, 0, 0, 0, 0, 0, 101.5f});
    decode("SZ");
    EXPECT_TRUE(shown("*** Absolute size ="));
    EXPECT_EQ(pairs(), std::vector<float>{});
    EXPECT_EQ(edit::EditChangesPending, 0);
    decode("SZ 4");
    EXPECT_EQ(pairs(), (std::vector<float>{15, 102}));
    EXPECT_EQ(edit::EditChangesPending, 1);
}

TEST_F(KeywordDecoder, ItemsWithoutAVocabularyAreLeftAlone) {
    page_with_notes();
    for (float code : {11.0f, 13.0f}) {
        edit(2, {code, 1, 100, 1, 10});
        fe_.message_boxes.clear();
        decode("SZ+");
        EXPECT_TRUE(fe_.message_boxes.empty()) << code;
        EXPECT_EQ(edit::EditChangesPending, 0) << code;
    }
}

}  // namespace
