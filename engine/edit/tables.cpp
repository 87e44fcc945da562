#include "engine/edit/tables.h"

namespace edit {

// ---- the parameter line and committing items ------------------------------------------------

core::Array1<float, 50> EditScratch;
int32_t EditScratchCount = 0;

// ---- item words -------------------------------------------------------------------------------

int32_t EnharmonicDirection = 0;

// ---- item ends --------------------------------------------------------------------------------

// ---- box input --------------------------------------------------------------------------------

void reset_edit_tables() {
    // parameter line
    EditScratch.fill(kNotGiven);
    EditScratchCount = 0;

    // item words
    EnharmonicDirection = 0;

    // item ends

    // box input
}

}  // namespace edit
