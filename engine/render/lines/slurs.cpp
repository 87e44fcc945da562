#include "engine/render/lines/slurs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/boxes.h"
#include "engine/render/lines/slurs_work.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/numbers.h"

namespace render {

namespace {

constexpr float kPageUnit = 150.0f;
constexpr int32_t kHatCode = 99;
constexpr int32_t kEndingGlyph = 24;
// Figures are held to this size so that their sign can be turned.
constexpr int32_t kLargestFigure = 999999;

// End offsets in units of the staff scale, indexed 1..12 by the end code P8.
constexpr std::array<float, 13> kLeftOffset = {0, 0, 9, 27, 36, 18, 9, 18, 9, 0, 0, 17.7f, 12.6f};
constexpr std::array<float, 13> kRightOffset = {0, 0, 9, -6, -6, 14, 14, 9, 0, 9, 14, -4, -4};

// A parameter word written with its whole-number twin.
void set_word(int32_t k, float v) {
    core::ParamBuffer(k) = v;
    core::IntParamBuffer(k) = core::int_of(v);
}

float current_scale() { return layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff); }

// The end-offset table index of end code ip8 (P8 whole part): 0 and 10 give 1, -1..-9 and
// 11..19 give 2..10, 98 and 99 give 11 and 12; anything else 1.
int32_t end_offset_index(int32_t ip8) {
    const int64_t v = ip8 <= 0 ? 10 - static_cast<int64_t>(ip8) : ip8;
    int64_t index = v - 9 <= 10 ? v - 9 : 1;
    if (ip8 >= 98) index = static_cast<int64_t>(ip8) - 87;
    if (index > 12 || index < 1) index = 1;
    return static_cast<int32_t>(index);
}

// The tuplet figure's horizontal offset from its centre, in units of the staff scale.
float figure_offset(int32_t number) {
    if (number == 11) return 12.0f;
    if (number < 10) return 7.1f;
    if (number < 20) return 13.5f;
    return 14.5f;
}

// The figure over a slur (N not 0). Reads the slur's shape from w; sets the number's size,
// font and vertical origin in ParamBuffer / ItemDrawOrigin and hands over to the figure drawer.
void draw_slur_figure(const SlurShape& w) {
    auto& p = core::ParamBuffer;
    int32_t n = w.number;
    const bool slanted = w.dy != 0.0f;
    if (n > 0 && w.dash_code != 0 && slanted) n = -n;
    float k = 0.0f;
    if (n > 0) {
        k = slanted ? 9.0f : 0.0f;
    } else if (p(7) >= 0.0f) {
        k = slanted ? 23.0f : 14.0f;
    } else {
        k = slanted ? -5.0f : -14.0f;
    }
    const float scale = w.scale;
    const float lifted = w.h - scale * k;
    float xr = w.xl;
    float offset = 0.0f;
    float y = 0.0f;
    if (!slanted) {
        offset = w.apex * w.dx;
        y = static_cast<float>(truncate_real(w.yl + lifted - 9.0f * scale));
        if (w.dash_code != 0) {
            if (w.dash_code == 3) return;
            float move = -14.0f * scale;
            if (core::IntParamBuffer(7) < 0) move = -move;
            if (w.dash_code == 2) move = -move;
            y += move;
        }
    } else {
        const float a = std::atan2(w.dy, w.dx);
        const float half_span = w.span / 2.0f;
        xr = w.x_start + std::cos(a) * half_span - std::sin(a) * lifted;
        y = static_cast<float>(
            truncate_real(std::sin(a) * half_span + std::cos(a) * lifted + w.y_start));
    }
    set_word(6, p(21) == 0.0f ? 0.875f : p(21));
    set_word(7, 1.0f);
    core::IntParamBuffer(17) = 0;
    ItemDrawOrigin.y = p(18) * 7.0f * scale + y;
    run_hook(RenderHooks.draw_tuplet_number, std::abs(n), xr + p(17) * 6.0f * scale, offset);
}

// Appends (x, y, op) when there is room below the limit; false (and nothing written) when not.
bool put_point(float x, float y, int16_t op) {
    if (PathPointList.count > path_limit()) return false;
    add_path_point(x, y, op);
    return true;
}

// Brackets (1 <= IP8 <= 9): the ending brackets with their glyph and number, and the tuplet
// bracket with its number in a gap of the line. Reads w for the ends; writes PathPointList and
// ParamBuffer words 6, 7 (restored by the caller).
void draw_bracket(const SlurShape& w) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const float scale = w.scale;
    const int32_t code = ip(8);
    const float xl = w.xl;
    const float yl = w.yl;
    const float yb = yl + w.h;
    float xr = p(6) * kPageUnit;
    if ((ip(9) == -1 && code != 2) || ip(13) == 1 || ip(13) == 3) {
        put_point(xl, yb, 1);
    } else {
        put_point(xl, yl, 1);
        put_point(xl, yb, 0);
    }
    int32_t number = ip(9) > 0 ? ip(9) : code;
    float half_gap = 13.0f * scale * (number > 9 ? 1.5f : 1.0f);
    if (code != 3) {
        put_point(xr, yb, 0);
        if (code == 1) put_point(xr, yl, 0);
        if (ip(9) < 0) return;
        const float q = OutputPassWord == kPsPass ? 13.5f : 14.5f;
        ItemDrawOrigin.y = yb - 28.0f * scale;
        if (p(12) >= 0.0f) {
            float p13 = p(13);
            float f = 1.0f;
            if (p(12) != 0.0f) {
                p13 = p(13) - (p(12) - 1.0f) * 1.3f;
                f = p(12) * 0.8f;
            }
            const float r = code == 1 ? 2.0f : 5.0f;
            const float shift = scale > 0.0f ? p13 * 3750.0f / scale : 0.0f;
            const float size = p(12) == 0.0f ? 1.0f : p(12);
            int32_t glyph = kEndingGlyph;
            draw_clef_item(static_cast<float>(truncate_real(xl + shift + q * scale + r * scale)),
                           static_cast<float>(truncate_real(yb - 28.0f * scale + 2.0f * scale * f)),
                           glyph, size, size);
            ItemDrawOrigin.y = yb - 28.0f * scale;
        }
        set_word(6, 1.0f);
        ip(7) = 0;
        run_hook(RenderHooks.draw_tuplet_number, number, xl, q * scale);
        return;
    }

