#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include <stdlib.h>

#include "platform/paths.h"

namespace fs = std::filesystem;

TempFolder::TempFolder(std::string_view tag)
    : saved_cwd_(fs::current_path()),
      saved_data_(platform::data_folder()),
      saved_work_(platform::work_folder()) {
    std::string pattern = (fs::temp_directory_path() / (std::string(tag) + "_XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder from " + pattern);
    root_ = pattern;
    fs::create_directories(work());
    platform::set_work_folder(work().string());
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::current_path(saved_cwd_, ec);
    platform::set_data_folder(saved_data_);
    platform::set_work_folder(saved_work_);
    fs::remove_all(root_, ec);
}

void TempFolder::enter() const { fs::current_path(root_); }

void TempFolder::use_data_folder(const fs::path& folder) const {
    fs::create_directories(folder);
    platform::set_data_folder(folder.string());
}

void TempFolder::use_program_data_folder() const {
    const char* home = std::getenv("ORMEST_HOME");
    use_data_folder(home != nullptr && *home != '\0' ? fs::path(home) : root_);
}
