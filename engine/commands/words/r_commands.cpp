// The R command family: restore, reset or reload the page (RS), ripple bars (RIP), restore an
// item (RESTO), read a command file (READ, RD, RE, RES), REDO, the move of an item and the
// library symbol item.
#include <cctype>
#include <string>

#include "engine/commands/files/library_data.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/words/undo_commands.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/edit/keywords/keyword_decoder.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "platform/paths.h"

namespace core {

namespace {

// The numbered page of the program folder, loaded by "RS !000" (also typed "!000.mus"): its
// "000.mus", or else the page the data folder ships, "0.mus".
constexpr std::string_view kBackupAlias = "!000";
constexpr std::string_view kBackupAliasWithExtension = "!000.mus";
constexpr std::string_view kBackupDocument = "\\program files\\melandrix\\000.mus";
constexpr std::string_view kShippedDocument = "\\program files\\melandrix\\0.mus";

bool is_backup_alias(const std::string& name) {
    auto same = [&name](std::string_view alias) {
        if (name.size() != alias.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(name[i])) != alias[i]) return false;
        return true;
    };
    return same(kBackupAlias) || same(kBackupAliasWithExtension);
}
// The tool palette shown after an RI command.

// SecondLine (the line as typed) from column 4 on, up to a NUL, without the blanks around it.
std::string typed_name() {
    std::string s(SecondLine.sub(4, SecondLine.size()));
    if (const auto nul = s.find('\0'); nul != std::string::npos) s.erase(nul);
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// An ordinary load of name through the file command, as a get of it.
void load_through_file_command(const std::string& name) {
    // The unsaved mark stays: RS has asked (a Yes clears it), and a load that fails must leave
    // the page marked as it is.
    CommandModeLetters(2) = 1;
    CommandLine.set("G " + name);
    SecondLine = CommandLine;
    run_file_command();
    edit::show_move_step();
}

// An empty page: the store, its index and the output lists; a new page, whose MIDI parts are
// found again.
void empty_page() {
    reset_document_state();
    output::forget_midi_parts();
    GraphicsNextFree = 1;
    if (OutputBufferViews.graphics.bound()) OutputBufferViews.graphics.length() = 0;
    if (OutputBufferViews.text.bound()) OutputBufferViews.text.length() = 0;
    CommandModeLetters(1) = 0;
}

// RS: after the discard question (when there are unsaved changes), "RS" alone empties the page,
// "RSM" loads the current document again and "RS" with a name sets up the library data again
// and loads that document ("!000" the numbered backup in the program folder).
void run_rs_command() {
    if (ChangesMadeFlag != 0 && confirm_discard(1) != -1) {
        CommandModeLetters(1) = 0;
        return;
    }
    if (CommandLine(3) == 'M') {
        load_through_file_command(CurrentFileName.trimmed());
        return;
    }
    if (CommandLine(4) == ' ') {
        empty_page();
        return;
    }
    std::string name = typed_name();
    if (is_backup_alias(name)) {
        // The file's own path, so that the page's name (and every message) names the file.
        name = platform::shown_path(platform::file_exists(platform::local_path(kBackupDocument))
                                        ? kBackupDocument
                                        : kShippedDocument);
        SecondLine.set("RS " + name);
    }
    // Without its library data the engine cannot draw what it loads.
    if (!load_library_data()) {
        CommandModeLetters(1) = -1;
        return;
    }
    load_through_file_command(name);
}

// "RU...": a new library symbol item (code 9) in ParamBuffer for the interpreter to enter: on
// staff P(2), or the highest staff of the page when P(2) is 0; symbol 1302 with "C" as the
// fourth letter, else 1301; with "V" as the fifth letter turned by -90 degrees at 16.0.
void prepare_library_symbol_item() {
    float staff = ParamBuffer(2);
    for (int k = 1; k <= 24; ++k) ParamBuffer(k) = 0.0f;
    if (staff == 0.0f) {
        float lowest = 0.0f;
        core::find_staff_range(staff, lowest);
    }
    ParamBuffer(1) = 9.0f;
    ParamBuffer(2) = staff;
    ParamBuffer(5) = CommandLine(4) == 'C' ? 1302.0f : 1301.0f;
    ParamBuffer(11) = 1.0f;
    if (CommandLine(5) == 'V') {
        ParamBuffer(3) = 16.0f;
        ParamBuffer(9) = -90.0f;
    }
}

}  // namespace

// Contract: chooses the R word by the second and third letters of CommandLine, in this order:
// S (RS), I (ripple bars for "RIP", then palette 134), "RESTO", D or E not followed by D (a
// command file; CommandFileReadMode 2 for a third letter S, 1 for D, else 0), "RED" (REDO), a
// third letter U (item P(2) moved to position P(3)), a second letter U (library symbol item);
// anything else is reported as an unknown word. The routines called write what they say.
void run_r_command() {
    const char second = CommandLine(2);
    const char third = CommandLine(3);
    if (second == 'S') {
        run_rs_command();
    } else if (second == 'I') {
        if (third == 'P') ripple_bars();
        edit::show_item_palette(core::kGeneralPalette);
    } else if (CommandLine.starts_with("RESTO")) {
        edit::restore_item();
    } else if (second == 'D' || (second == 'E' && third != 'D')) {
        CommandFileReadMode = third == 'S' ? 2 : (second == 'D' ? 1 : 0);
        open_command_file();
    } else if (second == 'E') {
        run_redo();
    } else if (third == 'U') {
        if (move_item_to_position()) render::redraw_items();
    } else if (second == 'U') {
        prepare_library_symbol_item();
    } else {
        // As typed: the scan writes the line's numbers as "*" ("RQ 5" is "RQ*").
        report_unknown_word(FixedText<9>(edit::typed_form(CommandLine.sub(1, 9))));
    }
}

}  // namespace core
