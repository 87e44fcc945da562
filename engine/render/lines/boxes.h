// Code 12 boxes, circles, ellipses and arcs, and the four-corner outline that other drawers
// (beams, note-head backing boxes, ornaments, the page frame) append through it. Also the
// registration of the four code 12 drawers (box or circle, arrow, ruled figure, chord grid).
//
// Stored code 12 box or circle (P5 0 box, 1 circle): P6 width w (0 = 1.0; half-side or radius
// staff scale x 3.5 x w), P7 height (0 = w), P8 line thickness, P9 rotation in degrees, P10 box
// slant / circle start angle, P11 circle end angle (0 = 360), P12 degrees between points (0 =
// 1, negative = dashed), P13 filled when not 0, P16 1 = sizes in inches (centimetres with the
// metric setting), P26 -1 = shown on screen only, in blue.
//
// Tables: QuadWork, PathPointList, OutputPassWord, ItemDrawOrigin, DrawColourWord, RenderHooks
// (render); ParamBuffer, IntParamBuffer, MetricFlag (core); StaffTables (layout).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"

namespace render {

// Appends the four corners of QuadWork and the first corner again, the first with
// QuadWork.start_op and the others with 0; in the PostScript pass the second corner once more.
// start_op is 0 afterwards.
void add_path_quad();

// Contract: draws the box (IP5 0) or circle / ellipse / arc (IP5 1) set up in ParamBuffer and
// IntParamBuffer around ItemDrawOrigin into PathPointList. On the PostScript pass line widths,
// arcs and breaks go through the RenderHooks writer steps, and a screen-only box (P26 -1)
// draws nothing. ParamBuffer and IntParamBuffer come back as they were. Angles and steps out
// of range are brought into range; a step is at least one degree, so no loop runs away.
void draw_box_or_circle_item();

// Registers the four code 12 drawers with the dispatcher and fills
// RenderHooks.draw_box_or_circle_item.
void register_code12_drawers();

// The arrow (IP5 2 or more, not 10) and the ruled figure with dots (IP5 10): code12_figures.cpp.
void draw_code12_arrow();
void draw_code12_ruled_figure();
// The guitar chord grid (IP5 below 0): chord_grids.cpp.
void draw_code12_negative();

// The per-degree cosine and sine: entries for whole degrees 0..360.
float degree_cos(int32_t degree);
float degree_sin(int32_t degree);

// Keeps ParamBuffer and IntParamBuffer for the life of the object and puts them back when it
// ends (also when a fault ends the drawing), so that a figure leaves the item's words alone.
class SavedItemWords {
  public:
    SavedItemWords() : words_(core::ParamBuffer), ints_(core::IntParamBuffer) {}
    ~SavedItemWords() {
        core::ParamBuffer = words_;
        core::IntParamBuffer = ints_;
    }
    SavedItemWords(const SavedItemWords&) = delete;
    SavedItemWords& operator=(const SavedItemWords&) = delete;

  private:
    core::Array1<float, 56> words_;
    core::Array1<int32_t, 56> ints_;
};

// Sets word k of ParamBuffer and its integer copy.
void set_item_word(int32_t k, float value);

}  // namespace render
