#include "engine/edit/pitch/transposition.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/pitch/pitch_context.h"
#include "engine/edit/pitch/tablature.h"
#include "engine/edit/pitch/transposition_work.h"
#include "engine/edit/systems/beam_flip.h"
#include "engine/edit/systems/justify_spacing.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/render/text/tab_numbers.h"

namespace edit {

namespace {

using core::ItemStartTable;
using core::ItemStore;
using core::ParamBuffer;

constexpr int32_t kEnharmonic = 99;
constexpr float kDummyCode = 13.0f;
constexpr float kCueLevel = 100.0f;
constexpr float kAlwaysTransposedCue = 65.0f;
constexpr float kTieWindow = 3.0f;
constexpr float kRangeSlack = 0.001f;

// The key (sharps positive) C major becomes, by the interval reduced to -6..6, at index r + 7.
constexpr int32_t kKeyShifts[13] = {-6, 1, -4, 3, -2, 5, 0, -5, 2, -3, 4, -1, 6};
constexpr int32_t kSemitoneSteps[12] = {0, 1, 1, 2, 2, 3, 3, 4, 5, 5, 6, 6};
// Semitone (C = 1) of each letter C..B, and the chord-name code of each semitone 1..12.
constexpr int32_t kLetterSemitones[7] = {1, 3, 5, 6, 8, 10, 12};
constexpr int32_t kSemitoneNames[12] = {10, 21, 20, 31, 30, 40, 42, 50, 61, 60, 71, 70};

// The transposition dialog's block, kept from one use to the next. Its new clef kind starts
// below 0 (no clef change).
core::Array1<int32_t, 19> make_dialog_block() {
    core::Array1<int32_t, 19> a{};
    for (int32_t i = 1; i <= 19; ++i) a(i) = 0;
    a(14) = -1;
    return a;
}
core::Array1<int32_t, 19> TransposeDialogBlock = make_dialog_block();

// The settings of the running transposition.
struct Transposition {
    int32_t interval = 0;
    int32_t key_shift = 0;
    int32_t remainder = 0;
    int32_t steps = 0;
    int32_t direction = 0;  // enharmonic change: -1 flats to sharps, +1 sharps to flats
    bool enharmonic = false;
    bool add_key = false;
    bool change_clef = false;
    int32_t new_clef = 0;
    bool normalise_stems = false;
    bool cue_notes = false;
    int32_t first_staff = 0;
    int32_t staves = 0;
    float left = 0.0f;
    float right = 0.0f;
    // Per staff: the key in force and the key signature added before the first note.
    int32_t key_in_force = 0;
    bool key_added = false;
    int32_t added_key = 0;
    // Some staff got a key signature, or one of more accidentals than it had: the staves'
    // columns are spaced again at the end.
    bool any_key_added = false;
    bool any_key_widened = false;
};
Transposition T;
// Positions of the tablature chords that no hand can finger once moved, named at the end.
std::vector<float> ImpossibleTabChords;

int32_t count_of(int32_t k) { return core::int_of(ItemStore(ItemStartTable(k))); }
float& word(int32_t k, int32_t j) { return ItemStore(ItemStartTable(k) + j); }
float param(int32_t k, int32_t j) { return j <= count_of(k) ? word(k, j) : 0.0f; }
int32_t code_of(int32_t k) { return core::int_of(param(k, 1)); }
int32_t staff_of(int32_t k) { return core::int_of(param(k, 2)); }

int32_t positive_mod(int32_t a, int32_t m) { return ((a % m) + m) % m; }
int32_t key_alteration(int32_t key, int32_t letter) {
    return KeyAccidentalTable(7 * (std::clamp(key, -7, 7) + 7) + letter);
}
int32_t accidental_code(int32_t alteration) {
    switch (alteration) {
        case -2:
            return 4;
        case -1:
            return 1;
        case 1:
            return 2;
        case 2:
            return 5;
        default:
            return 0;
    }
}
void set_accidental_digit(int32_t k, int32_t code) {
    float& p5 = word(k, 5);
    p5 = static_cast<float>(core::int_of(p5 / 10.0f) * 10 + code);
}
void clear_accidental_digit(int32_t k) {
    if (count_of(k) >= 5) set_accidental_digit(k, 0);
}

// Reads the typed (or command-file) form or runs the dialog. False on Cancel.
bool read_settings() {
    const bool typed =
        core::PendingBoxOperation == 0 && (core::MacroUnit != 0 || ParamBuffer(2) != 0.0f);
    if (typed) {
        T.interval = core::int_of(ParamBuffer(2));
        T.first_staff = core::int_of(ParamBuffer(3));
        T.left = ParamBuffer(4);
        T.right = ParamBuffer(5) == 0.0f ? render::PageExtent : ParamBuffer(5);
        const float last = ParamBuffer(6) == 0.0f ? ParamBuffer(3) : ParamBuffer(6);
        T.staves = core::int_of(last - ParamBuffer(3) + 1.0f);
        T.add_key = ParamBuffer(7) != 0.0f;
        T.change_clef = ParamBuffer(8) != 0.0f;
        T.new_clef = core::int_of(ParamBuffer(8));
        T.normalise_stems = ParamBuffer(9) == 0.0f;
        T.cue_notes = ParamBuffer(10) != 0.0f;
        return true;
    }
    // The box hands its range over in P1..P4; a right end not beyond the left means the page's.
    const core::Array1<float, 56> box = ParamBuffer;
    if (core::front_end().RunTransposeSetupDialog(TransposeDialogBlock) == 2) return false;
    const auto& a = TransposeDialogBlock;
    T.interval = a(11);
    T.normalise_stems = a(12) != 0;
    T.change_clef = a(13) != 0 || a(14) >= 0;
    T.new_clef = a(14);
    T.add_key = a(15) != 0;
    T.cue_notes = a(16) != 0;
    T.first_staff = core::int_of(box(1));
    T.left = box(2);
    T.right = box(3) > box(2) ? box(3) : render::PageExtent;
    const float high = std::max(box(4), box(1));
    T.staves = core::int_of(high - box(1) + 1.0f);
    return true;
}

// The key shift, remainder and steps of a normal transposition.
void set_interval() {
    const int32_t t = T.interval;
    int32_t r = t % 12;
    if (r > 6) r -= 12;
    if (r < -6) r += 12;
    T.key_shift = kKeyShifts[r + 6];  // index r + 7 counted from 1
    const int32_t size = std::abs(t);
    int32_t steps = kSemitoneSteps[size % 12];
    if (size >= 12) steps += 7;
    if (size >= 24) steps += 7;
    T.remainder = t < 0 ? -(size % 12) : size % 12;
    T.steps = t < 0 ? -steps : steps;
}

// The enharmonic direction from the first staff's written accidentals. False, with a message,
// when nothing can be respelled.
bool set_enharmonic() {
    StaffPitchContext.staff = static_cast<float>(T.first_staff);
    StaffPitchContext.left = T.left;
    StaffPitchContext.right = T.right;
    scan_staff_context();
    if (StaffPitchContext.key_state != -1) {
        core::report_failure("*** No enharmonic change with key signature.");
        return false;
    }
    int32_t direction = 0;
    for (const PitchRecord& r : StaffPitchContext.records) {
        if (r.kind != kContextNote && r.kind != kContextFirstInBar) continue;
        if (r.accidental == 0 || r.accidental == 3) continue;
        const int32_t sign = r.accidental < 0 ? -1 : 1;
        if (direction == 0) direction = sign;
        if (sign != direction) {
            core::report_failure("*** Can't mix sharps and flats.");
            return false;
        }
    }
    if (direction == 0) {
        core::report_failure("*** No enharmonic changes made.");
        return false;
    }
    T.direction = direction;
    T.key_shift = direction < 0 ? 5 : -5;
    T.steps = 0;
    T.remainder = 0;
    return true;
}

bool is_note(const PitchRecord& r) {
    return r.kind == kContextNote || r.kind == kContextFirstInBar;
}

// A key signature record moved to the new key (a DUMMY when that is C major).
void transpose_key_signature(const PitchRecord& r, size_t index, int32_t& old_key,
                             int32_t& new_key) {
    const int32_t k = r.item;
    const auto accidentals = [k] {
        if (code_of(k) != 17) return 0.0f;
        return std::fabs(core::amod(param(k, 5), 100.0f));
    };
    const float accidentals_before = accidentals();
    int32_t key = 0;
    int32_t steps = 0;
    transposed_key(r.accidental, T.interval, key, steps);
    T.steps = steps;
    old_key = r.accidental;
    new_key = key;
    if (key == 0) {
        if (index > 0 && T.key_added) {
            word(k, 5) =
                static_cast<float>(T.added_key < 0 ? T.added_key - 100 : T.added_key + 100);
        } else {
            word(k, 1) = kDummyCode;
        }
    } else {
        if (count_of(k) < 5) core::resize_item(k, 5.0f);
        if (count_of(k) >= 5) word(k, 5) = static_cast<float>(key);
        if (r.clef != 0 && count_of(k) < 6) core::resize_item(k, 6.0f);
        if (count_of(k) >= 6) word(k, 6) = static_cast<float>(r.clef);
    }
    if (accidentals() > accidentals_before) T.any_key_widened = true;
    T.key_in_force = key;
}

// The nearest earlier chord of the same clef (records before i at one position, before the
// position of record i) holds a note at level.
bool chord_before_holds(const std::vector<PitchRecord>& r, size_t i, int32_t level) {
    size_t j = i;
    while (j > 0 && r[j - 1].position == r[i].position) --j;
    bool found = false;
    float at = 0.0f;
    while (j > 0) {
        --j;
        if (!is_note(r[j]) || r[j].clef != r[i].clef) {
            if (found) break;
            continue;
        }
        if (found && r[j].position != at) break;
        found = true;
        at = r[j].position;
        if (r[j].level == level) return true;
    }
    return false;
}

// Removes accidentals that ties and earlier notes of the bar make needless.
void clean_up_accidentals(const std::vector<PitchRecord>& r, const std::vector<bool>& moved) {
    const StaffPitchContextRecord& c = StaffPitchContext;
    std::vector<bool> cleared(r.size(), false);
    for (size_t i = 0; i < r.size(); ++i) {
        if (!is_note(r[i]) || !moved[i] || cleared[i]) continue;
        const int32_t k = r[i].item;
        const float x = r[i].position;
        if (!c.ties.empty() && r[i].accidental == 0) {
            int32_t index = 0;
            float ll = 0.0f, lh = 0.0f, rl = 0.0f, rh = 0.0f;
            if (x <= c.first_position) {
                while (next_tie_window(index, ll, lh, rl, rh) && ll <= x && x > lh) {
                    if (rl <= x) {
                        clear_accidental_digit(k);
                        cleared[i] = true;
                        break;
                    }
                }
            } else if (r[i].kind == kContextFirstInBar) {
                while (next_tie_window(index, ll, lh, rl, rh) && x > lh) {
                    if (rl <= x && x <= rh && chord_before_holds(r, i, r[i].level)) {
                        clear_accidental_digit(k);
                        cleared[i] = true;
                        break;
                    }
                }
            }
            if (cleared[i]) continue;
        }
        for (size_t j = i + 1; j < r.size() && r[j].clef == r[i].clef; ++j) {
            if (r[j].kind == kContextRest) continue;
            if (r[j].kind == kContextKey) break;  // a new key sets its own accidentals
            if (r[j].kind == kContextFirstInBar && r[j].position != x) break;
            if (r[j].level != r[i].level || !moved[j]) continue;
            if (r[j].accidental != 0) break;
            clear_accidental_digit(r[j].item);
            cleared[j] = true;
        }
    }
}

// Guitar chord names (code 12 with P5 below 0) of the staff in the range: the root moves by the
// remainder.
void transpose_chord_names(int32_t staff) {
    bool told = false;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != staff || code_of(k) != 12 || count_of(k) < 7) continue;
        const float x = param(k, 3);
        if (x < T.left - kRangeSlack || x > T.right + kRangeSlack) continue;
        if (param(k, 5) >= 0.0f || param(k, 7) == 0.0f) continue;
        const int32_t name = core::int_of(param(k, 7));
        const int32_t letter = std::clamp(name / 10, 1, 7);
        const int32_t accidental = name % 10;
        int32_t s = kLetterSemitones[letter - 1];
        if (accidental == 1) --s;
        if (accidental == 2) ++s;
        const int32_t moved = positive_mod(s + T.remainder - 1, 12) + 1;
        word(k, 7) = static_cast<float>(kSemitoneNames[moved - 1]);
        const float p5 = param(k, 5);
        if (!told && (p5 == -1.0f || p5 == -2.0f)) {
            core::show_notice(
                "******** Fingerings for guitar chords will NOT transpose when P5 = -1 or -2.");
            told = true;
        }
    }
}

