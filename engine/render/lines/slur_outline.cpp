// The slur's arch: the filled tapered outline built level from its left end, its dots and
// dashes, the cuts and the gap for the tuplet figure.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/render/lines/boxes.h"
#include "engine/render/lines/slurs_work.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/tables.h"

namespace render {

namespace {

// Offsets of a dot's outline: point j (1..9) lies at (t(j), t(j + 2)), a closed octagon.
constexpr std::array<float, 11> kDotShape = {-1.6f, -1.6f, -0.6f, 0.6f,  1.6f, 1.6f,
                                             0.6f,  -0.6f, -1.6f, -1.6f, -0.6f};

// Room for a copy of the whole list: the dots and dashes are rebuilt from a copy of the outline
// in place, and the figure's gap from a copy of the polygon.
struct OutlineCopy {
    std::array<int32_t, kPathPoints> x;
    std::array<int32_t, kPathPoints> y;
};
OutlineCopy Copy;

enum class Stroke { Solid, Dots, Dashes };

// A whole coordinate held within +-kFarCoordinate, so that sums of huge values cannot overflow.
int32_t held(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, -kFarCoordinate, kFarCoordinate));
}

// Entry i of PathPointList as (x, y, op).
void set_entry(int32_t i, int32_t x, int32_t y, int16_t op) {
    PathPointList.x(i) = x;
    PathPointList.y(i) = y;
    PathPointList.op(i) = op;
}

// Copies entries from..from + n - 1 aside (n entries at most kPathPoints).
void copy_aside(int32_t from, int32_t n) {
    for (int32_t k = 0; k < n; ++k) {
        Copy.x[static_cast<std::size_t>(k)] = PathPointList.x(from + k);
        Copy.y[static_cast<std::size_t>(k)] = PathPointList.y(from + k);
    }
}

// Moves entries from..count - 1 down to start at `to` (to <= from).
void move_down(int32_t from, int32_t to) {
    auto& list = PathPointList;
    const int32_t n = list.count - from;
    for (int32_t k = 0; k < n; ++k)
        set_entry(to + k, list.x(from + k), list.y(from + k), list.op(from + k));
    list.count = to + n;
}

}  // namespace

ParamWords save_param_words() {
    ParamWords w;
    for (int32_t k = 3; k <= 20; ++k) {
        w.real[static_cast<std::size_t>(k - 3)] = core::ParamBuffer(k);
        w.whole[static_cast<std::size_t>(k - 3)] = core::IntParamBuffer(k);
    }
    return w;
}

void restore_param_words(const ParamWords& words) {
    for (int32_t k = 3; k <= 20; ++k) {
        core::ParamBuffer(k) = words.real[static_cast<std::size_t>(k - 3)];
        core::IntParamBuffer(k) = words.whole[static_cast<std::size_t>(k - 3)];
    }
}

