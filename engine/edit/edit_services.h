// Procedures of other editing commands that the item words call: the item editor's move-step
// report and tool palettes (not built yet: stand-ins in engine/commands/family_stubs.cpp note
// themselves in the stub trace), the ends of attached items and the rhythm-letter reader.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/edit/item_ends.h"          // attach_item_ends
#include "engine/input/new_item_defaults.h"  // read_rhythm_field

namespace edit {

// Writes the current move step into the message line.
void show_move_step();
// Shows the tool palette with that number.
void show_item_palette(int32_t palette);

}  // namespace edit
