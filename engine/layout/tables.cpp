#include "engine/layout/tables.h"

namespace layout {

StaffTablesRecord StaffTables;
int32_t MaxStaffNumber = kMaxStaves;
int32_t ShowInvisibleItems = 1;

void reset_layout_tables() {
    StaffTables.StaffScale.fill(25.0f);
    StaffTables.StaffBaseY.fill(0);
    StaffTables.StaffMiddleY.fill(0);
    StaffTables.StaffLineWidthCode.fill(0);
    StaffTables.StaffColour.fill(0.0f);
    StaffTables.CurrentStaff = 0;
    MaxStaffNumber = kMaxStaves;
    ShowInvisibleItems = 1;
}

}  // namespace layout
