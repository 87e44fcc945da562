#include "engine/core/files/short_names.h"

namespace core {

MusicDirectoryRecord MusicDirectoryList;

namespace {

// The fixed layout: base name in 1..8, the extension with its dot in 9..12.
constexpr int kDotColumn = 9;
constexpr int kExtensionEnd = 12;

}  // namespace

// Contract: NUL bytes in 2..12 become blanks; the last "." of 2..12 and the three characters
// after it move to 9..12, their old places blanked. A name that does not fit the layout (a base
// longer than 8 characters, an extension longer than 3, anything in column 13) is left whole:
// cutting it would name another file.
void fix_name_extension(FixedText<13>& name) {
    for (int k = kExtensionEnd; k >= 2; --k)
        if (name(k) == '\0') name(k) = ' ';
    if (name(13) != ' ' && name(13) != '\0') return;
    int dot = 0;
    for (int k = kExtensionEnd; k >= 2; --k) {
        if (name(k) == '.') {
            dot = k;
            break;
        }
    }
    if (dot == 0 || dot == kDotColumn || dot > kDotColumn) return;
    for (int k = dot + 4; k <= kExtensionEnd; ++k)
        if (name(k) != ' ') return;
    char extension[4];
    for (int k = 0; k < 4; ++k) {
        extension[k] = name(dot + k);
        name(dot + k) = ' ';
    }
    for (int k = 0; k < 4; ++k) name(kDotColumn + k) = extension[k];
}

// Contract: a name in the fixed layout ("." in column 9) has its extension moved to just after
// the base name (the blank after the base's last character), 9..12 blanked. Nothing changes
// when column 9 holds no "." or the base fills 1..8; blanks inside the base are kept, so no
// part of the name is overwritten.
void pack_8_3_name(FixedText<12>& name) {
    if (name(kDotColumn) != '.') return;
    int base_end = kDotColumn - 1;
    while (base_end > 0 && name(base_end) == ' ') --base_end;
    if (base_end == 0 || base_end == kDotColumn - 1) return;
    char extension[4];
    for (int k = 0; k < 4; ++k) {
        extension[k] = name(kDotColumn + k);
        name(kDotColumn + k) = ' ';
    }
    for (int k = 0; k < 4; ++k) name(base_end + 1 + k) = extension[k];
}

std::string dotted_directory_name(std::string_view entry) {
    while (!entry.empty() && (entry.back() == ' ' || entry.back() == '\0')) entry.remove_suffix(1);
    if (entry.size() > static_cast<std::size_t>(kExtensionEnd)) return std::string(entry);
    FixedText<12> name(entry);
    pack_8_3_name(name);
    return name.trimmed();
}

}  // namespace core
