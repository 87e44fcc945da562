// Item store primitives: fetch, rebuild, resize, delete, move and clear, the real remainder, the
// SaveStack, the block and text utilities and the numeric field writers shared by all engine code.
// Tables: ItemStore, ItemStartTable, ItemCount, ItemWordsUsed, ItemCursor, DeletedItem*,
// ItemOutputSpans and the output lists (delete_item cuts an item's output out of them).
#pragma once

#include <cstdint>
#include <vector>
#include <string_view>

#include "engine/core/tables.h"

namespace core {

// Fills ItemCursor from the record of item ItemCursor.number (1..ItemCount; checked access).
void fetch_current_item();
// Rebuilds ItemStartTable, ItemCount and ItemWordsUsed from the count words.
void rebuild_item_start_table();
// Whether the start table already describes the store (see the rebuild) and no item has a code
// (P1) of 0 or of 19 and up: what a redraw would leave of the store. False for an empty store.
bool item_store_settled();
// The same rebuild, START(1) = 1, then words 1..ItemWordsUsed copied to ItemStoreScratch.
void rebuild_item_start_table_and_copy();
// Gives item k new_n parameters (new ones are zeros at the end; a shrink drops the last).
// Refuses (returns false, store untouched) when the store would overflow its capacity.
bool resize_item(int32_t k, float new_n);
// Gives every listed item (item numbers in any order) that has fewer than n parameters n of
// them, the new ones zeros, in one pass over the store. Refuses (returns false, store
// untouched) when the store would overflow its capacity.
bool grow_items_to(std::vector<int32_t> items, int32_t n);
// Removes item i, its output spans and its output; the record goes to DeletedItemRecord.
void delete_item(int32_t i);
// Moves item INT(P(2)) to position INT(P(3)) and rebuilds the start table. Returns whether the
// item moved; the caller redraws the page when it needs to.
bool move_item_to_position();
// Empties the store; the document's other state (staff tables, output lists) is the caller's.
void clear_item_store();
// The store as it was before a command that may have to change nothing after all (a growth
// that does not fit, a dialog cancelled before its first step): restore() puts it back whole.
struct StoreSnapshot {
    std::vector<float> words;
    int32_t count = 0;
    void take();
    void restore() const;
};
// Real remainder a - INT(a / b) * b, sign of a; b = 0 returns a.
float compute_real_mod(float a, float b);

// SaveStack: push n 32-bit words of block; pop the top n back (in the order they were pushed).
// An overflow or a pop below zero is a defect (the command ends with a message).
void push_words(int32_t n, const void* block);
void pop_words(int32_t n, void* block);

// Writes value into text(i:j) with a format such as "(1i3)" or "(1f7.2)"; the rest of the
// substring is blank; too wide fills the width with asterisks.
template <int N>
void write_int_field(FixedText<N>& text, int i, int j, std::string_view format, int32_t value);
template <int N>
void write_real_field(FixedText<N>& text, int i, int j, std::string_view format, float value);

// ---- block and text utilities (n < 1 does nothing) ----
void copy_words(const float* src, float* dst, int32_t n);
void copy_ints(const int32_t* src, int32_t* dst, int32_t n);
void copy_bytes(const char* src, char* dst, int32_t n);
void copy_bytes_plain(const unsigned char* src, unsigned char* dst, int32_t n);
void zero_ints(int32_t* a, int32_t n);
void zero_reals(float* a, int32_t n);
void blank_line160(FixedText<160>& text);
void swap_reals(float& a, float& b);
void swap_ints(int32_t& a, int32_t& b);
void upper_case_char(char& c);
void upper_case_chars(char* text, int32_t n);
// Position of the last character whose code is above 32 (128..255 count); 0 when blank.
int32_t find_line_length(const FixedText<512>& line);
// n = find_line_length; upper-cases 1..n; c1, c2 = codes of characters 1 and 2.
void upper_case_key_letters(FixedText<512>& line, int32_t& n, int32_t& c1, int32_t& c2);
// On CommandLine: n = last character whose code read as a signed byte is above 32 (so 128..255
// count as blank); upper-cases 1..n; CommandModeLetters = codes of characters 1 and 2.
void upper_case_command_line(int32_t& n);
// Length without trailing blanks.
int32_t find_trimmed_length(std::string_view text);
// From position n backwards: codes below 32 or above 125 become blanks; after the first code
// 33..125 a NUL is written (when there is room: never past the field) and m is its position;
// with none, m = n and nothing is terminated.
template <int N>
void c_string(FixedText<N>& text, int32_t n, int32_t& m);
// Turns a NUL-terminated folder answer into a blank-padded folder path ending in a separator.
void path_with_backslash(FixedText<128>& text, int32_t& n);

}  // namespace core

#include "engine/core/store/item_store_inl.h"
