#include <cmath>
#include <limits>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int16_t kLineWidthOp = 99;
constexpr float kDegreesPerRadian = 57.2957763671875f;
constexpr int32_t kShiftStep = 14;            // display units between thickening copies
constexpr int32_t kUnshiftedBelow = -192600;  // x of entries the x copies leave in place

// The shift of copy j (1-based): +14, -14, +28, -28, +42, ...
int32_t copy_shift(int32_t j) {
    const int32_t size = kShiftStep * ((j + 1) / 2);
    return (j % 2 == 1) ? size : -size;
}

// v + d, held inside the 32-bit range (points far off the page are saturated already).
int32_t shifted(int32_t v, int32_t d) {
    const int64_t r = static_cast<int64_t>(v) + d;
    if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

}  // namespace

// Contract: see the header. Reads IntParamBuffer(1), P3 and ItemDrawOrigin for Code 16 items;
// writes PathPointList x and y of the entries turned.
void rotate_path_points(int32_t first, float cx, float cy, float angle) {
    auto& list = PathPointList;
    float radians = 0.0f;
    int32_t from = first;
    if (first <= 0) {
        radians = -angle;
        from = -first;
    } else {
        radians = angle / kDegreesPerRadian;
    }
    if (from < 1) from = 1;
    float centre_x = static_cast<float>(core::int_of(cx));
    float centre_y = static_cast<float>(core::int_of(cy));
    if (core::IntParamBuffer(1) == 16) {
        centre_x = core::ParamBuffer(3) * 150.0f;
        centre_y = ItemDrawOrigin.y;
    }
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    const int32_t last = list.count - 1 < kPathPoints ? list.count - 1 : kPathPoints;
    for (int32_t i = from; i <= last; ++i) {
        if (list.op(i) == kLineWidthOp) continue;
        const float dx = static_cast<float>(list.x(i)) - centre_x;
        const float dy = static_cast<float>(list.y(i)) - centre_y;
        list.x(i) = core::int_of(centre_x + s * dy + c * dx);
        list.y(i) = core::int_of(centre_y + c * dy - s * dx);
    }
}

// Contract: see the header. Reads OutputPassWord; writes PathPointList (pens of the source
// for code <= 0, appended copies otherwise).
void thicken_path(int32_t code, int32_t first) {
    auto& list = PathPointList;
    const int32_t from = first < 1 ? 1 : first;
    const int32_t last = list.count - 1 < kPathPoints ? list.count - 1 : kPathPoints;
    if (from > last) return;  // nothing to thicken (a huge code would only spin)
    if (code <= 0) {
        if (OutputPassWord == 0) return;
        for (int32_t i = from; i <= last; ++i) {
            if (list.op(i) > 1) list.op(i) = 1;
        }
        return;
    }
    int32_t vertical = code / 100;
    int32_t horizontal = code % 100;
    if (OutputPassWord != 0) {
        vertical *= 2;
        horizontal *= 2;
    }
    // Appends a copy of the source shifted by (dx, dy); false once the list is full.
    auto append_copy = [&](int32_t dx, int32_t dy) {
        for (int32_t i = from; i <= last; ++i) {
            const int32_t c = list.count;
            if (c < 1 || c > kPathPoints) return false;
            const int32_t x = list.x(i);
            list.x(c) = (dx != 0 && x < kUnshiftedBelow) ? x : shifted(x, dx);
            list.y(c) = shifted(list.y(i), dy);
            list.op(c) = list.op(i);
            list.count = c + 1;
        }
        return true;
    };
    for (int32_t j = 1; j <= vertical; ++j) {
        if (!append_copy(0, copy_shift(j))) return;
    }
    for (int32_t j = 1; j <= horizontal; ++j) {
        if (!append_copy(copy_shift(j), 0)) return;
    }
}

}  // namespace render
