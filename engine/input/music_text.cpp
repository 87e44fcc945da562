#include "engine/input/music_text.h"

namespace input {

// Not built yet.
void prepare_input_line(int32_t& first, int32_t& cursor) {
    first = 0;
    cursor = 0;
}
void input_item_loop(int32_t&, int32_t&, int32_t& position) { position = 0; }
void parse_music_text(int32_t& cursor, int32_t&) { cursor = 0; }

}  // namespace input
