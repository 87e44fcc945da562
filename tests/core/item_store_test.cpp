// The item store keeps its start table, the output spans and the output lists consistent
// through resize, delete and move.
#include "engine/core/store/item_store.h"

#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "tests/support/store_records.h"

using namespace core;

namespace {

void add_item(const std::vector<float>& params) { append_test_record(params); }

std::vector<float> item(int32_t k) {
    std::vector<float> out;
    const int32_t s = ItemStartTable(k);
    const int32_t n = int_of(ItemStore(s));
    for (int32_t j = 1; j <= n; ++j) out.push_back(ItemStore(s + j));
    return out;
}

std::vector<float> codes() {
    std::vector<float> out;
    for (int32_t k = 1; k <= ItemCount; ++k) out.push_back(item(k)[0]);
    return out;
}

void expect_invariants() {
    EXPECT_EQ(ItemStartTable(1), 1);
    for (int32_t k = 1; k <= ItemCount; ++k)
        EXPECT_EQ(ItemStartTable(k + 1),
                  ItemStartTable(k) + int_of(ItemStore(ItemStartTable(k))) + 1)
            << "item " << k;
    EXPECT_EQ(ItemStartTable(ItemCount + 1), ItemWordsUsed);
}

class ItemStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        graphics_.assign(kGraphicsListWords, 0);
        text_.assign(kTextStreamBytes, 0);
        OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
        OutputBufferViews.text.bind(text_.data(), &text_length_);
    }
    std::vector<int32_t> graphics_;
    std::vector<uint8_t> text_;
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
};

TEST_F(ItemStoreTest, RebuildFindsEveryRecordAndStopsAtAZeroOrDamagedCount) {
    ItemStore(1) = 0.0f;
    ItemWordsUsed = 50;
    rebuild_item_start_table();
    EXPECT_EQ(ItemCount, 0);
    EXPECT_EQ(ItemWordsUsed, 1);
    reset_engine();
    add_item({1, 1, 10, 5});
    add_item({8, 1, 0});
    add_item({14, 1, 20, 0, 3});
    const int32_t used = ItemWordsUsed;
    ItemCount = 0;
    rebuild_item_start_table();
    EXPECT_EQ(ItemCount, 3);
    EXPECT_EQ(ItemWordsUsed, used);
    expect_invariants();
    // A damaged count word that would run far past the store ends the walk.
    ItemStore(ItemStartTable(2)) = 1.0e9f;
    ItemWordsUsed = 64000;
    rebuild_item_start_table();
    EXPECT_EQ(ItemCount, 1);
    EXPECT_EQ(ItemWordsUsed, 6);
}

TEST_F(ItemStoreTest, FetchFillsTheCursorAndGivesPositionZeroForShortRecords) {
    add_item({5.7f, 12.5f, 33.25f, 4});
    add_item({9, -3.9f});
    ItemCursor.number = 1;
    fetch_current_item();
    EXPECT_EQ(ItemCursor.start, 1);
    EXPECT_EQ(ItemCursor.n, 4);
    EXPECT_EQ(ItemCursor.code, 5);
    EXPECT_EQ(ItemCursor.staff, 12);
    EXPECT_FLOAT_EQ(ItemCursor.position, 33.25f);
    ItemCursor.number = 2;
    fetch_current_item();
    EXPECT_EQ(ItemCursor.n, 2);
    EXPECT_EQ(ItemCursor.staff, -3);  // truncation toward zero
    EXPECT_EQ(ItemCursor.position, 0.0f);
}

