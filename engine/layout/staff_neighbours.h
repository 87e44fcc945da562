// The point halfway between a staff and its neighbour, for text placed between staves and
// for the edit words "VC", "VCB" and "VCS".
//
// Tables: EditItemParams, ParamBuffer, CommandLine, the item store (core); StaffTables
// (layout); ItemDrawOrigin (render).
#pragma once

#include <cstdint>

namespace layout {

// direction 2: the staff above (next lower number), else the staff below (next higher, at
// most 256). Sets ParamBuffer P4 to the midpoint's P4 less the text offset and the drawing
// origin's y to it. No neighbour staff: nothing is written.
void find_neighbour_staff(int32_t direction);

// Registers find_neighbour_staff with the text drawer.
void register_neighbour_staff_hook();

}  // namespace layout
