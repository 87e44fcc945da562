// How far the drawn page reaches: the extent of the items' own output, the extent of the whole
// output lists, and the "WW" report that shows one item.
//
// Tables: ItemStore and its index, ItemOutputSpans, the output lists, ParamBuffer P2,
// MessageLine, EditedItemNumber (core); StaffTables (layout); ViewOrigin, PageFormatIndex,
// ScrollState (render).
#pragma once

#include <cstdint>

namespace render {

// The mode letter "B" that the scrolling and the view updates measure with, and "S" (staff
// items only).
constexpr int32_t kMeasureAll = 66;
constexpr int32_t kMeasureStaves = 83;

// Extent of items 1..ItemCount from their entries in GraphicsList and, for items drawn as text,
// from their text records; display units, view origin applied. Mode 1 measures the lists as
// they are; any other mode redraws the page first without its paper frame. Left out: with mode
// -2 staves below 200, with another negative mode staves above 200; symbols with P11 set;
// hidden staves (P7 < 0); bar lines unless mode is 2; with mode 83 everything but staves.
// With nothing measured: y low = x low = 555555, y high = x high = -555555.
void measure_items_extent(int32_t mode, int32_t& y_high, int32_t& y_low, int32_t& x_low,
                          int32_t& x_high);

// Extent of every GraphicsList entry written and of every character of TextDisplayStream, with
// ViewOrigin y added to both y bounds. Starts from -99999 / 99999 when the lists are empty.
void measure_drawing_extent(float& y_high, float& y_low, float& x_low, float& x_high);

// "WW": writes the item extent into MessageLine (four (1i6) fields at columns 1, 8, 15, 22),
// then scrolls the view vertically to item INT(P2). An item number outside 1..ItemCount only
// gets the report.
void report_extent_and_show_item();

// The extent of all items in MessageLine: "Top  =" (columns 7-13), "Bottom =" (25-33), a line
// break, "Left =" (42-49) and "Right  =" (61-67), left and right relative to the view origin.
void report_items_extent();

}  // namespace render
