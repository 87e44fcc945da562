// Test helper: the three roads a script's lines take into the console (piped, "--console FILE",
// a command file read by RE), named for a test's trace, and a reply's text search.
#pragma once

#include <string>

enum class Road { Piped, ConsoleFile, Re };

inline const char* road_name(Road road) {
    return road == Road::Piped ? "piped" : road == Road::ConsoleFile ? "--console FILE" : "RE";
}

inline bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}
