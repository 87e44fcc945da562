// The "B" words: "BN" numbers the bars of a staff, "BB" measures the page's items, shows the box
// as an outline and lets the user move it in the "Bounding Box Outline" dialog (the print job
// measures its page so, with the print letter R as second mode letter, and takes MeasuredBox).
// "BE" is the editing layer's (edit::count_line_beats).
//
// Tables: CommandLine, CommandModeLetters, ParamBuffer, MessageLine, GraphicsNextFree, ItemStore
// and its index (core); ViewOrigin, DisplayMarkWord (render); MeasuredBox, MeasureNumberCounter,
// BoundingBoxUnit (layout).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/fixed_array.h"

namespace layout {

// Left, bottom, right, top of the items in display units, as "BB" measured them last, on the
// page as drawn (left and right: view origin x taken off, 2400 added; bottom and top: the
// view's vertical origin added back).
extern core::Array1<int32_t, 4> MeasuredBox;

// The next bar number "BN" gives. Lives as long as the process (a new document keeps it);
// reset_measure_command_state puts it back to 0.
extern float MeasureNumberCounter;

// The unit the bounding-box dialog was left in (0 inches, 1 centimetres, 2 points); kept from
// one "BB" to the next.
extern int32_t BoundingBoxUnit;

// MeasureNumberCounter and BoundingBoxUnit back to 0 (engine reset).
void reset_measure_command_state();

// The positions of the page's bar lines (P1 14 with at most four values or P5 <= 7), every
// staff, in item order; a bar line closer than 4.0 to a position already listed adds nothing.
std::vector<float> collect_bar_positions();

// "BN start staff": a bar number item (code 10) at every listed bar position but the last, on
// the staff (0: the highest staff), numbered from `start` (0: on from the last "BN"); the
// first one is the short seven-value form 5.0 right of its bar line. Appends to the store and
// redraws; nothing happens without bar lines. A staff outside 0..256 is refused with a message
// and the store left alone; a full store stops the numbering where it is (append_item says so).
void number_measures();

// Every command word that begins with "B" (but "B=", "BE" and "BOT"): "BN", "BB"; any other
// gets the unknown-word reply.
void run_measure_command();

}  // namespace layout
