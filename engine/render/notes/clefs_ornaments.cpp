#include "engine/render/notes/clefs_ornaments.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/lines.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/numbers.h"

namespace render {

namespace {

constexpr int32_t kPostScriptPass = -1;
constexpr int32_t kBoundingPass = -2;

// Line kinds of the line drawer used for extension lines.
constexpr int32_t kStraightLine = 0;
constexpr int32_t kDashedLine = 1;
constexpr int32_t kTrillLine = -1;

// The glyph painter draws its glyph kinds at a quarter of the size it is given.
constexpr float kGlyphQuarter = 0.25f;
// Room between a trill's accidental and the "tr" sign below it, in staff steps.
constexpr float kTrillAccidentalClearance = 0.5f;

// Ornament kinds (P7 of a Code 7 item).
constexpr int32_t kTrill = 0;
constexpr int32_t kPedalDiagram = 1;
constexpr int32_t kPedalLineNotched = 21;
constexpr int32_t kPedalLine = 22;

float staff_scale() { return layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff); }

void set_word(int32_t k, float v) {
    core::ParamBuffer(k) = v;
    core::IntParamBuffer(k) = core::int_of(v);
}

// ParamBuffer words first..last, kept to be put back (the drawer's nested work changes them).
template <int First, int Last>
class SavedWords {
  public:
    SavedWords() {
        for (int32_t k = First; k <= Last; ++k) words_[k - First] = core::ParamBuffer(k);
    }
    void restore() const {
        for (int32_t k = First; k <= Last; ++k) core::ParamBuffer(k) = words_[k - First];
    }

  private:
    std::array<float, Last - First + 1> words_{};
};

// A line of the line drawer from (x0, pos0) to (x1, pos1), x in P3 units, positions in steps.
void draw_line_between(float x0, float pos0, float x1, float pos1, int32_t line_kind) {
    set_word(3, x0);
    set_word(4, pos0);
    set_word(5, pos1);
    set_word(6, x1);
    set_word(7, static_cast<float>(line_kind));
    ItemDrawOrigin.x = x0 * 150.0f;
    ItemDrawOrigin.y = compute_staff_y(pos0);
    draw_line_item();
}

// Digit d (0 units, 1 tens, ...) of |v| (64-bit: |INT_MIN| has no 32-bit value).
int32_t digit(int32_t v, int32_t d) {
    int64_t a = std::abs(static_cast<int64_t>(v));
    for (int32_t k = 0; k < d; ++k) a /= 10;
    return static_cast<int32_t>(a % 10);
}

// The harp pedal diagram: a vertical stroke, a level line and seven small filled boxes whose
// heights show the pedal digits of P8 (three) and P9 (four).
void draw_pedal_diagram(float z) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const float u = staff_scale() * z / 25.0f;
    const float xc = p(3) + p(15);
    const float pos = p(4);
    const int32_t left = ip(8);
    const int32_t right = ip(9);
    // P8 and P9 carry the digits; the lines and boxes must not read them as widths or turns.
    set_word(8, 0.0f);
    set_word(9, 0.0f);
    draw_line_between(xc, pos - 4.0f * z, xc, pos + 4.0f * z, kStraightLine);
    draw_line_between(xc - 9.5f * u, pos, xc + 12.0f * u, pos, kStraightLine);

    set_word(5, 0.0f);
    set_word(6, z);
    set_word(7, 3.0f * z);
    set_word(13, 1.0f);
    for (int32_t k = 10; k <= 12; ++k) set_word(k, 0.0f);
    auto box = [&](float at, int32_t d) {
        ItemDrawOrigin.x = at * 150.0f;
        ItemDrawOrigin.y = compute_staff_y(pos + static_cast<float>(d - 2) * 2.5f * z);
        run_hook(RenderHooks.draw_box_or_circle_item);
    };
    for (int32_t k = 0; k < 3; ++k) box(xc - 7.5f * u + 2.5f * u * k, digit(left, 2 - k));
    for (int32_t k = 0; k < 4; ++k) box(xc + 2.5f * u + 2.5f * u * k, digit(right, 3 - k));
}

// One end of a pedal line at x: a value below 100 is a stroke from position P4 + v to the
// line; from 100 on the line drawer's end mark. at_start tells which end.
void add_pedal_line_end(float x, float y, float v, bool at_start) {
    const float pos = core::ParamBuffer(4);
    if (v < 100.0f) {
        if (at_start) {
            add_path_point(x, compute_staff_y(pos + v), 1);
            add_path_point(x, y, 0);
        } else {
            add_path_point(x, y, 0);
            add_path_point(x, compute_staff_y(pos + v), 0);
        }
        return;
    }
    int32_t flag = at_start ? 1 : 0;
    if (at_start) {
        add_line_end_hook(x, y, v, flag);
        add_path_point(x, y, static_cast<int16_t>(flag));
    } else {
        add_path_point(x, y, 0);
        add_line_end_hook(x, y, v, flag);
    }
}

// Pedal lines: one polyline at the item's y with a notch (kind 21 up and down, kind 22 up).
void draw_pedal_line(int32_t kind, float x, float y) {
    auto& p = core::ParamBuffer;
    const float step = 6.0f * staff_scale();
    const float pos = p(4);
    add_pedal_line_end(x, y, p(11), true);
    float xn = x;
    if (p(8) != 0.0f) {
        xn = p(8) * 150.0f;
        add_path_point(xn, y, 0);
    }
    const float rise = p(9) == 0.0f ? 2.0f : p(9);
    xn += step;
    add_path_point(xn, compute_staff_y(pos + rise), 0);
    if (kind == kPedalLineNotched) {
        xn += step;
        add_path_point(xn, compute_staff_y(pos - rise / 2.0f), 0);
    }
    xn += step;
    add_path_point(xn, y, 0);
    add_pedal_line_end(p(6) * 150.0f, y, p(12), false);
}

