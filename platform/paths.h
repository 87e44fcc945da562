// Turns the program's Windows-style names into local paths, and knows the two folders the
// program uses: the data folder (only read) and the work folder (scratch and record files).
//
// Rules: both separators are accepted; a drive letter is ignored; the old program folder
// ("C:\program files\melandrix") is the data folder; "C:\!TMP\" and "\!tmp\" are the work
// folder; a relative name is taken in the current folder; a name not found as written is looked
// up case-insensitively, one path component at a time. Names are never upper-cased. A running
// copy that is not the first on its work folder finds its own work files (shared_work_file in
// work_copies.h tells which are whose) in a folder of its own inside the work folder.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Finds the data folder (ORMEST_HOME, then "data" beside the executable, then the install
// prefix) and makes the work folder ($XDG_STATE_HOME/ormest, ~/.local/state/ormest, or
// /tmp/ormest-<uid> when neither is set) with make_private_folder, then claims it for this
// running copy (claim_work_folder; backups kept from killed copies are named on stderr). argv0
// may be empty. Returns false, with a reason in error, when either cannot be had. The front-end
// releases the claim at its end (WorkFolderRelease).
bool init_paths(std::string_view argv0, std::string* error = nullptr);

// Why folder cannot be the work folder ("" when it can): it is a link, it is no folder, or its
// owner is not user.
std::string work_folder_problem(const std::string& folder, bool is_link, bool is_folder,
                                unsigned owner, unsigned user);
// Makes folder the user's private folder: created with mode 0700 (parents as needed) when
// missing, refused with the reason in error when work_folder_problem finds one, and closed to
// others (0700) when it is ours but open to them.
bool make_private_folder(const std::string& folder, std::string* error = nullptr);
// True when the local path names something inside the work folder (not the folder itself),
// also when either is reached through a link. Such files are the program's own: they are
// written without ever following a link at their names.
bool in_work_folder(std::string_view path);
// True when the local path names something inside the data folder (not the folder itself),
// also when either is reached through a link or the name is a link into it, and not in the work
// folder (which may lie inside it). The data folder is only read: nothing may be written there.
bool in_data_folder(std::string_view path);

const std::string& data_folder();
const std::string& work_folder();
// The folder of the user's own settings, where the window keeps its layout:
// $XDG_CONFIG_HOME/<kUserSettingsName>, or ~/.config/<kUserSettingsName>; "" when neither is
// known. It may not exist yet.
inline constexpr char kUserSettingsName[] = "Fenwright";
std::string user_settings_folder();
// Tests point the folders where they like; a new work folder ends the claim on the old one.
void set_data_folder(std::string folder);
void set_work_folder(std::string folder);

// The local path for a program name: trailing blanks and anything from a NUL on are dropped,
// folders mapped, and an existing file found case-insensitively when the exact name is absent.
std::string local_path(std::string_view name);
// The name as messages show it: its local path on this machine, or the name as given when it
// maps to nothing.
std::string shown_path(std::string_view name);
// The path of a file in the work folder (this copy's own folder for its own work files) / the
// data folder.
std::string work_file(std::string_view name);
std::string data_file(std::string_view name);
// Why this copy's work folder cannot be written ("" when a file could be made and written
// there, or when no work folder is set): found by writing a probe file, removed again.
std::string work_folder_write_problem();

bool file_exists(std::string_view name);
// Creates the folder (and its parents); an existing folder is no error. The work folder is made
// with make_private_folder, and folders inside it with mode 0700; there a link is refused.
// False, with the system's reason in error ("Permission denied", "File exists"...), when the
// folder cannot be had.
bool make_folder(std::string_view name, std::string* error = nullptr);
// The whole path the folder name stands for, as the current folder reads once it is entered:
// absolute, normal, and with the links of its existing part followed.
std::string folder_path(std::string_view name);
std::string current_folder();
bool change_folder(std::string_view name);

}  // namespace platform
