// The engine's side of the conversation with the user: prompts, preset answers, waits for a
// line, a command or a key, message boxes, the unknown-word report, confirmations before
// something is lost, file-name questions and screen refreshes. Each routine is a thin contract
// over a FrontEndPort service.
//
// Every text handed to the front-end is copied first into a buffer of the bridge that always
// holds a NUL inside it (the engine's fixed texts carry none). Selection and caret positions
// handed to the front-end count the characters before them (0 = before the first character).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/bridge/reply_kind.h"
#include "engine/core/tables.h"

namespace core {

// The unit write_saved_mark writes to. Nothing opens it in the windowed program, so the mark
// goes nowhere there; a test or a tool may open it on a file.
constexpr int kStandardOutputUnit = 6;

// "File not found --> " and the name without trailing blanks, in a message box.
void report_file_not_found(const FixedText<128>& name);
void report_file_not_found(std::string_view name);
// Why the file name (a program name) cannot be read, in a message box: "File not found --> "
// and the name when nothing is there, else "*** ", the name and what it is ("is a folder, not
// a file.", "is not a regular file.", "cannot be read (permission denied)."). Looks with stat
// and access only: a FIFO is never opened. A readable file is reported as not found (its open
// failed all the same).
void report_unreadable_file(std::string_view name);
// The text report_unreadable_file shows.
std::string unreadable_file_message(std::string_view name);
// The longest line a command line holds; the rest of a longer line is left out.
constexpr int kLineBufferChars = 512;
// "*** Line N is longer than 512 characters: the rest was left out."
std::string long_line_message(int64_t line_number);
// What a file that exists but cannot be read whole (short, damaged) is reported with, before
// its local path.
constexpr std::string_view kDamagedFileMessage = "*** Damaged file --> ";
// kDamagedFileMessage and the path, in a message box.
void report_damaged_file(std::string_view path);
// Unless MacroUnit is -2, the front-end takes over the output lists and repaints.
void refresh_screen();
// The input edit is cut back after its last byte 0x0F (emptied when there is none).
void cut_input_to_marker();
// Length of the text in the front-end's input edit.
int32_t command_line_length();
// The front-end's wait level (EngineWaitLevel and the window's copy); with no front-end
// connected, EngineWaitLevel alone.
void set_engine_wait_level(int32_t level);
// Shows the last prompt again: a question asked while its line waits has taken its place.
void show_prompt_again();
// CommandLine(n + 1) = NUL; the input edit gets CommandLine up to its NUL, caret at the end (an
// empty preset leaves the edit alone); CommandStatusWord = 0. n < 0 counts as 0.
void preset_answer(const FixedText<512>& text, int32_t n);
// As preset_answer, but n <= 0 empties CommandLine, the edit is always replaced and the
// characters sel_start..sel_end are selected.
void preset_answer_selected(const FixedText<512>& text, int32_t n, int32_t sel_start,
                            int32_t sel_end);
// SecondLine = prompt; the trimmed CommandLine is the preset (caret after it); the typed line
// comes back in CommandLine, blanked from its first CR on; CommandModeLetters(2) = the CR's
// column (0 when none).
void ask_line_trimmed(const FixedText<512>& prompt);
// ask_line_trimmed with an empty preset, after the input edit was cut back to its marker.
void ask_line_blank(const FixedText<512>& prompt);
// SecondLine = CommandLine = prompt; flag nonzero presets the prompt (to its NUL), else the
// preset is empty; flag receives the wait's result (0, or -1 when the application closes).
void ask_line_with_edit(const FixedText<512>& prompt, int32_t& flag);
// A palette or menu command comes back as text in SecondLine (InputKeyWord 0); a key as its
// character in SecondLine(1), with InputKeyWord and EngineKeyWord set (see settings_tables.h).
// ApplicationClosingWord follows the front-end: once it is 1, SecondLine comes back blank.
void wait_for_command_in_second_line();
// As wait_for_command_in_second_line, for the live input routines: a key token "~~nnn" (the
// keys the window hands to the engine as texts) comes back as the key nnn, its character in
// SecondLine(1) and the rest blank, with its key words; a command text ends at its NUL (the
// rest blank). False when the application is closing:
// EngineWaitLevel is then 0 and the routine ends at once, leaving the store as it is.
bool wait_for_input_key_or_command();
// How many failures and notices were told so far (message boxes, prompts and line replies of
// those kinds, named lines, unknown words, a front-end's own failure line); a notice left in
// MessageLine is not counted, it is there to be seen. A caller marks a point and compares.
int32_t replies_said();
// Shows text in a message box as a reply of the given kind; a failure marks the run as
// report_failure does.
int32_t show_message(ReplyKind kind, std::string_view text);
// show_message(ReplyKind::Notice, text).
int32_t show_notice(std::string_view text);
// Leaves text in MessageLine (blank-padded) as the reply the front-end shows when the engine
// call ends, of the given kind; a failure marks the run as report_failure does.
void leave_reply(ReplyKind kind, std::string_view text);
// The kind of the reply leave_reply left last (a notice when none was left this call).
extern ReplyKind LeftReplyKind;
// Puts text in MessageLine as an exchange buffer, not a reply: a name preset for a dialog, a
// line handed between the engine and its front-end.
void set_exchange_text(std::string_view text);
// Shows text (up to its first NUL) in the message line as a reply of the given kind (a question
// for a prompt); a failure marks the run. CommandStatusWord = 0.
void show_prompt(ReplyKind kind, std::string_view text);
// Shows text on the front-end's message line as a reply of the given kind, at once and without
// waiting (nothing when no front-end is connected); a failure marks the run.
void show_line_reply(ReplyKind kind, std::string_view text);
// True when the line being read comes from a script (a pipe, "--console FILE", a command file
// read by RE) rather than from someone at the keys: nobody sees the question it meets.
bool line_from_script();
// Shows text, the reply that names a line the program did not take as written: no answer to
// the question it met (dropped, taken as No, X or Cancel, or run as the next command), a line
// that is no box or no number, an unknown word, a syntax or input error. A script's line marks
// the run (its caller learns that a line it gave was not done: the console then ends with
// status 1); a line typed at a terminal was seen refused, and leaves the run as it is.
int32_t name_untaken_line(std::string_view text);
// The mark name_untaken_line sets, for a front-end that prints its own reply naming the line.
void mark_untaken_line();
// Shows text, a reply that tells of a failure: something the run asked for was not done (a file
// not found, read or written, a folder not made or entered, a dialog the front-end cannot show,
// a name refused, a count that does not add up, a refusal at the page's limits). Every such
// reply goes through here, so that none can leave the run unmarked: the console reading a
// script then ends with status 1 (a terminal's user saw the reply, and its status stays 0).
int32_t report_failure(std::string_view text);
// The mark report_failure sets, for a front-end that prints its own failure reply.
void mark_failure();
// How many failures were told so far (every road that marks one): a word that compares it with
// the count at its start learns whether it was refused.
int32_t failures_told();
// report_failure("**** The page is full: " + what_was_not_done + "."), the refusal of every
// growth that does not fit the page's store.
int32_t report_page_full(std::string_view what_was_not_done);
// True when the front-end has a window. Without one (the console) a word that works by the
// window's keys or services is told as a failure, "WORD needs the window: cancelled." with the
// command line's first word, and takes no line: false.
bool window_at_hand();
// "ERROR -- unknown word in this context: " and the word (columns 40-48) in a message box: the
// line is named as untaken.
void report_unknown_word(const FixedText<9>& word);
// Every "||" becomes CR LF, scanning left to right (a third bar stays a bar).
void convert_bars_to_newlines(FixedText<160>& text);
// Yes/no question before something is lost or overwritten; -1 = go ahead. A command file is
// not asked; before a word of one drops unsaved changes (kind 1), the page keeper keeps the page
// and its line is shown; a page it could not keep is not dropped (0, as a No).
int32_t confirm_discard(int32_t kind);
// Keeps the page before a word read from a command file drops its unsaved changes: true when it
// was kept, told (when not empty) says so; false, told saying why, when it could not be kept.
// The file commands, which write the backup copy, register it; until then nothing is kept.
using PageKeeper = bool (*)(std::string& told);
void set_page_keeper(PageKeeper keeper);
// The file-name dialog with prompt: CommandLine(1) = the result as a character; on OK
// CommandLine = the typed name (from MessageLine). MessageLine is blanked first unless
// IP(50) = -1234 (a default name was preset there).
void ask_file_name(const FixedText<128>& prompt);
// ask_file_name("Type Filename."); a first character below blank (Cancel) becomes a blank.
void ask_file_name_blank_on_cancel();
// Turns a NUL-terminated name into a blank-padded one ending in "." and ext (3 characters).
void append_name_extension(FixedText<128>& name, std::string_view ext);
// "(SAVED)", or seven blanks with unsaved changes, as one record on kStandardOutputUnit.
void write_saved_mark();
// Blanks MessageLine, the exchange buffer, leaving no reply in it.
void clear_exchange_text();

}  // namespace core
