// Chord arrangement of typed input: seconds and accidental columns.
#include "engine/layout/notes/chord_arrangement.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "engine/core/bridge/console_bridge.h"
#include "engine/layout/tables.h"

namespace layout {

namespace {

// How far the accidental of code 1..8 reaches above and below its note, in staff steps.
constexpr int32_t kExtentAbove[9] = {0, 5, 4, 4, 5, 1, 0, 0, 0};
constexpr int32_t kExtentBelow[9] = {0, 1, 3, 3, 1, 1, 0, 0, 0};

// Gaps in thousandths by [distance - 1][column of the lower accidental - 1][upper code - 1].
constexpr int32_t kGap[5][4][5] = {
    {{240, 250, 215, 440, 250},
     {240, 290, 240, 440, 300},
     {240, 255, 220, 430, 280},
     {250, 280, 240, 500, 330}},
    {{155, 250, 180, 380, 200},
     {240, 290, 230, 440, 250},
     {200, 250, 160, 420, 180},
     {0, 280, 160, 0, 0}},
    {{155, 200, 120, 360, 180},
     {180, 220, 110, 400, 0},
     {130, 200, 120, 320, 140},
     {0, 0, 0, 0, 0}},
    {{120, 180, 120, 350, 160}, {0, 200, 110, 0, 0}, {0, 120, 0, 0, 0}, {0, 0, 0, 0, 0}},
    {{0, 110, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
};

// A column of accidentals is this wide; the wide shape (code 4) 200 more.
constexpr int32_t kColumnWidth = 240;
constexpr int32_t kWideExtra = 200;
// Offset of a head put left of a down stem.
constexpr int32_t kDisplacedHead = 283;

float& word(int32_t row, int32_t w) { return ColumnRecords.rows(row)(w); }

// Staff position of a row: its P4 without the small-note hundreds.
int32_t position_of(int32_t row) { return static_cast<int32_t>(word(row, 4)) % 100; }

// The accidental code of a row, 0 for none or a value that is no code.
int32_t accidental_of(int32_t row) {
    const int32_t c = static_cast<int32_t>(std::fmod(word(row, 5), 10.0f));
    return c >= 1 && c <= 9 ? c : 0;
}

int32_t width_extra(int32_t code) { return code == 4 ? kWideExtra : 0; }

// Step 1 on the rhythms line: the rows in order of position, and the chord's spread.
void sort_chord_rows(int32_t first, int32_t last, int32_t stem) {
    int32_t lo = position_of(first);
    int32_t hi = 0;
    for (int32_t r = first; r <= last; ++r) {
        word(r, 10) = 0.0f;
        word(r, 5) = std::trunc(word(r, 5));
        lo = std::min(lo, position_of(r));
        hi = std::max(hi, position_of(r));
    }
    ChordSpreadWord = hi - lo + 61;
    // Neighbour exchanges, starting over after each: equal positions keep their order.
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (int32_t r = first; r < last; ++r) {
            const int32_t a = position_of(r);
            const int32_t b = position_of(r + 1);
            if (stem == 20 ? a < b : a > b) {
                std::swap(word(r, 4), word(r + 1, 4));
                std::swap(word(r, 5), word(r + 1, 5));
                exchanged = true;
                break;
            }
        }
    }
}

// Step 5: each accidental's nearest neighbour below in the next column, the ones between a
// column further.
void place_accidental_columns(ChordNoteTableRecord& t) {
    const int32_t n = t.count;
    int32_t i = 1;
    while (i < n) {
        if (t.code(i) == 0) {
            ++i;
            continue;
        }
        int32_t best = 999;
        int32_t found = 0;
        for (int32_t q = i + 1; q <= n; ++q) {
            if (t.code(q) == 0) continue;
            const int32_t d = t.position(i) - t.position(q);
            const int32_t gap = d < 7 ? lookup_accidental_gap(t.code(i), t.code(q), d) : 0;
            if (gap < best) {
                best = gap;
                found = q;
            }
        }
        if (found == 0) {
            ++i;
            continue;
        }
        int32_t base = t.offset(i) + best;
        t.offset(found) = std::max(t.offset(found), base);
        for (int32_t q = i + 1; q < found; ++q) {
            if (t.code(q) == 0) continue;
            base += kColumnWidth + width_extra(t.code(q));
            t.offset(q) = std::max(t.offset(q), base);
        }
        i = found;
    }
}

// Step 6: accidentals that still overlap one lower down are moved apart.
void separate_overlaps(ChordNoteTableRecord& t) {
    const int32_t n = t.count;
    for (int32_t i = 1; i < n; ++i) {
        if (t.code(i) == 0 || t.offset(i) <= 0) continue;
        for (int32_t q = i + 1; q <= n; ++q) {
            if (t.code(q) == 0) continue;
            if (t.high(q) <= t.low(i)) break;
            const int32_t wide = width_extra(t.code(q));
            const int32_t diff = t.offset(i) - t.offset(q) - wide;
            if (std::abs(diff) >= kColumnWidth) continue;
            const int32_t g =
                lookup_accidental_gap(t.code(i), t.code(q), t.position(i) - t.position(q));
            if (diff <= 0) {
                t.offset(q) = t.offset(i) + g;
                continue;
            }
            const int32_t apart = t.offset(i) - t.offset(q);
            if (t.offset(q) == 0 || apart > (wide != 0 ? 0 : 200) || g > 200) {
                const int32_t shift = kColumnWidth + wide - apart;
                if (shift > 0) {
                    for (int32_t k = i; k < q; ++k)
                        if (t.code(k) != 0 && t.offset(k) != 0) t.offset(k) += shift;
                }
            } else {
                t.offset(q) = t.offset(i) + g;
            }
            break;
        }
    }
}

}  // namespace

int32_t lookup_accidental_gap(int32_t upper, int32_t lower, int32_t distance) {
    if (upper < 1 || upper > 5 || lower < 1 || lower > 5) return 0;
    int32_t column = lower;
    if (column == 4) column = 1;
    if (column == 5) column = 4;
    const int32_t j = std::max(distance - 1, 1);
    if (j > 5) return 0;
    return kGap[j - 1][column - 1][upper - 1];
}

// Contract: see the header. Reads InputParserMode and the chord's rows of ColumnRecords; writes
// their P4, P5, P10, ChordNoteTable and (rhythms line) ChordSpreadWord.
void arrange_chord_accidentals(float span, int32_t last_row) {
    const int32_t last = std::min(last_row, ColumnRecords.count);
    const int32_t first = std::max(last_row - static_cast<int32_t>(std::fabs(span)), 1);
    if (last < first) return;
    const int32_t n = last - first + 1;
    if (n > kChordNotes) {
        core::report_failure("*** Chord of more than 80 notes.");
        return;
    }
    const int32_t stem = std::fmod(word(first, 5), 100.0f) >= 20.0f ? 20 : 10;
    if (InputParserMode == kRhythmsMode) sort_chord_rows(first, last, stem);

    // Seconds: every other note of a run of adjacent steps goes to the other side.
    for (int32_t j = first + 1; j <= last;) {
        if (std::abs(position_of(j) - position_of(j - 1)) < 2) {
            word(j, 10) = static_cast<float>(stem);
            j += 2;
        } else {
            ++j;
        }
    }

    // The notes from the highest down.
    clear_chord_note_table();
    ChordNoteTableRecord& t = ChordNoteTable;
    t.count = n;
    for (int32_t m = 1; m <= n; ++m) {
        const int32_t r = stem == 20 ? first + m - 1 : last - m + 1;
        t.row(m) = r;
        t.position(m) = position_of(r);
        if (word(r, 10) == 20.0f) {
            t.offset(m) = kDisplacedHead;
            t.fixed(m) = kDisplacedHead;
        }
        const int32_t c = accidental_of(r);
        if (c != 0) {
            t.code(m) = c;
            const int32_t shape = c <= 8 ? c : 0;
            t.low(m) = t.position(m) - kExtentBelow[shape];
            t.high(m) = t.position(m) + kExtentAbove[shape];
        }
    }

    // An accidental whose height meets a displaced head starts beside that head.
    for (int32_t m = 1; m <= n; ++m) {
        if (t.code(m) == 0 || t.fixed(m) != 0) continue;
        for (int32_t k = 1; k <= n; ++k) {
            if (k == m || t.fixed(k) != kDisplacedHead) continue;
            if (t.position(k) >= t.low(m) && t.position(k) <= t.high(m)) {
                t.offset(m) = kDisplacedHead;
                break;
            }
        }
    }

    place_accidental_columns(t);
    separate_overlaps(t);

    for (int32_t m = 1; m <= n; ++m) {
        const int32_t v = std::clamp(t.offset(m) - t.fixed(m), 0, 899);
        word(t.row(m), 5) += static_cast<float>(v) / 1000.0f;
    }
}

// Contract: see the header. Reads P1, P4, P5, P10 and writes P9 of ColumnRecords rows.
void set_chord_head_flags(int32_t first_row, int32_t end) {
    const int32_t rows = ColumnRecords.count;
    // Adds 100 unless the hundreds are already there.
    auto add_hundred = [](int32_t r) {
        if (std::fmod(word(r, 9), 1000.0f) < 100.0f) word(r, 9) += 100.0f;
    };
    int32_t r = std::max(first_row, 1);
    while (r <= end - 1 && r <= rows) {
        if (word(r, 1) != 1.0f || word(r, 9) < 10.0f) {
            ++r;
            continue;
        }
        int32_t e = r;
        while (e + 1 <= rows && word(e + 1, 1) == 1.0f && word(e + 1, 5) < 10.0f) ++e;
        int32_t first_marked = 0;
        for (int32_t c = r; c <= e && first_marked == 0; ++c)
            if (word(c, 10) != 0.0f) first_marked = c;
        if (first_marked == 0) {
            r = e + 1;
            continue;
        }
        bool flag = false;
        if (word(r, 5) < 20.0f) {
            // Stem up: from the top note down.
            for (int32_t c = e; c >= r; --c) {
                if (word(c, 10) != 0.0f) {
                    flag = true;
                    continue;
                }
                word(c, 9) += 1000.0f;
                if (c != e && word(c + 1, 4) - word(c, 4) > 2.0f)
                    flag = false;
                else if (flag)
                    add_hundred(c);
            }
        } else {
            if (first_marked > 1)
                word(first_marked - 1, 9) = std::fmod(word(first_marked - 1, 9), 100.0f);
            for (int32_t c = r + 1; c <= e; ++c) {
                if (word(c, 10) != 0.0f) {
                    word(c, 9) += 1000.0f;
                    add_hundred(c);
                    flag = true;
                } else if (word(c, 4) < word(c - 1, 4) - 2.0f) {
                    flag = false;
                } else if (flag) {
                    add_hundred(c);
                }
            }
        }
        r = e + 1;
    }
}

}  // namespace layout
