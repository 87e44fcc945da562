#include "output/midi_rows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <compare>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/clef_steps.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "output/midi_tables.h"

namespace output {

float RowStartTime = 0.3f;
float RowEndTime = 0.0f;

namespace {

// A place in the row: the system (the ordinal of the row's slot) and twice the item's P3,
// rounded. Compared as a pair, so that no position, however wide the paper or however far
// left, reaches into a neighbouring system.
struct PosKey {
    int32_t system = 0;
    int32_t pos = 0;
    auto operator<=>(const PosKey&) const = default;
};

enum EntryKind : int32_t {
    kDropped = 0,
    kNote = 1,
    kRest = 2,
    kTie = 5,
    kLine = 7,
    kBar = 14,
    kKeySignature = 17,
    kMerged = 99,
};

// Durations at or above this mark grace notes: they take no time of their own.
constexpr float kGraceDuration = 64.0f;
// A grace note sounds this long just before its main note; also the legato overlap.
constexpr float kGraceLead = 0.05f;

struct Entry {
    int32_t kind = kDropped;
    int32_t step = 0;
    // Notes: the accidental code; ties: the end step; lines: the line's kind v; key
    // signatures: flats (negative) or sharps.
    int32_t accidental = 0;
    float duration = 0.0f;
    PosKey key;
    PosKey end;  // ties and lines: the right end
    bool staccato = false;
    int32_t staff = 0;
    int32_t column = 0;  // notes and rests: index into g_columns
    int32_t midi_key = 0;
};

struct Column {
    PosKey key;
    float onset = 0.0f;
    int32_t first = 0;  // entry indices of the column's notes and rests, in g_entries
    int32_t last = 0;
};

std::vector<PosKey> g_bars;     // sorted, distinct
std::vector<Entry> g_entries;   // the row's PlaybackEntryList
std::vector<Column> g_columns;  // the row's ColumnTimeMap
// Entry indices of the notes and rests, in list order (the columns index into it).
std::vector<int32_t> g_sounding;

float item_param(int32_t k, int32_t j) {
    const int32_t s = core::ItemStartTable(k);
    return j <= static_cast<int32_t>(core::ItemStore(s)) ? core::ItemStore(s + j) : 0.0f;
}
int32_t item_count_of(int32_t k) {
    return static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k)));
}
int32_t item_code(int32_t k) { return core::int_of(item_param(k, 1)); }
int32_t item_staff(int32_t k) { return core::int_of(item_param(k, 2)); }

int32_t slot_staff(int32_t row, int32_t slot) { return ChannelStaffTable(16 * (row - 1) + slot); }

bool row_in_range(int32_t row) { return row >= 1 && row <= kMidiRows; }

// Whether row is the first that takes part in the command (slot 1 set, no lower row set).
bool first_row_of_command(int32_t row) {
    for (int32_t r = 1; r < row; ++r)
        if (slot_staff(r, 1) != 0) return false;
    return slot_staff(row, 1) != 0;
}

// The row's staves with their system ordinals: the nonzero slots in slot order.
std::vector<std::pair<int32_t, int32_t>> row_systems(int32_t row) {
    std::vector<std::pair<int32_t, int32_t>> systems;
    for (int32_t slot = 1; slot <= kMidiSlots; ++slot) {
        const int32_t staff = slot_staff(row, slot);
        if (staff != 0) systems.emplace_back(static_cast<int32_t>(systems.size()) + 1, staff);
    }
    return systems;
}

PosKey key_of(int32_t system, float p3) { return {system, core::nint(2.0 * p3)}; }

// Stops the command: the message names the limit; nothing is to be written.
void report_limit(const char* text) {
    if (MidiLimitReached == 0) core::show_message(core::ReplyKind::Failure, text);
    MidiLimitReached = 1;
    MidiStatusWord = -999;
}

bool is_grace(const Entry& e) { return e.duration >= kGraceDuration; }

