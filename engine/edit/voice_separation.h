// Separating two voices of a staff ("SE": one voice kept on each staff of a range; "SE" with X
// in column 4: each voice onto its own staff), and the check that a staff holds one voice
// before it is written back as typed input.
//
// Tables: CommandLine, ParamBuffer, CommandModeLetters, UndoSaveMode, the item store (core);
// PageExtent (render).
#pragma once

#include <cstdint>

namespace edit {

// "SE": P2 voice choice (0 opens the Separate Voices dialog), P3 lowest staff, P4 left, P5
// right limit, P6 highest staff. With X in column 4 of CommandLine no undo copy is saved.
void separate_voices();

// "SE" with X in column 4 typed: P2 voice choice (0 opens the dialog), P3 source staff, P4
// the new staff.
void separate_voices_new_staff();

// P7 of the note or rest whose record starts at word k (n parameters) from its shape.
void set_note_duration(int32_t k, int32_t n);

// P1 staff, P2 left, P3 right. Abandons ("B" as first command-mode letter) a staff that holds
// two voices.
void check_staff_single_voice();

}  // namespace edit