    // The tuplet bracket.
    if (p(20) == 0.0f) set_word(20, 1.0f);
    xr += 17.5f * scale * p(20);
    bool printed = true;
    if (ip(9) < -1) {
        half_gap = -p(9) * 75.0f;
        printed = false;
    }
    const float run = xr - xl;
    auto line_y = [&](float x) { return run == 0.0f ? yb : yb + w.dy * (x - xl) / run; };
    const float centre = xl + w.apex * run;
    const float e = scale * p(22) * 6.0f;
    if (ip(11) == 0) {
        const bool level = w.dy == 0.0f;
        const float gap_left = centre - half_gap + (level ? -e : e);
        const float gap_right = centre + half_gap + (level ? e : -e);
        put_point(gap_left, line_y(gap_left), 0);
        put_point(gap_right, line_y(gap_right), 1);
    }
    put_point(xr, line_y(xr), 0);
    if (ip(13) < 2) {
        float hook_end = w.y_right;
        if (p(12) != 0.0f) {
            const float extra = p(7) < 0.0f ? -std::fabs(p(12)) : std::fabs(p(12));
            hook_end = compute_staff_y(p(5) + p(7) + extra);
        }
        put_point(xr, hook_end, 0);
    }
    if (!printed) return;
    float move = 0.0f;
    if (ip(11) != 0) {
        if (ip(11) == 3) return;
        move = -14.0f * scale;
        if (ip(7) < 0) move = -move;
        if (ip(11) == 2) move = -move;
    }
    ItemDrawOrigin.y = static_cast<float>(truncate_real(line_y(centre) - 9.0f * scale)) +
                       p(18) * 7.0f * scale + move;
    set_word(6, p(21) == 0.0f ? 0.875f : p(21));
    set_word(7, 1.0f);
    run_hook(RenderHooks.draw_tuplet_number, number, xl + p(17) * 6.0f * scale, w.apex * run);
}

// The hat: two strokes meeting at the apex; in the PostScript pass P13 is the stroke's extra
// width, on the screen P13 more copies are stacked 7 units apart. Stops when the list is full.
void draw_hat(const SlurShape& w) {
    const int32_t copies = core::IntParamBuffer(13);
    if (copies != 0 && OutputPassWord == kPsPass)
        run_hook(RenderHooks.write_ps_line_width, static_cast<float>(copies));
    const int32_t repeats = OutputPassWord >= 0 && copies > 0 ? copies : 0;
    for (int32_t c = 0; c <= repeats; ++c) {
        if (PathPointList.count + 2 > path_limit()) return;
        const float lift = 7.0f * static_cast<float>(c);
        put_point(w.xl, w.yl + lift, 1);
        put_point(w.xl + w.apex * w.length, w.yl + w.h + lift, 0);
        put_point(w.xl + w.length, w.yl + lift, 0);
    }
}

}  // namespace

int32_t path_limit() { return std::min(PathPointLimit, kPathPoints); }

