// A page for the live entries of a typed line: a staff item of staff 1 and a treble clef, drawn,
// with the input words set up as the input mode leaves them for the notes line of staff 1.
#pragma once

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/core/interpreter_fixture.h"

class LiveEntryTest : public InterpreterTest {
  protected:
    static constexpr float kX0 = 10.0f;

    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
        enter_items_without_editing();
        type("STAFF");
        type("CLEF");
        ASSERT_EQ(core::ItemCount, 2);
        bind_output_lists();
        render::redraw_items();
        input::reset_input_tables();
        start_notes_line();
    }
    // The words of a new notes line on staff 1; the items made from here on are the line's.
    void start_notes_line() {
        page_items_ = core::ItemCount;
        input::InputStaff = 1.0f;
        input::InputParserMode = 1;
        input::InputStartItemCount = core::ItemCount;
        input::TypedPlacement.x = kX0;
        core::ParamBuffer(2) = 1.0f;
        core::CommandLine.blank();
    }
    // Items made since the line began.
    int32_t made() const { return core::ItemCount - page_items_; }

    int32_t page_items_ = 0;
};
