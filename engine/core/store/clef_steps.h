// The diatonic step offset of a clef kind, shared by the pitch context, transposition and the
// tablature numbers: a note's absolute step is its clef's offset plus its level (level 1 on the
// treble clef is C).
#pragma once

#include <cstdint>

namespace core {

// 0 treble 0, 1 bass -12, 2 alto -6, 3 tenor -8, 4 -7, any other kind 0.
int32_t clef_step_offset(int32_t clef);

}  // namespace core
