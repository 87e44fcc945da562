// Beam end heights: the direction from the notes' spread about the middle line, a flat beam
// where the group repeats its extreme, a slope that no inner note pokes through, limits on the
// slope (core::BeamTilt), and ends kept off the staff lines when flat.
#include "engine/layout/notes/beam_heights.h"

#include <algorithm>
#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/layout/tables.h"

namespace layout {

namespace {

constexpr float kMiddleLine = 7.0f;

// The stem code (1 up, 2 down, 0 none) of a row: the tens digit of its P5 (the hundreds flag of
// a chord marked for the other side left out).
int32_t stem_code_of_row(int32_t row) {
    const int32_t p5 = std::abs(core::int_of(ColumnRecords.rows(row)(5)));
    return (p5 % 100) / 10;
}

// The code of note k: from its column row back toward row 1, the first row with a stem code.
// fixed receives a non-zero P12 met on that row.
int32_t stem_code_of_note(int32_t k, float& fixed) {
    int32_t row = std::clamp(BeamNoteColumns(k), 1, kColumnRows);
    for (; row >= 1; --row) {
        const int32_t code = stem_code_of_row(row);
        if (code != 0) {
            const float p12 = ColumnRecords.rows(row)(12);
            if (p12 != 0.0f) fixed = p12;
            return code;
        }
    }
    return 0;
}

float column_x(int32_t k) {
    return ColumnRecords.rows(std::clamp(BeamNoteColumns(k), 1, kColumnRows))(3);
}

// The slope held to the limit: the steeper end moves one step toward the other when the ends
// are 3 or more apart, then the other end follows until the slope is the limit, never nearer
// than one step while a larger slope is allowed. The follower only ever comes toward the
// leader: when the first step already brought the slope within the limit it stays where it is
// (moving it out to the full limit would keep the beam as steep and shorten both stems).
void limit_slope(float& first, float& last, int32_t direction, float dx) {
    float d = std::fabs(first - last);
    const float limit = core::BeamTilt;
    if (d <= 1.5f || d / dx <= limit) return;
    float& lower = first < last ? first : last;
    float& higher = first < last ? last : first;
    // The end that moves first, and the one that then follows it.
    float& leader = direction == 20 ? lower : higher;
    float& follower = direction == 20 ? higher : lower;
    if (d >= 3.0f) {
        d -= 1.0f;
        leader += direction == 20 ? 1.0f : -1.0f;
    }
    // q runs from the limit up in hundredths while below d / dx (compared as the test above
    // compares, in single precision). No q below it: the slope is within the limit already.
    const double bound = static_cast<double>(d / dx);
    auto q_of = [limit](int64_t k) {
        return static_cast<double>(limit) + 0.01 * static_cast<double>(k);
    };
    if (!(q_of(0) < bound)) return;
    // Start just short of the first q that gives one step, so that a tiny width does not count
    // through millions of values (the values skipped would all give less than a step).
    auto steps_to = [limit](double q) {
        return static_cast<int64_t>(
            std::clamp((q - static_cast<double>(limit)) / 0.01, 0.0, 1.0e15));
    };
    int64_t k_last = steps_to(bound) + 1;
    while (k_last > 0 && !(q_of(k_last) < bound)) --k_last;
    int64_t k = 0;
    const double needed = 1.0 / dx;
    if (needed > limit) k = std::max<int64_t>(0, steps_to(needed) - 1);
    k = std::min(k, k_last);
    for (;; ++k) {
        const float span = static_cast<float>(dx * q_of(k));
        follower = direction == 20 ? leader + span : leader - span;
        if (span >= 1.0f || !(q_of(k + 1) < bound)) break;
    }
}

}  // namespace

// Contract: see the header. Reads BeamNoteHeights, BeamNoteColumns, ColumnRecords (P3, P5, P12)
// and core::BeamTilt; writes nothing else.
void compute_beam_ends(float& left, float& right, int32_t& direction, int32_t n, float x_first,
                       float x_last) {
    if (n < 1) return;
    n = std::min(n, kBeamNotes);

    float fixed = 0.0f;
    const int32_t group = stem_code_of_note(1, fixed);
    bool mixed = false;
    for (int32_t k = 2; k <= n; ++k)
        if (stem_code_of_note(k, fixed) != group) mixed = true;

    float first = 0.0f;
    float last = 0.0f;
    if (fixed != 0.0f && mixed) {
        // A cross-staff group with stems both ways: the beam lies at a set height.
        const float h = fixed == 2.0f ? (group == 2 ? 4.0f : -7.5f) : (group == 2 ? 21.5f : 10.0f);
        first = last = h;
        direction = 10 * group;
    } else {
        first = BeamNoteHeights(1);
        last = BeamNoteHeights(n);
        float highest = first;
        float lowest = first;
        for (int32_t k = 1; k <= n; ++k) {
            highest = std::max(highest, BeamNoteHeights(k));
            lowest = std::min(lowest, BeamNoteHeights(k));
        }
        if (direction == 0) {
            const float a = highest - kMiddleLine;
            const float b = kMiddleLine - lowest;
            if (a != b) {
                direction = a < b ? 10 : 20;
            } else {
                int32_t above = 0;
                int32_t below = 0;
                for (int32_t k = 1; k <= n; ++k) {
                    if (BeamNoteHeights(k) > kMiddleLine) ++above;
                    if (BeamNoteHeights(k) < kMiddleLine) ++below;
                }
                direction = below <= above ? 20 : 10;
            }
        }
        const bool up = direction == 10;
        const float extreme = up ? highest : lowest;
        const float dx = x_last - x_first;

        bool flat = false;
        if (first == last || dx <= 0.0f) {
            // Repeated ends, or no width to slope over: flat at the extreme.
            if (first != extreme || last != extreme) first = last = extreme;
            flat = true;
        } else {
            int32_t at_extreme = 0;
            for (int32_t k = 1; k <= n; ++k)
                if (BeamNoteHeights(k) == extreme) ++at_extreme;
            if (at_extreme >= 2) {
                first = last = extreme;
                flat = true;
            }
        }

        if (!flat) {
            // The inner note that pokes furthest through the line between the ends.
            const float s = (last - first) / dx;
            float worst = up ? -99.0f : 99.0f;
            int32_t worst_k = 0;
            for (int32_t k = 2; k <= n - 1; ++k) {
                const float d = BeamNoteHeights(k) - (first + s * (column_x(k) - x_first));
                if (up ? (d > 0.0f && d > worst) : (d < 0.0f && d < worst)) {
                    worst = d;
                    worst_k = k;
                }
            }
            if (worst_k != 0 && (up ? worst > 1.0f : worst < -1.0f)) {
                if (first != extreme && last != extreme) {
                    first = last = extreme;
                } else {
                    // Keep the end at the extreme; turn the line about it through the note,
                    // one step inside the note's height.
                    const float target = BeamNoteHeights(worst_k) + (up ? -1.0f : 1.0f);
                    const float xk = column_x(worst_k);
                    if (first == extreme) {
                        if (xk != x_first)
                            last = first + (target - first) * (x_last - x_first) / (xk - x_first);
                    } else if (xk != x_last) {
                        first = last + (target - last) * (x_first - x_last) / (xk - x_last);
                    }
                }
            }
        }

        if (direction == 20) {
            first = std::min(first, 14.0f);
            last = std::min(last, 14.0f);
        } else {
            first = std::max(first, 0.0f);
            last = std::max(last, 0.0f);
        }
        if (!flat && dx > 0.0f) limit_slope(first, last, direction, dx);
    }

    const int32_t l = core::int_of(2.0 * first);
    const int32_t r = core::int_of(2.0 * last);
    left = static_cast<float>(l) / 2.0f;
    right = static_cast<float>(r) / 2.0f;
    if (l == r && (l / 2) % 2 != 0) {
        // A flat beam on a staff line moves into the space.
        if (direction == 20 && l > 13) {
            left += 0.5f;
            right += 0.5f;
        } else if (direction == 10 && l < 15) {
            left -= 0.5f;
            right -= 0.5f;
        }
    }
}

}  // namespace layout
