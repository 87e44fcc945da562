// "MN": bar numbers counted over the systems of a page, from the top of the page down, through
// measure_numbers called as the interpreter calls it (the command line and the typed numbers
// in ParamBuffer), and UNDO through the interpreter.
#include "engine/edit/pages/measure_numbers.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class MeasureNumbersMnTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        type("SO");
        fe_.message_boxes.clear();
    }

    // One line of music on staff s: staff item, clef at 2, then `bars` bars of one note each,
    // each closed by a bar line at 10, 20, ... (the last one closing the line).
    static void line(int32_t s, int32_t bars) {
        const float staff = static_cast<float>(s);
        append_test_record({8, staff, 0});
        append_test_record({3, staff, 2, 0, 0});
        for (int32_t b = 0; b < bars; ++b) {
            const float x = 10.0f * static_cast<float>(b);
            append_test_record({1, staff, x + 5.0f, 4, 10, 0, 1});
            append_test_record({14, staff, x + 10.0f, 1});
        }
    }

    // "MN" with these typed numbers, as the interpreter hands it over.
    void mn(std::vector<float> numbers) {
        core::CommandLine.set("MN");
        core::ParamBuffer.fill(0.0f);
        for (size_t k = 0; k < numbers.size(); ++k)
            core::ParamBuffer(static_cast<int>(k) + 2) = numbers[k];
        bind_output_lists();
        edit::measure_numbers();
    }

    struct Number {
        int32_t staff;
        float x;
        float value;
        bool operator==(const Number&) const = default;
    };
    static std::vector<Number> numbers() {
        std::vector<Number> found;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w[1] == 10.0f) found.push_back({static_cast<int32_t>(w[2]), w[3], w[5]});
        }
        return found;
    }
    // The items of the page other than numbers.
    static std::vector<std::vector<float>> others() {
        std::vector<std::vector<float>> found;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (item(k)[1] != 10.0f) found.push_back(item(k));
        return found;
    }
    static float p15_of_number(float value) {
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w[1] == 10.0f && w[5] == value) return w[15];
        }
        return 999.0f;
    }
};

// Staff 2 is the top line (bars 1-3 and a closing bar), staff 1 the next (bars 4-12).
TEST_F(MeasureNumbersMnTest, EveryFourthBarAcrossLinesAndTheClosingBarKeepsNoNumber) {
    line(1, 9);
    line(2, 3);
    const auto before = others();
    mn({1, 4});
    // Bar 4 starts the second line: its clef gets the number; the top line's closing bar line
    // (which would have been bar 4 too) neither keeps one nor counts.
    EXPECT_EQ(numbers(), (std::vector<Number>{{1, 2, 4}, {1, 40, 8}, {1, 80, 12}}));
    EXPECT_EQ(others(), before);
}

// Every second and every third bar, across two lines; the closing bar line of the top line
// never keeps a number (the next line's clef takes bar 4).
TEST_F(MeasureNumbersMnTest, IntervalsOfTwoAndThreeNumberEverySecondAndThirdBar) {
    auto sorted = [](std::vector<Number> v) {
        std::sort(v.begin(), v.end(), [](const Number& a, const Number& b) {
            return a.value < b.value;
        });
        return v;
    };
    line(1, 9);
    line(2, 3);
    type("SO");
    const std::vector<float> before = page();
    mn({1, 2});
    EXPECT_EQ(sorted(numbers()), (std::vector<Number>{{2, 10, 2},
                                                       {1, 2, 4},
                                                       {1, 20, 6},
                                                       {1, 40, 8},
                                                       {1, 60, 10},
                                                       {1, 80, 12}}));
    type("UNDO");
    ASSERT_EQ(page(), before);
    mn({1, 3});
    EXPECT_EQ(sorted(numbers()),
              (std::vector<Number>{{2, 20, 3}, {1, 20, 6}, {1, 50, 9}, {1, 80, 12}}));
    type("UNDO");
    ASSERT_EQ(page(), before);
    // Counting from 5: every second number is even, whichever bar it falls on.
    mn({5, 2});
    EXPECT_EQ(sorted(numbers()), (std::vector<Number>{{2, 0 + 10, 6},
                                                       {1, 2, 8},
                                                       {1, 20, 10},
                                                       {1, 40, 12},
                                                       {1, 60, 14},
                                                       {1, 80, 16}}));
}

