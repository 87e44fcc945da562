// File names as the files are opened, shared by the file commands and the output.
#include "engine/core/files/file_names.h"

#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/shown_text.h"
#include "engine/core/files/name_compare.h"
#include "engine/core/fixed_array.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "platform/paths.h"

namespace core {

namespace {

// The question shows 51 characters of the name: a longer one shows its end.
constexpr std::size_t kQuestionNameChars = 51;

}  // namespace

std::string_view file_detail::trim_name(std::string_view text) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

std::size_t file_detail::last_component(std::string_view name) {
    const std::size_t sep = name.find_last_of("\\/");
    return sep == std::string_view::npos ? 0 : sep + 1;
}

bool file_detail::name_fits(std::string_view name) {
    if (name.size() <= kLongestFileName) return true;
    // The name's end says which file; the program's limit says why.
    const std::string front = "*** File name too long (the program keeps " +
                              std::to_string(kLongestFileName) + " bytes with its folder): ";
    show_message(
        ReplyKind::Failure,
        front + shown_end(name, static_cast<std::size_t>(kLineBufferChars) - front.size()));
    // The load or save the script asked for did not happen.
    mark_run_failed();
    return false;
}

using file_detail::last_component;
using file_detail::trim_name;

std::string get_name_extension(std::string_view name) {
    name = trim_name(name);
    name = name.substr(last_component(name));
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

// Contract: see the header. A name without a drive or leading separator is relative to the
// current folder and is made whole with it, so that it still names the same file after the
// current folder moves; when only its case differs from a file's there, it takes the file's own.
std::string make_temp_path(std::string_view name) {
    const std::string t(trim_name(name));
    if (t.empty() || starts_with_nocase(t, "C:\\!TMP")) return t;
    const bool absolute = t.front() == '/' || t.front() == '\\' || (t.size() >= 2 && t[1] == ':');
    if (absolute) return t;
    std::string path = platform::current_folder();
    if (path.empty() || path.back() != '/') path += '/';
    path += t;
    const std::string local = platform::local_path(path);
    if (!local.empty() && platform::file_exists(local)) return local;
    return path;
}

bool outside_data_folder(std::string_view name) {
    const std::string path = platform::local_path(trim_name(name));
    if (path.empty() || !platform::in_data_folder(path)) return true;
    report_failure("*** Not written: " + path +
                   " is in the program's data folder, which is only read.");
    return false;
}

// Contract: see the header. SecondLine carries the name into the question and is the caller's
// again afterwards.
int32_t confirm_overwrite(std::string_view name) {
    name = trim_name(name);
    if (!outside_data_folder(name)) return 0;
    if (!platform::file_exists(name)) return -1;
    if (MacroUnit != DefaultMacroUnit) {
        std::string line;
        const CommandFileAnswer given = read_command_file_answer(line);
        if (given == CommandFileAnswer::Yes) return -1;
        const std::string shown = platform::shown_path(name);
        if (given == CommandFileAnswer::No) {
            // The file's own answer kept the old file: what the script chose, no failure.
            show_message(ReplyKind::Notice,
                         "*** Not written: " + shown + " exists (the command file answered No).");
            return 0;
        }
        if (given == CommandFileAnswer::NotAnAnswer) {
            name_untaken_line("*** Not an answer to \"FILE EXISTS - Write over file?\": " +
                              (line.empty() ? std::string("(an empty line)") : line) +
                              " -- taken as No: " + shown + " was not written.");
        } else {
            // A question the file left open refused a write the script asked for.
            report_failure("*** Not written: " + shown +
                           " exists, and the command file's next line does not answer "
                           "\"FILE EXISTS - Write over file?\" (Y or N).");
        }
        return 0;
    }
    const int32_t changes = ChangesMadeFlag;
    const FixedText<512> second = SecondLine;
    SecondLine.set(shown_end(name, kQuestionNameChars));
    const int32_t answer = confirm_discard(2);
    SecondLine = second;
    ChangesMadeFlag = changes;
    // An input that ended at the question answered nothing: the write asked for did not
    // happen, and the run says so.
    if (answer != -1 && front_end().ApplicationClosing()) {
        report_failure("*** Not written: " + platform::shown_path(name) +
                       " exists, and the input ended before \"FILE EXISTS - Write over file?\" "
                       "was answered.");
    }
    return answer;
}

}  // namespace core
