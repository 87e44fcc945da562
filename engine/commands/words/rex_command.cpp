// "REX" and a file name: runs the first line of a file, offered for editing first.
#include <string>

#include "engine/commands/interpreter/command_dispatch.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"

namespace core {

namespace {

// Its own unit, so that a command file being read (on MacroFileUnit) goes on undisturbed.
constexpr int kRexUnit = 15;

}  // namespace

// Contract: the name follows "REX" in the line as typed (SecondLine, so that the scan of
// CommandLine cannot change it); a blank name is asked for ("Type Filename."), and a blank
// answer ends the command (false). A file that cannot be opened is reported as what it is
// (report_unreadable_file) and ends the command. A first line longer than the line buffer is
// cut with a word. Otherwise the file's first line goes into CommandLine, the Edit
// Text dialog (its caption "File = " and the name, in FrontEndCommandBuffer) lets the user
// change it, the unit is closed and true asks the interpreter to run the line. The command
// buffer is blanked afterwards, so that the caption is never taken for a palette command.
bool run_rex_command() {
    int32_t first = 1;
    while (first <= SecondLine.size() && SecondLine(first) == ' ') ++first;
    std::string name;
    if (first + 4 <= SecondLine.size()) {
        const FixedText<512> rest(SecondLine.sub(first + 4, SecondLine.size()));
        name = rest.trimmed();
        const std::size_t lead = name.find_first_not_of(' ');
        name = lead == std::string::npos ? std::string() : name.substr(lead);
    }
    if (name.empty()) {
        ask_file_name_blank_on_cancel();
        name = CommandLine.c_text();
        const std::size_t lead = name.find_first_not_of(' ');
        name = lead == std::string::npos ? std::string() : name.substr(lead);
        if (name.empty()) return false;
    }
    if (!open_unit(kRexUnit, name, UnitStatus::Old, UnitForm::Text)) {
        report_unreadable_file(name);
        mark_run_failed();
        return false;
    }
    FrontEndCommandBuffer.set("File = " + name);
    std::string record;
    CommandLine.blank();
    if (read_record(kRexUnit, record) == IoResult::Ok) {
        CommandLine.set(kept_part_of_line(record));
        if (record.size() > static_cast<std::size_t>(kLineBufferChars))
            name_untaken_line(long_line_message(records_read(kRexUnit)));
    }
    edit::edit_text_in_dialog();
    close_unit(kRexUnit);
    FrontEndCommandBuffer.blank();
    return true;
}

}  // namespace core
