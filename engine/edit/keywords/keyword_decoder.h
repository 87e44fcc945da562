// The keyword decoder of the item-editing line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace edit {

// Decodes the line in CommandLine (numbers already in ParamBuffer) word by word into changes
// of the item being edited and applies them.
void decode_edit_keywords();
// Whether the last decoded word was refused ("Cannot COPY if no changes are made." and the
// like): its pair (1, code) only redraws the item and changes nothing.
bool last_edit_word_refused();
// Whether the last decoded word is a command that editing does not know (a new meter from the
// meter palette and the like): the edited item was stored and editing ended, and the line waits
// for the command dispatch. Reading the answer clears it.
bool word_handed_to_commands();
// How the edited item's own words (those of its code) took the last decoded word that reached
// them: Taken when they did something with it, Untaken when they left everything as it was,
// Reported when they told it as an unknown word. The decoder's own words are Taken.
enum class WordTaking { Taken, Untaken, Reported };
WordTaking last_word_taking();
// Called by an item's words that take a word on purpose without changing anything (the line
// words the palettes of notes and rests send).
void mark_word_taken();
// Ends editing after a word the edited item could not take: the changes applied before it are
// stored, as "X" stores them, so that the lines after it are no longer the item's words.
void end_editing_after_untaken_word();
// The word of the line as the user typed it, as long as its scanned form `scanned` ("SA ED"
// for "SA*ED"), a number it ends inside taken whole up to nine characters ("FNT 12" for
// "FNT* " typed as "FNT 12"); the scanned form itself when the line as typed is another line.
std::string typed_form(std::string_view scanned);

// The item bar of the window: 0 closes it unless it is pinned (owned by the front-end words;
// declared again here because the editor closes the bar when edit mode ends).
void set_item_bar_mode(int32_t mode);

}  // namespace edit
