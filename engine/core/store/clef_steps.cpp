#include "engine/core/store/clef_steps.h"

namespace core {

int32_t clef_step_offset(int32_t clef) {
    switch (clef) {
        case 1:
            return -12;
        case 2:
            return -6;
        case 3:
            return -8;
        case 4:
            return -7;
        default:
            return 0;
    }
}

}  // namespace core
