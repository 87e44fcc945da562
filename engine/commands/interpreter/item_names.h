// The word tables of the dispatch: the 96 item names and the two tables of C words, whose
// 1-based index is what the new-item routine and the area driver receive.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace core {

constexpr int kItemNames = 96;
constexpr int kCWords = 16;
constexpr int kEditCWords = 7;
// The index the area driver receives for "CV" and "CON".
constexpr int32_t kConvertCWordIndex = 97;

// Three characters each, compared with the first three characters of the command word.
// Entries 16, 48, 49, 50 and 51 repeat earlier names and are never selected; they keep their
// places so that the indexes of the others stay as they are.
extern const Array1<FixedText<3>, kItemNames> ItemNameTable;
// C words of the area driver; entries 10 and 11 are not used (blank, never matched).
extern const Array1<FixedText<3>, kCWords> CWordTable;
// C words while an item is being edited.
extern const Array1<FixedText<3>, kEditCWords> EditCWordTable;

// Index (1..96) of the first item name equal to word3, the first three characters of the word
// field; entry 2 ("RES") counts only when fourth, the fourth character of the line, is "T".
// 0 when none matches.
int32_t find_item_name(std::string_view word3, char fourth);
// Index of word3 in the C-word table (or the edit-mode table), 0 when none matches.
int32_t find_c_word(std::string_view word3);
int32_t find_edit_c_word(std::string_view word3);

}  // namespace core
