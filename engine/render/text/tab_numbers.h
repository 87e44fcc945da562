// Tablature numbers: the string and fret of a note of a tablature staff, drawn as a number on
// its string line (or only computed, for the tablature command).
//
// A tab note is a note item whose P6 holds a tuning code -(10 x kind + strings): kind 0 treble,
// 1 bass (2 alto, 3 tenor: computing mode only), 8 / 9 / 15 notes under an 8va / 8vb / 15ma
// line, 4 and above string and fret given by hand in P8 and P9; P6 exactly -5 is the banjo.
//
// Tables: ParamBuffer, IntParamBuffer, EditItemParams, EditedItemNumber (core); StaffTables
// (layout); ItemDrawOrigin, PathPointList, OutputPassWord, DrawColourWord, RenderHooks
// (render).
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/fixed_array.h"

namespace render {

// The tuning table has eight places: strings beyond eight are never tuned.
constexpr int32_t kTabStringPlaces = 8;
using TabOpenStrings = core::Array1<int32_t, kTabStringPlaces>;

// Works on the note in ParamBuffer and its integer copy; IntParamBuffer word 10 = 999 only
// computes. The string comes back in IntParamBuffer word 8 (the first string the pitch fits,
// not a requested one), the fret on the string chosen in word 9. The caller's P1..P19 (of
// ParamBuffer and EditItemParams) are unchanged. A string count above eight is tuned as eight,
// a requested string beyond the count is held to it; a fret above 99 or below -1 (or a letter
// code past Z / z) is drawn as "?".
void draw_tab_fret_numbers();

// Whether a note whose P6 truncates to p6 is a tab note: -4 or less and not in -39..-20 (the
// note drawer hands such a note to draw_tab_fret_numbers instead of drawing a head).
bool is_tab_tuning_code(int32_t p6);

// The clef kind whose step offset reads the written level of a tab note with tuning code p6: 1
// for bass, 2 alto, 3 tenor, 0 for every other kind (the octave kinds 8, 9 and 15 move the level
// by whole octaves, which keeps its letter).
int32_t tab_written_clef(int32_t p6);

// The level and kind a tab note's P4 and tuning code p6 are read with: P4 modulo 100, and the
// octave kinds 8, 9 and 15 moved by 7, -7 and 14 levels and read as kind 0.
void read_tab_level(int32_t p4, int32_t p6, int32_t& level, int32_t& kind);

// The written pitch of a tab note from its P4, tuning code and P5 (truncated), as its fret is
// worked out.
int32_t tab_note_pitch(int32_t p4, int32_t p6, int32_t p5);

// The written pitch (60 = the C one ledger line below a treble staff) of level with the clef
// step offset of kind (0 treble, 1 bass, 2 alto, 3 tenor; others as treble) and the
// accidental digit (units digit of P5; 0..9).
int32_t compute_tab_pitch(int32_t level, int32_t kind, int32_t accidental_digit);

// The open strings of a staff of `strings` strings (held to 1..8) of kind (1 = bass, before
// its shift of -12; every other kind as treble): strings beyond the count are 0.
void set_string_tuning(int32_t strings, int32_t kind, TabOpenStrings& open);

// The text a fret shows: "X" for -1, the digits for 0..99, a letter for 1001.. (A..Z) and
// 2001.. (a..z), "?" for anything else; in parentheses when asked ("(Tie)" for 99).
std::string tab_fret_text(int32_t fret, bool parentheses);

// The near-white patch behind the number of the note being drawn: `level` is the text's
// level, `text` what it shows. ParamBuffer, IntParamBuffer and ItemDrawOrigin come back as
// they were.
void draw_tab_number_whiteout(float level, const std::string& text);

}  // namespace render
