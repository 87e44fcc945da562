#include "engine/render/text/numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_items.h"

namespace render {

namespace {

// Fonts of the styles 0..10 (11 is drawn as 10, 12..89 as 0, 90 and up are font numbers).
constexpr std::array<int32_t, 11> kNumberFonts = {1000, 1002, 1004, 1024, 1026, 1006,
                                                  94,   1025, 1027, 1001, 1003};
constexpr int32_t kTextWorkCode = 99;  // the text drawer's "characters of the caller"
constexpr int32_t kNumberItemCode = 10;
constexpr int32_t kMusicFont = 94;
constexpr int32_t kFirstCapital = 1001;
constexpr int32_t kFirstSmall = 2001;
constexpr int32_t kAlphabet = 26;
constexpr int32_t kLargeValue = 401;  // from here the text size is set afresh
constexpr float kDecimalRound = 0.0003f;
// Whole values shown are held to +-kLargestWhole, so that their magnitude is a whole number too.
constexpr int32_t kLargestWhole = 2147483647;

int32_t number_font(int32_t style) {
    if (style < 0) style = 0;
    if (style <= 10) return kNumberFonts[static_cast<std::size_t>(style)];
    if (style == 11) return kNumberFonts[10];
    if (style <= 89) return kNumberFonts[0];
    return style;
}

// v in the narrowest "(1iw)" field that holds it (at least one column).
std::string whole(int32_t v) {
    int32_t width = v < 0 ? 2 : 1;
    for (int64_t m = std::abs(static_cast<int64_t>(v)); m >= 10; m /= 10) ++width;
    return core::format_int("(1i" + std::to_string(width) + ")", v);
}

// Letter n (1..26) of the alphabet; nothing outside it.
std::string letter(int32_t n, bool small) {
    if (n < 1 || n > kAlphabet) return {};
    return std::string(1, static_cast<char>((small ? 'a' : 'A') + n - 1));
}

// Three decimals of a value whose whole part is `whole_part`; 0 when the value does not hold it.
int32_t decimals_of(float magnitude, int32_t whole_part) {
    const int32_t d =
        core::int_of((magnitude - static_cast<float>(whole_part) + kDecimalRound) * 1000.0f);
    return (d > 0 && d < 1000) ? d : 0;
}

void set_word(int32_t k, float v) {
    core::ParamBuffer(k) = v;
    core::IntParamBuffer(k) = core::int_of(v);
}

// Everything the number drawer changes, put back however the drawing ends.
class SavedNumberState {
  public:
    SavedNumberState()
        : p_(core::ParamBuffer),
          ip_(core::IntParamBuffer),
          e_(core::EditItemParams),
          origin_(ItemDrawOrigin),
          font_(CurrentFontNumber) {}
    ~SavedNumberState() {
        core::ParamBuffer = p_;
        core::IntParamBuffer = ip_;
        core::EditItemParams = e_;
        ItemDrawOrigin = origin_;
        CurrentFontNumber = font_;
    }
    SavedNumberState(const SavedNumberState&) = delete;
    SavedNumberState& operator=(const SavedNumberState&) = delete;

