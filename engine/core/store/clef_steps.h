// The diatonic step offset of a clef kind, shared by the pitch context, transposition and the
// tablature numbers: a note's absolute step is its clef's offset plus its level (level 1 on the
// treble clef is C).
#pragma once

#include <cstdint>

namespace core {

// 0 treble 0, 1 bass -12, 2 alto -6, 3 tenor -8, 4 -7, any other kind 0.
int32_t clef_step_offset(int32_t clef);
// The step offset of a stored clef item of kind P5, as playback reads it (one table for every
// kind a clef item may hold, the fractional ones too); an unknown kind reads as the treble.
int32_t clef_item_step_offset(float kind);
// The clef item that rules staff at position: the last clef (code 3) on that staff whose P3 is
// not beyond position (of equal P3, the later one). 0 when there is none.
int32_t clef_item_at(int32_t staff, float position);

}  // namespace core
