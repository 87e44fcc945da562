// The command handlers of the palette buttons: one routine runs every handler of the table in
// palettes/handlers.txt by its kind, and the tool modes of the frame (tool_modes.h) by their id.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace frontend {

// Tool-mode commands of the frame, handled outside the table.
enum ToolModeCommand : int32_t {
    kCmdToggleNoteBar = 32781,
    kCmdToggleStaffBar = 32790,
    kCmdToggleTextMode = 32795,
    kCmdCurve = 32798,
    kCmdErase = 32796,
    kCmdRectangleSelection = 32784,
};

// True when command id has a handler (a table entry or a tool-mode command): its buttons are
// enabled.
bool HasCommandHandler(int32_t id);

// Runs the handler of command id; false (and nothing done) when it has none.
// - send: SendCommand (text); two-sends: both texts, each a call of its own;
// - send-palette / palette-send: the text and ShowPalette (palette) in that order;
// - palette: ShowPalette only; by-palette: the text that CurrentPaletteId chooses;
// - group-edit: GroupEditFlag -1, then palette 222; return: the command buffer blank (three
//   blanks and a zero, no engine call), then palette 134;
// - zoom-plus / zoom-minus: DisplayScale by 8 within 16..1024, repaint, the zoom text;
// - play-again, pause, stop-play, exit-play: the MIDI player, the last two then their text.
bool RunCommandHandler(int32_t id);

// Every text a handler sends passes here: the hook, when set, takes it instead of SendCommand
// (tests record the texts and may pass them on).
using HandlerSender = std::function<void(const std::string& text)>;
void SetHandlerSender(HandlerSender sender);
// Sends text through the hook or SendCommand.
void SendHandlerText(const std::string& text);

// The zoom steps of the palette (commands 32776 and 32777).
void OnPaletteZoomPlus();
void OnPaletteZoomMinus();

}  // namespace frontend
