#include "engine/render/lines/curves.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/fixed_array.h"
#include "engine/core/numeric.h"
#include "engine/render/tables.h"

namespace render {

namespace {

// A closed curve gains two points: the one before its closing point and the one after.
constexpr int kWorkPoints = kCurveInputPoints + 2;
constexpr int kOutputPoints = (kWorkPoints - 1) * kMaxCurvePointsPerSpan + 1;

// The fit runs on a coarse grid of 100 display units, shifted so that page coordinates give
// small numbers.
constexpr int64_t kGridStep = 100;
constexpr int64_t kGridOffsetX = 8000;
constexpr int64_t kGridOffsetY = -19000;
// Work coordinates are scaled up to about this size so that the REAL arithmetic keeps its
// precision on small grids.
constexpr int32_t kPrecisionTarget = 16000;
constexpr int32_t kSmallGrid = 1600;
constexpr int32_t kDefaultPrecision = 10;
// Stands in for a zero chord, pivot or product, so that nothing is divided by zero.
constexpr float kTiny = 0.1f;
// What the first segment's direction is compared with: no real ratio equals it.
constexpr float kNoRatio = 32000.0f;

constexpr int16_t kGivenPointOp = -1;
constexpr int16_t kCurveStartOp = -2;
constexpr int16_t kCurveEndOp = -3;

// The fit's own tables (static: the routine allocates nothing).
struct CurveWorkRecord {
    // The run as given, to put back when the fit fails.
    core::Array1<int32_t, kCurveInputPoints> saved_x, saved_y;
    core::Array1<int16_t, kCurveInputPoints> saved_op;
    int32_t saved_n = 0;
    // Given points: grid coordinates, and the same times the precision factor.
    core::Array1<int32_t, kWorkPoints> grid_x, grid_y;
    core::Array1<float, kWorkPoints> px, py;
    int32_t n = 0;
    int32_t factor = kDefaultPrecision;
    // Chords, the tridiagonal system and the tangents.
    core::Array1<float, kWorkPoints> chord, lower, diag, upper, rx, ry, tx, ty;
    // The fitted points (grid units) and whether each is a given point.
    core::Array1<float, kOutputPoints> out_x, out_y;
    core::Array1<uint8_t, kOutputPoints> out_given;
    int32_t out_n = 0;
    // The points kept by the thinning.
    core::Array1<int32_t, kOutputPoints> kept_x, kept_y;
    core::Array1<uint8_t, kOutputPoints> kept_given;
    int32_t kept_n = 0;
};
CurveWorkRecord CurveWork;

int32_t clamp_to_int(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// The curve's refusals: the curve is not drawn.
void refuse(const char* text) { core::show_prompt(core::ReplyKind::Failure, text); }

// Moves entries from..count of PathPointList by delta places (the list's count is left alone).
void move_entries(int32_t from, int32_t count, int32_t delta) {
    auto& list = PathPointList;
    if (delta == 0 || from > count) return;
    auto move = [&](int32_t i) {
        list.x(i + delta) = list.x(i);
        list.y(i + delta) = list.y(i);
        list.op(i + delta) = list.op(i);
    };
    if (delta > 0) {
        for (int32_t i = count; i >= from; --i) move(i);
    } else {
        for (int32_t i = from; i <= count; ++i) move(i);
    }
}

// Puts the run back as it was given: first..last now holds the (shorter) run of the grid.
void restore_run(int32_t& count, int32_t first, int32_t& last) {
    auto& w = CurveWork;
    auto& list = PathPointList;
    const int32_t delta = w.saved_n - (last - first + 1);
    move_entries(last + 1, count, delta);
    for (int32_t k = 1; k <= w.saved_n; ++k) {
        list.x(first + k - 1) = w.saved_x(k);
        list.y(first + k - 1) = w.saved_y(k);
        list.op(first + k - 1) = w.saved_op(k);
    }
    count += delta;
    last = first + w.saved_n - 1;
}

// A repeated point goes (the later one, or the earlier when the later starts something); the
// entries after it move down.
void remove_repeated_points(int32_t& count, int32_t first, int32_t& last) {
    auto& list = PathPointList;
    int32_t i = first + 1;
    while (i <= last) {
        if (list.x(i) != list.x(i - 1) || list.y(i) != list.y(i - 1)) {
            ++i;
            continue;
        }
        const int32_t gone = list.op(i) != 0 ? i - 1 : i;
        move_entries(gone + 1, count, -1);
        --count;
        --last;
    }
}

// Solves for the tangents of the work points and samples every span at pps steps. closed
// becomes 1 when the first and last points coincide (the spline then runs across them).
void fit_curve_spline(int32_t& closed, int32_t pps) {
    auto& w = CurveWork;
    int32_t n = w.n;
    closed = (w.grid_x(1) == w.grid_x(n) && w.grid_y(1) == w.grid_y(n)) ? 1 : 0;
    if (closed == 1) {
        const int32_t before_x = w.grid_x(n - 1), before_y = w.grid_y(n - 1);
        const float before_px = w.px(n - 1), before_py = w.py(n - 1);
        for (int32_t k = n; k >= 1; --k) {
            w.grid_x(k + 1) = w.grid_x(k);
            w.grid_y(k + 1) = w.grid_y(k);
            w.px(k + 1) = w.px(k);
            w.py(k + 1) = w.py(k);
        }
        w.grid_x(1) = before_x;
        w.grid_y(1) = before_y;
        w.px(1) = before_px;
        w.py(1) = before_py;
        w.grid_x(n + 2) = w.grid_x(3);
        w.grid_y(n + 2) = w.grid_y(3);
        w.px(n + 2) = w.px(3);
        w.py(n + 2) = w.py(3);
        n += 2;
        w.n = n;
    }
    for (int32_t k = 1; k < n; ++k) {
        const float dx = w.px(k + 1) - w.px(k);
        const float dy = w.py(k + 1) - w.py(k);
        const float t = std::sqrt(dx * dx + dy * dy);
        w.chord(k) = t == 0.0f ? kTiny : t;
    }
    // Free end at the start, inner rows, free end at the end.
    w.lower(1) = 0.0f;
    w.diag(1) = 1.0f;
    w.upper(1) = 0.5f;
    const float s1 = 3.0f / (2.0f * w.chord(1));
    w.rx(1) = s1 * (w.px(2) - w.px(1));
    w.ry(1) = s1 * (w.py(2) - w.py(1));
    for (int32_t k = 2; k < n; ++k) {
        const float a = w.chord(k - 1);
        const float b = w.chord(k);
        float product = a * b;
        if (product == 0.0f) product = kTiny;
        w.lower(k) = b;
        w.diag(k) = 2.0f * (a + b);
        w.upper(k) = a;
        const float s = 3.0f / product;
        w.rx(k) = s * (a * a * (w.px(k + 1) - w.px(k)) + b * b * (w.px(k) - w.px(k - 1)));
        w.ry(k) = s * (a * a * (w.py(k + 1) - w.py(k)) + b * b * (w.py(k) - w.py(k - 1)));
    }
    w.lower(n) = 2.0f;
    w.diag(n) = 4.0f;
    w.upper(n) = 0.0f;
    const float sn = 6.0f / w.chord(n - 1);
    w.rx(n) = sn * (w.px(n) - w.px(n - 1));
    w.ry(n) = sn * (w.py(n) - w.py(n - 1));

    for (int32_t k = 2; k <= n; ++k) {
        float pivot = w.diag(k - 1);
        if (pivot == 0.0f) pivot = kTiny;
        const float m = w.lower(k) / pivot;
        w.diag(k) -= m * w.upper(k - 1);
        w.rx(k) -= m * w.rx(k - 1);
        w.ry(k) -= m * w.ry(k - 1);
    }
    for (int32_t k = n; k >= 1; --k) {
        float pivot = w.diag(k);
        if (pivot == 0.0f) pivot = kTiny;
        const float next_x = k < n ? w.tx(k + 1) : 0.0f;
        const float next_y = k < n ? w.ty(k + 1) : 0.0f;
        w.tx(k) = (w.rx(k) - w.upper(k) * next_x) / pivot;
        w.ty(k) = (w.ry(k) - w.upper(k) * next_y) / pivot;
    }

    const float f = static_cast<float>(w.factor);
    int32_t out = 0;
    for (int32_t k = 1; k < n; ++k) {
        const float t = w.chord(k);
        const float b3x =
            3.0f * (w.px(k + 1) - w.px(k)) / (t * t) - (2.0f * w.tx(k) + w.tx(k + 1)) / t;
        const float b3y =
            3.0f * (w.py(k + 1) - w.py(k)) / (t * t) - (2.0f * w.ty(k) + w.ty(k + 1)) / t;
        const float b4x =
            2.0f * (w.px(k) - w.px(k + 1)) / (t * t * t) + (w.tx(k) + w.tx(k + 1)) / (t * t);
        const float b4y =
            2.0f * (w.py(k) - w.py(k + 1)) / (t * t * t) + (w.ty(k) + w.ty(k + 1)) / (t * t);
        for (int32_t j = (k == 1 ? 0 : 1); j <= pps; ++j) {
            const float tau = static_cast<float>(j) * t / static_cast<float>(pps);
            ++out;
            w.out_x(out) = (w.px(k) + tau * (w.tx(k) + tau * (b3x + tau * b4x))) / f;
            w.out_y(out) = (w.py(k) + tau * (w.ty(k) + tau * (b3y + tau * b4y))) / f;
            w.out_given(out) = 0;
        }
    }
    w.out_n = out;
    // The samples that land on the given points, in order, are the given points.
    int32_t next = 1;
    for (int32_t i = 1; i <= out && next <= n; ++i) {
        if (core::nint(w.out_x(i)) == w.grid_x(next) && core::nint(w.out_y(i)) == w.grid_y(next)) {
            w.out_given(i) = 1;
            ++next;
        }
    }
}

// Keeps the fitted points that add something: given points always; a point whose neighbours
// share its x or its y goes; a point that goes on in the direction of the last kept segment
// takes the place of that segment's end (unless that end is a given point). A closed curve
// loses the two spans that only shaped its closing point.
void thin_curve_points(int32_t closed, int32_t pps) {
    auto& w = CurveWork;
    int32_t from = 1;
    int32_t to = w.out_n;
    if (closed == 1) {
        from += pps;
        to -= pps;
    }
    int32_t kept = 0;
    float last_ratio = kNoRatio;
    for (int32_t i = from; i <= to; ++i) {
        const int32_t x = core::nint(w.out_x(i));
        const int32_t y = core::nint(w.out_y(i));
        const bool given = w.out_given(i) != 0;
        if (!given && i > from && i < to) {
            const int32_t xa = core::nint(w.out_x(i - 1)), ya = core::nint(w.out_y(i - 1));
            const int32_t xb = core::nint(w.out_x(i + 1)), yb = core::nint(w.out_y(i + 1));
            if ((xa == x && xb == x) || (ya == y && yb == y)) continue;
        }
        if (kept > 0) {
            const int32_t dx = x - w.kept_x(kept);
            const int32_t dy = y - w.kept_y(kept);
            const float ratio = dy == 0 ? 0.0f : static_cast<float>(dx) / static_cast<float>(dy);
            const bool same_way = ratio == last_ratio;
            last_ratio = ratio;
            if (same_way && !given && w.kept_given(kept) == 0 && kept > 1) {
                w.kept_x(kept) = x;
                w.kept_y(kept) = y;
                continue;
            }
        }
        ++kept;
        w.kept_x(kept) = x;
        w.kept_y(kept) = y;
        w.kept_given(kept) = given ? 1 : 0;
    }
    w.kept_n = kept;
}

}  // namespace

// Contract: see the header.
void draw_free_curve(int32_t& count, int32_t& first, int32_t& last, int32_t points_per_span) {
    auto& list = PathPointList;
    auto& w = CurveWork;
    if (count < 0 || count > kPathPoints)
        core::report_index_defect("curve count", count, 0, kPathPoints);
    if (first < 1 || first > count) core::report_index_defect("curve run start", first, 1, count);
    if (last < first || last > count)
        core::report_index_defect("curve run end", last, first, count);
    if (last - first > kCurveInputPoints - 1) {
        refuse("*** Too many points. Limit=50");
        return;
    }
    const int32_t pps = (points_per_span >= 1 && points_per_span <= kMaxCurvePointsPerSpan)
                            ? points_per_span
                            : kDefaultCurvePointsPerSpan;

    w.saved_n = last - first + 1;
    for (int32_t k = 1; k <= w.saved_n; ++k) {
        const int32_t i = first + k - 1;
        w.saved_x(k) = list.x(i);
        w.saved_y(k) = list.y(i);
        w.saved_op(k) = list.op(i);
        list.x(i) = clamp_to_int((static_cast<int64_t>(list.x(i)) - kGridOffsetX) / kGridStep);
        list.y(i) = clamp_to_int((static_cast<int64_t>(list.y(i)) - kGridOffsetY) / kGridStep);
    }
    remove_repeated_points(count, first, last);
    if (last - first < 2) {
        restore_run(count, first, last);
        list.count = count + 1;
        refuse("*** Must have more than 2 points.");
        return;
    }

    w.n = last - first + 1;
    int32_t largest = 0;
    for (int32_t k = 1; k <= w.n; ++k) {
        w.grid_x(k) = list.x(first + k - 1);
        w.grid_y(k) = list.y(first + k - 1);
        largest = std::max({largest, std::abs(w.grid_x(k)), std::abs(w.grid_y(k))});
    }
    w.factor = kDefaultPrecision;
    if (largest > kSmallGrid) w.factor = std::max(1, kPrecisionTarget / largest);
    for (int32_t k = 1; k <= w.n; ++k) {
        w.px(k) = static_cast<float>(w.grid_x(k)) * static_cast<float>(w.factor);
        w.py(k) = static_cast<float>(w.grid_y(k)) * static_cast<float>(w.factor);
    }

    int32_t closed = 0;
    fit_curve_spline(closed, pps);
    thin_curve_points(closed, pps);

    const int32_t run = last - first + 1;
    const int32_t delta = w.kept_n - run;
    if (w.kept_n < 1 || count + delta > kPathPoints) {
        restore_run(count, first, last);
        list.count = count + 1;
        return;
    }
    const int16_t start_op = list.op(first) == 0 ? kCurveStartOp : list.op(first);
    move_entries(last + 1, count, delta);
    for (int32_t k = 1; k <= w.kept_n; ++k) {
        const int32_t i = first + k - 1;
        list.x(i) = clamp_to_int(static_cast<int64_t>(w.kept_x(k)) * kGridStep + kGridOffsetX);
        list.y(i) = clamp_to_int(static_cast<int64_t>(w.kept_y(k)) * kGridStep + kGridOffsetY);
        list.op(i) = w.kept_given(k) != 0 ? kGivenPointOp : 0;
    }
    count += delta;
    last = first + w.kept_n - 1;
    list.op(first) = start_op;
    list.op(last) = kCurveEndOp;
    list.count = count + 1;
}

}  // namespace render
