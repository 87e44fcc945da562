#include "engine/layout/staff_range.h"

#include <cstdint>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"

namespace layout {

void find_staff_range(float& highest, float& lowest) {
    using core::ItemStore;
    highest = 0.0f;
    lowest = 999.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (core::int_of(ItemStore(s)) < 2 || ItemStore(s + 1) != 8.0f) continue;
        const float p2 = ItemStore(s + 2);
        if (p2 > highest) highest = p2;
        if (p2 < lowest) lowest = p2;
    }
}

}  // namespace layout
