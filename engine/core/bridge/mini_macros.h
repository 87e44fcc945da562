// Mini macros: three command fragments kept while the program runs. A line beginning ":" or
// "'" defines fragments, one beginning ";" or "`" runs them ("`" first offers the last one
// for editing), four or more marks show all three. read_command_line hands such lines here.
//
// Tables: CommandLine, SecondLine, CommandHeader, MessageLine, LastCommand (core).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace core {

// The three fragments (80 characters each, blank until defined); "qq" writes fragment 3.
extern Array1<FixedText<80>, 3> MiniMacroTable;

// Rewrites CommandLine, SecondLine, the word field of CommandHeader and the line length n for
// the mini-macro line in CommandLine.
void run_mini_macros(int32_t& n);

}  // namespace core
