// Start-of-test and document-reset helper: every subsystem's tables back to start-up values.
#pragma once

namespace core {

// Calls reset_..._tables() of every subsystem and closes every file unit.
void reset_engine();

}  // namespace core
