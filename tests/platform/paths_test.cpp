// The path layer: program names in Windows form become local paths in the right folders, and
// names are found whatever their case.
#include "platform/paths.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class PathsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root_ / "data" / "Lib");
        std::ofstream(root_ / "data" / "Lib" / "lb0010.drw") << "x";
        std::ofstream(root_ / "data" / "mxpref.dat") << "x";
        temp_.use_data_folder(root_ / "data");
        temp_.enter();
    }
    TempFolder temp_{"ormest_paths"};
    const fs::path& root_ = temp_.root();
};

TEST_F(PathsTest, ProgramAndTempFoldersMapToDataAndWorkFolders) {
    const std::string data = (root_ / "data").string();
    const std::string work = (root_ / "work").string();
    EXPECT_EQ(platform::local_path("C:\\program files\\melandrix\\MXPREF.DAT"),
              data + "/mxpref.dat");
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

TEST_F(PathsTest, FolderPrefixesMapOnlyAsWholeComponents) {
    const std::string data = (root_ / "data").string();
    const std::string work = (root_ / "work").string();
    // The folders themselves, with and without their last separator.
    EXPECT_EQ(platform::local_path("C:\\!TMP"), work);
    EXPECT_EQ(platform::local_path("C:\\!TMP\\"), work + "/");
    EXPECT_EQ(platform::local_path("\\program files\\melandrix"), data);
    // A longer folder name that only begins like them is no such folder.
    EXPECT_EQ(platform::local_path("C:\\!TMPX\\a.tmp"), "/!TMPX/a.tmp");
    EXPECT_EQ(platform::local_path("C:\\program files\\melandrixes\\a"),
              "/program files/melandrixes/a");
    // Only a letter before the colon is a drive; "C:" alone names nothing.
    EXPECT_EQ(platform::local_path("z:Song.MUS"), "Song.MUS");
    EXPECT_EQ(platform::local_path("1:x"), "1:x");
    EXPECT_EQ(platform::local_path("C:"), "");
}

TEST_F(PathsTest, ANameOf48CharactersIsFoundInAnyCase) {
    const std::string name = std::string(44, 'n') + ".MUS";
    ASSERT_EQ(name.size(), 48u);
    std::ofstream(root_ / "work" / name) << "x";
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(platform::local_path("C:\\!tmp\\" + lower), (root_ / "work" / name).string());
    EXPECT_EQ(platform::work_file(lower), (root_ / "work" / name).string());
    EXPECT_TRUE(platform::file_exists("\\!TMP\\" + lower + "   "));
}

TEST_F(PathsTest, FoldersNeverSetMapToNothing) {
    platform::set_work_folder("");
    platform::set_data_folder("");
    EXPECT_EQ(platform::local_path("C:\\!TMP\\!undo!.tmp"), "");
    EXPECT_EQ(platform::local_path("C:\\program files\\melandrix\\mxlib\\mx.DAT"), "");
    EXPECT_EQ(platform::work_file("!undo!.tmp"), "");
}

TEST_F(PathsTest, InitFindsTheDataFolderFromTheEnvironmentAndMakesTheWorkFolder) {
    const char* home = std::getenv("ORMEST_HOME");
    const std::string saved_home = home != nullptr ? home : "";
    ::setenv("ORMEST_HOME", (root_ / "data").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ / "state").c_str(), 1);
    std::string error;
    ASSERT_TRUE(platform::init_paths("", &error)) << error;
    EXPECT_EQ(platform::data_folder(), (root_ / "data").string());
    EXPECT_EQ(platform::work_folder(), (root_ / "state" / "ormest").string());
    EXPECT_TRUE(fs::is_directory(root_ / "state" / "ormest"));
    ::unsetenv("XDG_STATE_HOME");
    if (home != nullptr)
        ::setenv("ORMEST_HOME", saved_home.c_str(), 1);
    else
        ::unsetenv("ORMEST_HOME");
}

}  // namespace
