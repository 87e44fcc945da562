#include "engine/edit/items/pair_helpers.h"

#include <algorithm>
#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"

namespace edit {

// Contract: see the header. Writes ParamBuffer P1.. and EditScratchCount. ParamBuffer's 56
// words hold 27 pairs and the end mark: further given slots are left out rather than written
// past the buffer (the applier takes 12 pairs at most anyway).
void pack_parameter_pairs() {
    int32_t next = 1;
    for (int32_t s = 1; s <= 33; ++s) {
        if (EditScratch(s) == kNotGiven) continue;
        if (next + 2 > core::ParamBuffer.size()) break;
        core::ParamBuffer(next) = static_cast<float>(s);
        core::ParamBuffer(next + 1) = EditScratch(s);
        next += 2;
        EditScratchCount = s;
    }
    core::ParamBuffer(next) = 0.0f;
}

void clear_parameters(int32_t a, int32_t b) {
    for (int32_t s = std::max(a, 1); s <= std::min(b, 50); ++s) EditScratch(s) = 0.0f;
}

void split_value_digits(int32_t& hundreds, int32_t& tens, int32_t& units, float& rest, float value) {
    const int32_t v = core::int_in(value, -2000000000, 2000000000);
    hundreds = v / 100;
    tens = (v % 100) / 10;
    units = v % 10;
    rest = core::amod(value, 1.0f);
}

// Contract: see the header. Reads EditItemParams and ParamBuffer(i - 1); writes ParamBuffer(i)
// and (i + 1). A cursor or k outside the tables is a defect the checked access reports.
void scale_pair_value(int32_t k, int32_t& i) {
    float below = core::EditItemParams(k - 1);
    if (below == 0.0f) below = 1.0f;
    core::ParamBuffer(i + 1) = core::ParamBuffer(i - 1) * core::EditItemParams(k) / below;
    core::ParamBuffer(i) = static_cast<float>(k);
    i += 2;
}

float keep_cue_offset(float e4, float d) {
    if (std::fabs(d) >= 100.0f) return e4 > 0.0f ? e4 - 100.0f : e4 + 100.0f;
    // The step part with the sign of e4; zero counts as positive on both sides.
    const float r = core::amod(e4, 100.0f);
    const bool e4_positive = e4 >= 0.0f;
    const bool step_positive = r + d >= 0.0f;
    if (e4_positive == step_positive) return e4 + d;
    return 2.0f * r - e4 + d;
}

float stepped_level(int32_t code, float p4, float d) {
    const bool cue_coded = code == 1 || code == 2 || code == 3 || code == 6;
    return cue_coded && std::fabs(p4) >= 100.0f ? keep_cue_offset(p4, d) : p4 + d;
}

StepHeights further_step_heights(int32_t code, float p5, float p7, int32_t end_mode) {
    StepHeights heights{};
    std::size_t n = 0;
    if (end_mode != 1 && code >= 4 && code <= 6 && p5 != 999.0f) heights[n++] = 5;
    if (code == 4 && p7 == 100.0f && end_mode == 0) {
        for (int32_t k = 9; k <= 17; k += 2) heights[n++] = k;
    }
    return heights;
}

}  // namespace edit
