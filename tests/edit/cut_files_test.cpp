// The C family's area commands: the cut files (box and newest-item forms, buffers, layout and
// the reply), marking meters and rests, "CD" without a staff, and the cue-size conversion.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/edit/areas/cut_files.h"
#include "engine/edit/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class CutFilesTest : public InterpreterTest {
  protected:
    // The page: staves 1 and 3 and three notes (two on staff 3).
    void make_page() {
        enter_items_without_editing();
        type_all({"8 1 0", "8 3 0", "1 3 10 1 10 0 1", "1 3 12 2 10 0 1", "1 1 20 3 10 0 1"});
        ASSERT_EQ(core::ItemCount, 5);
        bind_output_lists();  // the direct calls below redraw
    }
    std::filesystem::path cut_path(int buffer) const {
        return temp_.work() / edit::cut_file_part(buffer);
    }
    static std::vector<char> read_bytes(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    }
    template <typename T>
    static T at(const std::vector<char>& bytes, std::size_t word) {
        T v;
        std::memcpy(&v, bytes.data() + 4 * word, 4);
        return v;
    }
    // A box of staves low..high, left..right, as the box command leaves it.
    static void set_box(int32_t low, int32_t high, float left, float right) {
        edit::SelectionBox.low_staff = low;
        edit::SelectionBox.high_staff = high;
        edit::SelectionBox.left = left;
        edit::SelectionBox.right = right;
        edit::BoxCodeFilter.fill(0.0f);
    }
};

TEST_F(CutFilesTest, BoxFormWritesHeaderAndOneRecordPerItem) {
    make_page();
    type("CT 3");  // hands over to the box menu with buffer 3 chosen
    EXPECT_EQ(edit::CutFileBuffer, 3);
    bind_output_lists();
    set_box(3, 3, 0.0f, 200.0f);
    edit::LastBoxOutlineX(1) = 1400;
    edit::LastBoxOutlineX(2) = 3100;
    core::CommandLine.set("CT 3");
    edit::write_cut_file();
    const std::vector<char> bytes = read_bytes(cut_path(3));
    int32_t expected = 28;
    int32_t records = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const std::vector<float> w = item(k);  // n, P1..Pn
        if (static_cast<int>(w[2]) != 3) continue;
        expected += 4 + 4 * static_cast<int32_t>(w.size());
        ++records;
    }
    ASSERT_EQ(records, 3);
    ASSERT_EQ(static_cast<int32_t>(bytes.size()), expected);
    EXPECT_EQ(at<int32_t>(bytes, 0), 3);
    EXPECT_EQ(at<int32_t>(bytes, 1), 3);
    EXPECT_EQ(at<float>(bytes, 2), 0.0f);
    EXPECT_EQ(at<float>(bytes, 3), 200.0f);
    EXPECT_EQ(at<int32_t>(bytes, 4), 3);
    EXPECT_EQ(at<int32_t>(bytes, 5), 1400);
    EXPECT_EQ(at<int32_t>(bytes, 6), 3100);
    const int32_t n = at<int32_t>(bytes, 7);
    EXPECT_EQ(at<float>(bytes, 8), static_cast<float>(n));
    EXPECT_EQ(at<float>(bytes, 10), 3.0f);  // P2 of the first record
    EXPECT_EQ(reply(), "Area copied =   3    0.0  200.0    3");
    EXPECT_EQ(core::MessageLine.sub(15, 17), "  3");
    EXPECT_EQ(core::MessageLine.sub(20, 24), "  0.0");
    EXPECT_EQ(core::MessageLine.sub(27, 31), "200.0");
    EXPECT_EQ(core::MessageLine.sub(34, 36), "  3");
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(CutFilesTest, EmptySelectionWritesNothingAndKeepsTheName) {
    make_page();
    type("CT 4");
    const std::string name = edit::CutFileName.trimmed();
    set_box(7, 8, 0.0f, 200.0f);
    edit::write_cut_file();
    EXPECT_FALSE(std::filesystem::exists(cut_path(4)));
    EXPECT_EQ(edit::CutFileName.trimmed(), name);
}

TEST_F(CutFilesTest, NewestItemFormTakesItsStaffAndPosition) {
    make_page();
    core::CommandLine.set("CTX 3");
    core::ParamBuffer(2) = 3.0f;
    edit::write_cut_file();
    const std::vector<char> bytes = read_bytes(cut_path(3));
    const std::vector<float> newest = item(core::ItemCount);
    ASSERT_EQ(bytes.size(), 28 + 4 + 4 * newest.size());
    EXPECT_EQ(at<int32_t>(bytes, 0), 1);
    EXPECT_EQ(at<int32_t>(bytes, 1), 1);
    EXPECT_EQ(at<float>(bytes, 2), 20.0f);
    EXPECT_EQ(at<float>(bytes, 3), 20.0f);
    EXPECT_EQ(at<int32_t>(bytes, 5), 3000);
    // A buffer of 10 is refused: nothing written, the name kept.
    core::ParamBuffer(2) = 10.0f;
    edit::write_cut_file();
    EXPECT_TRUE(shown("Cut buffer 10"));
    EXPECT_EQ(edit::CutFileBuffer, 3);
    EXPECT_FALSE(std::filesystem::exists(temp_.work() / "!!cut1.tmp"));
}

