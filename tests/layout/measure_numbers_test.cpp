// "BN" numbers the bars of a staff from the page's bar lines; "BB" lets the dialog move the
// bounding-box outline in its unit and bring the measured box back.
#include <array>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "engine/layout/layout_hooks.h"
#include "engine/layout/staves/measure_command.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class MeasureNumbersTest : public InterpreterTest {
  protected:
    // The first line typed starts the session (and empties the page): items come after it.
    void SetUp() override {
        InterpreterTest::SetUp();
        enter_items_without_editing();
    }
    static void staff(float s) { append_test_record({8, s, 0, 0, 0, 200}); }
    static void bar(float s, float x) { append_test_record({14, s, x}); }
    // The items from k on, as stored.
    static std::vector<std::vector<float>> items_from(int32_t k) {
        std::vector<std::vector<float>> out;
        for (int32_t i = k; i <= core::ItemCount; ++i) out.push_back(item(i));
        return out;
    }
    static std::vector<float> further(float s, float x, float number) {
        return {15, 10, s, x, 16, number, 201, 1002, 0, 0, 0, 0, 0, 0, 0, 1.3f};
    }
};

TEST_F(MeasureNumbersTest, FourBarLinesGiveThreeNumbersTheFirstShort) {
    staff(1);
    staff(2);
    bar(2, 10);
    bar(2, 40);
    bar(2, 70);
    bar(2, 100);
    const int32_t before = core::ItemCount;
    type("BN 1 2");
    const auto made = items_from(before + 1);
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0], (std::vector<float>{7, 10, 2, 15, 16, 1, 201, 1002}));
    EXPECT_EQ(made[1], further(2, 40, 2));
    EXPECT_EQ(made[2], further(2, 70, 3));
    EXPECT_EQ(layout::MeasureNumberCounter, 4.0f);
}

TEST_F(MeasureNumbersTest, BarLinesCloserThanFourCountOnce) {
    staff(1);
    // 3.9 apart: one bar; exactly 4.0 apart: two.
    bar(1, 10);
    bar(1, 13.9f);
    bar(1, 30);
    bar(1, 34);
    bar(1, 50);
    EXPECT_EQ(layout::collect_bar_positions(), (std::vector<float>{10, 30, 34, 50}));
    // Bar lines of other staves at the same place add nothing; a bar line whose P5 is above 7
    // (with more than four values) is no bar.
    bar(2, 30.5f);
    append_test_record({14, 1, 60, 0, 8});
    append_test_record({14, 1, 70, 0, 7});
    EXPECT_EQ(layout::collect_bar_positions(), (std::vector<float>{10, 30, 34, 50, 70}));
}

TEST_F(MeasureNumbersTest, WithoutStartTheNumbersGoOnAndZeroStaffIsTheHighest) {
    staff(1);
    staff(3);
    bar(1, 10);
    bar(1, 20);
    bar(1, 30);
    type("BN 5 1");
    const int32_t before = core::ItemCount;
    type("BN");
    const auto made = items_from(before + 1);
    ASSERT_EQ(made.size(), 2u);
    // The highest staff, numbers 7 and 8.
    EXPECT_EQ(made[0], (std::vector<float>{7, 10, 3, 15, 16, 7, 201, 1002}));
    EXPECT_EQ(made[1], further(3, 20, 8));

    const int32_t again = core::ItemCount;
    type("BN 0 0");
    ASSERT_EQ(core::ItemCount, again + 2);
    EXPECT_EQ(item(again + 1), (std::vector<float>{7, 10, 3, 15, 16, 9, 201, 1002}));
}

TEST_F(MeasureNumbersTest, FreshEngineStartsAtZeroAndNothingWithoutBars) {
    staff(1);
    type("BN 3 1");
    EXPECT_EQ(core::ItemCount, 1);
    // No bar line: the start number is not even taken.
    EXPECT_EQ(layout::MeasureNumberCounter, 0.0f);
    bar(1, 10);
    type("BN 0 1");
    EXPECT_EQ(core::ItemCount, 2);  // one bar line: no number
    bar(1, 20);
    type("BN");
    ASSERT_EQ(core::ItemCount, 4);
    EXPECT_EQ(stored_param(4, 5), 0.0f);
}

TEST_F(MeasureNumbersTest, StaffBeyondTheTablesIsRefused) {
    staff(1);
    bar(1, 10);
    bar(1, 20);
    const std::vector<float> before = page();
    type("BN 1 257");
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(shown("Staff number must be 0 to 256."));
    type("BN 1 256");
    EXPECT_EQ(core::ItemCount, 4);
    EXPECT_EQ(stored_param(4, 2), 256.0f);
}

