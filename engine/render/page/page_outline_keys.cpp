#include "engine/render/page/page_outline_keys.h"

#include <algorithm>
#include <cctype>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int32_t kOutlineLimit = 192760;
constexpr int32_t kKeyLoopLimit = 100000;  // a script that never stops sending keys ends too

bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The key of a "~~nnn" line in SecondLine and the number after it (0 when none); false for
// anything else.
bool read_key(int32_t& code, int32_t& second_word) {
    const auto& s = core::SecondLine;
    if (s(1) != '~' || s(2) != '~' || !digit(s(3)) || !digit(s(4)) || !digit(s(5))) return false;
    code = (s(3) - '0') * 100 + (s(4) - '0') * 10 + (s(5) - '0');
    second_word = 0;
    int k = 6;
    while (k <= 512 && s(k) == ' ') ++k;
    while (k <= 512 && digit(s(k))) second_word = second_word * 10 + (s(k++) - '0');
    return true;
}

}  // namespace

// Contract: see the header. Writes PageOutlineShift only.
bool move_outline_by_key(int32_t code, int32_t second_word) {
    int32_t dx = 0;
    int32_t dy = 0;
    switch (code) {
        case 72:
            dy = 5;
            break;
        case 80:
            dy = -5;
            break;
        case 73:
            dy = 100;
            break;
        case 81:
            dy = -100;
            break;
        case 75:
            dx = 5;
            break;
        case 77:
            dx = -5;
            break;
        case 67:
            dx = 50;
            break;
        case 68:
            dx = -50;
            break;
        case 15:
            dx = second_word == 9 ? -50 : 50;
            break;
        default:
            return false;
    }
    PageOutlineShift.x = std::clamp(PageOutlineShift.x + dx, -kOutlineLimit, kOutlineLimit);
    PageOutlineShift.y = std::clamp(PageOutlineShift.y + dy, -kOutlineLimit, kOutlineLimit);
    return true;
}

// Contract: see the header. Reads SecondLine after each wait; writes ParamBuffer P2..P4,
// PageOutlineShift and the output lists (redraw).
void move_box_outline_by_keys() {
    if (core::CommandStateWord != 0 && core::CommandStateWord != 1001) return;
    if (!core::window_at_hand()) return;
    core::ParamBuffer(2) = 0.52f;
    core::ParamBuffer(3) = 50.0f;
    core::ParamBuffer(4) = 90.0f;
    for (int32_t n = 0; n < kKeyLoopLimit; ++n) {
        core::SecondLine.blank();
        core::wait_for_command_in_second_line();
        int32_t code = 0;
        int32_t second_word = 0;
        if (!read_key(code, second_word) || !move_outline_by_key(code, second_word)) break;
        redraw_items();
    }
    core::SecondLine.blank();
}

}  // namespace render
