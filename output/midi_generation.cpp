#include "output/midi_generation.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "output/midi_file.h"
#include "output/midi_rows.h"
#include "platform/paths.h"
#include "platform/work_copies.h"

namespace output {

namespace {

using core::ItemCount;
using core::ItemStartTable;
using core::ItemStore;

int32_t count_of(int32_t i) { return core::int_of(ItemStore(ItemStartTable(i))); }
int32_t code_of(int32_t i) { return core::int_of(ItemStore(ItemStartTable(i) + 1)); }
int32_t staff_of(int32_t i) { return core::int_of(ItemStore(ItemStartTable(i) + 2)); }
float word_or_zero(int32_t i, int32_t k) {
    return count_of(i) >= k ? ItemStore(ItemStartTable(i) + k) : 0.0f;
}

int32_t& table_slot(core::Array1<int32_t, 256>& table, int32_t row, int32_t slot) {
    return table(kMidiSlots * (row - 1) + slot);
}
int32_t settings_word(int32_t row, int32_t column) {
    return SoundSettingsBlock(4 * (row - 1) + column);
}

// Sorts the store with the given sub-letter as the O command would, leaving the command line,
// the letters, the message line and the changes-made mark as they were: playing is no edit, so
// a saved page stays saved and the sort is no undo step, whatever it reorders or rounds.
void sort_keeping_state(char sub) {
    const core::FixedText<512> message = core::MessageLine;
    const core::ReorderKeepingMarks keep_marks;
    core::sort_item_store_with_letter(sub);
    core::set_exchange_text(message.view());
}

// The sounding shift of each staff: P13 of its staff item (code 8, at least 13 parameters).
std::map<int32_t, int32_t> staff_sounding_shifts() {
    std::map<int32_t, int32_t> shifts;
    for (int32_t i = 1; i <= ItemCount; ++i) {
        if (code_of(i) != 8 || count_of(i) < 13) continue;
        const int32_t shift = core::nint(word_or_zero(i, 13));
        if (shift != 0) shifts[staff_of(i)] = shift;
    }
    return shifts;
}

int32_t clamp_data(int32_t v) { return std::clamp(v, 0, 127); }

uint32_t note_word(uint32_t kind, int32_t key, int32_t velocity) {
    return (kind << 24) | (static_cast<uint32_t>(key) << 8) | static_cast<uint32_t>(velocity);
}

struct Entry {
    double time;
    uint32_t word;
};

void apply_first_run_defaults() {
    // Each column is defaulted only when row 1 has no value in it.
    const std::array<int32_t, 3> defaults{1, 1, 64};  // CHN, INS, AMP
    for (int32_t column = 1; column <= 3; ++column) {
        if (SoundSettingsBlock(column) != 0) continue;
        for (int32_t row = 1; row <= kMidiRows; ++row) {
            SoundSettingsBlock(4 * (row - 1) + column) = defaults[column - 1];
        }
    }
}

bool row_takes_part(int32_t row) { return table_slot(ChannelStaffTable, row, 1) != 0; }

// Nothing was played and no file written although the run asked for one (a Cancel the user
// gave is no failure, and does not come here).
void no_midi_written() {
    MidiStatusWord = -999;
    core::mark_run_failed();
}

void refuse(const std::string& limit) {
    core::show_message(core::ReplyKind::Failure,
                       "More than " + limit + ": no MIDI file was written.");
}

}  // namespace

int32_t requested_midi_tempo(int32_t tempo, int32_t request) {
    // A step from the tempo in force never reaches 0, which would read as 120.
    if (request == -6) return std::clamp((tempo == 0 ? 120 : tempo) - 6, 1, 999);
    if (request == -12) return std::clamp((tempo == 0 ? 120 : tempo) + 12, 1, 999);
    if (request != 0) {
        tempo = request;
    }
    if (tempo == 0) return 120;
    return std::clamp(tempo, 1, 999);
}

// Contract: groups the staves of the store (sorted by staff) into systems: a group grows with
// the span of its bar lines and closes at the first item beyond its last staff; the last group
// is recorded too, so a page without bar lines makes every staff a system. Slot 1 takes the last
// group recorded; row 1 the group's highest staff. Reads ItemStore; writes ChannelStaffTable
// and MidiStatusWord (0). Systems past 16 and staves of a system past 16 are left out.
void auto_assign_channel_staves() {
    ChannelStaffTable.fill(0);
    MidiStatusWord = 0;
    struct Group {
        int32_t first = 0;
        int32_t span = 1;
    };
    std::vector<Group> groups;
    Group open;
    for (int32_t i = 1; i <= ItemCount; ++i) {
        const int32_t staff = staff_of(i);
        if (staff > open.first + open.span - 1) {
            groups.push_back(open);
            open = Group{staff, 1};
        }
        if (code_of(i) == 14) {
            const int32_t p4 = core::int_of(word_or_zero(i, 4));
            open.span = std::max(open.span, count_of(i) >= 4 && p4 > 0 ? p4 : 1);
        }
    }
    groups.push_back(open);

    const int32_t slots = std::min<int32_t>(kMidiSlots, static_cast<int32_t>(groups.size()));
    for (int32_t slot = 1; slot <= slots; ++slot) {
        const Group& g = groups[groups.size() - static_cast<std::size_t>(slot)];
        const int32_t last = g.first + g.span - 1;
        for (int32_t row = 1; row <= std::min(g.span, kMidiRows); ++row) {
            int32_t staff = last - (row - 1);
            if (staff > 299) staff -= 300;
            table_slot(ChannelStaffTable, row, slot) = std::max(staff, 0);
        }
    }
}

// Contract: one track per row of ChannelStaffTable with slot 1 set, in row order: a program
// change (INS) at delta 0, then a note on (AMP; a note off when 0) and a note off for each of the
// row's notes, ordered by time (stable: an off before an on at the same time stays first).
// Deltas are differences of absolute ticks NINT(time x 11520 / MidiTempo), so parts that meet
// on a beat meet on the same tick. Reads NoteTimeline, ChannelStaffTable, SoundSettingsBlock,
// MidiTempo and the staff items' P13; writes list.
bool build_midi_event_list(MidiEventList& list) {
    list = MidiEventList{};
    // A row routine that passed a limit has told the user already.
    if (MidiLimitReached != 0) return false;
    if (NoteTimeline.count > kMidiTimelineNotes) {
        refuse(std::to_string(kMidiTimelineNotes) + " notes");
        return false;
    }
    const double ticks_per_quarter = 11520.0 / requested_midi_tempo(MidiTempo, 0);
    const std::map<int32_t, int32_t> shifts = staff_sounding_shifts();
    auto shift_of = [&](int32_t n) {
        if (n - 1 >= static_cast<int32_t>(NoteTimeline.staff.size())) return 0;
        const auto it = shifts.find(NoteTimeline.staff[static_cast<std::size_t>(n - 1)]);
        return it == shifts.end() ? 0 : it->second;
    };
    const int32_t available = std::min<int32_t>(
        NoteTimeline.count,
        static_cast<int32_t>(std::min(
            {NoteTimeline.key.size(), NoteTimeline.start.size(), NoteTimeline.end.size()})));

    bool outside = false;
    int32_t events = 0;
    int32_t track = 0;
    std::vector<Entry> entries;
    for (int32_t row = 1; row <= kMidiRows; ++row) {
        if (!row_takes_part(row)) continue;
        const int32_t program = clamp_data(settings_word(row, 2));
        const int32_t velocity = clamp_data(settings_word(row, 3));
        const int32_t transpose = settings_word(row, 4);
        entries.clear();
        const int32_t last = std::min(NoteTimeline.last[static_cast<std::size_t>(row)], available);
        for (int32_t n = std::max(NoteTimeline.first[static_cast<std::size_t>(row)], 1); n <= last;
             ++n) {
            const auto at = static_cast<std::size_t>(n - 1);
            const int64_t key =
                static_cast<int64_t>(NoteTimeline.key[at]) + transpose + shift_of(n);
            if (key < 0 || key > 127) {
                outside = true;
                continue;
            }
            const auto k = static_cast<int32_t>(key);
            entries.push_back(
                {NoteTimeline.start[at], note_word(velocity == 0 ? 0x80 : 0x81, k, velocity)});
            entries.push_back({NoteTimeline.end[at], note_word(0x80, k, 0)});
        }
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.time < b.time; });

