// Procedures of other editing commands that the item words call: the item editor's move-step
// report and tool palettes, the ends of attached items and the rhythm-letter reader; and the
// developer test of the front-end's window services.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/edit/items/item_ends.h"          // attach_item_ends
#include "engine/input/typed/new_item_defaults.h"  // read_rhythm_field

namespace edit {

// Writes the current move step into the message line.
void show_move_step();
// Shows the tool palette with that number.
void show_item_palette(int32_t palette);
// The pair list of one step word (L, R, U, D and their forms); selector 1 = the slider step.
void move_by_key(int32_t selector);
// The colour word: the colour dialog through the front-end, the colour line into MessageLine.
void choose_item_colour();
// Which parameters the step words move for the edited item's code.
void choose_edit_parameters();
// The slider's step for the parameter being slid.
void set_slider_step();
// The I family: I words other than "IF" (and "INVI") go to the keyword editor, which takes an
// item into editing ("I n", and "I*" after a new item).
void run_i_command();
// The developer lines "rr" + letter: the window service of that letter, with test values.
void test_frontend_services();

}  // namespace edit
