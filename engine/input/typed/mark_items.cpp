// A parsed marks line to marks on the notes of the input staff. Small codes (articulations,
// fingerings, ornaments up to 44) become the notes' own attribute P11; the others become rows of
// ColumnRecords that the input mode stores as items: symbols (code 9), tremolo strokes (6),
// octave and trill lines (7) and hairpins (4).
//
// Note n of a marks line is the n-th note column, as in the beams and slurs lines and the lines
// written back: a chord counts once and its mark goes to its first note, which carries the
// chord's stem. The flip of a beamed group names rows instead (every chord note by itself). A
// note number below 1 stands at the staff's left end, one beyond the last note at its right
// end; a fraction moves the mark toward the next note's x.
#include "engine/input/typed/mark_items.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/input/tables.h"
#include "engine/input/typed/mark_tokens.h"
#include "engine/input/typed/token_scan.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/tables.h"

namespace input {

namespace {

// A list value of this magnitude or more is a mark code (code x 10000); values from 1000 to
// 1999 are range starts (1000 + the first note); smaller ones are note numbers.
constexpr float kMarkValue = 9999.0f;
constexpr float kRangeStart = 1000.0f;
constexpr float kRangeLimit = 2000.0f;
// Codes: attributes up to this one; symbols below the tremolo strokes; lines from the first
// octave line on.
constexpr int32_t kLastAttributeCode = 44;
constexpr int32_t kFirstTremoloCode = 71;
constexpr int32_t kFirstLineCode = 95;

// Where one mark applies: a single note number (first == last), a range of notes, or a line
// from its first to its last note.
struct MarkTarget {
    float first = 0.0f;
    float last = 0.0f;
    bool range = false;
};
struct MarkEntry {
    int32_t code = 0;
    int32_t side = 0;
    bool symbol = false;  // a numbered symbol ("N" n)
    std::vector<MarkTarget> targets;
    bool line() const { return !symbol && code >= kFirstLineCode; }
};

// Splits the token list into marks and their notes. A line mark takes a range, or two note
// numbers (its first and last note). False for a range start or a line mark with no note number
// after it.
bool collect_marks(std::vector<MarkEntry>& marks) {
    const int32_t n = std::clamp(static_cast<int32_t>(InputTokenList(0)), 0, kInputTokenCapacity);
    bool open_line = false;
    for (int32_t i = 1; i <= n; ++i) {
        const float v = InputTokenList(i);
        const float magnitude = std::fabs(v);
        if (magnitude >= kMarkValue) {
            if (open_line) return false;
            MarkEntry m;
            m.code = static_cast<int32_t>(magnitude) / 10000;
            m.symbol = v < 0.0f;
            const bool other_side = MarkSideFlags(i) != 0 || std::fmod(magnitude, 10000.0f) != 0.0f;
            m.side = other_side ? -m.code : m.code;
            marks.push_back(m);
        } else if (v >= kRangeStart && v < kRangeLimit) {
            if (i == n || std::fabs(InputTokenList(i + 1)) >= kRangeStart || open_line)
                return false;
            if (!marks.empty())
                marks.back().targets.push_back({v - kRangeStart, InputTokenList(i + 1), true});
            ++i;
        } else if (magnitude < kRangeStart && !marks.empty()) {
            MarkEntry& m = marks.back();
            if (m.line() && open_line) {
                m.targets.back().last = v;
                open_line = false;
            } else {
                m.targets.push_back({v, v, false});
                open_line = m.line();
            }
        }
    }
    return !open_line;
}

// The notes of the input staff and the staff's ends.
struct NoteRows {
    std::vector<int32_t> rows;  // ColumnRecords row of note 1, 2, ...
    float left = 0.0f;
    float right = 0.0f;

