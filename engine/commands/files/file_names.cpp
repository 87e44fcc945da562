// File names for the file commands: the name of a get or save from the command, the front-end
// or the file dialog, and its completion with an extension. A name's extension, the folder a
// bare name is taken from and the overwrite question are the core's (engine/core/file_names.h).
#include "engine/core/files/file_names.h"

#include <string>
#include <utility>

#include "engine/commands/files/file_commands.h"
#include "engine/commands/files/file_commands_internal.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/shown_text.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_history.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "platform/file_kind.h"
#include "platform/paths.h"

namespace core {

namespace file_detail {

bool is_front_end_read() { return MessageLine.starts_with("~~R"); }
bool is_front_end_write() { return MessageLine.starts_with("~~W"); }

void set_dialog_preset(std::string_view preset) {
    FrontEndPathBuffer.set(preset);
    FrontEndCommandBuffer.set(
        preset.substr(0, std::min<std::size_t>(preset.size(), kFrontEndCommandChars)));
}

std::string take_dialog_answer() {
    const std::string whole(trim_name(FrontEndPathBuffer.view()));
    const std::string short_answer(trim_name(FrontEndCommandBuffer.view()));
    FrontEndPathBuffer.blank();
    FrontEndCommandBuffer.blank();
    const std::string_view head = trim_name(std::string_view(whole).substr(
        0, std::min<std::size_t>(whole.size(), kFrontEndCommandChars)));
    if (!whole.empty() && short_answer == head) return whole;
    return short_answer;
}

std::string take_front_end_path() {
    std::string path(trim_name(FrontEndPathBuffer.view()));
    if (path.empty()) path = std::string(trim_name(FrontEndCommandBuffer.view()));
    FrontEndPathBuffer.blank();
    FrontEndCommandBuffer.blank();
    return path;
}

}  // namespace file_detail

using namespace file_detail;

namespace {

// The typed name after the command word of the work line (SecondLine as typed).
std::string name_after_command_word() {
    const std::string_view line = trim_name(SecondLine.view());
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return {};
    return std::string(trim_name(line.substr(blank + 1)));
}

// The command word of the work line ("G", "GMR", "SA"...).
std::string command_word() {
    const std::string_view line = trim_name(SecondLine.view());
    return std::string(line.substr(0, line.find(' ')));
}

// The name a save proposes: the page's own, or only its last part when the page was read from
// the data folder (only read), so that the proposal names a file in the current folder.
std::string save_preset() {
    const std::string current = CurrentFileName.trimmed();
    const std::string path = platform::local_path(current);
    if (path.empty() || !platform::in_data_folder(path)) return current;
    return current.substr(last_component(current));
}

// Asks the file dialog for a name until it gives one that is not "LAST"; "LAST" asks again
// without a preset. False on Cancel.
bool ask_for_name(std::string& text, bool saving) {
    bool with_preset = !equals_nocase(text, "LAST");
    for (;;) {
        std::string preset;
        if (with_preset) preset = saving ? save_preset() : read_last_file_record();
        set_dialog_preset(preset);
        if (front_end().RunOutputFileNameDialog() == 2) {
            FrontEndPathBuffer.blank();
            FrontEndCommandBuffer.blank();
            return false;
        }
        text = take_dialog_answer();
        if (!equals_nocase(text, "LAST")) break;
        with_preset = false;
    }
    // The work line shows the name as if it had been typed.
    SecondLine.set(command_word() + " " + text);
    return true;
}

}  // namespace

// Contract: see the header. Reads MessageLine, SecondLine, CurrentFileName and the last-file
// record; writes CommandModeLetters(2) (blank for "~~R", 0 on Cancel), SecondLine (a dialog's
// answer behind the command word), DefaultExtension, FrontEndCommandBuffer and
// FrontEndPathBuffer (blank afterwards).
bool resolve_mus_file_name(FixedText<512>& name) {
    const bool saving = is_front_end_write() || (!is_front_end_read() && CommandLine(1) == 'S');
    std::string text;
    if (is_front_end_read()) {
        text = std::string(trim_name(MessageLine.sub(4, MessageLine.size())));
        CommandModeLetters(2) = ' ';
    } else if (is_front_end_write()) {
        text = take_front_end_path();
    } else {
        text = name_after_command_word();
        if (text.empty() || equals_nocase(text, "LAST")) {
            if (!ask_for_name(text, saving)) {
                CommandModeLetters(2) = 0;
                return false;
            }
        }
    }
    return complete_file_name(std::move(text), name);
}

bool file_detail::names_folder(std::string_view name) {
    const std::string path = platform::local_path(name);
    return !path.empty() && platform::file_kind(path) == platform::FileKind::Folder;
}

namespace {

// Whether the name, as the files are opened, is an existing folder with no file of its name
// and the current extension (or ".MUS") beside it.
bool is_folder_name(const std::string& text) {
    if (!names_folder(make_temp_path(text))) return false;
    std::string ext = get_name_extension(CurrentFileName.view());
    if (ext.empty() || ext == ".") ext = ".MUS";
    return !platform::file_exists(make_temp_path(text + ext));
}

}  // namespace

// Contract: see file_commands_internal.h. Writes DefaultExtension and name. A name ending in a
// separator, or naming an existing folder, gets no extension.
bool file_detail::complete_file_name(std::string text, FixedText<512>& name) {
    text = std::string(trim_name(text));  // up to a NUL
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    text = std::string(trim_name(text));
    if (text.empty()) return false;

    std::string ext = get_name_extension(text);
    // A folder's name gets no extension, so that it is named as the folder it is rather than
    // as a missing (or hidden, "sdir/.MUS") file; a file of the name with the extension wins.
    const bool folder_name =
        text.back() == '/' || text.back() == '\\' || (ext.empty() && is_folder_name(text));
    if (ext.empty() && !folder_name) {
        ext = get_name_extension(CurrentFileName.view());
        if (ext.empty() || ext == ".") {
            const std::string question(kAddExtensionQuestion);
            const int answer = front_end().AskYesNoExit(question.c_str());
            if (answer == -2) return false;
            ext = answer == -1 ? ".MUS" : "";
        }
        text += ext;
    }
    DefaultExtension.set(ext);
    const std::string path = make_temp_path(text);
    if (!name_fits(path)) return false;
    name.set(path);
    return true;
}

}  // namespace core