// Beams of the staff in the range move by steps.
void move_beams(int32_t staff, int32_t steps) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != staff || code_of(k) != 6 || count_of(k) < 6) continue;
        if (static_cast<float>(core::int_of(param(k, 3))) > T.right + 0.5f) continue;
        if (static_cast<float>(core::int_of(param(k, 6))) < T.left - 0.5f) continue;
        word(k, 5) += static_cast<float>(steps);
        float& p4 = word(k, 4);
        if (std::abs(p4) < kCueLevel) {
            p4 += static_cast<float>(steps);
        } else {
            const float v = core::compute_real_mod(p4, kCueLevel) + static_cast<float>(steps);
            p4 = v >= 0.0f ? v + kCueLevel : v - kCueLevel;
        }
    }
}

// The beamed groups of the staff with normal stem directions.
void refit_beamed_groups(int32_t staff) {
    if (StaffPitchContext.beam_flag == 0) return;
    const core::Array1<float, 56> kept = ParamBuffer;
    layout::InputStaff = static_cast<float>(staff);
    layout::InputRangeStart = T.left;
    layout::InputRangeEnd = T.right;
    int32_t mode = 2;
    flip_beamed_group(mode);
    layout::InputParserMode = 0;
    ParamBuffer = kept;
}

// Whether note k is a tab note (its P6 a tuning code).
bool is_tab_note(int32_t k) {
    return code_of(k) == 1 && count_of(k) >= 6 &&
           render::is_tab_tuning_code(core::int_of(param(k, 6)));
}

