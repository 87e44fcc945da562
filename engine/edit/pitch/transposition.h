// Transposition ("TR" with an interval, the edit word "EN", the box word "TR"): the notes,
// key signatures, beams, slurs and chord names of a range of staves move by half steps,
// respelled in the new key; |t| = 99 respells enharmonically.
//
// Tables: ParamBuffer, PendingBoxOperation, MacroUnit, MessageLine, UndoSaveMode, the item
// store (core); StaffPitchContext (pitch context); PageExtent (render).
#pragma once

#include <cstdint>

namespace edit {

// Runs one transposition: the typed form (P2 interval, P3 first staff, P4 left, P5 right, P6
// last staff, P7 add key, P8 new clef, P9 0 = normal stems, P10 cue notes) when no box waits and
// P2 is not 0 or a command file runs, else the "Transpose Setup" dialog over the box in P1..P4.
void transpose_items();

// The key (sharps positive) that key k becomes moved by t half steps, and the diatonic steps.
void transposed_key(int32_t k, int32_t t, int32_t& new_key, int32_t& steps);

// Moves the notes and key signatures of StaffPitchContext by the running transposition and
// removes the accidentals that ties and the bar make needless; cue notes (|P4| >= 100) only
// when cue is not 0 (or their P7 is 65.0).
void transpose_staff_notes(int32_t cue);

// The windows round the ends of tie number index (0 first) of StaffPitchContext: P3 +- 3.0 and
// P6 +- 3.0. Advances index; false when the list is exhausted.
bool next_tie_window(int32_t& index, float& left_low, float& left_high, float& right_low,
                     float& right_high);

// Removes every item whose P1 is 13.0 (DUMMY).
void remove_dummy_items();

}  // namespace edit
