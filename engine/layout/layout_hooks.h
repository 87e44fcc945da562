// Services of other subsystems that the layout calls and that are not built yet: the tool
// palettes of the editing commands and the PostScript writer's line-width entries. Each is a
// function pointer that its owner fills in when it starts; until then a call does nothing.
//
// The hooks are wiring, not state: reset_engine() leaves them alone. Tests that replace one put
// the previous value back.
#pragma once

#include <cstdint>
#include <utility>

namespace layout {

struct LayoutHooksRecord {
    // show_item_palette(number): shows the tool palette with that number.
    void (*show_item_palette)(int32_t palette) = nullptr;
    // PostScript pass: a line-width entry (OP 99) with width code w, and a path break (OP -99).
    void (*add_path_width)(int32_t w) = nullptr;
    void (*add_path_break)() = nullptr;
    // Shows the box (display units) as four red line items that live for one redraw.
    void (*add_bbox_outline)(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = nullptr;
};
extern LayoutHooksRecord LayoutHooks;

// Calls hook with args when it is set; does nothing otherwise.
template <typename Hook, typename... Args>
void run_layout_hook(Hook hook, Args&&... args) {
    if (hook != nullptr) hook(std::forward<Args>(args)...);
}

// The front-end's dialog "Vertical spacing between staves": 2 Cancel, 1 one distance for the
// listed staves, 0 (staff, distance) pairs; the typed line comes back in MessageLine. Without a
// front-end: Cancel.
int32_t run_staff_spacing_dialog();

}  // namespace layout
