#include "engine/edit/systems/beat_counting.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/systems/justify_spacing.h"
#include "engine/edit/tables.h"
#include "engine/layout/builders/rhythm_columns.h"
#include "engine/layout/notes/grace_spacing.h"
#include "engine/layout/staves/clef_room.h"
#include "engine/layout/staves/key_room.h"
#include "engine/layout/staves/meter_room.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::ItemStartTable;
using core::ItemStore;

constexpr int32_t kEventLimit = 5000;
constexpr int32_t kRhythmLimit = 150;
constexpr float kRhythmTotalTolerance = 0.007f;
constexpr float kBar = -14.0f;
constexpr float kClef = -3.0f;
constexpr float kLeadingClef = -15.0f;
constexpr float kKeySignature = -17.0f;
constexpr float kMeter = -18.0f;
constexpr float kParkOffset = 1000.0f;
constexpr char kTooLargeMessage[] = "*** System too large to count: nothing was moved.";

// One event of the system: an item's P3 (or a staff's closing bar line, word 0: no item).
struct Event {
    float position = 0.0f;
    int32_t staff = 0;
    int32_t word = 0;  // ItemStore word of the item's P3; 0 for a closing entry
    int32_t code = 0;
};

// SystemEventTable, sorted by staff and position; StaffEventStart(s) .. (s+1) - 1 are staff s's.
std::vector<Event> SystemEventTable;
std::vector<int32_t> StaffEventStart;

// One staff's normalised rhythm list (value, old position).
struct StaffRhythmList {
    std::vector<float> values;
    std::vector<float> positions;
    float total = 0.0f;
    bool closed = false;  // the closing bar line was added: no item of the staff stands there
};
// SystemRhythmSlots: each counted staff's list; a staff without beats owns an empty one.
std::vector<StaffRhythmList> SystemRhythmSlots;
// The item where each staff's scan begins (the rhythm walk's start item for it).
std::vector<int32_t> StaffFirstItem;
// MergedRhythm and the new positions compute_rhythm_positions gives its entries.
std::vector<float> MergedRhythm;
std::vector<float> MergedPositions;
// The (old, new) position pairs of one staff.
struct PositionPair {
    float old_position;
    float new_position;
};
std::vector<std::vector<PositionPair>> StaffPairs;

float page_extent() { return render::PageExtent; }
int32_t count_of(int32_t s) { return core::int_of(ItemStore(s)); }
float param(int32_t s, int32_t j) { return j <= count_of(s) ? ItemStore(s + j) : 0.0f; }
int32_t code_of(int32_t s) { return core::int_of(param(s, 1)); }
int32_t staff_of(int32_t s) { return core::int_of(param(s, 2)); }
bool is_duration(float v) { return v > 0.0f; }

bool takes_event_code(int32_t code) { return (code >= 1 && code < 4) || code == 14 || code > 16; }

// The first item from which on a walk for staves from lowest up has to look: the items before
// it are all passed over by such a walk, without effect. With three_words, items of fewer than
// 3 parameters are passed over too and the staff is P2; else the staff is P2 of items of 2 or
// more, 0 of the others. Read straight from the store (these walks cross the whole page before
// the system, once per system); a record the store cannot hold stops the look there.
int32_t first_item_from_staff(int32_t lowest, bool three_words) {
    const int32_t* start = ItemStartTable.data();  // start[i - 1] = START(i)
    const float* store = core::ItemStore.data();   // store[w - 1] = word w
    int32_t i = 1;
    for (; i <= core::ItemCount; ++i) {
        const int32_t s = start[i - 1];
        if (s < 1 || s + 2 > core::kItemStoreWords) break;
        const float count = store[s - 1];
        if (three_words) {
            if (core::int_of(count) >= 3 && core::int_of(store[s + 1]) >= lowest) break;
        } else {
            const int32_t staff = count >= 2.0f ? core::int_of(store[s + 1]) : 0;
            if (staff >= lowest) break;
        }
    }
    return i;
}

// Fills SystemEventTable from the store (items of staves lowest..highest lying on the page) and
// sorts it. False when more than kEventLimit events would be needed.
bool collect_events(int32_t lowest, int32_t highest) {
    const float e = page_extent();
    SystemEventTable.clear();
    std::vector<float> last_position(static_cast<std::size_t>(highest + 2), -1.0f);
    std::vector<bool> has_events(static_cast<std::size_t>(highest + 2), false);
    auto add = [&](float x, int32_t staff, int32_t word, int32_t code) {
        SystemEventTable.push_back({x, staff, word, code});
        if (staff <= highest) {
            last_position[staff] = x;
            has_events[staff] = true;
        }
    };
    const Event* previous = nullptr;
    int32_t previous_index = -1;
    const int32_t first = lowest <= highest ? first_item_from_staff(lowest, true) : 1;
    for (int32_t i = first; i <= core::ItemCount; ++i) {
        const int32_t s = ItemStartTable(i);
        if (count_of(s) < 3) continue;
        const int32_t staff = staff_of(s);
        if (staff > highest) break;
        const int32_t code = code_of(s);
        const float x = ItemStore(s + 3);
        if (staff < lowest || x > e + 0.05f || !takes_event_code(code)) continue;
        if (previous_index >= 0) previous = &SystemEventTable[previous_index];
        if (previous != nullptr && previous->staff == staff && previous->position == x) continue;
        previous_index = static_cast<int32_t>(SystemEventTable.size());
        add(x, staff, s + 3, code);
        if (code == 14 && count_of(s) >= 4) {
            const int32_t span = core::int_of(ItemStore(s + 4) - 1.0f);
            for (int32_t t = staff + 1; t <= staff + span && t <= highest; ++t)
                add(x, t, s + 3, 14);
        }
        if (static_cast<int32_t>(SystemEventTable.size()) > kEventLimit) return false;
    }
    // Every staff that does not end at the page's end gets a closing bar line there.
    for (int32_t t = lowest; t <= highest; ++t) {
        if (has_events[t] && std::fabs(last_position[t] - e) > 0.01f) add(e, t, 0, -14);
    }
    if (static_cast<int32_t>(SystemEventTable.size()) > kEventLimit) return false;
    // Stable, so that equal keys keep their store order.
    std::stable_sort(SystemEventTable.begin(), SystemEventTable.end(),
                     [](const Event& a, const Event& b) {
                         const float ka = static_cast<float>(a.staff) * 1000.0f + a.position;
                         const float kb = static_cast<float>(b.staff) * 1000.0f + b.position;
                         return ka < kb;
                     });
    StaffEventStart.assign(static_cast<std::size_t>(highest + 2), 0);
    std::size_t k = 0;
    for (int32_t t = 0; t <= highest + 1; ++t) {
        while (k < SystemEventTable.size() && SystemEventTable[k].staff < t) ++k;
        StaffEventStart[t] = static_cast<int32_t>(k);
    }
    return true;
}

