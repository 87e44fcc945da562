// Procedures of the editing commands that the item words call and that are not built yet: the
// item editor's move-step report and tool palettes, and the music input's rhythm-letter reader.
// Until their owners build them, stand-ins in engine/commands/family_stubs.cpp do the least they
// sensibly can (each notes itself in the stub trace).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/edit/item_ends.h"  // attach_item_ends

namespace edit {

// Writes the current move step into the message line.
void show_move_step();
// Shows the tool palette with that number.
void show_item_palette(int32_t palette);

}  // namespace edit

namespace input {

// Reads the duration letters of a rhythm word from line(first) (the "R" of "RH"; eight
// characters) into ParamBuffer P1, P5, P6, P7 and P9 for a note (mode 1.0) or a rest (2.0);
// status 0 done, -1 letter not recognised. The line is left as it was.
void read_rhythm_field(core::FixedText<512>& line, int32_t first, float mode, int32_t& status);

}  // namespace input
