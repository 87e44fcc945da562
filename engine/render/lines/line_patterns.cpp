// The patterned kinds of the line drawer: end marks, dashed lines, wave, trill and zigzag lines,
// rows of dots and hairpins. Every loop appends only while PathPointList has room and stops when
// its position no longer advances, so no parameter can make it run away.
#include <algorithm>
#include <array>
#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/lines.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int32_t kPostScriptPass = -1;
constexpr int32_t kVerticalKind = -5;
constexpr int32_t kUnslantedBelow = -192600;  // x of entries a slant leaves alone
// Steps of a vertical patterned line: far beyond any page, and negated without overflow.
constexpr int32_t kLongestRun = 1000000;

// Pattern tables in units of the pattern scale (entry k at index k - 1): 1-9 one arch of the
// wave line, 10 its straight end, 11-14 its arrowhead end, 15-49 one filled piece of the trill
// line, 50-62 the trill line's end piece.
constexpr int kPatternEntries = 62;
constexpr std::array<float, kPatternEntries> kPatternX = {
    -9.125f,  0.0f,     16.59f,   33.181f,  49.772f,  66.363f, 82.954f, 99.544f, 116.136f,
    151.261f, 261.261f, 151.261f, 261.261f, 151.261f, 13,      7,       -1,      30,
    39,       46,       52,       59,       65,       74,      87,      116,     125,
    127,      131,      134,      138,      143,      148,     156,     124,     117,
    110,      104,      97,       90,       83,       72,      40,      32,      27,
    23,       19,       17,       13,       148,      152,     154,     159,     201,
    148,      268,      148,      201,      163,      158,     155,     148};
constexpr std::array<float, kPatternEntries> kPatternY = {
    0.0f,   0.0f, 9.678f, 29.034f, 38.712f, 38.712f, 29.034f, 9.678f, 0.0f, 0.0f, 0.0f, 58.0f, 0.0f,
    -58.0f, 24,   18.5f,  26,      57,      64,      67,      68,     68,   67,   63,   54,    29,
    22,     21,   20,     20,      21,      25,      30,      22,     -10,  -16,  -19,  -20,   -20,
    -19,    -16,  -8,     21,      27,      29,      29,      28,     27,   24,   29,   32,    33,
    34,     34,   106,    29,      -47,     25,      25,      24,     22,   29};
constexpr int32_t kWaveArchEnd = 9;
constexpr int32_t kWaveStraightEnd = 10;
constexpr int32_t kWaveArrowEnd = 14;
constexpr int32_t kTrillPieceFirst = 15;
constexpr int32_t kTrillPieceLast = 49;
constexpr int32_t kTrillEndFirst = 50;
constexpr int32_t kTrillEndLast = 62;
constexpr float kPatternPeriod = 146.0f;  // 160 x 0.9125 pattern units

// One filled dot: twelve points in units of the dot scale.
constexpr std::array<float, 12> kDotX = {0.0f,   19.8f,   55.3f,  101.2f, 136.67f, 156.5f,
                                         156.5f, 136.67f, 101.2f, 55.3f,  19.8f,   0.0f};
constexpr std::array<float, 12> kDotY = {101.2f, 136.67f, 156.5f, 156.5f, 136.67f, 101.2f,
                                         55.3f,  19.8f,   0.0f,   0.0f,   19.8f,   55.3f};

float pattern_x(int32_t k) { return kPatternX[static_cast<std::size_t>(k - 1)]; }
float pattern_y(int32_t k) { return kPatternY[static_cast<std::size_t>(k - 1)]; }

// Pattern entries from..to at (x, y) scaled by sx and sy; the first with op.
void add_pattern(int32_t from, int32_t to, float x, float y, float sx, float sy, int16_t op) {
    for (int32_t k = from; k <= to; ++k) {
        add_path_point(x + sx * pattern_x(k), y + sy * pattern_y(k), k == from ? op : 0);
    }
}

// Dash and gap of the dashed kinds in display units (P8 <= 0 counts as one step; P9 <= 0 makes
// the gap as long as the dash).
void dash_and_gap(const LineWork& w, float& dash, float& gap) {
    const auto& p = core::ParamBuffer;
    dash = p(8) <= 0.0f ? w.u : w.u * p(8);
    gap = p(9) <= 0.0f ? dash : w.u * p(9);
}

// Dashes at height y from x0 while x < x1, each a two-point path. Returns the position after
// the last dash (x0 when none was drawn).
float draw_dash_run(const LineWork& w, float y, float dash, float gap) {
    float x = w.x0;
    while (x < w.x1 && path_has_room(2)) {
        add_path_segment(x, y, x + dash, y);
        const float next = x + dash + gap;
        if (!(next > x)) break;
        x = next;
    }
    return x;
}

