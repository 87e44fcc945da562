// The rhythms line of the typed input: each note and rest row of the notes line takes the next
// rhythm, and the rows are spread over the input range by duration, or aligned to the spacing
// staff's columns.
// Tables: ColumnRecords, InputTokenList, RhythmRowCount, ChordStemCodes, ChordFirstRows,
// ChordCount, InputStaff, InputRangeStart, InputRangeEnd, SpacingList, RowRhythms,
// ColumnPositions, ColumnPositionCount, StaffTables (layout); PageExtent (render).
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/layout/builders/input_builders.h"
#include "engine/layout/notes/chord_arrangement.h"
#include "engine/layout/staves/clef_room.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace layout {

namespace {

constexpr int32_t kNote = 1;
constexpr int32_t kRest = 2;
constexpr int32_t kClef = 3;
constexpr int32_t kBar = 14;
constexpr int32_t kKeySignature = 17;
constexpr int32_t kMeter = 18;
constexpr float kGraceRhythm = 64.0f;

// The left end of the last line spread without a spacing staff: a range whose right end is not
// beyond its left falls back on it.
float RememberedLeftEnd = 0.0f;

float& P(int32_t r, int32_t w) { return ColumnRecords.rows(r)(w); }
int32_t code_of(int32_t r) { return core::int_of(P(r, 1)); }
bool is_note_or_rest(int32_t r) { return code_of(r) == kNote || code_of(r) == kRest; }
// A note after the first of its chord; the row after the last is the zero row.
bool is_member(int32_t r) {
    return r <= ColumnRecords.count && code_of(r) == kNote && P(r, 15) < 0.0f;
}
bool is_grace(float denominator) { return denominator > 0.0f && denominator < 0.07f; }
// Adds the 100 of a small note away from 0.
void make_small(int32_t r) {
    if (std::fabs(P(r, 4)) < 100.0f) P(r, 4) += P(r, 4) >= 0.0f ? 100.0f : -100.0f;
}
// Drops the tens (the stem digit) of a note's P5, keeping its hundreds and accidental.
void drop_stem_digit(int32_t r) {
    const float tens = std::trunc(core::amod(P(r, 5), 100.0f) / 10.0f);
    P(r, 5) -= 10.0f * tens;
}

// Contract: the room (staff units) the clef of row r keeps before a key signature or meter in
// row r + 1: its measured ink, and at least fixed. Before anything else the room stays fixed.
float clef_gap(int32_t r, int32_t rows, float fixed) {
    if (r >= rows || code_of(r + 1) < kKeySignature) return fixed;
    return std::max(fixed, clef_room(std::fabs(P(r, 4)) < 100.0f, core::nint(P(r, 5))));
}

// The working state of one rhythms line.
struct RhythmLine {
    int32_t rows = 0;
    float scale = 1.0f;
    float left = 0.0f;
    float right = 0.0f;
    float s = 0.0f;      // running position (proportional position with a spacing staff)
    float avail = 0.0f;  // width shared out by rhythm
    float total = 0.0f;  // the line's quarters
    bool spacing = false;
    // The spacing staff's current segment: from the note at (S0, X0) towards (S1, X1), k the
    // list entry that ends it.
    int32_t k = 1;
    float S0 = 0.0f, X0 = 0.0f, S1 = 0.0f, X1 = 0.0f;
    bool first_use = true;
    int32_t search = 1;       // where the search for the next clef, bar line, key or meter resumes
    float notes_end = -1.0f;  // where the notes before a closing row ended, past it or not
    int32_t col = 1;
    core::Array1<int32_t, kColumnRows> chord_of_row;  // chord number of each first row, 0 none
    core::Array1<int32_t, kColumnRows> grace_column;  // column entry of a grace chord, 0 none
};

// The chord's stem code (0 automatic, 10 up, 20 down) of a first row; 0 when none is recorded.
int32_t stem_code(const RhythmLine& line, int32_t r) {
    const int32_t c = line.chord_of_row(r);
    return c > 0 ? ChordStemCodes(c) : 0;
}

// Fixed widths of the meters and key signatures that end the line come off its right end.
void reserve_trailing_widths(RhythmLine& line) {
    float gap = 0.0f;
    for (int32_t r = line.rows; r >= 1; --r) {
        const int32_t c = code_of(r);
        float w = 0.0f;
        if (c == kMeter) {
            w = P(r, 5) >= 10.0f ? 7.0f : (P(r, 6) < 10.0f ? 4.0f : 7.0f);
            gap = 1.5f;
        } else if (c == kKeySignature) {
            w = std::fabs(core::amod(P(r, 5), 100.0f)) * 2.8f + 0.5f;
            gap = 2.5f;
        } else {
            break;
        }
        line.right -= line.scale * w;
    }
    line.right -= line.scale * gap;
}

// The first segment of the spacing staff: from its first note to the next note, a clef run
// passed over for the end position.
void start_spacing_segment(RhythmLine& line) {
    SpacingListRecord& list = SpacingList;
    const int32_t n = list.count;
    if (line.rows >= 1 && code_of(1) != kBar && list.v(1) == -14.0f) list.v(1) = -99.0f;
    int32_t k0 = 1;
    while (k0 < n && !(list.v(k0) > 0.0f)) ++k0;
    line.S0 = line.X0 = list.x(k0);
    int32_t k = std::min(k0 + 1, n);
    while (k < n && list.v(k) == -3.0f) ++k;
    line.X1 = list.x(k);
    line.S1 = list.v(k) - 0.001f;
    while (!(line.S1 > 0.0f) && k < n) {
        ++k;
        line.S1 = list.v(k) - 0.001f;
    }
    line.k = k;
}

// The real position of the proportional position s, between the spacing staff's notes. The
// walk never passes the closing entry; beyond it the last segment is carried on, up to the
// page's end.
float spacing_position(RhythmLine& line) {
    SpacingListRecord& list = SpacingList;
    const int32_t n = list.count;
    if (line.first_use) {
        line.first_use = false;
        line.s = line.X0;
        line.avail = line.right - line.X0;
    }
    while (line.s >= line.S1 && line.k < n) {
        const int32_t behind = line.k;
        ++line.k;
        if (list.v(behind) > 0.0f) {
            line.S0 = line.S1;
            line.X0 = list.x(behind);
            int32_t e = line.k;
            while (e < n && list.v(e) == -3.0f) ++e;
            line.X1 = list.x(e);
        }
        line.S1 = list.v(line.k) - 0.001f;
    }
    if (!(line.S1 - line.S0 > 0.0f)) return line.X0;
    const float x = line.X0 + (line.X1 - line.X0) * (line.s - line.S0) / (line.S1 - line.S0);
    return std::fmin(x, render::PageExtent);
}

// The counts of the rhythm message, two columns wide as long as they fit.
std::string count_field(int32_t value) { return core::format_int_whole("(1i2)", value); }

// Fixed widths of clefs, bar lines, keys and meters, kept in their P15 and taken from avail.
void reserve_fixed_widths(RhythmLine& line) {
    for (int32_t r = 1; r <= line.rows; ++r) {
        if (is_note_or_rest(r)) continue;
        const int32_t c = code_of(r);
        const int32_t next = r < line.rows ? code_of(r + 1) : 0;
        float w = 0.0f;
        if (c == kKeySignature) {
            w = std::fabs(core::amod(P(r, 5), 100.0f)) * 2.8f + 2.0f;
            if (next == kMeter) w -= 0.3f;
            if (r > 1 && !is_note_or_rest(r - 1)) P(r - 1, 15) += line.scale;
        } else if (r == line.rows) {
            w = 0.0f;
        } else if (c == kBar) {
            w = next < kKeySignature ? 3.5f : 1.5f;
            if (next == kClef) w = 1.5f;
            if (next == kNote && core::int_of(P(r + 1, 5)) % 10 != 0) w = 4.5f;
        } else if (c == kMeter) {
            w = P(r, 5) >= 10.0f ? 9.0f : (P(r, 6) < 10.0f ? 7.0f : 9.0f);
        } else {
            w = r <= 2 ? 9.0f : 8.0f;
            if (next >= kKeySignature) w += static_cast<float>(next - 19);
            // A key after the clef adds 1 of its own to this width.
            const float own = next == kKeySignature ? 1.0f : 0.0f;
            if (c == kClef) w = clef_gap(r, line.rows, w + own) - own;
        }
        w *= line.scale;
        line.avail -= w;
        P(r, 15) = w;
    }
}

// A grace chord (first row r, members to last): small heads, P7 65 / 64, position left open
// (P3 -1, set once the following note stands), automatic stems turned up.
void make_grace_chord(RhythmLine& line, int32_t r, int32_t last) {
    const int32_t stem = stem_code(line, r);
    if (stem == 0) drop_stem_digit(r);
    for (int32_t j = r + 1; j <= last; ++j) {
        P(j, 3) = -1.0f;
        make_small(j);
        P(j, 7) = kGraceRhythm;
        if (stem == 0 && !(P(j, 4) > P(r, 4))) {
            std::swap(P(j, 4), P(r, 4));
            std::swap(P(j, 5), P(r, 5));
        }
    }
    if (stem == 0) {
        if (line.chord_of_row(r) > 0) ChordStemCodes(line.chord_of_row(r)) = 10;
        P(r, 5) += 10.0f;
    }
    P(r, 7) = 65.0f;
    P(r, 3) = -1.0f;
    P(r, 9) = 1.0f;
    P(r, 13) = 1.0f;
    if (last > r) {
        arrange_chord_accidentals(static_cast<float>(last - r), last);
        int32_t lo = 0;
        int32_t hi = 0;
        for (int32_t j = r; j <= last; ++j) {
            const int32_t p = core::int_of(P(j, 4)) % 100;
            lo = j == r ? p : std::min(lo, p);
            hi = std::max(hi, p);
        }
        P(r, 8) = static_cast<float>(hi - lo + 61) * 1.6666f - 0.3333f;
    }
    if (line.col <= kColumnRows) {
        ColumnPositions(line.col) = -1.0f;
        line.grace_column(r) = line.col;
        ++line.col;
    }
}

// The stem extension of a small note (P8), from how far its head lies outside the staff.
void set_small_note_extension(int32_t r, bool grace) {
    const float q = core::amod(P(r, 4), 100.0f);
    const float w2 = 2.0f * core::amod(P(r, 8), 100.0f);
    float e = 0.0f;
    if (core::amod(P(r, 5), 100.0f) < 20.0f) {
        if (q < 1.0f) e = (2.0f - q) * 1.66666f - 2.0f;
    } else if (!grace && q > 13.0f) {
        e = (q - 12.0f) * 1.66666f - 2.0f;
    }
    if (e < w2 && is_member(r + 1)) e = w2;
    if (grace) {
        if (e == 0.0f) e = 1.0f;
        e += 100.0f;
    }
    P(r, 8) = e;
}

// A note or rest row r with its chord members up to last takes one rhythm and its position.
void place_rhythm_row(RhythmLine& line, int32_t r, int32_t last, int32_t rhythm_index) {
    float& token = InputTokenList(rhythm_index);
    float v = 0.0f, denominator = 0.0f, tuplet = 0.0f, beams = 0.0f;
    decode_rhythm_code(v, denominator, token, tuplet, beams);
    const bool rest = code_of(r) == kRest;
    const bool grace = is_grace(denominator);
    token = rest ? -v : v;
    if (grace) make_small(r);
    P(r, 7) = v;
    const float advance = grace ? 0.1f : v;
    const auto advance_s = [&] {
        if (line.total > 0.0f) line.s += advance / line.total * line.avail;
    };
    if (rest && grace) P(r, 7) = 65.0f;
    if (!rest && std::fabs(P(r, 4)) >= 100.0f) set_small_note_extension(r, grace);
    if (!rest && grace) {
        make_grace_chord(line, r, last);
        if (!line.spacing) advance_s();
        return;
    }

    if (rest) {
        if (P(r, 6) >= 0.0f && P(r, 15) == 0.0f) P(r, 6) = tuplet / 10.0f;
    } else {
        float d = tuplet;
        if (d != 0.0f && stem_code(line, r) == 20) d += 100.0f;
        for (int32_t j = r; j <= last; ++j) {
            P(j, 13) = P(j, 15) == -1.0f ? 0.0f : beams;
            P(j, 9) = d + P(j, 13);
        }
    }

    const float x = line.spacing ? spacing_position(line) : line.s;
    for (int32_t j = r; j <= last; ++j) {
        P(j, 3) = x;
        P(j, 7) = P(r, 7);
        if (rest) {
            if (P(j, 8) > 3.0f) P(j, 5) = -5.0f;
            if (P(j, 5) <= -1.0f) {
                P(j, 4) = 0.0f;
                P(j, 9) = -1.0f;
            }
            continue;
        }
        if (j == r && line.col <= kColumnRows &&
            (line.col < 2 || x != ColumnPositions(line.col - 1))) {
            ColumnPositions(line.col) = x;
            ++line.col;
        }
        if (denominator < 4.0f) P(j, 6) = rhythm_head_kind(denominator);
    }
    advance_s();
    if (rest && P(r, 15) == 0.0f)
        P(r, 5) = denominator < 4.0f ? -rhythm_head_kind(denominator) : beams;
}

// A clef, bar line, key signature or meter row: after the notes before it, or at the matching
// item of the spacing staff.
void place_fixed_row(RhythmLine& line, int32_t r) {
    const float w = P(r, 15);
    P(r, 15) = 0.0f;
    const int32_t c = code_of(r);
    if (!line.spacing) {
        if (r == line.rows) {
            line.notes_end = line.s;
            line.s = line.right;
        }
        if (r > 1 && is_note_or_rest(r - 1) && c != kBar) {
            line.avail += w / 3.0f;
            line.s -= w / 3.0f;
        }
        P(r, 3) = line.s;
        line.s += w;
        return;
    }
    SpacingListRecord& list = SpacingList;
    const int32_t n = list.count;
    if (c == kBar && r == 1 && list.v(1) != -14.0f) {
        P(r, 3) = 0.0f;
        return;
    }
    bool has_prev = false;
    float prev = 0.0f;
    for (int32_t j = r - 1; j >= 1; --j) {
        if (P(j, 3) >= 0.0f) {
            has_prev = true;
            prev = P(j, 3);
            break;
        }
    }
    // A first row with no match of its own stands at the start of the range.
    float x = has_prev ? prev : line.left;
    const float mark = -static_cast<float>(c);
    for (int32_t e = line.search; e <= n; ++e) {
        if (list.v(e) != mark) continue;
        x = list.x(e);
        line.search = e + 1;
        if (has_prev && x < prev) {
            float later = prev;
            if (c == kBar) {
                for (int32_t f = line.search; f <= n; ++f) {
                    if (list.v(f) == -14.0f && list.x(f) >= prev) {
                        later = list.x(f);
                        break;
                    }
                }
            }
            x = later;
        }
        break;
    }
    P(r, 3) = x;
}

// Grace chords stand just before the note that follows them (or at the line's end).
void place_grace_rows(RhythmLine& line) {
    for (int32_t r = line.rows; r >= 1; --r) {
        if (!(P(r, 3) < 0.0f)) continue;
        if (r == line.rows) {
            P(r, 3) = line.right - 4.0f;
        } else {
            const float n = P(r + 1, 3);
            float g = 3.0f;
            for (int32_t j = r - 1; j >= 1; --j) {
                if (P(j, 3) > 0.0f) {
                    if (n - P(j, 3) <= 4.0f) g = (n - P(j, 3)) / 2.0f;
                    break;
                }
            }
            P(r, 3) = is_member(r + 1) ? n : n - g;
        }
        if (line.grace_column(r) > 0) ColumnPositions(line.grace_column(r)) = P(r, 3);
    }
}

// In a tuplet chord the upper head of a third on the down-stem side drops the tuplet mark.
void clear_inner_tuplet_marks(const RhythmLine& line) {
    for (int32_t r = 1; r <= line.rows; ++r) {
        if (code_of(r) != kNote || P(r, 15) != 0.0f || P(r, 9) < 10.0f) continue;
        for (int32_t j = r + 1; j <= line.rows && P(j, 3) == P(r, 3); ++j) {
            if (P(j, 9) >= 100.0f && P(j, 4) - P(j - 1, 4) == 2.0f &&
                core::int_of(P(j, 4)) % 2 != 0)
                P(j, 9) = core::amod(P(j, 9), 10.0f);
        }
    }
}

// Clefs, bar lines, keys and meters that landed on or past their neighbours move aside.
void separate_fixed_rows(const RhythmLine& line) {
    const float scale = line.scale;
    if (!line.spacing) {
        for (int32_t r = 2; r <= line.rows - 1; ++r) {
            if (code_of(r) != kClef || code_of(r - 1) == kBar) continue;
            const float g = clef_gap(r, line.rows, 7.0f) * scale;
            if (P(r + 1, 3) - P(r - 1, 3) >= g + 0.625f) P(r, 3) = P(r + 1, 3) - g;
        }
        return;
    }
    for (int32_t r = 2; r <= line.rows; ++r) {
        if (is_note_or_rest(r)) continue;
        const bool last = r == line.rows;
        const float x = P(r, 3);
        const float xp = P(r - 1, 3);
        const float xn = last ? InputRangeEnd : P(r + 1, 3);
        if (!(xn < x || xp == x)) continue;
        const int32_t c = code_of(r);
        const auto before_next = [&](float g) {
            if (xn - x < g) g = (xn - x) / 2.0f;
            P(r, 3) = xn - scale * g;
        };
        if (c == kClef) {
            before_next(clef_gap(r, line.rows, 6.5f));
        } else if (c == kBar) {
            P(r, 3) = last ? render::PageExtent : xn - 2.5f * scale;
        } else if (c == kKeySignature) {
            if (last)
                P(r, 3) = xp + 2.0f * scale;
            else
                before_next((std::fabs(P(r, 5)) - 1.0f) * 2.5f + 4.5f);
        } else {
            const float g = code_of(r - 1) == kClef ? 5.5f : 1.5f;
            P(r, 3) = last && code_of(r - 1) != kBar ? xn + scale * g : xp + scale * g;
        }
    }
}

// The least room a note keeps from the next column when a line is crowded (staff units).
constexpr float kLeastNoteRoom = 0.2f;

// A line whose notes, clefs, keys and meters need more room than its range has (many keys of
// many accidentals) is crowded into it instead of running past the range's end and the page's,
// or, when its fixed widths alone fill the range, instead of stepping its notes backwards: the
// notes' rooms shrink by one proportion first, each keeping at least kLeastNoteRoom, and only
// then the rooms of the clefs, bar lines, keys and meters, with a message naming the staff. A
// line that fits keeps its places.
void crowd_into_range(RhythmLine& line) {
    const float limit = std::fmin(InputRangeEnd > line.left ? InputRangeEnd : render::PageExtent,
                                  render::PageExtent);
    if (!(limit > line.left)) return;
    // The rows that take a position of their own (not chord members), and where the line ends:
    // behind its last note's room, or at its closing row, placed after the notes before it.
    std::vector<int32_t> rows;
    for (int32_t r = 1; r <= line.rows; ++r) {
        if (!is_member(r)) rows.push_back(r);
    }
    if (rows.empty()) return;
    std::vector<float> old(rows.size());
    for (std::size_t j = 0; j < rows.size(); ++j) old[j] = P(rows[j], 3);
    if (!is_note_or_rest(rows.back())) old.back() = std::fmax(old.back(), line.notes_end);
    const float end = std::fmax(line.s, old.back());

    // Gaps: from the range's start to the first row, between rows, from the last row to the end;
    // a gap after a note or rest is the note's room, any other a fixed room. A room that went
    // below nothing (the fixed widths took more than the range) counts as none, a note's as the
    // least.
    const float least = kLeastNoteRoom * line.scale;
    const std::size_t n = rows.size() + 1;
    std::vector<float> gap(n);
    std::vector<bool> note_room(n, false);
    float previous = line.left;
    float notes = 0.0f;
    float fixed = 0.0f;
    float narrowest = HUGE_VALF;
    for (std::size_t j = 0; j < n; ++j) {
        const float x = j < rows.size() ? old[j] : end;
        note_room[j] = j > 0 && is_note_or_rest(rows[j - 1]);
        gap[j] = std::fmax(x - previous, note_room[j] ? least : 0.0f);
        previous = x;
        if (note_room[j]) {
            notes += gap[j];
            narrowest = std::fmin(narrowest, gap[j]);
        } else {
            fixed += gap[j];
        }
    }
    // Only a row that stands past the limit, as placed or once no room runs backwards, crowds
    // the line; the last note's own room may reach a little beyond it.
    const float last_row = line.left + notes + fixed - gap[n - 1];
    if (last_row <= limit + 0.01f) return;
    const float avail = limit - line.left;
    InputLineCrowded = true;

    float note_factor = notes > 0.0f ? (avail - fixed) / notes : 1.0f;
    float fixed_factor = 1.0f;
    if (notes <= 0.0f) {
        note_factor = fixed_factor = fixed > 0.0f ? avail / fixed : 1.0f;
    } else if (note_factor * narrowest < least - 0.0001f) {
        note_factor = std::fmin(1.0f, least / narrowest);
        fixed_factor = fixed > 0.0f ? (avail - note_factor * notes) / fixed : 0.0f;
        if (fixed_factor < 0.0f) note_factor = fixed_factor = avail / (notes + fixed);
        const auto place = [](float x) {
            std::string text = core::format_real("(1f7.2)", x);
            text.erase(0, text.find_first_not_of(' '));
            return text;
        };
        core::report_failure("*** Staff " + std::to_string(core::int_of(InputStaff)) +
                             " cannot fit between " + place(line.left) + " and " + place(limit) +
                             ", even with the notes at the least room: the clefs, bar lines, keys "
                             "and meters were narrowed.");
    }

    float x = line.left;
    std::vector<float> placed(rows.size());
    for (std::size_t j = 0; j < rows.size(); ++j) {
        x += gap[j] * (note_room[j] ? note_factor : fixed_factor);
        placed[j] = std::fmin(x, limit);
    }
    for (int32_t c = 1; c < line.col && c <= kColumnRows; ++c) {
        for (std::size_t j = 0; j < rows.size(); ++j) {
            if (ColumnPositions(c) == P(rows[j], 3)) {
                ColumnPositions(c) = placed[j];
                break;
            }
        }
    }
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const int32_t next = j + 1 < rows.size() ? rows[j + 1] : line.rows + 1;
        for (int32_t k = rows[j]; k < next; ++k) P(k, 3) = placed[j];
    }
    line.s = limit;
}

}  // namespace

