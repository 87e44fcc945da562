#include "engine/layout/tables.h"

namespace layout {

StaffTablesRecord StaffTables;
int32_t MaxStaffNumber = kMaxStaves;
int32_t ShowInvisibleItems = 1;
ColumnRecordsRecord ColumnRecords;

bool append_column_row(const core::Array1<float, kColumnWords>& row) {
    if (ColumnRecords.count >= kColumnRows) return false;
    ++ColumnRecords.count;
    ColumnRecords.rows(ColumnRecords.count) = row;
    ColumnRecords.rows(ColumnRecords.count + 1).fill(0.0f);
    return true;
}

void reset_layout_tables() {
    StaffTables.StaffScale.fill(25.0f);
    StaffTables.StaffBaseY.fill(0);
    StaffTables.StaffMiddleY.fill(0);
    StaffTables.StaffLineWidthCode.fill(0);
    StaffTables.StaffColour.fill(0.0f);
    StaffTables.CurrentStaff = 0;
    MaxStaffNumber = kMaxStaves;
    ShowInvisibleItems = 1;
    for (int32_t r = 1; r <= kColumnRows + 1; ++r) ColumnRecords.rows(r).fill(0.0f);
    ColumnRecords.count = 0;
    ColumnRecords.token.blank();
}

}  // namespace layout
