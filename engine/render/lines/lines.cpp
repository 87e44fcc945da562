#include "engine/render/lines/lines.h"

#include <cmath>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/curves.h"
#include "engine/render/notes/bar_lines.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int32_t kPostScriptPass = -1;
constexpr int32_t kHairpinMark = 999;
constexpr int32_t kPolylineKind = 100;
constexpr int32_t kVerticalKind = -5;
constexpr float kPageUnit = 150.0f;
// A thickness beyond this many copies only fills the list; held here so that IP10 x 100 and
// 2 x IP10 stay whole numbers.
constexpr int32_t kMaxThickness = 1000;
// P3..P18: the words the drawer changes for its own work and puts back.
constexpr int32_t kFirstParkedWord = 3;
constexpr int32_t kParkedWords = 16;

int32_t held_thickness(int32_t t) {
    if (t > kMaxThickness) return kMaxThickness;
    if (t < -kMaxThickness) return -kMaxThickness;
    return t;
}

// The end shift of slurs and lines (P16 = 1): the start moves by P17 page units, the end by
// P18; the three words are used up.
void shift_line_ends(LineWork& w) {
    auto& p = core::ParamBuffer;
    w.x0 += p(17) * kPageUnit;
    p(6) += p(18);
    p(16) = 0.0f;
    p(17) = 0.0f;
    p(18) = 0.0f;
}

// Kind 0 and the vertical kind -5: start mark, the two ends, end mark, then the copies that
// give a thickness on screen (vertical copies for a mostly level line).
LineTurn draw_straight_line(LineWork& w) {
    const auto& p = core::ParamBuffer;
    int32_t flag = 1;
    if (p(11) != 0.0f) add_line_end_hook(w.x0, w.y0, p(11), flag);
    add_path_point(w.x0, w.y0, static_cast<int16_t>(flag));
    add_path_point(w.x1, w.y1, 0);
    if (p(12) != 0.0f) {
        int32_t end = 0;
        add_line_end_hook(w.x1, w.y1, p(12), end);
    }
    if (w.thickness != 0 && w.pass != kPostScriptPass) {
        const bool level = std::fabs(w.x1 - w.x0) >= std::fabs(w.y1 - w.y0);
        thicken_path(level ? w.thickness * 100 : w.thickness, w.first);
    }
    return LineTurn::ByP9OrP13;
}

// The fitted curve marks its points for editors; the screen and the PostScript writer know
// only path operations, so the run becomes one open path again.
void smooth_polyline(int32_t first) {
    auto& list = PathPointList;
    int32_t count = list.count - 1;
    int32_t from = first;
    int32_t last = count;
    if (from > last) return;  // a full list kept none of the points
    draw_free_curve(count, from, last, kDefaultCurvePointsPerSpan);
    for (int32_t i = from; i < list.count; ++i) {
        if (list.op(i) < 0) list.op(i) = static_cast<int16_t>(i == from ? 1 : 0);
    }
}

// Kinds 100 and up: the start, the intermediate points P8/P9 .. P16/P17 up to the first zero x,
// the end; P18 and P19 scale the points about the start, P21 is the thickness and P20 turns
// the whole line. With P22 the points are smoothed into a curve through them.
void draw_polyline(LineWork& w) {
    const auto& p = core::ParamBuffer;
    const float f = p(18) == 0.0f ? 1.0f : p(18);
    const float g = p(19) == 0.0f ? f : p(19);
    const int32_t width = held_thickness(core::int_of(p(21)));
    // The width entry applies to the path after it, so in PostScript it comes first.
    if (width != 0 && w.pass == kPostScriptPass) run_hook(RenderHooks.add_path_width, width);
    const int32_t first = PathPointList.count;
    add_path_point(w.x0, w.y0, 1);
    for (int32_t k = 8; k <= 16 && p(k) != 0.0f; k += 2) {
        const float x = ((p(k) - p(3)) * f + p(3)) * kPageUnit;
        add_path_point(x, compute_staff_y((p(k + 1) - p(4)) * g + p(4)), 0);
    }
    add_path_point(w.x1, w.y1, 0);
    if (p(22) != 0.0f && core::int_of(p(7)) == kPolylineKind) smooth_polyline(first);
    if (width != 0 && w.pass != kPostScriptPass) thicken_path(width, first);
    if (p(20) != 0.0f) rotate_path_points(first, w.x0, w.y0, p(20));
    if (width != 0 && w.pass == kPostScriptPass) run_hook(RenderHooks.add_path_break);
}

