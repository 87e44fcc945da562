// Text on its way to a screen: names and texts read from files may hold control characters
// (an escape sequence can retitle or clear a terminal), so the front-ends show them as "?".
#pragma once

#include <string>
#include <string_view>

namespace core {

// Contract: a cut line given to a question (kCutLineAnswer) shown as cut_line_shown names it;
// then every control byte, 0x00..0x1F (tab, CR and LF included) and DEL 0x7F,
// made "?"; every other byte stays, so UTF-8 and CP1252 letters pass unchanged. Callers that
// break lines at CR or LF split the text first and pass each line.
std::string shown_text(std::string_view text);

}  // namespace core
