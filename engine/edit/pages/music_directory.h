// Stepping through document files: the music directory "#musdir#.tmp" of the current folder,
// the document files of the current folder in name order ("NX", "NB"), and numbered names
// stepped like an odometer after a save; the N words ("NAME", "NDIR").
//
// Each way ends by leaving "G " and the chosen name in SecondLine with "~" as the first letter
// of CommandLine, which the interpreter then hands to the file command.
//
// Tables: CommandLine, SecondLine, CurrentFileName, MacroUnit, TempDirPrefix (core);
// MusicDirectoryList (core short names).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/fixed_array.h"

namespace edit {

// The music directory file, looked up in the current folder.
inline constexpr std::string_view kMusicDirectoryFile = "#musdir#.tmp";

// selector 0 reads the list only, -1 runs the MusDir dialog, -99 the previous entry, -98 the
// next, n entry n (wrapping at either end); a chosen entry is left for the file command.
void music_directory_dialog(int32_t selector);
// The N words.
void run_ndir_command();
// Steps to another document of the current document's folder (files with its extension, in
// name order): direction 0 next, 1 previous, 99 the last direction again, below 0 only builds
// the list. Returns -99 when a command file ran past the end (the command file is stopped),
// 1 when a name was left for the file command, 0 when nothing was found.
int32_t step_folder_file(int32_t direction);
// The save's name step: "SX"/"SB" with third letter "A" steps the name typed on SecondLine
// once; "SX"/"SB" otherwise takes the next or previous entry of the music directory after the
// current name; any other word steps the current name to the next existing numbered file.
void step_document_name();
// Steps the last three characters before the "." of name's file part by direction (+1 up,
// -1 down) like an odometer: digits and letters wrap with a carry to the character before.
// false, name unchanged, when it cannot step (a carry past the three characters, or a
// character that is no digit or letter).
bool step_file_name(std::string& name, int32_t direction);
// Steps the name typed after the command word on line; unless the command is "SX"/"SB" the
// step repeats until a file of that name exists. false (line unchanged, the user told) when
// the name is blank or no stepped name exists.
bool step_typed_name(core::FixedText<512>& line, int32_t direction);
// The drive of the temporary folder: there are no drive letters here, so the prefix keeps
// its letter; returns 0 when the trimmed length of its first 8 characters is odd, else -1.
int32_t set_temp_drive();
// A music directory line as a document name: a name in fixed fields (base in columns 1-8,
// extension in 9-12, with or without its dot) becomes dotted; any other is taken whole.
std::string music_directory_entry(std::string_view line);
// The folder list of the last build (for tests and the step).
const std::vector<std::string>& folder_file_list();

}  // namespace edit
