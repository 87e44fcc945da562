// Lines cut at their length limit, told by every line reader and asked by the answer readers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// Every reader of a script's or a terminal's lines (the console's, a command file's) tells here
// each line it read, whole: one longer than kLineBufferChars is cut there.
void note_line_read(std::string_view line);
// What every line reader keeps of a line: all of it up to kLineBufferChars bytes, else its
// longest start within them that splits no letter typed as UTF-8.
std::string_view kept_part_of_line(std::string_view line);
// True when the line read last was cut at its length limit and answer is that line (its kept
// part, or the part of it a question took; letter case and the blanks around it aside). A cut
// line answers no box, number, yes/no or name question: the rest the question never saw may
// have changed its meaning.
bool is_cut_line(std::string_view answer);
// How a reply names a cut line: its first characters and " ... (cut at 512 characters)".
std::string cut_line_shown(std::string_view line);

// What a question is given in place of a line cut at its length limit: two DEL bytes, which no
// number, code, box, range or yes/no reader takes, which is_cut_line knows and which a reply
// shows as the cut line (cut_line_shown). Never empty: an empty line would take a preset.
inline constexpr std::string_view kCutLineAnswer = "\x7F\x7F";
// The one place where a question's line is taken: a line longer than kLineBufferChars is
// named as cut ("*** Line N is longer than ...", line_number its number in its input) and
// becomes kCutLineAnswer. True when it was cut.
bool take_answer_line(std::string& line, int64_t line_number);
// text with each kCutLineAnswer in it replaced by the cut line as cut_line_shown names it.
std::string with_cut_line_shown(std::string_view text);

}  // namespace core