// The drawer's steps between parking and restoring P3..P18.
void draw_parked_line() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const auto& staves = layout::StaffTables;
    const int32_t kind = core::int_of(p(7));

    LineWork w;
    w.x0 = ItemDrawOrigin.x;
    w.y0 = ItemDrawOrigin.y;
    w.scale = staves.StaffScale(staves.CurrentStaff);
    w.u = 7.0f * w.scale;
    w.pass = OutputPassWord;
    if (p(16) == 1.0f) shift_line_ends(w);

    if (p(7) >= static_cast<float>(kPolylineKind)) {
        if (p(18) != 0.0f && p(18) != 1.0f) p(6) = (p(6) - p(3)) * p(18) + p(3);
        if (p(19) == 0.0f) p(19) = p(18);
        if (p(19) != 0.0f && p(19) != 1.0f) p(5) = (p(5) - p(4)) * p(19) + p(4);
    }
    w.x1 = p(6) * kPageUnit;
    const bool hairpin = ip(5) >= kHairpinMark;
    w.thickness = held_thickness(ip(10));
    if (kind == -1 && !hairpin) w.thickness = 0;
    if (kind < kPolylineKind && w.thickness != 0 && w.pass == kPostScriptPass) {
        run_hook(RenderHooks.add_path_width, 2 * w.thickness);
    }
    w.first = PathPointList.count;
    w.vertical = p(6) == 0.0f || p(6) == p(3);

    LineTurn turn = LineTurn::None;
    if (hairpin) {
        turn = draw_hairpin(w);
    } else {
        w.y1 = compute_staff_y(p(5));
        if (kind >= kPolylineKind) {
            draw_polyline(w);
        } else if (kind == 0) {
            turn = draw_straight_line(w);
        } else if (kind == kVerticalKind) {
            if (p(15) != 0.0f) w.x0 += p(15) * kPageUnit;
            w.x1 = w.x0;
            turn = draw_straight_line(w);
        } else if (kind > 0) {
            turn = draw_dashed_line(w);
        } else {
            turn = draw_patterned_line(w, kind);
        }
    }

    if (turn == LineTurn::ByP9OrP13 && core::int_of(p(9)) != 0) p(13) = p(9);
    if (turn != LineTurn::None && p(13) != 0.0f) rotate_path_points(w.first, w.x0, w.y0, p(13));
    if (kind < kPolylineKind && w.thickness != 0 && w.pass == kPostScriptPass) {
        run_hook(RenderHooks.add_path_break);
    }
}

}  // namespace

bool path_has_room(int32_t n) {
    const int32_t c = PathPointList.count;
    return c >= 1 && n >= 0 && c - 1 <= kPathPoints - n;
}

// Contract: see the header. Parks P3..P18 on SaveStack and puts them back however the drawing
// ends (a defect in a nested drawer must not leave the stack unbalanced).
void draw_line_item() {
    core::push_words(kParkedWords, core::ParamBuffer.at(kFirstParkedWord));
    try {
        draw_parked_line();
    } catch (...) {
        core::pop_words(kParkedWords, core::ParamBuffer.at(kFirstParkedWord));
        throw;
    }
    core::pop_words(kParkedWords, core::ParamBuffer.at(kFirstParkedWord));
}

void register_line_drawers() {
    register_item_drawer(4, draw_line_item);
    register_item_drawer(14, draw_bar_line_item);
}

}  // namespace render
