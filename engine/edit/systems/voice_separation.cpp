#include "engine/edit/systems/voice_separation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/undo.h"
#include "engine/core/fixed_array.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/edit/systems/voice_records.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/page/scrolling.h"
#include "engine/render/tables.h"

namespace edit {

VoiceSeparationRecord VoiceSeparation;

void reset_voice_separation_tables() { VoiceSeparation = VoiceSeparationRecord{}; }

int32_t voices::chord_of(int32_t k) {
    const auto& chords = VoiceSeparation.chords;
    return k >= 1 && static_cast<std::size_t>(k) < chords.size()
               ? chords[static_cast<std::size_t>(k)]
               : 0;
}

namespace {

using core::ParamBuffer;
using namespace voices;

constexpr int32_t kCancel = 2;
constexpr int32_t kYes = -1;
// The staves a command without staves treats reach at most this one.
constexpr int32_t kHighestDefaultStaff = 199;
// A rest at or below this P6 is invisible and keeps its stem code.
constexpr float kHiddenNote = -2.0f;

bool new_staff_form() { return core::CommandLine(4) == 'X'; }

// The staff sort for the walks, with the P buffer kept around it. The sort orders the notes of
// one position by height, so the chords found before it follow their items through it.
void sort_by_staff() {
    core::Array1<float, 6> kept;
    for (int32_t i = 1; i <= 6; ++i) kept(i) = ParamBuffer(i);
    core::sort_item_store_with_letter('S');
    for (int32_t i = 1; i <= 6; ++i) ParamBuffer(i) = kept(i);
    const std::vector<int32_t> origins = core::last_sort_origins();
    auto& chords = VoiceSeparation.chords;
    if (origins.empty() || chords.empty()) return;
    std::vector<int32_t> sorted(chords.size(), 0);
    for (std::size_t i = 0; i < origins.size() && i + 1 < sorted.size(); ++i)
        sorted[i + 1] = chord_of(origins[i]);
    chords = std::move(sorted);
}

void staff_range(int32_t& lowest, int32_t& highest) {
    float hi = 0.0f;
    float lo = 0.0f;
    core::find_staff_range(hi, lo);
    highest = core::int_of(hi);
    lowest = core::int_of(lo);
}

// Notes of the treated staves that sound one pitch twice at one position become one note,
// which keeps the accidental and the mark of the second.
void merge_unisons() {
    const VoiceSeparationRecord& v = VoiceSeparation;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = staff_of(k);
        if (code_of(k) != kNote || s < v.lowest || s > v.highest) continue;
        for (int32_t j = k + 1; j <= core::ItemCount && staff_of(j) == s; ++j) {
            if (p(j, 3) > p(k, 3) + 0.1f) break;  // sorted by position within the staff
            if (code_of(j) != kNote || p(j, 3) != p(k, 3) || p(j, 4) != p(k, 4)) continue;
            // A chord's note is its voice's own even where the other voice sounds it too.
            if (chord_of(k) != 0 || chord_of(j) != 0) continue;
            const float p5 = p(k, 5);
            if (core::int_of(core::amod(p5, 10.0f)) == 0) {
                const int32_t digits = core::int_of(core::amod(p5, 100.0f));
                int32_t tens = digits / 10;
                if (tens == 0) tens = stem_code(j);
                const int32_t units = core::int_of(core::amod(p(j, 5), 10.0f));
                set_p(k, 5,
                      p5 - static_cast<float>(digits) + static_cast<float>(tens * 10 + units));
            }
            mark(j);
            if (count_of(j) >= 11 && p(j, 11) != 0.0f) {
                if (count_of(k) < 11 && core::resize_item(k, 11.0f))
                    set_p(k, 11, p(j, 11));
                else if (p(k, 11) == 0.0f)
                    set_p(k, 11, p(j, 11));
            }
        }
    }
}

// The chords as the store holds them (before any sort): the notes without a stem digit that
// follow a stemmed note at its position in item order; a stem-down chord keeps its stem on its
// top note, stored first. A page sorted by staff since holds the notes of a position from the
// lowest up, so the notes without one just before a stemmed note (and after no other) join it.
void find_chords() {
    auto& chords = VoiceSeparation.chords;
    chords.assign(static_cast<std::size_t>(std::max(core::ItemCount, 0)) + 1, 0);
    const auto unstemmed_at = [](int32_t j, int32_t k) {
        return j >= 1 && j <= core::ItemCount && code_of(j) == kNote &&
               staff_of(j) == staff_of(k) && p(j, 3) == p(k, 3) && stem_code(j) == 0;
    };
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (code_of(k) != kNote || stem_code(k) == 0) continue;
        for (int32_t j = k + 1; unstemmed_at(j, k); ++j) {
            chords[static_cast<std::size_t>(j)] = -k;
            chords[static_cast<std::size_t>(k)] = k;
        }
    }
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (code_of(k) != kNote || stem_code(k) == 0) continue;
        for (int32_t j = k - 1; unstemmed_at(j, k) && chord_of(j) == 0; --j) {
            chords[static_cast<std::size_t>(j)] = -k;
            chords[static_cast<std::size_t>(k)] = k;
        }
    }
}

