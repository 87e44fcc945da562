#include "engine/edit/voice_separation.h"

namespace edit {

// Stand-ins: nothing changes.
void separate_voices() {}
void separate_voices_new_staff() {}
void set_note_duration(int32_t /*k*/, int32_t /*n*/) {}
void check_staff_single_voice() {}

}  // namespace edit
