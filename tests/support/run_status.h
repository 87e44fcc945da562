// Test helper: the status a script's run ends with, read two ways: the program's own exit
// status, or, for lines run in the test's process, the run's mark that the program turns into
// that status; and whether the replies name a line that was not taken as written.
#pragma once

#include <initializer_list>
#include <string>

#include "engine/core/settings_tables.h"

// 1 when the run was marked failed, else 0.
inline int marked_status() { return core::RunFailedWord != 0 ? 1 : 0; }

// True when the replies name a script's line the program did not take as written.
inline bool names_untaken_line(const std::string& out) {
    for (const char* mark : {"*** Not an answer",
                             "*** No answer to",
                             "*** Not a box:",
                             "*** Not a number:",
                             "*** Not a code number:",
                             "*** Number out of range:",
                             "*** Staff numbers are",
                             "ERROR -- unknown word",
                             "*** Syntax Error",
                             "**** Input error",
                             "*** IF: cannot read",
                             "*** Not a place for",
                             "*** Not a file number",
                             " ended, nothing was changed.",
                             "-- the line was not taken.",
                             "the rest of the file was not read",
                             "is not numbered on this staff",
                             "*** Not a complete line for",
                             "line was refused and left out",
                             "-- the text was not entered.",
                             "characters: the rest was left out.",

                             "Nothing to do."}) {
        if (out.find(mark) != std::string::npos) return true;
    }
    return false;
}
