// Library drawing files: the vector drawings behind numbered symbols. One file "lbNNN0.drw"
// holds the ten drawings of the symbol numbers NNN0..NNN9 (symbol 457 is drawing 7 of
// lb0450.drw). Here: the reader the symbol drawer uses, the conversions of older drawing files
// into library files (the old-file command and Convert Code 11), and the Code 11 item drawer.
//
// File layout (little-endian, no record marks): 11 int16 start entries (entry k = 1-based first
// point of drawing k - 1, entry 11 = points + 1), 10 names of 24 blank-padded characters, then
// n float X, n float Y and n int16 pens (n = entry 11 - 1). Pens are add_path_point's
// operations; negative pens read as 0.
//
// Folders: files are read from LibraryFolder (core::settings_tables.h), names matched without
// regard to case. Files the conversions write go to library_write_folder() (below); when that
// folder is not LibraryFolder itself, the reader looks there first.
//
// Tables: LibraryDrawingBuffers (written by read_library_drawing, read by the symbol drawer);
// ParamBuffer, ItemStore, MessageLine, FrontEndCommandBuffer, PendingBoxOperation (core).
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/fixed_array.h"

namespace render {

constexpr int kLibraryDrawingPoints = 80000;
constexpr int kDrawingsPerFile = 10;
constexpr int kDrawingNameLength = 24;

// The points of the last file read (read_library_drawing) or of the drawing the symbol cache
// copied to their front. Pens are stored as read; negative pens have been made 0.
struct LibraryDrawingBuffersRecord {
    core::Array1<float, kLibraryDrawingPoints> x;
    core::Array1<float, kLibraryDrawingPoints> y;
    core::Array1<int16_t, kLibraryDrawingPoints> pen;
};
extern LibraryDrawingBuffersRecord LibraryDrawingBuffers;

// Start table and names of one file, as read_library_drawing returns them: drawing d (0..9)
// runs from start(d + 1) to start(d + 2) - 1; start(1) is always 1 after a good read.
using DrawingStartTable = core::Array1<int16_t, kDrawingsPerFile + 1>;
using DrawingNames = core::Array1<core::FixedText<kDrawingNameLength>, kDrawingsPerFile>;

// Contract: reads library file number file_number (symbol number / 10, 0..999) into start,
// names and LibraryDrawingBuffers. Returns true on a good read (start(1) then 1). Otherwise it
// reports and returns false, start and names then all 0 and blank: a file found but short or
// with a point count beyond the buffers gets core::kDamagedFileMessage and its local path; a
// missing file (or a file number out of range) the "Changed to clef." notice for code 1 and 9
// items, "File not found --> " otherwise. The notice and the damage are told once per file
// until the engine is reset or the library folder changes; "File not found" once per file in
// each word (core::words_begun), however often the word redraws the page.
bool read_library_drawing(int32_t file_number, DrawingStartTable& start, DrawingNames& names);

// The file name the reader uses for file_number: "lb" + three digits + "0.drw".
std::string library_file_name(int32_t file_number);
// The local path the reader would open for file_number ("" when no such file exists).
std::string find_library_file(int32_t file_number);

// The folder conversions write library files into (local path, no trailing separator): the
// library folder itself when it lies outside the data folder; otherwise the user's library
// folder "mxlib" in the work folder, which the reader searches first. Empty when none.
std::string library_write_folder();

// The conversions' file name for a typed symbol number: "LB" + four digits with the last made
// 0 + ".DRW" (5123 gives "LB5120.DRW"). Only 5000..9989 may be written; other numbers give "".
std::string conversion_file_name(int32_t symbol_number);

// The Convert Code 11 step for the Code 11 item item_number, whose parameters the caller has put
// in ParamBuffer: asks for a symbol number 5000..9989, converts the item's old drawing file into
// the library file of that number and turns every matching Code 11 item of the store (items 1
// to ItemCount, which must hold the store's true count) into a Code 9 item. True when the
// operation goes on to its next Code 11 item; false once it ends (the check box "Don't show
// this message again." ticked, now or before, or a dialog left without an answer: result 0).
bool convert_drawing_to_library_symbol(int32_t item_number);

// The old-file conversion command: a three-step exchange on PendingBoxOperation 0, 40, 41 with
// the answer in MessageLine.
void edit_library_drawing();

// Draws the Code 11 item at (x, y): finds the old drawing file its P14..P19 name (in the
// current folder, then in the program folder's "keldlib"), loads it into the slot store and
// outputs no point of it (only the width entry and break on a PostScript pass with a width).
// An item without a packed name is named by its drawing number P6: "LB" + the four digits of
// 0..9999 with the last made 0 + ".DRW"; another number (negative, above 9999, NaN) is told
// once per redraw on the message line as "*** Drawing number out of range: " and the number,
// and no file is looked for. A file found nowhere is reported with "File not found --> " once
// per word.
void draw_drw_file_item(float x, float y);

// Registers the Code 11 drawer with the item dispatcher and forgets the reader's notice switch
// and the files it has reported, the Convert Code 11 stop flag and the Code 11 slot store (a
// clean engine).
void register_drawing_file_drawers();

}  // namespace render
