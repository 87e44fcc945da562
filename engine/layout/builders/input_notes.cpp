// The notes line of typed input: its tokens become the rows of notes, rests, clefs, bar lines,
// key signatures and meters, spread evenly over the input range, with stems and chords.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/store/clef_steps.h"
#include "engine/core/tables.h"
#include "engine/layout/builders/input_builders.h"
#include "engine/layout/notes/chord_arrangement.h"
#include "engine/layout/tables.h"

namespace layout {

namespace {

constexpr int32_t kNoteKind = 1;
constexpr int32_t kRestKind = 2;
constexpr int32_t kClefKind = 3;
constexpr int32_t kBarKind = 4;
constexpr int32_t kStemKind = 5;
constexpr int32_t kStemLengthKind = 6;
constexpr int32_t kFlaggedNoteKind = 7;
constexpr int32_t kSmallKind = 8;
constexpr int32_t kShortRestKind = 9;
constexpr int32_t kKeyKind = 17;
constexpr int32_t kMeterKind = 20;

// A meter's numerator takes two digits, so its tokens run from 20000 to 29999: they are all
// meters, never kinds of their own.
int32_t kind_of(float token) {
    const int32_t kind = static_cast<int32_t>(std::fabs(token) / 1000.0f);
    return kind >= kMeterKind && kind < kMeterKind + 10 ? kMeterKind : kind;
}
int32_t value_of(float token) {
    return static_cast<int32_t>(std::fabs(token)) - 1000 * kind_of(token);
}
bool is_note(float token) {
    const int32_t k = kind_of(token);
    return k == kNoteKind || k == kFlaggedNoteKind;
}
bool is_member(float token) { return token < 0.0f && is_note(token); }

// Steps from a clef's reference line to step 0 of the staff: 0, 12, 6, 8, 10 ... for clefs 0..
int32_t clef_offset(int32_t clef) { return clef <= 1 ? 12 * clef : 2 * clef + 2; }

// The longest run of chord notes (a note and the members after it) on the token list.
int32_t longest_chord(int32_t count) {
    int32_t longest = 0;
    int32_t run = 0;
    for (int32_t i = 1; i <= count; ++i) {
        const float t = InputTokenList(i);
        if (is_member(t) && run > 0)
            ++run;
        else
            run = is_note(t) ? 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// Reorders the chord of tokens i .. j - 1 by its positions under the step offset of its clef:
// lowest first when the chord lies low (or the stem is up), highest first otherwise; equal
// positions keep their typed order. The first token is written positive, the members negative.
void order_chord_tokens(int32_t i, int32_t j, int32_t offset, int32_t stem) {
    struct Entry {
        float magnitude;
        int32_t q;
    };
    std::vector<Entry> chord;
    int32_t lo = 0;
    int32_t hi = 0;
    for (int32_t k = i; k < j; ++k) {
        const float t = InputTokenList(k);
        const int32_t q = value_of(t) % 100 - 28 - offset;
        if (chord.empty() || q < lo) lo = q;
        if (chord.empty() || q > hi) hi = q;
        chord.push_back({std::fabs(t), q});
    }
    const int32_t turn = stem == 0 ? 14 - (lo + hi) : 11 - stem;
    if (turn >= 1)
        std::stable_sort(chord.begin(), chord.end(),
                         [](const Entry& a, const Entry& b) { return a.q < b.q; });
    else
        std::stable_sort(chord.begin(), chord.end(),
                         [](const Entry& a, const Entry& b) { return a.q > b.q; });
    for (int32_t k = i; k < j; ++k) {
        const float m = chord[static_cast<std::size_t>(k - i)].magnitude;
        InputTokenList(k) = k == i ? m : -m;
    }
}

// The fields of a rest token with value r.
void fill_rest(core::Array1<float, kColumnWords>& row, int32_t kind, float token, int32_t r) {
    if (kind == kShortRestKind) {
        row(8) = -1.0f;
        row(4) = r == 1 ? 6.0f : -6.0f;
    } else if (token < 0.0f) {
        row(8) = static_cast<float>(r);
        row(5) = -2.0f;
        row(15) = -1.0f;
    } else {
        switch (r) {
            case 1:
                row(6) = -1.0f;
                break;
            case 2:
            case 8:
            case 9:
                row(5) = -2.0f;
                row(15) = -1.0f;
                break;
            case 3:
                row(5) = -4.0f;
                row(15) = -1.0f;
                break;
            case 4:
                row(4) = -6.0f;
                break;
            case 5:
                row(4) = 6.0f;
                break;
            case 6:
                row(8) = -1.0f;
                break;
            default:
                break;
        }
    }
    if (row(5) < 0.0f) row(4) = 0.0f;
}

// Step 5 of the line: each chord's stem turned to the side its notes reach to, then arranged.
void finish_chords() {
    for (int32_t c = 1; c <= ChordCount; ++c) {
        const int32_t b = ChordFirstRows(c);
        float& reach = ColumnRecords.rows(b)(7);
        int32_t a = static_cast<int32_t>(reach);
        if (a == 0) continue;
        const int32_t whole = static_cast<int32_t>(ColumnRecords.rows(b)(5));
        const int32_t hundreds = 100 * (whole / 100);
        int32_t k = whole - hundreds;
        if (k >= 10) {
            const int32_t digit = 10 * (k / 10);
            if (a > 0 && digit == 20) k -= 10;
            if (a < 0 && digit == 10) k += 10;
        }
        a = std::abs(a);
        ColumnRecords.rows(b)(5) = static_cast<float>(k + hundreds);
        reach = 0.0f;
        arrange_chord_accidentals(static_cast<float>(a), b + a);
    }
}

}  // namespace

int32_t sent_note_staff(int32_t staff, float p12) {
    const int32_t mark = static_cast<int32_t>(p12);
    if (mark != 1 && mark != 2) return 0;
    const int32_t to = staff - 2 * mark + 3;
    return to >= 1 && to <= kMaxStaves ? to : 0;
}

int32_t sent_note_step_offset(int32_t to, float position) {
    if (const int32_t k = core::clef_item_at(to, position); k != 0) {
        const int32_t s = core::ItemStartTable(k);
        return static_cast<int32_t>(core::ItemStore(s)) >= 5
                   ? core::clef_item_step_offset(core::ItemStore(s + 5))
                   : 0;
    }
    const int32_t kept = StaffClefKinds(to) == 4 ? 0 : StaffClefKinds(to);
    return -clef_offset(kept);
}

// Contract: see the header. Reads InputTokenList, InputStaff, InputRangeStart/End,
// StaffClefKinds, RegenerateInputFlag; writes InputRangeStart (1.5 for a left end of 0.0 before
// a first token that is no bar line), InputTokenList (chord order), ColumnRecords,
// RhythmRowCount, ChordStemCodes, ChordFirstRows, ChordCount, SmallNoteSetting and, unless
// regenerating, the staff's clef in StaffClefKinds. A chord of more than 80 notes builds
// nothing ("*** Chord of more than 80 notes."); a full ColumnRecords stops the line where it is.
void place_input_notes() {
    for (int32_t r = 1; r <= kColumnRows + 1; ++r) ColumnRecords.rows(r).fill(0.0f);
    ColumnRecords.count = 0;
    RhythmRowCount = 0;
    ChordCount = 0;
    SmallNoteSetting = 0;
    const int32_t count =
        std::clamp(static_cast<int32_t>(InputTokenList(0)), 0, kInputTokenCapacity);
    if (count == 0) return;
    if (longest_chord(count) > kChordNotes) {
        core::report_failure("*** Chord of more than 80 notes.");
        return;
    }

    const int32_t staff = static_cast<int32_t>(InputStaff);
    const bool staff_known = staff >= 1 && staff <= kMaxStaves;
    int32_t clef = RegenerateInputFlag == 0 && staff_known ? StaffClefKinds(staff) : 0;
    int32_t stem = 0;
    int32_t last_stem = 0;
    float stem_length = 0.0f;
    bool clef_met = false;
    int32_t slot = 0;
    int32_t chord_row = 0;

    if (kind_of(InputTokenList(1)) != kBarKind && InputRangeStart == 0.0f) InputRangeStart = 1.5f;
    int32_t members = 0;
    for (int32_t i = 1; i <= count; ++i)
        if (is_member(InputTokenList(i))) ++members;
    const float step = (InputRangeEnd - InputRangeStart) / static_cast<float>(count + 1 - members);

    // The step offset a note at slot n takes its level from: its staff's clef, or for a note
    // sent to the other staff (its P12), that staff's clef at its place, so that it sounds at
    // the pitch typed wherever it is drawn.
    const auto note_offset = [&](int32_t n) {
        const int32_t to =
            RegenerateInputFlag == 0 && staff_known ? sent_note_staff(staff, stem_length) : 0;
        if (to == 0) return -clef_offset(clef);
        return sent_note_step_offset(to, static_cast<float>(n) * step + InputRangeStart);
    };

    for (int32_t i = 1; i <= count; ++i) {
        const int32_t r = ColumnRecords.count + 1;
        if (InputTokenList(i) >= 0.0f && is_note(InputTokenList(i)) && i < count &&
            is_member(InputTokenList(i + 1))) {
            int32_t j = i + 1;
            while (j <= count && is_member(InputTokenList(j))) ++j;
            order_chord_tokens(i, j, note_offset(slot + 1), stem);
        }
        const float token = InputTokenList(i);
        const int32_t kind = kind_of(token);
        const int32_t value = value_of(token);

        core::Array1<float, kColumnWords> row;
        row.fill(0.0f);
        bool member = false;
        bool made = true;
        switch (kind) {
            case kNoteKind:
            case kFlaggedNoteKind: {
                const int32_t accidental = value / 100;
                const float flagged =
                    kind == kFlaggedNoteKind && std::fabs(token) >= 7001.0f ? 100.0f : 0.0f;
                const int32_t offset = note_offset(token < 0.0f ? slot : slot + 1);
                const float p = static_cast<float>(value % 100 - offset - 28);
                row(1) = 1.0f;
                row(4) = p;
                row(12) = stem_length;
                member = token < 0.0f && chord_row >= 1;
                if (member) {
                    row(15) = -1.0f;
                    row(5) = static_cast<float>(accidental) + flagged;
                    int32_t b = r - 1;
                    const auto& before = ColumnRecords.rows(b);
                    if (std::fmod(before(5), 100.0f) < 10.0f) b = chord_row;
                    auto& first = ColumnRecords.rows(b);
                    const float pb = std::fmod(first(4), 100.0f);
                    const float reach = static_cast<float>(r - b);
                    // Unison members keep the whole chord in reach, on the side of the stem.
                    if (p > pb)
                        first(7) = reach;
                    else if (p < pb)
                        first(7) = -reach;
                    else
                        first(7) = std::fmod(before(5), 100.0f) < 20.0f ? reach : -reach;
                    first(8) = std::max(first(8), std::fabs(pb - p));
                } else {
                    ++ChordCount;
                    ChordStemCodes(ChordCount) = stem;
                    ChordFirstRows(ChordCount) = r;
                    chord_row = r;
                    const int32_t digit = stem != 0 ? stem : (p < 7.0f ? 10 : 20);
                    if (digit == 20 && p > 14.0f) row(8) = p - 14.0f;
                    if (digit == 10 && p < 0.0f) row(8) = -p;
                    row(5) = static_cast<float>(digit + accidental) + flagged;
                    ++RhythmRowCount;
                }
                break;
            }
            case kRestKind:
            case kShortRestKind:
                row(1) = 2.0f;
                fill_rest(row, kind, token, value);
                ++RhythmRowCount;
                break;
            case kClefKind:
                if (token < 0.0f) {
                    clef = value;
                    made = false;
                    break;
                }
                row(1) = 3.0f;
                row(5) = static_cast<float>(value);
                clef = value == 4 ? 0 : value;
                if (r == 1)
                    row(4) = 0.0f;
                else if (!clef_met && ColumnRecords.rows(r - 1)(1) == 14.0f)
                    row(4) = 0.0f;
                else
                    row(4) = 100.0f;
                clef_met = true;
                break;
            case kBarKind: {
                const int32_t t = value / 100;
                const int32_t p = value % 100;
                row(1) = 14.0f;
                row(5) = t == 9 ? 0.0f : static_cast<float>(t);
                // An invisible bar typed before any bar number spans its own staff: -0 would
                // store no invisible bar at all.
                row(4) = t == 9 ? (p == 0 ? -1.0f : static_cast<float>(-p)) : static_cast<float>(p);
                break;
            }
            case kKeyKind:
                if (value == 0) {
                    made = false;
                    break;
                }
                row(1) = 17.0f;
                row(5) = token < 0.0f ? static_cast<float>(-value) : static_cast<float>(value);
                row(6) = static_cast<float>(clef);
                break;
            case kMeterKind: {
                const int32_t n = value / 100;
                row(1) = 18.0f;
                row(5) = static_cast<float>(n);
                // Common and cut time carry no denominator.
                row(6) = n == 98 || n == 99 ? 0.0f : static_cast<float>(value % 100);
                break;
            }
            case kStemKind:
                stem = value;
                last_stem = value;
                made = false;
                break;
            case kStemLengthKind:
                stem_length = token < 0.0f ? static_cast<float>(-value) : static_cast<float>(value);
                made = false;
                break;
            case kSmallKind:
                SmallNoteSetting = value != 0 ? 1 : 0;
                if (SmallNoteSetting == 1 && stem == 0) stem = 10;
                if (SmallNoteSetting == 0) stem = last_stem;
                made = false;
                break;
            default:
                made = false;
                break;
        }
        if (!made) continue;

        const float item = row(1);
        if (SmallNoteSetting == 1 && (item == 1.0f || item == 2.0f || item == 3.0f))
            row(4) += row(4) >= 0.0f ? 100.0f : -100.0f;
        row(2) = InputStaff;
        if (!member) ++slot;
        row(3) = static_cast<float>(slot) * step + InputRangeStart;
        if (!append_column_row(row)) break;
    }

    finish_chords();
    if (RegenerateInputFlag == 0 && staff_known) StaffClefKinds(staff) = clef;
}

}  // namespace layout
