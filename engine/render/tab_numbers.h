// Tablature numbers: the string and fret of a note of a tablature staff, drawn as a number on
// its string line (or only computed, for the tablature command).
//
// Tables: ParamBuffer, IntParamBuffer, EditItemParams (core); the drawing lists (render).
#pragma once

namespace render {

// Works on the note in ParamBuffer and its integer copy; IntParamBuffer word 10 = 999 only
// computes. The string comes back in IntParamBuffer word 8, the fret in word 9. The caller's
// P-values are unchanged.
void draw_tab_fret_numbers();

}  // namespace render