// Copies values into out, dropping a bar line directly after a bar line.
void collapse_bar_entries(const std::vector<float>& values, std::vector<float>& out) {
    out.clear();
    for (float v : values) {
        if (v == kBar && !out.empty() && out.back() == kBar) continue;
        out.push_back(v);
    }
}

// The order pass's output: drops a 0 and a marker other than a bar line or clef change right
// after a duration (a clef inside a bar keeps its own entry, so that its room is kept on every
// staff of the system); remembers what it appended.
void append_merged_entry(std::vector<float>& out, float& remembered, float v) {
    if (v == 0.0f) return;
    if (v < 0.0f && v != kBar && v != kClef && is_duration(remembered)) return;
    out.push_back(v);
    remembered = v;
}

// Copies the markers of merged from k on into out, up to its next duration; k is left there.
void copy_markers_until_duration(const std::vector<float>& merged, std::size_t& k,
                                 std::vector<float>& out) {
    while (k < merged.size() && !is_duration(merged[k])) out.push_back(merged[k++]);
}

// Split pass: the merged durations are cut at every onset of the staff's durations, so that
// both sequences' onsets are present (onsets within 0.01 count as one).
void merge_staff_rhythm(const std::vector<float>& staff) {
    std::vector<float> onsets;
    double t = 0.0;
    for (float v : staff) {
        if (!is_duration(v)) continue;
        t += v;
        onsets.push_back(static_cast<float>(t));
    }
    std::vector<float> out;
    std::size_t k = 0;
    std::size_t o = 0;
    double start = 0.0;
    while (k < MergedRhythm.size()) {
        copy_markers_until_duration(MergedRhythm, k, out);
        if (k >= MergedRhythm.size()) break;
        const double end = start + MergedRhythm[k];
        double from = start;
        while (o < onsets.size() && onsets[o] <= from + 0.01 - 0.004) ++o;
        while (o < onsets.size() && onsets[o] < end - 0.01 + 0.004) {
            out.push_back(static_cast<float>(onsets[o] - from));
            from = onsets[o];
            ++o;
        }
        out.push_back(static_cast<float>(end - from));
        start = end;
        ++k;
    }
    MergedRhythm.swap(out);
}

// Order pass: interleaves the staff's markers with the merged rhythm by time. False when the
// output would pass kRhythmLimit entries.
bool merge_order(const std::vector<float>& staff) {
    std::vector<float> out;
    float remembered = 0.0f;
    const std::vector<float>& m_list = MergedRhythm;
    const std::size_t ns = staff.size();
    const std::size_t nm = m_list.size();
    std::size_t i = 0;
    std::size_t r = 0;
    double ssum = 0.0;
    double msum = 0.0;
    while (i < ns || r < nm) {
        const float s = i < ns ? staff[i] : 0.0f;
        float m = r < nm ? m_list[r] : s;
        bool advance_i = true;
        bool advance_r = true;
        if (s == kBar && m < 0.0f && m != kBar) {
            std::size_t k = r;
            while (k < nm && m_list[k] < 0.0f && m_list[k] != kBar) ++k;
            if (k < nm && m_list[k] == kBar) {
                for (; r < k; ++r) {
                    remembered = 0.0f;
                    append_merged_entry(out, remembered, m_list[r]);
                }
                append_merged_entry(out, remembered, kBar);
                ++i;
                ++r;
                if (out.size() > kRhythmLimit) return false;
                continue;
            }
        }
        if (m == kKeySignature && r + 1 < nm && m_list[r + 1] == kBar) remembered = kKeySignature;
        if (s == m || s == 0.0f) {
            append_merged_entry(out, remembered, m);
        } else if (m < 0.0f && is_duration(s)) {
            append_merged_entry(out, remembered, m);
            advance_i = false;
        } else if (m < 0.0f && s < 0.0f) {
            if (m < s) {
                if (s == kBar && remembered < 0.0f) {
                    append_merged_entry(out, remembered, m);
                    advance_i = false;
                } else {
                    append_merged_entry(out, remembered, s);
                    advance_r = false;
                }
            } else if (m == kBar && remembered < 0.0f) {
                append_merged_entry(out, remembered, s);
                advance_r = false;
            } else {
                append_merged_entry(out, remembered, m);
                advance_i = false;
            }
        } else if (is_duration(m) && s < 0.0f) {
            append_merged_entry(out, remembered, s);
            advance_r = false;
        } else {
            ssum += s;
            msum += m;
            append_merged_entry(out, remembered, m);
            for (;;) {
                if (msum > ssum + 0.001) {
                    if (i + 1 >= ns) break;
                    const float v = staff[++i];
                    if (v < 0.0f) {
                        if (std::fabs(msum - ssum) < 0.02) {
                            ssum = msum = 0.0;
                            break;
                        }
                        append_merged_entry(out, remembered, v);
                    } else {
                        ssum += v;
                    }
                } else if (ssum > msum + 0.001) {
                    if (r + 1 >= nm) break;
                    const float v = m_list[++r];
                    if (v < 0.0f && std::fabs(msum - ssum) < 0.02) {
                        ssum = msum = 0.0;
                        break;
                    }
                    if (is_duration(v)) msum += v;
                    append_merged_entry(out, remembered, v);
                } else {
                    ssum = msum = 0.0;
                    break;
                }
            }
        }
        if (advance_i && i < ns) ++i;
        if (advance_r && r < nm) ++r;
        if (out.size() > kRhythmLimit) return false;
    }
    collapse_bar_entries(out, MergedRhythm);
    return true;
}

