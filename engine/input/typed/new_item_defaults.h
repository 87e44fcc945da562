// A new item from its name: the command word ("NOTE RHW", "SLUR3", "METER68", "MF") chooses the
// item code and the defaults of every parameter the user left at zero; the rhythm field of
// notes and rests ("RHQ.", "RHTE", "RH*") becomes note values.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace input {

// ParamBuffer from the defaults of ItemNameTable entry index (1..96) and the letters written
// after the word (CommandHeader, CommandLine, SecondLine). Out: index -1 when the word is no
// item here (the interpreter goes on to its first-letter commands), -99 when the line was
// handled completely ("ENDIF", or a rhythm letter that is not known, refused with the
// unknown-word message), otherwise zero or more: ParamBuffer holds the new item.
// An index outside 1..96 is no item (-1).
void set_new_item_from_letters(int32_t& index);

// The staff a new item goes to: the staff of the item entered or edited last (LastItemNumber,
// used only within 1..ItemCount) unless ParamBuffer P1 is a staff (8.0); otherwise the highest
// staff item's number, one more for a new staff. Always within 1..256.
int32_t find_item_staff_number();

// Reads a rhythm field (eight characters from the "R" of "RH") into ParamBuffer: P1 the note
// value's denominator, P7 the value in quarters, P6 the flag or head kind, P9 flags and dots
// (mode 1.0, notes) or P5 the rest kind and P6 the dots (mode 2.0, rests); IntParamBuffer
// words 1..9 are cleared. status 0 done, -1 the letter is not a note value (P1 is then 0.0).
// A blank letter shows the rhythm palette and sets nothing. The field is left as it came.
void read_rhythm_field(core::FixedText<8>& field, float mode, int32_t& status);

// The "ENDIF name" line of a command file: the command file ends (and the page is redrawn)
// unless the current document's name and the given name share their first two characters
// and differ after them. Blanks CommandLine and SecondLine.
void check_endif_file();

// The bar-line kind (P5) that the letter after "BAR" names, in a new bar's name and in the bar
// words of the editor alike: "D" 1, "H" 2, "L" 3, "R" 4; 0 for any other letter.
float bar_kind_of_letter(char letter);

}  // namespace input
