// Folders, preferences and library data: set at start-up and by the preferences, read by the
// drawers and the file commands.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace core {

// Folder texts keep the program's own form ("C:\program files\melandrix", "C:\!TMP\"); the
// path layer maps them to the data and work folders.
extern FixedText<128> ProgramFolder;
extern FixedText<512> LibraryFolder;  // symbol library folder, ending in a separator
extern FixedText<512> FontFolder;     // font metrics folder, ending in a separator
extern FixedText<128> TempDirPrefix;  // "C:\!TMP\"

void reset_settings_tables();

}  // namespace core