// The room (P3 units) the leading clefs of staves lowest..highest keep before what follows
// them: the widest of their measured rooms, as the column spacing gives them, each at its own
// staff's scale. A clef met later in a line is no leading clef: middle_clef_rooms measures it.
float leading_clef_room(int32_t lowest, int32_t highest) {
    float room = 0.0f;
    for (int32_t st = lowest; st <= highest; ++st) {
        const StaffRhythmList& list = SystemRhythmSlots[static_cast<std::size_t>(st)];
        const auto at = std::find(list.values.begin(), list.values.end(), kLeadingClef);
        if (at == list.values.end()) continue;
        const float position = list.positions[static_cast<std::size_t>(at - list.values.begin())];
        for (int32_t k = std::max(StaffFirstItem[static_cast<std::size_t>(st)], 1);
             k <= core::ItemCount; ++k) {
            const int32_t s = core::ItemStartTable(k);
            if (staff_of(s) > st) break;
            if (code_of(s) != 3 || staff_of(s) != st || std::fabs(param(s, 3) - position) > 0.01f)
                continue;
            const float scale = layout::StaffTables.StaffScale(st) / 25.0f;
            room = std::max(
                room, scale * layout::clef_room(param(s, 4) < 100.0f, core::nint(param(s, 5))));
            break;
        }
    }
    return room;
}

// The record start of the first item of that code on staff st at position (within 0.1); 0 when
// there is none.
int32_t staff_item_at(int32_t st, int32_t code, float position) {
    for (int32_t k = std::max(StaffFirstItem[static_cast<std::size_t>(st)], 1);
         k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (staff_of(s) > st) break;
        if (code_of(s) == code && staff_of(s) == st && std::fabs(param(s, 3) - position) < 0.1f)
            return s;
    }
    return 0;
}

// Where each marker of values stands (a key signature, a meter): its onset (the durations before
// it) and its order among the same markers at that onset; -1 for the other entries.
struct MarkerPlace {
    double onset = 0.0;
    int32_t order = -1;
};
std::vector<MarkerPlace> marker_places(const std::vector<float>& values, float marker) {
    std::vector<MarkerPlace> places(values.size());
    double t = 0.0;
    double previous = -1.0;
    int32_t order = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (is_duration(values[i])) {
            t += values[i];
        } else if (values[i] == marker) {
            order = std::fabs(t - previous) < 0.01 ? order + 1 : 0;
            previous = t;
            places[i] = {t, order};
        }
    }
    return places;
}

// The room (P3 units) each merged marker keeps before what follows it: the widest of the
// staves' rooms at that entry, measure(staff, list, j, item) giving the room of the staff's
// entry j, whose item of that code stands at its position. 0 for the other entries.
template <typename Measure>
std::vector<float> marker_rooms(int32_t lowest, int32_t highest, float marker, int32_t code,
                                Measure measure) {
    const std::size_t n = MergedRhythm.size();
    std::vector<float> rooms(n, 0.0f);
    const std::vector<MarkerPlace> merged = marker_places(MergedRhythm, marker);
    for (int32_t st = lowest; st <= highest; ++st) {
        const StaffRhythmList& list = SystemRhythmSlots[static_cast<std::size_t>(st)];
        const std::vector<MarkerPlace> places = marker_places(list.values, marker);
        for (std::size_t j = 0; j < places.size(); ++j) {
            if (places[j].order < 0) continue;
            const int32_t item = staff_item_at(st, code, list.positions[j]);
            if (item == 0) continue;
            for (std::size_t i = 0; i < n; ++i) {
                if (merged[i].order != places[j].order ||
                    std::fabs(merged[i].onset - places[j].onset) >= 0.01)
                    continue;
                rooms[i] = std::max(rooms[i], measure(st, list, j, item, i));
                break;
            }
        }
    }
    return rooms;
}

float staff_unit(int32_t st) { return layout::StaffTables.StaffScale(st) / 25.0f; }

// Each merged key signature: its accidentals as the column spacing measures them, less what a
// meter right after it reaches back.
std::vector<float> key_signature_rooms(int32_t lowest, int32_t highest) {
    const std::size_t n = MergedRhythm.size();
    return marker_rooms(
        lowest, highest, kKeySignature, 17,
        [n](int32_t st, const StaffRhythmList& list, std::size_t j, int32_t key, std::size_t i) {
            const bool after_clef =
                j > 0 && (list.values[j - 1] == kLeadingClef || list.values[j - 1] == kClef);
            const float room = layout::key_signature_room(param(key, 5), param(key, 7), after_clef);
            const bool meter_next = i + 1 < n && MergedRhythm[i + 1] == kMeter;
            return staff_unit(st) * (room - (meter_next ? layout::kMeterAfterKey : 0.0f));
        });
}

