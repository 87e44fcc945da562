// Library data: the circle points, font size factors and stroke font of "mx.DAT", read at
// start-up and by the restore commands, and the guitar chord shapes of "GUITAR.DAT", read the
// first time a chord grid is drawn.
// Tables: settings_tables.h (paths, library tables, guitar tables, loaded flags).
#pragma once

#include <string_view>

namespace core {

// Builds the library data paths, reads the preferences file on unit 8 (through MacroUnit,
// restored afterwards) and reads "mx.DAT" into CirclePointTable, FontSizeFactors and
// StrokeFontTable; empties PathPointList and clears the symbol and guitar loaded flags.
// A missing "mx.DAT": "File not found --> " and the path, returns false. A file that cannot be
// read or is shorter than its layout: kDamagedFileMessage and the path, the three tables zero,
// returns true.
bool load_library_data();

// Reads "GUITAR.DAT" (GuitarDataPath) into GuitarChordTables and sets its loaded flag. A file
// that is missing or cannot be opened leaves the tables and the flag as they are (every chord
// grid tries again). Bad lines are skipped (see the file's own header for the layout).
void load_guitar_chord_file();

// Applies one line of the guitar chord file; exposed for the tests. Returns false when the
// line is skipped.
bool apply_guitar_chord_line(std::string_view line);

}  // namespace core
