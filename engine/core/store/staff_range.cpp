#include "engine/core/store/staff_range.h"

#include <cstdint>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"

namespace core {

void find_staff_range(float& highest, float& lowest) {
    highest = 0.0f;
    lowest = 999.0f;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const int32_t s = ItemStartTable(k);
        if (int_of(ItemStore(s)) < 2 || ItemStore(s + 1) != 8.0f) continue;
        const float p2 = ItemStore(s + 2);
        if (p2 > highest) highest = p2;
        if (p2 < lowest) lowest = p2;
    }
}

}  // namespace core
