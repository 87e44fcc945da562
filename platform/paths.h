// Turns the program's Windows-style names into local paths, and knows the two folders the
// program uses: the data folder (only read) and the work folder (scratch and record files).
//
// Rules: both separators are accepted; a drive letter is ignored; the old program folder
// ("C:\program files\melandrix") is the data folder; "C:\!TMP\" and "\!tmp\" are the work
// folder; a relative name is taken in the current folder; a name not found as written is looked
// up case-insensitively, one path component at a time. Names are never upper-cased.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Finds the data folder (ORMEST_HOME, then "data" beside the executable, then the install
// prefix) and makes the work folder ($XDG_STATE_HOME/ormest or ~/.local/state/ormest).
// argv0 may be empty. Returns false, with a reason in error, when either cannot be had.
bool init_paths(std::string_view argv0, std::string* error = nullptr);

const std::string& data_folder();
const std::string& work_folder();
// Tests point the folders where they like.
void set_data_folder(std::string folder);
void set_work_folder(std::string folder);

// The local path for a program name: trailing blanks and anything from a NUL on are dropped,
// folders mapped, and an existing file found case-insensitively when the exact name is absent.
std::string local_path(std::string_view name);
// The name as messages show it: its local path on this machine, or the name as given when it
// maps to nothing.
std::string shown_path(std::string_view name);
// The path of a file in the work folder / the data folder.
std::string work_file(std::string_view name);
std::string data_file(std::string_view name);

bool file_exists(std::string_view name);
// Creates the folder (and its parents); an existing folder is no error.
bool make_folder(std::string_view name);
std::string current_folder();
bool change_folder(std::string_view name);

}  // namespace platform
