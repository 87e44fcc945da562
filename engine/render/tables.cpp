#include "engine/render/tables.h"

namespace render {

PathPointListRecord PathPointList;

void reset_render_tables() { PathPointList.count = 1; }

}  // namespace render