// Whether the scanned staff is a tablature staff: one of its notes is a tab note.
bool scanned_staff_is_tablature() {
    for (const PitchRecord& r : StaffPitchContext.records)
        if (is_note(r) && is_tab_note(r.item)) return true;
    return false;
}

// A tablature staff: its notes move (their frets follow the pitch, the accidental that sounds
// written on each), and nothing else does. Frets need no key signature, its clef is the tab
// clef, and its slurs, beams and stems stand on the strings, not at the notes' levels. A chord
// whose strings no longer take its moved notes is placed again.
void transpose_tablature_staff(int32_t staff) {
    T.key_in_force = 0;
    T.key_added = false;
    transpose_staff_notes(T.cue_notes ? 1 : 0);
    const std::vector<float> impossible = resettle_tab_chords(staff, T.left, T.right);
    ImpossibleTabChords.insert(ImpossibleTabChords.end(), impossible.begin(), impossible.end());
}

// One staff, all steps. Skipped when its scan finds nothing or fails.
void transpose_staff(int32_t staff) {
    StaffPitchContext.staff = static_cast<float>(staff);
    StaffPitchContext.left = T.left;
    StaffPitchContext.right = T.right;
    scan_staff_context();
    if (StaffPitchContext.count <= 0) return;
    if (scanned_staff_is_tablature()) {
        const int32_t steps_before = T.steps;
        transpose_tablature_staff(staff);
        T.steps = steps_before;
        return;
    }
    const int32_t steps_before = T.steps;
    const int32_t shift_before = T.key_shift;
    std::vector<int32_t> items;
    for (const PitchRecord& r : StaffPitchContext.records) items.push_back(r.item);
    write_transposition_table(1, staff, items, T.left, T.right, T.steps);
    if (T.change_clef) change_staff_clefs(T.new_clef);

    T.key_in_force = 0;
    T.key_added = false;
    if (!T.enharmonic && T.add_key && T.remainder != 0 && StaffPitchContext.key_state != 0) {
        int32_t key = 0;
        int32_t steps = 0;
        transposed_key(0, T.interval, key, steps);
        T.steps = steps;
        int32_t clef = StaffPitchContext.records.front().clef;
        add_key_signature_item(key, clef);
        T.key_in_force = key;
        T.key_shift = key;
        T.key_added = true;
        T.added_key = key;
        T.any_key_added = true;
    }
    transpose_staff_notes(T.cue_notes ? 1 : 0);
    if (!T.enharmonic && T.remainder != 0) transpose_chord_names(staff);
    if (StaffPitchContext.beam_flag != 0 || !StaffPitchContext.ties.empty())
        move_beams(staff, steps_before);
    if (T.enharmonic || T.normalise_stems) refit_beamed_groups(staff);
    write_transposition_table(2, staff, items, T.left, T.right, T.steps);
    refit_slurs_from_tables();
    T.steps = steps_before;
    T.key_shift = shift_before;
}

