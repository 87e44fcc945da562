// Absolute sizes of items against their staff's size.
#include "engine/edit/items/absolute_size.h"

#include <string>
#include <vector>

#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class AbsoluteSize : public InterpreterTest {
  protected:
    // Sets (value != 0) or reports the size of an item of params; returns the result.
    float run(std::vector<float> params, float value, int32_t mode = 0) {
        result_ = -1.0f;
        index_ = -1;
        value_ = value;
        edit::report_absolute_size(params.data(), value_, result_, index_,
                                   static_cast<int32_t>(params.size()), mode);
        return result_;
    }
    float value_ = 0.0f;
    float result_ = 0.0f;
    int32_t index_ = 0;
};

TEST_F(AbsoluteSize, ReportPutsBothSizesInTheirColumns) {
    layout::StaffTables.StaffScale(1) = 50.0f;
    std::vector<float> note(15, 0.0f);
    note[0] = 1;
    note[1] = 1;
    note[14] = 101.5f;
    run(note, 0.0f);
    EXPECT_EQ(index_, 15);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "*** Absolute size =    3.00 \r\nStaff size  2.00");

    EXPECT_FLOAT_EQ(run(note, 4.0f), 102.0f);  // the hundreds flag stays
    EXPECT_FLOAT_EQ(value_, 102.0f);
    EXPECT_EQ(fe_.message_boxes.size(), 1u);  // setting reports nothing

    // A size of 0 counts as the staff's size; a staff scale of 0 as size 1.
    note[14] = 100.0f;
    run(note, 0.0f);
    EXPECT_TRUE(shown("Absolute size =    2.00"));
    layout::StaffTables.StaffScale(1) = 0.0f;
    run(note, 0.0f);
    EXPECT_TRUE(shown("Absolute size =    1.00 \r\nStaff size  1.00"));
}

TEST_F(AbsoluteSize, SizeParameterByCode) {
    layout::StaffTables.StaffScale(2) = 50.0f;
    const auto index_for = [&](std::vector<float> p) {
        p.resize(20, 0.0f);
        p[1] = 2;
        run(p, 3.0f);
        return index_;
    };
    EXPECT_EQ(index_for({2}), 15);
    EXPECT_EQ(index_for({7, 2, 0, 0, 0, 0, 20}), 9);
    EXPECT_EQ(index_for({7, 2, 0, 0, 0, 0, 19}), 5);
    EXPECT_EQ(index_for({8}), 5);
    EXPECT_EQ(index_for({15}), 5);
    EXPECT_EQ(index_for({18}), 7);
    EXPECT_EQ(index_for({14}), 17);  // a new size always goes to P17
    EXPECT_EQ(index_for({9}), 6);
    EXPECT_EQ(index_for({16}), 6);
    for (float code : {4.0f, 5.0f, 6.0f, 17.0f, 0.0f}) {
        EXPECT_EQ(index_for({code}), 0) << code;
        EXPECT_EQ(result_, -1.0f);
        EXPECT_EQ(value_, 3.0f);
    }
    EXPECT_TRUE(fe_.message_boxes.empty());
    for (float code : {4.0f, 5.0f, 6.0f, 17.0f}) run({code, 2, 0, 0, 0, 7}, 0.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(AbsoluteSize, StavesBarLinesPointsAndGrids) {
    layout::StaffTables.StaffScale(2) = 50.0f;
    EXPECT_FLOAT_EQ(run({8, 2, 0, 0, 102}, 3.0f), 3.0f);  // a staff's size is absolute
    run({8, 2, 0, 0, 2}, 0.0f);
    EXPECT_TRUE(shown("Absolute size =    2.00"));

    std::vector<float> bar(17, 0.0f);
    bar[0] = 14;
    bar[1] = 2;
    bar[4] = 1;
    run(bar, 0.0f);
    EXPECT_TRUE(shown("Absolute size =    2.00"));  // P17 of 0: the staff's size
    bar[16] = 1.25f;
    run(bar, 0.0f);
    EXPECT_TRUE(shown("Absolute size =    1.25"));

    EXPECT_FLOAT_EQ(run({9, 2, 0, 0, 0, 301}, 27.12f, 99), 1.0f);  // points: no flag hundreds

    // A grid scales its P7 with its size.
    edit::EditScratch(7) = edit::kNotGiven;
    EXPECT_FLOAT_EQ(run({12, 2, 0, 0, 0, 2, 3}, 8.0f), 4.0f);
    EXPECT_FLOAT_EQ(edit::EditScratch(7), 6.0f);
    edit::EditScratch(7) = edit::kNotGiven;
    run({12, 2, 0, 0, -1, 2, 3}, 8.0f);
    EXPECT_EQ(edit::EditScratch(7), edit::kNotGiven);
}

TEST_F(AbsoluteSize, ShortItemsAndStrayStaves) {
    // Only count words are read; the rest count as 0.
    float two[2] = {1, 300};  // staff 300: no such staff, size 1
    float value = 2.0f, result = 0.0f;
    int32_t index = 0;
    edit::report_absolute_size(two, value, result, index, 2, 0);
    EXPECT_EQ(index, 15);
    EXPECT_FLOAT_EQ(result, 2.0f);
    value = 2.0f;
    edit::report_absolute_size(two, value, result, index, -3, 0);  // nothing copied: code 0
    EXPECT_EQ(index, 0);
}

}  // namespace
