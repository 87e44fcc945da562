// Numbered library symbols: the drawer of Code 9 and Code 13 items and the shape painter behind
// every glyph of the other drawers. A symbol number selects one of three sources: a vector
// drawing of a library drawing file (kept in SymbolCache once read), a built-in word drawn as
// text (21 numbers, not on the pass that loads metrics), or a line of "CODE9.DAT" drawn as text
// (3000..3099). Also the two path operations other drawers share: rotating and thickening the
// points just drawn.
//
// Tables: SymbolCache, TextSymbolPool (here); LibraryDrawingBuffers (drawing_files.h);
// PathPointList, OutputPassWord, ItemDrawOrigin (render); ParamBuffer, IntParamBuffer,
// CommandLine, CommandModeLetters, EditItemParams, SymbolDataPath, SymbolDataLoaded (core);
// StaffTables (layout).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace render {

// ---- the symbol cache (symbol_cache.cpp) ----

constexpr int kCachedSymbols = 100;
constexpr int kCachePoints = 10000;

// The points of up to 100 drawings, so that a library file is read only on a miss. Entry k
// holds points start(k) .. start(k + 1) - 1; start(count + 1) is the next free point. Lives
// until the engine is reset or the Preferences dialog is accepted (the library folder may have
// changed); nothing invalidates it when a file changes on disk.
struct SymbolCacheRecord {
    core::Array1<int32_t, kCachedSymbols> number;
    core::Array1<int32_t, kCachedSymbols + 1> start;
    core::Array1<float, kCachePoints> x;
    core::Array1<float, kCachePoints> y;
    core::Array1<int16_t, kCachePoints> pen;
    int32_t count = 0;
};
extern SymbolCacheRecord SymbolCache;

// Contract: puts the points of symbol `number` at the front of LibraryDrawingBuffers and returns
// their count, or -1 when its library file could not be read (the reader has reported it). A
// miss reads the file and caches the drawing: as the next entry when there is room, else in an
// emptied cache as entry 1; a drawing larger than the whole cache is drawn without caching.
// A drawing whose start entries lie outside the points the file holds has no points.
int32_t fetch_symbol_drawing(int32_t number);

// Empties SymbolCache, so that every symbol is read from its library file again.
void clear_symbol_cache();

// The measured ink of a library drawing, in the units that draw_library_symbol multiplies by
// staff scale x size (the drawings from 50 on already at their 0.3), about its origin.
struct SymbolInk {
    float left = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
    float top = 0.0f;
};

// Contract: the ink box of drawing `number` from its points (read through the cache); false,
// ink left as it was, when the number has no drawing with points.
bool measure_symbol_ink(int32_t number, SymbolInk& ink);

// ---- the word symbols (word_symbols.cpp) ----

// The built-in word of a symbol number: its table entry (1..21, 0 when the number has none)
// and its text.
int32_t find_word_symbol(int32_t number);
std::string_view word_symbol_text(int32_t entry);

constexpr int kTextSymbolEntries = 69;
constexpr int kTextSymbolChars = 699;

// The texts of "CODE9.DAT": entry k (symbol 2999 + k) is chars(start(k) .. start(k + 1) - 1).
// Filled once, on the first use of a number 3000..3099 (core::SymbolDataLoaded then 1).
struct TextSymbolPoolRecord {
    core::FixedText<kTextSymbolChars> chars;
    core::Array1<int32_t, kTextSymbolEntries + 1> start;
    int32_t count = 0;
};
extern TextSymbolPoolRecord TextSymbolPool;

// Contract: reads "CODE9.DAT" (SymbolDataPath) into TextSymbolPool unless it has been read.
// Lines beginning with "%" or a blank are skipped; every other line is the next entry, its
// text being characters 6 to the last non-blank of its first 160. Reading stops at the end of
// the file, at a read error or at the first entry that does not fit whole. A file that cannot
// be opened leaves the pool unread (the next use tries again) and returns false.
bool load_text_symbols();

// The text of symbol 3000..3099 (empty when it has no entry or the file is missing).
std::string_view text_symbol_text(int32_t number);

// Contract: the word path of a built-in word symbol (entry 1..21) and the text path of
// 3000..3099: sets ParamBuffer for the text drawer, puts the text into CommandLine and draws it
// through the text drawer at ItemDrawOrigin (the word "G.P. " first moves ItemDrawOrigin).
// The caller keeps P5..P16.
void draw_word_symbol(int32_t entry, int32_t number, float size_x, float size_y);
void draw_text_symbol(int32_t number, float size_x, float size_y);

// ---- drawing (symbols.cpp) ----

// Contract: draws symbol `number` with its origin at (x, y): a vector drawing into
// PathPointList at size_x by size_y times the current staff's scale, or a word or text line
// through the text drawer. thickening (vertical copies x 100 + horizontal copies) thickens the
// strokes; rotate_flag not 0 turns the drawing by angle degrees about (x, y). Reads P1, P2,
// P3, P9, P10, P11, P12, P14, P16, P17, P26 of the current item, OutputPassWord and the first
// command-mode letter; leaves P5..P16 as it found them. A negative number draws symbol 0; a
// number without a readable library file draws nothing (the reader reports it).
void draw_library_symbol(float x, float y, int32_t number, float size_x, float size_y,
                         int32_t thickening, float angle, int32_t rotate_flag);

// Contract: draws one drawing straight from its file, without the cache, the staff scale and
// the 0.3 factor: each point (x + size_x * X, y + size_y * Y), negative pens as 0, turned by
// angle degrees when rotate_flag is not 0. In the repeated-glyph loop (command-mode letter
// 22222) a drawing of more than 33 points loses its last 11. number_copy and width_index are
// the caller's and not used here. Used on the pass that defines PostScript symbol procedures.
void draw_symbol_unscaled(int32_t number, int32_t number_copy, int32_t width_index, float size_x,
                          float size_y, float x, float y, int32_t rotate_flag, float angle);

// ---- path operations (path_transform.cpp) ----

// Contract: rotates PathPointList entries first .. count - 1 about (INT(cx), INT(cy)) by angle
// degrees (first 0 or below: by -angle radians, from entry -first, at least entry 1); a Code 16
// item turns about (P3 x 150, ItemDrawOrigin y). Line-width entries (OP 99) are left alone.
void rotate_path_points(int32_t first, float cx, float cy, float angle);

// Contract: thickens the entries first .. count - 1 of PathPointList. code > 0: code / 100
// copies shifted in y by +14, -14, +28, -28, ... display units, then code mod 100 copies
// shifted in x the same way (an x below -192,600 is copied unshifted); both counts doubled when
// OutputPassWord is not 0. code <= 0: off the metrics pass, pens above 1 become 1. Copies that
// do not fit in the list are dropped.
void thicken_path(int32_t code, int32_t first);

// ---- wiring ----

// The Code 9 / Code 13 drawer: draw_library_symbol at ItemDrawOrigin with IP5, P6, P7, IP8, P9,
// IP9.
void draw_library_item();

// Empties SymbolCache and TextSymbolPool (a clean engine).
void reset_symbol_tables();

// Registers the drawers of codes 3, 7, 9 and 13 with the item dispatcher, fills the cache hook
// of the Preferences command (core::PreferencesHooks.clear_symbol_cache) and empties
// SymbolCache, TextSymbolPool and GlyphOutlineTable (a clean engine).
void register_symbol_drawers();

}  // namespace render
