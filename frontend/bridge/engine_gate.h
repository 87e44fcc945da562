// The engine gate and the command sender: the one road from the window into the engine.
//
// Every command text, key token and mouse token reaches core::run_command through
// RunEngineCommand. The gate counts the engine calls under way: while one runs (an engine
// routine waiting in a nested event loop, a modal box inside a command) or while the engine's
// wait level is above 0, nothing starts a second call; the text is only deposited in
// FrontEndCommandBuffer for the waiting routine, and the waits are told that input arrived.
//
// The buffers the engine writes (graphics list, text display stream, their length words) and the
// front-end's copies of the reply and the text output are owned here.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"

class COrmestDoc;
class COrmestView;

namespace frontend {

// The engine writes at most this many words and bytes; run_command's views cover exactly these.
constexpr int kGraphicsListWords = core::kGraphicsListWords;
constexpr int kTextStreamBytes = core::kTextStreamBytes;
// A deposited command text keeps at most this many characters and its closing zero.
constexpr int kCommandTextChars = 47;

// The line SendCommand passes through the gate: the previous reply on the way in, the new one
// on the way out. Used by nothing else.
extern core::FixedText<512> FrontEndMessageLine;
// The engine's drawing output: entries of three words (x, y, colour and kind).
extern std::array<int32_t, kGraphicsListWords> GraphicsList;
extern int32_t GraphicsListLength;
// The engine's text output, written inside the call, and the copy the decoder reads.
extern std::array<uint8_t, kTextStreamBytes> TextDisplayStream;
extern int32_t TextDisplayStreamLength;
extern std::array<uint8_t, kTextStreamBytes> TextDisplayStreamCopy;

// The view's zoom (64 at start, 128 twice the size), a zoom the engine asks for during a call
// (0 keeps the current one) and the zoom in force when the last call began.
extern int32_t DisplayScale;
extern int32_t RequestedDisplayScale;
extern int32_t PreviousDisplayScale;
// Zoom limits: a zoom box or a requested zoom outside them is brought back inside.
constexpr int32_t kMinDisplayScale = 16;    // 25%
constexpr int32_t kMaxDisplayScale = 1024;  // 1600%
int32_t ClampDisplayScale(int64_t scale);

// Above 0 while an engine routine of the music input waits in a loop of its own (2: the view
// ignores mouse moves). The engine's word; the front-end reads it under this name.
using core::EngineWaitLevel;

// 1 once the gate has reset the document at the engine's request; the typed-line handler reads
// and clears it.
extern uint8_t DocumentResetPending;

// A key a command-or-key wait has not taken yet: its LastKey and KeyDownCode words.
struct KeyAheadRecord {
    int32_t code = 0;
    int32_t key_down = 0;
};

// The input state that the command sender, the command edit, the view and the waits share.
struct InputEventFlagsRecord {
    int32_t SpecialKeyCount = 0;    // special keys of this keystroke still to send as "~~nnn"
    uint8_t ArrowKeysToEngine = 0;  // 1: arrows and keypad Insert/Delete are special keys
    uint8_t PageKeysToEngine = 0;   // 1: page keys, Home, End, F1..F12 are special keys
    int32_t LastKey = 0;            // last key or character that reached the input edit; 0 none
    int32_t KeyDownCode = 0;        // 1000 + key code of the last key-down during a wait
    std::array<int32_t, 2> RawMousePoint{};  // last mouse point (device, then page units)
    core::FixedText<256> TypedLine;          // last completed typed line (with its CR LF)
    uint8_t LineComplete = 0;                // TypedLine holds a completed line
    uint8_t LineWaitArmed = 0;               // a wait takes typed lines
    uint8_t KeyWaitArmed = 0;                // a command-or-key wait takes the next key
    // Keys that came during a key wait after the one it takes (the window system hands queued
    // keys over in one turn of the event loop): the next key waits take them first, in order.
    // Emptied when a line wait begins and when the engine call ends.
    std::deque<KeyAheadRecord> KeysAhead;
};
extern InputEventFlagsRecord InputEventFlags;

// What the gate and the view need of the main window. Each hook may be empty (no window part
// for it yet); the gate then skips that step.
struct GateHooks {
    // The command bar's message line (control 1000); the text is CP1252, up to its NUL.
    std::function<void(std::string_view)> show_reply;
    // Resets the active document to a new one; false when there is no active document.
    std::function<bool()> reset_document;
    // Repaints the main window at once.
    std::function<void()> repaint_main_window;
    // The zoom bar's percentage field (control 1040).
    std::function<void(std::string_view)> show_zoom_text;
    // Keyboard focus to the command bar's input edit (control 1001).
    std::function<void()> focus_input;
    // Ends a one-action tool after a click or drag move (the palette words of the frame).
    std::function<void()> dismiss_tool;
    // Makes a document window for the engine's page (its file's name, its changed mark and
    // title line) and makes it the active one; its document, or null when none could be made.
    std::function<COrmestDoc*()> restore_page_window;
    // A message box with an OK button (the gate's own failures); default: QMessageBox.
    std::function<void(std::string_view)> message_box;
};
GateHooks& Hooks();

// When no document window is open and the engine's page holds unsaved work (changes, or an item
// being edited), brings the page's window back (restore_page_window) and returns its document;
// otherwise null. Never during a document's own open or save, whose window is its own.
COrmestDoc* RestorePageWindowForUnsavedWork();

// The view that step 9 of the gate, the mouse handlers and the services act on; null when every
// document window is closed. A view registers itself when it is made and leaves when it goes.
COrmestView* ActiveView();
// After the screen lists of an engine call that asked for a new zoom (FH, FW, Z1): the scroll
// sizes follow the zoom and the active view scrolls to the music. Once per such call. A call
// that sent the view to the page's top (TOP, Z1) and left the music out of view scrolls to it
// as well.
void FollowEngineZoom();
// The engine scrolled the view: `to_top` when to the page's top. The call's last scroll counts.
void NoteEngineScroll(bool to_top);
void SetActiveView(COrmestView* view);

// Engine calls under way (0 or 1): the busy guard.
int32_t EngineCallDepth();
// A command file read by RE ended at a question put to it: for the rest of the engine call every
// question and wait ends at once, as at the end of the console's input, so that the word ends
// quietly; the call's end clears the mark and the engine's closing word with it.
void MarkCommandFileAnswerMissing();
bool CommandFileAnswerMissing();
// True when a command must only be deposited: a call is under way or the wait level is above 0.
bool EngineBusy();

// Runs one palette or menu command text (at most 47 characters; a longer text is cut there).
// label is the button's label, not used. Sets the arrow and page flags, clears SpecialKeyCount,
// deposits the text; unless the engine is busy, runs it through the gate with
// FrontEndMessageLine, decodes the output, shows the reply and repaints.
void SendCommand(const char* text, const char* label = nullptr);

// The gate: moves line into MessageLine (line left blank), runs the interpreter with the
// engine buffers, resets the document on status -2, copies the text output into text_copy,
// takes over a requested zoom, copies the reply back into line, sets the active document's
// modified flag from ChangesMadeFlag, refreshes the item panel and turns a key-mode request of
// the active view into key mode. Returns 0.
// When the engine is busy nothing runs: line is deposited as a command text (cut to 47
// characters), line and the buffers stay as they are, status becomes 0 (nothing to decode).
int32_t RunEngineCommand(uint8_t* text_copy, core::FixedText<512>& line, int32_t& status,
                         int32_t* graphics_list, int32_t& graphics_length, int32_t& text_length);

// The gate with the front-end's own buffers, for callers with a line of their own (keys, typed
// lines, mouse tokens, the document).
int32_t RunEngineLine(core::FixedText<512>& line, int32_t& status);

// Puts text (cut to 47 characters, then a zero, then blanks) into FrontEndCommandBuffer and
// tells a waiting routine that input arrived. `typed`: the text is a line typed in the command
// bar, which the engine judges as typed, not as a palette or menu word.
void DepositCommandText(std::string_view text, bool typed = false);
// Tells a waiting routine that a command, a typed line or a key arrived (the command bar calls
// it after it stores TypedLine/LineComplete or LastKey during a wait).
void NotifyInputArrived();
// The waiting routine's listener: the innermost wait's. Returns the listener it replaces, which
// the wait puts back when it ends.
std::function<void()> SetInputListener(std::function<void()> listener);

// "n%" and four blanks for a zoom: DisplayScale * 100 / 64.
std::string ZoomPercentText(int32_t scale);

// Puts the gate's words back to their start values (tests; the application's start).
void ResetGateState();

}  // namespace frontend
