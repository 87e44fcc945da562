// Sorting the items of the page: the O words typed as the front-end sends them, and the key
// bounds and damaged records through the store routine itself, which does not draw.
#include "engine/core/store/item_sorting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/words/sort_command.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/saved_page.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

namespace fs = std::filesystem;

class SortTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        // A page as a load leaves it: started, saved, nothing to undo.
        core::DocumentStarted = 1;
        core::UndoRedoState = 0;
        core::ChangesMadeFlag = 0;
    }

    // An item of 5 parameters whose P5 tells it apart after the sort.
    static void add(float code, float staff, float p3, float p4, float tag) {
        append_test_record({code, staff, p3, p4, tag});
    }
    // A text item of 16 parameters (P14 = -1: coloured, P15 its layer number) and its
    // characters, tagged in P5.
    static void add_text(float staff, float p3, float p4, float tag, float layer = 0.0f) {
        std::vector<float> p = {16, staff, p3, p4, tag, 1, 0, 0, 0, 0, 0, 2, 0, -1.0f, layer, 0};
        float chars = 0.0f;
        std::memcpy(&chars, "_00A", 4);
        p.push_back(chars);
        append_test_record(p);
    }
    // An item with exactly `count` parameters (at least 5), P25 its layer number when it has one.
    static void add_sized(int count, float tag, float layer) {
        std::vector<float> p(static_cast<std::size_t>(count), 0.0f);
        p[0] = 4;  // a line
        p[1] = 1;
        p[2] = 10;
        p[4] = tag;
        if (count >= 25) p[24] = layer;
        append_test_record(p);
    }

    // Pp of every item, in store order; the tags are P5.
    static std::vector<float> column(std::size_t p) {
        std::vector<float> t;
        for (int32_t k = 1; k <= core::ItemCount; ++k) t.push_back(item(k).at(p));
        return t;
    }
    static std::vector<float> tags() { return column(5); }
    // The start table matches the records, as the invariants between commands demand.
    static void expect_start_table_consistent() {
        int32_t word = 1;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            ASSERT_EQ(core::ItemStartTable(k), word) << "item " << k;
            word += static_cast<int32_t>(core::ItemStore(word)) + 1;
        }
        EXPECT_EQ(core::ItemStartTable(core::ItemCount + 1), word);
        EXPECT_EQ(core::ItemWordsUsed, word);
    }
    // The sort routine alone, as an internal caller runs it (no undo copy, no redraw).
    static bool sort_store(std::string_view word) {
        core::CommandLine.set(word);
        core::CommandModeLetters(1) = static_cast<unsigned char>(word[0]);
        core::CommandModeLetters(2) = word.size() > 1 ? static_cast<unsigned char>(word[1]) : ' ';
        return core::sort_item_store();
    }
    bool undo_copy_written() const { return fs::exists(dir_ / "work" / "!undo!.tmp"); }
    static std::string message() { return core::MessageLine.c_text(); }
};

TEST_F(SortTest, OneItemIsLeftAloneWithoutCopyOrChangesMark) {
    add(1, 1, 10.004f, 0, 1);
    const std::vector<float> before = page();
    for (const char* word : {"OS", "OH", "OT", "OP", "ORN", "OX"}) {
        type(word);
        EXPECT_EQ(page(), before) << word;  // not even the position is rounded
    }
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_EQ(core::UndoRedoState, 0);
    EXPECT_FALSE(undo_copy_written());
}

TEST_F(SortTest, OutSwitchesTheNoticeBackOnAndSortsNothing) {
    add(1, 2, 10.004f, 0, 1);
    add(1, 1, 10, 0, 2);
    render::OutOfBoundsNoticeOff = 1;
    const std::vector<float> before = page();
    type("OUT");
    EXPECT_EQ(render::OutOfBoundsNoticeOff, 0);
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_FALSE(undo_copy_written());
    // The store routine leaves "OUT" alone as well.
    EXPECT_FALSE(sort_store("OUT"));
    EXPECT_EQ(page(), before);
}