TEST_F(ItemStoreTest, ResizeGrowsWithZerosShrinksBackAndRefusesToPassTheCapacity) {
    add_item({1, 1, 10, 5, 7});
    add_item({2, 3, 20, 6});
    add_item({3, 4, 30, 7});
    resize_item(1, 7.0f);
    EXPECT_EQ(item(1), (std::vector<float>{1, 1, 10, 5, 7, 0, 0}));
    EXPECT_EQ(item(2), (std::vector<float>{2, 3, 20, 6}));
    EXPECT_EQ(item(3), (std::vector<float>{3, 4, 30, 7}));
    EXPECT_EQ(ItemStartTable(2), 9);
    expect_invariants();
    resize_item(1, 5.0f);
    EXPECT_EQ(item(1), (std::vector<float>{1, 1, 10, 5, 7}));
    EXPECT_EQ(item(3), (std::vector<float>{3, 4, 30, 7}));
    expect_invariants();
    // A fractional count is stored as given and moves nothing.
    resize_item(1, 5.9f);
    EXPECT_FLOAT_EQ(ItemStore(1), 5.9f);
    EXPECT_EQ(ItemStartTable(2), 7);
    EXPECT_EQ(item(2), (std::vector<float>{2, 3, 20, 6}));
    // Growing past the capacity is refused and changes nothing.
    reset_engine();
    add_item({1, 1, 10, 5});
    add_item({2, 1, 20, 5});
    ItemStoreCapacity = ItemWordsUsed + 1;  // room for two more words only
    EXPECT_FALSE(resize_item(1, 7.0f));
    EXPECT_EQ(item(1), (std::vector<float>{1, 1, 10, 5}));
    EXPECT_EQ(item(2), (std::vector<float>{2, 1, 20, 5}));
    EXPECT_TRUE(resize_item(1, 6.0f));
    expect_invariants();
}

TEST_F(ItemStoreTest, GrowingSeveralItemsInOnePassMatchesGrowingThemOneByOne) {
    const std::vector<std::vector<float>> page = {
        {1, 1, 10, 5, 7}, {2, 3, 20, 6}, {1, 1, 30, 7, 7, 0, 0, 0, 0, 0, 0, 0}, {3, 4, 30, 7}};
    for (const auto& p : page) add_item(p);
    for (int32_t k : {4, 2, 1}) resize_item(k, 11.0f);
    std::vector<std::vector<float>> one_by_one;
    for (int32_t k = 1; k <= ItemCount; ++k) one_by_one.push_back(item(k));

    reset_engine();
    for (const auto& p : page) add_item(p);
    // Any order, repeats, an item already long enough and numbers outside the store.
    EXPECT_TRUE(grow_items_to({4, 2, 1, 2, 3, 0, 99}, 11));
    for (int32_t k = 1; k <= ItemCount; ++k) EXPECT_EQ(item(k), one_by_one[k - 1]) << k;
    expect_invariants();

    // Exactly the room left is taken; one word more is refused and changes nothing.
    reset_engine();
    add_item({1, 1, 10, 5});
    add_item({2, 1, 20, 5});
    ItemStoreCapacity = ItemWordsUsed + 3;  // room for four more words
    EXPECT_FALSE(grow_items_to({1, 2}, 7));
    EXPECT_EQ(item(1), (std::vector<float>{1, 1, 10, 5}));
    EXPECT_EQ(item(2), (std::vector<float>{2, 1, 20, 5}));
    expect_invariants();
    EXPECT_TRUE(grow_items_to({1, 2}, 6));
    EXPECT_EQ(item(2), (std::vector<float>{2, 1, 20, 5, 0, 0}));
    EXPECT_EQ(ItemWordsUsed - 1, ItemStoreCapacity);
    expect_invariants();
}

TEST_F(ItemStoreTest, DeleteCutsTheItemsOutputAndKeepsSpansConsistent) {
    add_item({1, 1, 10, 5});
    add_item({2, 1, 20, 6, 9});
    add_item({3, 1, 30, 7});
    // Output as a redraw leaves it: item 1 two entries, item 2 one entry and 3 text bytes,
    // item 3 one entry and 2 bytes.
    auto& g = ItemOutputSpans.graphics;
    auto& t = ItemOutputSpans.text;
    g(1) = 1;
    g(2) = 7;
    g(3) = 10;
    g(4) = 13;
    t(1) = 1;
    t(2) = 1;
    t(3) = 4;
    t(4) = 6;
    for (int w = 1; w <= 12; ++w) graphics_[w - 1] = 100 + w;
    const char* bytes = "abcde";
    for (int b = 0; b < 5; ++b) text_[b] = static_cast<uint8_t>(bytes[b]);
    GraphicsNextFree = 13;
    delete_item(2);
    EXPECT_EQ(ItemCount, 2);
    EXPECT_EQ(item(2), (std::vector<float>{3, 1, 30, 7}));
    expect_invariants();
    EXPECT_EQ(DeletedItemLength, 6);
    EXPECT_EQ(DeletedItemNumber, 2);
    EXPECT_FLOAT_EQ(DeletedItemRecord(6), 9.0f);
    EXPECT_EQ(g(2), 7);
    EXPECT_EQ(g(3), 10);
    EXPECT_EQ(t(2), 1);
    EXPECT_EQ(t(3), 3);
    EXPECT_EQ(graphics_[6], 110);  // item 3's entry moved down over item 2's
    EXPECT_EQ(text_[0], 'd');
    EXPECT_EQ(text_[1], 'e');
    EXPECT_EQ(GraphicsNextFree, 10);
    EXPECT_EQ(graphics_length_, 9);
    EXPECT_EQ(text_length_, 2);
    EXPECT_EQ(ChangesMadeFlag, 1);
}