    int32_t count() const { return static_cast<int32_t>(rows.size()); }
    ColumnRow* row(int32_t note) {
        if (note < 1 || note > count()) return nullptr;
        return &layout::ColumnRecords.rows(rows[static_cast<std::size_t>(note - 1)]);
    }
    float x_of(int32_t note) {
        if (note < 1) return left;
        if (note > count()) return right;
        return (*row(note))(3);
    }
    // The x of a note number: a fraction moves it toward the next note (the right end after
    // the last note).
    float x_at(float number) {
        const int32_t note = static_cast<int32_t>(number);
        const float fraction = number - static_cast<float>(note);
        const float x = x_of(note);
        if (fraction == 0.0f) return x;
        return x + fraction * (x_of(note + 1) - x);
    }
};

// A note row that follows a note row at the same x is a further note of that chord.
bool chord_member(int32_t r) {
    const auto& rows = layout::ColumnRecords.rows;
    return r > 1 && rows(r - 1)(1) == 1.0f && rows(r - 1)(3) == rows(r)(3);
}

NoteRows find_note_rows(bool by_column) {
    NoteRows notes;
    for (int32_t r = 1; r <= layout::ColumnRecords.count; ++r)
        if (layout::ColumnRecords.rows(r)(1) == 1.0f && !(by_column && chord_member(r)))
            notes.rows.push_back(r);
    const float kept_lookup = render::StaffLookupNumber;
    render::StaffLookupNumber = InputStaff;
    float left = 0.0f, right = render::PageExtent;
    int32_t flag = 0;
    render::get_staff_ends(left, right, flag);
    render::StaffLookupNumber = kept_lookup;
    notes.left = left;
    notes.right = right;
    return notes;
}

float position_of(const ColumnRow& row) { return core::amod(row(4), 100.0f); }
bool stem_down(const ColumnRow& row) { return core::amod(row(5), 100.0f) >= 20.0f; }

// The lowest and highest place a line must clear over the notes from first to last: a down
// stem reaches 7 lower, an up stem 7 higher.
void note_extremes(NoteRows& notes, float first, float last, float& lowest, float& highest) {
    lowest = 99.0f;
    highest = -99.0f;
    int32_t a = static_cast<int32_t>(first), b = static_cast<int32_t>(last);
    if (a > b) std::swap(a, b);
    for (int32_t k = std::max(a, 1); k <= std::min(b, notes.count()); ++k) {
        const ColumnRow& row = *notes.row(k);
        const float p = position_of(row);
        lowest = std::min(lowest, stem_down(row) ? p - 7.0f : p);
        highest = std::max(highest, stem_down(row) ? p : p + 7.0f);
    }
}

ColumnRow new_mark_row(float p1) {
    ColumnRow row;
    row.fill(0.0f);
    row(1) = p1;
    row(2) = InputStaff;
    return row;
}

// The mark on one note at x: the attribute, a symbol row or tremolo strokes. False when
// ColumnRecords is full.
bool mark_one_note(const MarkEntry& m, float x, ColumnRow* note) {
    static const ColumnRow kNoNote = [] {
        ColumnRow r;
        r.fill(0.0f);
        return r;
    }();
    if (!m.symbol && m.code <= kLastAttributeCode) {
        if (note == nullptr) return true;
        int32_t side = m.side;
        float offset = 0.0f;
        if (find_code_in_table(m.code, side) > 0) compute_mark_offset(*note, m.code, offset, side);
        (*note)(11) = static_cast<float>(side) + offset;
        return true;
    }
    if (m.symbol || m.code < kFirstTremoloCode) {
        ColumnRow row = new_mark_row(9.0f);
        int32_t side = m.side;
        float offset = 0.0f;
        compute_mark_offset(note != nullptr ? *note : kNoNote, m.code, offset, side);
        row(3) = x;
        row(4) = (side < 0 ? 14.0f : -2.0f) + offset;
        row(5) = static_cast<float>(m.code);
        row(6) = 1.0f;
        if (!m.symbol) row(15) = PageMarkSetting;
        return layout::append_column_row(row);
    }
    // Tremolo strokes across the stem: they need a note.
    if (note == nullptr) return true;
    ColumnRow& n = *note;
    ColumnRow row = new_mark_row(6.0f);
    row(3) = x;
    row(10) = static_cast<float>(m.code - 80);
    row(7) = -core::amod(n(5), 100.0f);
    if (n(6) >= 2.0f && n(6) <= 3.0f) row(14) = row(7) < -10.0f ? 1.6f : -1.23f;
    const bool up = row(7) > -20.0f;
    float d = (m.code >= 92 ? 1.0f : 2.0f) - n(8);
    if (core::amod(n(9), 10.0f) != 0.0f) {
        if (up) d += 1.0f;
        n(8) += 0.5f;
    }
    if (up) d = -d;
    row(4) = position_of(n) + d;
    return layout::append_column_row(row);
}

// An octave line, trill line or hairpin from the first to the last note of t. False when
// ColumnRecords is full.
bool mark_line(const MarkEntry& m, const MarkTarget& t, NoteRows& notes) {
    float last = t.last;
    // An octave line or hairpin given as a range stops at the last note.
    if (t.range && m.code <= 99 && notes.count() > 0)
        last = std::min(last, static_cast<float>(notes.count()));
    float lowest = 0.0f, highest = 0.0f;
    note_extremes(notes, t.first, last, lowest, highest);
    ColumnRow row = new_mark_row(7.0f);
    float extension = 0.0f;
    row(3) = notes.x_at(t.first);
    if (m.code >= 97 && m.code <= 119) {
        row(1) = 4.0f;
        row(5) = 999.0f;
        if (m.code == 98) row(7) = -1.0f;
        if (m.side < 1) {
            row(4) = 14.0f;
            if (highest > 10.0f) row(4) = highest + 3.5f;
        } else if (lowest < 4.0f) {
            row(4) = lowest - 3.5f;
        }
    } else {
        row(5) = 1.0f;
        extension = ornament_line_extension(InputStaff);
        if (m.code == 95) {
            row(7) = -8.0f;
            row(12) = 1.0f;
            row(4) = lowest < 4.0f ? lowest - 3.5f - 1.5f : -1.5f;
        } else {
            if (m.code == 96) {
                row(7) = 8.0f;
                row(12) = -1.0f;
            } else {
                row(8) = static_cast<float>(m.code % 10);
            }
            row(4) = highest > 10.0f ? highest + 3.5f - 1.5f : 12.5f;
        }
    }
    row(6) = notes.x_at(last) + extension;
    return layout::append_column_row(row);
}

// A mark drawn on its note itself (an attribute, tremolo strokes): without the note it has
// nowhere to go.
bool needs_note(const MarkEntry& m) {
    return !m.symbol && !m.line() && (m.code <= kLastAttributeCode || m.code >= kFirstTremoloCode);
}

// Names a mark left out because its note number lies past the line's notes.
void report_mark_without_note(const MarkEntry& m, const MarkTarget& t, int32_t notes) {
    const auto number = [](float n) {
        const std::string whole = std::to_string(static_cast<int32_t>(n));
        if (n == std::trunc(n)) return whole;
        std::string text = std::to_string(n);
        text.erase(text.find_last_not_of('0') + 1);
        return text;
    };
    std::string pair = mark_word(m.code) + " " + number(t.first);
    if (t.range) pair += ":" + number(t.last);
    core::name_untaken_line(
        "**** Input error ****  " + pair + "  names no note: the line has " +
        std::to_string(notes) +
        " notes (a chord counts once, a rest not at all); the mark was left out.");
}

// Contract: see the header. Reads InputTokenList, MarkSideFlags, InputStaff, PageMarkSetting,
// the staff item of the input staff (its ends) and StaffScale; writes P11 of the note rows
// (and P8 of a note given tremolo strokes) and appends rows to ColumnRecords, stopping when
// ColumnRecords is full (the rows made stay). Bad input: a range start or a line mark with no
// note number after it is a syntax error found before anything is written, so that the line
// can be entered again without doubled marks; a mark drawn on a note whose number lies past
// the line's notes is named and left out.
void build_marks(bool by_column) {
    std::vector<MarkEntry> marks;
    if (!collect_marks(marks)) {
        int32_t cursor = InputLineEnd;
        syntax_error(cursor);
        return;
    }
    NoteRows notes = find_note_rows(by_column);
    for (const MarkEntry& m : marks) {
        for (const MarkTarget& t : m.targets) {
            if (by_column && needs_note(m) && t.first > static_cast<float>(notes.count())) {
                report_mark_without_note(m, t, notes.count());
                continue;
            }
            if (m.line()) {
                if (!mark_line(m, t, notes)) return;
            } else if (!t.range) {
                if (!mark_one_note(m, notes.x_at(t.first),
                                   notes.row(static_cast<int32_t>(t.first))))
                    return;
            } else {
                const int32_t a = std::max(static_cast<int32_t>(t.first), 1);
                const int32_t b = std::min(static_cast<int32_t>(t.last), notes.count());
                for (int32_t k = a; k <= b; ++k)
                    if (!mark_one_note(m, notes.x_of(k), notes.row(k))) return;
            }
        }
    }
}

}  // namespace

// Contract: see the header. Reads StaffScale only.
float ornament_line_extension(float staff_word) {
    const int32_t staff = static_cast<int32_t>(staff_word);
    const float size = (staff >= 1 && staff <= layout::kMaxStaves)
                           ? layout::StaffTables.StaffScale(staff) / 25.0f
                           : 1.0f;
    return size / 6.0f;
}

void build_mark_items() { build_marks(true); }

void build_mark_items_on_rows() { build_marks(false); }

}  // namespace input
