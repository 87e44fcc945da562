// Items back into typed input lines, and the input mode that edits them.
#pragma once

#include <cstdint>

namespace input {

// Turns the notes of staff P(1) between positions P(2) and P(3) back into typed input lines.
// Returns its status word: negative when the lines wait for the input mode.
int32_t regenerate_input_lines();


}  // namespace input
