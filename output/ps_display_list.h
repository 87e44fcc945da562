// The PostScript display list: while a page is written as PostScript the drawers fill
// render::PathPointList as for the screen, and the flush turns it into path text ("m", "l" and
// the painting operators) on the PostScript unit. Also the width entries, the grey of an item
// and the line-width writers, and the one write routine every PostScript writer goes through.
//
// Tables: PathPointList, OutputPassWord (render); ParamBuffer, IntParamBuffer, EditItemParams,
// CommandModeLetters (core); OutputSettings, PostScriptState (output).
#pragma once

#include <cstdint>
#include <string_view>

namespace output {

// The abort letter "B" is in CommandModeLetters(1): a write failed and the job stops.
bool ps_job_aborted();
// Writes one line on the PostScript unit through the write-error rule (message, output
// closed, abort letter). False when the job was aborted, now or before; nothing is written
// while the symbol pass only records which symbols items use.
bool write_ps_line(std::string_view line);

// Appends a width entry (OP 99, X 999, Y = width x OutputResolution / 600, truncated).
void add_path_width(int32_t width);
// Appends a path break (OP -99).
void add_path_break();
// Writes PathPointList 1..count-1 as path text and empties it; closes an open " g" group of
// the item with " r". An aborted job returns at once and leaves the list as it is.
void flush_path_points();
// Writes PathPointList 1..count-1 as path text without emptying it (the flush and the symbol
// procedure bodies use it); false when the job was aborted.
bool display_list_write();
// Adds 1 to count and writes the item's grey (" g" F6.3 " setgray") or its colour.
void write_ps_gray_level(int32_t& count);
// Writes (OutputLineWidth + extra) x WidthFactor, not below 0, with F11.4 and " lw".
void write_ps_line_width(float extra_width);
// Writes BaseLineWidth with F11.4 and " lw".
void write_ps_base_width();

// The output's line width in display units, display units per width code, and the width code
// of beam outlines (0 = none): what the drawers ask of the PostScript pass.
float output_line_width();
float output_line_width_factor();
int32_t beam_line_width();

}  // namespace output
