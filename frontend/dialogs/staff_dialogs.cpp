// The staff and system dialogs.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterStaffDialogs() {}

}  // namespace frontend
