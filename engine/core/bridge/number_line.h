// Lines of numbers that become item values (a new item's line, the pairs for the edited item):
// every number is read whole, or the line is refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core {

enum class NumberLineFault {
    None,
    NotANumber,  // a number with other characters in it, a word where numbers go, "INF", "NAN"
    OutOfRange,  // a number beyond what a stored value (a 4-byte real) can hold
};

struct NumberLineReading {
    NumberLineFault fault = NumberLineFault::None;
    std::string word;                // the refused field as typed
    std::vector<std::string> typed;  // typed(k): the text of P(k), "" for a word or gap
};

// Which words a line of numbers may hold besides its numbers.
enum class WordsInLine {
    None,    // a new item's line
    Commas,  // a "," line: the commas that name the parameters
    Any,     // the edited item's pairs, whose arithmetic form has a "P" in it
};

// Takes the last scanned line as a line of numbers and puts the whole value of every number in
// ParamBuffer: a number may carry a decimal exponent ("1E38", "2.5E-3") when its value fits a
// stored real: its nearest real is finite (below 2^128 - 2^103, about 3.40282357E38, in size)
// and not 0 for a value that is not 0 (1E-50 does not fit; 1E-40 is kept as a tiny real). Words
// are refused as `words` says; "INF", "INFINITY" and "NAN" (signed or not) always.
NumberLineReading read_number_line_whole(WordsInLine words);

// The numbers after the word of the last scanned line (an edit word: "LP 1E1", "SZ 15e-1",
// "I 3"), each read as read_number_line_whole reads it, its whole value put in ParamBuffer.
// Every piece of the line as typed (blanks around it) that holds a number up to the last one
// must be one number alone: "+5", ",2", "1..5", "1,5" and "1.5X" are refused, the piece as
// typed being the word; so is a word before a number (it would move the numbers out of their
// places). Words after the last number, and a line without numbers, are the word's own.
NumberLineReading read_edit_word_numbers();

// The reply that refuses a line for reading's fault, naming the field.
std::string number_line_refusal(const NumberLineReading& reading);

// One number read whole from text (blanks around it allowed): a decimal with an optional
// exponent whose value a stored real holds, as the lines of numbers read it. False for an empty
// text, a word, two numbers, "INF" or "NAN".
bool read_number_whole(std::string_view text, float& value);

// The reply that names a script's line answering no number question:
// "*** Not an answer to "PROMPT": LINE -- OUTCOME".
std::string number_non_answer_text(std::string_view prompt, std::string_view line,
                                   std::string_view outcome);

// Shows number_non_answer_text for a script's line (a piped line, or a command file's). True
// when it was named; a line typed at a terminal is the question's own, and is not named.
bool name_script_number_non_answer(std::string_view prompt, std::string_view line,
                                   std::string_view outcome);

// A number question's answer from a script (a piped line, or a command file's): the last
// scanned line, `line` as given. True when it holds something that is no number (a word, a
// number with other characters in it): the line is then named with the question and `word`
// ends ("*** Not an answer to "PROMPT": LINE -- WORD ended, nothing was changed."), and the
// caller ends its word. An empty line, and a terminal's line not cut, are the question's own.
bool refuse_script_number_answer(std::string_view prompt, std::string_view line,
                                 std::string_view word);

// A line of numbers a command file gave to a question (its last scanned line, `line` as read):
// false when every number is read whole. A line that holds anything else (a word, a number
// with other characters in it) is named with the question, "*** Not an answer to "PROMPT":
// LINE: the rest of the file was not read.", and the file stops there, its next lines having
// been meant for the asking word (the run counts as failed); true, and the caller ends its word.
bool refuse_file_number_line(std::string_view prompt, std::string_view line);

// A command file's line that answers `prompt` in no way (a cut line shown by its kept part):
// "*** Not an answer to "PROMPT": LINE: the rest of the file was not read.", the file closed
// and the run counted as failed. The file's next lines were meant for the asking word.
void stop_file_at_non_answer(std::string_view prompt, std::string_view line);

// A command file's word that cannot go on (`what` says why): "WHAT: the rest of the file was
// not read.", the file closed and the run counted as failed. Its next lines were the word's.
void stop_file_for(std::string_view what);

// How the line a word reads in place of its dialog came.
enum class DialogLine {
    Numbers,  // a line of numbers, in P(1..)
    Cancel,   // a bare X: the dialog's Cancel
    Refused,  // something else, named
    None,     // the command file, or the input, ended first
};

// True when the line is a bare X (blanks aside, either case): a dialog's Cancel given as a line.
bool is_bare_x(std::string_view line);

// True when a word reads its numbers as a line rather than in its dialog: a command file runs,
// or the front-end shows no dialogs (the console).
bool asks_dialog_line();

// The line a word reads in place of its dialog: a running command file's next line
// (read_line_from_command_file), else the next line typed after `shown`, blank lines asked
// again as a file skips them; cut to 80 characters and scanned into P(1..) either way, the line
// as read in `as_read`. A bare X (blanks aside) is Cancel. Numbers is returned for any other
// line: the caller reads and judges it.
DialogLine read_dialog_line(std::string_view shown, std::string& as_read);

// The word of the command being run as the script gave it (the first field of line_as_read),
// for the replies that name it.
std::string asking_word();

// read_dialog_line for a line of numbers, each read whole. A line that is something else is
// named with `prompt`: a command file's stops the rest of the file (refuse_file_number_line), a
// script's ends `word` ("... -- WORD ended, nothing was changed."), and one typed at a terminal
// is refused as the lines of numbers are; Refused.
DialogLine read_dialog_number_line(std::string_view shown, std::string_view prompt,
                                   std::string_view word);

// The answer to the code chooser ("0 = all"): item codes separated by blanks or commas, each a
// whole number from 0 to 18, at most 18 of them, in `codes` in line order. An empty line is
// no code at all (every code). A word, or a number that is not a code, refuses the whole line:
// nothing is put in `codes`.
NumberLineReading read_code_number_line(std::string_view line, std::vector<int32_t>& codes);

// The reply that refuses a code chooser's answer: the field, then the line it was typed in.
std::string code_number_line_refusal(const NumberLineReading& reading, std::string_view line);

}  // namespace core
