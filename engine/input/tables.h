// The shared tables of music input. Each section says which procedures write its tables; every
// other file only reads them.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/layout/tables.h"

namespace input {

// ---- new items by name (new_item_defaults.cpp) ------------------------------------------------

// ---- typed music lines: the token list and the parser's state (music_text.cpp, token_scan.cpp,
// and every token parser) ----------------------------------------------------------------------

// The line kind (InputParserMode), the token list (InputTokenList, appended through
// push_input_value only), the input staff and the clef kinds of the staves are the layout's
// work tables (engine/layout/tables.h), which the line builders read.
using layout::InputParserMode;
using layout::InputTokenList;
using layout::kBeamsMode;
using layout::kInputTokenCapacity;
using layout::kMarksMode;
using layout::kNotesMode;
using layout::kRhythmsMode;
using layout::kSlursMode;
// The count of InputTokenList when the current line began; a syntax error sets the count back
// to it.
extern int32_t InputItemMark;
// The side flag of each slot of InputTokenList that holds a mark code (parse_mark_token).
extern core::ArrayRange<int32_t, 0, kInputTokenCapacity> MarkSideFlags;
// The value the token parser left for the token just parsed.
extern float InputTokenValue;
// The position just after the current token (its separator); the token parsers stop there.
extern int32_t InputTokenEnd;
// The position of the line's terminating ";".
extern int32_t InputLineEnd;
// The outcome of the last line: 0 built; -1 parser stopped; -2 repeat on an empty list; -3 too
// many values; -3 - mode for a line that gave no value; a positive column for a repeat that
// reaches back too far, or the column after a syntax error.
extern int32_t InputParseStatus;
// The repeat request a token leaves: how many entries back, and how many times (negative: no
// value pushed first; -999 skip; 100 added keeps the accidentals; -2 the last entry once more).
extern int32_t RepeatSpan;
extern int32_t RepeatTimes;
// The octave state of the note parser: octave offset (a multiple of 7), previous step (-1 =
// nearest-note rule off), current step, previous degree (1..7; 99 none yet).
struct NoteOctaveStateRecord {
    int32_t octave_offset = 28;
    int32_t previous_step = -1;
    int32_t current_step = 0;
    int32_t previous_degree = 99;
};
extern NoteOctaveStateRecord NoteOctaveState;
// The chord state of the driver: -1 after a ":" (the next note starts a chord's further notes),
// 1 or more inside a chord, 2 at its separator, 0 outside.
extern int32_t ChordState;
// The character code of the last "+" or "-" written after a note.
extern int32_t InputSignMark;
// The meter last read: common time 99/1, cut time 98/1.
struct MeterRecord {
    int32_t numerator = 4;
    int32_t denominator = 4;
};
extern MeterRecord CurrentMeter;
// The number last given in an M token.
extern int32_t LastMNumber;
// The page's key: its letter "A".."G" and "#" sharp, blank natural, anything else flat; and
// that key as sharps (positive) or flats (negative).
extern core::FixedText<2> CurrentKeyName;
extern int32_t CurrentKeyValue;
// The clef kind found for the input's line (the input staff and the clef kinds of the staves
// are the layout's: InputStaff, StaffClefKinds).
extern int32_t InputClefKind;
using layout::InputStaff;
using layout::StaffClefKinds;
// ItemCount and ItemWordsUsed when the input began: the input rolls the store back to them.
extern int32_t InputStartItemCount;
extern int32_t InputStartWordsUsed;
// The column before a "[" and the column of a "]" of the line: a bracketed group.
struct BracketMarksRecord {
    int32_t group_start = 0;
    int32_t group_end = 0;
};
extern BracketMarksRecord BracketMarks;
// The motive being recalled: two leading characters, tokens separated by "/", closed by "]";
// and the diatonic steps by which its pitches move.
extern core::FixedText<256> MotiveText;
extern int32_t MotiveStepShift;

// Appends v to InputTokenList. When the list is full nothing is written, InputParseStatus
// becomes -3 and the result is false: the caller stops the line.
bool push_input_value(float v);

// ---- the line pre-pass and its builders (music_text.cpp) -------------------------------------

// Raised by one each time a typed line is built: the page redraw then draws every item, even
// while a command file runs.
extern int32_t RedrawRequest;

// ---- the marks line (mark_tokens.cpp, mark_items.cpp) -----------------------------------------

// The page-wide setting that every mark symbol row built from a marks line carries in its P15
// (numbered symbols excepted); the builder only copies it.
extern float PageMarkSetting;

// ---- typed tokens to live items (typed_items.cpp, typed_rhythms.cpp) --------------------------

// Where the live entry puts the next item: written by typed_token_to_item and
// repeat_input_group, and set up by the live entry when a line begins (staff, x, octave).
struct TypedPlacementRecord {
    float x = 0.0f;            // P3 of the last column placed; the next one goes 5.0 further
    int32_t clef = 0;          // the clef of the last clef item: 0 treble .. 4 percussion
    int32_t middle_line = 18;  // the clef used for note positions: 18, 6, 12, 10
    int32_t octave = 4;        // -1 unset: the next note takes 4 (3 under a bass or tenor clef)
    int32_t cue = 0;           // 1: notes are cue-sized (P4 100 away from zero)
    int32_t stem = 0;          // 0 automatic, 1 up, -1 down, 99 counted as up
    int32_t stem_length = 0;   // 0, 1, 2: P12 of the notes that follow
    int32_t bar_number = 0;    // the number of the bars that follow
    float transpose = 0.0f;    // steps added to every note's P4
    int32_t groups = 0;        // tokens given with a "/" separator
    int32_t chord_hold = 0;    // 1 after a ":" separator: the next note stays at x
    int32_t first_token = 1;   // 1 until the first token of an input has been taken
};
extern TypedPlacementRecord TypedPlacement;
// The live entry's places in CommandLine for the token being taken (written by the live entry)
// and the motive marks typed_token_to_item finds in it (read by the motive store).
struct TypedMotiveMarksRecord {
    int32_t token_start = 0;  // position of the token's first character
    int32_t line_cursor = 0;  // the line's last character so far
    char name = ' ';          // the character before a "["
    int32_t start = 0;        // the line position of that name character
    int32_t end = 0;          // the line cursor when a "]" was met; 0 at the start of each token
};
extern TypedMotiveMarksRecord TypedMotiveMarks;
// One row per token taken (and per copied column): what it was and the state after it.
constexpr int32_t kTypedEntryCapacity = 300;
struct TypedEntryRow {
    int32_t kind = 0;    // degree 1..7 notes, 10 stem, 12 rest, 13 clef, 14 bar, 17 key, 18 meter
    int32_t octave = 0;  // the octave after the token
    int32_t rule = 0;    // NoteOctaveState previous step after the token (-1: rule off)
    int32_t stem = 0;    // the stem setting after the token
    int32_t first_item = 0;   // the first item the token made (ItemCount + 1 when none)
    int32_t items_after = 0;  // ItemCount after the token
    float x = 0.0f;           // TypedPlacement.x after the token
    int32_t column_flag = 0;  // the flag given when x moved since the row before, else 0
};
struct TypedEntriesRecord {
    core::Array1<TypedEntryRow, kTypedEntryCapacity> rows;
    int32_t count = 0;
};
extern TypedEntriesRecord TypedEntries;
// The rhythm of each entry given one by apply_rhythm_token (index: the column counter), and
// where the rhythm line has got to. The rhythm line entry reads and writes the cursor too.
struct EntryRhythmRecord {
    core::Array1<int32_t, kTypedEntryCapacity> flags;
    core::Array1<int32_t, kTypedEntryCapacity> head;
    core::Array1<int32_t, kTypedEntryCapacity> dots;  // 10 per dot
    core::Array1<int32_t, kTypedEntryCapacity> grace;
};
extern EntryRhythmRecord EntryRhythms;
struct RhythmCursorRecord {
    int32_t columns = 0;       // columns that have a rhythm
    int32_t current_item = 0;  // the last note or rest that received one (InputStartItemCount)
    int32_t head = 0;          // the last rhythm applied, for "/" tokens
    int32_t flags = 0;
    int32_t dots = 0;
    int32_t grace = 0;
};
extern RhythmCursorRecord RhythmCursor;

// ---- input lines (input_lines.cpp) -------------------------------------------------------------

// 1 while the "ED" tail has items turned back into input lines; set and cleared around
// regenerate_input_lines by run_ed_command.
extern int32_t RegenerateLinesFlag;
// The command file that ran "ED" (0: none): its next records answer the edit form's lines and
// closing menu in place of the dialogs, a blank record taking the offered line as it stands.
// 0 again once the file has no more records (the rest is asked of the user).
extern int32_t EditFormAnswerUnit;

// ---- input-mode files: the lines of the last input run (input_files.cpp reads them; the input
// mode writes them as it takes each line) --------------------------------------------------------

constexpr int kInputLineChars = 384;
// The lines of an input run, kept from one run to the next, in the order the saved-lines file
// holds them: the command that opened the run, the position line ("begin end"), then the notes,
// rhythms, marks, beams and slurs lines.
struct InputLinesRecord {
    core::FixedText<64> command;
    core::FixedText<16> position;
    core::FixedText<kInputLineChars> notes;
    core::FixedText<kInputLineChars> rhythms;
    core::FixedText<kInputLineChars> marks;
    core::FixedText<kInputLineChars> beams;
    core::FixedText<kInputLineChars> slurs;
};
extern InputLinesRecord InputLines;

// ---- bar lines of typed music (bar_lines.cpp) --------------------------------------------------

// The Add Bar Lines dialog's words, kept from one use to the next: top and bottom meter
// numbers, pickup items, staves up (4, 4, 0, 1 at start).
extern core::Array1<int32_t, 4> AddBarLinesWords;
// 1 when "-- Add bar lines?" was last answered No (0 at start): the edit form offers that
// answer first, so that taking every question as offered rebuilds the run as it was.
extern int32_t AddBarLinesLastNo;

// ---- the input mode (input_mode.cpp, input_edit_form.cpp; the live entries read them) ------

// 1 from the start to the end of an input run, else 0.
extern int32_t InputModeActive;
// 1 from the staff check of an input run's set-up to its end; the sort and the item-position
// routines read it.
extern int32_t InputRunFlag;
// ItemCount when the input mode was entered (1 in the edit form): draw_new_items numbers the
// note columns of the items after it, which the marks, beams and slurs lines refer to.
extern int32_t InputColumnMark;
// ItemCount + 1 when the input run began.
extern int32_t InputFirstNewItem;
// The settled range's start less 5.0: the left limit of the note readers.
extern float InputLeftLimit;
// The clef kind the note readers use (a copy of InputClefKind).
extern int32_t ReaderClefKind;
// Lines taken from a file or an edit dialog in this input run.
extern int32_t InputLineCount;
// 1 once a line of the current input run found no room on the page: the run adds nothing (its
// page is put back when it ends) and the page-full reply is given once. 0 at each run's start.
extern int32_t InputRunOverflow;
// The temporary clef item of an input command whose third character is "X" (0 none).
extern int32_t InputTempClefItem;
// The command-file unit the input run began at; restore_macro_unit returns MacroUnit to it.
extern int32_t SavedMacroUnit;
// P1..P6 of the last input run's staff item, for a command whose third character is "Z".
extern core::Array1<float, 6> LastRunStaffWords;
// The length of the line text already in CommandLine (the MIDI keyboard input leaves it); the
// live notes entry goes on after it.
extern int32_t InputLineLength;
// The number of note columns the notes line made: the rhythms line gives one rhythm to each.
extern int32_t InputColumnCount;
// Set by music input to have the command loop go back to its head; the I family clears it.
extern int32_t InputContinuationWord;

// ---- live notes entry (live_notes*.cpp) -------------------------------------------------------

// Limits of one live notes line: finished tokens that can be taken back, note columns, items
// one repeat of columns collects.
constexpr int32_t kLiveTokenLimit = 200;
constexpr int32_t kLiveColumnLimit = 150;
constexpr int32_t kRepeatItemLimit = 200;
// What a finished token changed, kept so that the token can be taken back.
struct LiveTokenState {
    int32_t line_cursor = 0;  // the line's last character before the token
    int32_t item_count = 0;
    int32_t words_used = 0;
    int32_t last_item = 0;
    int32_t entries = 0;  // TypedEntries.count
    int32_t clef_kind = 0;
    int32_t columns = 0;
    int32_t motive_open = 0;
    TypedPlacementRecord placement;
    NoteOctaveStateRecord octave;
};
// Per note column of the line: where its token starts, the octave in force, its first item and
// its P3.
struct LiveColumn {
    int32_t token_start = 0;
    int32_t octave = 0;
    int32_t first_item = 0;
    float x = 0.0f;
};
struct LiveNotesRecord {
    core::Array1<LiveTokenState, kLiveTokenLimit> tokens;
    int32_t token_count = 0;
    core::Array1<LiveColumn, kLiveColumnLimit> columns;
    int32_t column_count = 0;
    int32_t motive_open = 0;  // 1 from a "[" to its "]"
    // The line as it stood at the last restart: the "-" key reads it.
    core::FixedText<512> restart_copy;
};
extern LiveNotesRecord LiveNotes;

// Puts every table above back to its start-up value; called by core::reset_engine().
void reset_input_tables();

}  // namespace input
