// Small helpers shared by the files of the file commands (file_commands.cpp, file_names.cpp,
// document_save.cpp, split_files.cpp). Not for other subsystems.
#pragma once

#include <string>
#include <string_view>

#include "engine/core/files/file_names.h"  // file_detail::trim_name, file_detail::last_component
#include "engine/core/files/name_compare.h"
#include "engine/core/fixed_array.h"
#include "platform/file_identity.h"

namespace core::file_detail {

using core::equals_nocase;
using core::starts_with_nocase;

// The front-end's request in MessageLine: the open ("~~R") or the save ("~~W").
bool is_front_end_read();
bool is_front_end_write();

// The file dialog's preset: whole in FrontEndPathBuffer, its first 48 characters in
// FrontEndCommandBuffer.
void set_dialog_preset(std::string_view preset);
// The dialog's answer: FrontEndPathBuffer when FrontEndCommandBuffer still holds its first 48
// characters (a front-end that fills only the short buffer leaves the preset there), else
// FrontEndCommandBuffer. Both buffers are blanked.
std::string take_dialog_answer();
// The path of the front-end's save request: FrontEndPathBuffer when not blank, else
// FrontEndCommandBuffer. Both buffers are blanked.
std::string take_front_end_path();

// Whether the name, as the files are opened, is an existing folder (through links too).
bool names_folder(std::string_view name);

// The identity of the file a save to name would replace, as it is now.
platform::FileIdentity identity_of(const std::string& name);
// Asks whether a save may write over name after another program changed it: the change is told
// ("*** NAME was changed by another program since it was read."), then the write-over question
// is put (confirm_overwrite: a running command file answers). seen receives the file as it was
// when asked, for the look the write takes again right before its rename. True to go ahead.
bool may_replace_changed(const std::string& name, platform::FileIdentity& seen);

// The second half of resolve_mus_file_name for a name already chosen: the extension rules and
// make_temp_path. False when the extension question was answered with Exit.
bool complete_file_name(std::string text, FixedText<512>& name);

}  // namespace core::file_detail
