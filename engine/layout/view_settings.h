// Short view and developer commands: the stored top and bottom view limits ("K", "Q"), the
// view's vertical offset ("Y" + letter), the console-bridge tests ("U" + letter, "W" + letter
// other than W and S), the path dump "xxx" ("HH") and the file-exists test.
//
// Tables: CommandLine, ParamBuffer, MessageLine, SecondLine, IntParamBuffer (core);
// ViewOrigin, PathPointList (render).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace layout {

// The top and bottom limits the view positioning uses.
extern core::Array1<int32_t, 2> ViewLimits;

void set_view_top_bottom();  // K, Q
void set_view_y_offset();    // Y + letter
void test_console_boxes();   // U + letter
void test_edit_string();     // W + letter other than W and S
// "HH": every x of PathPointList, one per line, into "xxx" in the work folder.
void write_path_x_values();
// -1 when the file exists, 0 when it does not.
int32_t check_file_exists(std::string_view name);

}  // namespace layout