TEST_F(MeasureNumbersMnTest, NumberItemWordsAndCentringByDigits) {
    line(1, 4);
    layout::StaffTables.StaffScale(1) = 20.0f;
    mn({8, 1});  // bars 8 (clef), 9, 10, 11; the closing bar line would be 12
    ASSERT_EQ(numbers().size(), 4u);
    EXPECT_FLOAT_EQ(p15_of_number(9), -0.8f * 1.15f);
    EXPECT_FLOAT_EQ(p15_of_number(10), -0.8f * 2.4f);
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const std::vector<float> w = item(k);
        if (w[1] != 10.0f || w[5] != 8.0f) continue;
        EXPECT_EQ(
            w, (std::vector<float>{15, 10, 1, 2, 13, 8, 1, 0, 0, 0, 0, 0, 0, 0, 0, -0.8f * 1.15f}));
    }
    EXPECT_EQ(numbers().back().value, 11.0f);
}

TEST_F(MeasureNumbersMnTest, BarHundredIsCentredAsThreeDigits) {
    line(1, 3);
    layout::StaffTables.StaffScale(1) = 20.0f;
    mn({99, 1});
    EXPECT_FLOAT_EQ(p15_of_number(99), -(20.0f / 25.0f) * 2.4f);
    EXPECT_FLOAT_EQ(p15_of_number(100), -(20.0f / 25.0f) * 3.7f);
    EXPECT_FLOAT_EQ(p15_of_number(101), -(20.0f / 25.0f) * 3.7f);
}

TEST_F(MeasureNumbersMnTest, UndoRightAfterRemovesEveryNumberAndKeepsEveryItem) {
    line(1, 9);
    line(2, 3);
    type("SO");  // sorted as the command leaves the page
    const std::vector<float> before = page();
    mn({1, 1});
    EXPECT_GT(numbers().size(), 8u);
    type("UNDO");
    EXPECT_TRUE(numbers().empty());
    EXPECT_EQ(page(), before);
}

TEST_F(MeasureNumbersMnTest, LineStartsOnlyWithIntervalZero) {
    line(1, 9);
    line(2, 3);
    mn({1, 0, 0, 0, 0, 1});  // the first bar of the page numbered too
    EXPECT_EQ(numbers(), (std::vector<Number>{{1, 2, 4}, {2, 2, 1}}));
}

TEST_F(MeasureNumbersMnTest, PickupBarGetsNoNumberAndStartBarDelaysCounting) {
    line(1, 5);
    mn({1, 1});  // bar 1 is a pickup: 2, 3, 4, 5
    EXPECT_EQ(numbers().size(), 4u);
    EXPECT_EQ(numbers().front(), (Number{1, 10, 2}));
    type("UNDO");
    mn({1, 1, 2, 1});  // counting gives numbers from bar 3 on, starting at 1
    EXPECT_EQ(numbers(), (std::vector<Number>{{1, 30, 2}, {1, 40, 3}}));
}

TEST_F(MeasureNumbersMnTest, HighestStaffAndMultiBarRests) {
    append_test_record({3, 256, 2, 0, 0});
    append_test_record({2, 256, 5, 0, -14, 0, 1});  // a rest of four bars
    append_test_record({14, 256, 10, 1});
    append_test_record({1, 256, 15, 4, 10, 0, 1});
    append_test_record({14, 256, 20, 1});
    mn({1, 1, 0, 0, 0, 1});
    EXPECT_EQ(numbers(), (std::vector<Number>{{256, 2, 1}, {256, 10, 5}}));
}

TEST_F(MeasureNumbersMnTest, DialogSettingsAndCancel) {
    line(1, 9);
    const std::vector<float> before = page();
    fe_.answer_dialog(2);  // Cancel
    mn({});
    EXPECT_EQ(page(), before);
    EXPECT_EQ(fe_.dialog_words.at(0), 1);  // last number + 1
    ScriptedFrontEnd::DialogAnswer by4;
    by4.words = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    fe_.answer_dialog(by4);
    mn({});
    EXPECT_EQ(numbers(), (std::vector<Number>{{1, 30, 4}, {1, 70, 8}}));
}

TEST_F(MeasureNumbersMnTest, ContinuedNumbersGoOnInTheNextRun) {
    line(1, 3);
    mn({1, 1, 0, 0, 0, 1, 1});  // bars 1, 2, 3; the count goes on
    type("UNDO");
    mn({5, 1});  // the first number typed gives way to the continued count
    EXPECT_EQ(numbers().front().value, 4.0f);
}

}  // namespace
