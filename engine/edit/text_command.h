// The T words: text entry (text items made from a typed line, split into units at the divider
// and set one after another or under numbered notes, with hyphen and extender lines), and the
// small services "TB", "TI", "TXD", "TPL", the "W" form and "TYPE".
//
// Tables: CommandLine, SecondLine, CommandModeLetters, ParamBuffer, MessageLine, MacroUnit,
// the item store (core); StaffTables (layout).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace edit {

// The text state kept between commands.
extern char TextDividerChar;
extern core::FixedText<3> TextFontPrefix;
extern core::FixedText<512> LastTextLine;
extern float TopLeftDisplayFlag;

void run_text_command();

// Back to the start-up values (reset_edit_tables calls it).
void reset_text_command_state();

}  // namespace edit