// Floor division and modulo, so that steps below the lowest octave keep their letter.
int32_t floor_div(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int32_t floor_mod(int32_t a, int32_t b) { return a - b * floor_div(a, b); }

bool is_marker(const Entry& e) { return e.kind == kNote || e.kind == kMerged || e.kind == kBar; }

int64_t key_distance(PosKey a, PosKey b) {
    if (a.system == b.system) return std::abs(static_cast<int64_t>(a.pos) - b.pos);
    // Another system is farther than any place in the same one.
    return (int64_t{1} << 40) + std::abs(static_cast<int64_t>(a.system) - b.system);
}

// The key of a note or bar marker nearest target among those below bound (below) or above it
// (!below); of equal distances the first in the list. False when there is none.
bool find_nearest_marker_key(PosKey target, PosKey bound, bool below, PosKey& found) {
    bool any = false;
    int64_t best = 0;
    for (const Entry& e : g_entries) {
        if (!is_marker(e)) continue;
        if (below ? !(e.key < bound) : !(e.key > bound)) continue;
        const int64_t d = key_distance(e.key, target);
        if (!any || d < best) {
            any = true;
            best = d;
            found = e.key;
        }
    }
    return any;
}

// The last note or bar key at or before target; target itself when there is none.
PosKey marker_at_or_before(PosKey target) {
    PosKey found = target;
    bool any = false;
    for (const Entry& e : g_entries) {
        if (!is_marker(e) || e.key > target) continue;
        if (!any || e.key > found) found = e.key;
        any = true;
    }
    return found;
}

void report_missing_rhythm(int32_t k, int32_t staff, float p3) {
    std::string text = "Missing rhythm (P7): Item=" + core::format_int("(1i4)", k) +
                       ",  Staff=" + core::format_int("(1i3)", staff) +
                       ",  Pos.=" + core::format_real("(1f6.1)", p3);
    text += "\n\rRhythm changed to whole note.";
    core::show_message(core::ReplyKind::Notice, text);
}

// Appends e to the entry list; false (and the limit told) when the list is full.
bool add_entry(const Entry& e) {
    if (static_cast<int32_t>(g_entries.size()) >= kRowEntryLimit) {
        report_limit("Too many items in one channel row: 10,000 at most. No MIDI file written.");
        return false;
    }
    g_entries.push_back(e);
    return true;
}

}  // namespace

int32_t clef_step_offset(float kind) { return 20 + core::clef_item_step_offset(kind); }

int32_t clef_offset_from_neighbour_staff(int32_t staff, float position, int32_t current) {
    const int32_t k = core::clef_item_at(staff, position);
    if (k == 0) return current;
    return item_count_of(k) >= 5 ? clef_step_offset(item_param(k, 5)) : 20;
}

// Bar lines (code 14) on the slot's staff or reaching down to it (span P4, at least 1), for every
// system of the row; sorted, equal keys once. More than 500 distinct keys stop the row.
void collect_bar_positions(int32_t row) {
    g_bars.clear();
    if (!row_in_range(row)) return;
    if (first_row_of_command(row)) {
        MidiLimitReached = 0;
        NoteTimeline.count = 0;
    }
    NoteTimeline.first[row] = NoteTimeline.count + 1;
    NoteTimeline.last[row] = NoteTimeline.count;
    if (MidiLimitReached != 0) return;
    for (const auto& [system, staff] : row_systems(row)) {
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (item_code(k) != 14) continue;
            const int32_t s = item_staff(k);
            if (s > staff) continue;
            int32_t span = item_count_of(k) >= 4 ? core::int_of(item_param(k, 4)) : 1;
            if (span < 1) span = 1;
            if (staff - s < span) g_bars.push_back(key_of(system, item_param(k, 3)));
        }
    }
    std::sort(g_bars.begin(), g_bars.end());
    g_bars.erase(std::unique(g_bars.begin(), g_bars.end()), g_bars.end());
    if (static_cast<int32_t>(g_bars.size()) > kRowBarLimit) {
        g_bars.clear();
        report_limit("Too many bars in one channel row: 500 at most. No MIDI file written.");
    }
}

