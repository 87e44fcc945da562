#include "engine/edit/staff_notes_adjust.h"

namespace edit {

// Stand-ins: nothing changes.
void adjust_staff_notes() {}
void centre_item_vertically() {}

}  // namespace edit
