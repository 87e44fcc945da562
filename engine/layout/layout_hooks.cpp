#include "engine/layout/layout_hooks.h"

#include "engine/core/bridge/front_end_port.h"

namespace layout {

LayoutHooksRecord LayoutHooks;

int32_t run_staff_spacing_dialog() {
    constexpr int32_t kCancel = 2;
    return core::has_front_end() ? core::front_end().RunStaffSpacingDialog() : kCancel;
}

}  // namespace layout
