// The staff step: staff items (code 8) become the per-staff entries of StaffTables, their lines
// are drawn, and the "STSP" command sets the vertical distance between staves.
// Tables: StaffTables, ShowInvisibleItems (layout), core::MetricFlag; ParamBuffer,
// IntParamBuffer, ItemStore and its index (core); ItemDrawOrigin, ViewOrigin, OutputPassWord,
// PathPointList (render).
#pragma once

#include <cstdint>

namespace layout {

// The staff step for the staff item in ParamBuffer / IntParamBuffer, ItemDrawOrigin x already
// set to the left end. Sets the staff's scale, colour, width code and (unless P4 is 1000 or
// more, which is warned about) its base and middle y, then draws its lines, guide line and
// number label. P26 becomes 0.8 when a hidden staff is shown grey. A staff number (P2) or a
// P10 reference staff outside 1..256 makes the step ignore the item: nothing is set or drawn.
void draw_staff_item();

// n words were appended at the end of ItemStore: ItemWordsUsed grows by n, ItemStartTable and
// ItemCount are rebuilt, and the staff step runs for every staff item (PathPointList and the
// output lists are left as they were). A damaged record ends the store there, and n becomes the
// number of the appended words that were kept; n beyond the store's capacity is cut to what it
// can hold. A store of more than render::ItemCountLimit items was grown without its room check:
// that defect is thrown (core::EngineDefect, naming the count), and no item is cut.
void rebuild_index_and_staff_table(int32_t& n);

// Draws the staff's number to the left of the staff, through the number drawer, at one size
// on staves of every size. ParamBuffer P5, P6, P26 and ItemDrawOrigin are restored after.
void draw_staff_number_label(float size, int32_t staff);

// "STSP": sets the distance from the top line of staff s to the bottom line of staff s + 1,
// for the staves named by the numbers in ParamBuffer (P2 staff, P3 distance, ... or, with X in
// column 5 of CommandLine, P2 one distance for the staves P3, P4, ...); with no numbers the
// spacing dialog asks for them. Moves StaffBaseY and the P4 of every staff item above each
// changed gap; reports "Limit of 45 numbers." and stops at a P4 of 999 with the staff
// warning. The caller redraws.
void space_staves_vertically();

// Shows "*** Warning: P4 of Staff     out of range." with the staff in columns 26-28 and,
// from column 45, value and base in the format (1F5.0, 1I7).
void warn_staff_position(int32_t staff, float value, int32_t base);

}  // namespace layout
