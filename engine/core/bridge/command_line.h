// Reading the next command line (from the console or an open command file), scanning its
// numbers into ParamBuffer, the number readers, READ of command files and the MACRO command.
// Tables: CommandLine, SecondLine, CommandHeader, CommandModeLetters, MacroUnit,
// CommandFileDepth, LastMacroFileName, QuotedTextBuffer, ParamBuffer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/tables.h"

namespace core {

// Next line in CommandLine, filtered (command files), normalised and scanned into P(1..45).
void read_command_line();
// The last line that came in, as typed or as the command file holds it, without the blanks
// around it: the upper case and the scan rewrite CommandLine, and SecondLine is the questions'
// too. Replies that name a line name it so. The interpreter keeps each typed line as it
// arrives; read_command_line keeps each line it reads from a command file.
std::string line_as_read();
void keep_line_as_read(std::string_view line);
// A line a reader upper-cased (shown) as it was read: the line as read when its upper case is
// shown, blanks around both aside; else shown unchanged.
std::string named_as_read(std::string_view shown);
// Fields of CommandLine(1..n) into P(1..45); CommandLine rewritten in compact form.
void scan_command_line(int32_t n);
// How many of P(1..45) the last scan filled (0 for a line without fields).
extern int32_t ScannedFieldCount;
// A number or a word of the last scanned line, as the scan split it: its field in P(1..45),
// its characters as typed (the scan's upper case where the line was rewritten before the scan),
// its first column in the scanned line and the character after it (blank at the end).
struct ScannedField {
    int32_t index = 0;
    bool number = false;
    std::string text;
    int32_t column = 0;
    char after = ' ';
};
// The numbers and words of the last scan, in line order (blank gaps are not listed).
extern std::vector<ScannedField> ScannedFields;
// Value of the number in CommandLine(i:j); i becomes j + 1.
float read_line_number(int32_t& i, int32_t j);
// Signed decimal number at text[pos - 1...] (pos is 1-based); pos advanced over it.
float parse_number(std::string_view text, int32_t& pos);
// When a command file is open (MacroUnit differs from DefaultMacroUnit), its next record that
// answers (blank lines, "%" comments, "%%" blocks and "%$" pauses are skipped, as between
// commands; at most 80 characters) becomes CommandLine; the end mark ends the file; then
// CommandLine is scanned up to the trimmed length of its first 80 characters. Callers take the
// numbers from P(1..); as_read, when given, gets the record as it stood in the file (empty when
// none was read), for a refusal that names it. A record longer than the line buffer is named
// by its line number, as a typed line is.
void read_line_from_command_file(std::string* as_read = nullptr);
// The answer a running command file gives to a yes-or-no question: its next line, when that is
// "Y", "YES", "N" or "NO" (in any case, blanks around), skipping what answers nothing between
// commands (blank lines, comments, "%%" blocks, pauses). Any other line is NotAnAnswer: it is
// taken out of the file and put in not_answer (without trailing blanks), for the asker to name.
// The end of the file, and its end mark (which stays for the command reader), are None; so is
// a question asked when no command file runs.
enum class CommandFileAnswer { Yes, No, NotAnAnswer, None };
CommandFileAnswer read_command_file_answer(std::string& not_answer);
// True while a command file READ opened is open, also while a command has set MacroUnit
// aside to ask its question: the question is then the file's to answer.
bool command_file_open();
// The next record of the command file MacroUnit that can answer a question, raw: blank lines,
// comments, "%%" blocks and pauses are skipped, as between commands. False at the file's end
// mark (left for the command reader, which ends the file on it), its end or a read error.
// With blank_answers a blank line is the answer (a question whose Enter keeps a default).
bool next_command_file_answer_record(std::string& record, bool blank_answers = false);
// The answer to a question the front-end asks while a command file is open: the file's next
// record that answers, raw (true): blank lines, comments, "%%" blocks and pauses are skipped,
// as between commands. The end mark ("*") or the end of the file closes the file's unit and
// gives no answer (false); the command-line reader then ends the command file as at its end.
// With blank_answers a blank line is the answer (a name whose Enter keeps the one proposed).
bool next_command_file_answer(std::string& line, bool blank_answers = false);
// Gives the record next_command_file_answer read last back to the file: a line that was no
// answer is read again, as the command reader's next line.
void unread_command_file_answer();
// Gives the record the command file MacroUnit read last back to it: the command reader's next
// line is that record again. Nothing when no command file runs.
void unread_command_file_line();
// A script's line that answered nothing and is the script's next command: a running command
// file's record is read again (unread_command_file_line), else the front-end gives `line` back
// as its next input line.
void give_back_script_line(const std::string& line);
// Between engine calls no command file runs: one that a command set aside and left open
// (MacroUnit 0) is closed, so that no later question takes its lines.
void close_idle_command_file();
// READ: opens the command file named in SecondLine from column 4 (blank: the last one). Read
// inside a command file it takes that file's place for good: when the file still holds command
// lines, "*** RE NAME: the rest of FILE was not read." says they never run.
void open_command_file();
// The most command files one chain of READs may open, and the most REX lines that may run one
// inside another: a file that reads or runs itself would otherwise never end.
constexpr int32_t kCommandFileDepthLimit = 8;
// Past that limit: every open command file ends (as at its end mark), the first
// CommandModeLetters is -1 and the user is told.
void stop_nested_command_files();
// MACRO: writes a macro file from the macro dialog.
void open_macro_file();

// Shared by read_command_line and the command-file routines: reads records from MacroUnit
// until a command line is found (true, the line in CommandLine) or the command file ends
// (false: the unit is closed, MacroUnit = 0, CommandFileEnded = 1 and CommandLine blank).
bool next_command_file_line();

// "TTR" while the text command asks READ to take LastMacroFileName; READ blanks it.
extern FixedText<3> TextReadRequestWord;

// Hook for the mini-macro handler: given the line length, rewrites CommandLine. Until it is
// registered, mini-macro lines are returned unscanned.
using MiniMacroHandler = void (*)(int32_t& n);
void set_mini_macro_handler(MiniMacroHandler handler);

}  // namespace core
