// Fitting stems to beams and rebuilding an edited beam: the stem of every note under a beam is
// made to meet the beam line; an edited beam is rebuilt from the notes that now lie under it.
//
// Tables: ParamBuffer, IntParamBuffer, EditItemParams, EditedItemNumber, EditedItemParamCount,
// CommandLine, CommandModeLetters, ItemStore and its index, MessageLine, ChangesMadeFlag (core);
// StaffTables, CurrentStaffScale (layout/render).
#pragma once

#include <cstdint>

namespace layout {

// The stem length of one note under one beam (direction d: the note's stem digit); the working
// records hold the beam and the note. Result in ParamBuffer P2.
void fit_one_stem(int32_t& direction);
// Fits the stems of the notes under every beam of staves P2..P5 between P3 and P4 (ParamBuffer);
// a flag of 0 does nothing.
// redraw false leaves the page to the caller's own redraw (the flip of beamed groups, whose
// callers redraw once at their end).
void fit_stems_to_beams(int32_t& flag, bool redraw = true);
// Leaves an edit line in ParamBuffer fitting the edited note's stem to its beam (P1 = 0: none).
void adjust_stems_to_beam();
// Rebuilds the edited beam from the notes under it (P1 = 0: no beam could be built).
void refit_edited_beam();
// The edited beam's end-shift code as the edit line (9, code) (P1 = 0: none).
void count_notes_in_span();
// Shifts ItemStore from word next_start by (new_count - old_count) words and the start words of
// items next_item.. and ItemWordsUsed with it; nothing when the counts are equal. Returns false,
// changing nothing, when the store has no room or next_start lies outside it.
bool move_store_tail(int32_t old_count, int32_t new_count, int32_t next_start, int32_t next_item);

}  // namespace layout
