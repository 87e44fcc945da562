#include "engine/commands/ripple_bars.h"

namespace core {

// Stand-in: nothing moves.
void ripple_bars() {}

}  // namespace core
