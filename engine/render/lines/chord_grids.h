// The guitar chord grid of code 12 (IP5 below 0) and its chord name.
//
// Tables: see chord_grids.cpp.
#pragma once

#include <cstdint>
#include <string>

namespace render {

// Sets the routine that reads the guitar chord tables; the grid calls it the first time it
// looks a chord up while the tables are not loaded. nullptr: the tables are used as they are.
void set_guitar_chord_loader(void (*loader)());

// The chord name as text with font escapes ("_00", the root letter, "?1"/"?2", the type, the
// extension, the addition and the bass); empty when root_code names no root letter (its tens
// digit 1..7 = C..B, units 1 flat, 2 sharp).
std::string guitar_chord_name(int32_t root_code, int32_t type, int32_t extension, int32_t addition,
                              int32_t bass);

// Contract: draws the grid set up in ParamBuffer at ItemDrawOrigin into PathPointList and the
// text output; ParamBuffer, IntParamBuffer and EditItemParams come back as they were, and
// CommandLine is not touched. Out-of-range roots, types and variants fall back to their first
// value; string and fret counts out of range to six strings and five frets.
void draw_code12_negative();

}  // namespace render
