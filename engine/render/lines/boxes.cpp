#include "engine/render/lines/boxes.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"

namespace render {

namespace {
constexpr int32_t kPostScriptPass = -1;
constexpr int32_t kScreenPass = 1;
constexpr float kInchUnits = 22.857f;
constexpr float kCentimetreUnits = 8.999f;
constexpr float kBoxOutlineSpacing = 25.0f;
// Radii in display units are staff scale x kRadiusFactor x the size word.
constexpr float kRadiusFactor = 3.5f;
// The screen-only box: its colour word (decimal RRGGBB, blue) and thickness.
constexpr float kScreenOnlyColour = 99.0f;
constexpr float kScreenOnlyThickness = 3.0f;
// Extra outlines at most: 1,000 outlines 25 units apart reach farther than a page is wide, and
// a huge thickness word must not spin the drawer.
constexpr int32_t kMaxOutlines = 1000;
// Sizes are held within this many display units; beyond it nothing is visible anyway.
constexpr float kFarSize = static_cast<float>(kFarCoordinate);

struct DegreeTable {
    std::array<float, 361> cos{};
    std::array<float, 361> sin{};
    DegreeTable() {
        constexpr double kRadian = 3.14159265358979323846 / 180.0;
        for (int d = 0; d <= 360; ++d) {
            cos[static_cast<std::size_t>(d)] = static_cast<float>(std::cos(d * kRadian));
            sin[static_cast<std::size_t>(d)] = static_cast<float>(std::sin(d * kRadian));
        }
    }
};
const DegreeTable& degrees() {
    static const DegreeTable table;
    return table;
}

// The divisor of 180 nearest to n (n - 1, n + 1, n - 2 ... searched in turn), n within 1..180.
int32_t nearest_divisor_of_180(int32_t n) {
    for (int32_t d = 0; d < 180; ++d) {
        for (int32_t c : {n - d, n + d}) {
            if (c >= 1 && c <= 180 && 180 % c == 0) return c;
        }
    }
    return 180;
}

float staff_scale() { return layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff); }

// v held within +-kFarSize; NaN as 0.
float held_size(float v) {
    if (v != v) return 0.0f;
    return v < -kFarSize ? -kFarSize : (v > kFarSize ? kFarSize : v);
}

bool path_list_full() { return PathPointList.count > kPathPoints; }

// Appends the box outline with half-sides a, b and slant s about (x0, y0), grown by `out`.
void append_box(float x0, float y0, float a, float b, float s, float out, int32_t op) {
    QuadWork.x(1) = x0 - a - out;
    QuadWork.y(1) = y0 - b - out;
    QuadWork.x(2) = x0 + a + out;
    QuadWork.y(2) = y0 - b - out;
    QuadWork.x(3) = x0 + a + s + out;
    QuadWork.y(3) = y0 + b + out;
    QuadWork.x(4) = x0 - a + s - out;
    QuadWork.y(4) = y0 + b + out;
    QuadWork.start_op = op;
    add_path_quad();
}

// Appends the arc from `start` to `end` degrees (end >= start) every `step` degrees with radii
// rx, ry; dash > 0 draws dashes of that many degrees with gaps of the same length.
void append_arc(float x0, float y0, float rx, float ry, int32_t start, int32_t end, int32_t step,
                int32_t dash, int32_t op) {
    if (dash > 0) {
        for (int32_t a = start; a <= end; ++a) {
            const int32_t k = a - start;
            if ((k / dash) % 2 != 0) continue;
            const int32_t d = a % 360 == 0 && a != start ? 360 : a % 360;
            add_path_point(x0 + rx * degree_cos(d), y0 + ry * degree_sin(d),
                           static_cast<int16_t>(k % dash == 0 ? 1 : 0));
        }
        return;
    }
    for (int32_t a = start; a <= end; a += step) {
        const int32_t d = a % 360 == 0 && a != start ? 360 : a % 360;
        add_path_point(x0 + rx * degree_cos(d), y0 + ry * degree_sin(d),
                       static_cast<int16_t>(a == start ? op : 0));
    }
}

void draw_registered_box() { draw_box_or_circle_item(); }

}  // namespace

float degree_cos(int32_t degree) {
    const int32_t d = ((degree % 360) + 360) % 360;
    return degrees().cos[static_cast<std::size_t>(degree == 360 ? 360 : d)];
}
float degree_sin(int32_t degree) {
    const int32_t d = ((degree % 360) + 360) % 360;
    return degrees().sin[static_cast<std::size_t>(degree == 360 ? 360 : d)];
}

void set_item_word(int32_t k, float value) {
    core::ParamBuffer(k) = value;
    core::IntParamBuffer(k) = truncate_real(value);
}

// Contract: see the header.
void add_path_quad() {
    add_path_point(QuadWork.x(1), QuadWork.y(1), static_cast<int16_t>(QuadWork.start_op));
    for (int k = 2; k <= 4; ++k) add_path_point(QuadWork.x(k), QuadWork.y(k), 0);
    add_path_point(QuadWork.x(1), QuadWork.y(1), 0);
    if (OutputPassWord == kPostScriptPass) add_path_point(QuadWork.x(2), QuadWork.y(2), 0);
    QuadWork.start_op = 0;
}

