// The path layer: program names in Windows form become local paths in the right folders, and
// names are found whatever their case.
#include "platform/paths.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
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

// ---- the work folder is the user's own ----

mode_t mode_of(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

// Sets or unsets an environment variable for one case and puts it back afterwards.
class EnvironmentValue {
  public:
    EnvironmentValue(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvironmentValue() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

TEST(WorkFolderProblem, ALinkAFileAndAnotherUsersFolderAreRefused) {
    EXPECT_EQ(platform::work_folder_problem("/tmp/w", false, true, 1000, 1000), "");
    EXPECT_EQ(platform::work_folder_problem("/tmp/w", false, true, 0, 0), "");
    EXPECT_EQ(platform::work_folder_problem("/tmp/w", false, true, 1001, 1000),
              "The work folder /tmp/w belongs to another user.");
    // root runs in no folder that someone else made either.
    EXPECT_EQ(platform::work_folder_problem("/tmp/w", false, true, 1000, 0),
              "The work folder /tmp/w belongs to another user.");
    EXPECT_EQ(platform::work_folder_problem("/tmp/w", true, false, 1000, 1000),
              "The work folder /tmp/w is a link.");
    // A link is named as one even when it leads to a folder of ours.
    EXPECT_EQ(platform::work_folder_problem("/tmp/w", true, true, 1000, 1000),
              "The work folder /tmp/w is a link.");
    EXPECT_EQ(platform::work_folder_problem("/tmp/w", false, false, 1000, 1000),
              "The work folder /tmp/w is not a folder.");
}

TEST_F(PathsTest, PrivateFoldersAreMadeClosedAndLinksRefused) {
    // Made with its parents, closed to others.
    const fs::path made = root_ / "state" / "deep" / "ormest";
    std::string error;
    ASSERT_TRUE(platform::make_private_folder(made.string(), &error)) << error;
    EXPECT_TRUE(fs::is_directory(made));
    EXPECT_EQ(mode_of(made), 0700);

    // Ours but open to others: closed.
    const fs::path open_one = root_ / "open";
    fs::create_directory(open_one);
    ::chmod(open_one.c_str(), 0777);
    ASSERT_TRUE(platform::make_private_folder(open_one.string(), &error)) << error;
    EXPECT_EQ(mode_of(open_one), 0700);
    // Already closed: kept as it is.
    ASSERT_TRUE(platform::make_private_folder(open_one.string(), &error)) << error;
    EXPECT_EQ(mode_of(open_one), 0700);

    // A link, even to a folder of ours: refused, and the folder it leads to is left alone.
    const fs::path elsewhere = root_ / "elsewhere";
    fs::create_directory(elsewhere);
    ::chmod(elsewhere.c_str(), 0755);
    const fs::path link = root_ / "linked";
    fs::create_directory_symlink(elsewhere, link);
    error.clear();
    EXPECT_FALSE(platform::make_private_folder(link.string(), &error));
    EXPECT_EQ(error, "The work folder " + link.string() + " is a link.");
    EXPECT_EQ(mode_of(elsewhere), 0755);
    // A dangling link is no way to have one made elsewhere either.
    const fs::path dangling = root_ / "dangling";
    fs::create_directory_symlink(root_ / "not_yet", dangling);
    EXPECT_FALSE(platform::make_private_folder(dangling.string(), &error));
    EXPECT_FALSE(fs::exists(root_ / "not_yet"));

    // A file of that name.
    std::ofstream(root_ / "plain") << "x";
    EXPECT_FALSE(platform::make_private_folder((root_ / "plain").string(), &error));
    EXPECT_EQ(error, "The work folder " + (root_ / "plain").string() + " is not a folder.");
}

// A work folder that cannot be made says why in the words of the step that failed: a parent
// that cannot be made is not a missing folder.
TEST_F(PathsTest, AWorkFolderThatCannotBeMadeGivesTheReasonOfTheStepThatFailed) {
    std::ofstream(root_ / "plain") << "x";
    fs::create_directory_symlink(root_ / "nowhere" / "x", root_ / "dangling");
    struct Row {
        fs::path folder;
        const char* reason;
    };
    std::vector<Row> rows = {{root_ / "plain" / "state" / "ormest", "Not a directory"},
                             {root_ / "dangling" / "state" / "ormest", "File exists"}};
    if (::geteuid() != 0) {  // root makes folders anywhere
        fs::create_directory(root_ / "shut");
        fs::permissions(root_ / "shut", fs::perms::owner_read | fs::perms::owner_exec);
        rows.push_back({root_ / "shut" / "state" / "ormest", "Permission denied"});
    }
    for (const Row& r : rows) {
        std::string error;
        EXPECT_FALSE(platform::make_private_folder(r.folder.string(), &error));
        EXPECT_EQ(error, "Cannot create the work folder " + r.folder.string() + ": " + r.reason);
    }
    std::error_code ignored;
    fs::permissions(root_ / "shut", fs::perms::owner_all, ignored);
}

// The path a folder name stands for is whole, normal, and follows the links on its way, as the
// current folder reads once it is entered.
TEST_F(PathsTest, FolderPathsAreWholeNormalAndFollowTheirLinks) {
    const fs::path here = fs::canonical(root_);
    fs::create_directory(root_ / "real");
    fs::create_directory_symlink(root_ / "real", root_ / "via");
    EXPECT_EQ(platform::folder_path("real"), (here / "real").string());
    EXPECT_EQ(platform::folder_path("via/new/"), (here / "real" / "new").string());
    EXPECT_EQ(platform::folder_path("real/../x\\y"), (here / "x" / "y").string());
    EXPECT_EQ(platform::folder_path(""), "");
}

TEST_F(PathsTest, InitRefusesAWorkFolderThatIsALink) {
    const EnvironmentValue home("ORMEST_HOME", (root_ / "data").c_str());
    const EnvironmentValue state("XDG_STATE_HOME", (root_ / "state").c_str());
    fs::create_directories(root_ / "state");
    fs::create_directory(root_ / "theirs");
    fs::create_directory_symlink(root_ / "theirs", root_ / "state" / "ormest");
    std::string error;
    EXPECT_FALSE(platform::init_paths("", &error));
    EXPECT_EQ(error, "The work folder " + (root_ / "state" / "ormest").string() + " is a link.");
    EXPECT_EQ(platform::work_folder(), "");
    EXPECT_TRUE(fs::is_empty(root_ / "theirs"));
}

// Start-up closes a work folder that others may only read and enter (0705), as it closes one
// open to all, and claims it for this copy.
TEST_F(PathsTest, InitClosesAWorkFolderOthersMayRead) {
    const EnvironmentValue home("ORMEST_HOME", (root_ / "data").c_str());
    const EnvironmentValue state("XDG_STATE_HOME", (root_ / "state").c_str());
    const fs::path work = root_ / "state" / "ormest";
    fs::create_directories(work);
    ASSERT_EQ(::chmod(work.c_str(), 0705), 0);
    ASSERT_EQ(mode_of(work), 0705);
    std::string error;
    ASSERT_TRUE(platform::init_paths("", &error)) << error;
    EXPECT_EQ(mode_of(work), 0700);
    // Started again in the same process, the copy is still the first on its folder.
    ASSERT_TRUE(platform::init_paths("", &error)) << error;
    EXPECT_EQ(platform::local_path("C:\\!TMP\\!undo!.tmp"), (work / "!undo!.tmp").string());
}

// Without HOME and XDG_STATE_HOME the folder is one of the shared /tmp, named for the user and
// made private.
TEST_F(PathsTest, WithoutHomeTheWorkFolderIsTheUsersOwnUnderTmp) {
    const EnvironmentValue home("ORMEST_HOME", (root_ / "data").c_str());
    const EnvironmentValue state("XDG_STATE_HOME", nullptr);
    const EnvironmentValue user_home("HOME", nullptr);
    const fs::path expected = "/tmp/ormest-" + std::to_string(::geteuid());
    const bool existed = fs::exists(expected);
    std::string error;
    ASSERT_TRUE(platform::init_paths("", &error)) << error;
    EXPECT_EQ(platform::work_folder(), expected.string());
    EXPECT_EQ(mode_of(expected), 0700);
    // A shared record: other copies of the program may hold this folder meanwhile.
    EXPECT_EQ(platform::local_path("C:\\!TMP\\!history.tmp"), (expected / "!history.tmp").string());
    std::error_code ec;
    if (!existed) fs::remove(expected, ec);  // only when empty
}

TEST_F(PathsTest, MakeFolderKeepsTheWorkFolderAndItsFoldersPrivate) {
    const fs::path work = root_ / "work";
    ::chmod(work.c_str(), 0755);
    EXPECT_TRUE(platform::make_folder("C:\\!TMP\\"));
    EXPECT_EQ(mode_of(work), 0700);
    EXPECT_TRUE(platform::make_folder("C:\\!TMP\\mxlib\\more"));
    EXPECT_EQ(mode_of(work / "mxlib"), 0700);
    EXPECT_EQ(mode_of(work / "mxlib" / "more"), 0700);

    // A link inside the work folder is no folder of it.
    fs::create_directory(root_ / "outside");
    fs::create_directory_symlink(root_ / "outside", work / "linked");
    EXPECT_FALSE(platform::make_folder("C:\\!TMP\\linked"));
    EXPECT_FALSE(platform::make_folder("C:\\!TMP\\linked\\sub"));
    EXPECT_TRUE(fs::is_empty(root_ / "outside"));

    // Folders elsewhere are made as before.
    EXPECT_TRUE(platform::make_folder("mine\\sub"));
    EXPECT_TRUE(fs::is_directory(root_ / "mine" / "sub"));
}

TEST_F(PathsTest, FilesInsideTheWorkFolderAreKnownHoweverTheyAreNamed) {
    const fs::path work = root_ / "work";
    EXPECT_TRUE(platform::in_work_folder((work / "!undo!.tmp").string()));
    EXPECT_TRUE(platform::in_work_folder((work / "mxlib" / "lb5000.drw").string()));
    EXPECT_TRUE(platform::in_work_folder((work / "sub" / ".." / "x").string()));
    EXPECT_TRUE(platform::in_work_folder("work/!history.tmp"));  // relative to the current folder
    // The folder itself, its neighbours, and names that only begin like it are not inside.
    EXPECT_FALSE(platform::in_work_folder(work.string()));
    EXPECT_FALSE(platform::in_work_folder(work.string() + "/"));
    EXPECT_FALSE(platform::in_work_folder((root_ / "work2" / "x").string()));
    EXPECT_FALSE(platform::in_work_folder((root_ / "song.mus").string()));
    EXPECT_FALSE(platform::in_work_folder((work / ".." / "song.mus").string()));
    // Reached through a link to it.
    fs::create_directory_symlink(work, root_ / "via");
    EXPECT_TRUE(platform::in_work_folder((root_ / "via" / "!undo!.tmp").string()));
    platform::set_work_folder("");
    EXPECT_FALSE(platform::in_work_folder((work / "!undo!.tmp").string()));
}

}  // namespace
