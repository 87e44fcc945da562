// The D words: "DATE", the display file ("D?Y"), stepping through the music directory ("DX",
// "DB"), "DIR", the split into files ("D?C"), keeping the staves above or below 200 ("D?P"),
// deleting a named file ("D?L*") and deleting items of a box by code.
//
// Tables: CommandLine, SecondLine, CommandModeLetters, MessageLine, the item store (core);
// MusicDirectoryList (short names).
#pragma once

namespace core {

// The D word in CommandLine; the interpreter has set the second mode letter to "E" when the
// word's second character is blank.
void run_dr_command();

}  // namespace core
