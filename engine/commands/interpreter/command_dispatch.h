// The steps of the command interpreter and how each one ends. run_command (interpreter.cpp)
// takes the front-end tokens (front_end_tokens.cpp), hands a command line to the dispatch
// (command_dispatch.cpp, letter_rows.cpp) and then follows the CommandFlow that comes back:
// the loop head runs the next line of an open command file, the common exit leaves the reply.
// The item-editing words and the box continuation (family_entries.h) return the same flows and
// call back into the rows declared here.
#pragma once

#include <cstdint>

namespace core {

// How a step of the interpreter ends.
enum class CommandFlow {
    // The line was not this step's: the caller goes on with its next step.
    NotTaken,
    // Front-end tokens only: the line is a command line (the dispatch runs next).
    Dispatch,
    // The call ends at once: LastItemCount = ItemCount, no common exit.
    Return,
    // The loop head: the next line of an open command file, else the common exit.
    LoopHead,
    // End of a dispatched command: the next command-file line at once, else the line editor
    // and the front-end words are reset and the loop head follows.
    EndCommand,
    // The next command-file line when one is open, else return at once.
    NextLineOrReturn,
};

// ---- interpreter.cpp ----
// The status argument of the running call (set at the start of a command).
void set_status_argument(int32_t value);

// ---- front_end_tokens.cpp ----
// The entry's steps from the arrow-step tokens to the view keys: Dispatch when what arrived
// is a command line, otherwise how the call goes on.
CommandFlow take_front_end_tokens();
// "Arrow Move by" and ArrowStep in (1f7.2) at columns 15-21, as the reply.
void write_arrow_step_reply();

// ---- command_dispatch.cpp ----
// The command line in CommandLine: cut at its first control character, mini-macro use and "q",
// then the item-editing words and the dispatch.
CommandFlow run_command_line();
// The ordinary dispatch of the line in CommandLine (blank lines, input mode, preparation,
// "INC", 'T"', box continuation, "EI", item names, first letter).
CommandFlow dispatch_command_line();
// The same for a line already prepared by read_command_line: from "INC" on.
CommandFlow dispatch_prepared_line();
// What follows commit_item: unless a command file is open or new items do not go to editing,
// the new item is taken into editing through the I family.
CommandFlow enter_committed_item();
// What follows a commit_item the store refused: nothing is opened for editing, and until a
// word or a bare X the lines editing would have taken are named as answering nothing.
CommandFlow refuse_committed_item();
// The text command and what the interpreter does after it.
CommandFlow run_text_family();
// The I family and what the interpreter does after it.
CommandFlow run_i_family();
// The unknown-word report for the line (MessageLine, else CommandLine).
CommandFlow report_unknown_command();
// The view position chosen by the command word (TOP, BOT, MID and their R and M forms); the
// reply is blanked.
CommandFlow show_view_position();
// The display and title of an emptied document, and a new document at the next command.
void reset_document_display();
// The G path: output lists emptied, the file command, then what it left.
CommandFlow run_get_path();

// ---- letter_rows.cpp ----
// The first-letter table: the row of letter code (A..Z).
CommandFlow run_letter_row(int32_t letter);

// ---- play_loop.cpp ----
// "PLA": the play loop starts.
CommandFlow start_play_loop();
// A call while the play loop is active: the line is a play word.
CommandFlow run_play_loop_word();

// ---- rex_command.cpp ----
// "REX" and a file name: the file's first line, edited in the text dialog, is left in
// CommandLine; true when it is to be run.
bool run_rex_command();

}  // namespace core
