// The MIDI file writer: the event list as a Standard MIDI File (format 1, 96 ticks a quarter,
// a conductor track and one track per channel row), then handed to the player.
//
// Tables: MidiFileName (the file written).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/midi_player.h"
#include "output/midi_tables.h"

namespace output {

// The file written when MidiFileName names none of the user's: this name in the work folder
// (a later copy on the work folder writes platform::own_midi_file_name instead).
constexpr std::string_view kDefaultMidiFile = "ormmidi.mid";

// Writes value & 0x0FFFFFFF as a variable-length quantity into out (room for 4 bytes); returns
// the number of bytes written (1 to 4).
int32_t write_var_len_quantity(uint32_t value, uint8_t* out);
// The MIDI channel of the track of count word k (0-based): 0-8 for words 0-8, 10-15 for words
// 9-14, and 9 (the drum channel of General MIDI) only for the last word.
int32_t midi_track_channel(int32_t k);
// The whole file image of list, sized from its counts.
std::vector<uint8_t> build_midi_image(const MidiEventList& list);
// The local path the writer writes: this copy's default MIDI file in the work folder when
// MidiFileName is blank or holds the old default in the program folder; else the name as given
// (a relative one from the current folder). "" when the work folder is not known.
std::string midi_file_path();
// Writes the file named by MidiFileName; false (after telling the user) when it failed.
bool write_midi_file(const MidiEventList& list);
// Writes the file and, only when it was written, has the player (play) load and start it.
void write_and_play_midi(const MidiEventList& list,
                         void (*play)(const std::string& path) = play_midi_file);

}  // namespace output
