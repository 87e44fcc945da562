#include "engine/edit/tables.h"

namespace edit {

// ---- the parameter line and committing items ------------------------------------------------

core::Array1<float, 50> EditScratch;
int32_t EditScratchCount = 0;
int32_t EditChangesPending = 0;
int32_t EditPreviewMode = 0;
int32_t NewItemStaffSide = 0;
int32_t PreviewWordsEnd = 0;

// ---- item words -------------------------------------------------------------------------------

int32_t EnharmonicDirection = 0;

// ---- item ends --------------------------------------------------------------------------------

ItemEndsStateRecord ItemEndsState;

// ---- box input --------------------------------------------------------------------------------

int32_t PendingBoxStep = 0;
core::Array1<int32_t, 256> StaffMarks;
core::Array1<int32_t, 2> LastBoxOutlineX;
BoxOutlineRecord BoxOutline;
int32_t BoxSourceStaff = 0;
SelectionBoxRecord SelectionBox;

// ---- keyword decoder --------------------------------------------------------------------------

EditSearchRecord EditSearch;
core::Array1<float, 45> SavedParameters;
int32_t SavedParameterNumber = 0;
int32_t LastEditedItem = 0;

void reset_edit_tables() {
    // parameter line
    EditScratch.fill(kNotGiven);
    EditScratchCount = 0;
    EditChangesPending = 0;
    EditPreviewMode = 0;
    NewItemStaffSide = 0;
    PreviewWordsEnd = 0;

    // item words
    EnharmonicDirection = 0;

    // item ends
    ItemEndsState = ItemEndsStateRecord{};

    // box input
    PendingBoxStep = 0;
    StaffMarks.fill(0);
    LastBoxOutlineX.fill(0);
    BoxOutline = BoxOutlineRecord{};
    BoxSourceStaff = 0;
    SelectionBox = SelectionBoxRecord{};

    // keyword decoder
    EditSearch = EditSearchRecord{};
    EditSearch.codes.fill(0);
    SavedParameters.fill(0.0f);
    SavedParameterNumber = 0;
    LastEditedItem = 0;
}

}  // namespace edit
