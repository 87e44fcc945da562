// Bar lines put into the parsed rows of a typed line by meter ("-- Add bar lines?").
#include "engine/input/typed/bar_lines.h"

#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

constexpr int kYes = -1;
constexpr int kNo = 0;
constexpr int kExit = -2;

class BarLinesTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
        bind_output_lists();  // the rows are stored and drawn
        layout::ColumnRecords = {};
        render::PageExtent = 200.0f;
        input::InputStaff = 2.0f;
    }
    // A note (or rest) row on staff 2 at x with duration d quarters.
    static void note_row(float x, float d, float code = 1.0f) {
        core::Array1<float, layout::kColumnWords> row;
        row.fill(0.0f);
        row(1) = code;
        row(2) = 2.0f;
        row(3) = x;
        row(4) = 5.0f;
        row(7) = d;
        ASSERT_TRUE(layout::append_column_row(row));
    }
    // Six quarter notes from x = 30.0 on, 5.0 apart.
    static void six_quarters() {
        for (int k = 0; k < 6; ++k) note_row(30.0f + 5.0f * static_cast<float>(k), 1.0f);
    }
    // The P3 of every bar-line row, in order.
    static std::vector<float> bar_positions() {
        std::vector<float> v;
        for (int32_t r = 1; r <= layout::ColumnRecords.count; ++r) {
            const auto& row = layout::ColumnRecords.rows(r);
            if (row(1) != 14.0f) continue;
            EXPECT_EQ(row(2), 2.0f);
            v.push_back(row(3));
        }
        return v;
    }
    void answer_meter(int top, int bottom, int pickup, int staves = 1) {
        fe_.answer_yes_no(kYes);
        ScriptedFrontEnd::DialogAnswer a;
        a.result = 1;
        a.words = {top, bottom, pickup, staves};
        fe_.answer_dialog(a);
    }
};

TEST_F(BarLinesTest, ThreeFourWithoutPickupBarsEveryThirdQuarter) {
    six_quarters();
    answer_meter(3, 4, 0, 2);
    const int refreshed = fe_.refresh_count;
    input::ask_add_bar_lines();
    ASSERT_EQ(fe_.questions.size(), 1u);
    EXPECT_EQ(fe_.questions[0], "-- Add bar lines?");
    EXPECT_EQ(fe_.dialog_words, (std::vector<int32_t>{4, 4, 0, 1}));
    // Midway to the next note; after the last one midway to the page's extent.
    EXPECT_EQ(bar_positions(), (std::vector<float>{42.5f, 127.5f}));
    EXPECT_EQ(layout::ColumnRecords.count, 8);
    EXPECT_EQ(layout::ColumnRecords.rows(7)(4), 2.0f);
    EXPECT_EQ(layout::ColumnRecords.rows(7)(5), 0.0f);
    // The dialog's words are kept for the next time.
    EXPECT_EQ(input::AddBarLinesWords(1), 3);
    EXPECT_EQ(input::AddBarLinesWords(4), 2);
    EXPECT_GT(fe_.refresh_count, refreshed);
}

TEST_F(BarLinesTest, PickupItemsAreCountedInItems) {
    six_quarters();
    answer_meter(3, 4, 2);
    input::ask_add_bar_lines();
    EXPECT_EQ(bar_positions(), (std::vector<float>{37.5f, 52.5f}));
}

TEST_F(BarLinesTest, ChordCountsOnceAndLongRowsNotAtAll) {
    note_row(30.0f, 2.0f);
    note_row(30.0f, 2.0f);        // a chord tone at the same position
    note_row(35.0f, 64.0f);       // a grace note counts for nothing
    note_row(40.0f, 2.0f, 2.0f);  // a rest
    note_row(45.0f, 1.0f);
    answer_meter(4, 4, 0);
    input::ask_add_bar_lines();
    EXPECT_EQ(bar_positions(), (std::vector<float>{42.5f}));
}

TEST_F(BarLinesTest, NoAddsNothingAndExitLeavesTheLine) {
    six_quarters();
    fe_.answer_yes_no(kNo);
    input::ask_add_bar_lines();
    EXPECT_EQ(layout::ColumnRecords.count, 6);
    EXPECT_TRUE(fe_.dialog_words.empty());

    core::CommandLine.set("Q/Q/Q;");
    core::SecondLine.set("XYZ");
    fe_.answer_yes_no(kExit);
    input::ask_add_bar_lines();
    EXPECT_EQ(core::CommandLine(1), '!');
    EXPECT_EQ(core::SecondLine(1), '!');
    EXPECT_EQ(core::CommandLine.trimmed(), "!/Q/Q;");
    EXPECT_EQ(layout::ColumnRecords.count, 6);
}

TEST_F(BarLinesTest, CancelAndAZeroMeterAddNothing) {
    six_quarters();
    fe_.answer_yes_no(kYes);
    fe_.answer_dialog(2);
    input::ask_add_bar_lines();
    EXPECT_EQ(layout::ColumnRecords.count, 6);

    answer_meter(3, 0, 0);
    input::ask_add_bar_lines();
    EXPECT_EQ(layout::ColumnRecords.count, 6);
    ASSERT_FALSE(fe_.message_boxes.empty());
}

TEST_F(BarLinesTest, NoQuestionWhenTheMusicHasBarsAlready) {
    // A bar-line row in the rows while the page's last item lies past 25.0.
    six_quarters();
    core::Array1<float, layout::kColumnWords> bar;
    bar.fill(0.0f);
    bar(1) = 14.0f;
    bar(2) = 2.0f;
    bar(3) = 42.5f;
    ASSERT_TRUE(layout::append_column_row(bar));
    append_test_record({8.0f, 2.0f, 0.0f, 0.0f, 200.0f});
    append_test_record({1.0f, 2.0f, 25.5f, 5.0f});
    input::ask_add_bar_lines();
    EXPECT_TRUE(fe_.questions.empty());

    // At 25.0 exactly the page's last item is not past it: the question comes.
    core::ItemCount = 0;
    core::ItemWordsUsed = 1;
    append_test_record({1.0f, 2.0f, 25.0f, 5.0f});
    fe_.answer_yes_no(kNo);
    input::ask_add_bar_lines();
    EXPECT_EQ(fe_.questions.size(), 1u);
}

TEST_F(BarLinesTest, NoQuestionUnderABarLineFromAStaffAbove) {
    six_quarters();
    // Staff 1's bar line reaches two staves: through staff 2.
    append_test_record({14.0f, 1.0f, 25.0f, 2.0f});
    input::ask_add_bar_lines();
    EXPECT_TRUE(fe_.questions.empty());

    // One that reaches only to staff 2 itself (1 + 1), or lies before 25.0, does not count.
    core::ItemCount = 0;
    core::ItemWordsUsed = 1;
    append_test_record({14.0f, 1.0f, 30.0f, 1.0f});
    append_test_record({14.0f, 1.0f, 24.9f, 3.0f});
    fe_.answer_yes_no(kNo);
    input::ask_add_bar_lines();
    EXPECT_EQ(fe_.questions.size(), 1u);
}

}  // namespace
