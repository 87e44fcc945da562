// The shared state of the MIDI output: the sound settings and staff table that the Sound dialog
// edits, the tempo and file name, the note timeline the row routines fill, and the event list
// that the generation hands to the file writer.
//
// Owners: midi_generation.cpp (MidiStatusWord, the first-run defaults, MidiPartsFromPage, the
// event list), sound_settings.cpp (SoundDialogMode, the settings file), midi_rows.cpp
// (NoteTimeline).
// reset_midi_tables() puts every one back to its start value (reset_output_tables calls it).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/fixed_array.h"

namespace output {

constexpr int32_t kMidiRows = 16;
constexpr int32_t kMidiSlots = 16;
constexpr int32_t kMidiTimelineNotes = 10000;
// Events of one command at most (the list's 10,000 words: 16 counts and two words an event).
constexpr int32_t kMidiEventLimit = 4992;

// Left by make_midi: -999 when nothing was played; else a count of 0 or more.
extern int32_t MidiStatusWord;
// The MIDI file's name (the Sound dialog's field); set on the first MIDI command.
extern core::FixedText<256> MidiFileName;
// Quarter notes per minute; 0 is taken as 120.
extern int32_t MidiTempo;
// Set by the first MIDI command: the defaults are applied only while it is 0.
extern int32_t MidiFirstRunDone;
// Set when a load replaced the page: the next MIDI command finds the parts from the page again.
extern int32_t MidiPartsFromPage;
// 0 none, 1 save requested, 2 load requested (the Sound dialog's Save and Load buttons).
extern int32_t SoundDialogMode;
// 16 rows of CHN, INS, AMP, TRN (row-major: row r's words are 4r-3 .. 4r).
extern core::Array1<int32_t, 64> SoundSettingsBlock;
// 16 channel rows of 16 staff slots (row-major: row r's slots are 16r-15 .. 16r); 0 = empty.
extern core::Array1<int32_t, 256> ChannelStaffTable;
// The copy the Sound dialog edits.
extern core::Array1<int32_t, 256> ChannelStaffDialogCopy;

// The notes of one MIDI command: note n (1-based) sounds key(n) from start(n) to end(n),
// in quarter notes, on staff(n); row r's notes are first(r) .. last(r) (first > last: none).
// Note n is element n - 1 of each vector; the vectors hold count elements. The key is the
// written pitch (octave lines applied): the staff's P13 and the row's TRN are still to be added.
struct NoteTimelineRecord {
    std::vector<int32_t> key;
    std::vector<float> start;
    std::vector<float> end;
    std::vector<int32_t> staff;
    std::array<int32_t, kMidiRows + 1> first{};
    std::array<int32_t, kMidiRows + 1> last{};
    int32_t count = 0;
};
extern NoteTimelineRecord NoteTimeline;

// The event list of one command: the event counts of tracks 1..16 (packed from the first), then
// for each track with a count, that many (event word, delta ticks) pairs. Event word: top byte
// 0xFF program change (program in bits 0-7), 0x81 note on, 0x80 note off (key in bits 8-15,
// velocity in bits 0-7).
struct MidiEventList {
    std::array<int32_t, kMidiRows> counts{};
    std::vector<int32_t> events;  // event word, delta, event word, delta, ...
};

// Set by the row routines when a row goes past 500 bars or 10,000 entries, or the command past
// 10,000 notes (the message names the limit; MidiStatusWord is then -999): nothing may be
// written. Cleared when the first row that takes part starts.
extern int32_t MidiLimitReached;
// Nonzero: lines of kind 0 do not lengthen the notes under them (the legato overlap). Read only
// here; its writer is a document setting.
extern int32_t LegatoLineSwitch;

void reset_midi_tables();

}  // namespace output