// Contract: see the header. A screen-only box is handed to the screen at once in blue, so that
// the item's own colour word (-1) does not grey it afterwards.
void draw_box_or_circle_item() {
    SavedItemWords saved;
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const bool postscript = OutputPassWord == kPostScriptPass;
    // Only a code 12 item's own colour word asks for this: a drawer that borrows the box (a
    // number's frame, an ornament) keeps its item's colour word, which means a colour there.
    const bool screen_only = p(26) == -1.0f && p(1) == 12.0f;
    if (screen_only) {
        if (postscript) return;
        set_item_word(8, kScreenOnlyThickness);
        p(26) = kScreenOnlyColour;
    }
    const float scale = staff_scale();
    const float x0 = ItemDrawOrigin.x;
    const float y0 = ItemDrawOrigin.y;
    const int32_t first = PathPointList.count;
    const bool circle = ip(5) == 1;

    float w = p(6) == 0.0f ? 1.0f : p(6);
    float h = p(7) == 0.0f ? w : p(7);
    if (ip(16) == 1) {
        const float unit = core::MetricFlag == 1 ? kCentimetreUnits : kInchUnits;
        w *= unit;
        h *= unit;
    }
    const int32_t op = p(13) != 0.0f ? 2 : 1;
    const bool thick = ip(8) != 0;
    // The hook also opens the turn of a circle written as an arc: a turned circle of the
    // base width is turned on paper as on the screen.
    if (postscript && (thick || ip(9) != 0)) run_hook(RenderHooks.set_box_line_width, p(8));
    int32_t outlines = truncate_real(scale * p(8) / 25.0f);
    if (outlines < 0) outlines = 0;
    if (outlines > kMaxOutlines) outlines = kMaxOutlines;

    bool dashed = false;
    bool as_arc = false;
    if (!circle) {
        const float a = held_size(scale * kRadiusFactor * w);
        const float b = held_size(scale * kRadiusFactor * h);
        const float s = ip(10) != 0 ? held_size(scale * 7.0f * p(10)) : 0.0f;
        append_box(x0, y0, a, b, s, 0.0f, op);
        if (!postscript && outlines > 0) {
            if (OutputPassWord == kScreenPass) {
                append_box(x0, y0, a, b, s, kBoxOutlineSpacing * static_cast<float>(outlines), 1);
            } else {
                for (int32_t k = 1; k <= outlines && !path_list_full(); ++k)
                    append_box(x0, y0, a, b, s, kBoxOutlineSpacing * static_cast<float>(k), 1);
            }
        }
    } else {
        int32_t start = ip(10) % 360;
        if (start < 0) start += 360;
        int32_t end = ip(11) == 0 ? 360 : ip(11) % 360;
        if (end < 0) end += 360;
        if (end == 0 && ip(11) != 0) end = 360;
        if (end < start) end += 360;
        // Held to one turn either way first, so that the magnitude cannot overflow.
        const int32_t step_word = ip(12) < -360 ? -360 : (ip(12) > 360 ? 360 : ip(12));
        int32_t step = step_word == 0 ? 1 : std::abs(step_word);
        int32_t dash = 0;
        if (step_word < 0) {
            dashed = true;
            dash = nearest_divisor_of_180(step > 180 ? 180 : step);
            step = 1;
        }
        const float rx = held_size(scale * kRadiusFactor * w);
        const float ry = held_size(scale * kRadiusFactor * h);
        as_arc = postscript && step_word >= 0 && step_word <= 10;
        if (as_arc) {
            run_hook(RenderHooks.write_ps_arc, x0, y0, rx, static_cast<float>(start),
                     static_cast<float>(end), rx != 0.0f ? ry / rx : 1.0f);
        } else {
            append_arc(x0, y0, rx, ry, start, end, step, dash, op);
            if (!postscript && outlines > 0) {
                // Each outline's radius grows by the box's outline spacing.
                const float grow = kBoxOutlineSpacing;
                const int32_t from = OutputPassWord == kScreenPass ? outlines : 1;
                for (int32_t k = from; k <= outlines && !path_list_full(); ++k) {
                    const float g = grow * static_cast<float>(k);
                    append_arc(x0, y0, rx + g, ry + g, start, end, step, dash, 1);
                }
            }
        }
    }
    if (ip(9) != 0 && PathPointList.count > first) rotate_path_points(first, x0, y0, p(9));
    if (postscript && p(8) != 0.0f) {
        if (dashed || !circle || ip(12) > 9) {
            run_hook(RenderHooks.add_path_break);
        } else {
            run_hook(RenderHooks.write_ps_base_width);
        }
    }
    if (screen_only && OutputPassWord == kScreenPass) {
        const uint32_t top = static_cast<uint32_t>(DrawColourWord) & 0xFF000000u;
        DrawColourWord =
            static_cast<int32_t>(top | static_cast<uint32_t>(colour_from_value(kScreenOnlyColour)));
        begin_item_drawing();
    }
}

// Contract: see the header.
void register_code12_drawers() {
    register_code12_drawer(Code12Drawer::BoxOrCircle, draw_registered_box);
    register_code12_drawer(Code12Drawer::Arrow, draw_code12_arrow);
    register_code12_drawer(Code12Drawer::RuledFigure, draw_code12_ruled_figure);
    register_code12_drawer(Code12Drawer::GuitarGrid, draw_code12_negative);
    RenderHooks.draw_box_or_circle_item = draw_box_or_circle_item;
}

}  // namespace render
