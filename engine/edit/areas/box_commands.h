// The box commands: a two-letter box word names an operation, a source box is typed or dragged
// and confirmed while its items show in the selection colour, then a destination box or a
// number of steps is given. Each answer arrives as a new command line; between lines the state
// lives in PendingBoxOperation, PendingBoxStep, SelectionBox, BoxDestination, BoxCopyCode and
// BoxCodeFilter.
//
// Tables: CommandLine, SecondLine, MessageLine, ParamBuffer, PendingBoxOperation, MacroUnit,
// EngineWaitLevel, GraphicsNextFree, ItemStore (core); SelectionBox, SelectionList,
// BoxCodeFilter, BoxDestination, BoxCopyCode, MacroDrawFlag, BoxQuestion, BoxOutlineMark,
// PendingBoxStep (edit).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace edit {

// The transposition a confirmed box is handed to lives above this layer; the command layer
// fills it in at start-up. Unset: nothing is done with the box. Wiring, not state.
struct BoxHandOverRecord {
    void (*transpose_items)() = nullptr;  // on BoxTransposeRange
};
extern BoxHandOverRecord BoxHandOver;

// The range a "TR" box hands to the transposition: one staff, left to right.
struct BoxTransposeRangeRecord {
    int32_t staff = 0;
    float left = 0.0f;
    float right = 0.0f;
};
extern BoxTransposeRangeRecord BoxTransposeRange;

// The box words, two characters each; a word's number is its place (1..14).
inline constexpr const char* kBoxWords = "M C DELJLIJ TREDCTCPSTJTMUMD";
constexpr int32_t kBoxWordCount = 14;

// One step of the box dialogue for operation code operation (1 starts the word in
// CommandLine). Leaves the next prompt in MessageLine and SecondLine; operation comes back as
// PendingBoxOperation.
void run_box_command(int32_t& operation);

// Whether the box question waiting reads every line as a box until a bare leave word: the
// source box of the move, copy, edit and staff-notes words, which name a line that is no box
// and ask again. A longer line starting with a leave word ("X 2", "IN 2") is such a line.
bool box_question_asks_again();

// Names the box word in hand as its refusals name it, where the word was given under another
// name ("TYPB" runs as "M").
void name_box_word(std::string_view word);
// The command-file form of the box word in CommandLine: reads the lines that follow at once
// ("ED" re-edits the range of its box line, the edit form's answers read from the file).
// result -1 when the word is not among the first ten.
void run_box_command_from_macro(int32_t& result);
// Deleting items by code numbers inside a box ("MX" lists them instead, "DEX" clears staves
// 201 to 256, a left position of -99.0 keeps one staff).
void delete_box_codes();
// Marks the box in ParamBuffer (flag 0) and asks "Source Box O.K.? -", or asks
// "Destination Box O.K.? - " (flag non-zero). answer: -1 Yes, 0 No, -2 Exit. A script's line
// that answers nothing ends `word` (Exit), naming the line: No would ask for the box again and
// take the script's next line as the box. An empty word is the box word last begun.
void confirm_box(int32_t& answer, int32_t destination_flag, std::string_view word = {});
// Redraws the page with the items inside the ParamBuffer box (P1 low staff, P2 left, P3 right,
// P4 high staff) in the selection colour, and the box outline.
void mark_box_items();
// A box prompt's typed answer that holds no box: an empty line, or a word (a line not starting
// as a number does). The prompts whose reader ends on it call this: the empty line ends the
// word quietly, a word is named ("*** Not a box: ... -- <word> ended, nothing was changed.").
// True when the line is no box.
bool refuse_line_without_box(const core::FixedText<512>& line, std::string_view word);
// Draws SelectionBox's rectangle as an outline (flag 0: nothing).
void show_box_outline(int32_t flag);
// No trace unit exists: nothing is traced.
void trace_box_values();

}  // namespace edit