        events += static_cast<int32_t>(entries.size()) + 1;
        if (events > kMidiEventLimit) {
            list = MidiEventList{};
            refuse(std::to_string(kMidiEventLimit) + " events");
            return false;
        }
        list.counts[static_cast<std::size_t>(track)] = static_cast<int32_t>(entries.size()) + 1;
        ++track;
        list.events.push_back(static_cast<int32_t>(0xFF210100u + static_cast<uint32_t>(program)));
        list.events.push_back(0);
        int64_t previous = 0;
        for (const Entry& e : entries) {
            const int64_t tick = std::max<int64_t>(core::nint(e.time * ticks_per_quarter), 0);
            list.events.push_back(static_cast<int32_t>(e.word));
            list.events.push_back(static_cast<int32_t>(std::max<int64_t>(tick - previous, 0)));
            previous = std::max(previous, tick);
        }
    }
    if (outside)
        core::show_message(core::ReplyKind::Notice,
                           "Notes outside the MIDI keys 0 to 127 were left out.");
    return true;
}

// Contract: the MIDI command. The first command sets the file name (this copy's default MIDI file
// in the work folder), the tempo 120 and the default settings. The parts are found from the page
// (auto setup) on the first command that finds staves, after a load replaced the page, and on
// every command of a front-end without a Sound dialog, where nothing else could set them up.
// Applies the tempo request (consumed), shows the Sound dialog unless skip is set (again while
// it asks so after Save or Load), takes its table, sorts the store by staff, runs the row
// routines for each part and hands the event list to the writer. Writes MidiStatusWord: -999
// when nothing was played (no staves, cancelled, empty table, no notes, a limit passed). The
// document's items keep their parameters: staff transpositions are applied to the keys only;
// the store is left sorted by staff and the changes-made flag as it was.
void make_midi(int32_t& skip, int32_t& tempo) {
    MidiStatusWord = 0;
    if (MidiFirstRunDone == 0 || MidiPartsFromPage != 0 || !core::front_end().HasSoundDialog()) {
        if (MidiFirstRunDone == 0) {
            MidiFileName.set(platform::work_file(platform::own_midi_file_name()));
            MidiTempo = 120;
            SoundSettingsBlock.fill(0);
            apply_first_run_defaults();
        }
        ChannelStaffTable.fill(0);
        ChannelStaffDialogCopy.fill(0);
        sort_keeping_state('P');
        auto_assign_channel_staves();
        if (!row_takes_part(1)) {
            // Nothing to play yet (a page without staves): said as for a page without notes,
            // and the next command looks for the parts again.
            core::show_message(core::ReplyKind::Failure, "No Notes Found.");
            no_midi_written();
            tempo = 0;
            return;
        }
        MidiFirstRunDone = 1;
        MidiPartsFromPage = 0;
        ChannelStaffDialogCopy = ChannelStaffTable;
    }

    edit::show_item_palette(243);
    MidiTempo = requested_midi_tempo(MidiTempo, tempo);
    tempo = 0;
    if (skip == 0) {
        for (;;) {
            const int result =
                core::front_end().RunSoundDialog(SoundSettingsBlock, ChannelStaffDialogCopy);
            edit::show_item_palette(256);
            if (result == 2) {
                SoundDialogMode = 0;
                MidiStatusWord = -999;
                return;
            }
            if (SoundDialogMode == 0) break;
            SoundDialogMode = 0;
        }
    }

    MidiTempo = requested_midi_tempo(MidiTempo, 0);
    if (table_slot(ChannelStaffDialogCopy, 1, 1) == 0 &&
        table_slot(ChannelStaffDialogCopy, 2, 1) == 0) {
        no_midi_written();
        return;
    }
    ChannelStaffTable = ChannelStaffDialogCopy;

    sort_keeping_state('X');
    NoteTimeline = NoteTimelineRecord{};
    MidiLimitReached = 0;
    for (int32_t row = 1; row <= kMidiRows; ++row) {
        const auto r = static_cast<std::size_t>(row);
        NoteTimeline.first[r] = NoteTimeline.count + 1;
        NoteTimeline.last[r] = NoteTimeline.count;
        if (!row_takes_part(row)) continue;
        RowStartTime = 0.3f;
        collect_bar_positions(row);
        collect_channel_entries(row);
        build_column_time_map(row);
        apply_staccato_and_carried_accidentals(row);
        merge_tied_notes(row);
        apply_key_signatures(row);
        compute_note_pitches_and_times(row);
        NoteTimeline.last[r] = NoteTimeline.count;
        if (MidiLimitReached != 0) break;
    }

    if (NoteTimeline.count == 0 && MidiLimitReached == 0) {
        core::show_message(core::ReplyKind::Failure, "No Notes Found.");
        no_midi_written();
        return;
    }
    MidiEventList list;
    if (!build_midi_event_list(list)) {
        no_midi_written();
        return;
    }
    core::clear_exchange_text();
    write_and_play_midi(list);
    MidiStatusWord = NoteTimeline.count;
}

// Contract: see the header.
void forget_midi_parts() { MidiPartsFromPage = 1; }

}  // namespace output
