#include "engine/core/store/clef_steps.h"

#include <array>
#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"

namespace core {

int32_t clef_step_offset(int32_t clef) {
    switch (clef) {
        case 1:
            return -12;
        case 2:
            return -6;
        case 3:
            return -8;
        case 4:
            return -7;
        default:
            return 0;
    }
}

int32_t clef_item_step_offset(float kind) {
    struct ClefOffset {
        float kind;
        int32_t offset;
    };
    static constexpr std::array<ClefOffset, 7> kOffsets{
        {{1.0f, -12}, {2.0f, -6}, {3.0f, -8}, {0.8f, -7}, {0.88f, 7}, {0.15f, 14}, {1.8f, -19}}};
    for (const ClefOffset& c : kOffsets)
        if (std::fabs(kind - c.kind) < 0.001f) return c.offset;
    return 0;
}

int32_t clef_item_at(int32_t staff, float position) {
    int32_t found = 0;
    float best = 0.0f;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const int32_t s = ItemStartTable(k);
        const int32_t n = static_cast<int32_t>(ItemStore(s));
        const auto param = [&](int32_t j) { return j <= n ? ItemStore(s + j) : 0.0f; };
        if (int_of(param(1)) != 3 || int_of(param(2)) != staff) continue;
        const float p3 = param(3);
        if (p3 > position || (found != 0 && p3 < best)) continue;
        best = p3;
        found = k;
    }
    return found;
}

}  // namespace core
