// Code 12 arrows (IP5 2 or more, not 10) and the ruled figure with dots (IP5 10).
//
// Arrow: P6 length (0 = 1.0; staff scale x 35 x P6), P7 height of a curved arrow (0 = P6), P8
// line width (PostScript), P9 rotation, P10 1 = straight, else curved, P11 the curved arrow's
// sweep in degrees (at most 360), P12 head length (0 = 1.0; negative = no head), P13 head width
// (0 = P12). Ruled figure: P6 size (0 = 1.0), P7 the figure (0 or 3 two lines, 4 three, other
// one), P8 and P9 decimal digits choosing the dots and side dots, P10 line thickness.
//
// Tables: ParamBuffer, IntParamBuffer (core); ItemDrawOrigin, PathPointList, OutputPassWord,
// RenderHooks (render); StaffTables (layout).

#include <cmath>
#include <cstdlib>

#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/boxes.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"

namespace render {

namespace {
constexpr int32_t kPostScriptPass = -1;
constexpr int32_t kScreenPass = 1;

float staff_scale() { return layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff); }

// Draws a circle item of size w by h at (x, y) through the box drawer: step degrees between
// points, filled or not, turned by angle degrees about its centre.
void draw_circle_at(float x, float y, float w, float h, float step, bool filled, float angle,
                    float thickness) {
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    ItemDrawOrigin = {x, y};
    set_item_word(5, 1.0f);
    set_item_word(6, w);
    set_item_word(7, h);
    set_item_word(8, thickness);
    set_item_word(9, angle);
    set_item_word(10, 0.0f);
    set_item_word(11, 0.0f);
    set_item_word(12, step);
    set_item_word(13, filled ? 1.0f : 0.0f);
    set_item_word(16, 0.0f);
    draw_box_or_circle_item();
    ItemDrawOrigin = origin;
}

// The thickness of the ruled figure's lines at most (P10): 99 keeps thicken_path's copy count
// below its horizontal field and far wider than any line a page needs.
constexpr int32_t kMaxRuleThickness = 99;

// Digit of v at place (1 units, 10 tens ...), of the magnitude (the lowest 32-bit value too).
int32_t digit_at(int32_t v, int32_t place) {
    return static_cast<int32_t>((std::llabs(static_cast<int64_t>(v)) / place) % 10);
}

// The curved arrow: an arc from the item's position, clockwise by the sweep, with its head.
void draw_curved_arrow(float x0, float y0, float length, float head_length, float head_width) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    // Held before the magnitude is taken, so that the lowest 32-bit value cannot overflow.
    int32_t sweep = ip(11) < -360 ? 360 : (ip(11) > 360 ? 360 : std::abs(ip(11)));
    if (sweep == 0) sweep = 90;
    const float w = length * 10.0f;
    const float h = (p(7) == 0.0f ? length : p(7)) * 10.0f;
    const float scale = staff_scale();
    const float ry = scale * 3.5f * h;
    const float rx = scale * 3.5f * w;
    // Angle 90 of the circle lies at the item's position.
    const float cx = x0;
    const float cy = y0 - ry;
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    ItemDrawOrigin = {cx, cy};
    set_item_word(5, 1.0f);
    set_item_word(6, w);
    set_item_word(7, h);
    set_item_word(8, 0.0f);
    set_item_word(9, 0.0f);
    // A whole turn is the full circle (start and end words 0): 90 - 360 and 90 would name the
    // same angle and draw a single point.
    set_item_word(10, sweep == 360 ? 0.0f : static_cast<float>(90 - sweep));
    set_item_word(11, sweep == 360 ? 0.0f : 90.0f);
    set_item_word(12, 1.0f);
    set_item_word(13, 0.0f);
    set_item_word(16, 0.0f);
    draw_box_or_circle_item();
    ItemDrawOrigin = origin;
    if (head_length < 0.0f) return;
    // The head's tip points along the arc's clockwise direction at its end.
    const int32_t end = 90 - sweep;
    const float tx = rx * degree_sin(end);
    const float ty = -ry * degree_cos(end);
    const float angle = static_cast<float>(std::atan2(ty, tx) * 180.0 / 3.14159265358979323846);
    draw_circle_at(cx + rx * degree_cos(end), cy + ry * degree_sin(end), 1.2f * head_length,
                   1.2f * head_width, 120.0f, true, angle, -1.0f);
}
}  // namespace

