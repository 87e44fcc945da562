// The transpose and tablature setup dialogs.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterSetupDialogs() {}

}  // namespace frontend
