// The preferences file ("mxpref.dat": keyword lines, of which the first four letters count)
// and the Preferences dialog with its Load and Save buttons and its command field.
// Tables: the preference settings of settings_tables.h, MetricFlag, render::PageFormatIndex,
// LibraryFolder and FontFolder; CommandLine and ParamBuffer are the work area of every line.
//
// Dialog exchange: block A holds integers, block B reals as their 32-bit patterns
// (std::bit_cast<int32_t>(float)); word n of the dialog is element n + 1 of the Array1.
// A: 0 BeamThickness, 1 LyricDashCount, 2 WholeRestFont, 3 TiePosition, 4 MetricFlag, 10..16
// the radio words of paper outlines 1..7 (1 = chosen), 17 the one of no outline, 18
// PostScriptScreenFonts, 19 ArrowKeyMode, 20 FullWidthInput. B: 0..3 SpaceAfterClef, Bar,
// KeySig, Meter, 4 BeamTilt x 100, 5 LyricDashSize x 0.85714, 6 DynamicsOffset, 7 SlurThickness.
// Other words are carried through. The base MIDI key travels in MessageLine as "C" and the
// octave digit, the file name in FrontEndCommandBuffer, the folders in LibraryFolder and
// FontFolder (NUL-ended while the dialog runs) and the command field in OutputTargetName.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace core {

using PreferenceBlock = Array1<int32_t, 32>;

// Reads keyword lines from the unit MacroUnit names (opened by the caller) to its end and
// applies each one it knows; unknown keywords and lines shorter than four characters are
// skipped. First puts ArrowStepWords and both folders back to their defaults. A SYMB or FONT
// folder without its marker file ("mxpref.dat", "fm00.fmt"): "File not found --> " and the
// path; the folder stays as it was.
void read_preferences();

// Tests whether the file the program name path stands for exists (the path layer maps the
// program folder to the data folder and finds names case-insensitively). When it does not,
// shows "File not found --> " and the local path and returns false. The path is left as it is.
bool find_preferences_file(const FixedText<512>& path);

// "File not found --> " and the local path that the program name stands for.
void report_missing_file(std::string_view name);

// The user's own preferences file ("mxpref.dat" in platform::user_settings_folder()), which
// start-up reads before the data folder's defaults; "" when there is no such folder.
std::string user_preferences_path();
// The preferences file start-up reads: the user's own when it exists, else path (the data
// folder's defaults). An own file that is there but cannot be read (a folder, no regular file,
// permission denied, also on its folder), or a settings folder that is no folder, is named in
// a failure reply, and path is read.
std::string preferences_file_to_read(const std::string& path);

// The Preferences dialog's Load (mode 0) and Save (mode 1) buttons; mode 2 only closes the
// file. The name is FrontEndCommandBuffer's ("mxpref.dat" when blank); a name without a folder
// is the user's own file (for Load, the data folder's defaults while the user has none). Load
// reads an existing file and fills both blocks and the MIDI key text; a missing file: "File not
// found --> " and the path, nothing changes. Save writes every setting (numbers from the
// blocks, the folders as local paths, or relative to the program folder for its own, version
// and MIDI key from the settings and the dialog's key text) and says where in MessageLine
// (kept as the reply after the dialog); a file in the data folder is refused as every write
// there is; a file that cannot be written: "File not found --> " and the path.
void load_or_save_preferences(int32_t mode, PreferenceBlock& block_a, PreferenceBlock& block_b);

// The preferences command: runs the dialog and, unless it was cancelled, applies what it
// returns and then its command field (one keyword line).
void run_preferences_command();

// Fills the blocks from the settings (the radio words of the paper outlines included).
void fill_preference_blocks(PreferenceBlock& block_a, PreferenceBlock& block_b);

// Services of other subsystems the preferences command calls; unset hooks do nothing.
// Wiring, not state: reset_engine() leaves them alone.
struct PreferencesHooksRecord {
    // Empties the cache of loaded library symbols (the folder may have changed). The cache is
    // the drawing's, which core must not include, and the command's caller (the P family) is
    // not built yet to do it from above; the drawing fills this hook when it registers.
    void (*clear_symbol_cache)() = nullptr;
    // Shows the tool palette with that number (the editing commands; not built yet).
    void (*show_item_palette)(int32_t palette) = nullptr;
    // Puts "*** Measurements =" and the unit word into the message line (the layout's view
    // settings fill it when they register).
    void (*format_units_message)() = nullptr;
};
extern PreferencesHooksRecord PreferencesHooks;

}  // namespace core
