#include "engine/input/tables.h"

#include "engine/input/typed/input_lines.h"

namespace input {

// ---- new items by name ------------------------------------------------------------------------

// ---- typed music lines ------------------------------------------------------------------------

int32_t InputItemMark = 0;
core::ArrayRange<int32_t, 0, kInputTokenCapacity> MarkSideFlags;
float InputTokenValue = 0.0f;
int32_t InputTokenEnd = 0;
int32_t InputLineEnd = 0;
int32_t InputParseStatus = 0;
int32_t RepeatSpan = 1;
int32_t RepeatTimes = 0;
NoteOctaveStateRecord NoteOctaveState;
int32_t ChordState = 0;
int32_t InputSignMark = 0;
MeterRecord CurrentMeter;
int32_t LastMNumber = 0;
core::FixedText<2> CurrentKeyName("C ");
int32_t CurrentKeyValue = 0;
int32_t InputClefKind = 0;
int32_t InputStartItemCount = 0;
int32_t InputStartWordsUsed = 0;
BracketMarksRecord BracketMarks;
core::FixedText<256> MotiveText;
int32_t MotiveStepShift = 0;

bool push_input_value(float v) {
    const int32_t n = static_cast<int32_t>(InputTokenList(0));
    if (n >= kInputTokenCapacity || n < 0) {
        InputParseStatus = -3;
        return false;
    }
    InputTokenList(n + 1) = v;
    InputTokenList(0) = static_cast<float>(n + 1);
    return true;
}

// ---- the line pre-pass and its builders -------------------------------------------------------

int32_t RedrawRequest = 0;

// ---- the marks line -----------------------------------------------------------------------------

float PageMarkSetting = -0.5f;

// ---- typed tokens to live items ---------------------------------------------------------------

TypedPlacementRecord TypedPlacement;
TypedMotiveMarksRecord TypedMotiveMarks;
TypedEntriesRecord TypedEntries;
EntryRhythmRecord EntryRhythms;
RhythmCursorRecord RhythmCursor;

// ---- input lines ------------------------------------------------------------------------------

int32_t RegenerateLinesFlag = 0;
int32_t EditFormAnswerUnit = 0;

// ---- input-mode files -------------------------------------------------------------------------

InputLinesRecord InputLines;

// ---- bar lines of typed music ----------------------------------------------------------------

core::Array1<int32_t, 4> AddBarLinesWords;
int32_t AddBarLinesLastNo = 0;

// ---- the input mode -----------------------------------------------------------------------------

int32_t InputModeActive = 0;
int32_t InputRunFlag = 0;
int32_t InputColumnMark = 0;
int32_t InputFirstNewItem = 0;
float InputLeftLimit = 0.0f;
int32_t ReaderClefKind = 0;
int32_t InputLineCount = 0;
int32_t InputRunOverflow = 0;
int32_t InputTempClefItem = 0;
int32_t SavedMacroUnit = 0;
core::Array1<float, 6> LastRunStaffWords;
int32_t InputLineLength = 0;
int32_t InputColumnCount = 0;
int32_t InputContinuationWord = 0;

// live notes entry
LiveNotesRecord LiveNotes;

void reset_input_tables() {
    // new items by name

    // typed music lines
    layout::reset_input_work_tables();
    InputItemMark = 0;
    MarkSideFlags.fill(0);
    InputTokenValue = 0.0f;
    InputTokenEnd = 0;
    InputLineEnd = 0;
    InputParseStatus = 0;
    RepeatSpan = 1;
    RepeatTimes = 0;
    NoteOctaveState = NoteOctaveStateRecord{};
    ChordState = 0;
    InputSignMark = 0;
    CurrentMeter = MeterRecord{};
    LastMNumber = 0;
    CurrentKeyName.set("C ");
    CurrentKeyValue = 0;
    InputClefKind = 0;
    InputStartItemCount = 0;
    InputStartWordsUsed = 0;
    BracketMarks = BracketMarksRecord{};
    MotiveText.blank();
    MotiveStepShift = 0;

    // the line pre-pass and its builders
    RedrawRequest = 0;

    // the marks line
    PageMarkSetting = -0.5f;

    // typed tokens to live items
    TypedPlacement = TypedPlacementRecord{};
    TypedMotiveMarks = TypedMotiveMarksRecord{};
    TypedEntries.rows.fill(TypedEntryRow{});
    TypedEntries.count = 0;
    EntryRhythms.flags.fill(0);
    EntryRhythms.head.fill(0);
    EntryRhythms.dots.fill(0);
    EntryRhythms.grace.fill(0);
    RhythmCursor = RhythmCursorRecord{};

    // input lines
    RegenerateLinesFlag = 0;
    EditFormAnswerUnit = 0;
    RegeneratedItems = RegeneratedItemsRecord{};

    // input-mode files
    InputLines = InputLinesRecord{};

    // bar lines of typed music
    AddBarLinesWords(1) = 4;
    AddBarLinesWords(2) = 4;
    AddBarLinesWords(3) = 0;
    AddBarLinesWords(4) = 1;
    AddBarLinesLastNo = 0;

    // the input mode
    InputModeActive = 0;
    InputRunFlag = 0;
    InputColumnMark = 0;
    InputFirstNewItem = 0;
    InputLeftLimit = 0.0f;
    ReaderClefKind = 0;
    InputLineCount = 0;
    InputRunOverflow = 0;
    InputTempClefItem = 0;
    SavedMacroUnit = 0;
    LastRunStaffWords.fill(0.0f);
    InputLineLength = 0;
    InputColumnCount = 0;
    InputContinuationWord = 0;

    // live notes entry
    LiveNotes.tokens.fill(LiveTokenState{});
    LiveNotes.token_count = 0;
    LiveNotes.columns.fill(LiveColumn{});
    LiveNotes.column_count = 0;
    LiveNotes.motive_open = 0;
    LiveNotes.restart_copy.blank();
}

}  // namespace input
