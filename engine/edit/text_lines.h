// The text line words of the item editor on a text item: equal line spacing ("LS"), moving
// words to the neighbouring line ("LxP", "RxP"), editing the characters ("T" words), and the
// measuring after the margin words; and the Edit Text dialog's service.
//
// Tables: EditedItemNumber, EditItemParams, EditTextBuffer, ParamBuffer, CommandLine,
// CommandModeLetters, SecondLine, MessageLine, the item store (core); EditChangesPending
// (edit).
#pragma once

#include <cstdint>

namespace edit {

void run_text_margin_command();

// Edits CommandLine in the Edit Text dialog (Cancel puts the old text back); the dialog's
// result.
int32_t edit_text_in_dialog();

}  // namespace edit
