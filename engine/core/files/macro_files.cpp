// Command files: the filtering of their records (comments, pauses, skipped blocks, the end
// mark), READ, which opens one as the source of command lines, the line reader used by
// families that take a further line of numbers, and MACRO, which writes one from a dialog.
#include <algorithm>
#include <fstream>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/file_names.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/undo.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "platform/file_kind.h"
#include "platform/paths.h"

namespace core {

FixedText<3> TextReadRequestWord;

namespace {

// The last name given to READ, one record, in the work folder.
constexpr std::string_view kReadRecordName = "C:\\!TMP\\!read!.tmp";
// Work files and written macro files go through the writing unit.
constexpr int kWriteUnit = 21;

bool first_five_blank() {
    for (int k = 1; k <= 5; ++k)
        if (CommandLine(k) != ' ') return false;
    return true;
}

// True when a line of the command file at path may undo or redo (a word starting "UND" or
// "RED"): only then are the file's steps kept, so that a long file of plain lines copies no page
// per line.
bool file_may_undo(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        std::string word = line.substr(first, 3);
        for (char& c : word)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (word == "UND" || word == "RED") return true;
    }
    return false;
}

// The end of a command file (the "*" line, the end of the file or a read error).
void end_command_file() {
    // The file's last line is no answer to what the window asks after it.
    note_line_read("");
    if (MacroUnit != 0) close_unit(MacroUnit);
    MacroUnit = 0;
    CommandFileEnded = 1;
    CommandFileEndedInCall = 1;
    CommandModeLetters(1) = 0;
    CommandLine.blank();
    FrontEndCommandBuffer.blank();
}

// The text of a fixed field up to its first NUL, without leading or trailing blanks.
template <int N>
std::string field_name(const FixedText<N>& text) {
    std::string s = text.c_text();
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

enum class RecordKind { Command, Skipped, Pause, EndMark };

// What the record in CommandLine is to the reader; in_block is the "%%" block state, updated.
RecordKind classify_record(bool& in_block) {
    if (in_block) {
        if (CommandLine.starts_with("%%")) in_block = false;
        return RecordKind::Skipped;
    }
    if (CommandLine.code(1) < 32 || first_five_blank()) return RecordKind::Skipped;
    if (CommandLine.starts_with("%$")) return RecordKind::Pause;
    if (CommandLine.starts_with("%%")) {
        in_block = true;
        return RecordKind::Skipped;
    }
    if (CommandLine(1) == '%') return RecordKind::Skipped;
    if (CommandLine(1) == '*') return RecordKind::EndMark;
    return RecordKind::Command;
}

// The next record of the command file on unit that can answer a question, in record: what
// answers nothing between commands (blank lines, "%" comments, "%%" blocks, "%$" pauses) is
// skipped here too, so that the line after it answers. EndMark when the file's end mark was
// read, End at the end of the file or a read error. With blank_answers a blank line is itself
// the answer (a question whose Enter keeps a default).
enum class AnswerRecord { Line, EndMark, End };
AnswerRecord next_answer_record(int unit, std::string& record, bool blank_answers = false) {
    bool in_block = false;
    for (;;) {
        if (read_record(unit, record) != IoResult::Ok) return AnswerRecord::End;
        if (in_block) {
            if (record.starts_with("%%")) in_block = false;
            continue;
        }
        if (record.find_first_not_of(" \t\r") == std::string::npos) {
            if (blank_answers) return AnswerRecord::Line;
            continue;
        }
        if (record.starts_with("%$")) {
            refresh_screen();
            show_message(ReplyKind::Notice, "*** Hit enter to continue.");
            continue;
        }
        if (record.starts_with("%%")) {
            in_block = true;
            continue;
        }
        if (record.starts_with('%')) continue;
        if (record.starts_with('*')) return AnswerRecord::EndMark;
        note_line_read(record);
        take_answer_line(record, records_read(unit));
        return AnswerRecord::Line;
    }
}

// True when the command file on unit holds a command line after the one last read: the lines a
// READ inside the file would leave unread. The unit is left where it was, CommandLine as it was.
bool command_lines_remain(int unit) {
    const FixedText<512> kept_line = CommandLine;
    const int64_t before = records_read(unit);
    bool in_block = false;
    bool found = false;
    std::string record;
    while (!found && read_record(unit, record) == IoResult::Ok) {
        CommandLine.set(record);
        const RecordKind kind = classify_record(in_block);
        if (kind == RecordKind::EndMark) break;
        found = kind == RecordKind::Command;
    }
    CommandLine = kept_line;
    rewind_unit(unit);
    for (int64_t k = 0; k < before; ++k) read_record(unit, record);
    return found;
}

// The name the open command file was given to READ, for the notice when a READ inside it
// leaves its rest unread.
std::string g_open_command_file_name;

}  // namespace

// Contract: reads records of the command file on MacroUnit into CommandLine (each cut to 512
// characters; a command line that loses its rest says so, with its line number) and skips
// what is not a command line: a first character below blank, five leading blanks, "%"
// comments, "%$" pauses (refresh and "*** Hit enter to continue.") and "%%" blocks up to and
// including the next "%%" line (blocks do not nest). Returns true with
// a command line in CommandLine; on "*", the end of the file or a read error ends the command
// file quietly (unit closed, MacroUnit = 0, CommandFileEnded = 1, first CommandModeLetters = 0,
// CommandLine and FrontEndCommandBuffer blank) and returns false.
bool next_command_file_line() {
    bool in_block = false;
    std::string record;
    for (;;) {
        if (read_record(MacroUnit, record) != IoResult::Ok) {
            end_command_file();
            return false;
        }
        CommandLine.set(kept_part_of_line(record));
        switch (classify_record(in_block)) {
            case RecordKind::Skipped:
                continue;
            case RecordKind::Pause:
                refresh_screen();
                show_message(ReplyKind::Notice, "*** Hit enter to continue.");
                continue;
            case RecordKind::EndMark:
                end_command_file();
                return false;
            case RecordKind::Command:
                break;
        }
        note_line_read(record);
        if (record.size() > static_cast<std::size_t>(kLineBufferChars))
            name_untaken_line(long_line_message(records_read(MacroUnit)));
        return true;
    }
}

// Contract: when a command file is open (MacroUnit differs from DefaultMacroUnit), its next
// record that answers (next_answer_record; at most 80 characters) becomes CommandLine; then
// CommandLine is scanned up to the trimmed length of its first 80 characters, so the caller
// finds the numbers in P(1..). The end mark, the end of the file or a read error ends the command
// file as read_command_line does, and the blank line left gives all numbers 0.
void read_line_from_command_file(std::string* as_read) {
    if (as_read != nullptr) as_read->clear();
    if (MacroUnit != DefaultMacroUnit) {
        std::string record;
        // What answers nothing between commands answers no question either: taken as the
        // answer, it would leave the file's next line, meant for the question, to run as a
        // command.
        if (next_answer_record(MacroUnit, record) == AnswerRecord::Line) {
            if (as_read != nullptr) *as_read = record.substr(0, 80);
            CommandLine.blank();
            CommandLine.put(1, 80, record);
        } else {
            end_command_file();
        }
    }
    scan_command_line(find_trimmed_length(CommandLine.sub(1, 80)));
}

// Contract: see the header. Reads MacroUnit's file; the end mark is put back by reading the
// file again up to it (questions are rare, command files short).
CommandFileAnswer read_command_file_answer(std::string& not_answer) {
    not_answer.clear();
    if (MacroUnit == DefaultMacroUnit || !unit_is_open(MacroUnit)) return CommandFileAnswer::None;
    std::string record;
    const AnswerRecord read = next_answer_record(MacroUnit, record);
    if (read == AnswerRecord::End) return CommandFileAnswer::None;
    if (read == AnswerRecord::EndMark) {
        // The end mark stays for the command reader, which ends the file on it.
        unread_command_file_line();
        return CommandFileAnswer::None;
    }
    const std::size_t first = record.find_first_not_of(" \t");
    std::string word = first == std::string::npos
                           ? std::string()
                           : record.substr(first, record.find_last_not_of(" \t") - first + 1);
    for (char& c : word)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    // A cut line answers nothing, whatever its kept part says.
    const bool cut = is_cut_line(record);
    if (!cut && (word == "Y" || word == "YES")) return CommandFileAnswer::Yes;
    if (!cut && (word == "N" || word == "NO")) return CommandFileAnswer::No;
    // Left in the file, the line would run as a command the file meant as the answer.
    const std::size_t last = record.find_last_not_of(" \t\r");
    not_answer = cut                         ? cut_line_shown(record)
                 : last == std::string::npos ? std::string()
                                             : record.substr(0, last + 1);
    return CommandFileAnswer::NotAnAnswer;
}

// Contract: see the header.
bool next_command_file_answer_record(std::string& record, bool blank_answers) {
    if (MacroUnit == DefaultMacroUnit || !unit_is_open(MacroUnit)) return false;
    switch (next_answer_record(MacroUnit, record, blank_answers)) {
        case AnswerRecord::Line:
            return true;
        case AnswerRecord::EndMark:
            unread_command_file_line();
            break;
        case AnswerRecord::End:
            break;
    }
    record.clear();
    return false;
}

bool command_file_open() { return unit_is_open(MacroFileUnit); }

// Contract: see the header. The asking command's own lines (CommandLine, the mode letters)
// are left alone: only the unit changes.
bool next_command_file_answer(std::string& line, bool blank_answers) {
    line.clear();
    if (!unit_is_open(MacroFileUnit)) return false;
    if (next_answer_record(MacroFileUnit, line, blank_answers) == AnswerRecord::Line) return true;
    line.clear();
    // MacroUnit stays: the reader's next try finds the unit closed and ends the file as its
    // end does (the page redrawn), after the asking command has ended.
    close_unit(MacroFileUnit);
    return false;
}

// Contract: see the header. The file is read again from its start up to the record before.
void unread_command_file_answer() {
    if (!unit_is_open(MacroFileUnit)) return;
    const int64_t read = records_read(MacroFileUnit);
    if (read < 1) return;
    rewind_unit(MacroFileUnit);
    std::string record;
    for (int64_t k = 0; k < read - 1; ++k) read_record(MacroFileUnit, record);
}

// Contract: see the header. The file is read again from its start up to the record before.
void unread_command_file_line() {
    if (MacroUnit == DefaultMacroUnit || !unit_is_open(MacroUnit)) return;
    const int64_t read = records_read(MacroUnit);
    if (read < 1) return;
    rewind_unit(MacroUnit);
    std::string record;
    for (int64_t k = 0; k < read - 1; ++k) read_record(MacroUnit, record);
}

void give_back_script_line(const std::string& line) {
    if (MacroUnit != 0) {
        unread_command_file_line();
    } else if (has_front_end()) {
        front_end().GiveBackScriptLine(line);
    }
}

void close_idle_command_file() {
    if (MacroUnit == DefaultMacroUnit && unit_is_open(MacroFileUnit)) close_unit(MacroFileUnit);
}

// Contract: see the header. Reads and writes MacroUnit (0 afterwards), CommandFileEnded,
// CommandModeLetters(1), CommandLine and FrontEndCommandBuffer (blank).
void stop_nested_command_files() {
    end_command_file();
    CommandModeLetters(1) = -1;
    report_failure("*** Command files nest too deeply (" + std::to_string(kCommandFileDepthLimit) +
                   "): the reading stopped.");
}

// Contract: READ. The name is SecondLine (the line as typed) from column 4 on, NUL bytes as
// blanks and leading blanks dropped; LastMacroFileName instead when the text command left
// "TTR" in TextReadRequestWord (blanked here); a blank name means the name kept in
// "!read!.tmp". A name longer with its folder than the name fields hold is refused as the file
// commands refuse it (name_fits). A name that cannot be had or opened is reported as what it is
// ("File not found
// --> " when missing, report_unreadable_file) and the first CommandModeLetters = -1. Otherwise
// MessageLine = "Reading: " and the whole name (NUL after column 34 or after the name), the file
// is opened on MacroFileUnit, MacroUnit = MacroFileUnit, LastMacroFileName and "!read!.tmp" keep
// the name, and an undo copy is saved. A READ with no command file open starts a chain
// (CommandFileDepth 1); one inside a command file closes it and opens the next file of the chain
// (saying "*** WORD NAME: the rest of FILE was not read." when FILE still held command lines),
// so the chain is counted: the file that would be the ninth is not opened and every command file
// ends (stop_nested_command_files).
void open_command_file() {
    // The rest of the line whole: a name is cut nowhere but at the name fields' limit.
    std::string typed(SecondLine.sub(4, SecondLine.size()));
    std::replace(typed.begin(), typed.end(), '\0', ' ');
    std::string name = field_name(FixedText<kLongestFileName>(typed));
    if (TextReadRequestWord == "TTR") {
        name = field_name(LastMacroFileName);
        TextReadRequestWord.blank();
    }

    if (name.empty()) {
        std::string record;
        const bool read = open_unit(kWriteUnit, kReadRecordName, UnitStatus::Old, UnitForm::Text) &&
                          read_record(kWriteUnit, record) == IoResult::Ok;
        close_unit(kWriteUnit);
        if (!read) {
            mark_run_failed();
            report_file_not_found(platform::work_file("!read!.tmp"));
            CommandModeLetters(1) = -1;
            return;
        }
        name = field_name(FixedText<kLongestFileName>(record));
    }
    if (!file_detail::name_fits(make_temp_path(name))) {
        CommandModeLetters(1) = -1;
        return;
    }

    // Checked before the unit is touched, so that a command file that names a missing one
    // goes on running.
    const bool found = !name.empty() && platform::file_kind(platform::local_path(name)) ==
                                            platform::FileKind::Readable;
    const bool in_chain = MacroUnit != DefaultMacroUnit;
    if (found && in_chain && CommandFileDepth >= kCommandFileDepthLimit) {
        stop_nested_command_files();
        return;
    }
    // The file being read is closed for the new one: its later lines never run, so they are
    // named as the other early stops of a file are.
    std::string unread_notice;
    if (found && in_chain && MacroUnit > 0 && unit_is_open(MacroUnit) &&
        command_lines_remain(MacroUnit)) {
        const std::string typed_line = field_name(SecondLine);
        std::string word = typed_line.substr(0, typed_line.find(' '));
        for (char& c : word)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        unread_notice = "*** " + word + " " + name + ": the rest of " + g_open_command_file_name +
                        " was not read.";
    }
    if (!found || !open_unit(MacroFileUnit, name, UnitStatus::Old, UnitForm::Text)) {
        mark_run_failed();
        report_unreadable_file(name);
        CommandModeLetters(1) = -1;
        return;
    }
    if (!unread_notice.empty()) {
        report_failure(unread_notice);
    }
    g_open_command_file_name = name;
    CommandFileDepth = in_chain ? CommandFileDepth + 1 : 1;
    // The name whole: a cut one could name another file, or split a letter of several bytes.
    std::string reading = "Reading: " + name;
    if (reading.size() < 34) reading.resize(34, ' ');
    leave_reply(ReplyKind::Notice, reading + '\0');
    // The page before the file, taken before the file counts as running (its lines take no
    // copies of their own). Opening it changes nothing: a line that changes the page marks it.
    save_undo_copy(false);
    begin_command_file_steps(file_may_undo(platform::local_path(name)));
    MacroUnit = MacroFileUnit;
    LastMacroFileName.set(name);

    if (open_unit(kWriteUnit, kReadRecordName, UnitStatus::Replace, UnitForm::Text)) {
        write_record(kWriteUnit, LastMacroFileName.view());
        close_unit(kWriteUnit);
    }
}

// Contract: MACRO. Runs the macro dialog (preset with a two-line sample); on OK with a name
// and a text, asks before writing over an existing file (even on an empty page), writes each
// line of the text (ended by any character below blank; CR LF counts as one end; the text
// ends at its NUL or after 512 characters) as one record on unit 21 and shows "Macro file ="
// with the name once the file is written whole ("Error writing file" otherwise, an old file of
// that name left as it was). LastMacroFileName = the name. Always leaves FrontEndCommandBuffer and
// MessageLine blank and ItemCount as it was.
void open_macro_file() {
    const int32_t saved_item_count = ItemCount;
    set_exchange_text("abcd\n1234");
    FrontEndPathBuffer.blank();
    const int result = front_end().RunMacroFileDialog();

    // The whole name is in the path buffer when the command buffer holds its head.
    std::string name = field_name(FrontEndCommandBuffer);
    const std::string whole = field_name(FrontEndPathBuffer);
    if (!whole.empty() && field_name(FixedText<kFrontEndCommandChars>(
                              whole.substr(0, kFrontEndCommandChars))) == name)
        name = whole;
    FrontEndPathBuffer.blank();
    bool has_text = false;
    for (int k = 1; k <= MessageLine.size() && MessageLine(k) != '\0'; ++k) {
        if (static_cast<unsigned char>(MessageLine(k)) > ' ') {
            has_text = true;
            break;
        }
    }

    if (result == 1 && !name.empty() && has_text) {
        LastMacroFileName.set(name);
        bool go_ahead = true;
        if (platform::file_exists(name)) {
            SecondLine.set(name);
            go_ahead = confirm_discard(2) == -1;
        }
        if (go_ahead) {
            if (open_unit(kWriteUnit, name, UnitStatus::Replace, UnitForm::Text)) {
                std::string line;
                int k = 1;
                while (k <= MessageLine.size()) {
                    const char c = MessageLine(k);
                    if (static_cast<unsigned char>(c) >= ' ') {
                        line.push_back(c);
                        ++k;
                        continue;
                    }
                    if (c == '\0') break;
                    write_record(kWriteUnit, line);
                    line.clear();
                    if (c == '\r' && k < MessageLine.size() && MessageLine(k + 1) == '\n') ++k;
                    ++k;
                }
                if (!line.empty()) write_record(kWriteUnit, line);
                // A failed write (the close included) replaced nothing and is told as such,
                // never shown as the macro file made.
                if (close_unit(kWriteUnit)) {
                    FixedText<512> prompt;
                    prompt.put(1, 12, "Macro file =");
                    prompt.put(14, 37, name);
                    show_prompt(ReplyKind::Notice, prompt.view());
                } else {
                    report_failure("Error writing file");
                }
            } else {
                report_file_not_found(name);
            }
        }
    }

    FrontEndCommandBuffer.blank();
    clear_exchange_text();
    ItemCount = saved_item_count;
}

}  // namespace core
