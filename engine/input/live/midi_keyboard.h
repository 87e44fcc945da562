// MIDI keyboard input inside the input mode: keys played on a MIDI keyboard become tokens of the
// notes line (spelled pitches, rests, bar lines, stems, clefs, keys, meters) or rhythm tokens
// of the rhythms line, shown in the input line as they grow and drawn on the page at once.
//
// Tables: CommandLine, SecondLine, ItemStore and its tables, BaseMidiKey (core); InputParserMode,
// InputStaff, InputRangeStart, InputLineLength, RhythmCursor (input, layout).
#pragma once

#include <cstdint>

namespace input {

// The keys one run keeps to take back; an older entry gives way to a new one.
constexpr int32_t kMidiHistoryLimit = 100;

// Runs MIDI keyboard input for the line kind InputParserMode (1 notes, 2 rhythms) of InputStaff,
// polling the front-end for one event at a time. Ends at once when the poll reports a typed line
// (CommandLine then holds the line built so far, InputLineLength its length), or when the line
// is handed over: ";" ends it (key G2, rhythms complete) or "/" (the switch to typing);
// CommandLine then holds the line without control characters and InputLineLength its length.
// Events that are not note-on or note-off, repeats of the previous message and keys above 120
// are ignored. Provisional items of the notes line stay at the end of the store; the caller
// rolls them back.
void run_midi_keyboard_input();

}  // namespace input