TEST_F(ItemStoreTest, DeleteOfTheLastItemLeavesItsStartValues) {
    add_item({1, 1, 10, 5});
    add_item({2, 1, 20, 6});
    auto& g = ItemOutputSpans.graphics;
    g(2) = 1;
    g(3) = 1;
    ItemOutputSpans.text(2) = 1;
    ItemOutputSpans.text(3) = 1;
    const int32_t last_start = ItemStartTable(2);
    delete_item(2);
    EXPECT_EQ(ItemCount, 1);
    EXPECT_EQ(ItemWordsUsed, last_start);
    EXPECT_EQ(ItemStartTable(2), last_start);
    EXPECT_EQ(DeletedItemRecord(2), 2.0f);
}

// Every deleted record is kept for UNDELETE, however long: 125 words, 126, and one that fills
// the whole store.
TEST_F(ItemStoreTest, EveryDeletedRecordIsKeptForUndeleteWhateverItsLength) {
    std::vector<float> first(124, 0.0f);  // n = 124: 125 words with n
    for (std::size_t k = 0; k < first.size(); ++k) first[k] = static_cast<float>(k + 1);
    add_item(first);
    std::vector<float> longer(125, 2.0f);  // 126 words
    add_item(longer);
    add_item({3, 1, 30, 7});
    delete_item(1);
    EXPECT_EQ(DeletedItemLength, 125);
    EXPECT_FLOAT_EQ(DeletedItemRecord(1), 124.0f);
    EXPECT_FLOAT_EQ(DeletedItemRecord(2), 1.0f);
    EXPECT_FLOAT_EQ(DeletedItemRecord(125), 124.0f);  // the last parameter
    expect_invariants();
    delete_item(1);
    EXPECT_EQ(DeletedItemLength, 126);
    EXPECT_EQ(DeletedItemNumber, 1);
    EXPECT_FLOAT_EQ(DeletedItemRecord(126), 2.0f);
    EXPECT_EQ(ItemCount, 1);
    EXPECT_EQ(item(1), (std::vector<float>{3, 1, 30, 7}));
    expect_invariants();
    delete_item(1);

    // One record filling words 1..64,000.
    ItemStore(1) = static_cast<float>(kItemStoreWords - 1);
    ItemStore(2) = 8.0f;
    ItemStore(kItemStoreWords) = 42.0f;
    ItemWordsUsed = kItemStoreWords + 1;
    rebuild_item_start_table();
    ASSERT_EQ(ItemCount, 1);
    delete_item(1);
    EXPECT_EQ(DeletedItemLength, kItemStoreWords);
    EXPECT_FLOAT_EQ(DeletedItemRecord(kItemStoreWords), 42.0f);
    EXPECT_EQ(ItemCount, 0);
}

TEST_F(ItemStoreTest, RebuildKeepsARecordEndingOnTheStoresLastWord) {
    // One record filling words 1..64,000 exactly.
    ItemStore(1) = static_cast<float>(kItemStoreWords - 1);
    ItemStore(2) = 8.0f;
    ItemStore(kItemStoreWords) = 42.0f;
    ItemWordsUsed = kItemStoreWords + 1;
    rebuild_item_start_table();
    EXPECT_EQ(ItemCount, 1);
    EXPECT_EQ(ItemWordsUsed, kItemStoreWords + 1);
    EXPECT_EQ(ItemStartTable(2), kItemStoreWords + 1);
    // One word longer would run past the store: the walk stops before it.
    ItemStore(1) = static_cast<float>(kItemStoreWords);
    ItemWordsUsed = kItemStoreWords + 1;
    rebuild_item_start_table();
    EXPECT_EQ(ItemCount, 0);
    EXPECT_EQ(ItemWordsUsed, 1);
}

