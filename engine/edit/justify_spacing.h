// Column spacing of a system: each staff's items are grouped into columns with the room each
// needs to its left and right; the columns of all staves are merged, and the free room between
// them is redistributed, moving every horizontal word of the selected items with its column.
//
// Tables: ItemStore and its index, SecondLine (core); StaffTables (layout); PageExtent (render);
// SelectionBox, SelectionList (edit); the space-after preferences.
#pragma once

#include <cstdint>
#include <vector>

namespace edit {

// Spaces the columns of staves lowest..highest between left and right; a redraw word of 999
// leaves the redraw to the caller.
void justify_spacing(int32_t& lowest, int32_t& highest, float& left, float& right,
                     int32_t& redraw);
// The redistribution over the columns at positions (k of them) with widths (k - 1: the room
// needed between a column and the next): moves the words of the selection list. When the widths
// need more than right - left, they are cut equally and the "Not enough space" text is left in
// SecondLine.
void report_justify_space(float left, float right, std::vector<float>& positions,
                          std::vector<float>& widths);

}  // namespace edit
