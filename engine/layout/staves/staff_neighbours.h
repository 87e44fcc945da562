// The point halfway between a staff and its neighbour, for text placed between staves and
// for the edit words "VC", "VCB" and "VCS".
//
// Tables: ParamBuffer, CommandLine, the item store (core); StaffTables (layout);
// ItemDrawOrigin (render).
#pragma once

#include <cstdint>

namespace layout {

// The P4, in steps of staff `staff`, of the point halfway between the line of that staff that
// faces its neighbour and the facing line of the neighbour: above (the next lower staff
// number) when `above`, else below (the next higher number, at most 256). A staff of size s
// spans P4 3.0 to 11.0, that is StaffBaseY + 525 s to StaffBaseY + 1925 s; the size is the
// staff item's P5 (1.0 when 0 or absent). Reads the staff items of the store (of equal staff
// numbers the later item) and StaffTables.StaffBaseY. False, with p4 untouched, when the staff
// lies outside 1..256, has no staff item, or has no neighbour staff item that way.
bool midpoint_to_neighbour(int32_t staff, bool above, float& p4);

// The item being drawn in ParamBuffer (P2 staff, P6 size) placed between its staff and the one
// above (direction 2) or below (any other value): ParamBuffer P4 becomes the midpoint's P4 less
// the text offset (P6 mod 100, 1.0 when 0; x 1.5 when the command's third letter is "S"), and
// the drawing origin's y follows it. No neighbour staff: nothing is written.
void find_neighbour_staff(int32_t direction);

// Registers find_neighbour_staff with the text drawer.
void register_neighbour_staff_hook();

}  // namespace layout
