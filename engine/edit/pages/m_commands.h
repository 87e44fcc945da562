// The M words ("MN" measure numbers, "MT" texts at one level, "MS"/"CS" moving or copying a
// system, the music directory's "MB", "MG", the macro words, the metric and mode words) and the
// stretch of a box between new edges.
//
// Tables: CommandLine, CommandModeLetters, ParamBuffer, PendingBoxOperation, the item store
// (core); SelectionBox (edit).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace edit {

// The three words of the shared edit mode; "MC" sets them to 1, 0, 0.
extern core::Array1<int32_t, 3> EditModeWords;

// The M words and "CS" by their letters.
void run_m_command();
// "MS"/"CS": waits for the source system (PendingBoxOperation 9) and the destination (10).
void move_system();
// "MT staff level step": texts and lines of the staff within 2 of the level move by the step.
void move_texts_at_level();
// Moves the edges of the box in ParamBuffer P1..P4 by the steps of the Steps to move dialog.
void adjust_box_edges();

}  // namespace edit