// Contract: widens low..high (staves) by every staff that a spanning bar line joins to them,
// until no bar line joins a staff outside; reads the store only.
void widen_to_joined_staves(int32_t& low, int32_t& high) {
    for (bool widened = true; widened;) {
        widened = false;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (code_of(k) != 14 || param(k, 4) < 1.0f) continue;
            const int64_t bottom = staff_of(k);
            const float span = std::min(param(k, 4), static_cast<float>(layout::MaxStaffNumber));
            const int64_t top =
                std::min<int64_t>(bottom + core::int_of(span) - 1, layout::MaxStaffNumber);
            if (top < low || bottom > high) continue;
            if (bottom < low || top > high) {
                low = static_cast<int32_t>(std::min<int64_t>(low, bottom));
                high = static_cast<int32_t>(std::max<int64_t>(high, top));
                widened = true;
            }
        }
    }
}

// The end of every transposition that got as far as its undo copy.
void finish() {
    remove_dummy_items();
    if (core::ItemCount > 0 && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound()) {
        render::redraw_items();
    }
    core::clear_exchange_text();
    report_impossible_chords(ImpossibleTabChords);
    core::CommandModeLetters(1) = 0;
}

}  // namespace

// Contract: see the header. Reads ParamBuffer (typed form) or the dialog block and the box
// range; takes one undo copy, sorts the store, and changes notes, key signatures, beams, chord
// names and slurs of the staves. Cancel or fewer than two items change nothing.
void transpose_items() {
    if (core::ItemCount < 2) return;
    T = Transposition{};
    ImpossibleTabChords.clear();
    if (!read_settings()) return;
    T.enharmonic = std::abs(T.interval) == kEnharmonic;

    // The copy is the page as it was, before the sort rounds and reorders it.
    const core::CommandUndoCopy undo_copy;
    const core::Array1<float, 56> kept = ParamBuffer;
    core::sort_item_store_with_letter('X');
    ParamBuffer = kept;

    if (T.enharmonic) {
        if (!set_enharmonic()) {
            finish();
            return;
        }
    } else {
        set_interval();
    }
    // Only staves that can hold items are walked: typed numbers of billions neither wrap round
    // nor make the walk last for ever.
    const int64_t first = std::max<int64_t>(T.first_staff, 0);
    const int64_t end =
        std::min<int64_t>(int64_t{T.first_staff} + T.staves, int64_t{layout::MaxStaffNumber} + 1);
    for (int64_t s = first; s < end; ++s) transpose_staff(static_cast<int32_t>(s));
    if (T.any_key_added || T.any_key_widened) {
        // An added key signature stands between its clef and what follows, with no room of its
        // own, and a widened one still has the room of its old accidentals: the systems'
        // columns are spaced as the justify words space them, so that clef, key, meter and
        // first note stand clear of one another and the staves of a system stay in line.
        core::sort_item_store_with_letter('X');
        int32_t low = static_cast<int32_t>(first);
        int32_t high = static_cast<int32_t>(end - 1);
        widen_to_joined_staves(low, high);
        float left = 0.0f;
        float right = render::PageExtent;
        int32_t no_redraw = 999;
        justify_spacing(low, high, left, right, no_redraw);
    }
    finish();
}