TEST_F(SortTest, TwoItemsAreSortedWithAnUndoCopyAndTheReply) {
    add(1, 2, 5, 0, 1);
    add(1, 1, 20, 0, 2);
    core::remember_saved_page();  // the page as its file holds it
    type("OS");
    EXPECT_EQ(tags(), (std::vector<float>{2, 1}));
    EXPECT_EQ(message(), "Sorting by staff number.");
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(core::UndoRedoState, 1);
    EXPECT_TRUE(undo_copy_written());
    EXPECT_EQ(core::PreparedFlag, 1);
    expect_start_table_consistent();
    // UNDO brings back the order before the sort, and the page's own changes mark.
    type("UNDO");
    EXPECT_EQ(tags(), (std::vector<float>{1, 2}));
    EXPECT_EQ(core::ChangesMadeFlag, 0);
}

TEST_F(SortTest, PositionsAreRoundedToHundredthsAndEqualItemsKeepTheirOrder) {
    add(1, 1, 10.004f, 3, 1);
    add(1, 1, 10.0f, 3, 2);
    add(1, 1, 2.125f, 3, 3);  // half a hundredth: away from zero
    add(1, 1, -2.125f, 3, 4);
    add(1, 1, 10.006f, 3, 5);  // 10.01: after the two at 10.0
    type("OS");
    EXPECT_EQ(tags(), (std::vector<float>{4, 3, 1, 2, 5}));
    EXPECT_EQ(column(3), (std::vector<float>{-2.13f, 2.13f, 10.0f, 10.0f, 10.01f}));
    // Sorting again changes nothing: equal items never swap.
    const std::vector<float> sorted = page();
    type("OS");
    EXPECT_EQ(page(), sorted);
}

// A store out of order in one stretch (a sorted page whose one system moved) comes out as a
// whole sort leaves it, also where the stretch must take in items on either side of it; small
// positions keep the sign their rounding gives.
TEST_F(SortTest, AStoreOutOfOrderInOneStretchSortsWhole) {
    // Positions 1 5 9 3 2 10: the stretch 9 3 2 also takes the 5 before it.
    for (float p : {1.0f, 5.0f, 9.0f, 3.0f, 2.0f, 10.0f}) add(1, 1, p, 0, p);
    EXPECT_FALSE(sort_store("OX"));
    EXPECT_EQ(tags(), (std::vector<float>{1, 2, 3, 5, 9, 10}));
    expect_start_table_consistent();
    // Positions 1 6 2 3 4 7: the stretch 6 2 also takes the 3 and 4 after it.
    core::ItemWordsUsed = 1;
    core::ItemCount = 0;
    for (float p : {1.0f, 6.0f, 2.0f, 3.0f, 4.0f, 7.0f}) add(1, 1, p, 0, p);
    EXPECT_FALSE(sort_store("OX"));
    EXPECT_EQ(tags(), (std::vector<float>{1, 2, 3, 4, 6, 7}));
    // Records of other lengths in the stretch keep every word.
    core::ItemWordsUsed = 1;
    core::ItemCount = 0;
    add(1, 1, 1, 0, 1);
    add_sized(25, 4, 0);  // a line at 10 on staff 1
    add(1, 1, 2, 0, 2);
    add_text(1, 3, 0, 3);
    add(1, 2, 1, 0, 5);
    EXPECT_FALSE(sort_store("OX"));
    EXPECT_EQ(tags(), (std::vector<float>{1, 2, 3, 4, 5}));
    expect_start_table_consistent();
    EXPECT_EQ(item(4).size(), 26u);  // the count and 25 parameters
    EXPECT_EQ(item(3).size(), 18u);  // 16 parameters and a word of characters
    // Rounding: -0.004 becomes -0.0 and 0.004 +0.0, as NINT rounds them.
    core::ItemWordsUsed = 1;
    core::ItemCount = 0;
    add(1, 1, -0.004f, 0, 1);
    add(1, 1, 0.004f, 0, 2);
    add(1, 1, -0.125f, 0, 3);  // half a hundredth: away from zero
    sort_store("OX");
    EXPECT_EQ(tags(), (std::vector<float>{3, 1, 2}));
    EXPECT_EQ(column(3), (std::vector<float>{-0.13f, 0.0f, 0.0f}));
    EXPECT_TRUE(std::signbit(item(2).at(3)));
    EXPECT_FALSE(std::signbit(item(3).at(3)));
}

