#include "engine/core/bridge/shown_text.h"

#include "engine/core/bridge/cut_lines.h"

namespace core {

std::string shown_text(std::string_view text) {
    std::string shown = with_cut_line_shown(text);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return shown;
}

}  // namespace core
