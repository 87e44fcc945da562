// What the parameters of a stored item hold: numbers, or characters packed four to a word (a
// text's characters, an old drawing's file name, an EPS file's name). Characters may hold any
// bit pattern; numbers are finite, and the staff is one of 0..256.
#pragma once

#include <cstdint>

namespace core {

// The highest staff number; staff 0 holds the page's own items (frames, lines over the page).
constexpr int32_t kHighestStaff = 256;

// True when v is a staff number: 0 to kHighestStaff, fractions taken as their staff.
bool is_staff_number(float v);

// True when the record's parameters p[0..n-1] (P1..Pn) hold numbers as the store keeps them:
// every parameter that holds no characters is finite, and P2 (when there is one) is a staff
// number. Characters are a text item's (code 16) from P14 on, or from P17 on when P14 is -1
// (the coloured header's marker, P15 and colour P16 are numbers); an old drawing's (code 11)
// file name in P14..P19; an EPS item's (code 15) file name in P14..P45. A record that fails is
// damaged: its values were never typed or computed here.
bool record_numbers_sound(const float* p, int32_t n);

}  // namespace core
