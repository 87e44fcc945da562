// Running copies on one work folder: the first keeps its work files there, a later one gets a
// locked private folder of its own, and folders of killed copies are cleared at start without
// losing their backups.
#include "platform/work_copies.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// A lock held as another running copy holds it: its own open file, locked until the end.
class HeldLock {
  public:
    explicit HeldLock(const fs::path& file) {
        fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        locked_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    ~HeldLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    bool locked() const { return locked_; }

  private:
    int fd_ = -1;
    bool locked_ = false;
};

mode_t mode_of(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

class WorkCopiesTest : public ::testing::Test {
  protected:
    void SetUp() override { ::chmod(work_.c_str(), 0700); }
    void TearDown() override { platform::release_work_folder(); }

    bool claim(std::string* kept = nullptr) {
        error_.clear();
        return platform::claim_work_folder(work_.string(), &error_, kept);
    }

    TempFolder temp_{"ormest_work_copies"};
    const fs::path work_ = temp_.work();
    std::string error_;
};

TEST(SharedWorkFiles, UserRecordsAreSharedAndPageCopiesAreEachCopysOwn) {
    for (const char* shared :
         {"!history.tmp", "!HISTORY.TMP", "!last!.tmp", "!read!.tmp", "!!cut0.tmp", "!!CUT9.TMP",
          "!!cpr.tmp", "A.MOT", "z.mrh", "!BB.dat", "!path.tmp", "midilist", "ormmidi.mid",
          "#musdir#.tmp", "!kept-1!save.mus", "ormmidi-aB3xYz.mid", "ORMMIDI-x.MID"})
        EXPECT_TRUE(platform::shared_work_file(shared)) << shared;
    for (const char* own :
         {"!undo!.tmp", "!redo!.tmp", "!save.mus", "!SAVE.MUS", "!abandon.tmp", "input.tmp",
          "!trns1.tmp", "PSFNAMES.TMP", "USBX.EPS", "!!cut10.tmp", "!!cutx.tmp", "!!cut0.tm",
          "AB.MOT", ".MOT", "!kept-", "!history.tmp2", "ormmidi-.mid", "ormmidi-x.midi",
          "!pending!save.mus", ""})
        EXPECT_FALSE(platform::shared_work_file(own)) << own;
}

TEST_F(WorkCopiesTest, TheFirstCopyKeepsItsWorkFilesInTheWorkFolder) {
    ASSERT_TRUE(claim()) << error_;
    EXPECT_EQ(platform::own_copy_folder(), "");
    EXPECT_EQ(platform::own_midi_file_name(), "ormmidi.mid");
    EXPECT_EQ(platform::local_path("C:\\!TMP\\!undo!.tmp"), (work_ / "!undo!.tmp").string());
    // Its lock is held: another copy's lock on the folder fails.
    EXPECT_FALSE(HeldLock(work_ / ".ormest-lock").locked());
    platform::release_work_folder();
    EXPECT_TRUE(HeldLock(work_ / ".ormest-lock").locked());
}

TEST_F(WorkCopiesTest, ASecondCopyGetsALockedPrivateFolderForItsOwnWorkFiles) {
    const HeldLock first(work_ / ".ormest-lock");
    ASSERT_TRUE(first.locked());
    ASSERT_TRUE(claim()) << error_;
    const fs::path own = platform::own_copy_folder();
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(own.parent_path(), work_);
    EXPECT_TRUE(own.filename().string().starts_with(".copy-"));
    EXPECT_EQ(mode_of(own), 0700);
    EXPECT_FALSE(HeldLock(own / ".lock").locked());

    EXPECT_EQ(platform::local_path("C:\\!TMP\\!undo!.tmp"), (own / "!undo!.tmp").string());
    EXPECT_EQ(platform::local_path("\\!tmp\\!SAVE.MUS"), (own / "!SAVE.MUS").string());
    EXPECT_EQ(platform::work_file("!redo!.tmp"), (own / "!redo!.tmp").string());
    EXPECT_TRUE(platform::in_work_folder(platform::local_path("C:\\!TMP\\!undo!.tmp")));
    // Its default MIDI file has its folder's tag and lies in the work folder, where it stays.
    const std::string midi = platform::own_midi_file_name();
    EXPECT_EQ(midi, "ormmidi-" + own.filename().string().substr(6) + ".mid");
    EXPECT_EQ(platform::work_file(midi), (work_ / midi).string());
    // Shared records, folders and files in folders stay in the work folder.
    EXPECT_EQ(platform::local_path("C:\\!tmp\\!history.tmp"), (work_ / "!history.tmp").string());
    EXPECT_EQ(platform::work_file("!last!.tmp"), (work_ / "!last!.tmp").string());
    EXPECT_EQ(platform::local_path("C:\\!TMP\\!!cut3.tmp"), (work_ / "!!cut3.tmp").string());
    EXPECT_EQ(platform::local_path("C:\\!TMP\\mxlib\\a.drw"), (work_ / "mxlib" / "a.drw").string());
    EXPECT_EQ(platform::local_path("C:\\!TMP\\"), work_.string() + "/");

    // Its folder is made again by the start-up's folder check should it have gone.
    fs::remove_all(own);
    EXPECT_TRUE(platform::make_folder("C:\\!TMP\\"));
    EXPECT_EQ(mode_of(own), 0700);

    // At its end the folder goes, with what is in it.
    write_text(own / "!undo!.tmp", "x");
    platform::release_work_folder();
    EXPECT_FALSE(fs::exists(own));
    EXPECT_EQ(platform::own_copy_folder(), "");
    EXPECT_EQ(platform::local_path("C:\\!TMP\\!undo!.tmp"), (work_ / "!undo!.tmp").string());
}

TEST_F(WorkCopiesTest, FoldersOfKilledCopiesAreRemovedAndLiveOnesKept) {
    fs::create_directories(work_ / ".copy-stale");
    write_text(work_ / ".copy-stale" / ".lock", "");
    write_text(work_ / ".copy-stale" / "!undo!.tmp", "old page");
    fs::create_directories(work_ / ".copy-nolock");  // died before it locked its folder
    fs::create_directories(work_ / ".copy-live");
    const HeldLock live(work_ / ".copy-live" / ".lock");
    ASSERT_TRUE(live.locked());
    write_text(work_ / ".copy-live" / "!undo!.tmp", "live page");
    // A link of that name is no folder of a copy: neither it nor what it leads to is touched.
    fs::create_directories(temp_.root() / "elsewhere");
    write_text(temp_.root() / "elsewhere" / "keep", "x");
    fs::create_directory_symlink(temp_.root() / "elsewhere", work_ / ".copy-link");
    // Other names are none of a copy's folders.
    fs::create_directories(work_ / "copy-plain");

    ASSERT_TRUE(claim()) << error_;
    EXPECT_FALSE(fs::exists(work_ / ".copy-stale"));
    EXPECT_FALSE(fs::exists(work_ / ".copy-nolock"));
    EXPECT_EQ(read_text(work_ / ".copy-live" / "!undo!.tmp"), "live page");
    EXPECT_TRUE(fs::is_symlink(work_ / ".copy-link"));
    EXPECT_TRUE(fs::exists(temp_.root() / "elsewhere" / "keep"));
    EXPECT_TRUE(fs::is_directory(work_ / "copy-plain"));
}

TEST_F(WorkCopiesTest, AKilledCopysBackupIsKeptUnderAFreeName) {
    write_text(work_ / "!save.mus", "first copy's backup");
    write_text(work_ / "!kept-1!save.mus", "kept before");
    fs::create_directories(work_ / ".copy-a");
    write_text(work_ / ".copy-a" / ".lock", "");
    write_text(work_ / ".copy-a" / "!save.mus", "unsaved work");

    std::string kept;
    ASSERT_TRUE(claim(&kept)) << error_;
    EXPECT_FALSE(fs::exists(work_ / ".copy-a"));
    EXPECT_EQ(kept, (work_ / "!kept-2!save.mus").string());
    EXPECT_EQ(read_text(work_ / "!kept-2!save.mus"), "unsaved work");
    EXPECT_EQ(read_text(work_ / "!kept-1!save.mus"), "kept before");
    EXPECT_EQ(read_text(work_ / "!save.mus"), "first copy's backup");
    // Every copy reaches a kept backup by its program name.
    platform::release_work_folder();
    const HeldLock first(work_ / ".ormest-lock");
    ASSERT_TRUE(first.locked());
    ASSERT_TRUE(claim()) << error_;
    ASSERT_FALSE(platform::own_copy_folder().empty());
    EXPECT_EQ(platform::local_path("C:\\!TMP\\!kept-2!save.mus"),
              (work_ / "!kept-2!save.mus").string());
}

TEST_F(WorkCopiesTest, ALockFileThatIsALinkIsRefused) {
    write_text(temp_.root() / "target", "");
    fs::create_symlink(temp_.root() / "target", work_ / ".ormest-lock");
    EXPECT_FALSE(claim());
    EXPECT_TRUE(error_.starts_with("Cannot lock the work folder " + work_.string() + ": "))
        << error_;
    EXPECT_EQ(platform::own_copy_folder(), "");
}

}  // namespace
