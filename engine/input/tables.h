// The shared tables of music input. Each section says which procedures write its tables; every
// other file only reads them.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace input {

// ---- new items by name (new_item_defaults.cpp) ------------------------------------------------

// ---- input lines (input_lines.cpp) -------------------------------------------------------------

// 1 while the "ED" tail has items turned back into input lines; set and cleared around
// regenerate_input_lines by run_ed_command.
extern int32_t RegenerateLinesFlag;

// Puts every table above back to its start-up value; called by core::reset_engine().
void reset_input_tables();

}  // namespace input