// Two stemmed notes of one chord: only the one at the stem's end keeps the stem code.
void share_chord_stems() {
    const VoiceSeparationRecord& v = VoiceSeparation;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = staff_of(k);
        if (code_of(k) != kNote || s < v.lowest || s > v.highest) continue;
        for (int32_t j = k + 1; j <= core::ItemCount && staff_of(j) == s; ++j) {
            if (code_of(k) != kNote || core::int_of(p(k, 5) / 10.0f) == 0) break;
            if (code_of(j) != kNote || std::fabs(p(j, 3) - p(k, 3)) > 0.1f) continue;
            if (core::int_of(p(j, 5) / 10.0f) == 0) continue;
            const bool up = p(k, 5) < 20.0f;
            const bool j_higher = p(j, 4) >= p(k, 4);
            // Up: the lower keeps the stem; down: the higher keeps it.
            const int32_t loser = up == j_higher ? j : k;
            set_p(loser, 5, core::amod(p(loser, 5), 10.0f));
        }
    }
}

// Asks "Ignore Invisible Rests?" once per command when a treated staff holds one.
bool ignore_invisible_rests() {
    VoiceSeparationRecord& v = VoiceSeparation;
    if (v.invisible_answer == 0) {
        bool any = false;
        for (int32_t k = 1; k <= core::ItemCount && !any; ++k) {
            const int32_t s = staff_of(k);
            any = code_of(k) == kRest && s >= v.lowest && s <= v.highest && p(k, 6) < 0.0f;
        }
        if (!any) return false;
        const int answer =
            core::front_end().AskYesNo("Ignore Invisible Rests? (See HELP for info.)", 1);
        v.invisible_answer = answer == kYes ? 1 : 2;
    }
    return v.invisible_answer == 1;
}

// After the walk of staff s: upper stems for the notes without one, rests centred, and the
// marks given back to the notes that remain at their positions.
void finish_staff(int32_t s) {
    const int32_t first = first_of_staff(s);
    if (first == 0) return;
    const int32_t end = end_of_staff(first, s);
    for (int32_t k = first; k < end; ++k) {
        if (code_of(k) == kNote && !chord_member(k) && p(k, 3) >= VoiceSeparation.left &&
            p(k, 3) <= VoiceSeparation.right && core::amod(p(k, 5), 100.0f) < 10.0f &&
            p(k, 6) > kHiddenNote) {
            set_p(k, 5, p(k, 5) + 10.0f);
        } else if (code_of(k) == kRest) {
            set_p(k, 4, 0.0f);
        }
    }
    int32_t from = first;
    for (const auto& [x, mark_code] : VoiceSeparation.marks) {
        for (int32_t k = from; k < end; ++k) {
            if (code_of(k) != kNote || p(k, 3) != x) continue;
            if (count_of(k) < 11) core::resize_item(k, 11.0f);  // no room: the mark is not kept
            if (count_of(k) >= 11 && p(k, 11) == 0.0f) set_p(k, 11, static_cast<float>(mark_code));
            from = k + 1;
            break;
        }
    }
}

}  // namespace

