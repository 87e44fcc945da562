#include "engine/render/page_redraw.h"

#include "engine/core/item_store.h"

namespace render {

// Until the drawers land, a redraw only restores the store's index; no item draws anything.
void redraw_items() { core::rebuild_item_start_table(); }

}  // namespace render
