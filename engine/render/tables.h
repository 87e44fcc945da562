// The shared tables of item rendering.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace render {

constexpr int kPathPoints = 50000;

// One item's outline in page display units; the count is the next free entry (1 = empty).
// Drawers append; the hand-over to the screen or PostScript empties it.
struct PathPointListRecord {
    core::Array1<int16_t, kPathPoints> op;
    core::Array1<int32_t, kPathPoints> x;
    core::Array1<int32_t, kPathPoints> y;
    int32_t count = 1;
};
extern PathPointListRecord PathPointList;

void reset_render_tables();

}  // namespace render
