// The notes of one channel row: the items of the row's staves, system after system, become the
// row's notes in NoteTimeline (key, start and end in quarter notes). make_midi runs the steps
// in this order for each row that takes part, after sorting the items by staff.
//
// Tables: ChannelStaffTable, SoundSettingsBlock, NoteTimeline (output); ItemStore and its index,
// ItemCursor (core).
#pragma once

#include <cstdint>

namespace output {

// The row's starting time in quarter notes (make_midi sets 0.3 before each row).
extern float RowStartTime;

void collect_bar_positions(int32_t row);
void collect_channel_entries(int32_t row);
void build_column_time_map(int32_t row);
void apply_staccato_and_carried_accidentals(int32_t row);
void merge_tied_notes(int32_t row);
void apply_key_signatures(int32_t row);
void compute_note_pitches_and_times(int32_t row);

}  // namespace output
