// The symbol list of the Symbol Library dialog ("symblist.txt", or "symblist_alf.txt" when it
// exists, in the library folder) handed to the dialog one line at a time, the pick that turns
// the chosen line into a symbol number, and the history entries of the Recent Files dialog.
//
// Tables: CommandLine, FrontEndCommandBuffer, MessageLine, ParamBuffer (core); the library
// folder (settings); HistoryTable (document tables).
#pragma once

#include <cstdint>

namespace core {

// state 0 on the first call (the file is chosen and opened); each call puts the next line
// (NUL-ended, at most 48 characters, trailing blanks dropped) into FrontEndCommandBuffer and
// leaves state -1, or state 1 when the list has ended (no new line then).
void open_symbol_list(int32_t& state);

// Runs the Symbol Library dialog; P1 of ParamBuffer = the chosen line's symbol number, -1.0
// when nothing was picked.
void pick_listed_symbol();

// History entry i (1..40) into MessageLine, trailing blanks dropped, NUL-ended.
void fetch_history_entry(int32_t i);

}  // namespace core
