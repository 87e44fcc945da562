#include "engine/layout/notes/note_geometry.h"

#include <algorithm>
#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"

namespace layout {

namespace {

using Row = core::Array1<float, kColumnWords>;

float position_of(const Row& row) { return core::amod(row(4), 100.0f); }
bool stem_down(const Row& row) { return core::amod(row(5), 100.0f) >= 20.0f; }

}  // namespace

// Contract: see the header. Marks of codes 50 and above move only when they would meet the
// stem's note from outside the staff; smaller ones stand a little off the note head, at most 0.9.
void compute_mark_offset(const Row& row, int32_t code, float& offset, int32_t& side) {
    if (code == 66 || code == 67) side = -side;
    const float p = position_of(row);
    if (stem_down(row)) {
        if (code >= 50) {
            if (p >= 12.0f && side < 0) offset = p - 11.0f;
        } else if (p < 11.0f) {
            offset = std::min(0.9f, (code == 5 ? 1.05f : 1.0f) - p / 10.0f);
        } else if (code == 5) {
            offset = 0.05f;
        }
    } else {
        if (code >= 50) {
            if (p <= 2.0f && side >= 0) offset = p - 3.0f;
        } else if (p > 3.0f) {
            offset = std::min(0.9f, p / 10.0f - (code == 5 ? 0.35f : 0.4f));
        } else if (code == 5) {
            offset = 0.05f;
        }
    }
}

int32_t find_code_in_table(int32_t code, int32_t side) {
    static constexpr int32_t kPlacedCodes[] = {4, 5, 8, 9, 10, 19};
    if (side < 0) return 0;
    for (int32_t k = 0; k < 6; ++k)
        if (kPlacedCodes[k] == code) return k + 1;
    return 0;
}

float make_position_even(float x, int32_t mode) {
    if (core::compute_real_mod(x, 2.0f) != 1.0f) return x;
    if (mode == 10) return std::trunc(x) > 11 ? x : x + 1.0f;
    return std::trunc(x) < 3 ? x : x - 1.0f;
}

}  // namespace layout
