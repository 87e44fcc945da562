#include "output/output_hooks.h"

namespace output {

OutputHooksRecord OutputHooks;

}  // namespace output
