#include "engine/input/typed/token_scan.h"

#include <algorithm>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/input/tables.h"

namespace input {

namespace {

constexpr int32_t kShownLineCharacters = 140;

}  // namespace

char line_at(int32_t p) {
    return (p >= 1 && p <= core::CommandLine.size()) ? core::CommandLine(p) : ' ';
}

// Contract: see the header. Reads CommandLine only; a cursor beyond the line reads blanks.
bool next_non_blank(int32_t& ch, int32_t& cursor, int32_t end) {
    const int32_t size = core::CommandLine.size();
    for (;;) {
        ++cursor;
        ch = (cursor >= 1 && cursor <= size) ? core::CommandLine.code(cursor) : ' ';
        if (cursor >= end) return true;
        if (ch != ' ') return false;
    }
}

// Contract: see the header. The message is built apart, so that the line stays as typed for the
// input mode to offer again. Writes InputTokenList(0), InputParseStatus, the message box.
void syntax_error(int32_t& cursor) { syntax_error(cursor, {}); }

// Contract: see the header.
void syntax_error(int32_t& cursor, std::string_view note) {
    InputTokenList(0) = static_cast<float>(std::clamp(InputItemMark, 0, kInputTokenCapacity));
    InputParseStatus = cursor + 1;
    cursor = 0;
    std::string text = "*** Syntax Error ***  ";
    std::string line(core::CommandLine.sub(1, kShownLineCharacters));
    line.erase(line.find_last_not_of(' ') + 1);
    text += core::named_as_read(line);
    if (!note.empty()) text += "||" + std::string(note);
    core::name_untaken_line(text);
    edit::show_item_palette(core::kGeneralPalette);
}

}  // namespace input
