// Folders, limits, preferences and library data: set at start-up (start_up.cpp,
// library_data.cpp), by the preferences reader and the Preferences dialog (preferences.cpp) and
// by the guitar chord loader (guitar_chords.cpp); read by the drawers and the file commands.
//
// Folder and path texts keep the program's own form ("C:\program files\melandrix\...",
// "C:\!TMP\"); the path layer maps them to the data and work folders. They are blank-padded and
// never cut or upper-cased. While the Preferences dialog runs, LibraryFolder and FontFolder end
// with a NUL for the front-end; at every other time they hold no NUL.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace core {

// ---- Folders and paths (start-up and the preferences write them) ---------------------------

extern FixedText<128> ProgramFolder;    // "C:\program files\melandrix" (the data folder)
extern int32_t ProgramFolderLength;     // 26
extern FixedText<512> PreferencesPath;  // ProgramFolder + "\mxlib\mxpref.dat"
extern FixedText<512> LibraryDataPath;  // ProgramFolder + "\mxlib\mx.DAT"
extern FixedText<512> SymbolDataPath;   // ProgramFolder + "\mxlib\CODE9.DAT"
extern FixedText<512> GuitarDataPath;   // ProgramFolder + "\mxlib\GUITAR.DAT"
extern FixedText<512> LibraryFolder;    // symbol library folder ("lb*.drw"), ending in "\"
extern int32_t LibraryFolderLength;
extern FixedText<512> FontFolder;  // font metrics folder ("fm*.fmt"), ending in "\"
extern int32_t FontFolderLength;
extern FixedText<128> TempDirPrefix;  // "C:\!TMP\": the work folder

// Above 0 while a music-input routine waits in an input loop of its own; -1 after start-up.
extern int32_t EngineWaitLevel;

// The key the last command-or-key wait took (wait_for_command_in_second_line writes them): its
// code as a signed byte (8 Backspace, 13 Enter, 17 Ctrl+Q, 27 Esc; 0 when the wait took a
// command text), and its key-down word, 1000 + that code (F2 1113 .. F12 1123, Home 1036, Up
// 1038, Down 1040, the main keyboard's minus key 933; 0 when none is known).
extern int32_t InputKeyWord;
extern int32_t EngineKeyWord;
// 1 once the front-end reports that the application is closing (the console: its input has
// ended). Every routine that waits for input then ends at once and leaves the store as it is.
extern int32_t ApplicationClosingWord;
// 1 once something the run was asked to do was not done: a script's line was not taken as
// written (name_untaken_line names it and sets this), a load, a save or an output write failed
// or was refused, an output asked for was not written, or a command file was stopped before its
// end. The console reading a script ends with status 1 then.
extern int32_t RunFailedWord;
inline void mark_run_failed() { RunFailedWord = 1; }

// The output file or port name of the print set-up, kept whole to kOutputTargetChars (as an EPS
// name is); the Preferences dialog leaves the text of its "Command:" field here (the
// preferences command puts the print name back after).
constexpr int kOutputTargetChars = 128;
extern FixedText<kOutputTargetChars + 1> OutputTargetName;

// The circle drawing's own words, left by the "Draw circle" dialog: the x and y radius as typed
// (at most 23 characters) and the vector increment between drawn points.
extern FixedText<24> CircleRadiusText;
extern int32_t CircleVectorIncrement;

// ---- Library data "mx.DAT" (load_library_data fills; the drawers read) ----------------------

constexpr int kCirclePointWords = 722;  // 361 (x, y) pairs
constexpr int kFontSizeFactorCount = 105;
constexpr int kStrokeFontEntries = 739;
constexpr int kStrokeFontOffsets = 70;
// Byte layout: two 32-bit integers (a format number and the file length, not used), the three
// tables, little-endian.
constexpr int kLibraryDataBytes =
    8 + 4 * kCirclePointWords + 4 * kFontSizeFactorCount + 2 * kStrokeFontEntries;
static_assert(kLibraryDataBytes == 4794);

