// The print parameters and their file ("PRINT.SCR" by default, keyword lines), and the
// placing of a bounding box on the paper by the offsets, the size and the rotation.
//
// Tables: PrintParameters (output); CommandLine, FrontEndCommandBuffer (core); MetricFlag
// (core, the engine's unit).
#pragma once

#include <cstdint>

#include "output/tables.h"

namespace output {

// Mode 0 loads the file named by PrintParameters.print_setup_file_name into the blocks (and
// the header text and the engine's unit); any other mode saves them. A failed save says
// " ***Error writing file:" and the name.
void load_save_print_setup(int32_t mode, PrintIntBlock& ints, PrintRealBlock& reals);
// Removes the first word of CommandLine and the blanks after it.
void strip_keyword();
// Places the box (in the dialog's unit) by the offsets in force (inches), the size factor and
// the rotation; the result goes to PrintParameters.print_bounding_box (points).
void transform_print_box(float x, float y, float x1, float y1, float x2, float y2,
                         int32_t rotate);

}  // namespace output
