#include "engine/edit/box_selection.h"

#include "engine/edit/tables.h"

namespace edit {

// Not built yet: nothing is selected.
void select_box_items() {
    SelectionList.first_item = 0;
    SelectionList.count = 0;
}
void list_word_if_inside(int32_t) {}
void scale_selection(int32_t, float, float, float) {}
void report_missing_staff() {}

}  // namespace edit