// Pair for whole degree a (0..360) at entries 2a + 1 (cos a) and 2a + 2 (sin a).
extern Array1<float, kCirclePointWords> CirclePointTable;
// Entry f + 1 divides the text size of font number f (0..104).
extern Array1<float, kFontSizeFactorCount> FontSizeFactors;
// Entries 1..70: start offset of glyph g = text code + 1 (codes 0..69: digits, capitals, ". , (
// )", small letters, ": ; ? !"), counted from entry 71 (offset 1 = entry 71); glyph g runs to
// offset(g + 1) - 1, the last glyph to the end of the table. Data entries: pen x 10000 + x x 100
// + y on a 100 x 100 grid whose point (40, 26) is the glyph's origin (left end of its base line);
// pen 0 moves without drawing (a new stroke starts), pen 1 draws a line from the previous point.
// Unused entries at the end are 0 and draw nothing.
extern Array1<int16_t, kStrokeFontEntries> StrokeFontTable;

// 1 once CODE9.DAT (SymbolDataPath) has been read by the symbol drawing; load_library_data
// clears it.
extern int32_t SymbolDataLoaded;

// ---- Guitar chords "GUITAR.DAT" (load_guitar_chord_file fills; the chord grid reads) -------

constexpr int kGuitarRoots = 12;     // semitones from C: 1 C .. 12 B
constexpr int kGuitarVariants = 20;  // 0..19: the chord type - 1 (see GUITAR.DAT)
constexpr int kGuitarGroups = 5;     // shapes 1..5 of one chord
constexpr int kGuitarSlots = kGuitarRoots * kGuitarVariants * kGuitarGroups;

struct GuitarChordTablesRecord {
    // Fret pattern: thousands = first fret shown (0 = 1), hundreds = string count (0 = 6),
    // last two digits = the position shown as "Nfr" (0 = open position with the nut).
    Array1<float, kGuitarSlots> frets;
    // String marks, one digit per string from the lowest string: 0 none, 1..7 a dot in that fret
    // cell counted from the top line, 8 open ("o"), 9 not played ("x").
    Array1<int32_t, kGuitarSlots> marks;
    // Default size of the grid (0 = keep the item's own).
    Array1<int32_t, kGuitarSlots> sizes;
    int32_t loaded = 0;  // 1 once GUITAR.DAT has been read
};
extern GuitarChordTablesRecord GuitarChordTables;

// Index into the three guitar tables; a root, variant or group out of range is a defect.
int guitar_chord_slot(int root, int variant, int group);

// ---- Preferences (read_preferences, the Preferences dialog and its command field) -----------
// MetricFlag lives in document_tables.h.

extern float BeamTilt;                 // "BEAM": layout's beam slant factor
extern int32_t BeamThickness;          // "BMTH"
extern int32_t WholeRestFont;          // "REST"
extern float LyricDashSize;            // "DASH" (written x 0.85714)
extern int32_t BaseMidiKey;            // "MIDK": MIDI note number of keyboard input's base C
extern int32_t ProcessingMode;         // "PROC": read by music input and output
extern int32_t PrintSettingsWord;      // "SETS": read by the PostScript writers
extern int32_t TiePosition;            // "TIES"
extern float DynamicsOffset;           // "DYNA"
extern float SlurThickness;            // "SLUR"
extern float SpaceAfterClef;           // "AFTC": least room after a clef (page units)
extern float SpaceAfterBar;            // "AFTB"
extern float SpaceAfterKeySig;         // "AFTK"
extern float SpaceAfterMeter;          // "AFTM"
extern int32_t LyricDashCount;         // "XDASH"
extern float PreferencesVersion;       // "VER": written back, read by nothing else
extern int32_t PostScriptScreenFonts;  // "ADOBE"
extern int32_t ArrowKeyMode;           // "ARROW": nonzero turns the arrow steps round
extern int32_t FullWidthInput;         // "FULL": a load ends with zoom-to-width
// Arrow-key steps: 2000, 0.1, 0.25, or their negatives when ArrowKeyMode is not 0.
extern Array1<float, 3> ArrowStepWords;

// ---- First-time document set-up -------------------------------------------------------------

// 1 once apply_first_time_defaults has run in this process (reset_settings_tables re-arms it).
extern int32_t FirstTimeSetUpDone;

void reset_settings_tables();

// Paper format index of the page frame (0 = none).
extern int32_t PageFormatIndex;

}  // namespace core