// Each merged meter: its numbers as the column spacing measures them; a meter that ends its
// staff's items (only the added closing bar line follows it) is measured as the staff's last item.
std::vector<float> meter_rooms(int32_t lowest, int32_t highest) {
    return marker_rooms(
        lowest, highest, kMeter, 18,
        [](int32_t st, const StaffRhythmList& list, std::size_t j, int32_t meter, std::size_t) {
            std::array<float, layout::kMeterRoomParams + 1> p{};
            for (int32_t k = 1; k <= layout::kMeterRoomParams; ++k) p[k] = param(meter, k);
            const bool last = list.closed && j + 2 == list.values.size();
            const float scale = staff_unit(st);
            return scale * layout::meter_room(p, scale, last);
        });
}

// Each merged clef change inside a line: its ink and clearance, as a leading clef is measured.
// The clefs that own a merged entry are added to placed: the count sets them where they stand.
std::vector<float> middle_clef_rooms(int32_t lowest, int32_t highest,
                                     std::vector<int32_t>& placed) {
    return marker_rooms(
        lowest, highest, kClef, 3,
        [&placed](int32_t st, const StaffRhythmList&, std::size_t, int32_t clef, std::size_t) {
            placed.push_back(clef);
            return staff_unit(st) *
                   layout::clef_room(param(clef, 4) < 100.0f, core::nint(param(clef, 5)));
        });
}

// The message of a system too full for its line (staves lowest..highest between first and last).
void show_crowded_line(int32_t lowest, int32_t highest, float first, float last) {
    const auto place = [](float x) {
        std::string text = core::format_real("(1f7.2)", x);
        text.erase(0, text.find_first_not_of(' '));
        return text;
    };
    const std::string staves =
        lowest == highest ? "Staff " + std::to_string(lowest)
                          : "Staves " + std::to_string(lowest) + " to " + std::to_string(highest);
    core::report_failure("*** " + staves + " cannot fit between " + place(first) + " and " +
                         place(last) +
                         ", even with the notes at the least room: the clefs, bar lines, keys and "
                         "meters were narrowed.");
}

// Widths of the merged entries: durations d^log2(1.5) stretched to fill first..last, markers
// fixed widths in staff units, a leading clef's at least clef_room and a key's, meter's or
// clef change's at least its marker_rooms entry (P3 units; none when marker_rooms is empty) where
// the line has room for them beside kLeastColumnRoom for each duration. Writes MergedPositions.
// True when the line cannot hold its durations at that least room beside its fixed widths and
// measured rooms: the rooms were cut, or, when even the fixed widths fill the line, every width
// was narrowed by one proportion.
bool compute_rhythm_positions(int32_t lowest, float first, float last, float clef_room,
                              const std::vector<float>& marker_rooms) {
    const std::size_t n = MergedRhythm.size();
    const float u =
        layout::StaffTables.StaffScale(std::clamp(lowest, 0, layout::kMaxStaves)) / 25.0f;
    std::vector<float> widths(n, 0.0f);
    // What the measured rooms add to the fixed widths, in staff units, never more than the line
    // (a key stored with a huge spacing factor).
    std::vector<float> extras(n, 0.0f);
    const float span = u > 0.0f ? std::max(0.0f, (last - first) / u) : 0.0f;
    const auto extra = [span](float room, float w) {
        return room - w > 0.0f ? std::min(room - w, span) : 0.0f;
    };
    double rhythm_sum = 0.0;
    double fixed_sum = 0.0;
    double extra_sum = 0.0;
    double shortest = HUGE_VAL;  // the narrowest duration's width
    for (std::size_t i = 0; i < n; ++i) {
        const float v = MergedRhythm[i];
        const float next = i + 1 < n ? MergedRhythm[i + 1] : 0.0f;
        float w = 0.0f;
        if (is_duration(v)) {
            w = static_cast<float>(std::pow(static_cast<double>(v), 0.5849625));
            rhythm_sum += w;
            shortest = std::min(shortest, static_cast<double>(w));
        } else {
            if (i + 1 == n) {
                w = 0.0f;
            } else if (v == kBar || v == -140.0f) {
                w = (next == kKeySignature || next == kLeadingClef) ? 1.5f
                    : next == kMeter                                ? 1.0f
                                                                    : 3.5f;
            } else if (v == kLeadingClef) {
                w = next == kMeter ? 6.0f : (next < -16.0f ? 8.0f : 10.0f);
                if (u > 0.0f) extras[i] = extra(clef_room / u, w);
            } else if (v == kMeter && next == kBar) {
                w = 4.6f;
            } else {
                w = 3.5f;
            }
            if ((v == kKeySignature || v == kMeter || v == kClef) && i + 1 < n && u > 0.0f &&
                i < marker_rooms.size())
                extras[i] = extra(marker_rooms[i] / u, w);
            fixed_sum += w;
            extra_sum += extras[i];
        }
        widths[i] = w;
    }
    // The measured rooms are given whole while every duration keeps at least the least room of
    // a column, as the column spacing crowds the notes before a key or meter; a line too short
    // for that cuts the rooms, but never below half of what the fixed widths leave the
    // durations, so that a line of many wide keys keeps its notes in order and on the page.
    bool crowded = false;
    if (extra_sum > 0.0) {
        const double spare = static_cast<double>(last) - first - u * fixed_sum;
        const double least = rhythm_sum > 0.0 ? kLeastColumnRoom * rhythm_sum / shortest : 0.0;
        const double share =
            std::clamp(std::max(spare / 2.0, spare - least) / (u * extra_sum), 0.0, 1.0);
        crowded = share < 1.0;
        for (std::size_t i = 0; i < n; ++i) widths[i] += static_cast<float>(share * extras[i]);
        fixed_sum += share * extra_sum;
    }
    double r =
        rhythm_sum > 0.0 ? (static_cast<double>(last) - first - u * fixed_sum) / rhythm_sum : 0.0;
    // Durations never step backwards: each keeps the least room, and a line that then runs past
    // its end has every width narrowed by one proportion.
    double fixed_scale = u;
    if (rhythm_sum > 0.0 && r * shortest < kLeastColumnRoom) {
        crowded = true;
        r = kLeastColumnRoom / shortest;
        const double need = r * rhythm_sum + u * fixed_sum;
        const double room = static_cast<double>(last) - first;
        if (need > room && need > 0.0) {
            const double q = std::max(room, 0.0) / need;
            r *= q;
            fixed_scale *= q;
        }
    }
    MergedPositions.assign(n, first);
    double x = first;
    for (std::size_t i = 0; i < n; ++i) {
        MergedPositions[i] = static_cast<float>(x);
        x += is_duration(MergedRhythm[i]) ? widths[i] * r : widths[i] * fixed_scale;
    }
    return crowded;
}

