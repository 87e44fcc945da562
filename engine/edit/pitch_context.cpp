#include "engine/edit/pitch_context.h"

namespace edit {

StaffPitchContextRecord StaffPitchContext;
const core::Array1<int32_t, 105> KeyAccidentalTable{};

int32_t clef_step_offset(int32_t /*clef*/) { return 0; }

// Stand-ins: an empty context, nothing added.
void scan_staff_context() {
    StaffPitchContext.count = 0;
    StaffPitchContext.records.clear();
}
void add_key_signature_item(int32_t& /*key*/, int32_t& /*clef*/) {}

}  // namespace edit