// A table that ends where the store does but splits it wrongly (two records whose counts were
// changed against each other) is rebuilt, never taken as it stands; the settled check sees the
// same and also codes of 0 and of 19 and up.
TEST_F(ItemStoreTest, RebuildTrustsOnlyATableThatDescribesEveryRecord) {
    add_item({1, 1, 10, 5});
    add_item({8, 1, 0});
    add_item({14, 1, 20, 0, 3});
    expect_invariants();
    EXPECT_TRUE(item_store_settled());
    // Records 1 and 2 become 3 and 4 parameters long: same words, another split.
    ItemStore(ItemStartTable(1)) = 3.0f;
    ItemStore(ItemStartTable(1) + 4) = 4.0f;
    EXPECT_FALSE(item_store_settled());
    rebuild_item_start_table();
    EXPECT_EQ(ItemCount, 3);
    EXPECT_EQ(ItemStartTable(2), 5);
    expect_invariants();
    EXPECT_TRUE(item_store_settled());
    // One entry off in the middle.
    ItemStartTable(2) += 1;
    rebuild_item_start_table();
    expect_invariants();
    // Codes a redraw would change.
    for (float code : {0.0f, 19.0f, 25.0f}) {
        ItemStore(ItemStartTable(3) + 1) = code;
        EXPECT_FALSE(item_store_settled()) << code;
    }
    for (float code : {-4.0f, 18.0f}) {
        ItemStore(ItemStartTable(3) + 1) = code;
        EXPECT_TRUE(item_store_settled()) << code;
    }
    ItemCount = 0;
    EXPECT_FALSE(item_store_settled());
}

TEST_F(ItemStoreTest, MoveReordersRecordsBothWaysAndBoundsItsNumbers) {
    add_item({1, 1, 10, 5});
    add_item({2, 2, 20, 6, 8});
    add_item({3, 3, 30, 7});
    add_item({4, 4, 40});
    ParamBuffer(2) = 1;
    ParamBuffer(3) = 3;
    move_item_to_position();
    EXPECT_EQ(codes(), (std::vector<float>{2, 3, 1, 4}));
    expect_invariants();
    EXPECT_EQ(ChangesMadeFlag, 1);
    ParamBuffer(2) = 0;  // out of range: the last item
    ParamBuffer(3) = 0;  // bounded to position 1
    move_item_to_position();
    EXPECT_EQ(item(1), (std::vector<float>{4, 4, 40}));
    EXPECT_EQ(item(2)[0], 2);
    expect_invariants();
    ChangesMadeFlag = 0;
    ParamBuffer(2) = 2;
    ParamBuffer(3) = 2;
    move_item_to_position();
    EXPECT_EQ(ChangesMadeFlag, 0);
}

TEST_F(ItemStoreTest, SaveStackReturnsWordsInPushOrderAndTakesExactlyItsSize) {
    float a[3] = {1.5f, 2.5f, 3.5f};
    int32_t b[2] = {7, 8};
    push_words(3, a);
    push_words(2, b);
    int32_t b2[2] = {};
    float a2[3] = {};
    pop_words(2, b2);
    pop_words(3, a2);
    EXPECT_EQ(b2[1], 8);
    EXPECT_EQ(a2[0], 1.5f);
    EXPECT_EQ(SaveStack.depth, 0);
    EXPECT_THROW(pop_words(1, b2), EngineDefect);
    std::vector<int32_t> big(kSaveStackWords + 1, 0);
    EXPECT_THROW(push_words(kSaveStackWords + 1, big.data()), EngineDefect);
    EXPECT_EQ(SaveStack.depth, 0);
    // Exactly its size, and not one word more.
    std::vector<int32_t> words(kSaveStackWords);
    for (int i = 0; i < kSaveStackWords; ++i) words[static_cast<std::size_t>(i)] = i + 1;
    push_words(kSaveStackWords - 1, words.data());
    push_words(1, &words.back());  // the last free word
    EXPECT_EQ(SaveStack.depth, kSaveStackWords);
    int32_t extra = 99;
    EXPECT_THROW(push_words(1, &extra), EngineDefect);
    EXPECT_EQ(SaveStack.depth, kSaveStackWords);
    std::vector<int32_t> back(kSaveStackWords, 0);
    pop_words(kSaveStackWords, back.data());
    EXPECT_EQ(back, words);
    EXPECT_EQ(SaveStack.depth, 0);
}

