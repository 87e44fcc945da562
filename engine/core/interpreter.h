// The engine's single entry: one command text, key token or mouse token per call.
#pragma once

#include <cstdint>

namespace core {

// Runs one command. The front-end passes its GraphicsList (100,000 words) and
// TextDisplayStream (20,000 bytes) with their length words; the reply is left in MessageLine
// and status is -1 (asked nothing) or 0 (a prompt was shown). Not re-entrant.
void run_command(int32_t* graphics_list, int32_t& graphics_length, uint8_t* text_stream,
                 int32_t& text_length, int32_t& status);

}  // namespace core
