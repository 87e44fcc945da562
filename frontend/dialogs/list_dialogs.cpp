// The symbol library, path list and music directory dialogs.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterListDialogs() {}

}  // namespace frontend
