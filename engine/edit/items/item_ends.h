// Attaching the ends of lines, slurs, beams and trills to notes, standing numbers, bar lines, key
// signatures and meters at bar lines, and fitting text-continuation lines between text items.
// Each attaching routine leaves its result as a pair list (P#, value, ..., 0.0) in ParamBuffer
// for the caller to apply; only refit_lines_on_staff changes the store itself.
//
// Tables: EditItemParams (the edited item, E1 code, E2 staff, E3 left, E4 left height, E5 right
// height, E6 right, E7 kind or curvature, E8 slur kind, E11.. extra points), ParamBuffer,
// CommandModeLetters(2) (the mode letter), CommandLine(3), EditedItemNumber, MessageLine,
// ItemStore and its index (core); StaffTables, MaxStaffNumber (layout); PageExtent (render);
// LyricDashSize, LyricDashCount (core preferences); ItemEndsState (edit).
#pragma once

#include <cstdint>

#include "engine/layout/notes/note_geometry.h"

namespace edit {

// Finds the notes, rests or bar lines the ends of the edited item belong to, by the mode letter
// in CommandModeLetters(2): 'V' the item's own staff, 'N' the staff typed in ParamBuffer P2 (the
// item's when 0; "R" or "L" as a slur's third command letter: to the last bar line, from the
// first note), 'M' a number, bar line, key signature or meter onto the nearest bar line within
// 15.0, 'R' a slur's curvature, 'D' a line between the text items around it. start is the start
// word of the item's stored record (excluded from every search; 0 = none), highest its highest
// P#. Any other letter leaves ParamBuffer alone; otherwise the result is a pair list, empty
// (P1 = 0.0) when nothing was found.
void attach_item_ends(int32_t start, int32_t highest);

// One end: appends (p, position of the nearest candidate on the search staff) to the pair list,
// stepping right by 2.0 while a bar-line end is not acceptable (up to PageExtent, where the
// value becomes E6, at most PageExtent). found = the candidate's start word, 0 (and nothing
// appended) when the staff has none. Returns whether a note or rest was found for a note end.
bool snap_end_to_nearest_note(float p, float x, int32_t& found);

// After a right end landed on the left end's note: steps x by 2.0 and drops the last pair
// (returns 1: search again), or at the page's end gives the last pair the value PageExtent
// (returns 0). Returns 0 at once when the ends differ or the earlier pair is a P6 or P12.
int32_t retry_right_end(float& x);

// Appends P4 and P5 for the ends found on notes (left and right note start words; 0 or a non-note
// appends nothing), from the notes' heights and their chords, made even.
void fit_slur_end_heights(int32_t left, int32_t right);
// The height a slur end takes at the note whose record starts at word start (above or below by
// E7's sign), from its step, stem direction, stem length and flags.
float note_end_height(int32_t start);
// An odd whole height moves to the even one beside it (the slur builder of typed input shares it).
using layout::make_position_even;

// P7 = the slur's curvature from its length, kind and end heights, as a pair list; nothing for a
// slur whose ends stand at bar lines (E8 >= 1).
void compute_slur_curvature();

// For a line (E1 = 4): the pair list P3, P4, P5, P6 (and P8, P9 for a dashed line) that runs it
// from the end of the text item left of E3 to the text after it on staff E2, at E4's height.
// Returns whether a text was found; nothing is written when none was.
bool fit_line_between_texts();

// Re-fits every horizontal text-continuation line of staff ParamBuffer P2 (every staff when
// above MaxStaffNumber), after saving the undo copy; redraws when a line changed. A dashed line
// that must grow to 14 values for its dash count, and cannot (full store), is left as it is.
// EditItemParams comes back unchanged.
void refit_lines_on_staff();

// flag becomes end (1 or 2) when it was 0, else 3 (both ends).
void merge_end_flag(int32_t& flag, int32_t end);

}  // namespace edit
