// The MIDI command: which staves make each part, the Sound dialog, the notes of every part,
// and the event list handed to the file writer and the player.
//
// Tables: MidiStatusWord, MidiFileName, MidiTempo, MidiFirstRunDone, MidiPartsFromPage,
// SoundDialogMode, SoundSettingsBlock, ChannelStaffTable, ChannelStaffDialogCopy, NoteTimeline
// (output);
// ItemStore and its index, ChangesMadeFlag, MessageLine (core).
#pragma once

#include <cstdint>

#include "output/midi_tables.h"

namespace output {

// The play loop's MIDI command: skip nonzero plays with the settings in force (no dialog);
// tempo: 0 none, -6 slower by 6, -12 faster by 12, any other the new tempo (consumed).
void make_midi(int32_t& skip, int32_t& tempo);
// A load replaced the page (G, NX, NB, NEW, RS, GSV, COM): the next MIDI command finds the parts
// from the new page; the rows' program, velocity and transposition, the tempo and the file name
// stay. Writes MidiPartsFromPage.
void forget_midi_parts();
// Cuts the staves into systems and fills ChannelStaffTable (the Sound dialog's Auto setup too).
void auto_assign_channel_staves();
// The event list of the notes in NoteTimeline for the rows of ChannelStaffTable that take part,
// at MidiTempo (held to 1..999, 0 read as 120). Keys (with TRN and the staff's P13) outside
// 0..127 are left out and told once; programs and velocities are clamped to 0..127. False, with
// a message naming the limit and the list empty, past 10,000 notes or 4,992 events.
bool build_midi_event_list(MidiEventList& list);
// MidiTempo after a tempo request (0 none, -6 slower, -12 faster, else the new tempo), held to
// 1..999; 0 reads 120.
int32_t requested_midi_tempo(int32_t tempo, int32_t request);

}  // namespace output
