// The A commands: Group Alter (a box, an item code and pairs of parameter changes, turned into
// an IF line), "ADD" (bar lines from a staff's rhythm), "AD" (stems to beams in a region) and
// "ADO" (the PostScript screen-font option); and two small reports of the interpreter and the
// system move.
//
// Tables: CommandLine, SecondLine, MessageLine, ParamBuffer, PendingBoxOperation, MacroUnit,
// ItemStore and its index, EditedItemNumber (core); SelectionBox, GroupAlterCode, RhythmSum,
// RhythmSumLastPosition, PendingBoxStep (edit); PageExtent, LoadedFont (render).
#pragma once

#include <cstdint>

namespace edit {

// Steps of Group Alter in PendingBoxOperation.
constexpr int32_t kAlterAwaitBox = 50;
constexpr int32_t kAlterAwaitCode = 51;
constexpr int32_t kAlterAwaitChanges = 52;
// The last column of the IF line that the IF command reads, and where the changes begin.
constexpr int32_t kAlterLastColumn = 160;
constexpr int32_t kAlterFirstChangeColumn = 74;

// Every command starting with "A", and every answer while Group Alter waits.
void alter_group();

// The rhythm display of the edited item: kind 1 starts a new sum; kind becomes 2.
void show_rhythm_sum(int32_t& kind);

// " Nothing to do: Staff" nnn ", Code#" code on the standard output, unless move_mode is 2.
void report_empty_staff_code(int32_t move_mode, int32_t staff, float code);

}  // namespace edit