// -- the bounding-box dialog --

std::vector<std::array<int32_t, 4>> outlines;
void record_outline(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    outlines.push_back({x1, y1, x2, y2});
}

class BoundingBoxDialogTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        kept_ = layout::LayoutHooks.add_bbox_outline;
        layout::LayoutHooks.add_bbox_outline = record_outline;
        outlines.clear();
        enter_items_without_editing();
        append_test_record({8, 1, 0, 0, 0, 200});
        append_test_record({1, 1, 10, 5, 0, 0, 4});
    }
    void TearDown() override {
        layout::LayoutHooks.add_bbox_outline = kept_;
        InterpreterTest::TearDown();
    }
    static std::array<int32_t, 4> measured() {
        return {layout::MeasuredBox(1), layout::MeasuredBox(2), layout::MeasuredBox(3),
                layout::MeasuredBox(4)};
    }
    void answer(int32_t unit, std::vector<float> box, int32_t mode = 0) {
        ScriptedFrontEnd::DialogAnswer a;
        a.result = 1;
        a.words = {unit, mode};
        a.reals = std::move(box);
        fe_.answer_dialog(a);
    }
    decltype(layout::LayoutHooks.add_bbox_outline) kept_ = nullptr;
};

TEST_F(BoundingBoxDialogTest, CentimetresMoveTheOutlineAndTheUnitIsKept) {
    answer(1, {1, 2, 3, 4});
    fe_.answer_dialog(2);
    type("BB");
    ASSERT_EQ(outlines.size(), 2u);
    EXPECT_EQ(outlines[0], measured());
    // The dialog saw the box from the printable corner, in display units, and inches.
    ASSERT_EQ(fe_.dialog_reals.size(), 4u);
    EXPECT_EQ(fe_.dialog_words, std::vector<int32_t>{1});
    // 1574.803 display units a centimetre, x from 400, y from -27050, to the nearest unit.
    EXPECT_EQ(outlines[1], (std::array<int32_t, 4>{1975, -23900, 5124, -20751}));
    EXPECT_EQ(fe_.dialog_reals,
              (std::vector<float>{1975 - 400, -23900 + 27050, 5124 - 400, -20751 + 27050}));
    EXPECT_EQ(layout::BoundingBoxUnit, 1);
    EXPECT_EQ(reply(), "Bounding box: Left = 1975  Bottom = -23900  Right = 5124  Top = -20751");

    // The next "BB" opens in centimetres; points move it by 55.555 a point.
    answer(2, {100, 0, 200, 10});
    fe_.answer_dialog(2);
    type("BB");
    EXPECT_EQ(fe_.dialog_words, std::vector<int32_t>{2});
    ASSERT_EQ(outlines.size(), 4u);
    EXPECT_EQ(outlines[3], (std::array<int32_t, 4>{5956, -27050, 11511, -26494}));
}

TEST_F(BoundingBoxDialogTest, RestoreOriginalBringsTheMeasuredBoxBackAndExitEnds) {
    answer(0, {1, 1, 2, 2});
    answer(0, {9, 9, 9, 9}, -2);
    fe_.answer_dialog(2);
    type("BB");
    ASSERT_EQ(outlines.size(), 3u);
    EXPECT_EQ(outlines[1], (std::array<int32_t, 4>{4400, -23050, 8400, -19050}));
    EXPECT_EQ(outlines[2], measured());
    EXPECT_EQ(fe_.dialogs.size(), 3u);
    // An unknown unit keeps inches.
    answer(7, {1, 1, 2, 2});
    fe_.answer_dialog(2);
    type("BB");
    EXPECT_EQ(outlines.back(), (std::array<int32_t, 4>{4400, -23050, 8400, -19050}));
    EXPECT_EQ(layout::BoundingBoxUnit, 0);
}

TEST_F(BoundingBoxDialogTest, ThePrintLetterRDrawsOnceWithoutTheDialog) {
    bind_output_lists();
    core::CommandLine.set("BB");
    core::CommandModeLetters(2) = 'R';
    layout::run_measure_command();
    EXPECT_EQ(outlines.size(), 1u);
    EXPECT_TRUE(fe_.dialogs.empty());
    EXPECT_EQ(core::CommandModeLetters(2), 'R');
}

}  // namespace
