// Test helper: the status a script's run ends with, read two ways: the program's own exit
// status, or, for lines run in the test's process, the run's mark that the program turns into
// that status; and the status the kinds of the replies shown give, to hold it against.
#pragma once

#include "engine/core/settings_tables.h"

// 1 when the run was marked failed, else 0.
inline int marked_status() { return core::RunFailedWord != 0 ? 1 : 0; }

// How many lines the console printed as failure replies in the last run made in this process
// (run_console, run_console_script).
inline int FailureLinesInLastRun = 0;

// The status a script's last run must end with, read from the kinds of its replies: 1 when a
// reply was shown as a failure, else 0.
inline int status_from_reply_kinds() { return FailureLinesInLastRun > 0 ? 1 : 0; }
