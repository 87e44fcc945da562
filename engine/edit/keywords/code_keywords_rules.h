// Shared pieces of the per-code editing vocabularies (code_keywords_*.cpp): reading the word and
// the edited item, the rules several codes use, digit cycling and the bad-word report.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/tables.h"
#include "engine/edit/keywords/code_keywords.h"
#include "engine/edit/tables.h"

namespace edit::keywords {

inline float e(int k) { return core::EditItemParams(k); }
inline float& slot(int k) { return EditScratch(k); }
// Character i of the word as scanned (suffix letters and signs stay in CommandLine).
inline char letter(int i) { return core::CommandLine(i); }
// Character i of the line as typed (digits and signs the scanner turned into number fields).
inline char typed(int i) { return core::SecondLine(i); }
// The first number of the line, 0.0 when none was typed.
inline float number() { return core::ParamBuffer(2); }

// True when the word begins with w (a 3-character comparison ignores the 4th character).
bool begins(std::string_view w);
// True when the word's first w.size() characters are w exactly (blanks count: "BOX ").
inline bool word_is(std::string_view w) { return begins(w); }
// "+" or "P" in character i.
bool up_suffix(int i);
// "-" or "M" in character i.
bool down_suffix(int i);

// Reports text as an unknown word (first command-mode letter 9999) and returns Reported.
KeywordOutcome report_bad_word(std::string_view text);
// The word's first n characters, up to its first blank.
std::string_view word_text(int n);
// Blanks the word (its characters up to the first blank, at most five).
void blank_word();

// Digit cycling: the digit at decimal place `place` (0 units) of INT(value) steps by dir (+1 or
// -1) and wraps within lo..hi; the other digits, the sign and the fraction stay.
float cycle_digit(float value, int place, int lo, int hi, int dir = 1);
// The digit at decimal place `place` of |INT(value)|.
int digit_of(float value, int place);
// value with the digit at `place` of its whole part replaced by d (sign and fraction kept).
float with_digit(float value, int place, int d);

// Offset: any word beginning "OF" (S15, or the slot given, by +0.5 or -0.5).
bool apply_offset_rule(int k = 15);
// "NOF": no offset.
bool apply_no_offset_rule(int k = 15);
// "ROT", "ROT+", "ROT-" on parameter k.
bool apply_rotation_rule(int k);
// The Size rule on P6 (and P7 in proportion when with_ratio and E7 is not 0.0).
bool apply_size_rule(bool with_ratio);
// The Size rule's step by its letter: '+' or 'P' a tenth up, '*' back to the default size (0),
// any other a tenth down.
void step_size(bool with_ratio, char step);

// The vocabularies, one per family of codes.
KeywordOutcome apply_note_line_keywords(int32_t code);  // codes 1..6
KeywordOutcome apply_mark_keywords();                   // code 7
KeywordOutcome apply_staff_keywords();                  // code 8
KeywordOutcome apply_symbol_keywords();                 // code 9
KeywordOutcome apply_number_keywords();                 // code 10
KeywordOutcome apply_box_keywords();                    // code 12
KeywordOutcome apply_bar_keywords();                    // code 14
KeywordOutcome apply_graphic_keywords();                // code 15
KeywordOutcome apply_text_keywords();                   // code 16
KeywordOutcome apply_key_keywords();                    // code 17
KeywordOutcome apply_meter_keywords();                  // code 18

// True when some slot 1..33 holds a value.
bool any_slot_given();

}  // namespace edit::keywords