// Contract: see the header. A key k out of -7..7 is taken as it is; the result lies in -6..6.
void transposed_key(int32_t k, int32_t t, int32_t& new_key, int32_t& steps) {
    if (t == 12 || t == -12) {
        new_key = k;
        steps = t < 0 ? -7 : 7;
        return;
    }
    int32_t n = (k - 5 * t) % 12;
    if (n < -6) n += 12;
    if (n > 6) n -= 12;
    if (std::abs(n) == 6) n = k < 0 ? -6 : 6;
    new_key = n;
    const auto tonic = [](int32_t key) {
        int32_t a = key;
        if (key < 0) a += 7;
        if (a % 2 != 0) a += 7;
        return a / 2;
    };
    const int32_t d = tonic(k) - tonic(n);
    int32_t s = 0;
    if (t >= 0) {
        s = d > 0 ? 7 - d : -d;
        if (t >= 22) {
            s = s == 6 ? 13 : s + 14;
        } else if (t >= 11) {
            s = s == 6 ? s : s + 7;
        }
    } else {
        s = d < 0 ? -d - 7 : -d;
        if (t <= -22) {
            s = (s == -6 ? s : s - 7) - 7;
        } else if (t <= -11) {
            s = s == -6 ? s : s - 7;
        }
    }
    steps = s;
}

