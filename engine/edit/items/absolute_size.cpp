#include "engine/edit/items/absolute_size.h"

#include <algorithm>
#include <cmath>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/fixed_array.h"
#include "engine/core/numeric.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"

namespace edit {

namespace {

constexpr int32_t kParams = 50;
constexpr float kPointsPerSize = 13.56f;

// The size parameter of an item code (P5 of a bar line says whether it has one: P17), 0 for
// the codes that have none.
int32_t size_parameter(int32_t code, const core::Array1<float, kParams>& p) {
    switch (code) {
        case 1:
        case 2:
            return 15;
        case 7:
            return p(7) == 20.0f ? 9 : 5;
        case 8:
        case 15:
            return 5;
        case 18:
            return 7;
        case 14:
            return p(5) > 0.0f ? 17 : 6;
        case 4:
        case 5:
        case 6:
        case 17:
            return 0;
        default:
            return code >= 3 ? 6 : 0;
    }
}

}  // namespace

float staff_size(int32_t staff) {
    if (staff < 0 || staff > layout::kMaxStaves) return 1.0f;
    const float size = layout::StaffTables.StaffScale(staff) / 25.0f;
    return size == 0.0f ? 1.0f : size;
}

// Contract: see the header.
void report_absolute_size(const float* params, float& value, float& result, int32_t& index,
                          int32_t count, int32_t mode) {
    core::Array1<float, kParams> p;
    p.fill(0.0f);
    const int32_t copied = count == 0 ? kParams : std::clamp(count, 0, kParams);
    for (int32_t k = 1; k <= copied; ++k) p(k) = params[k - 1];

    const int32_t code = core::int_of(p(1));
    index = size_parameter(code, p);
    if (index == 0) return;
    const float s = staff_size(core::int_of(p(2)));

    if (value != 0.0f) {
        // The new size goes into P17 of a bar line, so its flag hundreds are P17's.
        if (code == 14) index = 17;
        result = value;
        if (mode == 99) {
            result = value / (s * kPointsPerSize);
        } else if (code != 8) {
            result = value / s + static_cast<float>(core::int_of(p(index)) / 100 * 100);
        }
        value = result;
        if (code == 12 && p(5) >= 0.0f && p(7) != 0.0f) {
            const float old_size = p(index) == 0.0f ? 1.0f : p(index);
            EditScratch(7) = result * p(7) / old_size;
        }
        return;
    }

    float absolute = 0.0f;
    if (code == 14) {
        absolute = p(17) == 0.0f ? s : p(17);
    } else {
        absolute = core::amod(p(index), 100.0f) * s;
        if (absolute == 0.0f || code == 8) absolute = s;
    }
    core::FixedText<160> text;
    text.set("*** Absolute size =         ||Staff size =     ");
    text.put(21, 27, core::format_real("(1f7.2)", absolute));
    text.put(42, 46, core::format_real("(1f5.2)", s));
    core::convert_bars_to_newlines(text);
    core::show_notice(text.trimmed());
}

}  // namespace edit
