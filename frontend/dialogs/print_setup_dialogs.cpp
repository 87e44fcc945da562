// The print setup dialogs: Print Setup, the bounding box outline and the print file names.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterPrintSetupDialogs() {}

}  // namespace frontend
