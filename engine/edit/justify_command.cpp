#include "engine/edit/justify_command.h"

namespace edit {

// Stand-ins until the justify words are built.
void run_justify_command() {}
void justify_system(int32_t& lowest, int32_t& highest, float& left, float& right) {
    (void)lowest, (void)highest, (void)left, (void)right;
}
void justify_from_box() {}
void justify_text() {}
void find_rhythm_staff_range() {}

}  // namespace edit
