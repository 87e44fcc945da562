#include "engine/core/settings_tables.h"

namespace core {

FixedText<128> ProgramFolder;
FixedText<512> LibraryFolder;
FixedText<512> FontFolder;
FixedText<128> TempDirPrefix;

void reset_settings_tables() {
    ProgramFolder.set("C:\\program files\\melandrix");
    LibraryFolder.set("C:\\program files\\melandrix\\mxlib\\");
    FontFolder.set("C:\\program files\\melandrix\\mxlib\\fontlib\\");
    TempDirPrefix.set("C:\\!TMP\\");
}

}  // namespace core
