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

// A name as the files are opened: one beginning "C:\!TMP" is kept (the work folder); one with a
// folder keeps it (a relative folder is taken from the current folder); a bare name gets the
// current folder in front.
std::string make_temp_path(std::string_view name);

// The extension of the name's last component from its last "." on ("" when there is none).
std::string get_name_extension(std::string_view name);

// -1 (go ahead) when no file name exists; otherwise the kind-2 question "FILE EXISTS - Write over
// file? - " with the name, its answer returned. ChangesMadeFlag is kept whatever the answer.
int32_t confirm_overwrite(std::string_view name);

namespace file_detail {

// text up to its first NUL, without the blanks around it.
std::string_view trim_name(std::string_view text);
// The start of the last path component (after the last "\" or "/").
std::size_t last_component(std::string_view name);

}  // namespace file_detail

}  // namespace core