// On the highest staves the keys pass 256,000,000, where a float tells positions only 16
// thousandths apart: every hundredth must still count.
TEST_F(SortTest, HundredthsCountOnTheHighestStaves) {
    add(1, 256, 10.03f, 0, 1);
    add(1, 256, 10.02f, 0, 2);
    add(1, 256, 10.01f, 0, 3);
    add(1, 256, 10.0f, 0, 4);
    add(1, 199, 0.02f, 0, 5);  // 499,000,020 in the "P" order
    add(1, 199, 0.01f, 0, 6);
    type("OS");
    EXPECT_EQ(tags(), (std::vector<float>{6, 5, 4, 3, 2, 1}));
    type("OP");
    EXPECT_EQ(tags(), (std::vector<float>{4, 3, 2, 1, 6, 5}));
}

TEST_F(SortTest, WithinAPositionNotesAndRestsComeFirstThenByHeight) {
    add(3, 1, 10, 4, 1);   // a clef
    add(1, 1, 10, 8, 2);   // a note
    add(2, 1, 10, 4, 3);   // a rest: counts 5 higher (9), above the note
    add(1, 1, 10, 2, 4);   // a lower note
    add(14, 1, 10, 0, 5);  // a bar line: with the clef, by height
    add(1, 1, 9.99f, 50, 6);
    type("OS");
    EXPECT_EQ(tags(), (std::vector<float>{6, 4, 2, 3, 5, 1}));
}

TEST_F(SortTest, RSortsTheHighestStaffFirstAndLeavesThePageUnprepared) {
    add(1, 1, 5, 0, 1);
    add(1, 2, 7, 0, 2);
    add(1, 2, 3, 0, 3);
    add(1, 256, 9, 0, 4);
    type("OS");
    ASSERT_EQ(core::PreparedFlag, 1);
    type("OSR");
    EXPECT_EQ(tags(), (std::vector<float>{4, 3, 2, 1}));
    EXPECT_EQ(message(), "Sorting by staff number.");
    EXPECT_EQ(core::PreparedFlag, 0);
    // The store routine marks the page prepared for "OS" alone.
    core::PreparedFlag = 0;
    sort_store("OSR");
    EXPECT_EQ(core::PreparedFlag, 0);
    sort_store("OX");
    EXPECT_EQ(core::PreparedFlag, 0);
    sort_store("OS");
    EXPECT_EQ(core::PreparedFlag, 1);
}

TEST_F(SortTest, PPutsStaves200AndUpFirstAndKeepsEveryStaffNumber) {
    add(1, 1, 5, 0, 1);
    add(1, 199, 5, 0, 2);
    add(1, 256, 5, 0, 3);
    add(1, 200, 5, 0, 4);
    add(1, 1.5f, 1, 0, 5);  // a staff number with a fraction comes back bit for bit
    type("OP");
    EXPECT_EQ(tags(), (std::vector<float>{4, 3, 5, 1, 2}));
    EXPECT_EQ(message(), "Sorting by staff number.");
    EXPECT_EQ(column(2), (std::vector<float>{200, 256, 1.5f, 1, 199}));
    EXPECT_EQ(core::PreparedFlag, 0);
}

