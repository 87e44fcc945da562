// RESTORE, the parameter page, the E-word tail and the item bar.
#include "engine/core/tables.h"
#include "engine/edit/item_editing.h"

namespace edit {

// Not built yet.
void restore_item() {}
int32_t collect_changed_parameters() {
    core::ParamBuffer(1) = 0.0f;
    return 1;
}
void run_ed_command() {}
void set_item_bar_mode(int32_t) {}

}  // namespace edit
