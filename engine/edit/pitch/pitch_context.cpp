#include "engine/edit/pitch/pitch_context.h"

#include <algorithm>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"

namespace edit {

namespace {

using core::ItemStartTable;
using core::ItemStore;

constexpr float kRangeSlack = 0.001f;
constexpr float kBarSentinel = 10000.0f;
constexpr float kEmptyStaffPosition = 1000.0f;
// Items this close to a clef share its column in the spacing: an added key goes past them.
constexpr float kPastClef = 0.1f;

int32_t count_of(int32_t k) { return core::int_of(ItemStore(ItemStartTable(k))); }
float param(int32_t k, int32_t j) {
    return j <= count_of(k) ? ItemStore(ItemStartTable(k) + j) : 0.0f;
}
int32_t code_of(int32_t k) { return core::int_of(param(k, 1)); }
int32_t staff_of(int32_t k) { return core::int_of(param(k, 2)); }

// Alteration recorded for the units digit of a note's P5.
int32_t alteration_of_digit(int32_t digit) {
    switch (digit) {
        case 1:
            return -1;
        case 2:
            return 1;
        case 3:
            return 3;
        case 4:
            return -2;
        case 5:
            return 2;
        default:
            return 0;
    }
}

core::Array1<int32_t, 105> make_key_table() {
    // Letters numbered from C = 1: the order in which sharps and flats enter a key signature.
    constexpr int32_t sharps[7] = {4, 1, 5, 2, 6, 3, 7};
    constexpr int32_t flats[7] = {7, 3, 6, 2, 5, 1, 4};
    core::Array1<int32_t, 105> t{};
    for (int32_t i = 1; i <= 105; ++i) t(i) = 0;
    for (int32_t k = -7; k <= 7; ++k) {
        for (int32_t i = 0; i < std::abs(k); ++i) {
            const int32_t letter = k > 0 ? sharps[i] : flats[i];
            t(7 * (k + 7) + letter) = k > 0 ? 1 : -1;
        }
    }
    return t;
}

// Gives kind 1 to the notes that open a bar: the first record when it is a note, and each note
// at or after the next bar position with the notes of its chord.
void mark_first_in_bar(StaffPitchContextRecord& c) {
    std::vector<PitchRecord>& r = c.records;
    if (r.empty()) return;
    if (r[0].kind == kContextNote) r[0].kind = kContextFirstInBar;
    size_t bar = 0;
    for (size_t i = 0; i < r.size(); ++i) {
        if (r[i].kind == kContextRest || r[i].position < c.bar_positions[bar]) continue;
        if (r[i].kind == kContextNote || r[i].kind == kContextFirstInBar) {
            r[i].kind = kContextFirstInBar;
            while (i + 1 < r.size() && r[i + 1].position == r[i].position &&
                   (r[i + 1].kind == kContextNote || r[i + 1].kind == kContextFirstInBar)) {
                ++i;
                r[i].kind = kContextFirstInBar;
            }
        }
        // The bar is used up by this record (a bar at its own position too); the sentinel stays.
        while (bar + 1 < c.bar_positions.size() && c.bar_positions[bar] <= r[i].position) ++bar;
    }
}

// The distinct positions of the bar lines covering the staff from the first note on, ascending
// and closed by the sentinel.
void collect_bar_positions(StaffPitchContextRecord& c, int32_t s, float right) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) > s) break;
        if (code_of(k) != 14) continue;
        const float x = param(k, 3);
        if (x > right || x < c.first_position) continue;
        const int32_t t = staff_of(k);
        int32_t n = count_of(k) < 4 ? 0 : core::int_of(param(k, 4));
        if (n == 0) n = 1;
        if (s < t || s >= t + n) continue;
        if (std::find(c.bar_positions.begin(), c.bar_positions.end(), x) == c.bar_positions.end())
            c.bar_positions.push_back(x);
    }
    std::sort(c.bar_positions.begin(), c.bar_positions.end());
    c.bar_positions.push_back(kBarSentinel);
}

}  // namespace

StaffPitchContextRecord StaffPitchContext;
const core::Array1<int32_t, 105> KeyAccidentalTable = make_key_table();

