#include "engine/edit/beat_counting.h"

namespace edit {

// Stand-in until the beat count is built: no staff has beats.
void count_staff_beats(int32_t& lowest, int32_t& highest, float& first, float& last) {
    (void)highest, (void)first, (void)last;
    lowest = -1;
}

}  // namespace edit
