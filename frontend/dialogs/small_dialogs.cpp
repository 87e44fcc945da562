// The small engine dialogs: notices, file-name and text prompts, drawing and conversion, code selection, recent files.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterSmallDialogs() {}

}  // namespace frontend
