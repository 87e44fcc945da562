// The line drawer (Code 4 items and the lines other drawers ask for): straight and vertical
// lines with end hooks or arrowheads, dashed lines, polylines through up to five further points
// (optionally smoothed into a curve), wave, trill and zigzag lines, rows of dots, and solid or
// dashed hairpins. lines.cpp holds the drawer's steps, line_patterns.cpp the patterned kinds.
//
// Tables: ParamBuffer, IntParamBuffer, SaveStack (core); ItemDrawOrigin, OutputPassWord,
// PathPointList (render); StaffTables (layout). P3..P18 are parked on SaveStack while a line is
// drawn and come back as they were; P19 keeps the default a polyline gives it.
#pragma once

#include <cstdint>

namespace render {

// Contract: draws the line set up in ParamBuffer / IntParamBuffer from ItemDrawOrigin into
// PathPointList (kind INT(P7); a hairpin when IP5 >= 999). Nothing is reported: lengths and
// sizes out of range fall back to their defaults, a patterned line whose end is not right of
// its start draws nothing, and no loop appends past the list's capacity.
void draw_line_item();

// Contract: draws end mark v at (x, y) on the current staff: v <= 100 a straight hook of v
// steps, 100 < v < 200 an arrowhead of v - 100 steps pointing outward, v >= 200 a reversed hook
// (or, on a vertical line, IP7 = -5, a crossbar) of v - 200 steps. flag is 1 at a line's start
// (before its first point) and 0 at its end (after its last point); it is set to 0 when the
// line is to continue from the hook.
void add_line_end_hook(float x, float y, float v, int32_t& flag);

// Registers the Code 4 and Code 14 drawers with the dispatcher.
void register_line_drawers();

// ---- shared by the line drawer's two files ----

// The work values of the line being drawn (display units). first is the line's first entry of
// PathPointList; thickness the copies / line-width word (IP10 as the line uses it).
struct LineWork {
    float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
    float scale = 0.0f;  // the current staff's scale
    float u = 0.0f;      // one staff step, 7 x scale
    int32_t pass = 1;    // OutputPassWord
    int32_t first = 1;
    int32_t thickness = 0;
    bool vertical = false;  // P6 = 0 or P6 = P3: dashed and patterned lines run vertically
};

// How the line's last step may turn it: not at all, by P13, or by INT(P9) when that is not 0
// (it then becomes P13) and else by P13.
enum class LineTurn { None, ByP13, ByP9OrP13 };

// True when PathPointList has room for n more entries.
bool path_has_room(int32_t n);

// Dashed kinds 1..99: the fitted vertical run, or the level run along x with its end hook and
// its slant.
LineTurn draw_dashed_line(LineWork& w);
// Negative kinds other than -5: dots (-4), zigzag (-3), trill (-1) and wave lines. Vertical
// lines are built level and turned by their own 90 degrees here.
LineTurn draw_patterned_line(LineWork& w, int32_t kind);
// Hairpins (IP5 >= 999): solid or dashed legs.
LineTurn draw_hairpin(LineWork& w);

}  // namespace render
