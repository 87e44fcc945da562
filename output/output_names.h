// Names of outputs as the output routines compare them: whole, as typed, and compared without
// regard to case ("LPT1", ".eps").
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "engine/core/files/file_names.h"
#include "engine/core/files/name_compare.h"
#include "engine/core/fixed_array.h"

namespace output {

using core::ends_with_nocase;
using core::starts_with_nocase;

// The name held in text: up to its first NUL, without trailing blanks.
template <int N>
std::string name_of(const core::FixedText<N>& text) {
    std::string s(text.view());
    s = s.substr(0, std::min(s.find('\0'), s.size()));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// name with ".eps" in place of its extension (".EPS" when the extension is in capitals, or
// there is none): the EPS file proposed for a document.
inline std::string name_with_eps_extension(std::string name) {
    const std::string extension = core::get_name_extension(name);
    bool lower = false;
    for (const char c : extension) lower = lower || std::islower(static_cast<unsigned char>(c)) != 0;
    name.resize(name.size() - extension.size());
    return name + (lower ? ".eps" : ".EPS");
}

}  // namespace output
