// File names as the files are opened: a name's extension, the folder a bare name is taken
// from, and the question before a file is written over. The file commands and the output (the
// EPS files and batches it writes and the documents a batch names) share them.
//
// Names are kept whole (full paths, never cut, never upper-cased).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// A file's name with its folder, as the page's name and the other name fields keep it.
inline constexpr std::size_t kLongestFileName = 512;
// The folders PATH and MAKEDIR enter leave room in it for a separator and a name of 12
// ("SONGBOOK.MUS").
inline constexpr std::size_t kLongestFolderPath = kLongestFileName - 13;

// A name as the files are opened: one beginning "C:\!TMP" is kept (the work folder); one with a
// folder keeps it (a relative folder is taken from the current folder); a bare name gets the
// current folder in front.
std::string make_temp_path(std::string_view name);

// The extension of the name's last component from its last "." on ("" when there is none).
std::string get_name_extension(std::string_view name);

// Whether a file may be written under name (as the files are opened): not when it lies in the
// data folder, which is only read; the user is then told so, with the file's path.
bool outside_data_folder(std::string_view name);

// 0 (do not write) for a name in the data folder (told by outside_data_folder); -1 (go ahead)
// when no file name exists; otherwise the kind-2 question "FILE EXISTS - Write over file? - "
// with the name, its answer returned. While a command file runs, the file's next line answers
// (read_command_file_answer): a line that is no answer (named, and dropped), or the end of the
// file, answers 0 and the user is told why nothing is written, as after a No; so is a question
// the end of the front-end's input left unanswered. ChangesMadeFlag is kept whatever the answer.
int32_t confirm_overwrite(std::string_view name);

namespace file_detail {

// text up to its first NUL, without the blanks around it.
std::string_view trim_name(std::string_view text);
// The start of the last path component (after the last "\" or "/").
std::size_t last_component(std::string_view name);
// A name (as the files are opened) is longer than the name fields hold: the user is told, the
// run is marked failed, nothing else happens.
bool name_fits(std::string_view name);

}  // namespace file_detail

}  // namespace core
