// Test helper: the three roads a script's lines take into the console (piped, "--console FILE",
// a command file read by RE), named for a test's trace, and a reply's text search.
#pragma once

#include <string>

#include "tests/support/run_status.h"

enum class Road { Piped, ConsoleFile, Re };

inline const char* road_name(Road road) {
    return road == Road::Piped ? "piped" : road == Road::ConsoleFile ? "--console FILE" : "RE";
}

inline bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

// The status the last run ends with, 0 or 1: the program's own exit status on the
// "--console FILE" road (status, -1 when it did not end normally), the run's mark for the
// lines run in this process (piped, RE), which the program turns into its status.
inline int road_status(Road road, int status) {
    return road == Road::ConsoleFile ? status : marked_status();
}
