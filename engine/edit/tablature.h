// Tablature from a source staff ("TAB source strings target", "TA" words): the notes of the
// source staff become tablature notes on the target staff, each on a string with a fret.
//
// Tables: ParamBuffer, the item store (core); StaffPitchContext (pitch context);
// TablatureSetupBlock (here).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace edit {

// The Tablature setup dialog's block, kept between uses.
extern core::Array1<int32_t, 20> TablatureSetupBlock;

void make_tablature();

}  // namespace edit
