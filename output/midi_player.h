// The MIDI player: a file is loaded, then played on the output device from a thread of its own;
// play, stop and pause come from the front-end.
#pragma once

#include <string>

namespace output {

// Loads the file and starts it playing (the file writer calls it after a write).
void play_midi_file(const std::string& path);
// 1 play, 2 stop, 3 toggle pause; other values do nothing.
void control_midi_player(int action);

}  // namespace output
