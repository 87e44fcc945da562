// The two-stage drawing every drawer uses: points go into PathPointList, and
// begin_item_drawing moves them into GraphicsList (the screen pass). Also a reader of
// GraphicsList for tests and the console's dump.
//
// Tables: PathPointList, DrawColourWord, LastOperationWord, ViewOrigin (render);
// OutputBufferViews.graphics, GraphicsNextFree (core); ParamBuffer P2 and P26, EditedItemNumber
// and HighlightFlag are read.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

namespace render {

// Right shift that items on the second page of a spread get, in display units.
constexpr int32_t kSpreadShift = 34050;

// Appends (INT(x), INT(y), op) to PathPointList, truncating toward zero. A full list (50,000
// points) takes nothing more; the points already there are kept.
void add_path_point(float x, float y, int16_t op);
// Appends a two-point open path: (x1, y1) with op 1 and (x2, y2) with op 0. When the list has
// no room for both points neither is appended.
void add_path_segment(float x1, float y1, float x2, float y2);
// Moves PathPointList's points into GraphicsList in DrawColourWord and empties PathPointList.
void begin_item_drawing();

// One GraphicsList entry as the front-end reads it.
struct GraphicsEntry {
    int32_t x = 0;
    int32_t y = 0;
    int32_t colour = 0;  // low 24 bits: red in bits 0-7, green 8-15, blue 16-23
    int32_t op = 0;      // top byte (0..255): the low 8 bits of the point's operation
};

// The entries of GraphicsList 1..length (a trailing part entry is left out). Empty when the
// front-end has not handed its list in.
std::vector<GraphicsEntry> decode_graphics_list();
// Writes one line per entry, "op x y #rrggbb", in list order.
void write_graphics_list_dump(std::ostream& out);

}  // namespace render
