#include "engine/layout/tables.h"

#include <algorithm>
#include <cmath>

#include "engine/core/bridge/console_bridge.h"
#include "engine/layout/staves/measure_command.h"
#include "engine/layout/view/view_settings.h"

namespace layout {

StaffTablesRecord StaffTables;
core::Array1<int32_t, 2> StaffLayoutCounters;
int32_t MaxStaffNumber = kMaxStaves;
int32_t ShowInvisibleItems = 1;
ColumnRecordsRecord ColumnRecords;
int32_t InputParserMode = 0;
core::ArrayRange<float, 0, kInputTokenCapacity> InputTokenList;
float InputStaff = 0.0f;
float InputRangeStart = 0.0f;
float InputRangeEnd = 0.0f;
bool InputLineCrowded = false;
core::Array1<int32_t, kMaxStaves> StaffClefKinds;
int32_t RhythmRowCount = 0;
core::Array1<int32_t, kInputRows> ChordStemCodes;
core::Array1<int32_t, kInputRows> ChordFirstRows;
int32_t ChordCount = 0;
core::Array1<float, kInputRows> RowRhythms;
core::Array1<float, kInputRows + 1> ColumnPositions;
int32_t ColumnPositionCount = 0;
float SpacingStaff = 999.0f;
int32_t SpacingStaffNumber = 0;
SpacingListRecord SpacingList;
int32_t GraceSpacingDone = 1;
int32_t RegenerateInputFlag = 0;
int32_t SmallNoteSetting = 0;
ChordNoteTableRecord ChordNoteTable;
int32_t ChordSpreadWord = 0;

void decode_rhythm_code(float& value, float& denominator, float code, float& tuplet, float& beams) {
    value = std::fmod(code, 1000.0f);
    if (!(value > 0.0f)) {
        denominator = 0.0f;
        tuplet = 0.0f;
        beams = 0.0f;
        return;
    }
    // The thousands count dots, never a tuplet: the base of a dotted value is value x f / (2f - 1).
    const int32_t dots = std::clamp(static_cast<int32_t>(code / 1000.0f), 0, 8);
    tuplet = 10.0f * static_cast<float>(dots);
    float base = value;
    if (dots != 0) {
        const float f = static_cast<float>(1 << dots);
        base = value * f / (2.0f * f - 1.0f);
    }
    denominator = 4.0f / base;
    const double n = std::floor(static_cast<double>(denominator) + 0.001);
    int32_t k = 1;
    while (k <= 10 && !(n < 8.0 * static_cast<double>(1 << (k - 1)))) ++k;
    beams = static_cast<float>(k - 1);
}

float rhythm_head_kind(float denominator) {
    // A grace note (denominator 0.0625) has no head kind of its own: its row keeps P6 0.
    if (denominator > 0.0f && denominator < 0.07f) return 0.0f;
    float k = 3.0f - std::trunc(denominator);
    if (k == 0.0f) k = 1.0f;
    return k;
}

bool append_column_row(const core::Array1<float, kColumnWords>& row) {
    if (ColumnRecords.count >= kColumnRows) {
        core::report_failure("*** Too many items in one input line: the rest were not made.");
        return false;
    }
    ++ColumnRecords.count;
    ColumnRecords.rows(ColumnRecords.count) = row;
    ColumnRecords.rows(ColumnRecords.count + 1).fill(0.0f);
    return true;
}

void clear_chord_note_table() {
    ChordNoteTable.code.fill(0);
    ChordNoteTable.offset.fill(0);
    ChordNoteTable.low.fill(0);
    ChordNoteTable.high.fill(0);
    ChordNoteTable.fixed.fill(0);
    ChordNoteTable.row.fill(0);
    ChordNoteTable.position.fill(0);
    ChordNoteTable.count = 0;
}

core::Array1<float, kBeamNotes> BeamNoteHeights;
core::Array1<int32_t, kBeamNotes> BeamNoteColumns;

void reset_input_work_tables() {
    for (int32_t r = 1; r <= kColumnRows + 1; ++r) ColumnRecords.rows(r).fill(0.0f);
    ColumnRecords.count = 0;
    ColumnRecords.token.blank();
    InputParserMode = 0;
    InputTokenList.fill(0.0f);
    InputStaff = 0.0f;
    InputRangeStart = 0.0f;
    InputRangeEnd = 0.0f;
    InputLineCrowded = false;
    StaffClefKinds.fill(0);
    RhythmRowCount = 0;
    ChordStemCodes.fill(0);
    ChordFirstRows.fill(0);
    ChordCount = 0;
    RowRhythms.fill(0.0f);
    ColumnPositions.fill(0.0f);
    ColumnPositions(1) = -1.0f;
    ColumnPositionCount = 0;
    SpacingStaff = 999.0f;
    SpacingStaffNumber = 0;
    SpacingList.x.fill(0.0f);
    SpacingList.v.fill(0.0f);
    SpacingList.count = 0;
    SpacingList.quarters = 0.0f;
    GraceSpacingDone = 1;
    RegenerateInputFlag = 0;
    SmallNoteSetting = 0;
    clear_chord_note_table();
    ChordSpreadWord = 0;
    BeamNoteHeights.fill(0.0f);
    BeamNoteColumns.fill(0);
}

int32_t PageFrameToggle = 0;
ZoomStateRecord ZoomState;

void reset_layout_tables() {
    PageFrameToggle = 0;
    ZoomState = ZoomStateRecord{};
    StaffTables.StaffScale.fill(25.0f);
    StaffTables.StaffBaseY.fill(0);
    StaffTables.StaffMiddleY.fill(0);
    StaffTables.StaffLineWidthCode.fill(0);
    StaffTables.StaffColour.fill(0.0f);
    StaffTables.CurrentStaff = 0;
    StaffLayoutCounters.fill(0);
    MaxStaffNumber = kMaxStaves;
    ShowInvisibleItems = 1;
    reset_input_work_tables();
    reset_measure_command_state();
    ViewLimits.fill(0);
}

}  // namespace layout