// The first merged entry a staff's list starts at: a duration or the staff's first value; -1
// when there is none (the staff is left as it is).
int32_t find_reference_slot(const StaffRhythmList& list) {
    for (std::size_t k = 0; k < MergedRhythm.size(); ++k) {
        if (is_duration(MergedRhythm[k]) || MergedRhythm[k] == list.values.front())
            return static_cast<int32_t>(k);
    }
    return -1;
}

// Pairs each entry of the staff's list (its old position) with a new position from the merged
// rhythm, matching durations by onset and markers by value at the same onset; a merged marker
// the staff lacks adds the midpoint of the neighbouring old positions. False when the merged
// rhythm runs out of durations.
bool next_reference_entry(const StaffRhythmList& list, std::vector<PositionPair>& pairs) {
    pairs.clear();
    const int32_t ref = find_reference_slot(list);
    if (ref < 0) return true;
    const std::vector<float>& m = MergedRhythm;
    const std::vector<float>& x = MergedPositions;
    const std::size_t nm = m.size();
    std::size_t k = static_cast<std::size_t>(ref);
    double t_staff = 0.0;
    double t_merged = 0.0;
    float previous_new = x[k];
    for (std::size_t j = 0; j < list.values.size(); ++j) {
        const float v = list.values[j];
        const float old = list.positions[j];
        while (k < nm) {
            if (m[k] < 0.0f && t_merged < t_staff - 0.005) {
                ++k;
            } else if (is_duration(m[k]) && t_merged + m[k] <= t_staff + 0.005) {
                t_merged += m[k];
                ++k;
            } else {
                break;
            }
        }
        const bool gap = j > 0 && old > list.positions[j - 1];
        float new_position = 0.0f;
        if (v < 0.0f) {
            std::size_t kk = k;
            while (kk < nm && m[kk] < 0.0f && m[kk] != v) ++kk;
            if (kk < nm && m[kk] == v) {
                if (kk > k && gap) pairs.push_back({(list.positions[j - 1] + old) / 2.0f, x[k]});
                new_position = x[kk];
                k = kk + 1;
            } else {
                new_position = (previous_new + x[std::min(k, nm - 1)]) / 2.0f;
            }
        } else {
            const std::size_t lacked = k;
            while (k < nm && m[k] < 0.0f) ++k;
            if (k >= nm) return false;
            if (k > lacked && gap)
                pairs.push_back({(list.positions[j - 1] + old) / 2.0f, x[lacked]});
            if (std::fabs(t_merged - t_staff) <= 0.005 || k + 1 >= nm) {
                new_position = x[k];
            } else {
                // An onset inside a merged duration: in proportion to the time into it.
                new_position =
                    x[k] + (x[k + 1] - x[k]) * static_cast<float>((t_staff - t_merged) / m[k]);
            }
            t_staff += v;
        }
        pairs.push_back({old, new_position});
        previous_new = new_position;
    }
    return true;
}

// Maps the P3 words of staff's items inside each old box onto the new one, parking them 1000
// to the right while the staff is done, then brings them back.
void place_staff_rhythms(int32_t staff, const std::vector<PositionPair>& pairs) {
    if (pairs.empty()) return;
    const int32_t first_item = std::max(StaffFirstItem[staff], 1);
    for (std::size_t q = 0; q + 1 < pairs.size(); ++q) {
        const PositionPair& a = pairs[q];
        const PositionPair& b = pairs[q + 1];
        if (!(b.old_position > a.old_position)) continue;
        SelectionBox.low_staff = SelectionBox.high_staff = staff;
        SelectionBox.left = a.old_position;
        SelectionBox.right = b.old_position;
        SelectionBox.first_item = first_item;
        SelectionBox.last_item = -core::ItemCount;
        SelectionBox.letter = 1;
        select_box_items();
        const float factor = (b.new_position - a.new_position) / (b.old_position - a.old_position);
        scale_selection(-1, a.old_position, a.new_position + kParkOffset, factor);
    }
    SelectionBox.low_staff = SelectionBox.high_staff = staff;
    SelectionBox.left = MergedPositions.front() + 800.0f;
    SelectionBox.right = MergedPositions.back() + kParkOffset + 1.0f;
    SelectionBox.first_item = first_item;
    SelectionBox.last_item = -core::ItemCount;
    SelectionBox.letter = 1;
    select_box_items();
    scale_selection(0, 0.0f, 0.0f, -kParkOffset);
    // A word parked at an event's new place comes back a rounding step off it (it was scaled
    // among values of 1000 and more): it is set on that place exactly, so that the bar lines of
    // the staves of one system stay equal.
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        float& word = ItemStore(std::abs(SelectionList.entries(j)));
        for (const PositionPair& pair : pairs) {
            if (std::fabs(word - pair.new_position) < 0.001f) {
                word = pair.new_position;
                break;
            }
        }
    }
}

