// The text line words of the item editor on a text item: equal line spacing ("LS"), moving
// words to the neighbouring line ("LxP", "RxP"), editing the characters ("T" words), and the
// measuring (and justification, "J" words) after the margin words; and the Edit Text dialog's
// service.
//
// Tables: EditedItemNumber, EditItemParams, ParamBuffer, CommandLine, CommandModeLetters,
// SecondLine, MessageLine, ChangesMadeFlag, the item store (core); EditTextBuffer,
// TextJustifyState (render); StaffTables (layout); EditChangesPending, TextJustifyMargins (edit).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace edit {

// Contract: the text line word in CommandModeLetters / CommandLine on the edited text item
// (every word first marks the document changed):
// - "LS": the following (P3 > 0 or 0) or preceding (P3 < 0) lines of the paragraph get the
//   edited line's P3, P6, P7 and P4 stepped down by the spacing P2 (third letter P, I or C:
//   points, inches, centimetres on the staff's scale); |P3| counts the lines with the edited
//   one (0 = all); P4 nonzero takes in lines at any position. Refused while changes are
//   pending, nothing done when P2 is 0. The page is redrawn with no edited item.
// - "LxP" and "RxP": compact_text_lines.
// - "LM", "RM": the paragraph reflow (refused while changes are pending).
// - first letter T: the characters are edited in the Edit Text dialog; then, as after the other
//   words (RS, RI, J words), the line is measured into P13 and E13 and a J word justifies it
//   between the margins the J words left (TextJustifyMargins).
// When ParamBuffer does not hold a text item (the editor's own call), the measuring works on a
// copy of the working copy and leaves ParamBuffer as it was.
void run_text_margin_command();

// Contract: every character of CommandLine below blank becomes a zero byte (without one, a zero
// byte follows its last non-blank character); SecondLine = MessageLine = CommandLine; the Edit
// Text dialog edits MessageLine; Cancel (result 2) puts the old text back; CommandLine =
// MessageLine. Returns the dialog's result.
int32_t edit_text_in_dialog();

// Contract: a typed text line as every text word takes it (T, TT, TX and the others, from the
// console, a command file or the window): each letter typed as UTF-8 becomes the escape that
// prints it (render::escape_typed_letters, "ü" as "%%u"). False, with the failure told
// ("*** No text escape gives the letter ... -- the text was not entered.") and line unchanged,
// when a letter has none.
bool escape_typed_text_line(std::string& line);

// Contract: "LxP" / "RxP": moves NINT(P2) words (0 = 1) of the edited line: n > 0 its last n
// words to the front of the next line, n < 0 its first |n| words to the end of the previous
// line; without such a neighbour (a text item on the same staff next to it), or with a fourth
// letter X, the line is split instead (n > 0: the words become a new line 5.0 below; n < 0: the
// line moves 5.0 up and the rest becomes a new line at its height). Moved text that does not
// begin with a font escape takes the last one before it. A line left empty is deleted ("****
// Empty line will be deleted ****"). When a changed line would pass 512 characters, or the
// store or the item count would overflow, a message says so and nothing changes. Rebuilds the
// start table and reloads the working copy of the edited line; saves an undo copy first.
void compact_text_lines();

// Contract: appends a text record to scratch: the count word (h + ceil(length / 4)), the
// header P1..Ph (h = 16 when P14 is -1.0, else 13) with P12 = the text's length and P13 = its
// width measured again (ParamBuffer is restored afterwards), then the characters four to a word,
// blank-padded. header holds P1 at header[0] and at least 13 values.
void write_text_record(const std::vector<float>& header, std::string_view text,
                       std::vector<float>& scratch);

}  // namespace edit
