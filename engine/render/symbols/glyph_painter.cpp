#include <algorithm>
#include <array>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/numbers.h"

namespace render {

GlyphOutlineTableRecord GlyphOutlineTable;

namespace {

constexpr int32_t kClefCode = 3;
constexpr int32_t kLastClefKind = 5;
constexpr int32_t kLastQuarterKind = 44;  // kinds 0..44 are drawn at a quarter size
constexpr float kClefOffset = 21.0f;      // staff-scale units from the item's x to a clef
constexpr float kTenorClefRise = 14.0f;   // one staff line, in staff-scale units
constexpr float kSampleSheetMark = 99.0f;
constexpr int32_t kSampleSheetSymbol = 269;
constexpr float kSampleSheetColour = 990000.0f;

float current_staff_scale() {
    return layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
}

// The sample sheet: the sheet drawing (a Code 9 item) and fourteen guide lines (Code 4 items)
// from position -5 to 21, all through the dispatcher; the item then shows in red.
void draw_sample_sheet() {
    auto& p = core::ParamBuffer;
    std::array<float, 26> saved{};
    for (int32_t k = 1; k <= 26; ++k) saved[static_cast<std::size_t>(k - 1)] = p(k);
    p(1) = 9.0f;
    p(3) = -4.0f;
    p(4) = 21.0f;
    p(5) = static_cast<float>(kSampleSheetSymbol);
    p(6) = 1.4f;
    p(7) = 0.0f;
    draw_item_by_code();
    for (int32_t k = 1; k <= 26; ++k) p(k) = saved[static_cast<std::size_t>(k - 1)];
    for (int32_t v = -5; v <= 21; v += 2) {
        p(1) = 4.0f;
        p(3) = -4.0f;
        p(4) = static_cast<float>(v);
        p(5) = static_cast<float>(v);
        p(6) = 0.1f;
        p(7) = 0.0f;
        draw_item_by_code();
    }
    p(26) = kSampleSheetColour;
}

// The octave figure of a clef item: n = NINT(P5 x 100) of 180 in magnitude, or non-zero below
// 100, draws n div 10 (1 as 15) through the number drawer above, below or level with the clef.
// Returns the clef kind to draw instead (0, or 1 for 1.80), or -1 when there is no figure.
int32_t draw_octave_figure(float s1) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    // Beyond 1000 no figure is drawn: held there, the magnitude cannot overflow.
    const int32_t n = std::clamp(core::nint(p(5) * 100.0f), -1000, 1000);
    int32_t value = std::abs(n);
    if (!(value == 180 || (n != 0 && value < 100))) return -1;
    float h = -5.25f;
    float c = 0.08f;
    if (n == 88) {
        h = 10.95f;
        c = 0.12f;
    } else if (n == 15) {
        h = 10.95f;
        c = 0.085f;
    } else if (value == 180) {
        h = 0.0f;
        c = 0.06f;
        value = 80;
    }
    const float p3 = p(3);
    const float p4 = p(4);
    const float p5 = p(5);
    const float p6 = p(6);
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    p(4) = core::amod(p(4), 100.0f) + 3.0f + s1 * h;
    p(3) = p(3) + p(15) + current_staff_scale() * c * s1;
    set_item_position();
    p(6) = s1 * 0.7f;
    ip(7) = 11;
    int32_t figure = value / 10;
    if (figure == 1) figure = 15;
    // The number drawer reads P5 for a sign and decimals; the figure has neither (a negative
    // fraction would otherwise show "-5").
    p(5) = static_cast<float>(figure);
    draw_number_item(figure);
    p(3) = p3;
    p(4) = p4;
    p(5) = p5;
    p(6) = p6;
    ItemDrawOrigin = origin;
    return std::abs(n) == 180 ? 1 : 0;
}

// Paints kind's outline from GlyphOutlineTable; false when the table holds none for it.
bool paint_glyph_outline(int32_t kind, float x, float y, float s1, float s2) {
    const auto& t = GlyphOutlineTable;
    const int32_t from = t.start(kind + 1);
    const int32_t end = t.start(kind + 2);
    if (from < 1 || end <= from || end - 1 > kOutlinePoints) return false;
    const float scale = current_staff_scale();
    for (int32_t i = from; i < end; ++i) {
        add_path_point(x + scale * s1 * t.x(i), y + scale * s2 * t.y(i), t.op(i));
    }
    return true;
}

}  // namespace

// Contract: see the header.
void draw_clef_item(float x, float y, int32_t& kind, float size1, float size2) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    if (p(7) == kSampleSheetMark) {
        draw_sample_sheet();
        return;
    }
    // A negative kind would reach the symbol drawer as symbol 0 at four times its size.
    if (kind < 0) kind = 0;
    float s1 = size1 == 0.0f ? 1.0f : size1;
    float s2 = size2 == 0.0f ? s1 : size2;
    const float scale = current_staff_scale();

    if (kind <= kLastClefKind) {
        float o = kClefOffset;
        if (ip(4) >= 100 || ip(4) <= -100) {
            s1 *= 0.8f;
            s2 = s1;
            o += SmallClefOffsets[static_cast<std::size_t>(kind)];
        }
        if (kind == 3) {
            // The tenor is the alto's C clef one staff line (two steps) higher: its centre
            // marks middle C on the fourth line, where the tenor's notes put it.
            o += 14.0f;
            y += scale * kTenorClefRise;
            kind = 2;
        }
        x += scale * o;
    }

    if (ip(1) == kClefCode) {
        const int32_t clef = draw_octave_figure(s1);
        if (clef >= 0) kind = clef;
        if (kind == 44 || kind == 55 || kind == 66) {
            s1 *= 0.1f;
            s2 *= 0.1f;
            // The position counts from the clef's own place: P4's hundreds mark a small clef.
            const float pos = core::amod(p(4), 100.0f);
            if (kind == 44) {
                s1 *= 0.6f;
                s2 *= 0.6f;
                y = compute_staff_y(pos + 1.2f);
            } else if (kind == 55) {
                s1 *= 0.83f;
                s2 *= 0.83f;
                y = compute_staff_y(pos + 0.35f);
            }
            kind = 3;
            draw_library_symbol(x, y, kind, s1, s2, 0, 0.0f, 0);
            return;
        }
    }

    if (kind <= kLastQuarterKind) {
        // Nothing fills the outline table yet: a kind without an outline there is painted from
        // the library on this pass too, rather than vanishing.
        if (OutputPassWord == 0 && paint_glyph_outline(kind, x, y, s1, s2)) return;
        s1 *= 0.25f;
        s2 *= 0.25f;
        if (s1 == 0.0f) s1 = 0.25f;
    }
    draw_library_symbol(x, y, kind, s1, s2, 0, 0.0f, 0);
}

void draw_clef_code_item() {
    const auto& p = core::ParamBuffer;
    draw_clef_item(ItemDrawOrigin.x, ItemDrawOrigin.y, core::IntParamBuffer(5), p(6), p(7));
}

void reset_glyph_outlines() {
    GlyphOutlineTable.start.fill(0);
    GlyphOutlineTable.x.fill(0.0f);
    GlyphOutlineTable.y.fill(0.0f);
    GlyphOutlineTable.op.fill(0);
}

}  // namespace render
