// The meter drawer (Code 18 items); declared in key_signatures.h.
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/notes/key_signatures.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/numbers.h"

namespace render {

namespace {

constexpr int32_t kClefCode = 3;
constexpr int32_t kParked = 30;
constexpr int32_t kFirstSymbolCode = 91;
constexpr int32_t kLastSymbolCode = 99;
constexpr int32_t kSymbolBase = 117;  // meter code c shows library symbol 117 - c
constexpr int32_t kPlusGlyph = 38;
constexpr int32_t kMusicFontChoice = 6;  // the number drawer's font choice of the music font

void set_word(int32_t k, float v) {
    core::ParamBuffer(k) = v;
    core::IntParamBuffer(k) = core::int_of(v);
}

// P1..P30, IP1..IP30 and the origin, put back on every way out.
class ParkedMeter {
  public:
    ParkedMeter() : origin_(ItemDrawOrigin) {
        core::push_words(kParked, core::ParamBuffer.at(1));
        core::push_words(kParked, core::IntParamBuffer.at(1));
    }
    ~ParkedMeter() {
        core::pop_words(kParked, core::IntParamBuffer.at(1));
        core::pop_words(kParked, core::ParamBuffer.at(1));
        ItemDrawOrigin = origin_;
    }
    ParkedMeter(const ParkedMeter&) = delete;
    ParkedMeter& operator=(const ParkedMeter&) = delete;

  private:
    ItemDrawOriginRecord origin_;
};

int32_t digit_count(int32_t v) {
    int64_t a = std::llabs(static_cast<int64_t>(v));
    int32_t n = 1;
    while (a >= 10) {
        a /= 10;
        ++n;
    }
    return n;
}

// The places every number of one meter shares.
struct MeterLayout {
    float z = 1.0f;      // the numbers' size
    float upper = 0.0f;  // positions in steps
    float single = 0.0f;
    float lower = 0.0f;
    float base = 0.0f;  // P4 as moved for the output
    float font = 0.0f;
    float scale = 25.0f;
};

// One number through the number drawer at (x, position pos). The number drawer reads P5 for
// sign and decimals and P8..P20 as frame, suffix and offsets: only size and font are left set.
void draw_meter_number(const MeterLayout& m, int32_t value, float x, float pos) {
    for (int32_t k = 5; k <= 20; ++k) set_word(k, 0.0f);
    set_word(5, static_cast<float>(value));
    set_word(6, m.z);
    set_word(7, m.font);
    ItemDrawOrigin.x = x;
    ItemDrawOrigin.y = compute_staff_y(pos);
    draw_number_item(value);
}

// An upper number over a lower one (upper 0: the lower one alone, in the middle). A one-digit
// number over or under a two-digit one moves right to stand centred.
void draw_pair(const MeterLayout& m, int32_t upper, int32_t lower, float x) {
    if (upper == 0) {
        draw_meter_number(m, lower, x, m.single);
        return;
    }
    const float centre = 7.6f * m.scale * m.z;
    const int32_t du = digit_count(upper);
    const int32_t dl = digit_count(lower);
    draw_meter_number(m, upper, x + (du == 1 && dl == 2 ? centre : 0.0f), m.upper);
    draw_meter_number(m, lower, x + (du == 2 && dl == 1 ? centre : 0.0f), m.lower);
}

}  // namespace

// Contract: see the header. Reads ParamBuffer P4..P13, the origin, the current staff's scale
// and OutputPassWord; writes PathPointList and, through the number drawer, the text stream.
// On screen with the default font the digits are larger and lower (z = 1.35 x P7, P4 - 0.23)
// than in PostScript or with a chosen font (1.2 x P7, P4 + 0.1).
void draw_meter_item() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    ParkedMeter parked;
    const float x = ItemDrawOrigin.x;
    const float size = p(7) == 0.0f ? 1.0f : p(7);
    const int32_t top = ip(5);
    if (top >= kFirstSymbolCode) {
        // Codes above 99 name no meter symbol (they would reach clefs and note heads).
        if (top > kLastSymbolCode) return;
        draw_library_symbol(x, ItemDrawOrigin.y, kSymbolBase - top, 0.75f * size, 0.75f * size, 0,
                            0.0f, 0);
        return;
    }

    const int32_t bottom = ip(6);
    const int32_t second_top = ip(8);
    const int32_t second_bottom = ip(9);
    const float gap_before = p(10);
    const float gap_after = p(11);
    const bool no_plus = ip(12) != 0;
    const float p4 = p(4);

    MeterLayout m;
    m.scale = layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
    const bool screen_default = OutputPassWord >= 0 && p(13) == 0.0f;
    m.z = size * (screen_default ? 1.35f : 1.2f);
    m.base = p4 + (screen_default ? -0.23f : 0.1f);
    m.upper = m.base + (screen_default ? 5.46f : 5.82f) * m.z;
    m.single = m.base + 4.08f * m.z;
    m.lower = m.base + 2.48f * m.z;
    m.font = p(13) == 0.0f ? static_cast<float>(kMusicFontChoice)
                           : static_cast<float>(core::int_of(p(13)));

    if (second_top == 0) {
        draw_pair(m, top, bottom, x);
        return;
    }

    // Compound meter: first pair, plus sign, second pair.
    if (second_bottom == 0 && top != 0) {
        // One lower number under both upper numbers.
        draw_meter_number(m, top, x, m.upper);
        const float c =
            (digit_count(bottom) == 1 ? 3.8f : 2.4f) + (digit_count(top) == 2 ? 3.4f : 0.0f);
        draw_meter_number(m, bottom, x + (gap_before + c) * 4.8f * m.scale * m.z, m.lower);
    } else {
        draw_pair(m, top, bottom, x);
    }
    const float u = 6.0f * m.scale * size;
    const bool narrow = top < 10 && (second_bottom == 0 || bottom < 10);
    const float plus_x = x + u * (gap_before + (narrow ? 3.5f : 6.6f));
    if (!no_plus) {
        // The painter draws it as a clef glyph; P5 and P7 would read as an octave figure and
        // the sample-sheet mark, P10 as a line width.
        const float code = p(1);
        for (int32_t k = 5; k <= 20; ++k) set_word(k, 0.0f);
        set_word(1, static_cast<float>(kClefCode));
        const float pos = m.base + (second_bottom == 0 ? 6.6f : 4.72f) * m.z;
        int32_t glyph = kPlusGlyph;
        draw_clef_item(plus_x, compute_staff_y(pos), glyph, m.z, m.z);
        set_word(1, code);
    }
    const float second_x = (no_plus ? x : plus_x) + u * (gap_after + 4.2f);
    if (second_bottom == 0) {
        draw_meter_number(m, second_top, second_x, m.upper);
    } else {
        draw_pair(m, second_top, second_bottom, second_x);
    }
}

}  // namespace render
