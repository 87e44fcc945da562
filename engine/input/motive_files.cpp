#include "engine/input/motive_files.h"

#include "engine/core/tables.h"
#include "engine/input/tables.h"

namespace input {

// Stand-ins until the motive files are built.
bool load_motive(int32_t at, int32_t end) { return false; }
void store_motive(int32_t& mark, int32_t& cursor) {}

}  // namespace input
