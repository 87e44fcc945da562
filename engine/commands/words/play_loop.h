// The play loop of "PLA" as the front-ends name it while it waits for its word.
#pragma once

#include <string_view>

namespace core {

// What the play loop waits for, shown by every front-end while PlayLoopActive is set.
inline constexpr std::string_view kPlayLoopPrompt = "the play loop of PLA (Enter or X ends it)";

}  // namespace core
