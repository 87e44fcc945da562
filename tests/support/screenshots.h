// Where tests put the pictures a person looks at: $ORMEST_SCREENSHOT_DIR, else "screenshots"
// beside the build's data folder ($ORMEST_HOME), else in the current folder. Made when missing.
#pragma once

#include <cstdlib>
#include <filesystem>

inline std::filesystem::path screenshot_folder() {
    namespace fs = std::filesystem;
    fs::path dir = fs::current_path() / "screenshots";
    if (const char* d = std::getenv("ORMEST_SCREENSHOT_DIR"); d != nullptr && *d != '\0') {
        dir = d;
    } else if (const char* home = std::getenv("ORMEST_HOME"); home != nullptr && *home != '\0') {
        dir = fs::path(home).parent_path() / "screenshots";
    }
    fs::create_directories(dir);
    return dir;
}
