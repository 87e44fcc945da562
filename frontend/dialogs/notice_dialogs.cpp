// The question and notice dialogs.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterQuestionDialogs() {}

}  // namespace frontend