// Contract: see voice_separation.h. Reads and writes VoiceSeparation (choice, slurs option,
// region); reads the staff items; sorts the store (P1..P6 kept).
int32_t ask_separate_voices_options(int32_t& voice) {
    VoiceSeparationRecord& v = VoiceSeparation;
    if (v.choice < 1 || v.choice > 2) v.choice = 1;
    int32_t lowest = 0;
    int32_t highest = 0;
    staff_range(lowest, highest);
    if (highest == 0) lowest = 0;
    core::Array1<int32_t, 7> a;
    a(1) = v.choice == 1 ? 1 : 0;
    a(2) = v.choice == 2 ? 1 : 0;
    a(7) = v.keep_all_slurs ? 1 : 0;
    const bool new_staff = new_staff_form();
    if (new_staff) {
        a(3) = highest;
        a(4) = highest + 1;
    } else {
        a(3) = lowest;
        a(4) = highest;
    }
    const int result = new_staff ? core::front_end().RunSeparateVoicesNewStaffDialog(a)
                                 : core::front_end().RunSeparateVoicesDialog(a);
    if (result == kCancel) return kCancel;
    voice = a(1) != 0 ? 1 : 2;
    v.choice = voice;
    v.keep_all_slurs = a(7) != 0;
    if (new_staff) {
        ParamBuffer(2) = static_cast<float>(voice);
        ParamBuffer(3) = static_cast<float>(a(3));
        ParamBuffer(4) = static_cast<float>(a(4));
        return result;
    }
    v.lowest = a(3) != 0 ? a(3) : lowest;
    v.highest = a(4) != 0 ? a(4) : v.lowest;
    v.left = static_cast<float>(a(5));
    v.right = static_cast<float>(a(6));
    sort_by_staff();
    return result;
}

// Contract: see voice_separation.h. Reads the record's P1, P5 (rests), P6 and P9 (notes);
// writes P7 when the record has it.
float set_note_duration(int32_t k, int32_t n) {
    float value = 1.0f;
    if (core::int_of(core::ItemStore(k + 1)) == kRest) {
        const int32_t code = n >= 5 ? core::int_of(core::ItemStore(k + 5)) : 0;
        value = static_cast<float>(std::ldexp(4.0, -(code + 2)));
    } else {
        const int32_t head = n >= 6 ? core::int_of(core::ItemStore(k + 6)) : 0;
        if (head == 1) value = 2.0f;
        if (head == 2) value = 4.0f;
        if (head == 3) value = 8.0f;  // a breve
        if (n > 8) {
            const int32_t code = std::max(core::int_of(core::ItemStore(k + 9)), 0);
            const int32_t flags = code % 10;
            const int32_t dots = code / 10 % 10;
            if (flags != 0) value = static_cast<float>(std::ldexp(1.0, -flags));
            if (dots == 1) value *= 1.5f;
            if (dots == 2) value *= 1.75f;
        }
    }
    if (n >= 7) core::ItemStore(k + 7) = value;
    return value;
}

namespace {

// True when the options would be asked of a front-end that shows no dialog (the console): its
// launcher says so and cancels, and the word ends before its undo copy and its sort, so the page
// and its saved mark stay as they were.
bool options_dialog_unavailable() {
    if (core::int_of(ParamBuffer(2)) != 0 || core::front_end().ShowsDialogs()) return false;
    core::Array1<int32_t, 7> a;
    (void)(new_staff_form() ? core::front_end().RunSeparateVoicesNewStaffDialog(a)
                            : core::front_end().RunSeparateVoicesDialog(a));
    return true;
}

}  // namespace

// Contract: see voice_separation.h. Reads P2..P6 and CommandLine(4); writes VoiceSeparation,
// the store (unisons merged, stems shared in chords, the dropped voice deleted, slurs re-fitted)
// and the undo copy (the new-staff form's own when it runs inside it); redraws.
void separate_voices() {
    core::Array1<float, 6> kept;
    for (int32_t i = 1; i <= 6; ++i) kept(i) = ParamBuffer(i);
    if (options_dialog_unavailable()) return;
    // The new-staff form holds the copies back already: its two runs share its copy.
    const core::CommandUndoCopy undo_copy;
    VoiceSeparationRecord& v = VoiceSeparation;
    if (!v.in_new_staff) find_chords();  // that form found them before its copy
    sort_by_staff();
    for (int32_t i = 1; i <= 6; ++i) ParamBuffer(i) = kept(i);
    int32_t lowest = 0;
    int32_t highest = 0;
    staff_range(lowest, highest);

    if (!v.in_new_staff) v.invisible_answer = 0;
    if (v.choice < 1 || v.choice > 2) v.choice = 1;
    int32_t voice = core::int_of(ParamBuffer(2));
    if (voice == 0) {
        if (ask_separate_voices_options(voice) == kCancel) return;
    } else {
        v.left = ParamBuffer(4);
        v.right = ParamBuffer(5);
        v.lowest = core::int_of(ParamBuffer(3));
        v.highest = core::int_of(ParamBuffer(6));
        if (voice < 1 || voice > 2) voice = 1;
    }
    if (v.right == 0.0f) v.right = render::PageExtent;
    if (v.lowest == 0) {
        v.lowest = lowest;
        v.highest = std::min(highest, kHighestDefaultStaff);
    } else if (v.highest == 0) {
        v.highest = v.lowest;
    }
    v.lowest = std::max(v.lowest, 1);
    v.highest = std::min(v.highest, layout::MaxStaffNumber);

    merge_unisons();
    share_chord_stems();
    const bool ignore = ignore_invisible_rests();
    for (int32_t s = v.lowest; s <= v.highest; ++s) {
        separate_one_staff(voice, s, ignore, v.keep_all_slurs);
        finish_staff(s);
    }
    if (!v.keep_all_slurs) refit_slurs_after_separation();
    render::redraw_items();
    core::refresh_screen();
    layout::InputParserMode = 0;
}