// Contract: see the header. Works over StaffPitchContext's records; writes P4, P5 (and P6 of
// key signatures) of their items; reads and sets the key in force.
void transpose_staff_notes(int32_t cue) {
    const std::vector<PitchRecord>& r = StaffPitchContext.records;
    std::vector<bool> moved(r.size(), false);
    int32_t old_key = 0;
    int32_t new_key = T.key_shift;
    for (size_t i = 0; i < r.size(); ++i) {
        const int32_t k = r[i].item;
        if (r[i].kind == kContextRest) continue;
        const bool cue_note = count_of(k) >= 4 && std::abs(param(k, 4)) >= kCueLevel;
        if (cue_note && cue == 0 && param(k, 7) != kAlwaysTransposedCue) continue;
        if (r[i].kind == kContextKey) {
            if (!T.enharmonic) transpose_key_signature(r[i], i, old_key, new_key);
            continue;
        }
        int32_t level = r[i].level + T.direction;
        // A tab note's level is read in the clef its tuning code names, not the tab clef's.
        const int32_t clef =
            is_tab_note(k) ? render::tab_written_clef(core::int_of(param(k, 6))) : r[i].clef;
        const int32_t e = clef_step_offset(clef) + level;
        const int32_t d = positive_mod(e - 1, 7) + 1;
        const int32_t moved_letter = positive_mod(d - 1 + T.steps, 7) + 1;
        int32_t a = key_alteration(new_key, moved_letter) - T.direction;
        int32_t code = 0;
        if (r[i].accidental != 0) {
            const int32_t written = r[i].accidental == 3 ? 0 : r[i].accidental;
            a = a + written - key_alteration(old_key, d);
            if (a == 0) {
                code = 3;
            } else if (a < -2) {
                code = accidental_code(-2);
                level += 1;
            } else if (a > 2) {
                code = accidental_code(2);
                level -= 1;
            } else {
                code = accidental_code(a);
            }
        } else if (T.key_in_force != 0) {
            code = std::abs(core::int_of(param(k, 5))) % 10;
        } else {
            code = (a == 0 && T.enharmonic) ? 3 : accidental_code(a);
        }
        if (count_of(k) >= 5) set_accidental_digit(k, code);
        if (count_of(k) >= 4) {
            int32_t v = level + T.steps;
            if (cue_note) v = v < 0 ? v - 100 : v + 100;
            word(k, 4) = static_cast<float>(v);
        }
        moved[i] = true;
    }
    clean_up_accidentals(r, moved);
}

// Contract: see the header. ItemCount and ItemWordsUsed fall with every item removed.
void remove_dummy_items() {
    for (int32_t k = core::ItemCount; k >= 1; --k)
        if (param(k, 1) == kDummyCode) core::delete_item(k);
}

// Contract: see the header. index 0 starts at the first tie; false once the list is done.
bool next_tie_window(int32_t& index, float& left_low, float& left_high, float& right_low,
                     float& right_high) {
    const std::vector<int32_t>& ties = StaffPitchContext.ties;
    if (index < 0 || index >= static_cast<int32_t>(ties.size())) return false;
    const int32_t k = ties[static_cast<size_t>(index)];
    ++index;
    left_low = param(k, 3) - kTieWindow;
    left_high = param(k, 3) + kTieWindow;
    right_low = param(k, 6) - kTieWindow;
    right_high = param(k, 6) + kTieWindow;
    return true;
}

}  // namespace edit
