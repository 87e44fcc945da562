#include "engine/edit/pitch/tablature.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/pitch/pitch_context.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/render/text/tab_numbers.h"

namespace edit {

namespace {

using core::ItemStartTable;
using core::ItemStore;
using core::ParamBuffer;

constexpr float kSlurWindow = 3.0f;
// An adjustment of -k is kept as 20 + k, the "lower by v - 20" form the number drawer reads.
constexpr int32_t kLowestAdjustment = -12;
constexpr int32_t kHighestRaise = 20;
constexpr int32_t kLowestSetPitch = 33;
constexpr int32_t kHighestSetPitch = 99;
// Chord moves are few (each moves notes one string); this bounds a chord that never settles.
constexpr int32_t kChordMoveLimit = 64;
constexpr int32_t kTextCode = 16;
constexpr int32_t kTunedTabKinds = 3;  // kinds 0..3 have their frets worked out
constexpr float kRangeSlack = 0.001f;
// How far (in levels) a text item may stand from a line that belongs to it.
constexpr float kTextLineLevels = 1.9f;

struct Settings {
    int32_t source = 0;
    int32_t strings_word = 0;  // as given: 106 draws six strings upside down
    int32_t strings = 0;       // the count in use
    int32_t tab = 0;
    int32_t clef_flag = 0;    // tab clef unless 1
    int32_t rhythm_flag = 0;  // rhythm line unless 0
    int32_t whiteout = 0;
    int32_t adjustments[6] = {};
    float packed[3] = {};
    bool bass = false;
    bool upside_down = false;
    float tuning = 0.0f;
    float bar_p11 = 0.0f;
    float clef_kind = 0.0f;
};
Settings S;

// One tab note made by the command.
struct TabNote {
    int32_t item = 0;
    int32_t level = 0;
    int32_t code = 0;
    bool chord = false;  // stands with the pitched note before it
    float x = 0.0f;      // rounded position
    int32_t string = 0;
    int32_t pitch = 0;
};
std::vector<TabNote> TabNotePitchList;
// Source items (notes, rests, slurs, beams) the rhythm line copies, in item order.
std::vector<int32_t> TabRhythmList;
bool StoreFull = false;
// Positions of the chords no hand can finger, named together once the strings are settled.
std::vector<float> ImpossibleChords;
// Tab notes of such chords that find no string of their own: they are taken off the tab staff.
std::vector<int32_t> StringlessNotes;

int32_t count_of(int32_t k) { return core::int_of(ItemStore(ItemStartTable(k))); }
float param(int32_t k, int32_t j) {
    return j <= count_of(k) ? ItemStore(ItemStartTable(k) + j) : 0.0f;
}
int32_t code_of(int32_t k) { return core::int_of(param(k, 1)); }
int32_t staff_of(int32_t k) { return core::int_of(param(k, 2)); }
// P1..Pn of item k (index 0 is P1).
std::vector<float> record_of(int32_t k) {
    std::vector<float> p(static_cast<size_t>(std::max(count_of(k), 0)));
    for (size_t j = 0; j < p.size(); ++j) p[j] = ItemStore(ItemStartTable(k) + 1 + int32_t(j));
    return p;
}
// Sets Pj of a record, growing it with zeros.
void set(std::vector<float>& p, int32_t j, float v) {
    if (p.size() < static_cast<size_t>(j)) p.resize(static_cast<size_t>(j), 0.0f);
    p[static_cast<size_t>(j - 1)] = v;
}
float get(const std::vector<float>& p, int32_t j) {
    return p.size() >= static_cast<size_t>(j) ? p[static_cast<size_t>(j - 1)] : 0.0f;
}
void set_count(std::vector<float>& p, int32_t n) { p.resize(static_cast<size_t>(n), 0.0f); }

// Appends P1..Pn at the end of the store; returns the new item number, 0 when the page is full
// (said once per run).
int32_t append_record(const std::vector<float>& p) {
    if (StoreFull) return 0;
    const int32_t n = static_cast<int32_t>(p.size());
    const int32_t start = core::ItemWordsUsed;
    // The record and the end mark after it.
    if (!render::page_has_room(1, n + 2)) {
        StoreFull = true;
        core::report_page_full("the tablature is not complete");
        return 0;
    }
    ItemStore(start) = static_cast<float>(n);
    for (int32_t j = 1; j <= n; ++j) ItemStore(start + j) = p[static_cast<size_t>(j - 1)];
    core::ItemCount += 1;
    ItemStartTable(core::ItemCount) = start;
    core::ItemWordsUsed = start + n + 1;
    ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
    ItemStore(core::ItemWordsUsed) = 0.0f;
    core::ChangesMadeFlag = 1;
    return core::ItemCount;
}

int32_t positive_mod(int32_t a, int32_t m) { return ((a % m) + m) % m; }
// Letter semitone (C 0 .. B 11) of a level, level 1 = C.
int32_t letter_semitone(int32_t level) {
    constexpr int32_t semitones[7] = {0, 2, 4, 5, 7, 9, 11};
    return semitones[positive_mod(level - 1, 7)];
}
// The accidental code that sounds for pitch p written on the level's letter (0 beyond two half
// steps).
int32_t sounding_code(int32_t level, int32_t p) {
    const int32_t diff = positive_mod(positive_mod(p, 12) - letter_semitone(level) + 6, 12) - 6;
    switch (diff) {
        case -2:
            return 4;
        case -1:
            return 1;
        case 0:
            return 3;
        case 1:
            return 2;
        case 2:
            return 5;
        default:
            return 0;
    }
}

// A string adjustment as the number drawer reads it; false for one it cannot read back.
bool pack_adjustment(int32_t a, int32_t& v) {
    if (a >= 0 && (a <= kHighestRaise || (a >= kLowestSetPitch && a <= kHighestSetPitch))) {
        v = a;
        return true;
    }
    if (a < 0 && a >= kLowestAdjustment) {
        v = kHighestRaise - a;
        return true;
    }
    return false;
}

// Takes the settings from the typed numbers or the dialog. False when nothing is to be done.
bool read_settings() {
    auto& a = TablatureSetupBlock;
    if (ParamBuffer(2) == 0.0f) {
        const core::Array1<int32_t, 20> kept = a;
        if (a(3) == 0) a(3) = std::max(1, a(1) - 1);
        const int result = core::front_end().RunTablatureSetupDialog(a);
        show_item_palette(core::kGeneralPalette);
        if (result == 2) {
            a = kept;
            return false;
        }
        S.source = a(1);
        S.strings_word = a(2);
        S.tab = a(3);
        S.clef_flag = a(4);
        S.rhythm_flag = a(5);
        for (int32_t i = 0; i < 6; ++i) S.adjustments[i] = a(6 + i);
        S.whiteout = a(20);
    } else {
        auto word = [](int32_t j) { return core::int_of(ParamBuffer(j)); };
        S.source = word(2);
        S.strings_word = word(3);
        S.tab = word(4);
        for (int32_t i = 0; i < 6; ++i) S.adjustments[i] = word(5 + i);
        S.rhythm_flag = word(11);
        S.clef_flag = word(12);
        S.whiteout = word(13);
    }
    // The tab staff goes below its source, so staff 1 cannot be one: say so rather than nothing.
    if (S.source < 2 || S.source > layout::MaxStaffNumber) {
        core::report_failure("**** Source staff" + core::format_int("(1i4)", S.source) +
                             " must be 2 to 256: no tablature made.");
        return false;
    }
    int32_t v[6] = {};
    for (int32_t i = 0; i < 6; ++i) {
        if (!pack_adjustment(S.adjustments[i], v[i])) {
            core::report_failure("**** String" + core::format_int("(1i2)", i + 1) +
                                 ": an adjustment must lie in -12..20 half steps (or a pitch "
                                 "33..99). No tablature made.");
            return false;
        }
    }
    for (int32_t i = 0; i < 3; ++i) S.packed[i] = static_cast<float>(100 * v[2 * i] + v[2 * i + 1]);
    a(1) = S.source;
    if (S.strings_word != 0) a(2) = S.strings_word;
    a(3) = S.tab;
    a(4) = S.clef_flag;
    a(5) = S.rhythm_flag;
    for (int32_t i = 0; i < 6; ++i) a(6 + i) = S.adjustments[i];
    a(20) = S.whiteout;
    if (S.tab == 0) S.tab = S.source - 1;
    if (S.tab < 1 || S.tab > layout::MaxStaffNumber) {
        core::report_failure("**** Tab staff" + core::format_int("(1i4)", S.tab) +
                             " is not a staff number, try another one.");
        return false;
    }
    return true;
}

// The count in use and what it gives: tuning code, tab clef and the bar lines' P11.
void choose_string_settings() {
    int32_t count = positive_mod(S.strings_word, 100);
    S.upside_down = S.strings_word == 106;
    if (count == 0) count = S.bass ? 4 : 6;
    switch (count) {
        case 6:
            S.clef_kind = 66.0f;
            S.tuning = S.bass ? -16.0f : -6.0f;
            S.bar_p11 = 13.0f;
            break;
        case 7:
            S.clef_kind = 66.0f;
            S.tuning = -7.0f;
            S.bar_p11 = 15.0f;
            break;
        case 5:
            S.clef_kind = 55.0f;
            S.tuning = S.bass ? -15.0f : -5.0f;
            S.bar_p11 = 0.0f;
            break;
        default:
            // Other counts are drawn and tuned as four strings.
            count = 4;
            S.clef_kind = 44.0f;
            S.tuning = S.bass ? -14.0f : -4.0f;
            S.bar_p11 = 9.0f;
            break;
    }
    S.strings = count;
}

// A slur (or a slur-like line) as the tab staff draws it: flat above the strings.
void make_tab_slur(std::vector<float>& p) {
    const float height = 2.5f + 2.0f * static_cast<float>(S.strings);
    set(p, 4, height);
    set(p, 5, height);
    const float length = get(p, 6) - get(p, 3);
    set(p, 7, length > 10.0f ? 1.0f + (length - 10.0f) / 100.0f : 1.0f);
    set(p, 8, -1.0f);
    for (int32_t j = 9; j <= 12; ++j) set(p, j, 0.0f);
    set(p, 13, 0.5f);
    set_count(p, 13);
}

// The tab note made from source note k.
std::vector<float> make_tab_note(int32_t k, TabNote& t, int32_t& previous_pitched,
                                 float& previous_x) {
    std::vector<float> p = record_of(k);
    if (p.size() < 8) set_count(p, 8);
    t.level = core::int_of(get(p, 4)) % 100 - (S.bass ? 5 : 0);
    const int32_t digit = std::abs(core::int_of(get(p, 5)) % 10);
    t.pitch = 0;
    for (const NotePitchRecord& r : NotePitchList)
        if (r.item == k) t.pitch = r.pitch;
    if (digit != 0) {
        t.code = digit;
    } else if (t.pitch > 0) {
        t.code = sounding_code(t.level, t.pitch);
    } else {
        t.code = 0;
        for (auto it = TabNotePitchList.rbegin(); it != TabNotePitchList.rend(); ++it) {
            if (it->level == t.level) {
                t.code = it->code;
                break;
            }
        }
    }
    const bool shown_as_x = core::int_of(get(p, 6)) == 6;
    set(p, 2, static_cast<float>(S.tab));
    set(p, 5, static_cast<float>(t.code));
    set(p, 6, S.tuning);
    set(p, 8, t.pitch < 1 ? -1.0f : 0.0f);
    set(p, 9, shown_as_x ? -1.0f : 0.0f);
    const int32_t n = static_cast<int32_t>(p.size());
    for (int32_t j = 10; j <= std::min(n, 15); ++j) set(p, j, 0.0f);
    for (int32_t i = 0; i < 3; ++i)
        if (S.packed[i] != 0.0f || 16 + i <= static_cast<int32_t>(p.size()))
            set(p, 16 + i, S.packed[i]);
    if (p.size() >= 19) set(p, 19, 0.0f);
    if (S.whiteout != 0) {
        if (p.size() < 20) set_count(p, 20);
        set(p, 20, 1.0f);
    }
    t.x = static_cast<float>(core::nint(get(p, 3) * 100.0)) / 100.0f;
    t.chord = t.pitch > 0 && previous_pitched > 0 && t.x == previous_x;
    if (t.pitch > 0) {
        previous_pitched = 1;
        previous_x = t.x;
    }
    return p;
}

// Whether line k of the source staff goes with its text rather than its notes: a level line
// of the shapes the text command draws (lyric hyphens and extenders, a dashed continuation)
// at the level of a text item of the staff. On the tab staff, whose levels are strings, such
// a line would stand alone far from its words.
bool is_text_line(int32_t k, int32_t first, int32_t last) {
    const int32_t n = count_of(k);
    if (n < 6 || (n > 10 && n != 14) || param(k, 4) != param(k, 5)) return false;
    for (int32_t i = first; i <= last; ++i) {
        if (code_of(i) != kTextCode || staff_of(i) != S.source) continue;
        if (std::fabs(param(i, 4) - param(k, 4)) <= kTextLineLevels) return true;
    }
    return false;
}

// Copies the source staff's notes, rests, slurs, lines, bar lines and meters to the tab staff.
void copy_source_items(int32_t first, int32_t last) {
    int32_t previous_pitched = 0;
    float previous_x = 0.0f;
    bool slur_seen = false;
    float slur_left = 0.0f;
    float slur_right = 0.0f;
    const bool rhythm = S.rhythm_flag != 0;
    for (int32_t k = first; k <= last && !StoreFull; ++k) {
        if (staff_of(k) != S.source) {
            if (staff_of(k) > S.source) break;
            continue;
        }
        const int32_t code = code_of(k);
        std::vector<float> p = record_of(k);
        if (p.size() < 3) set_count(p, 3);
        switch (code) {
            case 1: {
                if (rhythm) TabRhythmList.push_back(k);
                TabNote t;
                p = make_tab_note(k, t, previous_pitched, previous_x);
                t.item = append_record(p);
                if (t.item != 0) TabNotePitchList.push_back(t);
                continue;
            }
            case 2:
                if (rhythm) TabRhythmList.push_back(k);
                set(p, 6, -1.0f);
                break;
            case 4:
                if (p.size() >= 5 && get(p, 5) == 999.0f)
                    make_tab_slur(p);
                else if (is_text_line(k, first, last))
                    continue;
                break;
            case 5: {
                const float left = get(p, 3);
                const float right = get(p, 6);
                const bool repeat = slur_seen && std::fabs(left - slur_left) <= kSlurWindow &&
                                    std::fabs(right - slur_right) <= kSlurWindow;
                slur_seen = true;
                slur_left = left;
                slur_right = right;
                if (p.size() >= 9 && get(p, 9) >= 98.0f) {
                    if (rhythm) TabRhythmList.push_back(k);
                    break;
                }
                const float p8 = get(p, 8);
                if (p8 > 0.0f || repeat) continue;
                if (rhythm) TabRhythmList.push_back(k);
                if (p8 == -2.0f || p8 == -3.0f) continue;
                make_tab_slur(p);
                break;
            }
            case 6:
                if (rhythm) TabRhythmList.push_back(k);
                continue;
            case 14:
                set_count(p, 11);
                set(p, 11, S.bar_p11);
                break;
            case 18:
                break;
            default:
                continue;
        }
        set(p, 2, static_cast<float>(S.tab));
        append_record(p);
    }
}

// Tab notes under the source staff's octave lines get the octave's tuning code; the first line
// that covers a note decides.
void apply_octave_lines(int32_t first, int32_t last) {
    std::vector<bool> marked(TabNotePitchList.size(), false);
    for (int32_t k = first; k <= last; ++k) {
        if (staff_of(k) > S.source) break;
        if (staff_of(k) != S.source || code_of(k) != 7 || count_of(k) < 7) continue;
        const int32_t kind = core::int_of(param(k, 7));
        float base = 0.0f;
        if (kind == 8 || kind == 88)
            base = -80.0f;
        else if (kind == 15)
            base = -150.0f;
        else if (kind == -8)
            base = -90.0f;
        else
            continue;
        const float left = param(k, 3) - 2.0f;
        float right = param(k, 6) + 0.5f;
        if (param(k, 6) == 0.0f || right == 0.0f) right = param(k, 3) + 0.5f;
        for (size_t i = 0; i < TabNotePitchList.size(); ++i) {
            const int32_t item = TabNotePitchList[i].item;
            const float x = param(item, 3);
            if (marked[i] || x < left || x > right) continue;
            ItemStore(ItemStartTable(item) + 6) = base - static_cast<float>(S.strings);
            marked[i] = true;
        }
    }
}

void write_string(const TabNote& t) {
    ItemStore(ItemStartTable(t.item) + 8) =
        static_cast<float>(t.string + (S.upside_down ? 100 : 0));
}
int32_t fret_of(const TabNote& t) {
    write_string(t);
    compute_tab_note_fret(ItemStartTable(t.item));
    return core::IntParamBuffer(9);
}
// The highest-sounding string the note can lie on.
int32_t first_fitting_string(const TabNote& t) {
    compute_tab_note_fret(ItemStartTable(t.item));
    return core::IntParamBuffer(8);
}

// Whether every note of sorted[from..] can move one string up (number - 1) without going on a
// string tuned above it.
bool can_move_up(const std::vector<TabNote>& sorted, size_t from) {
    for (size_t j = from; j < sorted.size(); ++j) {
        const int32_t higher = sorted[j].string - 1;
        if (higher < 1 || higher < first_fitting_string(sorted[j])) return false;
    }
    return true;
}

// Puts the notes of one chord (indices into TabNotePitchList, in item order) on adjacent strings
// within a span of five frets, lowest pitch on the highest string number.
void place_chord(const std::vector<size_t>& members) {
    std::vector<TabNote> m;
    for (size_t i : members) m.push_back(TabNotePitchList[i]);
    const float position = param(m.front().item, 3);
    // Lowest pitch first: the written values travel with the pitch, the items stay in place.
    std::vector<TabNote> sorted = m;
    std::vector<std::vector<float>> values;
    for (const TabNote& t : m)
        values.push_back({param(t.item, 4), param(t.item, 5), param(t.item, 7)});
    std::vector<size_t> order(m.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return m[a].pitch < m[b].pitch; });
    for (size_t i = 0; i < m.size(); ++i) {
        const TabNote& from = m[order[i]];
        sorted[i] = from;
        sorted[i].item = m[i].item;
        const int32_t s = ItemStartTable(m[i].item);
        ItemStore(s + 4) = values[order[i]][0];
        ItemStore(s + 5) = values[order[i]][1];
        if (count_of(m[i].item) >= 7) ItemStore(s + 7) = values[order[i]][2];
    }
    // Notes below `placed` have no string of their own: they leave the tab staff.
    size_t placed = 0;
    auto finish = [&](bool failed) {
        for (size_t i = 0; i < sorted.size(); ++i) {
            if (i < placed)
                StringlessNotes.push_back(sorted[i].item);
            else
                write_string(sorted[i]);
        }
        for (size_t i = 0; i < members.size(); ++i) TabNotePitchList[members[i]] = sorted[i];
        if (failed) ImpossibleChords.push_back(position);
    };
    const size_t c = sorted.size();
    bool failed = false;
    for (size_t i = c - 1; i >= 1 && !failed; --i) {
        TabNote& above = sorted[i];
        TabNote& below = sorted[i - 1];
        while (below.string <= above.string) {
            if (below.string + 1 <= S.strings) {
                ++below.string;
            } else if (can_move_up(sorted, i)) {
                for (size_t j = i; j < c; ++j) --sorted[j].string;
            } else {
                // No string is left for this note and the lower ones: two notes on one string
                // would be drawn as one fret over the other.
                placed = i;
                failed = true;
                break;
            }
        }
        if (failed) break;
        while (below.string > above.string + 1)
            for (size_t j = i; j < c; ++j) ++sorted[j].string;
    }
    if (failed) return finish(true);
    for (int32_t round = 0; round < kChordMoveLimit; ++round) {
        int32_t high = 0;
        int32_t low = 0;
        bool below_open_string = false;
        for (size_t j = placed; j < c; ++j) {
            const TabNote& t = sorted[j];
            // A note below its string's open pitch cannot be played there (the fret routine
            // would quietly take the note's own first string instead).
            if (t.string < first_fitting_string(t)) below_open_string = true;
            const int32_t f = fret_of(t);
            high = std::max(high, f);
            if (f > 0 && (low == 0 || f < low)) low = f;
        }
        if (below_open_string) return finish(true);
        if (low == 0 || high - low <= 5) return finish(false);
        if (sorted[c - 1].string == 1) {
            for (size_t j = 0; j + 1 < c; ++j)
                if (sorted[j].string >= S.strings) return finish(true);
            for (size_t j = 0; j + 1 < c; ++j) ++sorted[j].string;
        } else {
            size_t from = 0;
            int32_t largest = INT32_MIN;
            for (size_t j = 0; j < c; ++j) {
                const int32_t s = first_fitting_string(sorted[j]);
                if (s >= largest) {
                    largest = s;
                    from = j;
                }
            }
            // A string tuned above a note cannot take it: the chord keeps the strings it has.
            if (!can_move_up(sorted, from)) return finish(true);
            for (size_t j = from; j < c; ++j) --sorted[j].string;
        }
    }
    finish(true);
}

// Takes the tab notes of StringlessNotes off the store: the items from first_new on (which
// hold them all) are written again without them. Item numbers in TabNotePitchList no longer
// hold afterwards.
void take_off_stringless_notes(int32_t first_new) {
    if (StringlessNotes.empty() || first_new < 1) return;
    std::vector<std::vector<float>> kept;
    for (int32_t k = first_new; k <= core::ItemCount; ++k)
        if (std::find(StringlessNotes.begin(), StringlessNotes.end(), k) == StringlessNotes.end())
            kept.push_back(record_of(k));
    int32_t word = ItemStartTable(first_new);
    int32_t count = first_new - 1;
    for (const std::vector<float>& p : kept) {
        ItemStore(word) = static_cast<float>(p.size());
        for (size_t j = 0; j < p.size(); ++j) ItemStore(word + 1 + int32_t(j)) = p[j];
        ItemStartTable(++count) = word;
        word += static_cast<int32_t>(p.size()) + 1;
    }
    core::ItemCount = count;
    core::ItemWordsUsed = word;
    ItemStartTable(count + 1) = word;
    ItemStore(word) = 0.0f;
    StringlessNotes.clear();
}

// The chords of TabNotePitchList: runs of struck notes at one position, two notes or more.
std::vector<std::vector<size_t>> chords_of_tab_notes() {
    std::vector<std::vector<size_t>> chords;
    std::vector<size_t> chord;
    for (size_t i = 0; i <= TabNotePitchList.size(); ++i) {
        const bool end = i == TabNotePitchList.size();
        if (!end && TabNotePitchList[i].pitch <= 0) continue;
        if (end || !TabNotePitchList[i].chord) {
            if (chord.size() > 1) chords.push_back(chord);
            chord.clear();
        }
        if (!end) chord.push_back(i);
    }
    return chords;
}

// Gives every pitched tab note its string, then settles the chords.
void choose_strings() {
    for (TabNote& t : TabNotePitchList) {
        if (param(t.item, 8) < 0.0f) continue;
        ItemStore(ItemStartTable(t.item) + 8) = 0.0f;
        t.string = first_fitting_string(t);
        write_string(t);
    }
    for (const std::vector<size_t>& chord : chords_of_tab_notes()) place_chord(chord);
}

// The rhythm line under the tab staff: stems for the notes, and the rests, slurs and beams.
void add_rhythm_line() {
    bool any_note = false;
    float note_x = 0.0f;
    for (const int32_t k : TabRhythmList) {
        if (StoreFull) return;
        std::vector<float> src = record_of(k);
        const int32_t n = static_cast<int32_t>(src.size());
        std::vector<float> p;
        switch (code_of(k)) {
            case 1: {
                const float x = get(src, 3);
                if (any_note && x == note_x) continue;
                any_note = true;
                note_x = x;
                p = {1.0f, static_cast<float>(S.tab), x, 0.9f, 20.0f, 7.0f, -2.0f, -1.5f};
                set_count(p, 17);
                set(p, 15, 0.8f);
                set(p, 17, -0.7f);
                const int32_t head = core::int_of(get(src, 6));
                if (head == 1 || head == 2) {
                    set_count(p, 15);
                    set(p, 6, 9.0f);
                }
                if (std::fabs(get(src, 4)) >= 100.0f) {
                    set_count(p, 15);
                    set(p, 4, -2.2f);
                    set(p, 5, 10.0f);
                    set(p, 8, 100.0f);
                    set(p, 10, -2.5f);
                    set(p, 15, 0.55f);
                }
                if (n > 10) set(p, 11, -std::trunc(std::fabs(get(src, 11))));
                if (n > 8) set(p, 9, get(src, 9));
                break;
            }
            case 5:
                p = src;
                set(p, 3, get(src, 3) - 1.4f);
                set(p, 4, 1.0f);
                set(p, 5, 1.0f);
                set(p, 7, -std::fabs(get(src, 7)));
                set(p, 8, -2.0f);
                for (int32_t j = 9; j <= 12; ++j) set(p, j, 0.0f);
                set_count(p, 13);
                set(p, 13, 0.7f);
                break;
            case 6: {
                p = src;
                set(p, 4, 2.1f);
                set(p, 5, 2.1f);
                const float beam = get(src, 7);
                set(p, 7, beam < 20.0f ? beam + 10.0f : beam);
                set_count(p, 18);
                set(p, 18, 0.8f);
                break;
            }
            case 2:
                p = src;
                set(p, 4, -7.0f);
                set_count(p, 15);
                for (int32_t j = 8; j <= 14; ++j) set(p, j, 0.0f);
                set(p, 15, 0.7f);
                break;
            default:
                continue;
        }
        set(p, 2, static_cast<float>(S.tab));
        append_record(p);
    }
}

core::Array1<int32_t, 20> make_setup_block() {
    core::Array1<int32_t, 20> a{};
    for (int32_t i = 1; i <= 20; ++i) a(i) = 0;
    a(2) = 6;
    return a;
}

}  // namespace

