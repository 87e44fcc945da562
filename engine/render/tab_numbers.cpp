#include "engine/render/tab_numbers.h"

namespace render {

// Stand-in: nothing is drawn or computed.
void draw_tab_fret_numbers() {}

}  // namespace render
