#include "output/midi_player.h"

namespace output {

// Stand-ins until the player is built: nothing sounds.
void play_midi_file(const std::string& path) { (void)path; }
void control_midi_player(int action) { (void)action; }

}  // namespace output
