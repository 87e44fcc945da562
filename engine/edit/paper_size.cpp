#include "engine/edit/paper_size.h"

namespace edit {

// Stand-in: nothing changes.
void set_paper_size() {}

}  // namespace edit
