// Item words of notes, rests and clefs: the words the keyword decoder does not know itself while
// a note (code 1), rest (2) or clef (3) is edited. Each computes new values from the edited
// item's current ones (EditItemParams) into EditScratch and applies them at once.
#pragma once

namespace edit {

// Runs the note, rest or clef word at the start of CommandLine on the edited item. Reads
// CommandLine (the word in characters 1..5), SecondLine (the line as typed), EditItemParams and
// the typed number ParamBuffer P2; writes EditScratch and, when a rule applies, packs the pair
// list and applies it (apply_edit_line), raising AfterKeywordFlag and setting the first
// command-mode letter to -1. A word that does not fit the item leaves ParamBuffer P1 = 1.0 and
// P2 = the item's code and applies nothing; a word no rule knows changes nothing and gives
// false.
bool apply_note_rest_clef_word();

// Respells the edited note one step up or down (EnharmonicDirection, 0: by its accidental),
// keeping its pitch, from the clef that governs it on its staff. Writes EditScratch slots 4 and
// 5, or 999.0 into slot 1 when the accidental cannot be respelled that way (nothing written
// else). Reads ItemStore for the clef.
void respell_enharmonic();

// Gives the notes of the edited note's chord the rhythm typed (ParamBuffer P2), or the edited
// note's own when none was typed: all of them when the chord is stemless or has its stem
// direction unset, else those on the stem's side of the edited note. Writes the notes' P7 in
// ItemStore (growing a shorter note to 7 parameters; a note the store has no room for stays
// as it is), E7, CommandLine, and reports the result in a message.
void set_chord_rhythms();

}  // namespace edit
