// The PostScript and EPS document writer: header comments, prolog, page procedure, header and
// footer boxes, the symbol procedures and every item of the page, then the trailer with the
// fonts used and the measured %%BoundingBox; in batch printing one document after another.
//
// Tables: OutputSettings, PrintParameters, PrintBox, PostScriptState, BatchList,
// OutputFileName (output); OutputPassWord, ViewOrigin, DocumentFontList (render);
// CommandLine, CommandModeLetters, CurrentFileName, ItemStore (core).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/render/render_hooks.h"

namespace output {

// Writes the job: output choice, then the page (or each document of a batch). A cancelled
// choice leaves "X" in CommandLine(1); a failed write leaves the abort letter.
void print_postscript();
// Ends the page and the file: "showpage", the trailer and the font list, the measured box
// written over the first %%BoundingBox numbers; OutputPassWord becomes 1.
void finish_ps_document();
// A job that nobody finished (its output still open, or the PostScript pass still in force)
// is stopped: the output closed, the pass back to the screen's, "X" in CommandLine(1).
void end_unfinished_ps_job();
// The header and/or footer box of the page (OutputSettings.header_footer).
void write_header_footer();
// The paper points that the header and footer boxes cover, with a point to spare on every
// side, as x1, y1, x2, y2; false when the page has neither.
bool header_footer_extent(std::array<int32_t, 4>& box);
// The current date and time: year, month, day, hour, minute.
struct PrintDate {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
};
PrintDate stamp_print_date();
// The page values an EPS item's wrapper writes.
void eps_page_values(render::RenderHooksRecord::EpsPageValues& values);
// The local path the job is written to: the named file, or a work file for the printer.
std::string job_output_path();

}  // namespace output
