// Editing keywords of notes, rests and clefs (codes 1 to 3) and of lines, slurs and beams (codes
// 4 to 6): these codes hand their words on to the item words, with a few words taken here.
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/items/item_words_lines.h"
#include "engine/edit/items/item_words_notes.h"
#include "engine/edit/keywords/code_keywords_rules.h"
#include "engine/edit/keywords/keyword_decoder.h"

namespace edit::keywords {

namespace {

// "CW" on a rest: the ends of the stored record are fitted to the nearest notes, leaving the
// pair list in ParamBuffer, as the edit-mode word "CN" does.
void refit_rest_ends() {
    const int32_t k = std::abs(core::EditedItemNumber);
    const int32_t start = k >= 1 && k <= core::ItemCount ? core::ItemStartTable(k) : 0;
    const int32_t last = start > 0 ? core::int_of(core::ItemStore(start)) : 0;
    core::CommandModeLetters(2) = core::CommandLine.code(2);
    attach_item_ends(start, last);
    core::CommandLine(1) = '*';
}

// Lines and beams keep their "TH" words, and every line kind its "TIE" and "TRP"; any other
// word beginning "T" is not one of theirs.
bool is_foreign_t_word(int32_t code) {
    if (letter(1) != 'T') return false;
    if (begins("TIE") || begins("TRP")) return false;
    if ((code == 4 || code == 6) && begins("TH")) return false;
    return true;
}

}  // namespace

// Contract: codes 1..3 give the word to apply_note_rest_clef_word (which applies its own list),
// except "CW" on a rest; codes 4..6 to apply_line_slur_beam_word (its pair list stays in
// ParamBuffer). When the beam words leave the first command-mode letter at -99 the item is
// loaded again from the store, its pending changes dropped and no pair list left to apply.
// Foreign "T" words are reported as "T".
KeywordOutcome apply_note_line_keywords(int32_t code) {
    if (code <= 3) {
        if (code == 2 && begins("CW")) {
            refit_rest_ends();
            return KeywordOutcome::Done;
        }
        // The line words "CR", "CN" and "CV", sent by the palettes of notes and rests, pass
        // quietly: they are no unknown words here.
        if (begins("CR") || begins("CN") || begins("CV")) mark_word_taken();
        apply_note_rest_clef_word();
        return KeywordOutcome::Done;
    }
    if (is_foreign_t_word(code)) return report_bad_word("T");
    apply_line_slur_beam_word();
    if (core::CommandModeLetters(1) == -99) {
        // The beam was rebuilt in the store: the working copy is stale. The stem fitting leaves
        // its own words in ParamBuffer; the list is ended so that none of them is applied to
        // the copy just loaded.
        core::ParamBuffer(1) = 0.0f;
        core::ParamBuffer(2) = static_cast<float>(std::abs(core::EditedItemNumber));
        core::CommandModeLetters(1) = 2;
        EditChangesPending = 0;
        load_item_for_editing();
        choose_edit_parameters();
    }
    return KeywordOutcome::Done;
}

}  // namespace edit::keywords
