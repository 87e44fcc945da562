// The palettes and the command handler table as the data folder holds them
// (palettes/palettes.txt and palettes/handlers.txt), read into plain records.
//
// handlers.txt, one handler a line ('#' starts a comment line):
//   <ids> <kind> <palette> <texts...> | "<prompt>" "<tooltip>"
// - ids: the command id, or two ids joined by ',' for a handler that serves both;
// - kind: send, send-palette, palette-send, palette, two-sends, by-palette, group-edit, return,
//   zoom-plus, zoom-minus, play-again, pause, stop-play, exit-play, nothing;
// - palette: the palette the handler shows ('-' none, 0 the previous one); for by-palette the
//   two palettes that choose the first and the second text, joined by ',' (the third text
//   otherwise);
// - texts: each in double quotes, blanks kept as they stand (\" and \\ inside);
// - after '|': the long prompt and the tooltip, in double quotes.
//
// palettes.txt, one palette a line:
//   <palette id> <button width>x<button height> <command ids in button order, 0 a separator>
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace frontend {

enum class HandlerKind {
    Send,
    SendPalette,
    PaletteSend,
    Palette,
    TwoSends,
    ByPalette,
    GroupEdit,
    Return,
    ZoomPlus,
    ZoomMinus,
    PlayAgain,
    Pause,
    StopPlay,
    ExitPlay,
    Nothing,
};

struct CommandHandlerEntry {
    std::vector<int32_t> ids;  // one, or two for a handler that serves two ids
    HandlerKind kind = HandlerKind::Send;
    int32_t palette = -1;       // -1 none
    std::vector<int32_t> palettes_by_current;  // by-palette: the palettes choosing texts 1, 2
    std::vector<std::string> texts;
    std::string prompt;
    std::string tooltip;
};

struct PaletteLayout {
    int32_t id = 0;
    int button_width = 24;
    int button_height = 24;
    std::vector<int32_t> buttons;  // command ids in order, 0 a separator
};

struct PaletteData {
    std::vector<CommandHandlerEntry> handlers;
    std::map<int32_t, std::size_t> handler_of_id;  // command id -> index in handlers
    std::map<int32_t, PaletteLayout> palettes;
    std::string error;  // empty when both files were read whole
};

// Reads both files; a line that does not parse is an error naming the file and line number,
// and the tables then hold what came before it.
PaletteData ReadPaletteData(const std::string& handlers_path, const std::string& palettes_path);
// Reads the double-quoted text at pos (blanks before it passed over; blanks inside kept; \" and
// \\ escaped) into out and moves pos past it; false when there is none or it is not closed.
bool ReadQuotedText(const std::string& line, std::size_t& pos, std::string& out);
// The handler kind of its name in the file, false when the name is unknown.
bool HandlerKindOfName(const std::string& name, HandlerKind& kind);
const char* HandlerKindName(HandlerKind kind);

}  // namespace frontend
