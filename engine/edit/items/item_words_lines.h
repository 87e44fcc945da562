// Item words of lines, slurs and beams: the words the keyword decoder does not know itself while
// a line (code 4), slur (5) or beam (6) is edited, and some words of other codes it sends here.
#pragma once

#include <array>
#include <string_view>

namespace edit {

// The first two letters of the words of an edited beam and of an edited line, in the order
// their rules are tried.
inline constexpr std::array<std::string_view, 14> kBeamWordPrefixes = {
    "AD", "AU", "BE", "SP", "CU", "LO", "RO", "BN", "PB", "TR", "NL", "NU", "FL", "TH"};
inline constexpr std::array<std::string_view, 23> kLineWordPrefixes = {
    "AR", "CR", "DC", "DT", "DS", "HO", "LI", "LB", "LA", "LO", "LR", "RO",
    "RB", "RA", "SA", "SP", "TH", "VI", "VE", "WI", "DO", "DA", "XO"};

// Turns the word at the start of CommandLine into new values of the edited item, computed from
// EditItemParams and the typed number ParamBuffer P2, and leaves them as the pair list in
// ParamBuffer for the decoder to apply. Reads CommandLine (characters 1..10) and SecondLine;
// writes EditScratch, ParamBuffer, AfterKeywordFlag and the first command-mode letter (0 after
// a slur word, -99 after the beam words that rebuild the beam). A few words act at once: the
// beam words "AD", "AU" and "SP" fit stems or rebuild the beam (an item the rebuild appends is
// removed again), "CR", "CN" and "CV" fit a slur's ends. A word that does not fit the item
// leaves ParamBuffer P1 = 1.0 and P2 = the item's code; a word no rule knows changes nothing.
void apply_line_slur_beam_word();

}  // namespace edit
