// A fresh temporary folder for one test case: made (with work/ inside) when the fixture is
// built, named the program's work folder, and removed when the fixture goes. The work and data
// folders and the current folder are put back as they were, whatever the case changed.
//
// Fixtures hold one as a member; gtest builds the fixture before SetUp and destroys it after
// TearDown, so the folder exists for the whole case.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class TempFolder {
  public:
    // tag names the folder ("/tmp/<tag>_XXXXXX") so that a leftover is easy to place.
    explicit TempFolder(std::string_view tag = "ormest_test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path work() const { return root_ / "work"; }

    // Makes the folder the current folder (put back at the end).
    void enter() const;
    // Makes folder (created when missing) the program's data folder (put back at the end).
    void use_data_folder(const std::filesystem::path& folder) const;
    // The build's data folder (ORMEST_HOME: fonts, glyphs) when it is known, else this folder.
    void use_program_data_folder() const;

  private:
    std::filesystem::path root_;
    std::filesystem::path saved_cwd_;
    std::string saved_data_;
    std::string saved_work_;
};
