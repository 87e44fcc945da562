// The saved bounding box ("!BB.dat" in the work folder) and the red outline of a box on the
// page.
//
// Tables: SavedBoundingBox (output); ItemStore, ItemCount, ItemWordsUsed (core); StaffTables
// (layout).
#pragma once

#include <cstdint>

namespace output {

// By SavedBoundingBox.file_mode: 2 saves the four values, 3 gets them, 5 shows them (the
// Print Setup's page box, display units) on the page as the red outline.
void exchange_bbox_settings();
// Shows the box (display units) as four red lines that live for one redraw only.
void add_bbox_outline(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

}  // namespace output