// Walks the items of each slot's staff and adds an entry per note, rest, tie (P8 below 1), line
// of a sounding kind and key signature, a bar marker before the first item at or past each bar,
// and a final bar marker after the last system. Clefs set the step offset (20 at the row's
// start). A note or rest without P7 is told and lasts a whole note; P7 below 0 does not sound.
void collect_channel_entries(int32_t row) {
    g_entries.clear();
    if (!row_in_range(row) || MidiLimitReached != 0) return;
    int32_t clef_offset = 20;
    std::size_t next_bar = 0;
    const auto systems = row_systems(row);
    for (const auto& [system, staff] : systems) {
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (item_staff(k) != staff) continue;
            const int32_t n = item_count_of(k);
            const int32_t code = item_code(k);
            const float p3 = item_param(k, 3);
            const PosKey key = key_of(system, p3);

            // Every bar at or before the item is used up; one marker stands for them.
            const PosKey item_place{system, core::int_of(2.0 * p3)};
            bool bar_passed = false;
            PosKey bar_key;
            while (next_bar < g_bars.size() && g_bars[next_bar] <= item_place) {
                bar_passed = true;
                bar_key = g_bars[next_bar++];
            }
            if (bar_passed && !g_entries.empty() && g_entries.back().kind != kBar) {
                Entry bar;
                bar.kind = kBar;
                bar.key = bar_key;
                bar.staff = staff;
                if (!add_entry(bar)) return;
            }

            Entry e;
            e.key = key;
            e.staff = staff;
            switch (code) {
                case 3:
                    clef_offset = n >= 5 ? clef_step_offset(item_param(k, 5)) : 20;
                    continue;
                case 1:
                case 2: {
                    const float p7 = item_param(k, 7);
                    if (n >= 7 && p7 < 0.0f) continue;
                    if (n >= 7 && p7 > 0.0f) {
                        e.duration = p7;
                    } else {
                        report_missing_rhythm(k, staff, p3);
                        e.duration = 4.0f;
                    }
                    if (code == 2) {
                        e.kind = kRest;
                        break;
                    }
                    e.kind = kNote;
                    int32_t offset = clef_offset;
                    if (n >= 12 && item_param(k, 12) != 0.0f) {
                        const int32_t neighbour = item_param(k, 12) == 1.0f ? staff + 1 : staff - 1;
                        offset = clef_offset_from_neighbour_staff(neighbour, p3, clef_offset);
                    }
                    e.step =
                        core::int_of(offset + core::compute_real_mod(item_param(k, 4), 100.0f));
                    if (n >= 5)
                        e.accidental =
                            core::int_of(core::compute_real_mod(item_param(k, 5), 10.0f));
                    if (n >= 11 && p7 < kGraceDuration) {
                        const int32_t mark = std::abs(core::int_of(item_param(k, 11)));
                        e.staccato = mark == 8 || mark == 9 || mark == 19;
                    }
                    break;
                }
                case 5:
                    if (n >= 8 && item_param(k, 8) >= 1.0f) continue;
                    e.kind = kTie;
                    e.step =
                        core::nint(clef_offset + core::compute_real_mod(item_param(k, 4), 100.0f));
                    e.accidental = core::nint(clef_offset + item_param(k, 5));
                    e.end = n >= 6 ? key_of(system, item_param(k, 6)) : key;
                    break;
                case 7: {
                    if (n < 7) continue;
                    int32_t v = core::int_of(item_param(k, 7));
                    if (v == 155) v = 15;
                    if (v % 8 != 0 && v != 15) continue;
                    e.kind = kLine;
                    e.accidental = v;
                    e.end = n >= 6 ? key_of(system, item_param(k, 6)) : key;
                    break;
                }
                case 17:
                    e.kind = kKeySignature;
                    e.accidental = n >= 5 ? core::int_of(item_param(k, 5)) : 0;
                    break;
                default:
                    continue;
            }
            if (!add_entry(e)) return;
        }
    }
    Entry final_bar;
    final_bar.kind = kBar;
    final_bar.key = {static_cast<int32_t>(systems.size()) + 1, 0};
    add_entry(final_bar);
}

