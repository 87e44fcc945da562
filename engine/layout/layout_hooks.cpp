#include "engine/layout/layout_hooks.h"

namespace layout {

LayoutHooksRecord LayoutHooks;

int32_t run_staff_spacing_dialog() {
    constexpr int32_t kCancel = 2;
    return LayoutHooks.run_staff_spacing_dialog != nullptr ? LayoutHooks.run_staff_spacing_dialog()
                                                           : kCancel;
}

}  // namespace layout