// Entries after from move in y by (x - x_from) x slope; entries far left (the thickening's
// markers) stay.
void slant_entries(int32_t from, float slope) {
    auto& list = PathPointList;
    const float x_first = static_cast<float>(list.x(from));
    for (int32_t i = from + 1; i < list.count; ++i) {
        if (list.x(i) < kUnslantedBelow) continue;
        const float dy = (static_cast<float>(list.x(i)) - x_first) * slope;
        list.y(i) = core::int_of(static_cast<float>(list.y(i)) + dy);
    }
}

// The y values of entries from..count - 1 in reverse order (the x values stay).
void reverse_y(int32_t from) {
    auto& list = PathPointList;
    int32_t a = from;
    int32_t b = list.count - 1;
    while (a < b) {
        std::swap(list.y(a), list.y(b));
        ++a;
        --b;
    }
}

bool usable_length(float v) { return v > 0.0f && std::isfinite(v); }

// Kind -4: filled dots of size 0.5 x P8 every P9 steps (2 when 0 or less).
void draw_dot_row(const LineWork& w, float sx0) {
    const auto& p = core::ParamBuffer;
    const float sx = sx0 * 0.5f;
    const float spacing = w.u * (p(9) <= 0.0f ? 2.0f : p(9));
    if (!usable_length(spacing)) return;
    float x = w.x0;
    while (x <= w.x1 && path_has_room(13)) {
        add_path_point(x, w.y0 + sx * 55.3f, 2);
        for (std::size_t i = 0; i < kDotX.size(); ++i) {
            add_path_point(x + sx * kDotX[i], w.y0 + sx * kDotY[i], 0);
        }
        const float next = x + spacing;
        if (!(next > x)) break;
        x = next;
    }
}

// Kind -3: strokes rising to y0 + 84 sy and falling back every 72 sx; with P11 the falling
// strokes are filled bands of that thickness.
void draw_zigzag(const LineWork& w, float sx, float sy) {
    const auto& p = core::ParamBuffer;
    const float step = sx * 72.0f;
    const float top = w.y0 + sy * 84.0f;
    if (!usable_length(step)) return;
    const float a = std::atan(sy / sx);
    const float sin_a = std::sin(a);
    // A level zigzag (no height) has no band to fill.
    const bool filled = p(11) != 0.0f && sin_a != 0.0f;
    float d = 0.0f;
    float e = 0.0f;
    if (filled) {
        const float t = p(11) * 50.0f * w.scale / 25.0f;
        d = t / sin_a;
        e = std::tan(a) * d * 7.0f / 6.0f;
    }
    auto whole = [](float v) { return static_cast<float>(core::int_of(v)); };
    float x = w.x0;
    add_path_point(x, whole(w.y0), 1);
    bool rising = true;
    while (x < w.x1 && path_has_room(6)) {
        const float next = x + step;
        if (!(next > x)) break;
        x = next;
        if (rising) {
            add_path_point(x, top, 0);
        } else if (filled) {
            add_path_point(x, w.y0, 2);
            add_path_point(x - d, whole(w.y0 - e), 0);
            add_path_point(whole(x - d - step), whole(top - e), 0);
            add_path_point(whole(x - step), top, 0);
            add_path_point(x, w.y0, 0);
            add_path_point(x, w.y0, 1);
        } else {
            add_path_point(x, w.y0, 0);
        }
        rising = !rising;
    }
}

// The wave line: an arch every period, the last period running on to the straight end or, with
// P12, to the arrowhead.
void draw_wave(const LineWork& w, float sx, float sy) {
    const auto& p = core::ParamBuffer;
    const float period = kPatternPeriod * sx;
    if (!usable_length(period)) return;
    float x = w.x0;
    int32_t from = 1;
    while (path_has_room(kWaveArrowEnd)) {
        const bool last = x + period >= w.x1;
        const int32_t to = last ? (p(12) != 0.0f ? kWaveArrowEnd : kWaveStraightEnd) : kWaveArchEnd;
        add_pattern(from, to, x, w.y0, sx, sy, from == 1 ? 1 : 0);
        if (last) break;
        const float next = x + period;
        if (!(next > x)) break;
        x = next;
        from = 2;
    }
    if (w.thickness != 0 && w.pass != kPostScriptPass) thicken_path(w.thickness * 100, w.first);
}