TEST_F(CutFilesTest, BufferIsTheLastDigitGivenAndOnlyZeroToNine) {
    make_page();
    // Each word starts the box dialogue; the test leaves it before the next word.
    auto word = [this](const char* line) {
        type(line);
        core::PendingBoxOperation = 0;
        edit::PendingBoxStep = 0;
    };
    word("CT 9");
    EXPECT_EQ(edit::CutFileBuffer, 9);
    word("CT");
    EXPECT_EQ(edit::CutFileBuffer, 0);
    const std::string name = edit::CutFileName.trimmed();
    EXPECT_EQ(name.substr(name.size() - 10), "!!cut0.tmp");
    word("CT 12");
    EXPECT_TRUE(shown("Cut buffer 12"));
    EXPECT_EQ(edit::CutFileBuffer, 0);
    word("CT 10");
    EXPECT_TRUE(shown("Cut buffer 10"));
    EXPECT_EQ(edit::CutFileName.trimmed(), name);
}

TEST_F(CutFilesTest, MarkingGrowsShortItemsToNineWordsWithP9MinusOne) {
    enter_items_without_editing();
    type_all({"8 3 0", "8 4 0", "18 3 5 4 4", "2 4 30 0 4", "2 5 30 0 4"});
    const int32_t words = core::ItemWordsUsed;
    type("CM 3");
    std::vector<float> meter = item(3);
    ASSERT_EQ(meter.size(), 10u);
    EXPECT_EQ(meter[9], -1.0f);
    EXPECT_EQ(meter[5], 4.0f);  // its own values kept
    type("CW* 3 4");
    EXPECT_EQ(item(4).size(), 10u);
    EXPECT_EQ(item(4)[9], -1.0f);
    EXPECT_EQ(item(5).size(), 6u);  // staff 5 is outside
    EXPECT_EQ(core::ItemWordsUsed, words + 4 + 4);
    // "CD" with no staff changes nothing.
    const std::vector<float> before = page();
    type("CD");
    EXPECT_EQ(page(), before);
}

TEST_F(CutFilesTest, MarkingThatDoesNotFitChangesNothing) {
    enter_items_without_editing();
    type_all({"8 3 0", "18 3 5 4 4"});
    // Fill the store to within 3 words of its end: the meter needs 4.
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 3;
    const std::vector<float> before = page();
    type("CM 3");
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(shown("The page is full"));
    // Exactly enough room: it grows.
    core::ItemStoreCapacity += 1;
    type("CM 3");
    EXPECT_EQ(item(2).size(), 10u);
}

TEST_F(CutFilesTest, CueSizeMovesNotesOutAndShrinksSymbols) {
    enter_items_without_editing();
    type_all({"8 3 0"});
    append_test_record({1, 3, 10, 2, 10, 0, 1, 5.0f, 0, 0, 2.4f});
    append_test_record({1, 3, 20, -4, 10, 0, 1, 0.0f});
    append_test_record({2, 3, 30, 0, 4});
    append_test_record({9, 3, 40, 0, 1, 1.0f});
    append_test_record({1, 4, 15, 2, 10});
    append_test_record({1, 3, 150, 2, 10});
    set_box(3, 3, 0.0f, 100.0f);
    bind_output_lists();
    edit::make_cue_size();
    EXPECT_EQ(item(2)[4], 102.0f);
    EXPECT_FLOAT_EQ(item(2)[8], 5.0f / 0.6f);
    EXPECT_EQ(item(2)[11], 2.0f);
    EXPECT_EQ(item(3)[4], -104.0f);
    EXPECT_EQ(item(3)[8], 0.0f);
    EXPECT_EQ(item(4)[4], 100.0f);
    EXPECT_EQ(item(5)[6], 0.75f);
    EXPECT_EQ(item(6)[4], 2.0f);  // other staff
    EXPECT_EQ(item(7)[4], 2.0f);  // right of the box
}

TEST_F(CutFilesTest, NamePairTakesTheFirstNamesExtension) {
    core::SecondLine.set("CV first.abc second");
    edit::parse_file_name_pair();
    EXPECT_EQ(edit::FileNamePair.first.trimmed(), "first.abc");
    EXPECT_EQ(edit::FileNamePair.second.trimmed(), "second.abc");
    core::SecondLine.set("CV only");
    edit::parse_file_name_pair();
    EXPECT_EQ(edit::FileNamePair.second.trimmed(), "only.mus");
}

}  // namespace
