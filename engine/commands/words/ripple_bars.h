// "RIP": moves whole bars between two systems of the page (the last bars of a source system
// to the start of a lower-numbered destination, or the first bars to the end of a
// higher-numbered one), justifies both again and carries clef and courtesy meter across.
//
// Tables: CommandLine, CommandModeLetters, ParamBuffer, MessageLine, the item store (core);
// SelectionBox (edit); PageExtent (render).
#pragma once

namespace core {

// Numbers: P2 staves per system, P3 source bottom staff, P4 destination bottom staff, P5 bars
// (0 = 1); P2 of 0 asks the Ripple bars dialog (console) or reads the next command-file line.
void ripple_bars();

}  // namespace core