// Contract: see slurs_work.h. Writes PathPointList from its count on, QuadWork for the dashes
// and ParamBuffer 13 (the working thickness, restored by the caller).
bool build_slur_outline(SlurShape& w) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    auto& list = PathPointList;
    const int32_t limit = path_limit();
    const int32_t s = list.count;

    // Points per edge.
    const int32_t whole_length = truncate_real(w.length);
    int32_t dash = ip(11);
    int64_t n = 2 * static_cast<int64_t>(whole_length / (dash != 0 ? 500 : 200));
    if (n < 8) n = 8;
    n += 2 * std::abs(static_cast<int64_t>(ip(7)));
    if (dash != 0) {
        if (dash < -3) dash /= 2;
        dash = dash == INT32_MIN ? INT32_MAX : std::abs(dash);
        if (dash == 1) {
            n -= 2;
            if (p(11) <= 0.0f && n > 8) {
                int64_t m = n / 2 - 2;
                if (m % 2 != 0) m -= 1;
                n = m >= 5 ? m : 6;
            }
        } else {
            n = (w.half > 0 ? 4 : 2) * static_cast<int64_t>(dash);
        }
    }
    w.dash_code = dash;
    const Stroke stroke =
        dash == 0 ? Stroke::Solid : (p(11) <= 0.0f ? Stroke::Dots : Stroke::Dashes);
    // The whole outline (both edges) has to fit below the limit.
    if (static_cast<int64_t>(s) + 2 * n - 2 > limit) return false;
    const auto edge = static_cast<int32_t>(n);
    const int32_t half = edge / 2;
    const int32_t e = s + edge - 1;
    const double step = static_cast<double>(w.length) / (edge - 1);

    // First edge: x advances to the apex at the fraction `apex`, y follows the power profile.
    double run = w.xl;
    for (int32_t k = 0; k < edge; ++k) {
        if (k > 0) run += (k <= half - 1 ? 2.0 * w.apex : 2.0 - 2.0 * w.apex) * step;
        set_entry(s + k, held(truncate_real(static_cast<float>(run))), 0, 0);
    }
    list.op(s) = 2;
    const float exponent = std::max(p(9) + 2.5f, 0.1f);
    const int32_t base = held(truncate_real(w.yl + w.h));
    for (int32_t k = half - 1; k >= 0; --k) {
        const double f =
            std::pow(static_cast<double>(k) / (half - 1), static_cast<double>(exponent));
        const int32_t v = held(truncate_real(static_cast<float>(base - f * w.h)));
        list.y(s + (half - 1 - k)) = v;
        list.y(e - (half - 1 - k)) = v;
    }

    // Thickness on the convex side, reaching its full value after the fraction P19 of each half.
    float factor = p(13) == 0.0f ? core::SlurThickness : p(13);
    if (factor <= 0.0f) factor = 1.0f;
    if (whole_length < 3000) {
        factor *= whole_length <= 600
                      ? 0.6f
                      : 1.0f - static_cast<float>(3000 - whole_length) * 0.4f / 2400.0f;
    }
    p(13) = factor;
    const float full = factor * w.scale * 3.5f;
    const int32_t thick = truncate_real(full + 0.5f);
    const float taper = p(19) == 0.0f ? 0.85f : p(19);
    const float increment = full / (taper * static_cast<float>(half - 1));
    const int32_t side = ip(7) < 0 ? -1 : 1;
    for (int32_t j = 1; j <= edge - 1; ++j) set_entry(e + j, list.x(e - j), 0, 0);
    float t = 0.0f;
    for (int32_t j = 1; j <= half; ++j) {
        if (truncate_real(t) < thick) t = std::min(t + increment, static_cast<float>(thick));
        const int32_t d = side * truncate_real(t);
        list.y(e + j) = held(static_cast<int64_t>(list.y(e - j)) + d);
        list.y(e + edge - j) = held(static_cast<int64_t>(list.y(s + j - 1)) + d);
    }
    list.y(e + edge - 1) = list.y(s);
    list.count = s + 2 * edge - 1;
    auto mirror = [&](int32_t k) { return s + 2 * edge - 2 - k; };  // k relative to s

    if (w.half < 0) {
        for (int32_t k = half; k < edge; ++k) {
            const int64_t delta = 2 * (static_cast<int64_t>(base) - list.y(s + k));
            list.y(s + k) = held(list.y(s + k) + delta);
            if (k != edge - 1) list.y(mirror(k)) = held(list.y(mirror(k)) + delta);
        }
    }

    if (stroke == Stroke::Dots && static_cast<int64_t>(s) - 1 + 9 * n <= limit) {
        copy_aside(s, edge);
        float size = w.scale;
        if (p(13) > 0.0f) size *= p(13);
        std::array<int32_t, 11> t_dot{};
        for (std::size_t j = 0; j < 11; ++j) t_dot[j] = core::nint(size * kDotShape[j]);
        int32_t at = s;
        for (int32_t k = 0; k < edge; ++k) {
            const int32_t x = Copy.x[static_cast<std::size_t>(k)];
            const int32_t y = Copy.y[static_cast<std::size_t>(k)];
            for (std::size_t j = 0; j < 9; ++j)
                set_entry(at++, held(static_cast<int64_t>(x) + t_dot[j]),
                          held(static_cast<int64_t>(y) + t_dot[j + 2]),
                          static_cast<int16_t>(j == 0 ? 2 : 0));
        }
        list.count = at;
    } else if (stroke == Stroke::Dashes) {
        const int32_t total = 2 * edge - 1;
        copy_aside(s, total);
        list.count = s;
        const int32_t per_piece = OutputPassWord == kPsPass ? 6 : 5;
        auto piece = [&](int32_t a) {
            if (list.count + per_piece - 1 > limit) return;
            const auto corner = [&](int32_t c, int32_t k) {
                QuadWork.x(c) = static_cast<float>(Copy.x[static_cast<std::size_t>(k)]);
                QuadWork.y(c) = static_cast<float>(Copy.y[static_cast<std::size_t>(k)]);
            };
            corner(1, a);
            corner(2, a + 1);
            corner(3, 2 * edge - 2 - (a + 1));
            corner(4, 2 * edge - 2 - a);
            QuadWork.start_op = 2;
            add_path_quad();
        };
        int32_t a = w.half >= 2 ? 1 : 0;
        for (; a + 1 <= edge - 2; a += 2) piece(a);
        if (w.half != 1) piece(edge - 2);
    }

    // Cuts.
    int32_t polygon_edge = edge;  // points per edge of a solid outline as it stands
    const float half_step = static_cast<float>(step * 0.5);
    if (w.cut_left > 0.0f) {
        if (w.cut_left > 0.94f) {
            list.count = s;
            return false;
        }
        const int32_t threshold = truncate_real(half_step + w.cut_left * w.length + w.xl);
        int32_t i = s;
        while (i < list.count &&
               (list.x(i) < threshold || (stroke != Stroke::Solid && list.op(i) == 0)))
            ++i;
        if (stroke == Stroke::Solid) {
            const int32_t k = i - s;
            if (k >= polygon_edge - 1) {
                list.count = s;
                return false;
            }
            const int32_t last = mirror(k);
            list.count = last + 1;
            move_down(i, s);
            list.op(s) = 2;
            if (list.count <= limit) {
                set_entry(list.count, list.x(s), list.y(s), 0);
                ++list.count;
            }
            polygon_edge -= k;
        } else {
            move_down(i, s);
        }
    }
    if (w.cut_right > 0.0f) {
        const int32_t threshold = truncate_real(w.cut_right * w.length + w.xl - half_step);
        if (stroke == Stroke::Solid) {
            int32_t k = 0;
            while (k < polygon_edge && list.x(s + k) < threshold) ++k;
            if (k == 0) {
                list.count = s;
                return false;
            }
            if (k < polygon_edge) move_down(s + 2 * polygon_edge - 2 - k, s + k);
        } else {
            int32_t i = s;
            while (i < list.count && list.x(i) < threshold) ++i;
            while (i > s && i < list.count && list.op(i) == 0) --i;
            list.count = std::min(list.count, i);
        }
    }

    // The gap for the figure at the apex of a whole solid slur.
    if (stroke == Stroke::Solid && w.number > 0 && w.cut_left <= 0.0f && w.cut_right == 0.0f &&
        w.scale > 0.0f && step > 0.0) {
        const int32_t c = list.count - s;
        const double g = w.number <= 9 ? 400.0 : 600.0;
        const double width = g / ((25.0 / w.scale) * step);
        const int32_t m = core::int_of(c * 0.25 - width * 0.5);
        if (m < 1) {
            list.count = s;
            return false;
        }
        copy_aside(s, c);
        int32_t at = s;
        auto keep = [&](int32_t k, int16_t op) {
            set_entry(at++, Copy.x[static_cast<std::size_t>(k)],
                      Copy.y[static_cast<std::size_t>(k)], op);
        };
        for (int32_t k = 0; k < m; ++k) keep(k, k == 0 ? 2 : 0);
        for (int32_t k = 2 * edge - 1 - m; k <= 2 * edge - 2; ++k) keep(k, 0);
        for (int32_t k = edge - m; k <= edge + m - 1; ++k) keep(k, k == edge - m ? 2 : 0);
        list.count = at;
    }
    return list.count > s;
}

}  // namespace render
