// Rows of ColumnRecords set up by hand as the notes and rhythms lines leave them, and a typed
// beams or slurs line run through the parser to its builder.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "engine/core/bridge/command_line.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/music_text.h"
#include "engine/layout/tables.h"
#include "tests/layout/layout_fixture.h"

// Types line as a line of the given kind and runs it through the parser to its builder; returns
// InputParseStatus.
inline int32_t type_input_line(int32_t mode, const std::string& line) {
    layout::InputParserMode = mode;
    core::CommandLine.set(line);
    int32_t first = 1;
    int32_t cursor = 0;
    input::prepare_input_line(first, cursor);
    return input::InputParseStatus;
}

class InputRowsTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        layout::InputStaff = 1.0f;
        layout::InputRangeStart = 10.0f;
        layout::InputRangeEnd = 170.0f;
        fe_.strict = false;
    }
    // A note starting a chord: x, staff step, P5 (stem digit + accidental), beams (P13), rhythm.
    static int32_t chord(float x, float step, float p5, float beams = 1.0f, float rhythm = 0.5f) {
        const int32_t r = row(1.0f, x, step, p5, rhythm);
        layout::ColumnRecords.rows(r)(13) = beams;
        ++layout::ChordCount;
        layout::ChordFirstRows(layout::ChordCount) = r;
        layout::ChordStemCodes(layout::ChordCount) = 0;
        close_columns(x);
        return r;
    }
    // A further note of the chord before it (no rhythm of its own).
    static int32_t member(float step, float p5 = 0.0f) {
        const float x = layout::ColumnRecords.rows(layout::ColumnRecords.count)(3);
        const int32_t r = row(1.0f, x, step, p5, 0.0f);
        layout::ColumnRecords.rows(r)(15) = -1.0f;
        return r;
    }
    static int32_t rest(float x, float rhythm) {
        const int32_t r = row(2.0f, x, 0.0f, 0.0f, rhythm);
        close_columns(x);
        return r;
    }
    static float& F(int32_t r, int32_t w) { return layout::ColumnRecords.rows(r)(w); }

    // Types line (beams: mode 4, slurs: mode 5) and runs it to its builder.
    static void type_line(int32_t mode, const std::string& line) { type_input_line(mode, line); }

  private:
    static int32_t row(float code, float x, float step, float p5, float rhythm) {
        core::Array1<float, layout::kColumnWords> r;
        r.fill(0.0f);
        r(1) = code;
        r(2) = 1.0f;
        r(3) = x;
        r(4) = step;
        r(5) = p5;
        r(7) = rhythm;
        EXPECT_TRUE(layout::append_column_row(r));
        layout::RowRhythms(layout::ColumnRecords.count) = rhythm;
        return layout::ColumnRecords.count;
    }
    // One more column, closed by the page's end as the rhythms line leaves it.
    static void close_columns(float x) {
        auto& n = layout::ColumnPositionCount;
        if (n == 0) n = 1;
        layout::ColumnPositions(n) = x;
        ++n;
        layout::ColumnPositions(n) = 200.0f;
    }
};
