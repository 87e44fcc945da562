// Text on its way to a screen: names and texts read from files may hold control characters
// (an escape sequence can retitle or clear a terminal), so the front-ends show them as "?".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace core {

// Contract: a cut line given to a question (kCutLineAnswer) shown as cut_line_shown names it;
// then every control byte, 0x00..0x1F (tab, CR and LF included) and DEL 0x7F,
// made "?"; every other byte stays, so UTF-8 and CP1252 letters pass unchanged. Callers that
// break lines at CR or LF split the text first and pass each line.
std::string shown_text(std::string_view text);

// The longest start of text of at most max_bytes bytes that ends between letters: a letter
// typed as UTF-8 is kept whole or left out whole, never split.
std::string_view head_by_letters(std::string_view text, std::size_t max_bytes);
// The text whole when it has at most max_bytes bytes; else "..." and its longest end that fits
// the rest of max_bytes and begins on a letter (a path's end names the file).
std::string shown_end(std::string_view text, std::size_t max_bytes);

}  // namespace core
