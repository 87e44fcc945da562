// Names compared as the program compares them everywhere: case ignored (ASCII letters), the
// names themselves kept as typed.
#pragma once

#include <cstddef>
#include <string_view>

namespace core {

inline char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool equals_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
    return true;
}

inline bool starts_with_nocase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equals_nocase(s.substr(0, prefix.size()), prefix);
}

inline bool ends_with_nocase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && equals_nocase(s.substr(s.size() - suffix.size()), suffix);
}

}  // namespace core
