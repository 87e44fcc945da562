#include "engine/input/mark_items.h"

namespace input {

// Not built yet: the marks build nothing.
void build_mark_items() {}

}  // namespace input
