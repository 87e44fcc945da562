// The status words: "V" with a second letter ("VI" the output dump "vp", "VJ" the vertical
// justification of staves, the others the page-image height), the H words ("HIST" the recent
// files, "HH" the path dump "xxx", any other H the status display).
//
// Tables: CommandLine, CommandModeLetters, ParamBuffer, MessageLine, SecondLine, the item
// store (core); GraphicsList, ItemOutputSpans, ViewOrigin (render); StaffTables (layout).
#pragma once

namespace core {

// The status display, by the second command-mode letter.
void show_status();

// Every word that begins with "H".
void run_h_command();

// "HIST": the Recent Files dialog over the history file; the chosen document is loaded.
void choose_recent_file();

}  // namespace core