// Contract: see the header. Reads the item store (sorted by staff and position); writes every
// field of StaffPitchContext but its inputs. The lists start empty on every call. A note or rest
// without rhythm ends the scan with a message and count -1.
void scan_staff_context() {
    StaffPitchContextRecord& c = StaffPitchContext;
    c.records.clear();
    c.ties.clear();
    c.bar_positions.clear();
    c.beam_flag = 0;
    c.key_state = -1;
    c.count = 0;
    c.first_position = 0.0f;
    const int32_t s = core::int_of(c.staff);
    const float left = c.left - kRangeSlack;
    const float right = c.right + kRangeSlack;
    int32_t clef = 0;
    bool rhythm_met = false;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != s) continue;
        const float x = param(k, 3);
        if (x > right) break;
        const int32_t code = code_of(k);
        const int32_t n = count_of(k);
        if (code == 1 || code == 2) {
            if (x < left) continue;
            if (n >= 7 && param(k, 7) < 0.0f) continue;
            if (n < 7 || param(k, 7) == 0.0f) {
                std::string text = "*** missing rhythm (P7) - Item ";
                const std::string number = std::to_string(k);
                text += number.size() < 4 ? std::string(4 - number.size(), ' ') + number
                                          : std::string(4, '*');
                core::report_failure(text);
                c.count = -1;
                return;
            }
            if (!rhythm_met) c.first_position = x;
            rhythm_met = true;
            PitchRecord r;
            r.item = k;
            r.clef = clef;
            r.position = x;
            if (code == 2) {
                r.kind = kContextRest;
            } else {
                r.kind = kContextNote;
                if (n >= 5)
                    r.accidental = alteration_of_digit(core::int_of(param(k, 5)) % 10 < 0
                                                           ? -(core::int_of(param(k, 5)) % 10)
                                                           : core::int_of(param(k, 5)) % 10);
                if (n >= 4) r.level = core::int_of(param(k, 4)) % 100;
            }
            c.records.push_back(r);
        } else if (code == 5) {
            if (n >= 7 && param(k, 4) == param(k, 5) && (n < 8 || param(k, 8) <= 0.0f))
                c.ties.push_back(k);
        } else if (code == 3) {
            clef = n >= 5 ? core::int_of(param(k, 5)) : 0;
        } else if (code == 17) {
            if (x < left) continue;
            if (c.key_state == -1) c.key_state = rhythm_met ? 1 : 0;
            PitchRecord r;
            r.item = k;
            r.clef = clef;
            r.position = x;
            r.kind = kContextKey;
            r.accidental = n >= 5 ? core::int_of(param(k, 5)) : 0;
            c.records.push_back(r);
        } else if (code == 6) {
            if (n >= 7) c.beam_flag = 1;
        }
    }
    c.count = static_cast<int32_t>(c.records.size());
    if (c.count == 0) return;
    collect_bar_positions(c, s, right);
    mark_first_in_bar(c);
}

// Contract: see the header. Reads the item store; appends one item and raises ItemCount and
// ItemWordsUsed. A full store gets nothing and a message.
void add_key_signature_item(int32_t& key, int32_t& clef) {
    const int32_t s = core::int_of(StaffPitchContext.staff);
    float smallest = 0.0f;
    bool any = false;
    bool placed = false;
    float position = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount && !placed; ++k) {
        if (staff_of(k) != s) continue;
        const float x = param(k, 3);
        if (!any || x < smallest) smallest = x;
        any = true;
        if (code_of(k) != 3) continue;
        // Between the clef and the staff's next position, or just after the clef when nothing
        // follows: a key on the clef's own position would be spaced as part of the clef, and so
        // would one halfway to an item that shares the clef's position (a measure number).
        bool later = false;
        float next = 0.0f;
        for (int32_t j = 1; j <= core::ItemCount; ++j) {
            if (j == k || staff_of(j) != s || count_of(j) < 3) continue;
            const float y = param(j, 3);
            if (y > x + kPastClef && (!later || y < next)) {
                next = y;
                later = true;
            }
        }
        position = later ? 0.5f * (x + next) : x + 1.0f;
        placed = true;
    }
    if (!placed) position = any ? smallest + 1.0f : kEmptyStaffPosition;
    const int32_t start = core::ItemWordsUsed;
    if (!render::page_has_room_or_refuse(1, 7, "the key signature was not added")) return;
    const float words[7] = {6.0f,
                            17.0f,
                            StaffPitchContext.staff,
                            position,
                            0.0f,
                            static_cast<float>(key),
                            static_cast<float>(clef)};
    for (int32_t j = 0; j < 7; ++j) ItemStore(start + j) = words[j];
    core::ItemCount += 1;
    ItemStartTable(core::ItemCount) = start;
    core::ItemWordsUsed = start + 7;
    ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
}

}  // namespace edit
