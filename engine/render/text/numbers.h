// Numbers: code 10 items and the numbers and letters other drawers show (tuplet figures,
// fingerings, octave figures, meter digits, rest counts, staff numbers), turned into a short
// text and drawn through the text drawer, with an optional circle or box around it.
//
// Tables: ParamBuffer, IntParamBuffer, EditItemParams (core, saved and restored); StaffTables
// (layout); ItemDrawOrigin, OutputPassWord, CurrentFontNumber, TextDrawState (render).
#pragma once

#include <cstdint>
#include <string>

namespace render {

// Contract: the text of value k with the parameters in ParamBuffer: a negative P5 (or k) shows
// a minus sign; the fraction of |P5| beyond k gives up to three decimals (trailing zeros
// dropped, a leading "0" dropped); k of 1001..1026 is "A".."Z" and 2001..2026 "a".."z" (P18
// adding a number or one or two letters); up to 1000, a |P18| of 1000 or more is shown instead
// of k; P17 1..26 or 101..126 adds a letter. The text is built in a buffer of its own.
std::string number_text(int32_t k);

// Contract: draws number_text(k) through the text drawer at ItemDrawOrigin (P13 steps higher
// for a code 10 item): the font from IntParamBuffer 7 (0..10 a table, 11 as 10, 12..89 as 0,
// 90 and above the font number itself), the size P6 (its remainder by 100; 0 = 1.0), P20 as
// the stretch, P19 as the angle, P26 as the colour (not for the music font); with P8 1 a
// circle or 2 a box around it (drawn by the code 12 drawer), the text then drawn again on
// top. ParamBuffer, IntParamBuffer, EditItemParams and CurrentFontNumber come back as they
// were; CommandLine and SecondLine are not touched.
void draw_number_item(int32_t k);

}  // namespace render