TEST(ItemStoreUtilities, RealRemainderHasTheSignOfTheDividend) {
    EXPECT_FLOAT_EQ(compute_real_mod(7.5f, 2.0f), 1.5f);
    EXPECT_FLOAT_EQ(compute_real_mod(-7.5f, 2.0f), -1.5f);
    EXPECT_FLOAT_EQ(compute_real_mod(7.5f, 0.0f), 7.5f);
    // Quotients beyond 32 bits must not wrap.
    EXPECT_FLOAT_EQ(compute_real_mod(1.0e12f, 3.0f), 1.0e12f - 3.0f * 333333331968.0f);
}

TEST(ItemStoreUtilities, CommandLineLengthTreatsHighCodesAsBlankButLineLengthCountsThem) {
    reset_engine();
    CommandLine.set("note rhw\xE9");
    FixedText<512> line = CommandLine;
    int32_t n = 0;
    upper_case_command_line(n);
    EXPECT_EQ(n, 8);
    EXPECT_EQ(CommandLine.sub(1, 8), "NOTE RHW");
    EXPECT_EQ(CommandModeLetters(1), 'N');
    EXPECT_EQ(CommandModeLetters(2), 'O');
    EXPECT_EQ(find_line_length(line), 9);
}

// The line's length is found from the end eight blanks at a time: the last character counts in
// whichever column of a group of eight it stands, and a NUL, a tab or a high code in the tail
// counts as blank there too.
TEST(ItemStoreUtilities, CommandLineLengthFindsTheLastCharacterInAnyColumn) {
    reset_engine();
    for (int32_t column : {1, 7, 8, 9, 16, 17, 505, 511}) {
        CommandLine.blank();
        CommandLine(column) = 'q';
        if (column + 1 <= 512) CommandLine(column + 1) = '\t';
        if (column + 3 <= 512) CommandLine(column + 3) = '\0';
        if (column + 5 <= 512) CommandLine(column + 5) = static_cast<char>(0xE9);
        int32_t n = 0;
        upper_case_command_line(n);
        EXPECT_EQ(n, column) << column;
        EXPECT_EQ(CommandLine(column), 'Q') << column;
    }
    CommandLine.blank();
    int32_t n = -1;
    upper_case_command_line(n);
    EXPECT_EQ(n, 0);
}

TEST(ItemStoreUtilities, CStringTerminatesAfterTheLastPrintableCharacterWithinTheField) {
    FixedText<10> t("ab\x01 ");
    int32_t m = 0;
    c_string(t, 10, m);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(t(3), '\0');
    // A full field: nothing is written past its end.
    FixedText<4> full("abcd");
    c_string(full, 4, m);
    EXPECT_EQ(m, 4);
    EXPECT_EQ(full.view(), "abcd");
}

TEST(ItemStoreUtilities, FolderAnswersEndInOneSeparator) {
    FixedText<128> t;
    t.set(std::string("/home/me/music") + '\0' + "junk");
    int32_t n = 0;
    path_with_backslash(t, n);
    EXPECT_EQ(t.trimmed(), "/home/me/music\\");  // appended, the last letter kept
    EXPECT_EQ(n, 15);
    t.set(std::string("C:\\LIB\\") + '\0');
    path_with_backslash(t, n);
    EXPECT_EQ(t.trimmed(), "C:\\LIB\\");
    EXPECT_EQ(n, 7);
    t.set(std::string("/jazz") + '\0');
    path_with_backslash(t, n);
    EXPECT_EQ(t.trimmed(), "/jazz\\");
    t.set(std::string(1, '\0'));
    path_with_backslash(t, n);
    EXPECT_EQ(n, 0);
}

TEST(ItemStoreUtilities, FullLinesAndFoldersCountTheirLastColumn) {
    reset_engine();
    FixedText<512> line;
    line(512) = 'x';
    EXPECT_EQ(find_line_length(line), 512);
    CommandLine = line;
    int32_t n = 0;
    upper_case_command_line(n);
    EXPECT_EQ(n, 512);
    EXPECT_EQ(CommandLine(512), 'X');
    // A folder filling the field has no room for a separator: it is kept as typed.
    FixedText<128> full(std::string(128, 'f'));
    path_with_backslash(full, n);
    EXPECT_EQ(n, 128);
    EXPECT_EQ(full.view(), std::string(128, 'f'));
    FixedText<128> one_short(std::string(127, 'f'));
    path_with_backslash(one_short, n);
    EXPECT_EQ(n, 128);
    EXPECT_EQ(one_short(128), '\\');
}

}  // namespace
