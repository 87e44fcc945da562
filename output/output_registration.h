// Fills the hooks through which the drawing and the layout reach the PostScript writer (they
// stand below it and cannot call it by name).
#pragma once

namespace output {

// Sets every PostScript entry of render::RenderHooks and layout::LayoutHooks.
void register_output_hooks();

}  // namespace output
