#include "engine/edit/view_size.h"

namespace edit {

// Not built yet.
void scroll_view_to_point(float&, float&) {}

}  // namespace edit
