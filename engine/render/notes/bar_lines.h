// The bar-line drawer (Code 14 items): thin, thick, double and final bars, repeat bars with
// their dots, dashed and invisible bars, braces and brackets that group staves, the short
// stroke kind, and the rest glyph a bar item may carry. A bar spans P4 staves from its staff
// P2 upward (999: up to the highest staff of the page).
//
// Tables: ParamBuffer, IntParamBuffer, EditItemParams, EditedItemNumber, ItemStore (core);
// StaffTables, MaxStaffNumber, ShowInvisibleItems (layout); ItemDrawOrigin, OutputPassWord,
// PathPointList (render).
#pragma once

namespace render {

// Contract: draws the bar item in ParamBuffer / IntParamBuffer at ItemDrawOrigin (its P15 shift
// done by the dispatcher; P7 x 150 added here when P15 is 0) into PathPointList. Repeat dots go
// through the dispatcher as Code 12 circles, the rest of kind -44 as a Code 2 rest, dashed bars
// through the line drawer, the brace through the glyph painter. The staves are cut so that the
// last is not above MaxStaffNumber. An invisible bar (P4 < 0) is drawn dashed only on the
// screen while invisible items are shown. P4 = 999 also gives the edited item, when it is this
// bar, its computed P4 (P10 and P11 0). ParamBuffer words changed for nested drawing, the current
// staff and ItemDrawOrigin are put back; the dispatcher restores P3..P15.
void draw_bar_line_item();

}  // namespace render
