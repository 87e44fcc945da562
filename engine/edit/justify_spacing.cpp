#include "engine/edit/justify_spacing.h"

namespace edit {

// Stand-ins until the spacing is built: nothing moves.
void justify_spacing(int32_t& lowest, int32_t& highest, float& left, float& right,
                     int32_t& redraw) {
    (void)lowest, (void)highest, (void)left, (void)right, (void)redraw;
}
void report_justify_space(float left, float right, std::vector<float>& positions,
                          std::vector<float>& widths) {
    (void)left, (void)right, (void)positions, (void)widths;
}

}  // namespace edit
