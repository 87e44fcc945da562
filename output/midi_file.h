// The MIDI file writer: the event list as a Standard MIDI File (format 1, 96 ticks a quarter,
// a conductor track and one track per channel row), then handed to the player.
//
// Tables: MidiFileName (the file written).
#pragma once

#include <cstdint>
#include <vector>

#include "output/midi_tables.h"

namespace output {

// Writes value & 0x0FFFFFFF as a variable-length quantity into out (room for 4 bytes); returns
// the number of bytes written (1 to 4).
int32_t write_var_len_quantity(uint32_t value, uint8_t* out);
// The whole file image of list.
std::vector<uint8_t> build_midi_image(const MidiEventList& list);
// Writes the file named by MidiFileName; false (after telling the user) when it failed.
bool write_midi_file(const MidiEventList& list);
// Writes the file and, when it was written, has the player load and start it.
void write_and_play_midi(const MidiEventList& list);

}  // namespace output