// The trill line: a filled piece every period and, with P12, the end piece after the last one.
// In PostScript a level, unturned line is written by the PostScript writer's repeated procedure
// and only its end piece comes here, where the path route would have put it.
void draw_trill(LineWork& w, float sx, float sy) {
    const auto& p = core::ParamBuffer;
    const float period = kPatternPeriod * sx;
    if (!usable_length(period)) return;
    const bool end_piece = p(12) != 0.0f;
    if (p(13) != 0.0f || w.pass != kPostScriptPass || w.vertical) {
        if (w.pass == kPostScriptPass) {
            run_hook(RenderHooks.add_path_width, -1);
            w.thickness = 1;  // so that a path break ends the line
        }
        float x = w.x0;
        float last_piece = x;
        while (x < w.x1 && path_has_room(kTrillPieceLast - kTrillPieceFirst + 1)) {
            add_pattern(kTrillPieceFirst, kTrillPieceLast, x, w.y0, sx, sy, 2);
            last_piece = x;
            const float next = x + period;
            if (!(next > x)) break;
            x = next;
        }
        if (end_piece) add_pattern(kTrillEndFirst, kTrillEndLast, last_piece, w.y0, sx, sy, 2);
        return;
    }
    run_hook(RenderHooks.write_ps_trill_line, kPatternX.data(), kPatternY.data(), kPatternEntries,
             w.x0, w.y0, w.x1, sx, sy);
    if (!end_piece) return;
    // The writer's pieces stand at x0 + k x period while that is below x1.
    const double pieces = std::ceil((static_cast<double>(w.x1) - w.x0) / period);
    const double last_piece = w.x0 + (pieces >= 1.0 ? pieces - 1.0 : 0.0) * period;
    add_pattern(kTrillEndFirst, kTrillEndLast, static_cast<float>(last_piece), w.y0, sx, sy, 2);
}

}  // namespace

// Contract: see lines.h. Reads P7 (the vertical kind's forms) and the current staff's scale.
void add_line_end_hook(float x, float y, float v, int32_t& flag) {
    const auto& staves = layout::StaffTables;
    const float u = 7.0f * staves.StaffScale(staves.CurrentStaff);
    const bool vertical = core::int_of(core::ParamBuffer(7)) == kVerticalKind;
    if (v <= 100.0f) {
        if (vertical) {
            add_path_point(x + v * u, y, static_cast<int16_t>(flag));
        } else {
            add_path_point(x, y + v * u, static_cast<int16_t>(flag));
        }
        flag = 0;
    } else if (v < 200.0f) {
        float h = (v - 100.0f) * u;
        if (flag == 0) h = -h;
        const float b = 0.375f * h;
        if (vertical) {
            add_path_point(x - b, y + h, 1);
            add_path_point(x, y, 0);
            add_path_point(x + b, y + h, 0);
        } else {
            add_path_point(x + h, y + b, 1);
            add_path_point(x, y, 0);
            add_path_point(x + h, y - b, 0);
        }
    } else if (v >= 200.0f) {
        const float g = (v - 200.0f) * u;
        if (vertical) {
            add_path_point(x - g, y, 1);
            add_path_point(x + g, y, 0);
        } else if (flag == 1) {
            add_path_point(x, y - g, 1);
            flag = 0;
        } else {
            add_path_point(x, y - g, 0);
        }
    }
}

// Contract: see lines.h. A vertical run is fitted so that it starts and ends with a dash: k + 1
// dashes and k gaps fill the span exactly (nothing when the span holds less than one dash and
// gap). A level run ends with the last dash that starts before x1; with IP5 not IP4 (and no
// P13) its dashes rise or fall to the end's height.
LineTurn draw_dashed_line(LineWork& w) {
    const auto& p = core::ParamBuffer;
    const auto& ip = core::IntParamBuffer;
    float dash = 0.0f;
    float gap = 0.0f;
    dash_and_gap(w, dash, gap);
    if (!usable_length(dash) || !usable_length(gap)) return LineTurn::None;

    if (w.vertical) {
        const float span = w.y1 - w.y0;
        // More dashes than the path list holds cannot be drawn: held there, k + 1 stays whole.
        const int32_t k = core::int_in(span / (dash + gap), 0, kPathPoints);
        if (k <= 0) return LineTurn::None;
        const float r = static_cast<float>(k + 1) * dash / gap;
        const float total = span * r / (static_cast<float>(k) + r);
        const float fitted_dash = total / static_cast<float>(k + 1);
        const float fitted_gap = (span - total) / static_cast<float>(k);
        for (int32_t i = 0; i <= k && path_has_room(2); ++i) {
            const float y = w.y0 + static_cast<float>(i) * (fitted_dash + fitted_gap);
            add_path_segment(w.x0, y, w.x0, y + fitted_dash);
        }
        if (w.thickness != 0 && w.pass != kPostScriptPass) thicken_path(w.thickness, w.first);
        return LineTurn::None;
    }

    const int32_t run = PathPointList.count;
    const float x_end = draw_dash_run(w, w.y0, dash, gap);
    if (PathPointList.count == run) return LineTurn::None;
    if (p(12) != 0.0f) {
        int32_t flag = 0;
        add_line_end_hook(x_end - gap, w.y0, p(12), flag);
    }
    if (p(13) == 0.0f && ip(5) != ip(4)) slant_entries(run, (w.y1 - w.y0) / (x_end - gap - w.x0));
    if (w.thickness != 0 && w.pass != kPostScriptPass) thicken_path(w.thickness * 100, w.first);
    return LineTurn::ByP13;
}