  private:
    core::Array1<float, 56> p_;
    core::Array1<int32_t, 56> ip_;
    core::Array1<float, 50> e_;
    ItemDrawOriginRecord origin_;
    int32_t font_;
};

}  // namespace

std::string number_text(int32_t k) {
    auto& p = core::ParamBuffer;
    bool minus = p(5) < 0.0f;
    k = std::max(k, -kLargestWhole);
    if (k < 0) {
        minus = true;
        k = -k;
    }
    int32_t d = decimals_of(std::fabs(p(5)), k);
    std::string text;
    if (k > 1000) {
        const bool small = k >= kFirstSmall;
        text = letter(k - (small ? kFirstSmall : kFirstCapital) + 1, small);
        const int32_t v = core::int_in(p(18), -kLargestWhole, kLargestWhole);
        const int32_t m = std::abs(v);
        if (v != 0 && m < 100) {
            text += whole(v);
        } else if (v != 0) {
            text += letter(m / 100, v < 0);
            if (m % 100 != 0) text += letter(m % 100, v < 0);
        }
        d = 0;
    } else {
        const float p18 = p(18);
        if (std::fabs(p18) >= 1000.0f) {
            const int32_t v = core::int_in(p18, -kLargestWhole, kLargestWhole);
            text = whole(v);
            d = decimals_of(std::fabs(p18), std::abs(v));
        } else {
            text = whole(k);
        }
        const int32_t s = core::int_of(p(17));
        if (s >= 1 && s <= kAlphabet) text += letter(s, false);
        if (s >= 101 && s <= 100 + kAlphabet) text += letter(s - 100, true);
        if (minus) text.insert(0, "-");
    }
    if (d != 0) {
        if (text.starts_with("0")) {
            text.erase(0, 1);
        } else if (text.starts_with("-0")) {
            text.erase(1, 1);
        }
        text += "." + core::format_int("(1i3.3)", d);
        while (text.back() == '0') text.pop_back();
    }
    return text;
}

// Contract: see the header. Writes (and restores) ParamBuffer, IntParamBuffer, EditItemParams,
// ItemDrawOrigin and CurrentFontNumber; writes TextDrawState for large values.
void draw_number_item(int32_t k) {
    const TextDrawingScope scope;
    const SavedNumberState saved;
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    if (k >= kLargeValue) {
        TextDrawState.previous_width = 0.0f;
        TextDrawState.previous_height = 0.0f;
    }
    const std::string text = number_text(k);
    const int32_t font = number_font(ip(7));
    const bool music = font >= 90 && font <= 99;
    float size = core::amod(p(6), 100.0f);
    if (size == 0.0f) size = 1.0f;
    const int32_t frame = core::int_of(p(8));
    const float p4 = p(4), p10 = p(10), p11 = p(11), p12 = p(12), p13 = p(13), p14 = p(14);
    const float p20 = p(20);
    const float scale = layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    const int32_t font_before = CurrentFontNumber;

    // The text drawer's parameters.
    const int32_t line_width = core::int_of(p(9)) < 0 ? core::int_of(p(9)) : 0;
    set_word(8, static_cast<float>(font));
    ip(8) = line_width;
    set_word(5, p20);
    set_word(6, size);
    set_word(9, p(19));
    set_word(7, 0.0f);
    set_word(10, 0.0f);
    set_word(11, 0.0f);
    set_word(12, 0.0f);
    ip(16) = core::int_of(p(16));
    if (p(26) != 0.0f && font != kMusicFont) {
        set_word(16, p(26));
        set_word(14, -1.0f);
    }
    ip(1) = kTextWorkCode;
    if (p(1) == static_cast<float>(kNumberItemCode) && p13 != 0.0f) {
        ItemDrawOrigin.y = origin.y + p13 * 7.0f * scale;
    }
    const auto text_words = core::ParamBuffer;
    const auto text_int_words = core::IntParamBuffer;
    draw_text_line(text);
    CurrentFontNumber = font_before;
    if (frame != 1 && frame != 2) return;

    // The frame, drawn by the code 12 drawer, centred on the number's ink, and the text again
    // on top of it.
    const ItemDrawOriginRecord text_origin = ItemDrawOrigin;
    const float middle = music ? 0.0f : last_line_ink_middle();
    float x = origin.x + middle + (p14 + p13) * 75.0f;
    if (music) x -= 1.2f * scale * size;
    ItemDrawOrigin.x = x;
    ItemDrawOrigin.y = compute_staff_y(p4 + 1.55f * size + p13);
    const bool circle = frame == 1;
    const float length = static_cast<float>(text.size());
    float f = text.size() == 1 ? 5.0f : 2.0f * length + 2.0f;
    if (text.size() != 1 && p20 > 1000.0f) f += 1.5f;
    float width = 0.0f;
    float height = 0.0f;
    if (p11 == 0.0f) {
        if (circle) {
            width = (p10 == 2.0f ? 6.0f : (p12 != 0.0f ? p12 : f)) * size;
        } else {
            width = f * size;
            height = 5.0f * size;
        }
    } else {
        width = p11 * size;
        height = (p12 == 0.0f ? p11 : p12) * size;
    }
    float step = 4.0f;
    if (OutputPassWord == -1) {
        step = 2.0f;
    } else if (OutputPassWord == 0) {
        step = 12.0f;
    }
    set_word(5, circle ? 1.0f : 0.0f);
    set_word(6, width);
    set_word(7, height);
    set_word(8, p10 == 0.0f ? 1.0f : p10);
    set_word(9, 0.0f);
    set_word(10, 0.0f);
    set_word(11, 0.0f);
    set_word(12, circle ? step : 0.0f);
    set_word(13, 0.0f);
    set_word(16, 0.0f);
    run_hook(RenderHooks.draw_box_or_circle_item);

    core::ParamBuffer = text_words;
    core::IntParamBuffer = text_int_words;
    ItemDrawOrigin = text_origin;
    draw_text_line(text);
    CurrentFontNumber = font_before;
}

}  // namespace render