// Columns are runs of notes and rests at one key. Each column's onset is the time reached when
// the shortest value still sounding (from the first still-sounding entry on) has passed after
// the previous column; a column of grace notes only takes no time. Times start at RowStartTime.
void build_column_time_map(int32_t row) {
    (void)row;
    g_columns.clear();
    g_sounding.clear();
    RowEndTime = RowStartTime;
    if (MidiLimitReached != 0) return;
    for (int32_t i = 0; i < static_cast<int32_t>(g_entries.size()); ++i)
        if (g_entries[i].kind == kNote || g_entries[i].kind == kRest) g_sounding.push_back(i);

    const int32_t count = static_cast<int32_t>(g_sounding.size());
    std::vector<float> remaining(count);
    for (int32_t i = 0; i < count; ++i) {
        const Entry& e = g_entries[g_sounding[i]];
        remaining[i] = is_grace(e) ? 0.0f : e.duration;
    }
    float time = RowStartTime;
    int32_t first_sounding = 0;
    int32_t i = 0;
    while (i < count) {
        const PosKey key = g_entries[g_sounding[i]].key;
        int32_t j = i;
        bool all_grace = true;
        while (j < count && g_entries[g_sounding[j]].key == key) {
            g_entries[g_sounding[j]].column = static_cast<int32_t>(g_columns.size());
            all_grace = all_grace && is_grace(g_entries[g_sounding[j]]);
            ++j;
        }
        g_columns.push_back({key, time, i, j - 1});
        if (!all_grace) {
            float smallest = 0.0f;
            for (int32_t m = first_sounding; m < j; ++m)
                if (remaining[m] > 0.0f && (smallest == 0.0f || remaining[m] < smallest))
                    smallest = remaining[m];
            if (smallest > 0.0f) {
                time += smallest;
                for (int32_t m = first_sounding; m < j; ++m) {
                    remaining[m] -= smallest;
                    if (remaining[m] < 0.01f) remaining[m] = 0.0f;
                }
            }
            while (first_sounding < j && remaining[first_sounding] <= 0.0f) ++first_sounding;
        }
        i = j;
    }
    RowEndTime = time;
}

// Staccato notes lose half their length (their onset and the next one stay). Between bar
// markers and key signatures, a note's accidental holds for every later note of its step that
// has none, until another accidental on that step replaces it.
void apply_staccato_and_carried_accidentals(int32_t row) {
    (void)row;
    if (MidiLimitReached != 0) return;
    std::vector<std::pair<int32_t, int32_t>> carried;  // (step, accidental)
    for (Entry& e : g_entries) {
        if (e.kind == kBar || e.kind == kKeySignature) {
            carried.clear();
            continue;
        }
        if (e.kind != kNote) continue;
        if (e.staccato) {
            e.duration *= 0.5f;
            e.staccato = false;
        }
        auto it = std::find_if(carried.begin(), carried.end(),
                               [&](const auto& c) { return c.first == e.step; });
        if (e.accidental != 0) {
            if (it == carried.end())
                carried.emplace_back(e.step, e.accidental);
            else
                it->second = e.accidental;
        } else if (it != carried.end()) {
            e.accidental = it->second;
        }
    }
}

// Ties from the last to the first: a tie whose ends are at one height joins the note at its
// start (the nearest in step) with the first note of that step sounding where it ends, unless a
// note of that step with another accidental comes first there. The joined note is marked merged
// and its length added. Every tie is then dropped: it has no further effect on the sound.
void merge_tied_notes(int32_t row) {
    (void)row;
    if (MidiLimitReached != 0) return;
    for (int32_t t = static_cast<int32_t>(g_entries.size()) - 1; t >= 0; --t) {
        if (g_entries[t].kind != kTie) continue;
        Entry& tie = g_entries[t];
        tie.kind = kDropped;
        PosKey start;
        PosKey end;
        if (!find_nearest_marker_key(tie.key, tie.end, true, start)) continue;
        if (!find_nearest_marker_key(tie.end, start, false, end)) continue;
        tie.key = start;
        tie.end = end;
        if (tie.step != tie.accidental) continue;

        int32_t first = -1;
        int32_t best = 99;
        for (int32_t i = 0; i < static_cast<int32_t>(g_entries.size()); ++i) {
            const Entry& e = g_entries[i];
            if (e.kind != kNote || e.key != start) continue;
            const int32_t d = std::abs(e.step - tie.step);
            if (d < best) {
                best = d;
                first = i;
            }
        }
        if (first < 0) continue;
        Entry& note = g_entries[first];
        const float target = g_columns[note.column].onset + note.duration;
        bool done = false;
        for (int32_t c = note.column + 1; c < static_cast<int32_t>(g_columns.size()) && !done;
             ++c) {
            const Column& col = g_columns[c];
            if (col.onset > target + 0.01f) break;
            if (std::fabs(col.onset - target) > 0.01f) continue;
            for (int32_t m = col.first; m <= col.last; ++m) {
                Entry& e = g_entries[g_sounding[m]];
                if (e.kind != kNote || e.step != note.step) continue;
                done = true;
                if (e.accidental == note.accidental || e.accidental == 0) {
                    e.kind = kMerged;
                    note.duration += e.duration;
                }
                break;
            }
        }
    }
}