// Contract: see lines.h. sx0 = P8 (1.0 when 0 or less), sy0 = P9 (sx0 when 0); the patterns
// are scaled by 0.0825 x staff scale x those. A vertical line (P6 = 0 or P3) is built level
// over INT(P5 - P4) steps and turned about its start; a line whose end is not right of its
// start draws nothing.
LineTurn draw_patterned_line(LineWork& w, int32_t kind) {
    const auto& p = core::ParamBuffer;
    const auto& ip = core::IntParamBuffer;
    const float sx0 = p(8) <= 0.0f ? 1.0f : p(8);
    if (kind == -4) {
        if (w.x1 <= w.x0) return LineTurn::None;
        draw_dot_row(w, sx0);
        return LineTurn::ByP13;
    }
    const float sy0 = p(9) == 0.0f ? sx0 : p(9);
    const float sx = w.scale * 0.0825f * sx0;
    const float sy = w.scale * 0.0825f * sy0;

    float turn = 0.0f;
    if (w.vertical) {
        if (kind == -1 && w.pass != 0) w.y0 -= 0.8f * w.scale;
        int32_t steps = core::int_in(p(5) - p(4), -kLongestRun, kLongestRun);
        if (ip(12) < 0) {
            steps = -steps;
            w.y0 = compute_staff_y(p(5)) + 14.0f * w.scale;
        }
        float length = static_cast<float>(steps) * w.u;
        turn = -90.0f;
        if (length <= 0.0f) {
            turn = 90.0f;
            length = -length;
        }
        w.x1 = w.x0 + length;
    }
    if (w.x1 <= w.x0) return LineTurn::None;

    if (kind == -3) {
        draw_zigzag(w, sx, sy);
    } else if (kind == -1 && w.pass != 0) {
        draw_trill(w, sx, sy);
    } else {
        draw_wave(w, sx, sy);
    }
    if (w.vertical) {
        rotate_path_points(w.first, w.x0, w.y0, turn);
        return LineTurn::None;
    }
    return LineTurn::ByP13;
}

// Contract: see lines.h. P7 is the opening in steps (0 counts as 2.3, -1 as -2.3; positive
// opens at the end, a crescendo). Solid legs may be shortened from the tip (P15) or left open
// at the tip (P14), fractions strictly between 0 and 1; P11 = 1 draws both legs dashed and
// clears P11 and P9 (which then is the gap, not a turn).
LineTurn draw_hairpin(LineWork& w) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    float opening = p(7);
    if (opening == 0.0f) opening = 2.3f;
    if (opening == -1.0f) opening = -2.3f;
    const float half = std::fabs(opening) * w.scale * 3.5f;
    const float open_x = opening > 0.0f ? w.x1 : w.x0;
    const float tip_x = opening > 0.0f ? w.x0 : w.x1;
    const float length = open_x - tip_x;

    if (p(11) == 1.0f) {
        p(11) = 0.0f;
        float dash = 0.0f;
        float gap = 0.0f;
        dash_and_gap(w, dash, gap);
        if (usable_length(dash) && usable_length(gap)) {
            float a = std::fabs(p(7)) * 0.5f;
            if (p(7) == 0.0f || p(7) == -1.0f) a = 1.1f;
            for (const float side : {-a, a}) {
                const int32_t run = PathPointList.count;
                const float x_end = draw_dash_run(w, w.y0, dash, gap);
                if (PathPointList.count == run) break;
                const float y_end = compute_staff_y(p(4) + side);
                slant_entries(run, (y_end - w.y0) / (x_end - gap - w.x0));
                if (p(7) < 0.0f) reverse_y(run);
            }
        }
        p(9) = 0.0f;
        ip(9) = 0;
    } else {
        float end_x = open_x;
        float end_half = half;
        if (p(15) > 0.0f && p(15) < 1.0f) {
            end_x = tip_x + p(15) * length;
            end_half = half * p(15);
        }
        if (p(14) > 0.0f && p(14) < 1.0f) {
            const float start_x = tip_x + p(14) * length;
            const float start_half = half * p(14);
            add_path_segment(start_x, w.y0 + start_half, end_x, w.y0 + end_half);
            add_path_segment(start_x, w.y0 - start_half, end_x, w.y0 - end_half);
        } else {
            add_path_point(end_x, w.y0 + end_half, 1);
            add_path_point(tip_x, w.y0, 0);
            add_path_point(end_x, w.y0 - end_half, 0);
        }
    }
    if (w.thickness != 0 && w.pass != kPostScriptPass) thicken_path(w.thickness * 100, w.first);
    return LineTurn::ByP9OrP13;
}

}  // namespace render
