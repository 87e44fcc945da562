// The notes of one channel row: the items of the row's staves, system after system, become the
// row's notes in NoteTimeline (key, start and end in quarter notes, staff). make_midi runs the
// seven steps in this order for each row that takes part, after sorting the items by staff.
// Times are quarter notes from the row's start; the tempo plays no part here.
//
// Tables: ChannelStaffTable, NoteTimeline, MidiLimitReached, MidiStatusWord, LegatoLineSwitch
// (output); ItemStore, ItemStartTable, ItemCount (core). The per-row scratch (bar list, entry
// list, column times) lives in midi_rows.cpp and is rebuilt by every row.
#pragma once

#include <cstdint>

namespace output {

// Per-row limits: past them the row stops with a message naming the limit.
constexpr int32_t kRowBarLimit = 500;
constexpr int32_t kRowEntryLimit = 10000;

// The row's starting time in quarter notes (make_midi sets 0.3 before each row).
extern float RowStartTime;
// The time the row's last column ends (left by build_column_time_map).
extern float RowEndTime;

// The bar lines reaching the row's staves, as sorted distinct (system, position) keys.
void collect_bar_positions(int32_t row);
// The row's notes, rests, ties, lines, key signatures and bar markers, system after system.
void collect_channel_entries(int32_t row);
// The onset of every column of notes and rests.
void build_column_time_map(int32_t row);
// Staccato notes sound half as long; an accidental holds for its step to the end of the bar.
void apply_staccato_and_carried_accidentals(int32_t row);
// A tie between two equal notes leaves one note of their summed length.
void merge_tied_notes(int32_t row);
// Notes still without an accidental take the key signature's.
void apply_key_signatures(int32_t row);
// The keys, octave lines, legato overlaps and grace notes; the row's notes appended to
// NoteTimeline and its first and last note numbers set.
void compute_note_pitches_and_times(int32_t row);

// The step offset of a clef whose P5 is kind (20 for an unknown kind).
int32_t clef_step_offset(float kind);
// The offset of the last clef on staff whose P3 is not beyond position; current without one.
int32_t clef_offset_from_neighbour_staff(int32_t staff, float position, int32_t current);

}  // namespace output