// New value of word x of staff s, by the sorted events around it (a <= x <= b, b - a >= 0.01)
// and the present positions of their items.
float remap_item_position(float x, int32_t staff) {
    const int32_t begin = StaffEventStart[staff];
    const int32_t end = StaffEventStart[staff + 1];
    if (end - begin < 2) return x;
    auto it = std::upper_bound(SystemEventTable.begin() + begin, SystemEventTable.begin() + end, x,
                               [](float value, const Event& e) { return value < e.position; });
    int32_t q = static_cast<int32_t>(it - SystemEventTable.begin()) - 1;
    if (q >= end - 1) q = end - 2;
    while (q >= begin && SystemEventTable[q + 1].position - SystemEventTable[q].position < 0.01f)
        --q;
    if (q < begin) return x;
    const Event& ea = SystemEventTable[q];
    const Event& eb = SystemEventTable[q + 1];
    if (!(ea.position <= x && x <= eb.position)) return x;
    float t = (x - ea.position) / (eb.position - ea.position);
    if (std::fabs(x - ea.position) < 0.01f) t = 0.0f;
    if (std::fabs(t - 1.0f) < 0.01f) t = 1.0f;
    const float e = page_extent();
    const float a_new = ea.word > 0 ? ItemStore(ea.word) : e;
    const float b_new = eb.word > 0 ? ItemStore(eb.word) : e;
    return a_new + t * (b_new - a_new);
}

// Carries lines, slurs, beams, trills and the other attached items (codes 4 to 16 but staves
// and bar lines) of staves lowest..highest along with the events they lie between.
void remap_attached_items(int32_t lowest, int32_t highest) {
    for (int32_t i = std::max(StaffFirstItem[lowest], 1); i <= core::ItemCount; ++i) {
        const int32_t s = ItemStartTable(i);
        const int32_t n = count_of(s);
        if (n < 3) continue;
        const int32_t staff = staff_of(s);
        if (staff > highest) break;
        const int32_t code = code_of(s);
        if (staff < lowest || code < 4 || code > 16 || code == 8 || code == 14) continue;
        auto map = [&](int32_t j) {
            ItemStore(s + j) = remap_item_position(ItemStore(s + j), staff);
        };
        map(3);
        if (code <= 7 && n >= 6) map(6);
        if (code == 6 && n >= 11) {
            if (ItemStore(s + 11) > 0.0f) map(11);
            if (n >= 12 && ItemStore(s + 12) > 0.0f) map(12);
            if (n >= 13 && ItemStore(s + 13) != 0.0f) {
                if (n >= 14 && ItemStore(s + 14) > 0.0f) map(14);
                if (n >= 15 && ItemStore(s + 15) > 0.0f) map(15);
            }
        }
    }
}

// Places the clefs in the middle of a line anew: before the next note or rest (or bar line)
// when there is room, else halfway between it and what stands before the clef. The clefs of
// placed (record starts) were given their own room by the count and stay.
void place_middle_clefs(int32_t lowest, int32_t highest, const std::vector<int32_t>& placed) {
    const float e = page_extent();
    const int32_t from = std::max(StaffFirstItem[lowest], 1);
    float limit = 0.0f;
    bool have_limit = false;
    int32_t stop = core::ItemCount;
    for (int32_t i = from; i <= core::ItemCount; ++i) {
        const int32_t s = ItemStartTable(i);
        if (count_of(s) < 3) continue;
        if (staff_of(s) > highest) {
            stop = i - 1;
            break;
        }
        const int32_t code = code_of(s);
        if (have_limit || staff_of(s) < lowest || code < 1 || code > 3) continue;
        limit = code == 3 ? ItemStore(s + 3) + 2.0f : ItemStore(s + 3) - 2.0f;
        have_limit = true;
    }
    if (!have_limit) return;
    for (int32_t i = from; i <= stop; ++i) {
        const int32_t s = ItemStartTable(i);
        if (count_of(s) < 3 || code_of(s) != 3) continue;
        if (std::find(placed.begin(), placed.end(), s) != placed.end()) continue;
        const int32_t staff = staff_of(s);
        const float clef = ItemStore(s + 3);
        if (staff < lowest || clef > e + 0.05f || clef < limit) continue;
        float target = 0.0f;
        bool found = false;
        for (int32_t k = i + 1; k <= stop; ++k) {
            const int32_t t = ItemStartTable(k);
            if (count_of(t) < 3) continue;
            if (staff_of(t) != staff) break;
            const int32_t code = code_of(t);
            const float x = ItemStore(t + 3);
            if (code == 1 || code == 2 || (code == 14 && x >= clef && x >= limit)) {
                target = x;
                found = true;
                break;
            }
        }
        if (!found) continue;
        const float scale =
            layout::StaffTables.StaffScale(std::clamp(staff, 0, layout::kMaxStaves));
        const float room = scale * 0.3f + 1.0f;
        float placed = target - scale * 0.3f;
        for (int32_t k = i - 1; k >= from; --k) {
            const int32_t t = ItemStartTable(k);
            if (count_of(t) < 3) continue;
            if (staff_of(t) != staff) break;
            const int32_t code = code_of(t);
            const float x = ItemStore(t + 3);
            if (x < target - room) break;
            if (code == 1 || code == 2 || code >= 17) {
                placed = (x + target) / 2.0f;
                break;
            }
        }
        ItemStore(s + 3) = placed;
    }
}

