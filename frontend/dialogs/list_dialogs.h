// Words of the list dialogs that their launchers fill before a run.
#pragma once

#include <string>
#include <vector>

namespace frontend {

// The names the music directory chooser lists, in order (its launcher sets them).
std::vector<std::string>& MusDirEntries();

}  // namespace frontend
