// How a script's line answers a yes/no question, the same on every front-end: the console reads
// the line from its input, the window from a command file read by RE.
#pragma once

#include <string>
#include <string_view>

namespace core {

// The answer as FrontEndPort's AskYesNo and AskYesNoExit give it (-1 Yes, 0 No, -2 Exit), and
// the reply that names a line that answers nothing (empty when the line answered).
struct ScriptYesNo {
    int answer = 0;
    std::string named;
};

// A line whose first letter is Y is Yes, N is No, X is Exit where Exit is offered. Any other
// line (an empty one too) answers nothing: it is named with the question and taken as No, or,
// when `ends` names a word and Exit is offered, as Exit ending that word.
ScriptYesNo read_script_yes_no(std::string_view question, std::string_view line, bool exit_offered,
                               std::string_view ends);

// The question as a reply names it: its lines side by side, without the answer marks and the
// dashes around it ("-- Add bar lines?" is "Add bar lines?").
std::string yes_no_question_name(std::string_view question);

// The notice of a command file that ended at a question put to it.
std::string command_file_ended_at(std::string_view question);

}  // namespace core
