// The path layer: program names in Windows form become local paths in the right folders, and
// names are found whatever their case.
#include "platform/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("ormest_paths_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "data" / "Lib");
        fs::create_directories(root_ / "work");
        std::ofstream(root_ / "data" / "Lib" / "lb0010.drw") << "x";
        std::ofstream(root_ / "data" / "mxpref.dat") << "x";
        platform::set_data_folder((root_ / "data").string());
        platform::set_work_folder((root_ / "work").string());
        old_cwd_ = fs::current_path();
        fs::current_path(root_);
    }
    void TearDown() override {
        fs::current_path(old_cwd_);
        fs::remove_all(root_);
    }
    fs::path root_;
    fs::path old_cwd_;
};

TEST_F(PathsTest, ProgramAndTempFoldersMapToDataAndWorkFolders) {
    const std::string data = (root_ / "data").string();
    const std::string work = (root_ / "work").string();
    EXPECT_EQ(platform::local_path("C:\\program files\\melandrix\\MXPREF.DAT"), data + "/mxpref.dat");
    EXPECT_EQ(platform::local_path("c:\\Program Files\\Melandrix\\lib\\LB0010.DRW"),
              data + "/Lib/lb0010.drw");
    EXPECT_EQ(platform::local_path("C:\\!TMP\\!undo!.tmp"), work + "/!undo!.tmp");
    EXPECT_EQ(platform::local_path("\\!tmp\\!history.tmp"), work + "/!history.tmp");
}

TEST_F(PathsTest, SeparatorsDrivesBlanksAndNulsAreNormalised) {
    std::ofstream(root_ / "Song.MUS") << "x";
    EXPECT_EQ(platform::local_path("D:song.mus   "), "Song.MUS");
    EXPECT_EQ(platform::local_path(std::string("song.mus\0junk", 13)), "Song.MUS");
    EXPECT_EQ(platform::local_path((root_ / "SONG.mus").string()), (root_ / "Song.MUS").string());
    // A file not yet there keeps the name as written (never upper-cased).
    EXPECT_EQ(platform::local_path("sub\\New.mus"), "sub/New.mus");
    EXPECT_EQ(platform::local_path("   "), "");
    EXPECT_TRUE(platform::file_exists("SONG.MUS"));
    EXPECT_FALSE(platform::file_exists("nothere.mus"));
}

TEST_F(PathsTest, FoldersNeverSetMapToNothing) {
    platform::set_work_folder("");
    platform::set_data_folder("");
    EXPECT_EQ(platform::local_path("C:\\!TMP\\!undo!.tmp"), "");
    EXPECT_EQ(platform::local_path("C:\\program files\\melandrix\\mxlib\\mx.DAT"), "");
    EXPECT_EQ(platform::work_file("!undo!.tmp"), "");
}

TEST_F(PathsTest, InitFindsTheDataFolderFromTheEnvironmentAndMakesTheWorkFolder) {
    ::setenv("ORMEST_HOME", (root_ / "data").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ / "state").c_str(), 1);
    std::string error;
    ASSERT_TRUE(platform::init_paths("", &error)) << error;
    EXPECT_EQ(platform::data_folder(), (root_ / "data").string());
    EXPECT_EQ(platform::work_folder(), (root_ / "state" / "ormest").string());
    EXPECT_TRUE(fs::is_directory(root_ / "state" / "ormest"));
    ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