// Contract: see the header. Writes ParamBuffer / IntParamBuffer 5..18 (restored), 8 and 17
// (left at 0), ItemDrawOrigin.x and, through the number drawer, the text stream.
void draw_tuplet_number(int32_t number, float x, float dx) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    set_word(8, 0.0f);
    set_word(17, 0.0f);
    std::array<float, 14> saved{};
    std::array<int32_t, 14> saved_int{};
    for (int32_t k = 5; k <= 18; ++k) {
        saved[static_cast<std::size_t>(k - 5)] = p(k);
        saved_int[static_cast<std::size_t>(k - 5)] = ip(k);
    }
    set_word(5, static_cast<float>(number));
    set_word(18, 0.0f);
    set_word(9, 0.0f);
    if (p(14) < 0.0f) {
        ip(7) = core::int_of(1000.0 - static_cast<double>(p(14)));
        if (ip(7) == 2000) ip(7) = 0;
    }
    set_word(14, 0.0f);
    set_word(15, 0.0f);
    ItemDrawOrigin.x = x + dx - current_scale() * figure_offset(number);
    draw_number_item(number);
    for (int32_t k = 5; k <= 18; ++k) {
        p(k) = saved[static_cast<std::size_t>(k - 5)];
        ip(k) = saved_int[static_cast<std::size_t>(k - 5)];
    }
}

// Contract: see the header. Reads ParamBuffer 3..22, the origin, the staff scale, SlurThickness
// and OutputPassWord; writes PathPointList and, through the hooks, the PostScript line width and
// path break.
void draw_slur_item() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const ParamWords saved = save_param_words();

    if (p(16) == 1.0f) {
        ItemDrawOrigin.x += p(17) * kPageUnit;
        set_word(6, p(6) + p(18));
        set_word(16, 0.0f);
        set_word(17, 0.0f);
        set_word(18, 0.0f);
        set_word(8, 0.0f);
    }

    SlurShape w;
    w.scale = current_scale();
    w.apex = p(10) == 0.0f ? 0.5f : p(10);
    w.xl = ItemDrawOrigin.x;
    w.yl = ItemDrawOrigin.y;
    w.h = w.scale * p(7) * 7.0f;
    w.y_right = compute_staff_y(p(5));
    w.dy = w.y_right - w.yl;
    w.number = core::int_in(p(16), -kLargestFigure, kLargestFigure);
    w.dash_code = ip(11);
    const int32_t first = PathPointList.count;

    if (ip(8) >= 1 && ip(8) <= 9) {
        w.dy = w.y_right - w.yl;
        draw_bracket(w);
    } else {
        float left = 0.0f;
        float right = 0.0f;
        if (ip(8) == 0 && p(8) != 0.0f) {
            left = 36.0f * p(8);
            right = 18.0f - left;
        } else {
            const auto index = static_cast<std::size_t>(end_offset_index(ip(8)));
            left = kLeftOffset[index];
            right = kRightOffset[index];
        }
        if (p(20) != 0.0f) {
            left *= p(20);
            right *= p(20);
        }
        w.xl += w.scale * left;
        if (p(6) < p(3)) set_word(6, p(3) + 3.0f);
        w.xr = p(6) * kPageUnit + w.scale * right;
        w.dx = w.xr - w.xl;
        w.x_start = w.xl;
        w.y_start = w.yl;
        w.span = static_cast<float>(static_cast<double>(truncate_real(w.xr)) -
                                    static_cast<double>(truncate_real(w.xl)));

        if (ip(9) != kHatCode && OutputPassWord == kPsPass && ip(11) == 0)
            run_hook(RenderHooks.write_ps_line_width, -1.0f);

        w.cut_left = p(14) >= 1.0f ? 0.0f : p(14);
        w.cut_right = p(15) < 0.0f || p(15) >= 1.0f ? 0.0f : p(15);
        w.half = ip(12);
        if (ip(9) == kHatCode) {
            w.cut_left = 0.0f;
            w.cut_right = 0.0f;
            w.half = 0;
        }
        if (w.cut_left == 0.0f && w.cut_right == 0.0f && w.half > 0) {
            if (w.half == 1) {
                w.xr += w.dx;
                w.cut_right = 0.5f;
            } else {
                w.xl -= w.dx;
                w.yl -= w.dy;
                w.cut_left = 0.5f;
            }
            w.dx *= 2.0f;
            w.dy *= 2.0f;
        } else if (w.half > 0) {
            w.half = 0;
        }
        w.length = p(5) != p(4) ? std::sqrt(w.dx * w.dx + w.dy * w.dy) : w.dx;

        bool drawn = true;
        if (ip(9) == kHatCode) {
            draw_hat(w);
        } else {
            drawn = build_slur_outline(w);
        }
        if (drawn && w.dy != 0.0f && PathPointList.count > first)
            rotate_path_points(-first, w.xl, w.yl, std::atan2(w.dy, w.dx));
        if (drawn && w.number != 0) draw_slur_figure(w);
    }

    if (ip(11) == 0 && OutputPassWord == kPsPass) run_hook(RenderHooks.add_path_break);
    restore_param_words(saved);
}

void register_slur_drawers() {
    register_item_drawer(5, draw_slur_item);
    RenderHooks.draw_tuplet_number = draw_tuplet_number;
}

}  // namespace render
