#include "engine/edit/items/typed_values.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_values.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"

namespace edit {

namespace {

constexpr int32_t kLastItemCode = 18;
constexpr int32_t kMaxPairs = 12;
constexpr int32_t kLastParameter = 45;
constexpr float kClearValue = -9999.0f;

// Item codes are whole numbers 1..18; 19 and above are passing items, gone at the next redraw.
bool is_item_code(float v) {
    return v >= 1.0f && v <= static_cast<float>(kLastItemCode) && v == std::trunc(v);
}

// The staves a typed line may name are those a document may hold.
static_assert(layout::kMaxStaves == core::kHighestStaff);
bool is_staff(float v) { return core::is_staff_number(v); }

std::string shown_value(float v, const std::vector<std::string>& typed, int32_t k) {
    if (k >= 1 && static_cast<std::size_t>(k) < typed.size() && !typed[k].empty())
        return typed[static_cast<std::size_t>(k)];
    char b[32];
    std::snprintf(b, sizeof b, "%.9g", static_cast<double>(v));
    return b;
}

void refuse_staff(const std::string& word) {
    core::name_untaken_line("*** No staff " + word +
                       " (staves are 0 to 256) -- the line was not taken.");
}

// Code 13 marks are drawn in passing and never kept: a load drops them, so a typed one would
// be lost at the next load.
constexpr float kPassingMarkCode = 13.0f;

void refuse_code(float v, const std::string& word) {
    core::name_untaken_line(code_refusal(v, word) + " -- the line was not taken.");
}

}  // namespace

// Contract: see the header.
std::string code_refusal(float v, const std::string& shown) {
    if (!is_item_code(v)) return "*** No item code " + shown;
    if (v == kPassingMarkCode)
        return "*** Item code " + shown + " is only drawn in passing and never kept";
    return {};
}

// Contract: see the header. Reads the scan (ScannedFields) and ParamBuffer; writes ParamBuffer
// (whole values) and MessageLine on a refusal.
bool take_typed_item_line() {
    const core::NumberLineReading r = core::read_number_line_whole(core::WordsInLine::None);
    if (r.fault != core::NumberLineFault::None) {
        core::name_untaken_line(core::number_line_refusal(r));
        return false;
    }
    if (!code_refusal(core::ParamBuffer(1), "").empty()) {
        refuse_code(core::ParamBuffer(1), shown_value(core::ParamBuffer(1), r.typed, 1));
        return false;
    }
    if (!is_staff(core::ParamBuffer(2))) {
        refuse_staff(shown_value(core::ParamBuffer(2), r.typed, 2));
        return false;
    }
    return true;
}

// Contract: see the header. Follows the pair list as apply_edit_line reads it, on a copy of the
// edited item's values, only as far as the item's code and staff depend on it; reads
// ParamBuffer and EditItemParams, writes MessageLine on a refusal.
bool check_pair_values(const std::vector<std::string>& typed) {
    std::array<float, kLastParameter + 1> e{};
    for (int32_t k = 1; k <= kLastParameter; ++k)
        e[static_cast<std::size_t>(k)] = core::EditItemParams(k);
    auto& p = core::ParamBuffer;
    for (int32_t pair = 0; pair < kMaxPairs; ++pair) {
        const int32_t slot = 2 * pair + 1;
        const float number_value = p(slot);
        const float value = p(slot + 1);
        if (!std::isfinite(number_value) || !std::isfinite(value)) {
            const int32_t k = std::isfinite(number_value) ? slot + 1 : slot;
            const char* what = std::isnan(p(k)) ? "Not a number: " : "Number out of range: ";
            core::name_untaken_line("*** " + std::string(what) + shown_value(p(k), typed, k) +
                               " -- the line was not taken.");
            return false;
        }
        const int32_t number = core::int_of(number_value);
        if (number == 0 || number < -kLastParameter) break;
        if (number <= -4) {
            e[static_cast<std::size_t>(-number)] = -e[static_cast<std::size_t>(-number)];
            continue;
        }
        if (number < 0) continue;
        const int32_t code = core::int_of(e[1]);
        if (value == kClearValue) break;  // clears from P4 on: code and staff stay
        if (code == 16 && number == 26) continue;
        if (code == 6 && ((number == 8 && value < 0.0f) || value == 999.0f)) continue;

        int32_t target = 0;
        float new_value = value;
        int32_t shown = slot + 1;  // the typed field that names the new value, 0 for none
        if (number <= kLastParameter) {
            target = number;
        } else if (number < 100) {
            if (code == 16) continue;
            break;
        } else if (number < 20000) {
            target = number / 100;
            if (target > kLastParameter) {
                if (code == 16) continue;
                break;
            }
            new_value = e[static_cast<std::size_t>(target)] + value;
            shown = 0;
        } else {
            target = number / 10000;
            if (target > kLastParameter) {
                if (code == 16) continue;
                break;
            }
            if (!(value > 0.0f && value <= static_cast<float>(kLastParameter))) break;
            const int32_t source = core::int_of(value);
            if (source < 3) continue;
            new_value = e[static_cast<std::size_t>(source)];
            shown = 0;
        }
        if (target == 2 && !is_staff(new_value)) {
            refuse_staff(shown_value(new_value, typed, shown));
            return false;
        }
        if (target == 1 && !code_refusal(new_value, "").empty()) {
            refuse_code(new_value, shown_value(new_value, typed, shown));
            return false;
        }
        e[static_cast<std::size_t>(target)] = new_value;
    }
    return true;
}

}  // namespace edit
