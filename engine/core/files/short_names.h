// Names in the fixed 8.3 field layout of the music directory's lines (base in columns 1-8,
// the extension with its dot in 9-12), and the list of the music directory that "DX" and
// "DB" step through. Names are kept whole: the fixed layout is only read, never made by
// cutting a longer name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/fixed_array.h"

namespace core {

// The music directory's entries in order, the entry last chosen (1-based, 0 none) and
// whether a list has been loaded.
struct MusicDirectoryRecord {
    std::vector<std::string> names;
    int32_t current = 0;
    bool loaded = false;
};
extern MusicDirectoryRecord MusicDirectoryList;

// "SONG.MUS" followed by blanks becomes "SONG    .MUS" (NUL bytes become blanks first).
void fix_name_extension(FixedText<13>& name);
// The reverse: "SONG    .MUS" becomes "SONG.MUS" followed by blanks.
void pack_8_3_name(FixedText<12>& name);
// A directory entry as a name to load: an entry of at most 12 characters in the fixed layout
// is packed, any other is taken whole, trailing blanks dropped.
std::string dotted_directory_name(std::string_view entry);

}  // namespace core
