// Short view and developer commands: the stored top and bottom view limits ("K", "Q"), the
// view's vertical offset ("Y" + letter), the console-bridge tests ("U" + letter, "W" + letter
// other than W and S), the path dump "xxx" ("HH") and the file-exists test.
//
// Tables: CommandLine, SecondLine, ParamBuffer, IntParamBuffer, MessageLine, the item store
// (core); ViewOrigin, PathPointList, ItemOutputSpans and the text records (render).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace layout {

// The top and bottom limits the view positioning uses.
extern core::Array1<int32_t, 2> ViewLimits;

// "K", "Q": a nonzero P2 sets ViewLimits to INT(P2), INT(P3); MessageLine then shows both
// limits as 2I8 whether or not numbers came. The numbers are read whole (an exponent included);
// one that cannot be, or a limit that needs more than its eight columns, refuses the line
// ("*** Number out of range: " or "*** Not a number: ", the number as typed; a failure).
void set_view_top_bottom();
// "Y" + letter: a nonzero P2 sets ViewOrigin y to INT(P2) and redraws; MessageLine shows
// "Y offset=" with the y origin as I7 (wider for an offset that J put past it). A P2 that needs
// more than seven columns is refused as K's limits are.
void set_view_y_offset();
// "U" + letter: developer tests of the console bridge and the front-end services, chosen by
// the second letter of CommandLine; "U" + any other letter writes "textpos" in the work folder.
void test_console_boxes();
// "W" + a letter other than W and S: presets "Try to edit this string." and asks for a line.
void test_edit_string();
// "HH": every x of PathPointList (its count as stored), one I6 a line, into "xxx" in the work
// folder. A file that cannot be opened is skipped silently.
void write_path_x_values();
// MessageLine := "*** Measurements =" and, from column 20, the unit of MetricFlag: "INCHES"
// (0, and any value not known), "METRIC (centimeters)" (1), "POINTS" (2). Left alone while a
// command file runs (MacroUnit is not DefaultMacroUnit): its lines would only overwrite it.
void format_units_message();
// Fills the preferences' units-message hook with format_units_message.
void register_units_message();
// -1 when the file exists (opened and closed again), 0 when it does not; never creates it.
int32_t check_file_exists(std::string_view name);

}  // namespace layout
