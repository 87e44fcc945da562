// "BE": counts the quarters of a line of one staff, typed ("BE 3") or in a loop of answers
// (staff numbers or drawn boxes; "X" or typed zeros end it) with PendingBoxOperation 8 and step
// 'X'. Each count shows "Staff --- has --.--- beats"; nothing is respaced.
//
// Tables: CommandLine, SecondLine, ParamBuffer, MessageLine, PendingBoxOperation,
// GraphicsNextFree, CommandStatusWord, ItemStore and its index (sorted by staff) (core);
// PendingBoxStep (edit); PageExtent (render).
#pragma once

namespace edit {

// The "BE" word, and each answer while the loop waits.
void count_line_beats();

}  // namespace edit
