// The key words a key wait leaves for the live input routines: the key's code and its key-down
// word (1000 + the key's code read as a signed byte), and the named keys they test.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace core {

// Key codes (InputKeyWord).
constexpr int32_t kKeyBackspace = 8;
constexpr int32_t kKeyEnter = 13;
constexpr int32_t kKeyCtrlQ = 17;
constexpr int32_t kKeyEscape = 27;
// Key-down words (EngineKeyWord).
constexpr int32_t kKeyDownHome = 1036;
constexpr int32_t kKeyDownLeft = 1037;
constexpr int32_t kKeyDownUp = 1038;
constexpr int32_t kKeyDownRight = 1039;
constexpr int32_t kKeyDownDown = 1040;
constexpr int32_t kKeyDownEnd = 1035;
constexpr int32_t kKeyDownDelete = 1046;
constexpr int32_t kKeyDownMinus = 933;  // the main keyboard's minus key (189 = -67)
constexpr int32_t kKeyDownF2 = 1113;
constexpr int32_t kKeyDownF12 = 1123;
// The key-down word of function key Fn (2..12).
constexpr int32_t key_down_word_for_function_key(int n) { return kKeyDownF2 + n - 2; }

// The key-down word of a key given by its code (0..255): 1000 + the code as a signed byte.
int32_t key_down_word_for_code(int32_t code);
// The key-down word of the key that types character c on a US keyboard: letters and digits
// give their own code, the punctuation keys their key codes ("-" 933, ";" 930, "/" 935...).
// A character no key types alone gives 0.
int32_t key_down_word_for_character(char c);
// A key sent as a command text: "~~" and three digits (the key's code, 0..255), nothing after
// them. Returns the code, or -1 when text is no such token.
int32_t key_token_code(const FixedText<512>& text);

}  // namespace core
