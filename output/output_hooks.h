// Services of the command layer that the output calls: the output stands beside the commands
// and below them, so it cannot call them by name. Each is a function pointer that the command
// layer fills when the engine is reset (reset_engine); until then the output does without it
// as its comment says.
//
// The hooks are wiring, not state: reset_output_tables() leaves them alone. Tests that replace
// one put the previous value back.
#pragma once

#include "engine/core/fixed_array.h"

namespace output {

struct OutputHooksRecord {
    // The file commands' load (core::load_document_file): loads the named document over the
    // page as a get does and returns whether the page now holds it. A batch loads each of its
    // documents through it; unset, no document loads and the batch stops at its first.
    bool (*load_document_file)(const core::FixedText<512>& name) = nullptr;
};
extern OutputHooksRecord OutputHooks;

}  // namespace output