namespace {

// "Items found on staff    . Can't proceed." with the staff in columns 22 to 24.
void report_occupied_staff(int32_t staff) {
    core::FixedText<512> text;
    text.set("Items found on staff    . Can't proceed.");
    core::write_int_field(text, 22, 24, "(1I3)", staff);
    core::report_failure(text.view());
}

// Whether staff t holds anything but bar lines and a staff item; has_staff_item tells about
// the latter.
bool staff_occupied(int32_t t, bool& has_staff_item) {
    has_staff_item = false;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != t || code_of(k) == kBarLine) continue;
        if (code_of(k) != kStaff) return true;
        has_staff_item = true;
    }
    return false;
}

// Copies every item of staff s to the end of the store on staff t (its staff item only when
// t has none). False, with nothing changed, when the page has no room for them.
bool copy_staff(int32_t s, int32_t t, bool skip_staff_item) {
    std::vector<int32_t> items;
    int32_t words = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != s || (skip_staff_item && code_of(k) == kStaff)) continue;
        items.push_back(k);
        words += core::ItemStartTable(k + 1) - core::ItemStartTable(k);
    }
    if (!render::page_has_room_or_refuse(static_cast<int64_t>(items.size()), words,
                                         "the voices were not separated"))
        return false;
    auto& spans = core::ItemOutputSpans;
    for (const int32_t k : items) {
        const int32_t from = core::ItemStartTable(k);
        const int32_t length = core::ItemStartTable(k + 1) - from;
        const int32_t to = core::ItemWordsUsed;
        std::copy_n(core::ItemStore.at(from), length, core::ItemStore.at(to));
        core::ItemStore(to + 2) = static_cast<float>(t);
        // The copy has drawn nothing yet: an empty output span at the end.
        spans.graphics(core::ItemCount + 2) = spans.graphics(core::ItemCount + 1);
        spans.text(core::ItemCount + 2) = spans.text(core::ItemCount + 1);
        ++core::ItemCount;
        core::ItemStartTable(core::ItemCount) = to;
        core::ItemWordsUsed = to + length;
        core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
    }
    core::ChangesMadeFlag = 1;
    return true;
}

}  // namespace

// Contract: see voice_separation.h. Saves the undo copy (UndoSaveMode -3 while it runs, -1
// after); refuses an occupied target staff with a message, and staves outside
// 1..MaxStaffNumber without one; copies the source staff onto the target and runs
// separate_voices on each with the voices swapped.
void separate_voices_new_staff() {
    if (options_dialog_unavailable()) return;
    const core::CommandUndoCopy undo_copy;
    VoiceSeparationRecord& v = VoiceSeparation;
    if (core::int_of(ParamBuffer(2)) == 0) {
        int32_t voice = 0;
        if (ask_separate_voices_options(voice) == kCancel) return;
    }
    int32_t voice = core::int_of(ParamBuffer(2));
    if (voice < 1 || voice > 2) voice = 2;
    const int32_t t =
        ParamBuffer(4) != 0.0f ? core::int_of(ParamBuffer(4)) : core::int_of(ParamBuffer(3)) + 1;
    const int32_t s = ParamBuffer(3) != 0.0f ? core::int_of(ParamBuffer(3)) : t + 1;
    const int32_t top = layout::MaxStaffNumber;
    bool has_staff_item = false;
    if (t < 1 || t > top || s < 1 || s > top) return;
    if (staff_occupied(t, has_staff_item)) {
        report_occupied_staff(t);
        return;
    }
    // The copy is appended in the source staff's order: its chords are found as the source's.
    if (!copy_staff(s, t, has_staff_item)) return;
    find_chords();

    v.choice = voice;
    v.in_new_staff = true;
    v.invisible_answer = 0;
    core::CommandLine(4) = 'X';
    for (const auto& [staff, choice] : {std::pair{t, voice}, std::pair{s, 3 - voice}}) {
        ParamBuffer(2) = static_cast<float>(choice);
        ParamBuffer(3) = static_cast<float>(staff);
        ParamBuffer(4) = 0.0f;
        ParamBuffer(5) = 0.0f;
        ParamBuffer(6) = 0.0f;
        separate_voices();
    }
    v.choice = voice;
    v.in_new_staff = false;
    render::position_view(1);
}

