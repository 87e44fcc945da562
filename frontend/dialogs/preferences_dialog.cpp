// The Preferences dialog.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterPreferencesDialogs() {}

}  // namespace frontend