core::Array1<int32_t, 20> TablatureSetupBlock = make_setup_block();

// Contract: see the header.
void report_impossible_chords(const std::vector<float>& positions) {
    if (positions.empty()) return;
    std::string text = "**** impossible chord **** P3 =";
    const size_t room = static_cast<size_t>(core::MessageLine.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        const std::string value = core::format_real("(1f6.2)", positions[i]);
        const bool last = i + 1 == positions.size();
        if (text.size() + value.size() + (last ? 0 : 4) > room) {
            text += " ...";
            break;
        }
        text += value;
    }
    core::leave_reply(core::ReplyKind::Failure, text);
}

// Contract: see the header. Reads the store sorted by staff and position; writes P8 of the tab
// notes of the chords placed again and takes off the notes left without a string.
std::vector<float> resettle_tab_chords(int32_t staff, float left, float right) {
    S = Settings{};
    S.tab = staff;
    TabNotePitchList.clear();
    ImpossibleChords.clear();
    StringlessNotes.clear();
    int32_t previous_pitched = 0;
    float previous_x = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != staff || code_of(k) != 1 || count_of(k) < 8) continue;
        const int32_t p6 = core::int_of(param(k, 6));
        int32_t level = 0;
        int32_t kind = 0;
        render::read_tab_level(core::int_of(param(k, 4)), p6, level, kind);
        // Notes whose string and fret are given by hand keep them.
        if (!render::is_tab_tuning_code(p6) || kind > kTunedTabKinds) continue;
        const float x = param(k, 3);
        if (x < left - kRangeSlack || x > right + kRangeSlack || param(k, 8) < 0.0f) continue;
        TabNote t;
        t.item = k;
        t.pitch = render::tab_note_pitch(core::int_of(param(k, 4)), p6, core::int_of(param(k, 5)));
        t.x = static_cast<float>(core::nint(x * 100.0)) / 100.0f;
        t.chord = previous_pitched > 0 && t.x == previous_x;
        t.string = core::int_of(param(k, 8)) % 100;
        previous_pitched = 1;
        previous_x = t.x;
        TabNotePitchList.push_back(t);
    }
    for (const std::vector<size_t>& chord : chords_of_tab_notes()) {
        // A chord whose strings still take their notes, one string each, stays as it is: the
        // strings may have been chosen by hand.
        std::vector<int32_t> drawn;
        bool settled = true;
        for (size_t i : chord) {
            const TabNote& t = TabNotePitchList[i];
            const int32_t first = first_fitting_string(t);
            if (t.string < first) settled = false;
            const int32_t on = std::max(t.string, first);
            if (std::find(drawn.begin(), drawn.end(), on) != drawn.end()) settled = false;
            drawn.push_back(on);
        }
        if (settled) continue;
        const int32_t first_item = TabNotePitchList[chord.front()].item;
        S.strings =
            std::clamp(-core::int_of(param(first_item, 6)) % 10, 1, render::kTabStringPlaces);
        S.upside_down = core::int_of(param(first_item, 8)) > 100;
        for (size_t i : chord)
            TabNotePitchList[i].string = first_fitting_string(TabNotePitchList[i]);
        place_chord(chord);
    }
    if (!StringlessNotes.empty())
        take_off_stringless_notes(
            *std::min_element(StringlessNotes.begin(), StringlessNotes.end()));
    return ImpossibleChords;
}

