// Lines cut at their length limit, told by every line reader and asked by the answer readers.
#pragma once

#include <string>
#include <string_view>

namespace core {

// Every reader of a script's or a terminal's lines (the console's, a command file's) tells here
// each line it read, whole: one longer than kLineBufferChars is cut there.
void note_line_read(std::string_view line);
// True when the line read last was cut at its length limit and answer is that line (its kept
// part, or the part of it a question took; letter case and the blanks around it aside). A cut
// line answers no box, number, yes/no or name question: the rest the question never saw may
// have changed its meaning.
bool is_cut_line(std::string_view answer);
// How a reply names a cut line: its first characters and " ... (cut at 512 characters)".
std::string cut_line_shown(std::string_view line);

}  // namespace core
