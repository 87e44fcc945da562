// Every test program starts with the build's data folder (ORMEST_HOME, set by ctest) as the
// program's data folder, as the program itself has after start-up. Fixtures that need another
// folder set their own and put this one back. A test program run by hand, without ORMEST_HOME,
// finds the data folder beside itself, as the program finds its own.
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace {

// Sets ORMEST_HOME to "data" beside the test program when it is not set, before any test (or
// fixture reading the variable) runs.
bool find_data_folder_beside_the_program() {
    if (const char* home = std::getenv("ORMEST_HOME"); home != nullptr && *home != '\0')
        return true;
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return false;
    const std::filesystem::path data = self.parent_path() / "data";
    if (!std::filesystem::is_directory(data, ec)) return false;
    return setenv("ORMEST_HOME", data.c_str(), 1) == 0;
}

[[maybe_unused]] const bool kDataFolderBesideTheProgram = find_data_folder_beside_the_program();

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