// Staff items of the range on the page: P6 beyond the page's end is cut back to it.
void clip_staff_lines(int32_t lowest, int32_t highest) {
    const float e = page_extent();
    for (int32_t i = std::max(StaffFirstItem[lowest], 1); i <= core::ItemCount; ++i) {
        const int32_t s = ItemStartTable(i);
        if (count_of(s) < 3) continue;
        const int32_t staff = staff_of(s);
        if (staff > highest) break;
        if (staff < lowest || code_of(s) != 8 || count_of(s) < 6) continue;
        if (ItemStore(s + 3) <= e + 0.05f && ItemStore(s + 6) > e) ItemStore(s + 6) = e;
    }
}

// Negates (or restores) the staff numbers of the staff items of the range, so that no box
// takes them.
void hide_staff_items(int32_t lowest, int32_t highest, bool hide) {
    for (int32_t i = std::max(StaffFirstItem[lowest], 1); i <= core::ItemCount; ++i) {
        const int32_t s = ItemStartTable(i);
        if (count_of(s) < 3) continue;
        const int32_t staff = std::abs(staff_of(s));
        if (staff > highest) break;
        if (code_of(s) == 8 && staff >= lowest)
            ItemStore(s + 2) = hide ? -static_cast<float>(staff) : staff;
    }
}

// The right edge of a system: where the first STAFF item of its lowest staff that has one ends
// (its P6, 0 or missing meaning the page's end, cut to the page), the page's end without one.
// Every justified system closes there, so that the systems of a page end at one right edge.
float system_right_edge(int32_t lowest, int32_t highest) {
    const float e = page_extent();
    for (int32_t i = first_item_from_staff(lowest, false); i <= core::ItemCount; ++i) {
        const int32_t s = ItemStartTable(i);
        if (count_of(s) < 2) continue;
        if (staff_of(s) > highest) break;
        if (staff_of(s) < lowest || code_of(s) != 8) continue;
        if (count_of(s) < 6 || ItemStore(s + 6) == 0.0f) return e;
        return std::min(ItemStore(s + 6), e);
    }
    return e;
}

void show_beats(int32_t staff, float total, bool exit_hint) {
    core::FixedText<512> text;
    text.set("Staff     has        beats");
    core::write_int_field(text, 7, 9, "(1i3)", staff);
    core::write_real_field(text, 15, 20, "(1f6.3)", total);
    int32_t end = 26;
    if (exit_hint) {
        text.put(27, 45, "\r\n\r\nType X to exit.");
        end = 45;
    }
    text(end + 1) = '\0';
    core::show_prompt(core::ReplyKind::Notice, text.view());
}

void show_wrong_beats(int32_t first_staff, float reference, int32_t staff, float total) {
    core::FixedText<512> text;
    text.set(
        "*** ERROR: Wrong number of beats *** ||Staff     has        beats ||Staff     has "
        "       beats");
    core::write_int_field(text, 46, 48, "(1i3)", first_staff);
    core::write_real_field(text, 54, 59, "(1f6.3)", reference);
    core::write_int_field(text, 75, 77, "(1i3)", staff);
    core::write_real_field(text, 83, 88, "(1f6.3)", total);
    core::report_failure(text.view());
}

// Where a staff's list ends with a marker, the closing bar line stands at the first staff item
// of the lowest staff's P6 (cut to the page), or at the last position.
float closing_bar_position(int32_t lowest, float last_position) {
    const float e = page_extent();
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        const int32_t s = ItemStartTable(i);
        if (count_of(s) < 2) continue;
        if (staff_of(s) > lowest) break;
        if (staff_of(s) != lowest || code_of(s) != 8) continue;
        if (count_of(s) < 6) return last_position;
        float p6 = ItemStore(s + 6);
        if (p6 == 0.0f) p6 = e;
        if (count_of(s) >= 3 && ItemStore(s + 3) <= e + 0.05f && p6 > e) p6 = e;
        return p6;
    }
    return e;
}

// Reads one staff's rhythm into list (normalised); false when it holds more than kRhythmLimit
// entries. A staff that ends on a note or rest closes at last, the system's right end so far
// (the page's end for the first staff, or the system's right edge), so that its last note keeps
// its own room; one that ends on another marker closes at closing_bar_position, or at the edge.
// A clef inside the line is kept as an entry of its own with keep_clefs, else dropped.
bool read_staff_rhythm(int32_t staff, int32_t& item, int32_t lowest, float last, bool at_edge,
                       bool keep_clefs, StaffRhythmList& list) {
    layout::RhythmColumnList positions;
    layout::RhythmColumnList values;
    int32_t count = -1;
    float total = 0.0f;
    layout::walk_staff_rhythm(item, static_cast<float>(staff), count, positions, values, total);
    list.values.clear();
    list.positions.clear();
    list.total = total;
    list.closed = false;
    if (total == 0.0f) return true;
    std::vector<float> v;
    std::vector<float> p;
    for (int32_t i = 1; i <= count; ++i) {
        v.push_back(values(i) == -140.0f ? kBar : values(i));
        p.push_back(positions(i));
    }
    if (v.back() != kBar) {
        const float at =
            is_duration(v.back()) || at_edge ? last : closing_bar_position(lowest, last);
        v.push_back(kBar);
        list.closed = true;
        p.push_back(at);
    }
    if (static_cast<int32_t>(v.size()) > kRhythmLimit) return false;
    bool only_bars = true;
    for (std::size_t i = 0; i < v.size(); ++i) {
        float value = v[i];
        if (is_duration(value)) {
            value *= 4.0f;
        } else if (value == kClef) {
            if (only_bars)
                value = kLeadingClef;
            else if (!keep_clefs)
                continue;
        }
        if (v[i] != kBar) only_bars = false;
        list.values.push_back(value);
        list.positions.push_back(p[i]);
    }
    return true;
}

