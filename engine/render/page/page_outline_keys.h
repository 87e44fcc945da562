// "SHP": moving the page outline with the keys.
//
// Tables: PageOutlineShift (render); CommandStateWord, ParamBuffer P2..P4, SecondLine (core).
#pragma once

#include <cstdint>

namespace render {

// Works only while CommandStateWord is 0 or 1001. Sets P2 = 0.52, P3 = 50.0 and P4 = 90.0,
// then takes keys ("~~" and the three-digit scan code) one after another and moves
// PageOutlineShift by them: 72 up 5 and 80 down 5, 73 up 100 and 81 down 100, 75 right 5 and
// 77 left 5, 67 right 50 and 68 left 50, 15 right 50 (left 50 when the key word after the
// code is 9). Each move is held within +-192760 and the page is redrawn. Anything else ends
// the moving (Enter, a command, the end of input).
void move_box_outline_by_keys();

// One key's move of PageOutlineShift (the rules above); false for a key that moves nothing.
bool move_outline_by_key(int32_t code, int32_t second_word);

}  // namespace render
