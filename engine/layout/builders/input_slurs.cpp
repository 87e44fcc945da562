// The slurs line of typed input. Each pair of note numbers becomes a slur or tie row (code 5):
// its side from the stems, ends at the heads or past the stem tips, a bow from its length, and
// clearance of articulation marks and of the notes between its ends. A tie from a chord ties
// every note of the chord, split between the two sides.
#include "engine/layout/builders/input_slurs.h"

#include <algorithm>
#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/layout/builders/input_beams.h"
#include "engine/layout/builders/input_builders.h"
#include "engine/layout/notes/note_geometry.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/tables.h"

namespace layout {

namespace {

float& F(int32_t row, int32_t word) { return ColumnRecords.rows(row)(word); }

int32_t token_count() {
    return std::clamp(core::int_of(InputTokenList(0)), 0, kInputTokenCapacity);
}

float step_of(int32_t row) { return core::amod(F(row, 4), 100.0f); }

// The row's own stem code: 10 up, 20 down, 0 none.
int32_t raw_stem_code(int32_t row) { return 10 * ((std::abs(core::int_of(F(row, 5))) % 100) / 10); }

// The stem code a slur end reads: a note without one counts as up below the middle line.
int32_t stem_code(int32_t row) {
    const int32_t s = raw_stem_code(row);
    if (s != 0) return s;
    return step_of(row) < 7.0f ? 10 : 20;
}

// Moves x by amount toward the slur's side.
float toward(float x, float amount, int32_t direction) {
    return direction == 10 ? x + amount : x - amount;
}

bool is_articulation(int32_t k) {
    static constexpr int32_t kCodes[] = {4, 5, 6, 7, 8, 9, 10, 19, 30, 31, 32, 33, 34, 35};
    return std::find(std::begin(kCodes), std::end(kCodes), std::abs(k)) != std::end(kCodes);
}

// The right end of the input staff (the page's when it has no staff item).
float staff_right_end() {
    float left = 0.0f;
    float right = render::PageExtent;
    int32_t found = 0;
    render::StaffLookupNumber = InputStaff;
    render::get_staff_ends(left, right, found);
    return right;
}

}  // namespace

float slur_end_height(int32_t row, int32_t direction, float h, int32_t s) {
    const float tip = raw_stem_code(row) == 0 ? 2.0f : core::amod(F(row, 8), 100.0f) + 8.0f;
    if (s < 20) return direction == 20 ? h - 2.0f : h + tip;
    return direction == 20 ? h - tip : h + 2.0f;
}

float tie_height(float h, int32_t direction) {
    const float move = core::int_of(h) % 2 == 0 ? 0.5f : 1.2f;
    return toward(h, move, direction);
}

// Contract: see the header. Reads the row's P4 and P11; may write its P11.
void clear_articulation(float& end, int32_t row, int32_t s, const SlurWork& slur) {
    const float m = F(row, 11);
    const int32_t k = core::int_of(m);
    if (k == 0 || std::fabs(m - static_cast<float>(k)) > 0.1f || !is_articulation(k)) return;
    const int32_t d = slur.direction;
    if (k < 0) {
        if (s == d) end = toward(end, 1.5f, d);
        return;
    }
    if (s == d) return;
    if (slur.flagged) {
        end = toward(end, 1.5f, d);
    } else if (k == 6 || k == 7) {
        const int32_t h = core::int_of(step_of(row));
        const bool around = h % 2 != 0 && h > 0 && ((h < 9 && s == 20) || (h > 5 && s == 10));
        end = toward(end, around ? 2.5f : 1.5f, d);
    } else if (core::amod(m, 1.0f) <= 0.2f) {
        // The end stays; the mark moves off it (its fraction is its offset in tenths of steps).
        F(row, 11) = m + 0.18f;
    }
}

// Contract: see the header. Reads the rows between first_row and last_row (P1, P3, P4, P5,
// P11); writes the slur's P4, P5 or P7. A slur with no width takes no slope.
void lift_over_inner_notes(SlurWork& slur) {
    auto& p = slur.p;
    const int32_t d = slur.direction;
    const float g = d == 20 ? -2.5f : 2.5f;
    for (int32_t r = slur.first_row + 1; r < slur.last_row; ++r) {
        if (F(r, 1) != 1.0f || raw_stem_code(r) == d) continue;
        float y = F(r, 4);
        if (y >= 100.0f) y -= 100.0f;
        if (y <= -100.0f) y += 100.0f;
        float k = 0.0f;
        if (F(r, 11) > 0.0f) {
            k = 10.0f * core::amod(F(r, 11), 1.0f) + 2.0f;
            if (raw_stem_code(r) == 10) k = -k;
        }
        const float e = y + k;
        const float width = p(6) - p(3);
        const float slope = width != 0.0f ? (F(r, 3) - p(3)) * (p(5) - p(4)) / width : 0.0f;
        const float line = p(4) - g + p(7) + slope;
        if (d == 10 ? e > line : e < line) {
            const float over = e - line;
            if (slur.flagged) {
                const float move = d == 10 ? over + 0.5f : over - 0.5f;
                p(4) += move;
                p(5) += move;
            } else {
                p(7) += over;
            }
        }
    }
}

// Contract: see input_builders.h. Reads InputTokenList (pairs of note numbers: 0 a tie from
// before the line, 99 an open end, a fraction an end between notes, a sign the side, the
// hundreds a flag), the note rows of ColumnRecords, ChordFirstRows, ColumnPositionCount,
// InputRangeStart/End, InputStaff, core::TiePosition and the staff item of the input staff;
// appends one row per slur or tie (a full table shows its message and ends the line) and may
// move a note's mark (P11). A pair naming no note is skipped.
void make_slurs_for_notes() {
    const int32_t note_count = ColumnPositionCount;
    int32_t index = 0;
    while (index < token_count()) {
        BeamPair pair;
        next_beam_pair(index, pair);
        ++index;
        if (!pair.valid) continue;
        const int32_t na = pair.first_number;
        const int32_t nb = pair.last_number;
        const bool open_start = na == 99;
        const bool open_end = nb == 99;

        SlurWork slur;
        auto& p = slur.p;
        p.fill(0.0f);
        slur.first_row = pair.first_row;
        slur.last_row = open_end ? pair.first_row : pair.last_row;
        const int32_t a = slur.first_row;
        const int32_t b = slur.last_row;
        float ha = pair.left_height;
        float hb = open_end ? pair.left_height : pair.right_height;
        if (open_start) ha = hb;
        const int32_t sa = stem_code(open_start ? b : a);
        const int32_t sb = stem_code(open_end ? a : b);
        slur.flagged = pair.over != 0;

        int32_t ties = core::TiePosition;
        const bool chord_start =
            a + 1 <= ColumnRecords.count && F(a + 1, 1) == 1.0f && F(a + 1, 3) == F(a, 3);
        if (ties >= 0 && chord_start) ties = -1;

        // The side: asked for by a sign, else below unless a down stem comes first.
        int32_t d = pair.side;
        if (d == 0) {
            d = 20;
            for (int32_t r = a; r <= b; ++r) {
                if (F(r, 1) != 1.0f) continue;
                if (raw_stem_code(r) == 0 && step_of(r) > 6.0f) break;
                if (core::amod(F(r, 5), 100.0f) > 19.0f) {
                    d = 10;
                    break;
                }
            }
        }
        slur.direction = d;

        p(1) = 5.0f;
        p(2) = InputStaff;
        p(3) = pair.left_x;
        p(6) = pair.right_x;
        p(9) = static_cast<float>(pair.over);
        if (na == 0) p(3) -= 8.0f;
        if (open_start) p(3) -= 5.0f;
        const bool to_end = nb >= note_count;
        if (to_end) p(6) = staff_right_end();

        const bool tie_kind =
            !open_start &&
            (na == 0 || (!open_end && (to_end || (!slur.flagged && ha == hb && nb == na + 1))));
        bool real_tie = false;
        if (!tie_kind) {
            p(8) = -1.0f;
        } else if (ties > 0) {
            p(8) = 0.4f;
        } else if ((ties == 0 && na != 0 && p(6) - p(3) < 10.0f) ||
                   ((ties == 0 || ties == -1) && std::abs(core::int_of(F(b, 5))) % 10 != 0)) {
            p(8) = -1.0f;
        } else {
            real_tie = true;
            const float h = tie_height(ha, d);
            p(4) = h;
            p(5) = h;
            p(8) = F(a, 9) < 10.0f ? -2.0f : -3.0f;
        }
        if (to_end && !real_tie) p(6) -= 1.5f;

        bool bow_done = false;
        if (!real_tie) {
            if (sa == sb) {
                p(4) = slur_end_height(a, d, ha, sa);
                p(5) = slur_end_height(b, d, hb, sb);
                if (d == sa) p(8) = d == 10 ? -4.0f : 0.0f;
            } else {
                const float delta = ha - hb;
                if (sa == d) {
                    p(5) = slur_end_height(b, d, hb, sb);
                    p(4) = p(5);
                    if (delta > 0.0f && d == 10) p(4) = ha + 2.0f;
                    if (delta < 0.0f && d == 20) p(4) = ha - 2.0f;
                } else {
                    p(4) = slur_end_height(a, d, ha, sa);
                    p(5) = p(4);
                    if (delta > 0.0f && d == 20) p(5) = hb - 2.0f;
                    if (delta < 0.0f && d == 10) p(5) = hb + 2.0f;
                }
            }
            if (!tie_kind) {
                p(4) = make_position_even(p(4), d);
                p(5) = make_position_even(p(5), d);
            }
            if (slur.flagged) {
                p(8) = 3.0f;
                p(7) = 2.0f;
                bow_done = true;
            }
        }
        if (!bow_done) {
            const float tie_room = (p(8) > -4.0f && p(8) < -1.0f) ? 2.0f * p(8) : 0.0f;
            p(7) = ((p(6) - p(3)) + tie_room) / 20.0f + 0.9f + 0.1f * std::fabs(p(5) - p(4));
        }
        if (d == 20) p(7) = -p(7);

        if (!tie_kind) {
            clear_articulation(p(4), a, sa, slur);
            clear_articulation(p(5), b, sb, slur);
            if (std::abs(nb - na) > 1) lift_over_inner_notes(slur);
        }

        if (!append_column_row(p)) return;
        if (!tie_kind || !chord_start) continue;
        // The further notes of the chord tied too; with the side left to the line, the last
        // half of them on the other side.
        int32_t c = 1;
        while (a + c <= ColumnRecords.count && F(a + c, 1) == 1.0f && F(a + c, 3) == F(a, 3)) ++c;
        const int32_t turn_at = c - c / 2;  // ties 1..turn_at on the first side
        auto tie = p;
        for (int32_t i = 2; i <= c; ++i) {
            if (pair.side == 0 && i == turn_at + 1) {
                d = 30 - d;
                tie(7) = -tie(7);
            }
            const float h = tie_height(step_of(a + i - 1), d);
            tie(4) = h;
            tie(5) = h;
            if (!append_column_row(tie)) return;
        }
    }
}

}  // namespace layout
