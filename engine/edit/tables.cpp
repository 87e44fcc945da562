#include "engine/edit/tables.h"

namespace edit {

// ---- the parameter line and committing items ------------------------------------------------

// ---- item words -------------------------------------------------------------------------------

// ---- item ends --------------------------------------------------------------------------------

// ---- box input --------------------------------------------------------------------------------

void reset_edit_tables() {
    // parameter line

    // item words

    // item ends

    // box input
}

}  // namespace edit
