// Test fixture: one "ormest --console" copy at a time, run in a temporary folder of its own with
// a state folder (and so a work folder and backup copy) of its own.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "tests/support/running_program.h"
#include "tests/support/temp_folder.h"

class ConsoleCopyFixture : public ::testing::Test {
  protected:
    // tag names the temporary folder.
    explicit ConsoleCopyFixture(std::string_view tag) : temp_{tag} {}

    TempFolder temp_;
    std::filesystem::path state_ = temp_.root() / "state";
    std::filesystem::path work_ = state_ / "ormest";
    std::filesystem::path backup_ = work_ / "!save.mus";
    std::unique_ptr<RunningProgram> copy_;
};
