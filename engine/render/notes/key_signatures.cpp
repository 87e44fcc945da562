#include "engine/render/notes/key_signatures.h"

#include <array>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int32_t kClefCode = 3;
constexpr int32_t kFlatGlyph = 6;
constexpr int32_t kSharpGlyph = 7;
constexpr int32_t kNaturalGlyph = 8;
constexpr int32_t kParked = 30;
constexpr int32_t kLastClef = 3;

// By clef 0..3, in staff-scale units above the staff's base: the first sharp, the first flat,
// and the highest place an accidental of the row may take.
constexpr std::array<float, 4> kFirstSharp = {77.0f, 63.0f, 70.0f, 35.0f};
constexpr std::array<float, 4> kFirstFlat = {49.0f, 35.0f, 42.0f, 56.0f};
constexpr std::array<float, 4> kRowLimit = {84.5f, 70.5f, 77.5f, 77.5f};
// Three steps down and four up (sharps); flats take them the other way round.
constexpr std::array<float, 2> kSharpSteps = {-21.0f, 28.0f};
constexpr std::array<float, 2> kFlatSteps = {21.0f, -28.0f};
constexpr float kOctave = 49.0f;

void set_word(int32_t k, float v) {
    core::ParamBuffer(k) = v;
    core::IntParamBuffer(k) = core::int_of(v);
}

// P1..P30 and IP1..IP30, put back on every way out.
class ParkedKey {
  public:
    ParkedKey() {
        core::push_words(kParked, core::ParamBuffer.at(1));
        core::push_words(kParked, core::IntParamBuffer.at(1));
    }
    ~ParkedKey() {
        core::pop_words(kParked, core::IntParamBuffer.at(1));
        core::pop_words(kParked, core::ParamBuffer.at(1));
    }
    ParkedKey(const ParkedKey&) = delete;
    ParkedKey& operator=(const ParkedKey&) = delete;
};

// One accidental through the glyph painter; P10 would reach the symbol drawer as a line width.
void paint_accidental(float x, float y, int32_t glyph, float size) {
    set_word(10, 0.0f);
    draw_clef_item(x, y, glyph, size, size);
}

}  // namespace

// Contract: see the header. Reads ParamBuffer P5..P13, P16, the origin, the current staff's
// scale and base; writes PathPointList. The item is drawn as a clef item (IP1 = 3) with P5 and
// P7 cleared, so that the painter sees neither an octave figure nor the sample-sheet mark.
void draw_key_signature_item() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    ParkedKey parked;
    const int32_t staff = layout::StaffTables.CurrentStaff;
    const float scale = layout::StaffTables.StaffScale(staff);
    const float base = static_cast<float>(staff_base_y(staff));
    const int32_t count_word = ip(5);
    int32_t clef = ip(6);
    const bool small = clef >= 100;
    if (small) clef -= 100;
    if (clef < 0 || clef > kLastClef) clef = 0;
    const float size = small ? 0.8f : 1.0f;
    const float spacing = 16.8f * scale * (p(7) == 0.0f ? 1.0f : p(7)) * size;
    const std::array<float, 7> free_list = {p(8), p(9), p(10), p(11), p(12), p(13), p(16)};
    float x = ItemDrawOrigin.x + 15.0f * scale;

    set_word(1, static_cast<float>(kClefCode));
    set_word(5, 0.0f);
    set_word(7, 0.0f);

    if (free_list[0] != 0.0f) {
        for (const float v : free_list) {
            const int32_t value = core::int_of(v);
            if (value == 0) break;
            const int32_t kind = value / 100;
            if (kind < 1 || kind > 5) continue;  // no such accidental
            const float y = base + static_cast<float>(value % 100) * 7.0f * scale;
            paint_accidental(x, y, kind + 5, size);
            x += spacing;
        }
        return;
    }

    const bool sharps = count_word > 0;
    int64_t count = std::llabs(static_cast<int64_t>(count_word));
    int32_t glyph = sharps ? kSharpGlyph : kFlatGlyph;
    if (count >= 100) {
        glyph = kNaturalGlyph;
        count %= 100;
    }
    const auto c = static_cast<std::size_t>(clef);
    const std::array<float, 2>& steps = sharps ? kSharpSteps : kFlatSteps;
    std::size_t next = (sharps && clef == kLastClef) ? 1 : 0;
    float h = sharps ? kFirstSharp[c] : kFirstFlat[c];
    for (int64_t i = 0; i < count; ++i) {
        paint_accidental(x, base + h * scale, glyph, size);
        x += spacing;
        const float to = h + steps[next];
        if (to > kRowLimit[c]) {
            // Too high: the same letter an octave lower, and the pattern keeps its step.
            h = to - kOctave;
        } else {
            h = to;
            next = 1 - next;
        }
    }
}

}  // namespace render
