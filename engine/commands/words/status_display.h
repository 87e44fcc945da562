// The status words: "V" with a second letter ("VI" the output dump "vp", "VJ" the vertical
// justification of staves, the others the page-image height), the H words ("HIST" the recent
// files, "HH" the path dump "xxx", any other H the status display).
//
// Tables: CommandLine, CommandModeLetters, ParamBuffer, MessageLine, SecondLine, MacroUnit,
// MetricFlag, HistoryTable, the item store (core); GraphicsList, ItemOutputSpans, ViewOrigin
// (render); StaffTables (layout).
#pragma once

namespace core {

// The status display, by the second command-mode letter: "I" writes every item's output
// entries to "vp" in the work folder with the list counts in MessageLine; "J" justifies the
// staves vertically and clears the first command-mode letter; any other letter measures the
// height of the page image (staves 201 and up when the second or third letter is "X"; from the
// staff items with "S", from all items otherwise), shows it and, unless the letter is "F",
// asks for a new height (the dialog, or the next line of a command file) and spreads the
// difference over the groups of staves P2..P21 (staves per group from the bottom; the last
// count repeats, none means one staff a group) with one undo copy. One group, a height that
// would make staves cross, Cancel or the same height change nothing.
void show_status();

// Every word that begins with "H": "HIST", "HH", or the status display and a redraw.
void run_h_command();

// "HIST": the history file into HistoryTable (a missing file ends here, nothing changed), the
// Recent Files dialog with the choice preset to -99, and the chosen entry loaded after the
// unsaved-changes question. Cancel, a choice outside 1..40 or an empty entry loads nothing;
// MessageLine is blank afterwards.
void choose_recent_file();

}  // namespace core