// From each key signature (|k| below 100) to the next one, notes still without an accidental
// take the key's: k < 0 flattens the first |k| of B E A D G C F, k > 0 sharpens the first k of
// F C G D A E B, in every octave.
void apply_key_signatures(int32_t row) {
    (void)row;
    if (MidiLimitReached != 0) return;
    static constexpr std::array<int32_t, 7> kFlatOrder{6, 2, 5, 1, 4, 0, 3};   // B E A D G C F
    static constexpr std::array<int32_t, 7> kSharpOrder{3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
    std::array<int32_t, 7> by_letter{};
    for (Entry& e : g_entries) {
        if (e.kind == kKeySignature) {
            by_letter.fill(0);
            const int32_t k = e.accidental;
            if (std::abs(k) >= 100) continue;
            for (int32_t i = 0; i < std::min(std::abs(k), 7); ++i) {
                if (k < 0)
                    by_letter[kFlatOrder[i]] = 1;
                else
                    by_letter[kSharpOrder[i]] = 2;
            }
            continue;
        }
        if (e.kind == kNote && e.accidental == 0) e.accidental = by_letter[floor_mod(e.step, 7)];
    }
}

// Keys from steps (step 21 is middle C, 60) and accidentals; notes of no length are dropped.
// Octave lines shift the notes from the note or bar at or before their start to their end
// (15: two octaves up, other positive kinds one up, negative one down); kind 0 lines lengthen
// the notes under them, except those at their very end, by 0.05 unless LegatoLineSwitch is set.
// Then each note becomes the next note of NoteTimeline: start at its column's onset, grace notes
// 0.05 before the onset of the note they lead to. Past 10,000 notes the command stops.
void compute_note_pitches_and_times(int32_t row) {
    if (!row_in_range(row)) return;
    NoteTimeline.first[row] = NoteTimeline.count + 1;
    NoteTimeline.last[row] = NoteTimeline.count;
    if (MidiLimitReached != 0) return;
    static constexpr std::array<int32_t, 7> kScale{0, 2, 4, 5, 7, 9, 11};
    int32_t notes = 0;
    for (Entry& e : g_entries) {
        if (e.kind != kNote) continue;
        if (e.duration <= 0.0f) {
            e.kind = kDropped;
            continue;
        }
        int32_t offset = 0;
        switch (e.accidental) {
            case 1:
                offset = -1;
                break;
            case 2:
                offset = 1;
                break;
            case 4:
                offset = -2;
                break;
            case 5:
                offset = 2;
                break;
            default:
                break;
        }
        e.midi_key = 24 + 12 * floor_div(e.step, 7) + kScale[floor_mod(e.step, 7)] + offset;
        ++notes;
    }
    for (const Entry& line : g_entries) {
        if (line.kind != kLine) continue;
        const PosKey from = marker_at_or_before(line.key);
        const int32_t v = line.accidental;
        for (Entry& e : g_entries) {
            if (e.kind != kNote || e.key < from || e.key > line.end) continue;
            if (v == 0) {
                if (e.key < line.end && LegatoLineSwitch == 0 && !is_grace(e))
                    e.duration += kGraceLead;
            } else if (v == 15) {
                e.midi_key += 24;
            } else {
                e.midi_key += v > 0 ? 12 : -12;
            }
        }
    }
    if (NoteTimeline.count + notes > kMidiTimelineNotes) {
        report_limit("Too many notes: 10,000 at most. No MIDI file written.");
        return;
    }
    NoteTimelineRecord& t = NoteTimeline;
    t.key.resize(t.count);
    t.start.resize(t.count);
    t.end.resize(t.count);
    t.staff.resize(t.count);
    for (const Entry& e : g_entries) {
        if (e.kind != kNote) continue;
        const float onset = g_columns[e.column].onset;
        t.key.push_back(e.midi_key);
        t.staff.push_back(e.staff);
        if (is_grace(e)) {
            t.start.push_back(onset - kGraceLead);
            t.end.push_back(onset);
        } else {
            t.start.push_back(onset);
            t.end.push_back(onset + e.duration);
        }
        ++t.count;
    }
    t.last[row] = t.count;
}

}  // namespace output