namespace {

// Moves the items of staff s to the front of the store in their order; the others follow in
// theirs. No staff number changes on the way. Returns the old numbers in the new order.
std::vector<int32_t> bring_staff_to_front(int32_t s) {
    std::vector<int32_t> order;
    order.reserve(static_cast<std::size_t>(core::ItemCount));
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (staff_of(k) == s) order.push_back(k);
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (staff_of(k) != s) order.push_back(k);
    std::vector<float> words(core::ItemStore.data(),
                             core::ItemStore.data() + core::ItemWordsUsed - 1);
    std::vector<int32_t> starts(core::ItemStartTable.data(),
                                core::ItemStartTable.data() + core::ItemCount + 1);
    int32_t to = 1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto k = static_cast<std::size_t>(order[i]);
        const int32_t from = starts[k - 1];
        const int32_t length = starts[k] - from;
        std::copy_n(words.data() + from - 1, length, core::ItemStore.at(to));
        core::ItemStartTable(static_cast<int32_t>(i) + 1) = to;
        to += length;
    }
    core::ItemStartTable(core::ItemCount + 1) = to;
    return order;
}

// Where each item came from through the staff sort and the move to the front: the sort's
// origins (none when it had nothing to order) taken through the move's order.
std::vector<int32_t> combined_origins(const std::vector<int32_t>& sorted,
                                      const std::vector<int32_t>& moved) {
    std::vector<int32_t> origins;
    origins.reserve(moved.size());
    for (int32_t k : moved) {
        const auto i = static_cast<std::size_t>(k) - 1;
        origins.push_back(i < sorted.size() ? sorted[i] : k);
    }
    return origins;
}

void abandon() { core::CommandModeLetters(1) = 'B'; }

}  // namespace

// Contract: see voice_separation.h. Reads P1..P3, writes the store's order and the durations it
// fills, CommandModeLetters(1) = 'B' when it abandons; a staff outside 1..MaxStaffNumber
// abandons and redraws.
void check_staff_single_voice(bool fill_missing, std::vector<int32_t>* origins) {
    const int32_t staff = core::int_of(ParamBuffer(1));
    const float left = ParamBuffer(2);
    const float right = ParamBuffer(3) == 0.0f ? render::PageExtent : ParamBuffer(3);
    if (origins != nullptr) {
        origins->resize(static_cast<std::size_t>(std::max(core::ItemCount, 0)));
        for (std::size_t i = 0; i < origins->size(); ++i)
            (*origins)[i] = static_cast<int32_t>(i) + 1;
    }
    if (staff < 1 || staff > layout::MaxStaffNumber) {
        abandon();
        render::redraw_items();
        return;
    }
    sort_by_staff();
    const std::vector<int32_t> sorted = core::last_sort_origins();
    const std::vector<int32_t> moved = bring_staff_to_front(staff);
    if (origins != nullptr) *origins = combined_origins(sorted, moved);

    bool has_previous = false;
    float previous_x = 0.0f;
    float previous_d = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount && staff_of(k) == staff; ++k) {
        const int32_t code = code_of(k);
        const float x = p(k, 3);
        if ((code != kNote && code != kRest) || x < left || x > right) continue;
        const bool same_place = has_previous && x == previous_x;
        if (code == kRest && same_place) return abandon();
        if (count_of(k) < 7 || p(k, 7) == 0.0f) {
            if (!fill_missing || (count_of(k) < 7 && !core::resize_item(k, 7.0f))) return abandon();
            set_p(k, 7, same_place ? previous_d : 1.0f);
        }
        const float d = std::min(p(k, 7), 64.0f);
        if (same_place && d != previous_d) {
            core::report_failure("Cannot re-edit counterpoint. See \"SEPX\" in Help.");
            return abandon();
        }
        has_previous = true;
        previous_x = x;
        previous_d = d;
    }
}

}  // namespace edit
