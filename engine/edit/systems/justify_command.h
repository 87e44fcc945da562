// The justify words ("J", "L" and their forms): a system (a run of staves) is prepared, counted
// and respaced by its rhythm, and its columns spaced over the width of its line; "JT" spreads
// the texts of one level.
//
// Tables: CommandLine, CommandModeLetters, ParamBuffer, PendingBoxOperation, MessageLine,
// SecondLine, MacroUnit, ItemStore and its index, ChangesMadeFlag (core); PendingBoxStep,
// SelectionBox (edit); StaffTables, MaxStaffNumber, GraceSpacingDone (layout); PageExtent
// (render).
#pragma once

#include <cstdint>

namespace edit {

// The J and L words, first call and answer.
void run_justify_command();
// Justifies the system of staves lowest..highest between left and right (the staff numbers may
// change).
void justify_system(int32_t& lowest, int32_t& highest, float& left, float& right);
// The system given by a drawn or typed box.
void justify_from_box();
// The click that answers "JT": the text item k gives the staff and the level of the texts, and
// the system they are spread in is asked for (typed or drawn).
void take_clicked_text(int32_t k);
// Spreads the text items of one staff and one level evenly between two positions.
void justify_text();
// Writes the lowest and highest staff that hold notes or rests with a rhythm into CommandLine.
void find_rhythm_staff_range();

}  // namespace edit