void apply_input_rhythms() {
    RhythmLine line;
    line.rows = std::clamp(ColumnRecords.count, 0, kColumnRows);
    const int32_t staff = core::int_of(InputStaff);
    if (staff >= 1 && staff <= kMaxStaves) line.scale = StaffTables.StaffScale(staff) / 25.0f;
    line.left = InputRangeStart;
    line.right = InputRangeEnd;
    line.spacing = SpacingList.count > 0;
    for (int32_t c = std::min(ChordCount, kInputRows); c >= 1; --c) {
        const int32_t first = ChordFirstRows(c);
        if (first >= 1 && first <= kColumnRows) line.chord_of_row(first) = c;
    }

    ColumnPositions(1) = -1.0f;
    line.s = line.left;
    InputLineCrowded = false;
    if (!line.spacing) reserve_trailing_widths(line);
    if (line.spacing) start_spacing_segment(line);

    // Rhythms not given count as grace notes (and stale entries are never read).
    const int32_t given = std::clamp(core::int_of(InputTokenList(0)), 0, kInputTokenCapacity);
    const int32_t needed = std::clamp(RhythmRowCount, 0, kInputTokenCapacity);
    for (int32_t i = given + 1; i <= needed; ++i) InputTokenList(i) = kGraceRhythm;
    if (!line.spacing && given != needed)
        core::report_failure("Mismatch -- " + count_field(given) + " rhythms, " +
                             count_field(needed) + " needed.");

    for (int32_t i = 1; i <= needed; ++i) {
        float v = 0.0f, denominator = 0.0f, tuplet = 0.0f, beams = 0.0f;
        decode_rhythm_code(v, denominator, InputTokenList(i), tuplet, beams);
        if (!is_grace(denominator))
            line.total += v;
        else if (!line.spacing)
            line.total += 0.1f;
    }

    if (!line.spacing) {
        if (line.right <= line.left) line.left = RememberedLeftEnd;
        line.avail = line.right - line.left;
        RememberedLeftEnd = line.left;
        line.s = line.left;
        reserve_fixed_widths(line);
    } else if (std::fabs(line.total - SpacingList.quarters) > 0.007f) {
        core::show_notice(" *** Mismatch - Spacing Staff has " +
                          core::format_real("(1f6.2)", SpacingList.quarters) +
                          " Quarter Notes.||Quarter Notes on this staff = " +
                          core::format_real("(1f6.2)", line.total));
    }

    int32_t rhythm_index = 0;
    for (int32_t r = 1; r <= line.rows;) {
        if (is_member(r)) {  // a member with no first row before it: nothing to follow
            ++r;
            continue;
        }
        if (!is_note_or_rest(r)) {
            place_fixed_row(line, r);
            ++r;
            continue;
        }
        int32_t last = r;
        if (code_of(r) == kNote)
            while (last < line.rows && is_member(last + 1)) ++last;
        // Rows beyond the counted ones (a damaged count) take the grace rhythm of a missing one.
        ++rhythm_index;
        if (rhythm_index > kInputTokenCapacity) break;
        if (rhythm_index > std::max(given, needed)) InputTokenList(rhythm_index) = kGraceRhythm;
        place_rhythm_row(line, r, last, rhythm_index);
        r = last + 1;
    }

    place_grace_rows(line);
    clear_inner_tuplet_marks(line);
    separate_fixed_rows(line);
    if (!line.spacing) crowd_into_range(line);

    for (int32_t r = 1; r <= line.rows; ++r) RowRhythms(r) = is_member(r) ? 0.0f : P(r, 7);
    set_chord_head_flags(1, line.rows + 1);
    const int32_t col = std::min(line.col, kColumnRows + 1);
    ColumnPositions(col) = render::PageExtent;
    ColumnPositionCount = col;
}

}  // namespace layout
