// Measure numbers ("MN first interval start skip endings first-bar continue"): number items
// (code 10) at the bar lines of each system, every interval bars.
//
// Tables: ParamBuffer, MacroUnit, UndoSaveMode, the item store (core); StaffTables (layout);
// MeasureNumberSettings (here).
#pragma once

#include <cstdint>

namespace edit {

// The settings "MN" keeps from one run to the next (the dialog offers them again).
struct MeasureNumberSettingsRecord {
    int32_t last_number = 0;  // the counter at the end of a continued run
    int32_t interval = 0;     // 0 line starts only, 1 every bar, else every interval-th bar
    int32_t start_bar = 0;    // the bar from which counting gives numbers
    int32_t skip_pickup = 1;  // bar number 1 gets none unless first_bar is on
    int32_t repeat_first_ending = 0;
    int32_t first_bar = 1;   // number the first bar of the page
    int32_t front_only = 1;  // at most one number per line
    int32_t continue_numbers = 0;
};
extern MeasureNumberSettingsRecord MeasureNumberSettings;

// Puts the settings back to their start-up values.
void reset_measure_numbers_state();

// Contract: "MN". Typed form (a macro running, or any of P2..P8 given): P2 first number (0: the
// defaults, every bar from bar 1 on, counter from 0), P3 interval, P4 start bar, P5 bars to skip
// after it, P6 repeat first-ending numbers, P7 number on the first bar of the page, P8 continue
// numbers. Otherwise the "Measure numbers" dialog edits the settings (Cancel ends the command
// with nothing changed). Saves an ordinary undo copy, finds the systems of the page (a clef, or
// a bar line of P5 up to 6 spanning P4 staves, opens one on its staff, staves 1..256), counts
// the bars of each system's first staff from the top of the page down and appends a number item
// (P1 10, P4 13.0, P5 the number, P6 1.0, P15 minus the centring offset) at every bar that is to
// carry one. A system's closing bar line starts no bar on that line: it neither keeps a number
// nor counts. Stops appending when the page is full. Then sorts the page by staff and position,
// redraws it and shows the palette of the current item kind.
void measure_numbers();

}  // namespace edit
