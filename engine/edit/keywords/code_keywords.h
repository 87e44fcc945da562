// The editing keywords of each item code, tried by the keyword decoder after its own words: the
// new values go into EditScratch (slot k = the new Pk), which the decoder packs.
#pragma once

#include <array>
#include <cstdint>

namespace edit {

// How the decoder goes on after a vocabulary routine.
enum class KeywordOutcome {
    Pack,             // values are in EditScratch: pack them and raise EditChangesPending
    PackWithoutFlag,  // pack them, leaving EditChangesPending as it is
    Done,             // the word did all it does (a palette, a message, its own pair list)
    BadWord,          // no word of this vocabulary: the decoder reports it
    Reported,         // the vocabulary reported the word as unknown itself (its own text and
                      // length, first command-mode letter 9999): nothing to pack, no report
};

// The item codes an edited item may have, each with the words of its own (codes 11 and 13 have
// none).
struct CodeVocabulary {
    int32_t code;
    KeywordOutcome (*apply)();
};
constexpr int32_t kEditedCodes = 18;
extern const std::array<CodeVocabulary, kEditedCodes> CodeVocabularies;

// The vocabulary of the entry code (the edited item's INT(E1)) for the word in CommandLine. A
// word that changes nothing gives Done and leaves ParamBuffer as it is.
KeywordOutcome apply_code_keywords(int32_t code);
// The quick symbol words of a Code 9 item (a first letter A..W): true when the letter has one
// and it was taken.
bool apply_quick_symbol_word();
// "PDS": the size step of a Code 7 item.
KeywordOutcome apply_ornament_size_step();
// "H*": the harp pedal words.
KeywordOutcome apply_harp_pedal_words();

}  // namespace edit
