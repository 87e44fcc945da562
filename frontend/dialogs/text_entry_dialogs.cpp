// The text entry dialogs.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterTextEntryDialogs() {}

}  // namespace frontend
