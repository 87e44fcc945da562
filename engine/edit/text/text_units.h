// The text units of one entered line: the records made from it, their placement one after
// another or under the numbered notes of the staff, and the connector lines between them. Used
// by the text command (text_command.cpp) only.
//
// Tables: ParamBuffer, IntParamBuffer, the item store, MacroUnit, MessageLine, CommandStateWord
// (core); StaffTables, InputRangeStart/End (layout); EditTextBuffer, TextCodeList,
// DisplayMarkWord, PageExtent (render); InputColumnMark (input).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace edit {

// How the units of a line ended. Refused: the store could not hold the whole line, and none of
// its units were kept.
enum class TextUnitsOutcome { Done, Cancelled, Stopped, Refused };

// One line's entry: what the units need besides ParamBuffer.
struct TextLineEntry {
    std::string line;      // repaired, with dividers round the doubled marks of sung text
    bool sung = false;     // placed under numbered notes
    float start_x = 0.0f;  // the command's P3: 700 and above centres the line there
    int32_t staff = 1;
    float size = 1.0f;  // P6 modulo 100
};

// Makes the units of entry.line (step through the divider), placing each and making the
// connector lines (sung text only: the doubled marks are characters of any other text).
// Placement from P3 advances ParamBuffer(3); a line starting at 700 or more is then centred
// whole on AMOD(start_x, 1000). Stops when the store refuses a record (the store has said
// why), the note-number dialog is cancelled, the answer asks to stop or a note is not numbered.
// Every record made stays, but a unit whose note is not on the staff: it leaves no item, and
// the answer is named as a line not taken.
TextUnitsOutcome make_text_units(const TextLineEntry& entry);

// The distinct positions of the notes (code 1) of the staff, from the left, within the range
// the note marks cover: these are the numbered notes.
std::vector<float> numbered_note_positions(int32_t staff);
// Shows the note numbers of the staff on the page and takes the positions for placing units.
void show_note_numbers(int32_t staff);
// Takes the note numbers off the page again (redrawn unless redraw is false); nothing when none
// were shown.
void clear_note_numbers(bool redraw);

// Forgets the numbered notes and the last note used (a clean engine).
void reset_text_units_state();

// The answer of the note-number dialog read into NoteNumberList (see its comment); the first
// entry 99 continues after last_used.
void read_note_number_answer(const std::string& answer, float last_used);

}  // namespace edit
