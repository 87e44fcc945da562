// Stepping through document files: the music directory "#musdir#.tmp" of the current folder,
// the document files of the current folder in name order ("NX", "NB"), and numbered names
// stepped like an odometer after a save; the N words ("NAME", "NDIR").
//
// Tables: CommandLine, SecondLine, CurrentFileName, the folder of the file commands (core);
// MusicDirectoryList (core short names).
#pragma once

#include <cstdint>
#include <string>

namespace edit {

// selector 0 reads the list only, -1 runs the MusDir dialog, -99 the previous entry, -98 the
// next, n entry n; a chosen entry is loaded ("G " and its name through the file command).
void music_directory_dialog(int32_t selector);
// The N words.
void run_ndir_command();
// After a save: steps the saved name to the next existing numbered file when asked.
void step_document_name();
// Steps the last three characters before the "." of name by direction (+1 up, -1 down);
// false when it cannot step (a carry past them).
bool step_file_name(std::string& name, int32_t direction);

}  // namespace edit
