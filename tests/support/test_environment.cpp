// Every test program starts with the build's data folder (ORMEST_HOME, set by ctest) as the
// program's data folder, as the program itself has after start-up. Fixtures that need another
// folder set their own and put this one back.
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace {

class DataFolderEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (const char* home = std::getenv("ORMEST_HOME"); home != nullptr && *home != '\0')
            platform::set_data_folder(home);
    }
};

[[maybe_unused]] ::testing::Environment* const kDataFolderEnvironment =
    ::testing::AddGlobalTestEnvironment(new DataFolderEnvironment);

}  // namespace
