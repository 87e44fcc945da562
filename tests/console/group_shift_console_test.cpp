// A group copied or moved sideways through the box words "C" and "M", typed into the console:
// the right ends of slurs, ties, lines and beams travel with their left ends, heights stay,
// and UNDO takes each change back.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"

namespace {

// Item k's P1..Pn.
std::vector<float> params(int32_t k) {
    const int32_t s = core::ItemStartTable(k);
    const int32_t n = static_cast<int32_t>(core::ItemStore(s));
    return std::vector<float>(core::ItemStore.data() + s, core::ItemStore.data() + s + n);
}

std::vector<std::vector<float>> items() {
    std::vector<std::vector<float>> all;
    for (int32_t k = 1; k <= core::ItemCount; ++k) all.push_back(params(k));
    return all;
}

// Each record with P3 and its further x words moved by dx and its staff by dstaff.
std::vector<float> moved(std::vector<float> p, float dx, float dstaff = 0.0f) {
    p[1] += dstaff;
    p[2] += dx;
    const int code = static_cast<int>(p[0]);
    if (code >= 4 && code <= 6) p[5] += dx;
    if (code == 4 && p.size() >= 8 && p[6] == 100.0f) {
        for (size_t k = 7; k < p.size(); k += 2) p[k] += dx;  // P8, P10 ...
    }
    if (code == 6) {
        for (size_t k : {10u, 11u, 13u, 14u}) p[k] += dx;  // P11, P12, P14, P15
    }
    return p;
}

// Staves 1 and 2; on staff 1 two notes, a slur, a tie, a dashed line, a drawn line of points,
// a beam with its end words and a hairpin whose right height is 999.
const std::vector<std::vector<float>> kGroup = {
    {5, 1, 20, 5, 7, 40, 1},
    {5, 1, 22, 6, 6, 38, 3, -2},
    {4, 1, 21, 3, 4, 44, 1, 1, 2},
    {4, 1, 20, 1, 2, 30, 100, 32, 3, 34, 4, 36, 5, 38, 6, 40, 7},
    {6, 1, 20, 8, 9, 40, 11, 0, 0, 1, 20, 40, 1, 25, 35},
    {4, 1, 24, 2, 999, 42, -1},
};

std::vector<std::string> page_lines() {
    std::vector<std::string> lines = {"EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 1", "1 1 40 7 5 0 1"};
    for (const auto& p : kGroup) {
        std::string line;
        for (float v : p) line += std::to_string(v) + " ";
        lines.push_back(line);
    }
    return lines;
}

class GroupShiftConsoleTest : public ConsoleSessionTest {
  protected:
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        type(page_lines());
        ASSERT_EQ(core::ItemCount, 10);
        before_ = items();
    }
    std::vector<std::vector<float>> before_;
};

TEST_F(GroupShiftConsoleTest, CopyToAnotherStaffByARangeOfTheSameWidth) {
    const std::string out = type({"C", "1 10 50 1", "Y", "2 40 80", "Y", "0"});
    ASSERT_EQ(core::ItemCount, 18) << out;
    for (int32_t k = 1; k <= 10; ++k) EXPECT_EQ(params(k), before_[k - 1]) << "item " << k;
    // The copies follow in the order of the originals (notes first, then the group).
    EXPECT_EQ(params(11), moved(before_[2], 30.0f, 1.0f));
    EXPECT_EQ(params(12), moved(before_[3], 30.0f, 1.0f));
    for (size_t g = 0; g < kGroup.size(); ++g) {
        EXPECT_EQ(params(13 + static_cast<int32_t>(g)), moved(before_[4 + g], 30.0f, 1.0f))
            << "group item " << g;
    }
    EXPECT_EQ(params(13), (std::vector<float>{5, 2, 50, 5, 7, 70, 1}));

    type({"UNDO"});
    EXPECT_EQ(items(), before_);
}

TEST_F(GroupShiftConsoleTest, CopyOnTheSameStaffByOneNumber) {
    // One number after the staff is the shift itself; a shift to the left moves ends left.
    const std::string out = type({"C", "1 10 50 1", "Y", "1 -15", "Y", "0"});
    ASSERT_EQ(core::ItemCount, 18) << out;
    for (size_t g = 0; g < kGroup.size(); ++g) {
        EXPECT_EQ(params(13 + static_cast<int32_t>(g)), moved(before_[4 + g], -15.0f))
            << "group item " << g;
    }
    type({"UNDO"});
    EXPECT_EQ(items(), before_);
}

TEST_F(GroupShiftConsoleTest, MoveByOneNumberMovesTheOriginalsWhole) {
    const std::string out = type({"M", "1 10 50 1", "Y", "1 30", "Y", "0"});
    ASSERT_EQ(core::ItemCount, 10) << out;
    EXPECT_EQ(params(1), before_[0]);  // staves keep their place
    EXPECT_EQ(params(5), (std::vector<float>{5, 1, 50, 5, 7, 70, 1})) << out;
    for (size_t g = 0; g < kGroup.size(); ++g) {
        EXPECT_EQ(params(5 + static_cast<int32_t>(g)), moved(before_[4 + g], 30.0f))
            << "group item " << g;
    }
    type({"UNDO"});
    EXPECT_EQ(items(), before_);
}

TEST_F(GroupShiftConsoleTest, MoveToAnotherStaffBySameWidthRange) {
    const std::string out = type({"M", "1 10 50 1", "Y", "2 15 55", "Y", "0"});
    ASSERT_EQ(core::ItemCount, 10) << out;
    for (size_t g = 0; g < kGroup.size(); ++g) {
        EXPECT_EQ(params(5 + static_cast<int32_t>(g)), moved(before_[4 + g], 5.0f, 1.0f))
            << "group item " << g;
    }
    type({"UNDO"});
    EXPECT_EQ(items(), before_);
}

TEST_F(GroupShiftConsoleTest, RightEndOutsideTheBoxStaysWhenTheLeftEndMoves) {
    // Box 10..35: the slur's right end (40) and the beam's end words beyond 35 lie outside.
    type({"M", "1 10 35 1", "Y", "1 10", "Y", "0"});
    EXPECT_EQ(params(5), (std::vector<float>{5, 1, 30, 5, 7, 40, 1}));
    const std::vector<float> beam = params(9);
    EXPECT_EQ(beam[2], 30.0f);
    EXPECT_EQ(beam[5], 40.0f);   // P6 outside
    EXPECT_EQ(beam[10], 30.0f);  // P11 inside
    EXPECT_EQ(beam[11], 40.0f);  // P12 outside
    EXPECT_EQ(beam[13], 35.0f);  // P14 25 inside
    EXPECT_EQ(beam[14], 45.0f);  // P15 35, on the box edge itself, is inside
}

}  // namespace