void refuse_too_large(int32_t& lowest) {
    core::report_failure(kTooLargeMessage);
    lowest = -1;
}

}  // namespace

// Contract: reads the store (items of staves lowest..highest), StaffTables, PageExtent and
// PendingBoxStep; shows each staff's count in the prompt line. Every staff is read and matched
// before anything moves: totals that disagree with the first counted staff's (message box),
// more than 5,000 events or 150 rhythm entries (message), or a staff that cannot be matched
// leave the store untouched but for the staff lines, whose P6 is cut back to the page first,
// and lowest = -1. Otherwise rewrites the positions of the staves' notes, rests, clefs, bar
// lines, keys and meters, carries the attached items along and, when a grace note was met,
// spaces the grace notes.
void count_staff_beats(int32_t& lowest, int32_t& highest, float& first, float& last,
                       bool closing_edge, bool measured_rooms) {
    const float e = page_extent();
    if (lowest < 1) lowest = 1;
    if (highest > layout::kMaxStaves) highest = layout::kMaxStaves;
    if (highest < lowest) {
        lowest = -1;
        return;
    }
    const int32_t range_low = lowest;
    const int32_t range_high = highest;
    if (!collect_events(range_low, range_high)) {
        refuse_too_large(lowest);
        return;
    }
    SystemRhythmSlots.assign(static_cast<std::size_t>(range_high + 2), {});
    StaffFirstItem.assign(static_cast<std::size_t>(range_high + 2), 1);
    // Staff lines are cut back to the page before the count, and stay cut when it fails.
    clip_staff_lines(range_low, range_high);
    layout::GraceSpacingDone = 1;
    first = 9999.0f;
    // With closing_edge the system's closing bar line goes to its right edge, wherever it
    // stood before.
    last = closing_edge ? system_right_edge(range_low, range_high) : e;
    MergedRhythm.clear();

    bool counted = false;
    float reference = 0.0f;
    // The walks and boxes start at the range's first item: every item before it lies on a
    // lower staff and would only be passed over.
    int32_t item = first_item_from_staff(range_low, false);
    while (item <= core::ItemCount) {
        const int32_t start = core::ItemStartTable(item);
        const int32_t staff =
            core::ItemStore(start) >= 2.0f ? core::int_of(core::ItemStore(start + 2)) : 0;
        if (staff >= range_low) break;
        ++item;
    }
    for (int32_t s = range_low; s <= range_high; ++s) {
        StaffFirstItem[s] = item;
        StaffRhythmList& list = SystemRhythmSlots[s];
        if (!read_staff_rhythm(s, item, lowest, last, closing_edge, measured_rooms, list)) {
            refuse_too_large(lowest);
            return;
        }
        const bool count_loop = PendingBoxStep == 99;
        show_beats(s, list.total, count_loop);
        if (count_loop) return;
        if (list.total == 0.0f) {
            list.values.clear();
            if (!counted && s == lowest) {
                lowest = s + 1;
                if (lowest > range_high) {
                    lowest = -1;
                    return;
                }
            }
            continue;
        }
        if (!counted) {
            counted = true;
            reference = list.total;
            collapse_bar_entries(list.values, MergedRhythm);
            first = list.positions.front();
            if (!closing_edge) last = list.positions.back();
            continue;
        }
        first = std::min(first, list.positions.front());
        if (!closing_edge && list.values.back() == kBar) {
            last = std::max(last, list.positions.back());
        }
        if (std::fabs(list.total - reference) > kRhythmTotalTolerance) {
            // The staff below is named, with the reference total this staff was compared with.
            show_wrong_beats(s - 1, reference, s, list.total);
            lowest = -1;
            return;
        }
        if (!merge_order(list.values)) {
            refuse_too_large(lowest);
            return;
        }
        merge_staff_rhythm(list.values);
        if (static_cast<int32_t>(MergedRhythm.size()) > kRhythmLimit) {
            refuse_too_large(lowest);
            return;
        }
    }
    if (!counted) {
        lowest = -1;
        return;
    }
    std::vector<int32_t> placed_clefs;
    if (measured_rooms) {
        // Keys, meters and clef changes are different entries: each keeps its own room.
        std::vector<float> rooms = key_signature_rooms(lowest, range_high);
        const std::vector<float> meters = meter_rooms(lowest, range_high);
        const std::vector<float> clefs = middle_clef_rooms(lowest, range_high, placed_clefs);
        for (std::size_t i = 0; i < rooms.size(); ++i)
            rooms[i] = std::max({rooms[i], meters[i], clefs[i]});
        if (compute_rhythm_positions(lowest, first, last, leading_clef_room(lowest, range_high),
                                     rooms)) {
            show_crowded_line(lowest, range_high, first, last);
        }
    } else {
        compute_rhythm_positions(lowest, first, last, 0.0f, {});
    }

    // Match every staff before anything moves.
    StaffPairs.assign(static_cast<std::size_t>(range_high + 2), {});
    for (int32_t s = lowest; s <= range_high; ++s) {
        const StaffRhythmList& list = SystemRhythmSlots[s];
        if (list.values.empty()) continue;
        if (!next_reference_entry(list, StaffPairs[s])) {
            lowest = -1;
            return;
        }
    }
    hide_staff_items(range_low, range_high, true);
    for (int32_t s = lowest; s <= range_high; ++s) place_staff_rhythms(s, StaffPairs[s]);
    hide_staff_items(range_low, range_high, false);
    remap_attached_items(range_low, range_high);
    place_middle_clefs(range_low, range_high, placed_clefs);
    if (layout::GraceSpacingDone == 0) {
        int32_t low = lowest;
        int32_t high = range_high;
        layout::space_grace_notes(low, high);
        layout::GraceSpacingDone = 1;
    }
}

}  // namespace edit
