#include "engine/render/text/text_justify.h"

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "engine/render/text/text_escapes.h"

namespace render {

TextJustifyStateRecord TextJustifyState;

namespace {

constexpr float kCharacterFactor = 3.2833f;  // metric width to P3 units at size 1
constexpr int32_t kSymbolFontFirst = 90;
constexpr float kSymbolTableShare = 0.1f;

bool is_tab_code(int32_t code) { return code > 9999; }

// The right side bearing of the line's last character (its last code below 1000), in metric
// units, in the font the last font change before it selects; 0 for a line without characters.
float last_character_bearing(int32_t start_font) {
    const auto& list = TextCodeList;
    int32_t last = 0;
    for (int32_t k = list.count; k >= 1; --k) {
        if (list.code(k) >= 0 && list.code(k) < kFontChangeBase) {
            last = k;
            break;
        }
    }
    if (last == 0) return 0.0f;
    int32_t font = start_font;
    for (int32_t k = last - 1; k >= 1; --k) {
        if (is_font_change_code(list.code(k))) {
            font = font_of_change_code(list.code(k));
            break;
        }
    }
    int32_t index = list.code(last) + 1;
    if (index < 1 || index > kFontWidths) return 0.0f;
    if (font % 100 >= kSymbolFontFirst) {
        if (list.code(last) == 136 || list.code(last) == 150) index -= 56;
        return kSymbolTableShare * symbol_font_width(index);
    }
    CurrentFontNumber = font;
    ensure_font_metrics();
    return LoadedFont.widths(index) - LoadedFont.right_edges(index);
}

void finish(int32_t font) {
    auto& p = core::ParamBuffer;
    for (int32_t k = 3; k <= 13; ++k) core::EditItemParams(k) = p(k);
    TextJustifyState.left = 0.0f;
    TextJustifyState.right = 0.0f;
    CurrentFontNumber = font;
}

}  // namespace

int32_t find_blank_in_line(std::string_view text, int32_t a, int32_t b, int32_t direction) {
    const int32_t n = static_cast<int32_t>(text.size());
    auto blank_at = [&](int32_t c) { return text[static_cast<std::size_t>(c - 1)] == ' '; };
    if (direction > 0) {
        for (int32_t c = std::min(a, n); c >= 1; --c) {
            if (blank_at(c)) return c + 1;
        }
        return 0;
    }
    for (int32_t c = std::max(a, 1); c <= std::min(b, n); ++c) {
        if (blank_at(c)) return c - 1;
    }
    return 0;
}

bool justify_text_line() {
    auto& p = core::ParamBuffer;
    auto& state = TextJustifyState;
    const auto& list = TextCodeList;
    const int32_t font_before = CurrentFontNumber;
    const bool right_aligned = state.left == kRightAlignedMargin;

    int32_t blanks = 0;
    int32_t tab = 0;
    float before_tab = 0.0f;
    for (int32_t k = 1; k <= list.count; ++k) {
        const int32_t code = list.code(k);
        if (code == kBlankCode) ++blanks;
        if (tab == 0 && is_tab_code(code) && !(code >= kSlashEscapeBase)) tab = k;
        if (tab == 0) before_tab += list.width(k);
    }
    if (blanks == 0 && !right_aligned) {
        core::report_failure("*** No spaces.  Cannot justify line.");
        finish(font_before);
        return false;
    }
    if (p(5) == 0.0f) p(5) = 1.0f;
    float width = p(13);
    if (tab != 0) {
        if (!right_aligned) {
            core::report_failure("*** Cannot justify when tabs present.");
            finish(font_before);
            return false;
        }
        if (p(5) != 1.0f) {
            core::report_failure("*** When both JR and tabs are used, p5 must = 1.");
            finish(font_before);
            return false;
        }
        width = p(5) * before_tab;
    }

    int32_t staff = core::int_of(p(2));
    if (staff < 0 || staff > layout::kMaxStaves) staff = layout::StaffTables.CurrentStaff;
    float size = core::amod(p(6), 100.0f);
    if (size == 0.0f) size = 1.0f;
    const float u = layout::StaffTables.StaffScale(staff) * size / 25.0f;
    int32_t start_font = CurrentFontNumber;
    if (list.count >= 1 && is_font_change_code(list.code(1))) {
        start_font = font_of_change_code(list.code(1));
    }
    const float c = last_character_bearing(start_font) * kCharacterFactor * u;

    if (right_aligned) {
        float right = state.right;
        if (right == 0.0f) right = state.kept_aligned_right;
        state.kept_aligned_right = right;
        p(3) = right - width + c;
    } else {
        float left = state.left;
        if (left == 0.0f) left = state.kept_left;
        float right = state.right;
        if (right == 0.0f) right = state.kept_right;
        state.kept_left = left;
        state.kept_right = right;
        p(3) = left;
        const float extra = (right + c - left - width) / static_cast<float>(blanks);
        if (u != 0.0f) p(10) += extra / (p(5) * u);
        core::EditItemParams(10) = p(10);
    }
    finish(font_before);
    return true;
}

void reset_text_justify_state() { TextJustifyState = TextJustifyStateRecord{}; }

}  // namespace render
