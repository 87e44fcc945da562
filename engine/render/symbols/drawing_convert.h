// The older drawing layout that the conversions read, and the helpers the Code 11 drawer shares
// with them. The public entries are in drawing_files.h.
//
// Old layout (little-endian): a lead word, 11 int16 start entries (entry k: 0-based offset in
// stream values of drawing k - 1; entry 11: the number of stream values), 10 names of 5
// characters, then the point stream of x, y, pen triples. The conversions read the stream in
// blocks of one filler word and up to 64 values; the Code 11 slot store reads it in one piece.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/render/symbols/drawing_files.h"

namespace render {

// One old drawing file as the conversions read it.
struct OldDrawing {
    std::array<int16_t, kDrawingsPerFile + 1> start{};
    std::array<std::array<char, 5>, kDrawingsPerFile> names{};
    std::vector<int16_t> values;  // the point stream as read (x, y, pen triples)
};

// One library drawing file's contents, ready to be written.
struct LibraryDrawing {
    std::array<int16_t, kDrawingsPerFile + 1> start{};
    std::array<std::string, kDrawingsPerFile> names;  // each up to 24 characters
    std::vector<float> x, y;
    std::vector<int16_t> pen;
};

// Reads the old file at path with filler-word blocks: at most max_values stream values, fewer
// when the file ends first. False when the file cannot be opened or its header is short.
bool read_old_drawing(const std::string& path, int32_t max_values, OldDrawing& out);
// The library drawing of an old one: start entries k >= 2 become old / 3 + 1 (entry 1 is 0),
// names are blank-padded, and (old entry 11 + 1) / 3 points are taken, no more than were read.
LibraryDrawing convert_old_drawing(const OldDrawing& old);
// Writes the library file: a temporary file beside path, then renamed over it, so that an
// existing file stays whole when writing fails. When backup is not empty, an existing file at
// path is first copied there (once the new contents are written). False on failure (no
// temporary is left).
bool write_library_drawing(const std::string& path, const LibraryDrawing& drawing,
                           const std::string& backup);

// Where an old drawing file named name (as typed or stored, with ".DRW") is found: the name
// itself (a relative name in the current folder), then its last component in the program
// folder's "keldlib" folder. "" when neither exists.
std::string find_old_drawing_file(const std::string& name);
// Reads an old drawing file whole for the Code 11 slot store (no filler words): the lead word
// and start table, the names, then start entry 11 - 1 values (fewer when the file ends).
bool read_old_drawing_slots(const std::string& path, std::array<int16_t, 12>& header,
                            std::array<char, 50>& names, std::vector<int16_t>& values);

// Forgets the Convert Code 11 stop flag and a pending old-file conversion.
void reset_drawing_conversions();
// Number of files in the Code 11 slot store (for tests).
int32_t code11_slot_file_count();

}  // namespace render
