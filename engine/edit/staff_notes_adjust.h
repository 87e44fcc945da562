// Adjusting the notes of a staff ("STM", "STU" and the box continuation 15): the length form
// rewrites P8 of the stemmed notes from their vertical extent, the spacing form widens or
// narrows the gaps where the stem class changes and fits the run back into its width. Also the
// edit word "VC" ("VCB", "VCS"): the edited item moves midway to a neighbour staff.
//
// Tables: CommandLine, ParamBuffer, PendingBoxOperation, EditItemParams, the item store
// (core); SelectionBox (edit); StaffTables (layout); PageExtent (render).
#pragma once

namespace edit {

void adjust_staff_notes();

// Leaves the new P4 (and for a line the new P5) of the edited item as a pair list in
// ParamBuffer; writes nothing for items it does not place.
void centre_item_vertically();

}  // namespace edit
