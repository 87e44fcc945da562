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

// ---- box input --------------------------------------------------------------------------------

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

    // box input
}

}  // namespace edit