void reset_tablature_tables() {
    TablatureSetupBlock = make_setup_block();
    NotePitchList.clear();
}

// Contract: see the header. Reads ParamBuffer or the dialog block, the store (sorted by staff
// and position here) and StaffPitchContext; writes TablatureSetupBlock, NotePitchList and the
// new items at the end of the store, and redraws. The source staff is not changed. Refusals
// come before any item is added; a full page stops the additions with a message.
void make_tablature() {
    S = Settings{};
    TabNotePitchList.clear();
    TabRhythmList.clear();
    ImpossibleChords.clear();
    StringlessNotes.clear();
    StoreFull = false;
    if (!read_settings()) return;

    core::save_undo_copy();
    const core::Array1<float, 56> kept = ParamBuffer;
    core::sort_item_store_with_letter('X');
    ParamBuffer = kept;

    // The source staff item and the tab staff's own items.
    int32_t staff_item = 0;
    int32_t notes = 0;
    int32_t first = 0;
    int32_t last = 0;
    const int32_t count = core::ItemCount;
    for (int32_t k = 1; k <= count; ++k) {
        const int32_t s = staff_of(k);
        const int32_t code = code_of(k);
        if (s == S.tab && code != 8) {
            core::report_failure("**** Items found on tab staff" +
                                 core::format_int("(1i3)", S.tab) + ", try another one.");
            return;
        }
        if (s != S.source) continue;
        if (first == 0) first = k;
        last = k;
        if (code == 8 && staff_item == 0) staff_item = k;
        if (code == 1) ++notes;
    }
    if (notes > kMaxTablatureNotes) {
        core::report_failure("**** More than" + core::format_int("(1i4)", kMaxTablatureNotes) +
                             " notes on staff" + core::format_int("(1i4)", S.source) +
                             ": no tablature made.");
        return;
    }

    StaffPitchContext.staff = static_cast<float>(S.source);
    StaffPitchContext.left = 0.0f;
    StaffPitchContext.right = 200.0f;
    scan_staff_context();
    compute_note_pitches();
    if (StaffPitchContext.count <= 0) return;
    S.bass = StaffPitchContext.records.front().clef == 1;
    choose_string_settings();

    const float x = staff_item != 0 && count_of(staff_item) >= 3 ? param(staff_item, 3) : 0.0f;
    const float height = staff_item != 0 ? param(staff_item, 4) : 0.0f;
    const float scale = staff_item != 0 && count_of(staff_item) >= 5 && param(staff_item, 5) != 0.0f
                            ? param(staff_item, 5)
                            : 1.0f;
    const float right = staff_item != 0 && count_of(staff_item) > 5 ? param(staff_item, 6) : 200.0f;
    const float tab = static_cast<float>(S.tab);
    const float strings = static_cast<float>(S.strings);
    const int32_t first_new = core::ItemCount + 1;
    append_record({8.0f, tab, x, height / 1.4f - strings + 1.0f, scale * 1.4f, right, strings});
    append_record({14.0f, tab, x, 2.0f});
    if (S.clef_flag != 1) append_record({3.0f, tab, x + 2.0f, 0.0f, S.clef_kind});

    copy_source_items(first, last);
    apply_octave_lines(first, last);
    choose_strings();
    take_off_stringless_notes(first_new);
    if (S.rhythm_flag != 0) add_rhythm_line();
    report_impossible_chords(ImpossibleChords);

    if (core::ItemCount > 0 && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound())
        render::redraw_items();
}

}  // namespace edit
