// Symbol procedures and the small PostScript writers of the drawers: a symbol that occurs at
// least twice on a page is defined once as a procedure ("P00".."P99") and every occurrence is
// one call; wavy trill lines as a repeated pattern, circle and ellipse arcs, and the
// line-width choices of notes and boxes.
//
// Tables: SymbolProcedures, PostScriptState, OutputSettings (output); PathPointList,
// OutputPassWord (render); ItemStore, ParamBuffer, IntParamBuffer, CommandModeLetters (core);
// StaffTables (layout).
#pragma once

#include <cstdint>

namespace output {

// The procedure pass, run before the items of each page: finds the symbols every eligible
// item uses (by drawing it once while recording) and defines a procedure for each symbol
// seen twice, within the budget of path entries and 100 procedures.
void define_symbol_procedures();
// Looks the number up; defines its procedure when it is seen for the second time.
void define_symbol_procedure(int32_t number);
// While the pass records: notes that the item being drawn uses the symbol and returns true
// (the drawer then draws nothing of it). Otherwise returns false.
bool record_symbol_use(int32_t number);
// Writes a call of the symbol's procedure at (x, y) with the item's size and returns true
// (state 1); returns false (state 0) when the symbol has no procedure: the caller draws it
// as paths.
bool write_ps_symbol_call(float x, float y, float size, int32_t number, int32_t& state);
// Chooses the width code of the note in ParamBuffer, appends it with add_path_width unless
// it is 99 (no width entry) and returns it.
int32_t select_note_line_width();
// The repeated wavy pattern of a trill line (pattern points 15..49 of x and y), from x0 to x1
// at height y0, scaled by sx and sy.
void write_ps_trill_line(const float* x, const float* y, int32_t count, float x0, float y0,
                         float x1, float sx, float sy);
// A box item's rotation group and its outline width 2 x width.
void set_box_line_width(float width);
// An arc of a code 12 circle or ellipse: centre, radius, start and end angle (degrees,
// clockwise from the top) and the vertical scale (1 for a circle).
void write_ps_arc(float x, float y, float radius, float start, float end, float y_scale);

}  // namespace output
