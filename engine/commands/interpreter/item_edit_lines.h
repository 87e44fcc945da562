// The interpreter's item-editing lines: key codes turned into editing words, the words of the
// edited item (ends, slider, "," lines), the edit-item command and the keyword path, and the
// continuation of a pending box operation. Tried before the ordinary dispatch.
#pragma once

#include <array>
#include <string_view>

#include "engine/commands/interpreter/command_dispatch.h"

namespace core {

// The words of an edited item whose rest is no number, by their first letters: a command
// file's name (RE), a text (the T words, "?"). Every other word's numbers are read whole.
inline constexpr std::array<std::string_view, 3> kEditWordsWithTextRest = {"RE", "T", "?"};

// The line in CommandLine (as it arrived) while an item is edited, a box operation waits or a
// key code came; NotTaken when it is an ordinary command.
CommandFlow run_item_edit_lines();
// The box operation pending in PendingBoxOperation takes the line.
CommandFlow continue_box_operation();
// A box question still waiting when the call's command file has ended was the file's: the word
// ends as X would end it, without a word, so that the line after the file runs as a command.
void end_box_question_of_ended_file();

// Remembers the word of the line in CommandLine: a box question it leaves waiting names it.
void remember_box_word();
// The numbers after the word of the scanned line (an edit word: "LP 1E1", "SZ 15e-1", "ED 50")
// are read whole as the pairs read them; one they would not take whole ("1,5", "+5", "1..5")
// refuses the line by name, and nothing is done. A word whose rest is a name or a text
// (kEditWordsWithTextRest) is left alone. False when the line was refused.
bool take_edit_word_numbers();
// The keyword path of item editing (E and S words, Esc while editing).
CommandFlow run_edit_keyword_path();
// The parameter display after "||" or a drawn box.
CommandFlow show_parameter_display();
// A click while an item is edited moves the item there.
CommandFlow move_edited_item_to_click();

}  // namespace core
