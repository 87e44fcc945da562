// The page layout dialogs: paper size, page layout, parts, page turns, measure numbers.
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

void RegisterPageLayoutDialogs() {}

}  // namespace frontend
