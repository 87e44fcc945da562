// The walk that tells the two voices of one staff apart by their running onsets, and the
// re-fitting of the slurs after a voice was removed.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_ends.h"
#include "engine/edit/systems/voice_records.h"
#include "engine/edit/systems/voice_separation.h"

namespace edit {

namespace {

using namespace voices;

// Sums of durations are compared with this slack, so that triplets add up to whole beats.
constexpr double kSumSlack = 1e-4;
// A duration of 64 is a special value that counts as 65; cue notes count only at 65.
constexpr float kSpecialDuration = 64.0f;
constexpr float kCountedCue = 65.0f;
constexpr float kCueHeight = 99.0f;
// How far beyond the event a beam of the removed voice is looked for.
constexpr float kBeamReach = 2.0f;
// Slur ends: how near a note must stand, and how far ahead a note may give both ends.
constexpr float kSlurReach = 3.0f;
constexpr float kSlurEndAhead = 2.0f;
// A slur reaching beyond this runs on to the next system and is kept as it is.
constexpr float kSlurToNextSystem = 195.0f;

bool in_region(float x) { return x >= VoiceSeparation.left && x <= VoiceSeparation.right; }

bool invisible_rest(int32_t k) { return code_of(k) == kRest && p(k, 6) < 0.0f; }

// A note or rest the walk counts (invisible rests are skipped when asked).
bool walk_event(int32_t k, bool ignore_invisible) {
    const int32_t code = code_of(k);
    if (code != kNote && code != kRest) return false;
    if (chord_member(k)) return false;  // counted with its stemmed note
    return !(ignore_invisible && invisible_rest(k));
}

// The duration of event k, filled from its shape when it has none; 64 counts as 65.
float duration_of(int32_t k) {
    if (p(k, 7) <= 0.0f) {
        if (count_of(k) < 7) core::resize_item(k, 7.0f);  // no room: counted, not stored
        const float d = set_note_duration(core::ItemStartTable(k), count_of(k));
        if (count_of(k) < 7) return d;
    }
    const float d = p(k, 7);
    return d == kSpecialDuration ? kCountedCue : d;
}

// A cue note is passed over unless it counts 65.
bool passed_over(int32_t k, float d) { return std::fabs(p(k, 4)) > kCueHeight && d != kCountedCue; }

// The voice a walk assigned: its item and the stem code it carried then (-1 for a rest).
struct Current {
    int32_t item = 0;
    int32_t stem = 0;
};

Current current_of(int32_t k) { return {k, code_of(k) == kRest ? -1 : stem_code(k)}; }

// Marks note k and the rest of its chord, which stands at its position on its staff (the
// store sorted by staff and position, the notes of a position by height).
void mark_with_chord(int32_t k) {
    mark(k);
    const int32_t chord = chord_of(k);
    if (chord <= 0) return;
    const int32_t s = staff_of(k);
    const float x = p(k, 3);
    const auto at_position = [&](int32_t j) {
        return j >= 1 && j <= core::ItemCount && staff_of(j) == s &&
               std::fabs(p(j, 3) - x) <= 0.01f;
    };
    for (int32_t j = k - 1; at_position(j); --j)
        if (chord_of(j) == -chord) mark(j);
    for (int32_t j = k + 1; at_position(j); ++j)
        if (chord_of(j) == -chord) mark(j);
}

// Pass one: duplicate slurs and beams of the staff, and the marks table.
void mark_duplicates_and_marks(int32_t voice, int32_t first, int32_t end, bool keep_slurs) {
    for (int32_t k = first; k < end; ++k) {
        const int32_t code = code_of(k);
        const float x = p(k, 3);
        if (code == kSlur && (count_of(k) < 8 || p(k, 8) < 1.0f)) {
            if (x < VoiceSeparation.left) continue;
            if (x > VoiceSeparation.right) return;
            if (keep_slurs) continue;
            const float to = p(k, 6);
            for (int32_t j = k + 1; j < end; ++j)
                if (code_of(j) == kSlur && p(j, 3) == x && p(j, 6) == to) mark(j);
        } else if (code == kBeam) {
            const float to = p(k, 6);
            bool twice = false;
            for (int32_t j = k + 1; j < end; ++j) {
                if (code_of(j) != kBeam || p(j, 3) != x || p(j, 6) != to) continue;
                twice = true;
                if ((voice == 1) == (p(j, 7) >= 20.0f)) mark(j);
            }
            if (twice && (voice == 1) == (p(k, 7) >= 20.0f)) mark(k);
        } else if (code == kNote && count_of(k) > 10 && p(k, 11) != 0.0f) {
            VoiceSeparation.marks.emplace_back(x, core::int_of(p(k, 11)));
        }
    }
}

// Marks the current item of the voice not retained, and the beams of its stem code near the
// event.
void mark_dropped_voice(int32_t voice, const Current& upper, const Current& lower, float event_x,
                        int32_t staff) {
    if (upper.item == lower.item || upper.item == 0 || lower.item == 0) return;
    const Current& dropped = voice == 1 ? lower : upper;
    mark_with_chord(dropped.item);
    if (upper.stem == 0 || lower.stem == 0) return;
    for (int32_t j = lower.item; j <= core::ItemCount; ++j) {
        if (staff_of(j) != staff || p(j, 3) > event_x + kBeamReach) break;
        if (code_of(j) == kBeam && core::int_of(p(j, 7) / 10.0f) == dropped.stem) mark(j);
    }
}

// Pass two. Returns whether the walk found two voices on the staff.
bool walk_onsets(int32_t voice, int32_t staff, int32_t first, int32_t end, bool ignore) {
    double upper_sum = 0.0;
    double lower_sum = 0.0;
    Current upper;
    Current lower;
    bool split = false;
    int32_t k = first;
    while (k < end) {
        if (!walk_event(k, ignore)) {
            ++k;
            continue;
        }
        const float x = p(k, 3);
        if (x < VoiceSeparation.left) {
            ++k;
            continue;
        }
        if (x > VoiceSeparation.right) break;
        const float d = duration_of(k);
        if (passed_over(k, d)) {
            ++k;
            continue;
        }
        int32_t next = k + 1;
        if (upper_sum > lower_sum + kSumSlack) {
            lower_sum += d;
            lower = current_of(k);
            split = true;
        } else if (upper_sum < lower_sum - kSumSlack) {
            upper_sum += d;
            upper = current_of(k);
            split = true;
        } else {
            int32_t j = k + 1;
            while (j < end && !walk_event(j, ignore)) ++j;
            if (j >= end) {  // the staff ends first: passed over
                ++k;
                continue;
            }
            if (p(j, 3) != x) {
                upper_sum += d;
                lower_sum += d;
                upper = lower = current_of(k);
            } else {
                const float dj = duration_of(j);
                next = j + 1;
                if (passed_over(j, dj)) {
                    k = next;
                    continue;
                }
                const float hk = p(k, 4) + (code_of(k) == kRest ? 5.0f : 0.0f);
                const float hj = p(j, 4) + (code_of(j) == kRest ? 5.0f : 0.0f);
                const bool event_higher = hk > hj;
                upper_sum += event_higher ? d : dj;
                lower_sum += event_higher ? dj : d;
                upper = current_of(event_higher ? k : j);
                lower = current_of(event_higher ? j : k);
                split = true;
            }
        }
        mark_dropped_voice(voice, upper, lower, x, staff);
        k = next;
    }
    return split;
}

// With no second voice on the staff, the lower voice keeps only the notes stemmed down.
void keep_lower_stems_only(int32_t first, int32_t end) {
    for (int32_t k = first; k < end; ++k)
        if (code_of(k) == kNote && !chord_member(k) && in_region(p(k, 3)) && stem_code(k) < 2)
            mark_with_chord(k);
}

void delete_marked(int32_t first, int32_t end) {
    auto& chords = VoiceSeparation.chords;
    for (int32_t k = end - 1; k >= first; --k) {
        if (p(k, 1) != kMarked) continue;
        core::delete_item(k);
        if (static_cast<std::size_t>(k) < chords.size())
            chords.erase(chords.begin() + static_cast<std::ptrdiff_t>(k));
    }
}

}  // namespace

// Contract: see voice_separation.h. Reads the region of VoiceSeparation and fills its marks;
// writes P1 = 99 into the items it removes, fills missing durations (P7), and deletes the marked
// items of the staff. A staff without items does nothing.
void separate_one_staff(int32_t voice, int32_t staff, bool ignore_invisible_rests,
                        bool keep_slurs) {
    VoiceSeparation.marks.clear();
    const int32_t first = first_of_staff(staff);
    if (first == 0) return;
    const int32_t end = end_of_staff(first, staff);
    mark_duplicates_and_marks(voice, first, end, keep_slurs);
    const bool split = walk_onsets(voice, staff, first, end, ignore_invisible_rests);
    if (!split && voice == 2) keep_lower_stems_only(first, end);
    delete_marked(first, end_of_staff(first, staff));
}

namespace {

// The first and last note of the staff's run inside the region (x_last 0 with fewer than two).
struct StaffNotes {
    float first_x = HUGE_VALF;
    float last_x = 0.0f;
};

StaffNotes notes_of(int32_t first, int32_t end) {
    StaffNotes notes;
    int32_t count = 0;
    for (int32_t k = first; k < end; ++k) {
        if (code_of(k) != kNote || !in_region(p(k, 3))) continue;
        if (count++ == 0) notes.first_x = p(k, 3);
        notes.last_x = p(k, 3);
    }
    if (count < 2) notes.last_x = 0.0f;
    return notes;
}

bool treated_slur(int32_t k) {
    return code_of(k) == kSlur && in_region(p(k, 3)) && (count_of(k) <= 7 || p(k, 8) < 1.0f);
}

void set_sign(int32_t k, int32_t j, bool positive) {
    const float v = std::fabs(p(k, j));
    set_p(k, j, positive ? v : -v);
}

// The slur's left end onto the note before it; its heights from the end fitting.
void fit_left_end(int32_t slur, int32_t note) {
    const float d = count_of(slur) > 7 && p(slur, 8) != -2.0f && p(slur, 8) != -3.0f ? 2.0f : 0.5f;
    const float height = core::amod(p(note, 4), 100.0f);
    const bool below = stem_code(note) == 2;
    set_p(slur, 4, below ? height + d : height - d);
    set_sign(slur, 7, below);
    for (int32_t j = 1; j <= 8; ++j) core::EditItemParams(j) = p(slur, j);
    const int32_t kept_letter = core::CommandModeLetters(2);
    core::CommandModeLetters(2) = 'V';
    core::EditedItemNumber = note;
    attach_item_ends(core::ItemStartTable(slur), count_of(slur));
    core::EditedItemNumber = 0;
    core::CommandModeLetters(2) = kept_letter;
    if (core::ParamBuffer(1) == 0.0f || core::ParamBuffer(3) == 0.0f) return;
    if (core::ParamBuffer(5) != 0.0f) set_p(slur, 4, core::ParamBuffer(6));
    if (core::ParamBuffer(5) != 0.0f && core::ParamBuffer(7) != 0.0f)
        set_p(slur, 5, core::ParamBuffer(8));
}

// Both ends onto the first note at or near the slur's right end. False when there is none.
bool fit_both_ends_ahead(int32_t slur, int32_t end) {
    for (int32_t j = slur + 1; j < end; ++j) {
        if (code_of(j) != kNote || !in_region(p(j, 3))) continue;
        if (p(j, 3) < p(slur, 6) - kSlurEndAhead) continue;
        const bool upper = core::amod(p(j, 5), 100.0f) < 20.0f;
        const float h = upper ? p(j, 4) - 0.5f : p(j, 4) + 0.5f;
        set_p(slur, 4, h);
        set_p(slur, 5, h);
        set_sign(slur, 7, !upper);
        return true;
    }
    return false;
}

// First pass over one staff's slurs.
void fit_slurs_of_staff(int32_t staff) {
    const int32_t first = first_of_staff(staff);
    if (first == 0) return;
    const StaffNotes notes = notes_of(first, end_of_staff(first, staff));
    int32_t k = first;
    while (k < end_of_staff(first, staff)) {
        if (!treated_slur(k)) {
            ++k;
            continue;
        }
        const float x = p(k, 3);
        bool ahead = true;
        if (notes.first_x <= x) {
            int32_t note = 0;
            for (int32_t j = k - 1; j >= first && note == 0; --j)
                if (code_of(j) == kNote) note = j;
            if (note != 0 && x - p(note, 3) > kSlurReach) {
                core::delete_item(k);
                continue;
            }
            if (note != 0 && p(note, 3) - x <= kSlurReach) {
                fit_left_end(k, note);
                ++k;
                continue;
            }
            ahead = p(k, 6) <= notes.last_x;
        }
        if (ahead && fit_both_ends_ahead(k, end_of_staff(first, staff))) {
            ++k;
            continue;
        }
        if (p(k, 6) > kSlurToNextSystem) return;
        core::delete_item(k);
    }
}

// Whether the notes from four items before the slur show notes at both of its ends; `stop` is
// set when the staff's last note is met first.
bool slur_has_notes(int32_t slur, int32_t first, const StaffNotes& notes, bool& stop) {
    const float x = p(slur, 3);
    const float to = p(slur, 6);
    bool started = false;
    for (int32_t j = std::max(first, slur - 4); j <= core::ItemCount; ++j) {
        if (staff_of(j) != staff_of(slur)) return true;
        if (code_of(j) != kNote || !in_region(p(j, 3))) continue;
        const float nx = p(j, 3);
        if (!started) {
            if (nx == notes.last_x) {
                stop = true;
                return true;
            }
            if (std::fabs(nx - x) <= kSlurReach) {
                started = true;
            } else if (nx > x + kSlurReach) {
                return false;
            }
        } else {
            if (std::fabs(nx - to) <= kSlurReach) return true;
            if (nx > to + kSlurReach) return false;
        }
    }
    return false;
}

// Second pass over one staff's slurs.
void check_slurs_of_staff(int32_t staff) {
    const int32_t first = first_of_staff(staff);
    if (first == 0) return;
    const StaffNotes notes = notes_of(first, end_of_staff(first, staff));
    int32_t k = first;
    while (k < end_of_staff(first, staff)) {
        if (!treated_slur(k)) {
            ++k;
            continue;
        }
        if (k + 1 <= core::ItemCount && code_of(k + 1) == kSlur && p(k + 1, 4) == p(k, 4)) {
            core::delete_item(k + 1);
            ++k;
            continue;
        }
        if (p(k, 3) >= notes.first_x) {
            bool stop = false;
            if (!slur_has_notes(k, first, notes, stop)) {
                core::delete_item(k);
                continue;
            }
            if (stop) return;
        }
        ++k;
    }
}

}  // namespace

// Contract: see voice_separation.h. Reads the region of VoiceSeparation; changes P4, P5 and
// P7's sign of the slurs it fits and deletes the others (EditItemParams, ParamBuffer and
// ItemEndsState are used by the end fitting; EditedItemNumber is 0 afterwards).
void refit_slurs_after_separation() {
    const int32_t lowest = std::max(VoiceSeparation.lowest, 1);
    for (int32_t s = lowest; s <= VoiceSeparation.highest; ++s) fit_slurs_of_staff(s);
    for (int32_t s = lowest; s <= VoiceSeparation.highest; ++s) check_slurs_of_staff(s);
}

}  // namespace edit
