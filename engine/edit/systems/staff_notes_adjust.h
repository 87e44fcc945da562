// Adjusting the notes of a staff ("STM", "STU" and the box continuation 15): the length form
// rewrites P8 of the stemmed notes from their vertical extent, the spacing form widens or
// narrows the gaps where the stem class changes and fits the run back into its width. Also the
// edit word "VC" ("VCB", "VCS"): the edited item moves midway to a neighbour staff.
//
// Tables: CommandLine, ParamBuffer, PendingBoxOperation, EditItemParams, MacroUnit, the item
// store (core); SelectionBox, SelectionList (edit); StaffTables (layout); PageExtent (render).
#pragma once

namespace edit {

// First call ("STM staff" runs the length form at once from staff up to the upper staff of
// the last box, or on the one staff across the page before any box; "STU", or no staff, asks
// for a box through the box menu and leaves PendingBoxOperation 15). With 15 pending the line
// is the box (drawn or typed), confirmed; "M" then runs the length form on it, "U" asks for the
// staff whose notes set the spacing and runs the spacing form. The notes taken are code 1 with
// more than four values, |P4| < 100 and a tens digit of P5 of at least 1. The spacing form
// refuses with a message, the store unchanged, when more than 80 notes qualify or two stand at
// one position. Every end redraws, clears P2..P4 and PendingBoxOperation and shows the general
// palette.
void adjust_staff_notes();

// The length adjustment a of a note whose extent (in steps from its head along the stem) is
// extent: 0 below 8.0, (10 - extent) x 0.5 - 1.5 below 10.0, else -1.5; 0.5 more when the units
// digit of p9 (the dots) is above 0.
float adjusted_length(float extent, float p9);

// "VC" (the staff below), "VCB" (the staff above), "VCS" (the middle of the own staff) on the
// item being edited: leaves its new P4 (and for a line the new P5, moved alike unless it is
// 999) less the offset of its code and size as a pair list in ParamBuffer. Writes nothing for
// codes other than 4, 9, 10, 16 and 18, and nothing when the staff has no staff item or no
// neighbour staff that way.
void centre_item_vertically();

}  // namespace edit
