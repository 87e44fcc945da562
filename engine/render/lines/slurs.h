// Slurs, ties, hats, ending brackets and tuplet brackets (item code 5), and the tuplet figure
// that slurs, tuplet brackets and beams print.
//
// Tables: ParamBuffer and IntParamBuffer (core, words 3..20 restored after each item);
// StaffTables (layout); ItemDrawOrigin, PathPointList, PathPointLimit, OutputPassWord (render);
// SlurThickness (core settings).
#pragma once

#include <cstdint>

namespace render {

// Contract: draws the code 5 item in ParamBuffer / IntParamBuffer from ItemDrawOrigin on the
// current staff into PathPointList: a filled tapered arch (solid, dashed or dotted, halves,
// cuts, S shape, optional tuplet figure in a gap at the apex), the hat (P9 = 99) or a bracket
// (1 <= IP8 <= 9). Words 3..20 of both parameter buffers come back as they were. An item whose
// points would not fit below PathPointLimit draws nothing of the part that does not fit and
// never writes past the list; the entries of earlier items are left alone.
void draw_slur_item();

// Contract: draws number through the number drawer with its horizontal origin at
// x + dx - scale x k (k 7.1 below 10, 12.0 for 11, 13.5 up to 19, 14.5 from 20); the caller
// sets the vertical origin and the size P6. Leaves P8, IP8 and P17 at 0; P5..P18 otherwise come
// back as they were. A negative P14 chooses the font (IP7 = INT(1000 - P14), 2000 meaning 0).
void draw_tuplet_number(int32_t number, float x, float dx);

// Registers the code 5 drawer and fills RenderHooks.draw_tuplet_number.
void register_slur_drawers();

}  // namespace render
