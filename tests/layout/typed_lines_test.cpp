// The lines of one typed input laid out one after the other, as the input mode runs them: the
// notes line makes the rows, the rhythms line spreads them by duration, the beams and slurs
// lines add their rows over the same notes.
#include <string>
#include <vector>

#include "engine/input/tables.h"
#include "engine/input/typed/music_text.h"
#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/layout/input_rows.h"

namespace {

class TypedLinesTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
        layout::InputStaff = 1.0f;
        layout::InputRangeStart = 10.0f;
        layout::InputRangeEnd = 90.0f;
    }
    static int32_t type_line(int32_t mode, const std::string& line) {
        return type_input_line(mode, line);
    }
    static float p(int32_t row, int32_t w) { return layout::ColumnRecords.rows(row)(w); }
    // The rows of item code c, in row order.
    static std::vector<int32_t> rows_of(float c) {
        std::vector<int32_t> r;
        for (int32_t i = 1; i <= layout::ColumnRecords.count; ++i)
            if (p(i, 1) == c) r.push_back(i);
        return r;
    }
};

TEST_F(TypedLinesTest, NotesRhythmsBeamsAndSlursBuildOnOneAnother) {
    ASSERT_EQ(type_line(layout::kNotesMode, "C4/D/E/F;"), 0);
    ASSERT_EQ(rows_of(1.0f).size(), 4u);

    ASSERT_EQ(type_line(layout::kRhythmsMode, "E/E/Q/Q;"), 0);
    const std::vector<int32_t> notes = rows_of(1.0f);
    ASSERT_EQ(notes.size(), 4u);
    // Spread by duration over 10..90: an eighth takes half the room of a quarter.
    EXPECT_NEAR(p(notes[0], 3), 10.0f, 0.002f);
    EXPECT_NEAR(p(notes[1], 3) - p(notes[0], 3), (p(notes[2], 3) - p(notes[1], 3)), 0.002f);
    EXPECT_NEAR(p(notes[3], 3) - p(notes[2], 3), 2.0f * (p(notes[1], 3) - p(notes[0], 3)),
                0.002f);
    EXPECT_FLOAT_EQ(p(notes[0], 7), 0.5f);
    EXPECT_FLOAT_EQ(p(notes[3], 7), 1.0f);

    ASSERT_EQ(type_line(layout::kBeamsMode, "1 2;"), 0);
    const std::vector<int32_t> beams = rows_of(6.0f);
    ASSERT_EQ(beams.size(), 1u);
    EXPECT_FLOAT_EQ(p(beams[0], 3), p(notes[0], 3));
    EXPECT_FLOAT_EQ(p(beams[0], 6), p(notes[1], 3));

    ASSERT_EQ(type_line(layout::kSlursMode, "1 4;"), 0);
    const std::vector<int32_t> slurs = rows_of(5.0f);
    ASSERT_EQ(slurs.size(), 1u);
    EXPECT_LT(p(slurs[0], 3), p(slurs[0], 6));
    // The notes themselves stay where the rhythms put them.
    EXPECT_EQ(rows_of(1.0f), notes);
}

}  // namespace
