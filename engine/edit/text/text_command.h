// The T words: text entry (text items made from a typed line, split into units at the divider
// and set one after another or under numbered notes, with hyphen and extender lines), and the
// small services "TB", "TI", "TXD", "TPL", the "W" form and "TYPE".
//
// Tables: CommandLine, SecondLine, CommandModeLetters, ParamBuffer, MessageLine, MacroUnit,
// CommandStateWord, the item store (core); StaffTables (layout); LyricDashSize and
// LyricDashCount (preferences).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace edit {

// The text state kept between commands.
extern char TextDividerChar;
extern core::FixedText<3> TextFontPrefix;
extern core::FixedText<512> LastTextLine;
extern float TopLeftDisplayFlag;
// The note numbers answered for the units of the last sung line (always 45 entries once
// answered: the entries after the typed ones count on).
constexpr int kNoteNumberEntries = 45;
extern core::Array1<float, kNoteNumberEntries> NoteNumberList;
// The unit of the sung line being placed (1 = the first, which asks for the note numbers).
extern int32_t TextUnitCounter;
// A connector waiting for the unit that closes it: 1 hyphen, -1 extender, 0 none.
extern int32_t ConnectorDirection;
// 1 after "TC", -1 after "TCX": units are centred under their notes (brackets of text).
extern int32_t BracketMode;

// The T command words (see the file comment); the reply is left in MessageLine. Text entry
// leaves CommandLine "I" on the console so that the interpreter may open the newest item.
void run_text_command();

// Places the text record just made (item ItemCount) under its numbered note: sets its P3 and
// P11. The first unit of a line asks for the note numbers (the console's dialog, or the next
// record of the command file). Sets IntParamBuffer(1) = -999 when the user cancels, and
// TextStopWord when the answer starts with "B" or "^" or the unit's note is not numbered.
void place_text_unit_under_note();
extern int32_t TextStopWord;

// The geometry of one connector line.
struct TextConnectorFit {
    float start = 0.0f;
    float end = 0.0f;
    float dash = 0.0f;     // hyphens: P8
    float spacing = 0.0f;  // hyphens: P9
};
// Fits a hyphen (hyphen = 1.0) or extender (0.0) line between the text records starting at
// words open_start and close_start of ItemStore (0 = none). left is the opening unit's x + P11,
// right the closing unit's (9999.0 when none; limited to 201.0). Reads the store, StaffTables
// and the dash preferences; a staff without a scale counts as the plain size. A hyphen whose
// fitted start would pass its end (ordinary spacing) becomes one dash centred in the gap between
// the syllables, no longer than the dash preference nor half the gap, its end just past its
// start; syllables less than 0.2 apart keep the fitted line.
TextConnectorFit fit_text_connector_line(int32_t open_start, int32_t close_start, int32_t staff,
                                         float hyphen, float left, float right);

// The staff nearest the clicked point (MouseRegion words 4 x and 3 y, display units): its
// number in IntParamBuffer(3) (0 with no staff on the page), the click's step below that
// staff's middle line (as P4 - 1) in ParamBuffer(5). Returns the click's x in P3 units, -10.0
// left of the page and 210.0 beyond its end.
float find_clicked_staff();

// Back to the start-up values (reset_engine calls it).
void reset_text_command_state();

}  // namespace edit
