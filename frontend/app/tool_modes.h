// The tool modes of the main frame: the note-options bar, the staff bar and the text mode. At
// most one is on at a time (ActiveToolMode: 0 none, 1 note-options bar, 3 slur bar, 4 staff bar,
// 9 item bar, 12 text mode).
#pragma once

class QDockWidget;

namespace frontend {

// Each toggle first turns off another mode among 1, 3, 4 and 12 that is on, then sets
// ActiveToolMode to its own value and shows or hides its bar (made on first use) by its state
// word (NoteBarState, StaffBarState, TextModeState).
void OnToggleNoteBar();
void OnToggleStaffBar();
// On: TextModeActive -1, ZoomButtonFlag 0, the I-beam over the page; off: the arrow again.
void OnToggleTextMode();

// Ends a one-action tool after the engine ran a click or a drag in the view: the note-options,
// slur or staff bar is hidden (state -1) and ActiveToolMode becomes 0 for 1, 3, 4 and 12.
void DismissToolMode();

// The bars, null before first use (and after the frame is gone).
QDockWidget* NoteOptionsBar();
QDockWidget* StaffBar();

}  // namespace frontend
