// The output choice before a PostScript job: measures the page, shows the Print Setup dialog
// with the print parameters and turns the answers into the settings in force and the target.
//
// Tables: PrintParameters, OutputSettings, OutputFileName, OutputNameField, PrintBox
// (output); CommandLine, CommandModeLetters, CurrentFileName, FrontEndCommandBuffer (core).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace output {

// go = 1: write the job; 0: cancelled ("X" in CommandLine(1)) or refused. "PS" in letters 3-4
// of the command word ("PRPS") skips the dialog: the parameters in force, the measured box.
void select_ps_output(int32_t& go);
// 0 when the name may be written as EPS (ends ".eps" in any case, or is a network path "\\");
// otherwise shows "Output must be to .EPS file." and returns 1.
int32_t check_eps_name(const core::FixedText<512>& name);
// Display units per unit of the Print Setup bounding box (word 20: 0 inches, 1 cm, 2 points;
// any other value counts as points). The dialog shows the page box divided by it and returns
// the box in its unit.
float display_units_per_box_unit(int32_t unit);
// The margin, in display units, the print box keeps on every side of the measured items: what
// strokes and glyphs reach beyond the points the screen measured.
constexpr int32_t kPageBoxMargin = 300;
// What a measured x and y gain on the paper (display units from its lower left corner, size 1):
// the page procedure draws them from the page's left edge and the margins of the offsets in
// force.
struct PaperShift {
    double x;
    double y;
};
PaperShift paper_shift();
// Measures the page ("BB" with the print letter R) into PrintBox.
void measure_print_box();
// Measures the page and places its box on the paper as the Print Setup dialog would return
// it unchanged (PrintParameters.print_bounding_box, by the offsets in force).
void measure_and_place_print_box();

}  // namespace output
