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
#include <limits>
#include <vector>

#include "engine/render/tables.h"

namespace render {

// Right shift that items on the second page of a spread get, in display units.
constexpr int32_t kSpreadShift = 34050;
// Whole display coordinates that drawers compute from an item's parameters are held within
// +-kFarCoordinate: far beyond any page (30,000 units wide), with room left below the 32-bit
// limits for the offsets added to them afterwards.
constexpr int32_t kFarCoordinate = 1 << 28;

// INT of a real: truncated toward zero, saturating, NaN as 0 (as core::int_of). Inline and
// without branches: the page redraw converts every item's words and every point with it, and
// loops over many points are vectorised.
inline int32_t truncate_real(float v) {
    constexpr float kLow = -2147483648.0f;
    constexpr float kHigh = 2147483520.0f;  // the largest float below 2^31
    const float held = v != v ? 0.0f : (v < kLow ? kLow : (v > kHigh ? kHigh : v));
    const int32_t t = static_cast<int32_t>(held);
    return v >= 2147483648.0f ? std::numeric_limits<int32_t>::max() : t;
}

// Appends (INT(x), INT(y), op) to PathPointList, truncating toward zero. A full list (50,000
// points) takes nothing more; the points already there are kept. Inline: every point of every
// glyph of the page comes through here on each redraw.
inline void add_path_point(float x, float y, int16_t op) {
    auto& list = PathPointList;
    const int32_t c = list.count;
    if (c < 1 || c > kPathPoints) return;
    list.x.data()[c - 1] = truncate_real(x);
    list.y.data()[c - 1] = truncate_real(y);
    list.op.data()[c - 1] = op;
    list.count = c + 1;
}
// Appends n points (x + sx * xs[i], y + sy * ys[i], pens[i], a negative pen as 0) as n calls of
// add_path_point would: the points beyond the list's capacity are left out. For the glyph
// drawings, whose points make up most of a page.
void add_scaled_points(int32_t n, const float* xs, const float* ys, const int16_t* pens, float x,
                       float y, float sx, float sy);
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
