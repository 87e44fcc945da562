// The shared tables of notation layout: where each staff sits and how large it is.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/core/numeric.h"

namespace layout {

constexpr int kMaxStaves = 256;
// Staves 1..kLeftPageStaves lie on the left page of a two-page spread, the rest on the right.
constexpr int32_t kLeftPageStaves = 200;
// Whether an item whose P2 is p2 is drawn on the right page: its whole staff number, as every
// drawer, the measurer and the PostScript read it, is 201 or more.
inline bool on_right_page(float p2) { return core::int_of(p2) > kLeftPageStaves; }

// One entry per staff number 1..256, written by the staff step (staff_positions.cpp) during
// every page redraw and index rebuild; read by every drawer to place items.
struct StaffTablesRecord {
    // 25 x the staff's size; element 0 holds the scale of CurrentStaff.
    core::ArrayRange<float, 0, kMaxStaves> StaffScale;
    core::Array1<int32_t, kMaxStaves> StaffBaseY;    // display y of step 0
    core::Array1<int32_t, kMaxStaves> StaffMiddleY;  // display y of step 7
    core::Array1<int32_t, kMaxStaves> StaffLineWidthCode;
    // The staff item's colour P26; kept apart from MaxStaffNumber so that one cannot change
    // the other.
    core::Array1<float, kMaxStaves> StaffColour;
    int32_t CurrentStaff = 0;
};
extern StaffTablesRecord StaffTables;

// The S family's two counters: the interpreter hands them the integers kept by "ry" after
// every S word.
extern core::Array1<int32_t, 2> StaffLayoutCounters;

// Highest staff number an item may have (256).
extern int32_t MaxStaffNumber;

// 1 (the start) = invisible items (hidden staves among them) are shown on screen, -1 = hidden.
// The editing commands' "INVI" switch will own this word; until then only tests change it.
extern int32_t ShowInvisibleItems;

// ---- typed input: the work tables of the line builders ------------------------------------------
// Written by the parser of typed lines (engine/input) and by the builders of the line kinds
// (input_notes.cpp, input_rhythms.cpp, input_beams.cpp, input_slurs.cpp); read by both.

// The kind of typed line being taken (InputLineKind): 1 notes, 2 rhythms, 3 marks, 4 beams, 5
// slurs (6 done); 0 outside the input mode.
extern int32_t InputParserMode;
constexpr int32_t kNotesMode = 1;
constexpr int32_t kRhythmsMode = 2;
constexpr int32_t kMarksMode = 3;
constexpr int32_t kBeamsMode = 4;
constexpr int32_t kSlursMode = 5;
// The values of the parsed tokens of the line (InputTokens), in line order; element 0 holds the
// count. The parser appends through input::push_input_value only, which keeps the capacity.
constexpr int32_t kInputTokenCapacity = 200;
extern core::ArrayRange<float, 0, kInputTokenCapacity> InputTokenList;
// The staff of the input, and the horizontal range its line is spread over (P3 units; the
// "Set Input Space for Staff" answer, or the spacing staff's ends).
extern float InputStaff;
extern float InputRangeStart;
extern float InputRangeEnd;
// Set when the last rhythms line had to crowd its notes to stay within its range: the
// widening of close columns would take the room back from its clefs, keys and meters.
extern bool InputLineCrowded;
// The clef kind in force at the end of the last notes line of each staff (StaffClefSettings).
extern core::Array1<int32_t, kMaxStaves> StaffClefKinds;
// The rows that take a rhythm (notes and rests that are no chord members), counted while the
// notes line is built; the rhythms line must fill them (InputColumnCount).
extern int32_t RhythmRowCount;
// Per chord of the notes line: the stem code in force (0 automatic, 10 up, 20 down) and the row
// of its first note; ChordCount chords.
constexpr int32_t kInputRows = 200;
extern core::Array1<int32_t, kInputRows> ChordStemCodes;
extern core::Array1<int32_t, kInputRows> ChordFirstRows;
extern int32_t ChordCount;
// The rhythm of each row that is not a chord member (0.0 for members), left by the rhythms line.
extern core::Array1<float, kInputRows> RowRhythms;
// The distinct positions of the line's note columns in order, closed by one entry equal to
// PageExtent (counted); entry 1 is -1.0 until set.
extern core::Array1<float, kInputRows + 1> ColumnPositions;
extern int32_t ColumnPositionCount;
// The staff whose rhythm sets the spacing (999.0 or 99.0 none; above 256 counts as none), and
// its number (0 none).
extern float SpacingStaff;
extern int32_t SpacingStaffNumber;
// The spacing staff's rhythm: positions x and values v (a duration in quarters, or minus the
// code of a non-rhythm item; after append_spacing_end_marker the proportional positions),
// count (0: no spacing staff) and the total of the durations.
struct SpacingListRecord {
    core::Array1<float, kInputRows + 2> x;
    core::Array1<float, kInputRows + 2> v;
    int32_t count = 0;
    float quarters = 0.0f;
};
extern SpacingListRecord SpacingList;
// 1 = no grace-note spacing pending; the rhythm walk clears it when it meets a grace item.
extern int32_t GraceSpacingDone;

// The rows that the typed-input builders fill and the input mode stores as items: one item's
// P1..P15 per row, at most kColumnRows rows, then a terminating row of zeros; the 12-character
// token that the typed-token routines read. Appended through append_column_row only.
constexpr int32_t kColumnRows = 200;
constexpr int32_t kColumnWords = 15;
struct ColumnRecordsRecord {
    // rows(r)(w): row r (1..kColumnRows + 1), word w (1..15).
    core::Array1<core::Array1<float, kColumnWords>, kColumnRows + 1> rows;
    int32_t count = 0;
    core::FixedText<12> token;
};
extern ColumnRecordsRecord ColumnRecords;
// Appends P1..P15 as the next row (the terminating row after it stays zero). When kColumnRows
// rows are in use already nothing is written, "*** Too many items in one input line: the rest
// were not made." is shown and the result is false: the builder stops there.
bool append_column_row(const core::Array1<float, kColumnWords>& row);

// A rhythm code c (quarters, plus 1000 per dot): value = c mod 1000 (the dotted duration);
// tuplet = 10 x dots; denominator and beams of the undotted base (4 a quarter, 8 an eighth with
// one beam; 0.0625 a grace note). A value of 0 or less gives denominator, tuplet and beams 0.
void decode_rhythm_code(float& value, float& denominator, float code, float& tuplet, float& beams);
// The head of a long note by its denominator: 1 half, 2 whole, 3 breve; a grace note (64
// quarters or more) 0, so that its row keeps P6 0.
float rhythm_head_kind(float denominator);

// ---- typed input: note placement and chord arrangement (input_notes.cpp, chord_arrangement.cpp)
// -- 1 while the flip of beamed groups rebuilds a notes line from regenerated tokens: the notes
// line then starts from clef 0 and leaves StaffClefKinds alone. Set and cleared by the flip.
extern int32_t RegenerateInputFlag;
// The small-note setting of the last notes line (1 on, 0 off), left by place_input_notes.
extern int32_t SmallNoteSetting;
// The most notes one chord may have: longer chords are refused.
constexpr int32_t kChordNotes = 80;
// Scratch of arrange_chord_accidentals, cleared for each chord: per note m, in the order the
// routine walks the chord (highest first), the accidental code (0 none), its offset left of the
// head and its fixed offset (283 for a head put left of a down stem), both in thousandths, the
// staff steps its accidental reaches down to and up to, the note's row and staff position.
struct ChordNoteTableRecord {
    core::Array1<int32_t, kChordNotes> code;
    core::Array1<int32_t, kChordNotes> offset;
    core::Array1<int32_t, kChordNotes> low;
    core::Array1<int32_t, kChordNotes> high;
    core::Array1<int32_t, kChordNotes> fixed;
    core::Array1<int32_t, kChordNotes> row;
    core::Array1<int32_t, kChordNotes> position;
    int32_t count = 0;
};
extern ChordNoteTableRecord ChordNoteTable;
void clear_chord_note_table();
// hi - lo + 61 of the last chord that arrange_chord_accidentals sorted on the rhythms line (lo
// and hi its lowest and highest staff positions, hi not below 0); the rhythms line reads it.
extern int32_t ChordSpreadWord;

// ---- beams and slurs of typed input -------------------------------------------------------------
// The notes under one beam, left to right, as the beam builder (input_beams.cpp) hands them to
// compute_beam_ends: the height each presents to the beam in staff steps, and the row of
// ColumnRecords that describes its column. Written per beam; read only by compute_beam_ends.
constexpr int32_t kBeamNotes = 100;
extern core::Array1<float, kBeamNotes> BeamNoteHeights;
extern core::Array1<int32_t, kBeamNotes> BeamNoteColumns;

// ---- the S-family words and the zoom steps (staff_layout_commands.cpp, zoom_steps.cpp) ----
// 1 after an "SC$" that turned the page frame off, so that the next one turns it on again.
extern int32_t PageFrameToggle;
// The engine's side of the zoom (64 = 100%): the zoom before the last step (previous), the
// one update_view_geometry applied last (to notice a change made by the front-end), and the
// last vertical placing ratio (0.0..1.0; -1.0 none yet).
struct ZoomStateRecord {
    int32_t previous = 64;
    int32_t last_applied = 64;
    float placing_ratio = -1.0f;
};
extern ZoomStateRecord ZoomState;

// Empties the typed input's work tables above (the token list, the rows, the chord and rhythm
// tables, the spacing staff); reset_layout_tables and reset_input_tables both call it.
void reset_input_work_tables();
void reset_layout_tables();

}  // namespace layout
