// The F words: "FL", "FLN", "FLD", "FLU", "FLA", "FLV" flip or fit the stems of the beamed groups
// inside a box; "FH" and "FW" fit the zoom to the items.
//
// Tables: CommandLine, CommandModeLetters, ParamBuffer, PendingBoxOperation, MessageLine,
// EditedItemNumber, GraphicsNextFree, UndoSaveMode, MacroUnit (core); SavedCommandLine,
// BoxOutlineMark, PendingBoxStep (edit); InputStaff, InputRangeStart, InputRangeEnd,
// InputParserMode (layout).
#pragma once

namespace edit {

// By the second letter of the command: 'L' the stem command, 'H' the height fit, 'W' the width
// fit. Does nothing while an item is being edited.
void zoom_to_fit();
// The stem command's steps: the prompt for the box, then the confirmed box, then the run.
void run_stem_direction_command();

}  // namespace edit
