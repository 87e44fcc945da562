// The beams line of typed input. Each pair of chord numbers becomes a beam row (code 6) after
// the rows of the notes; on the way the chords under the beam get their stem side (and a
// chord turned to the other side is arranged again), marks placed by the stem side are placed
// again, the end heights come from compute_beam_ends with offsets for many beams, and the
// chords whose beam count differs get partial beams.
#include "engine/layout/builders/input_beams.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/layout/builders/input_builders.h"
#include "engine/layout/notes/beam_heights.h"
#include "engine/layout/notes/chord_arrangement.h"
#include "engine/layout/notes/note_geometry.h"
#include "engine/layout/tables.h"

namespace layout {

namespace {

using Row = core::Array1<float, kColumnWords>;

constexpr float kAutoBeams = 9999.0f;
constexpr float kNoTime = 64.0f;  // a rhythm of this or more takes no time (grace)

float& F(int32_t row, int32_t word) { return ColumnRecords.rows(row)(word); }

int32_t token_count() {
    return std::clamp(core::int_of(InputTokenList(0)), 0, kInputTokenCapacity);
}
// Value i of the line; 0 past its count.
float token(int32_t i) { return i >= 1 && i <= token_count() ? InputTokenList(i) : 0.0f; }

bool beams_line() { return InputParserMode == kBeamsMode; }

// The first row of chord k; 0 when k names no chord.
int32_t chord_row(int32_t k) {
    if (k < 1 || k > std::min(ChordCount, kInputRows)) return 0;
    const int32_t r = ChordFirstRows(k);
    return r >= 1 && r <= ColumnRecords.count ? r : 0;
}

// The last row of the chord that starts at row r: the rows after it that are notes with no
// rhythm of their own (its further notes), up to limit.
int32_t chord_last_row(int32_t r, int32_t limit) {
    while (r + 1 <= limit && F(r + 1, 1) == 1.0f && RowRhythms(r + 1) == 0.0f) ++r;
    return r;
}

bool takes_no_time(int32_t row) { return RowRhythms(row) >= kNoTime; }

// One end of a pair: chord k typed as v.
void find_pair_end(int32_t& side, int32_t k, int32_t& over, float v, int32_t& row, float& height,
                   bool& no_time) {
    side = beams_line() ? std::abs(ChordStemCodes(k)) : 0;
    if (side == 0) side = v < 0.0f ? 20 : (v >= 10000.0f ? 10 : 0);
    over = (std::abs(core::int_of(v)) % 10000) / 100;
    row = chord_row(k);
    no_time = false;
    height = 0.0f;
    if (row == 0) return;
    if (beams_line() && row + 1 <= ColumnRecords.count && F(row + 1, 1) == 1.0f)
        row = chord_last_row(row, ColumnRecords.count);
    height = F(row, 4);
    if (std::fabs(height) >= 100.0f) {
        height += height > 0.0f ? -100.0f : 100.0f;
        no_time = F(row, 7) >= kNoTime;
    }
    shift_cross_staff_position(height, row);
}

// The x of chord k for a slur end: chord 0 is the left end of the input space, a chord past
// the last the right end.
float chord_x(int32_t k) {
    if (k < 1) return InputRangeStart;
    const int32_t r = chord_row(k);
    return r == 0 ? InputRangeEnd : F(r, 3);
}

// The side (1 up, 2 down) that the notes from row first to row last call for: down unless the
// highest lies nearer the middle line than the lowest.
int32_t side_from_spread(int32_t first, int32_t last) {
    int32_t lowest = 99;
    int32_t highest = -99;
    for (int32_t r = first; r <= last; ++r) {
        if (F(r, 1) != 1.0f) continue;
        const int32_t p = core::int_of(F(r, 4));
        if (std::abs(p) >= 100) continue;
        lowest = std::min(lowest, p);
        highest = std::max(highest, p);
    }
    return (highest - 7) < (7 - lowest) ? 1 : 2;
}

// The stem digit of P5 (1 up, 2 down) with the hundreds flag left out, and that flag.
int32_t stem_digit(float p5) { return (std::abs(core::int_of(p5)) % 100) / 10; }
float hundreds_flag(float p5) { return std::fabs(p5) >= 100.0f ? 100.0f : 0.0f; }

// A chord of more than one note whose stem goes to the other side: its heads are turned over
// (the rows' positions and P5 in reverse order) and the chord arranged again.
void turn_chord(int32_t first, int32_t last, int32_t side) {
    const float flag = hundreds_flag(F(first, 5));
    F(first, 5) = flag + static_cast<float>(std::abs(core::int_of(F(first, 5))) % 10);
    F(first, 8) = 0.0f;
    std::vector<std::pair<float, float>> heads;
    for (int32_t r = first; r <= last; ++r) {
        F(r, 10) = 0.0f;
        F(r, 9) = core::compute_real_mod(F(r, 9), 100.0f);
        heads.emplace_back(F(r, 4), static_cast<float>(core::int_of(F(r, 5))));
    }
    for (int32_t r = first; r <= last; ++r) {
        F(r, 4) = heads[static_cast<std::size_t>(last - r)].first;
        F(r, 5) = heads[static_cast<std::size_t>(last - r)].second;
    }
    F(first, 5) += static_cast<float>(side * 10);
    arrange_chord_accidentals(static_cast<float>(last - first), last);
    set_chord_head_flags(first, first + 1);
}

// A mark that stands by the stem side is placed again for the chord's new side.
void place_mark_again(int32_t row) {
    const float m = F(row, 11);
    if (m == 0.0f) return;
    const int32_t code = core::int_of(m);
    int32_t side = code;
    if (find_code_in_table(std::abs(code), side) == 0) return;
    float offset = 0.0f;
    compute_mark_offset(ColumnRecords.rows(row), std::abs(code), offset, side);
    F(row, 11) = static_cast<float>(code) + offset;
}

// Of the pair's chords, the one standing at left (1) or right (2) whose stem code differs from
// the beam's side; 0 when none.
int32_t find_other_side_end(float left, float right, const BeamPair& pair, int32_t side_code) {
    for (int32_t k = pair.first_chord; k <= pair.last_chord; ++k) {
        if (ChordStemCodes(k) == side_code) continue;
        const int32_t r = chord_row(k);
        if (r == 0) continue;
        if (F(r, 3) == left) return 1;
        if (F(r, 3) == right) return 2;
    }
    return 0;
}

// The last stem digits of the pair's chords, and the tremolo strokes made by the marks line
// (code 6 rows before first_new) at a chord's position turned into its tremolo beam.
void settle_chord_stems(const BeamPair& pair, int32_t side_code, int32_t first_new,
                        const Row& beam) {
    for (int32_t k = pair.first_chord; k <= pair.last_chord; ++k) {
        const int32_t r = chord_row(k);
        if (r == 0 || ChordStemCodes(k) < 0) continue;
        int32_t code = ChordStemCodes(k);
        if (code == 0) {
            const int32_t cross = core::int_of(F(r, 12));
            code = cross != 0 ? 30 - 10 * cross : side_code;
        }
        const float part = core::compute_real_mod(F(r, 5), 100.0f);
        if (part < 20.0f && code >= 20) F(r, 5) += 10.0f;
        if (part >= 20.0f && code < 20) F(r, 5) -= 10.0f;
        for (int32_t t = 1; t < first_new; ++t) {
            if (F(t, 1) != 6.0f || F(t, 11) != 0.0f || F(t, 3) != F(r, 3)) continue;
            F(t, 7) = static_cast<float>(-code);
            F(t, 10) = 10.0f * F(r, 13) + F(t, 10) - 10.0f;
            F(t, 11) = F(r, 3);
            for (int32_t w = 3; w <= 6; ++w) F(t, w) = beam(w);
            break;
        }
    }
}

// A partial beam: its code (9 x the level it hangs from + its own level) and ends.
struct PartialBeam {
    float code = 0.0f;
    float left = 0.0f;
    float right = 0.0f;
};

// The runs of chords with more beams than the main beam b0, each nested run right after the run
// it hangs from. counts, xs and stubs are per chord of the pair (0-based).
std::vector<PartialBeam> find_partial_beams(std::vector<int32_t> counts,
                                            const std::vector<float>& xs,
                                            const std::vector<int32_t>& stubs, int32_t b0) {
    std::vector<PartialBeam> runs;
    // A scan looks for runs above base among chords from..to.
    struct Scan {
        int32_t from;
        int32_t to;
        int32_t base;
    };
    std::vector<Scan> pending{{0, static_cast<int32_t>(counts.size()) - 1, b0}};
    while (!pending.empty()) {
        const Scan s = pending.back();
        pending.pop_back();
        for (int32_t i = s.from; i <= s.to; ++i) {
            if (counts[i] <= s.base) continue;  // 0 or no more than the beams above it
            int32_t last = i;
            int32_t level = counts[i];
            for (int32_t j = i + 1; j <= s.to; ++j) {
                if (counts[j] == 0) continue;
                if (counts[j] <= s.base) break;
                last = j;
                level = std::min(level, counts[j]);
            }
            PartialBeam p;
            p.code = static_cast<float>(9 * s.base + level);
            if (i == last) {
                if (stubs[i] == -1)
                    p.right = xs[i];
                else
                    p.left = xs[i];
            } else {
                p.left = xs[i];
                p.right = xs[last];
            }
            runs.push_back(p);
            bool higher = false;
            for (int32_t j = i; j <= last; ++j) {
                if (counts[j] == level) counts[j] = s.base;
                if (counts[j] > level) higher = true;
            }
            if (higher) {
                // The nested runs come first, then the rest of this scan.
                pending.push_back({last + 1, s.to, s.base});
                pending.push_back({i, last, level});
                break;
            }
            i = last;
        }
    }
    return runs;
}

// One beam over the pair. Returns false when the row table is full (the line stops).
bool make_beam(const BeamPair& pair, int32_t entry_rows, bool automatic, bool& stop_line) {
    const int32_t a = pair.first_chord;
    const int32_t b = pair.last_chord;
    Row row;
    row.fill(0.0f);
    row(1) = 6.0f;
    row(2) = InputStaff;
    row(3) = pair.left_x;
    row(6) = pair.right_x;
    row(8) = static_cast<float>(pair.over);
    const bool small = std::fabs(F(chord_row(a), 4)) >= 100.0f;

    // The stem side.
    int32_t side = pair.side / 10;
    if (ChordStemCodes(a) == 0) {
        const int32_t spread = side_from_spread(chord_row(a), chord_row(b));
        if (side == 0) side = spread;
        for (int32_t k = a; k <= b; ++k) {
            const int32_t first = chord_row(k);
            const int32_t last = chord_last_row(first, entry_rows);
            if (last > first && stem_digit(F(first, 5)) != side) turn_chord(first, last, side);
        }
    }
    if (side == 0) side = 2;
    for (int32_t k = a; k <= b; ++k) {
        if (ChordStemCodes(k) != 0) continue;
        ChordStemCodes(k) = side * 10;
        const int32_t r = chord_row(k);
        const float part = core::compute_real_mod(F(r, 5), 100.0f);
        if (part >= 10.0f) {
            const int32_t digit = stem_digit(F(r, 5));
            if (digit != side) F(r, 5) += static_cast<float>((side - digit) * 10);
        }
        place_mark_again(r);
    }

    // The notes the stems reach from, and the beam counts.
    const bool no_time = pair.first_no_time;
    std::vector<int32_t> counts;
    std::vector<float> xs;
    int32_t smallest = 99;
    int32_t largest = 0;
    int32_t stems = 0;
    bool cross = false;
    for (int32_t k = a; k <= b; ++k) {
        const int32_t r = chord_row(k);
        int32_t n = core::int_of(F(r, 13));
        if (n == 0) {
            stop_line = automatic;
            return true;
        }
        if (takes_no_time(r)) n = 0;
        if (n != 0) smallest = std::min(smallest, n);
        largest = std::max(largest, n);
        counts.push_back(n);
        xs.push_back(F(r, 3));
        if ((n != 0 || no_time) && stems < kBeamNotes) {
            const int32_t last = chord_last_row(r, entry_rows);
            float h = core::compute_real_mod(F(last, 4), 100.0f);
            if (shift_cross_staff_position(h, last) != 0.0f) cross = true;
            ++stems;
            BeamNoteColumns(stems) = last;
            BeamNoteHeights(stems) = h;
        }
    }
    float hl = pair.left_height;
    float hr = pair.right_height;
    int32_t direction = side * 10;
    compute_beam_ends(hl, hr, direction, stems, pair.left_x, pair.right_x);
    if (direction == 10 || direction == 20) side = direction / 10;
    const bool up = side == 1;

    // Which way the short partial beam of a chord points: -1 back to the previous chord.
    const int32_t count = static_cast<int32_t>(counts.size());
    std::vector<int32_t> stubs(count, 0);
    for (int32_t i = 0; i < count; ++i) {
        if (counts[i] <= smallest) continue;
        int32_t p = 0;
        for (int32_t j = i - 1; j >= 0; --j)
            if (counts[j] != 0) {
                p = counts[j];
                break;
            }
        int32_t q = 0;
        for (int32_t j = i + 1; j < count; ++j)
            if (counts[j] != 0) {
                q = counts[j];
                break;
            }
        if (i == count - 1) {
            if (p < counts[i]) stubs[i] = -1;
        } else if (i > 0 && q != counts[i] && q < counts[i] && p < counts[i]) {
            stubs[i] = q > p ? 1 : -1;
        }
    }

    // Heights: a beam of many beams stands further off the notes.
    if (!no_time && !small) {
        const int32_t l = core::int_of(hl);
        const int32_t r = core::int_of(hr);
        int32_t o = 0;
        if (largest > 2) o = 3 * largest + (((!up && l > 13) || (up && l < 1)) ? 4 : 2) - 9;
        if (up) {
            if (l > 9 && l == r) o -= 2;
        } else {
            o = -o;
            if (l < 5 && l == r) o += 2;
        }
        row(4) = hl + static_cast<float>(o) * 0.5f;
        row(5) = hr + static_cast<float>(o) * 0.5f;
    } else {
        const float s = up ? 0.8f : -0.8f;
        row(4) = hl + (core::int_of(hl) < 0 ? -100.0f : 100.0f) + s;
        row(5) = hr + s;
    }
    const int32_t beams = no_time ? 2 : smallest;
    row(7) = static_cast<float>(side * 10 + beams);

    // Partial beams: two to a row; further ones on another row of the same beam.
    std::vector<PartialBeam> partials;
    bool later_differs = false;
    for (int32_t i = 1; i < count; ++i)
        if (counts[i] != 0 && counts[i] != counts[0]) later_differs = true;
    if (later_differs && !no_time) partials = find_partial_beams(counts, xs, stubs, smallest);
    std::size_t next = 0;
    do {
        Row out = row;
        if (next < partials.size()) {
            out(10) = partials[next].code;
            out(11) = partials[next].left;
            out(12) = partials[next].right;
        }
        if (next + 1 < partials.size()) {
            out(13) = partials[next + 1].code;
            out(14) = partials[next + 1].left;
            out(15) = partials[next + 1].right;
        }
        next += 2;
        if (cross && out(10) != 0.0f) {
            out(9) +=
                10.0f * static_cast<float>(find_other_side_end(out(11), out(12), pair, side * 10));
            if (out(13) != 0.0f)
                out(9) +=
                    static_cast<float>(find_other_side_end(out(14), out(15), pair, side * 10));
        }
        if (!append_column_row(out)) return false;
    } while (next < partials.size());
    settle_chord_stems(pair, side * 10, entry_rows + 1, row);
    return true;
}

}  // namespace

float shift_cross_staff_position(float& height, int32_t row) {
    const int32_t c = core::int_of(F(row, 12));
    const int32_t s = core::int_of(InputStaff);
    // Only 1 (the staff below) and 2 (the one above) move a note.
    if (c != 1 && c != 2) return 0.0f;
    if ((c == 2 && s < 2) || (c == 1 && s >= MaxStaffNumber) || s < 1 || s > kMaxStaves) {
        F(row, 12) = 0.0f;
        return 0.0f;
    }
    const float step = StaffTables.StaffScale(0) * 7.0f;
    if (step == 0.0f) return 0.0f;
    const float shift =
        static_cast<float>(StaffTables.StaffBaseY(s + 3 - 2 * c) - StaffTables.StaffBaseY(s)) /
        step;
    height += shift;
    return shift;
}

void next_beam_pair(int32_t& index, BeamPair& pair) {
    ++index;
    const float m1 = token(index);
    const float m2 = token(index + 1);
    pair = BeamPair{};
    pair.first_number = std::abs(core::int_of(m1)) % 100;
    pair.last_number = std::abs(core::int_of(m2)) % 100;
    int32_t a = pair.first_number;
    if (a == 0 || a == 99) a = 1;
    int32_t b = pair.last_number;
    if (b == 0) b = 1;
    if (b <= a) b = a + 1;
    if (b >= ColumnPositionCount) b = ColumnPositionCount - 1;
    // A chord number past the chords of the line names no note (rests take columns too).
    b = std::min(b, ChordCount);
    pair.first_chord = a;
    pair.last_chord = b;
    pair.valid = chord_row(a) != 0 && chord_row(b) != 0 && b >= a;
    // A slur may run on past the last note to the staff's end; a beam needs both its notes.
    const bool end_past_last = InputParserMode == kBeamsMode && pair.last_number > ChordCount;
    if (end_past_last) pair.valid = false;
    if (!pair.valid) {
        if (a > ChordCount || end_past_last) {
            core::name_untaken_line("**** Input error ****  " + std::to_string(pair.first_number) +
                                    " " + std::to_string(pair.last_number) +
                                    "  names no note: the line has " + std::to_string(ChordCount) +
                                    " notes (a chord counts once, a rest not at all); the pair was "
                                    "left out.");
        }
        return;
    }

    int32_t side2 = 0;
    int32_t over2 = 0;
    find_pair_end(pair.side, a, pair.over, m1, pair.first_row, pair.left_height,
                  pair.first_no_time);
    find_pair_end(side2, b, over2, m2, pair.last_row, pair.right_height, pair.last_no_time);
    if (over2 != 0) pair.over = over2;
    if (pair.side == 0) pair.side = side2;
    pair.left_x = F(pair.first_row, 3);
    pair.right_x = F(pair.last_row, 3);

    if (InputParserMode == kSlursMode) {
        const float f1 = std::fabs(m1 - std::trunc(m1));
        const float f2 = std::fabs(m2 - std::trunc(m2));
        if (f1 != 0.0f || f2 != 0.0f) {
            if (f1 != 0.0f) {
                const int32_t k = pair.first_number;
                const float x = chord_x(k);
                pair.left_x = x + f1 * (chord_x(k + 1) - x);
            }
            if (f2 != 0.0f) {
                const float x = chord_x(b);
                pair.right_x = x + f2 * (chord_x(b + 1) - x);
            }
            pair.first_number = 1;
            pair.last_number = 1;
        }
    }
}

void make_auto_beam_pairs() {
    float g = token(2);
    if (g == 9.0f) g = 1.5f;
    const float group = g * 0.5f;
    const int32_t pass_over = core::int_of(token(3));
    const int32_t rows = ColumnRecords.count;
    InputTokenList(0) = 0.0f;
    auto add_pair = [](int32_t first, int32_t last) {
        const int32_t n = core::int_of(InputTokenList(0));
        if (n + 2 > kInputTokenCapacity) return;
        InputTokenList(n + 1) = static_cast<float>(first);
        InputTokenList(n + 2) = static_cast<float>(last);
        InputTokenList(0) = static_cast<float>(n + 2);
    };
    // The chord that starts at row r (0: none).
    std::vector<int32_t> chord_at(static_cast<std::size_t>(rows) + 2, 0);
    for (int32_t k = 1; k <= std::min(ChordCount, kInputRows); ++k)
        if (chord_row(k) != 0) chord_at[static_cast<std::size_t>(chord_row(k))] = k;

    // Runs of chords that take no time.
    for (int32_t k = 1; k <= ChordCount; ++k) {
        if (chord_row(k) == 0 || !takes_no_time(chord_row(k))) continue;
        int32_t last = k;
        while (last + 1 <= ChordCount && chord_row(last + 1) != 0 &&
               takes_no_time(chord_row(last + 1)))
            ++last;
        if (last > k) add_pair(k, last);
        k = last;
    }

    // Rhythm values passed over before the first group.
    int32_t r = 1;
    for (int32_t passed = 0; r <= rows && passed < pass_over; ++r) {
        const float d = RowRhythms(r);
        const bool value = (F(r, 1) == 1.0f || F(r, 1) == 2.0f) && d != 0.0f && d < kNoTime;
        if (value) ++passed;
    }

    const float full = group - 0.001f;
    float sum = 0.0f;
    int32_t open_first = 0;
    int32_t open_last = 0;
    bool beamed = false;
    auto close = [&] {
        if (open_first != 0 && open_last > open_first) add_pair(open_first, open_last);
        open_first = open_last = 0;
    };
    for (; r <= rows; ++r) {
        const float d = RowRhythms(r);
        if (F(r, 1) == 2.0f) {
            if (d < kNoTime) sum += d;
        } else if (F(r, 1) == 1.0f && chord_at[static_cast<std::size_t>(r)] != 0) {
            // Notes that take no time are beamed by their own runs above.
            if (d >= kNoTime) continue;
            const int32_t k = chord_at[static_cast<std::size_t>(r)];
            sum += d;
            beamed = F(r, 13) != 0.0f;
            if (beamed) {
                if (open_first == 0) open_first = k;
                open_last = k;
            }
        } else {
            continue;
        }
        if (open_first != 0 && (!beamed || sum >= full)) close();
        if (sum >= full && group > 0.0f) {
            while (sum > full) sum -= group;
            if (std::fabs(sum) < 0.001f) sum = 0.0f;
        }
    }
    close();
}

// Contract: see input_builders.h. Reads InputTokenList (pairs, or 9999 and a grouping), the
// rows of the notes, rhythms and marks lines in ColumnRecords, ChordFirstRows, ChordStemCodes,
// RowRhythms, ColumnPositionCount, InputStaff; writes the beam rows (appended; a full table
// shows its message and stops the line), the beamed chords' P4, P5, P8..P11 and
// ChordStemCodes, the marks line's tremolo rows on beamed chords, BeamNoteHeights and
// BeamNoteColumns. A pair naming no chord, or joining a grace note to a timed one, is skipped;
// a chord without beams ends its pair.
void make_beams_for_notes() {
    const int32_t entry_rows = ColumnRecords.count;
    bool automatic = false;
    if (token_count() >= 1 && InputTokenList(1) == kAutoBeams) {
        make_auto_beam_pairs();
        automatic = true;
        if (token_count() == 0 || InputTokenList(1) == kAutoBeams) {
            InputTokenList(0) = 1.0f;
            return;
        }
    }
    int32_t index = 0;
    while (index < token_count()) {
        BeamPair pair;
        next_beam_pair(index, pair);
        ++index;
        if (pair.first_no_time != pair.last_no_time) continue;
        if (pair.first_number <= 0 || pair.last_number >= ColumnPositionCount) {
            if (automatic) {
                InputTokenList(0) = 1.0f;
                return;
            }
            continue;
        }
        if (!pair.valid) continue;
        bool stop_line = false;
        if (!make_beam(pair, entry_rows, automatic, stop_line)) return;
        if (stop_line) {
            InputTokenList(0) = 1.0f;
            return;
        }
    }
}

}  // namespace layout
