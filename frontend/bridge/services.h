// The window services the engine asks for through its service gate: one letter per service
// (dialogs, cursor, document, scroll, zoom, client size), the results in the same 256-word
// block. Always on the UI thread, inside an engine call.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "engine/core/tables.h"

class QFont;

namespace frontend {

// Serves the request whose letter is tag[1] with block in and out, and sets tag[0] to a zero
// byte when the letter's service marks its requests. Letters without a service ('g', 't', 'u',
// 'w', 'x', 'y', anything outside 'a'..'z') change nothing.
void FrontEndService(char tag[4], core::ServiceBlock& block);

// Set by service 'j': 3 asks the typed-line handler to clear the active document's contents
// once the typed command has returned. The typed-line handler resets it to 0 before each line.
extern int32_t PostCommandAction;

// What word 1 of the block holds after a font was chosen: it stands for FontTestLogFont (a
// window object's address does not fit a 32-bit word).
constexpr int32_t kFontTestLogFontToken = 1;

// The common dialogs the services run. An empty member runs the real Qt dialog, or, while the
// dialogs are unattended (SetDialogsUnattended), answers Cancel at once; tests put in their own
// to answer without a window.
struct ServiceDialogs {
    // Save-file dialog: the chosen path, or an empty text when cancelled.
    std::function<QString()> save_file;
    // Open-file dialog with a title and a filter: the chosen path, or empty when cancelled.
    std::function<QString(const QString& title, const QString& filter)> open_file;
    // Font dialog: true with the chosen font in font.
    std::function<bool(QFont& font)> choose_font;
    // Colour dialog from initial (0x00BBGGRR): true with the chosen colour.
    std::function<bool(uint32_t initial, uint32_t& chosen)> choose_colour;
    // Print dialog (the page set-up alone when setup_only): true on OK.
    std::function<bool(bool setup_only)> print;
    // The test loop's message box.
    std::function<void(const QString& text)> message_box;
    // The MIDI player's elapsed playing time in milliseconds; empty: there is no player.
    std::function<int32_t()> player_elapsed_time;
};
ServiceDialogs& ServiceDialogHooks();

// The dialogs above for the window's own commands (the same hooks, the same unattended rule).
QString RunOpenFileDialog(const QString& title, const QString& filter);
bool RunFontDialog(QFont& font);
bool RunColourDialog(uint32_t initial, uint32_t& chosen);

}  // namespace frontend