TEST_F(SortTest, HSortsByPositionThenStaffThenHeight) {
    add(1, 2, 5, 0, 1);
    add(1, 1, 5, 10, 2);
    add(1, 1, 5, 105, 3);     // a note's height counts modulo 100: 5, below 10
    add(4, 1, 5, 105, 4);     // a line's height counts whole
    add(14, 1, 5, 50, 5);     // a bar line's height does not count: 0
    add(1, 3, 4.999f, 0, 6);  // 5.0 once rounded
    add(1, 3, 3, 0, 7);
    type("OH");
    EXPECT_EQ(message(), "Sorting by horizontal position.");
    EXPECT_EQ(tags(), (std::vector<float>{7, 5, 3, 2, 4, 1, 6}));
    EXPECT_EQ(core::PreparedFlag, 0);
}

TEST_F(SortTest, TPutsTextFirstHighestStaffAndHighestLineFirst) {
    add(1, 1, 5, 0, 1);
    add_text(1, 20, 2, 2);
    add_text(3, 30, 2, 3);
    add(1, 3, 1, 0, 4);
    add_text(1, 10, 6, 5);  // higher on staff 1 than the other text
    add_text(3, 1, 2, 6);   // same key as text 3: the staff order decides
    type("OT");
    EXPECT_EQ(message(), "Sorting by text position.");
    EXPECT_EQ(tags(), (std::vector<float>{6, 3, 5, 2, 1, 4}));
    expect_start_table_consistent();
}

TEST_F(SortTest, OrnMovesNumberedItemsToTheEndNumberOneLast) {
    add_sized(25, 1, 2);  // exactly 25 parameters: numbered 2
    add_sized(25, 2, 1);
    add_sized(24, 3, 0);  // 24 parameters: no P25
    add(1, 1, 5, 0, 4);
    type("ORN");
    EXPECT_EQ(tags(), (std::vector<float>{3, 4, 1, 2}));
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(core::UndoRedoState, 1);
    EXPECT_EQ(message().find("Sorting"), std::string::npos);  // no reply of its own
    expect_start_table_consistent();
}

TEST_F(SortTest, OrnOrdersLayersOneToTenAndLeavesOtherNumbersInPlace) {
    add_sized(25, 1, 10);
    add_sized(25, 2, 11);  // not a layer
    add_sized(25, 3, 1);
    add_text(1, 5, 0, 4, 3);  // a text item's layer is its P15
    add_sized(25, 5, 1);      // two in layer 1: the first ends last
    add_sized(25, 6, -1);
    add(1, 1, 10.004f, 0, 7);  // the layer order rounds nothing
    type("ORN");
    EXPECT_EQ(tags(), (std::vector<float>{2, 6, 7, 1, 4, 5, 3}));
    EXPECT_EQ(item(3).at(3), 10.004f);
}

