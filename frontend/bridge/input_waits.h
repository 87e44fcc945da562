// The waits an engine routine makes for input while its call runs: an answer line typed in the
// command bar, a command or a key, a typed line, a MIDI event.
//
// Each wait shows its prompt, arms the input words of InputEventFlags and runs a nested event
// loop that sleeps until the gate reports input (a deposited command, a completed typed line, a
// key, a MIDI event); it never spins. When the application quits (Qt ends every running loop),
// the wait returns at once and so does every later one, so that the engine call can end and the
// program with it. Closing the main window while an engine call runs is put off until the
// outermost call has returned; closing a document window then is refused. A close of the main
// window that finds a wait running ends the waits as the quit does, so that the call returns.
#pragma once

#include <QMetaObject>
#include <cstdint>
#include <vector>

#include "engine/core/fixed_array.h"
#include "frontend/bridge/command_bar_text.h"

class QEventLoop;
class QWidget;

namespace frontend {

// The running waits of one front-end.
struct WaitState {
    bool closing = false;            // the application quits: every wait returns at once
    std::vector<QEventLoop*> loops;  // the running wait loops, innermost last
    // The key the last command-or-key wait took: its code as a signed byte (0 when it took a
    // command or nothing) and its key-down word (1000 + code; 0 when no key-down came with it).
    int32_t last_key = 0;
    int32_t last_key_down = 0;
};

// The last key the key waits took (LastKey as a signed byte), for the note-input routines.
extern int32_t KeyResult;

// Shows prompt, appends buffer's preset (up to its NUL) to the input edit with sel_start..
// sel_end selected (counted from the preset's start), and waits for a command or a line ended
// by the main Enter key at the end of the edit's text. A command comes back in buffer (the
// command buffer's first character becomes a blank); a line comes back cut at its CR. Returns
// 0, or -1 when the application quits (buffer untouched). The input words are restored either
// way.
int WaitForLineEdit(WaitState& state, CommandBarLink& bar, core::FixedText<512>& buffer,
                    const core::FixedText<512>& prompt, int sel_start, int sel_end);

// Waits for a command (copied into buffer; the command buffer is blanked) or a key other than
// Shift (its code in buffer's first character, the rest of buffer untouched; KeyResult). On quit
// buffer comes back blank. Returns pass_value.
int WaitForCommandOrKey(WaitState& state, core::FixedText<512>& buffer, int pass_value);

// As WaitForLineEdit, but only a typed line ends the wait (commands stay in the command buffer)
// and the arrow keys are not sent to the engine. Returns 0, or -1 when the application quits.
int WaitForTypedLine(WaitState& state, CommandBarLink& bar, core::FixedText<512>& buffer,
                     const core::FixedText<512>& prompt, int sel_start, int sel_end);

// One poll of the MIDI keyboard input: sleeps until input arrives (a key, a line, a command, a
// MIDI event); not at all when a MIDI event is in the mailbox or a typed line is complete, nor
// when the application quits. Word k of the record is element k + 1: word 0 is 0 for a MIDI event
// (words 1 to 4 its message, device, error flag and time stamp), else -256 with the low byte of the
// character three places before the end of TypedLine (-256 alone for a shorter line). Returns -1.
int PollMidiOrKey(WaitState& state, core::Array1<int32_t, 5>& record);

// Ends every running wait of state (the front-end goes away).
void EndWaits(WaitState& state);

// Called by the main window's close: while an engine call runs, the close is put off (true: the
// caller ignores this close) and carried out once the outermost call has returned. When a wait of
// a registered front-end is running, the waits are ended as by the application's quit (the
// engine routine then ends at once, the store as it is); the closing words are put back before
// the close is carried out, so that a refused close leaves the program working. A call that runs
// without waiting goes on. False when no call runs: close now.
bool DeferCloseWhileEngineBusy(QWidget* window);

// A front-end's waits, for the main window's close to end (the front-end registers them while it
// lives; unregistering twice or something never registered is harmless).
void RegisterWaitsForClose(WaitState& state);
void UnregisterWaitsForClose(WaitState& state);

// Makes window (a document window) refuse to close while the engine is busy.
void RefuseCloseWhileEngineBusy(QWidget* window);

// Puts the wait words back to their start values (tests; the application's start).
void ResetWaitWords();

}  // namespace frontend
