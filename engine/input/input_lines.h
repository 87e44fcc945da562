// Items back into typed input lines, and the input mode that edits them.
#pragma once

#include <cstdint>

namespace input {

// Turns the notes of staff P(1) between positions P(2) and P(3) back into typed input lines.
// Returns its status word: negative when the lines wait for the input mode.
int32_t regenerate_input_lines();

// The input mode and its mode word, as the interpreter's music-input entries define them;
// declared here too so that the editing commands can start the mode.
void run_input_mode();
// Gives back the command file that the input mode set aside while it asked for lines.
void restore_macro_unit();
extern int32_t InputModeWord;

}  // namespace input