TEST_F(SortTest, OrnEndsWhenTheNumberedItemStandsLastOrAllAreNumbered) {
    add(1, 1, 5, 0, 1);
    add_sized(25, 2, 1);
    // A scan over the whole list would find the last item again and again: run it where a hang
    // ends in a failure instead of a stuck test.
    ASSERT_EXIT(
        {
            alarm(10);
            type("ORN");
            std::_Exit(core::ItemCount == 2 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    type("ORN");
    EXPECT_EQ(tags(), (std::vector<float>{1, 2}));
    core::ItemCount = 0;
    core::ItemWordsUsed = 1;
    for (int k = 1; k <= 12; ++k)
        add_sized(25, static_cast<float>(k), static_cast<float>(1 + k % 3));
    ASSERT_EXIT(
        {
            alarm(10);
            type("ORN");
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    type("ORN");
    // Layer 3 (items 2, 5, 8, 11) reversed, then layer 2, then layer 1 last.
    EXPECT_EQ(tags(), (std::vector<float>{11, 8, 5, 2, 10, 7, 4, 1, 12, 9, 6, 3}));
}

TEST_F(SortTest, ABlankSubLetterSortsByStaffAndRedrawsLettersFromUOnDoNot) {
    for (const char* word : {"OX", "O"}) {
        SCOPED_TRACE(word);
        core::ItemCount = 0;
        core::ItemWordsUsed = 1;
        add(1, 2, 5, 0, 1);
        add(1, 1, 5, 0, 2);
        type(word);
        EXPECT_EQ(tags(), (std::vector<float>{2, 1}));
        EXPECT_EQ(message(), "Sorting by staff number.");
        EXPECT_EQ(core::UndoRedoState, 1);
        EXPECT_EQ(core::PreparedFlag, 0);
        // Drawn, the items have output; not drawn, the output spans still end where they began.
        if (word[1] == 'X') {
            EXPECT_EQ(core::ItemOutputSpans.graphics(3), 0);
        } else {
            EXPECT_GT(core::ItemOutputSpans.graphics(3), 1);
        }
    }
    // The store routine tells its caller whether to redraw.
    EXPECT_FALSE(sort_store("OU"));
    EXPECT_TRUE(sort_store("OT"));
    EXPECT_TRUE(sort_store("ORN"));
    EXPECT_TRUE(sort_store("O "));
}

TEST_F(SortTest, AnInternalCallerGetsNoUndoCopy) {
    add(1, 2, 5, 0, 1);
    add(1, 1, 5, 0, 2);
    core::CommandLine.set("JX");
    core::CommandModeLetters(2) = 'X';
    core::sort_items();
    EXPECT_EQ(tags(), (std::vector<float>{2, 1}));
    EXPECT_EQ(core::UndoRedoState, 0);
    EXPECT_FALSE(undo_copy_written());
    EXPECT_EQ(core::ChangesMadeFlag, 1);
}

TEST_F(SortTest, SubLetterCAddsTheLayerOrder) {
    add_sized(25, 1, 1);
    add(1, 2, 5, 0, 2);
    add(1, 1, 5, 0, 3);
    EXPECT_FALSE(sort_store("Oc"));
    EXPECT_EQ(tags(), (std::vector<float>{3, 2, 1}));
}

TEST_F(SortTest, ItemsWhoseKeysReachTheBoundsFollowInTheirOldOrder) {
    add(1, 500, 0, 0, 1);        // key1 exactly 500,000,000
    add(1, 1, 1, 900, 2);        // key2 exactly 900
    add(1, 499, 999.99f, 0, 3);  // key1 just below the bound
    add(1, 1, 1, 899.99f, 4);    // key2 just below
    add(2, 1, 1, 895, 5);        // a rest: 895 + 5 reaches the bound
    add(1, 1, 1, 0, 6);
    EXPECT_FALSE(sort_store("OX"));
    EXPECT_EQ(tags(), (std::vector<float>{6, 4, 3, 1, 2, 5}));
    expect_start_table_consistent();
    // The same bounds in the horizontal order: key1 from the position, key2 from the height.
    core::ItemWordsUsed = 1;
    core::ItemCount = 0;
    add(1, 0, 500, 0, 1);      // 500,000,000
    add(4, 1, 2, 900, 2);      // a line: its height counts whole
    add(1, 0, 499.99f, 0, 3);  // 499,990,000
    add(4, 1, 2, 899, 4);
    EXPECT_TRUE(sort_store("OH"));
    EXPECT_EQ(tags(), (std::vector<float>{4, 3, 1, 2}));
}

TEST_F(SortTest, TextWhoseKeyReachesTheBoundFollowsEverythingElse) {
    add_text(0, 5, -99.995f, 1);  // key -9999: at the bound
    add(1, 1, 5, 0, 2);
    add_text(0, 5, -99.5f, 3);  // -9950
    add_text(-1, 5, 0, 4);      // -100,000
    EXPECT_TRUE(sort_store("OT"));
    EXPECT_EQ(tags(), (std::vector<float>{3, 2, 4, 1}));
    expect_start_table_consistent();
}

TEST_F(SortTest, DamagedNumbersAreKeptNotLost) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    add(1, 1, nan, 0, 1);
    add(1, 2, 1, nan, 2);
    add(1, 1e30f, 1, 0, 3);
    add(1, 1, -inf, 0, 4);
    add(1, 1, 3, 0, 5);
    append_test_record({1, 1});     // no position, no height
    append_test_record({1, 1, 2});  // no height
    for (const char* word : {"OX", "OH", "OTX", "OPX"}) {
        EXPECT_NO_FATAL_FAILURE(sort_store(word));
        EXPECT_EQ(core::ItemCount, 7) << word;
        expect_start_table_consistent();
        std::vector<float> t;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            t.push_back(w.size() > 5 ? w[5] : 100.0f + static_cast<float>(w.size()));
        }
        std::sort(t.begin(), t.end());
        EXPECT_EQ(t, (std::vector<float>{1, 2, 3, 4, 5, 103, 104})) << word;
    }
    // In the staff order the short records sort as position 0 and 2, the damaged ones last.
    sort_store("OX");
    EXPECT_EQ(item(1).at(3), -inf);
    EXPECT_EQ(item(2).size(), 3u);
    EXPECT_EQ(item(3).size(), 4u);
    EXPECT_EQ(item(4).at(5), 5.0f);
}

// 16,000 items of 3 parameters: exactly the store's 64,000 words. Codes 1 and 2 share their
// keys, so each group of equal keys shows whether the sort kept the old order.
TEST_F(SortTest, AFullStoreOfSmallestRecordsSortsStably) {
    std::map<std::pair<int, int>, std::vector<int>> codes_by_key;  // old order of codes
    for (int i = 0; i < 16000; ++i) {
        const int staff = 1 + (i * 37) % 40;
        const int position = (i * 101) % 190;
        const int code = 1 + (i / 7) % 2;
        append_test_record({static_cast<float>(code), static_cast<float>(staff),
                            static_cast<float>(position) + 0.5f});
        codes_by_key[{staff, position}].push_back(code);
    }
    ASSERT_EQ(core::ItemWordsUsed - 1, core::kItemStoreWords);
    type("OX");
    ASSERT_EQ(core::ItemCount, 16000);
    expect_start_table_consistent();
    std::map<std::pair<int, int>, std::vector<int>> sorted;
    std::pair<int, int> last{0, 0};
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const std::vector<float> w = item(k);
        const std::pair<int, int> key{static_cast<int>(w[2]), static_cast<int>(w[3])};
        ASSERT_LE(last, key) << "item " << k;
        last = key;
        sorted[key].push_back(static_cast<int>(w[1]));
    }
    EXPECT_EQ(sorted, codes_by_key);
}

// Records of every length from 5 to 40 parameters filling the 64,000 words exactly, in the
// horizontal order: every record comes through whole.
TEST_F(SortTest, AFullStoreOfMixedRecordsKeepsEveryRecordWhole) {
    std::vector<std::vector<float>> records;
    for (int i = 0;; ++i) {
        const int left = core::kItemStoreWords - (core::ItemWordsUsed - 1);
        if (left == 0) break;
        int n = 5 + i % 36;
        if (left - (n + 1) < 6 && left - (n + 1) != 0) n = left - 1;
        std::vector<float> p(static_cast<std::size_t>(n));
        p[0] = static_cast<float>(1 + i % 16);
        p[1] = static_cast<float>(1 + (i * 7) % 30);
        p[2] = static_cast<float>((i * 13) % 200) * 0.25f;
        p[3] = static_cast<float>(i % 20);
        p[4] = static_cast<float>(i);  // the tag
        for (int j = 5; j < n; ++j) p[static_cast<std::size_t>(j)] = static_cast<float>(i * 3 + j);
        append_test_record(p);
        records.push_back(std::move(p));
    }
    EXPECT_TRUE(sort_store("OH"));
    expect_start_table_consistent();
    ASSERT_EQ(core::ItemCount, static_cast<int32_t>(records.size()));
    double last = -1.0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const std::vector<float> w = item(k);
        const std::vector<float>& original = records.at(static_cast<std::size_t>(w.at(5)));
        ASSERT_EQ(std::vector<float>(w.begin() + 1, w.end()), original) << "item " << k;
        const double key1 = std::round(w[3] * 1000.0) * 1000.0 + w[2];
        ASSERT_LE(last, key1) << "item " << k;
        last = key1;
    }
}

}  // namespace
