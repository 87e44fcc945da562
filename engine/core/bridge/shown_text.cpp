#include "engine/core/bridge/shown_text.h"

#include <algorithm>

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

namespace {

bool continues_letter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The bytes of the UTF-8 letter a lead byte begins (0 for a byte that begins none).
std::size_t letter_length(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0xC2 && b <= 0xDF) return 2;
    if (b >= 0xE0 && b <= 0xEF) return 3;
    if (b >= 0xF0 && b <= 0xF4) return 4;
    return 0;
}

// Where the UTF-8 letter that byte i lies inside begins, when i continues one begun before it;
// npos otherwise (a byte of a CP1252 text stays a letter of its own).
std::size_t letter_start(std::string_view text, std::size_t i) {
    if (i >= text.size() || !continues_letter(text[i])) return std::string_view::npos;
    for (std::size_t back = 1; back <= 3 && back <= i; ++back) {
        if (continues_letter(text[i - back])) continue;
        return letter_length(text[i - back]) > back ? i - back : std::string_view::npos;
    }
    return std::string_view::npos;
}

}  // namespace

std::string_view head_by_letters(std::string_view text, std::size_t max_bytes) {
    if (text.size() <= max_bytes) return text;
    // text[max_bytes] is the first byte left out: the letter it continues goes out whole.
    const std::size_t start = letter_start(text, max_bytes);
    return text.substr(0, start == std::string_view::npos ? max_bytes : start);
}

std::string shown_end(std::string_view text, std::size_t max_bytes) {
    constexpr std::string_view kMark = "...";
    if (text.size() <= max_bytes) return std::string(text);
    if (max_bytes <= kMark.size()) return std::string(kMark.substr(0, max_bytes));
    std::size_t from = text.size() - (max_bytes - kMark.size());
    // A letter begun before the end's first byte is left out whole.
    if (const std::size_t start = letter_start(text, from); start != std::string_view::npos)
        from = std::min(text.size(), start + letter_length(text[start]));
    return std::string(kMark) + std::string(text.substr(from));
}

}  // namespace core
