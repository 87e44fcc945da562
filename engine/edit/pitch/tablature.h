// Tablature from a source staff ("TAB source strings target", "TA" words): the notes of the
// source staff become tablature notes on the target staff, each on a string with a fret.
//
// Tables: ParamBuffer, IntParamBuffer, MessageLine, the item store (core); StaffPitchContext
// (pitch context); TablatureSetupBlock, NotePitchList (here).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/fixed_array.h"

namespace edit {

// The Tablature setup dialog's block, kept between uses: word w at index w + 1 (0 source staff,
// 1 strings, 2 tab staff, 3 clef flag, 4 rhythm flag, 5-10 string adjustments, 19 whiteout).
extern core::Array1<int32_t, 20> TablatureSetupBlock;

// The most notes a source staff may hold; a fuller staff is refused with a message.
constexpr int32_t kMaxTablatureNotes = 200;

// The sounding pitch of one note of the source staff (60 = the C one ledger line below a treble
// staff; 0 for a note tied from an earlier one, which is not struck again).
struct NotePitchRecord {
    int32_t item = 0;   // item number of the note
    int32_t pitch = 0;  // 0 = tied continuation
    float onset = 0.0f;
    float end = 0.0f;
    float position = 0.0f;   // P3
    int32_t tied_from = 0;   // item number of the note it continues, 0 when struck
    int32_t level = 0;       // the context record's level
    int32_t clef = 0;        // clef kind in force
    int32_t accidental = 0;  // the context record's own alteration (3 natural, 0 none)
};
extern std::vector<NotePitchRecord> NotePitchList;

// Runs one tablature command: the typed form (P2 source staff, P3 strings, P4 tab staff, P5-P10
// string adjustments, P11 rhythm line, P12 no tab clef, P13 whiteout) when P2 is not 0, else the
// "Tablature setup." dialog. Appends the tab staff's items, one undo copy first; refuses with a
// message a tab staff that holds items, a source staff of more than kMaxTablatureNotes notes
// and string adjustments that cannot be stored.
void make_tablature();

// Fills NotePitchList from the note records of StaffPitchContext: key, bar, explicit accidentals
// and ties give each note its sounding pitch. Every run starts clean (time 0, no pending tie).
void compute_note_pitches();

// Loads the tab note whose record starts at word `start` into ParamBuffer (P1..P24 cleared,
// P4..Pn copied) and its integer copy, and runs the tablature-number routine in its computing
// mode: the string comes back in IntParamBuffer(8), the fret in IntParamBuffer(9). A start word
// outside the store leaves both 0.
void compute_tab_note_fret(int32_t start);

// After the pitches of the tab notes of staff from left to right changed (a transposition),
// places again, as make_tablature does, every chord whose strings no longer take each of its
// notes on a string of its own not tuned above it; other chords keep their strings. A note
// left without a string is taken off the store. Returns the positions of the chords that
// cannot be fingered. The store must be sorted by staff and position.
std::vector<float> resettle_tab_chords(int32_t staff, float left, float right);

// Names the chords at positions in MessageLine ("**** impossible chord **** P3 =" and each
// position, as many as the line holds, " ..." after them when more were found); nothing when
// there are none.
void report_impossible_chords(const std::vector<float>& positions);

// Puts TablatureSetupBlock and NotePitchList back to their start-up values.
void reset_tablature_tables();

}  // namespace edit
