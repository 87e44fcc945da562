// The item parameter editors (P1 - 10, P11- 20, P21 - 30) and the item values dialog.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterParameterDialogs() {}

}  // namespace frontend
