// Transposition ("TR" with an interval, the edit word "EN", the box word "TR"): the notes,
// key signatures, beams, slurs and chord names of a range of staves move by half steps,
// respelled in the new key; |t| = 99 respells enharmonically.
//
// Tables: ParamBuffer, PendingBoxOperation, MacroUnit, MessageLine, UndoSaveMode, the item
// store (core); StaffPitchContext (pitch context); PageExtent (render).
#pragma once

#include <cstdint>

namespace edit {

void transpose_items();

// The key (sharps positive) that key k becomes moved by t half steps, and the diatonic steps.
void transposed_key(int32_t k, int32_t t, int32_t& new_key, int32_t& steps);

// Removes every item whose P1 is 13.0 (DUMMY).
void remove_dummy_items();

}  // namespace edit