// The default ornament: symbol 48 and, by the hundreds, tens and units digits of IP5, up to
// three copies of symbol 49 beside it.
void draw_default_ornament(float x, float y) {
    auto& p = core::ParamBuffer;
    const int32_t dots = core::IntParamBuffer(5);
    const float size = p(9) == 0.0f ? 0.4f : 0.4f * p(9);
    draw_library_symbol(x, y, 48, size, size, 0, 0.0f, 0);
    if (dots == 0) return;
    const float step = 53.0f * size * staff_scale();
    for (int32_t k = 0; k < 3; ++k) {
        if (digit(dots, 2 - k) != 0) {
            draw_library_symbol(x + step * static_cast<float>(k), y, 49, size, size, 0, 0.0f, 0);
        }
    }
}

}  // namespace

// Contract: see the header. Reads ParamBuffer/IntParamBuffer P1..P18, P28, the current staff's
// scale and OutputPassWord; writes PathPointList, ItemDrawOrigin and (through the number
// drawer) the text stream; IP words it set for nested drawers stay as they were left.
void draw_trill_item() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const SavedWords<1, 20> saved;
    const int32_t pass = OutputPassWord;
    const float s = staff_scale();
    const float z = p(5) == 0.0f ? 1.0f : p(5);
    const float z1 = 1.1f * z;
    const float h = 7.0f * s;
    const float x = ItemDrawOrigin.x;
    const float y = ItemDrawOrigin.y;
    const int32_t kind = ip(7);
    const int32_t item_width = ip(10);
    const float item_end = p(8);
    const bool extension = ip(6) != 0;

    int32_t line_kind = kStraightLine;
    float start = 0.0f;
    float pos = p(4);

    if (kind == kTrill) {
        if (pass == kPostScriptPass) ip(10) = ip(28) == 0 ? -1 : ip(28);
        int32_t glyph = 37;
        draw_clef_item(x, y + h, glyph, z1, z1);
        const int32_t accidental = ip(8);
        if (accidental >= 1 && accidental <= 5) {
            float f = 1.0f;
            if (accidental == 4) f = 1.3f;
            if (accidental == 5) f = 1.11f;
            const float lift = (accidental == 2 || accidental == 3) ? 3.6f : 3.0f;
            int32_t sign = accidental + 5;
            float ya = y + h + lift * h * z;
            // The sign stands clear above the "tr" ascender, whatever the two glyphs' shapes:
            // its measured ink at least half a step above the trill sign's.
            SymbolInk tr;
            SymbolInk mark;
            if (measure_symbol_ink(glyph, tr) && measure_symbol_ink(sign, mark)) {
                const float tr_top = y + h + s * kGlyphQuarter * z1 * tr.top;
                const float mark_below = s * kGlyphQuarter * 0.65f * z * mark.bottom;
                ya = std::max(ya, tr_top + kTrillAccidentalClearance * h * z - mark_below);
            }
            draw_clef_item(x + z * 23.0f * s * f, ya, sign, 0.65f * z, 0.65f * z);
        }
        if (extension) {
            const float amplitude = p(9) == 0.0f ? 1.0f : p(9);
            pos = p(4) + 2.2f + p(11) - p(9);
            set_word(8, z * amplitude);
            start = 22.85f;
            line_kind = kTrillLine;
        }
    } else if (kind == kPedalDiagram) {
        draw_pedal_diagram(z);
        saved.restore();
        return;
    } else if (kind == kPedalLineNotched || kind == kPedalLine) {
        draw_pedal_line(kind, x, y);
        saved.restore();
        return;
    } else if (kind >= 23 && kind <= 25) {
        static constexpr std::array<int32_t, 3> kSingle = {70, 71, 120};
        draw_library_symbol(x, y, kSingle[static_cast<std::size_t>(kind - 23)], p(9), p(9), 0, 0.0f,
                            0);
        saved.restore();
        return;
    } else {
        const SavedWords<4, 13> glyph_words;
        if (kind == 8 || kind == -8 || kind == 15) {
            const int32_t symbol = kind == 8 ? 45 : (kind == -8 ? 46 : 47);
            const float size = pass == kBoundingPass ? 0.25f * z : 0.75f * z1;
            draw_library_symbol(x, y, symbol, size, size, 0, 0.0f, 0);
            start = kind == 15 ? 62.0f : 43.0f;
            line_kind = kDashedLine;
        } else if (kind == 88 || kind == -88 || kind == 155) {
            p(6) = 0.75f * z1;
            draw_number_item(kind == 155 ? 15 : 8);
            start = kind == 155 ? 29.0f : 18.0f;
            if (kind != -88) pos += 1.5f * z1;
            line_kind = kDashedLine;
        } else {
            draw_default_ornament(x, y);
            start = 51.0f;
            line_kind = kStraightLine;
        }
        glyph_words.restore();
        if (p(8) == 0.0f) {
            set_word(8, s * z / 25.0f);
            set_word(9, 1.5f * p(8));
        }
    }

    if (extension) {
        if (line_kind == kDashedLine) pos += 0.4f;
        float from = x;
        if (line_kind != kStraightLine) {
            from = x + z * start * s;
        } else if (item_end != 0.0f) {
            from = item_end * 150.0f;
        }
        ip(10) = item_width;
        if (p(18) != 0.0f) p(16) = 1.0f;
        draw_line_between(from / 150.0f, pos, p(6), pos, line_kind);
    }
    saved.restore();
}

}  // namespace render