// Contract: draws the arrow in ParamBuffer from ItemDrawOrigin into PathPointList; on the
// PostScript pass a nonzero IP8 gives a line width first and a path break last. ParamBuffer
// comes back as it was.
void draw_code12_arrow() {
    SavedItemWords saved;
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const bool postscript = OutputPassWord == kPostScriptPass;
    const float x0 = ItemDrawOrigin.x;
    const float y0 = ItemDrawOrigin.y;
    const float scale = staff_scale();
    const float length = p(6) == 0.0f ? 1.0f : p(6);
    const float head_length = p(12) == 0.0f ? 1.0f : p(12);
    const float head_width = p(13) == 0.0f ? head_length : p(13);
    const float rotation = p(9);
    const int32_t width = ip(8);
    const int32_t first = PathPointList.count;
    if (postscript && width != 0) run_hook(RenderHooks.add_path_width, width);

    if (ip(10) == 1) {
        const float x2 = x0 + scale * 35.0f * length;
        add_path_segment(x0, y0, x2, y0);
        if (ip(12) >= 0) {
            const float unit = static_cast<float>(truncate_real(6.0f * scale));
            const float l = unit * head_length * (length < 0.0f ? -1.0f : 1.0f);
            const float wd = head_width * 0.555f * unit;
            add_path_point(x2 + l, y0, 2);
            add_path_point(x2, y0 + wd, 0);
            add_path_point(x2, y0 - wd, 0);
            add_path_point(x2 + l, y0, 0);
        }
    } else {
        draw_curved_arrow(x0, y0, length, ip(12) < 0 ? -1.0f : head_length,
                          ip(12) < 0 ? -1.0f : head_width);
    }
    if (rotation != 0.0f && PathPointList.count > first)
        rotate_path_points(first, x0, y0, rotation);
    if (postscript && width != 0) run_hook(RenderHooks.add_path_break);
}

// Contract: draws the ruled figure in ParamBuffer (lines through the item's x, dots chosen by
// the digits of P8 and P9) into PathPointList. ParamBuffer comes back as it was.
void draw_code12_ruled_figure() {
    SavedItemWords saved;
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const bool postscript = OutputPassWord == kPostScriptPass;
    const float size = p(6) == 0.0f ? 1.0f : p(6);
    const float scale = staff_scale();
    const float f = scale * size / 25.0f;
    const float x = ItemDrawOrigin.x;
    const float pos = p(4);
    const int32_t figure = ip(7);
    const int32_t dots = ip(8);
    const int32_t side = ip(9);
    const int32_t first = PathPointList.count;
    const int32_t rule = ip(10) > kMaxRuleThickness ? kMaxRuleThickness : ip(10);
    const int32_t thickness = rule + (OutputPassWord == kScreenPass ? 0 : 1);
    if (postscript && thickness > 0) run_hook(RenderHooks.add_path_width, thickness);

    auto line = [&](float offset, float half) {
        const float y = compute_staff_y(pos + offset);
        add_path_segment(x - half * 150.0f, y, x + half * 150.0f, y);
    };
    const bool two_lines = figure == 0 || figure == 3;
    if (two_lines) {
        line(-1.35f * size, 4.4f * f);
        line(1.35f * size, 4.4f * f);
    } else if (figure == 4) {
        line(0.0f, 4.66f * f);
        line(-1.95f * size, 4.08f * f);
        line(1.95f * size, 4.08f * f);
    } else {
        line(0.0f, 4.4f * f);
    }
    if (!postscript && thickness > 0 && PathPointList.count > first)
        thicken_path(100 * thickness, first);
    if (postscript && thickness > 0) run_hook(RenderHooks.add_path_break);

    const float step = OutputPassWord == kScreenPass ? 12.0f : 10.0f;
    auto dot = [&](float dx, float offset, float diameter) {
        draw_circle_at(x + dx, compute_staff_y(pos + offset), diameter, diameter, step, true, 0.0f,
                       0.0f);
    };
    const float d = 1.4f * size;
    bool middle = false;
    if (figure == 4) {
        for (int32_t k = 0; k < 4; ++k) {
            static constexpr int32_t kPlaces[4] = {1000, 100, 10, 1};
            if (digit_at(dots, kPlaces[k]) != 0)
                dot(0.0f, -2.95f * size + 1.98f * size * static_cast<float>(k), d);
        }
    } else if (two_lines) {
        if (digit_at(dots, 100) != 0) dot(0.0f, -2.55f * size, d);
        if (digit_at(dots, 1) != 0) dot(0.0f, 2.55f * size, d);
        middle = digit_at(dots, 10) != 0 || digit_at(side, 10) != 0;
        if (middle) dot(0.0f, 0.0f, d);
    } else if (figure == 2) {
        if (dots >= 10 || dots <= -10) dot(0.0f, -2.0f * size, 1.8f * size);
        if (digit_at(dots, 1) != 0) dot(0.0f, 2.0f * size, 1.8f * size);
    }
    const bool near = figure == 4 || (two_lines && !middle);
    const float side_dx = (near ? 2.45f : 2.875f) * f * 150.0f;
    if (digit_at(side, 1) != 0) dot(side_dx, 0.0f, d);
    if (digit_at(side, 100) != 0) dot(-side_dx, 0.0f, d);
}

}  // namespace render
