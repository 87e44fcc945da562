// Services of other subsystems that the drawing calls: the page frame, the view geometry update
// and the PostScript writer's steps. Each is a function pointer that its owner fills in when it
// starts; until then a call does nothing, so the drawing runs before those subsystems exist.
//
// The hooks are wiring, not state: reset_engine() leaves them alone. Tests that replace one put
// the previous value back.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

namespace render {

struct RenderHooksRecord {
    // Draws the paper outline and the display-mode mark before the first item of a redraw.
    void (*draw_page_frame)() = nullptr;
    // Recomputes the scrollable area around the items and sends it to the front-end.
    void (*update_view_geometry)() = nullptr;
    // PostScript pass: adds 1 to the group count and writes the grey of GreyState.current (or
    // the item's colour) to the PostScript unit.
    void (*write_ps_gray_level)(int32_t& group_count) = nullptr;
    // PostScript pass: writes PathPointList 1..count-1 as path operators and empties it.
    void (*flush_path_points)() = nullptr;
    // Draws the letter inside a shape-note head as a nested number item at the given size.
    void (*draw_attached_item)(float& size) = nullptr;
    // Writes one line (such as " r", the end of a grey group) to the PostScript unit.
    void (*write_ps_line)(std::string_view line) = nullptr;
};
extern RenderHooksRecord RenderHooks;

// Calls hook with args when it is set; does nothing otherwise.
template <typename Hook, typename... Args>
void run_hook(Hook hook, Args&&... args) {
    if (hook != nullptr) hook(std::forward<Args>(args)...);
}

}  // namespace render
