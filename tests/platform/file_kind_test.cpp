// What a name given for reading is: told apart by stat and the read check, opened only when it
// is a regular file this user may read, and never waited on.
#include "platform/file_kind.h"

#include <cerrno>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;
using platform::FileKind;

namespace {

class FileKindTest : public ::testing::Test {
  protected:
    void SetUp() override {
        write_text(root_ / "song.mus", "x");
        fs::create_directories(root_ / "folder.mus");
        ASSERT_EQ(::mkfifo(path("pipe.mus").c_str(), 0600), 0);
        fs::create_symlink(root_ / "gone.mus", root_ / "dangling.mus");
        fs::create_symlink(root_ / "folder.mus", root_ / "to_folder.mus");
    }
    std::string path(const std::string& name) const { return (root_ / name).string(); }

    TempFolder temp_{"ormest_file_kind"};
    const fs::path& root_ = temp_.root();
};

TEST(FileKindClassifyTest, StatAndReadOutcomesGiveTheKind) {
    const struct {
        int stat_errno;
        mode_t mode;
        int read_errno;
        FileKind kind;
    } cases[] = {
        {0, S_IFREG | 0644, 0, FileKind::Readable},
        {0, S_IFREG | 0000, EACCES, FileKind::Unreadable},  // what root cannot be shown with chmod
        {0, S_IFREG | 0644, EPERM, FileKind::Unreadable},
        {0, S_IFDIR | 0755, 0, FileKind::Folder},
        {0, S_IFDIR | 0000, EACCES, FileKind::Folder},  // a folder stays a folder
        {0, S_IFIFO | 0600, 0, FileKind::Special},
        {0, S_IFCHR | 0666, 0, FileKind::Special},
        {0, S_IFBLK | 0660, 0, FileKind::Special},
        {0, S_IFSOCK | 0777, 0, FileKind::Special},
        {ENOENT, 0, 0, FileKind::Missing},
        {ENOTDIR, 0, 0, FileKind::Missing},
        {EACCES, 0, 0, FileKind::Unreadable},  // a folder on the way may not be searched
        {ELOOP, 0, 0, FileKind::Loop},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::classify_file(c.stat_errno, c.mode, c.read_errno), c.kind)
            << "errno " << c.stat_errno << ", mode " << std::oct << c.mode << ", read errno "
            << std::dec << c.read_errno;
    }
    EXPECT_EQ(platform::file_kind_text(FileKind::Readable), "");
    EXPECT_EQ(platform::file_kind_text(FileKind::Folder), "is a folder, not a file");
    EXPECT_EQ(platform::file_kind_text(FileKind::Special), "is not a regular file");
    EXPECT_EQ(platform::file_kind_text(FileKind::Unreadable), "cannot be read (permission denied)");
    EXPECT_EQ(platform::file_kind_text(FileKind::Missing), "was not found");
    EXPECT_EQ(platform::file_kind_text(FileKind::Loop), "is a link that leads round in a loop");
}

TEST_F(FileKindTest, LinksThatLeadRoundInALoopAreToldAsSuch) {
    fs::create_symlink(root_ / "loop_b.mus", root_ / "loop_a.mus");
    fs::create_symlink(root_ / "loop_a.mus", root_ / "loop_b.mus");
    fs::create_symlink(root_ / "self.mus", root_ / "self.mus");
    EXPECT_EQ(platform::file_kind(path("loop_a.mus")), FileKind::Loop);
    EXPECT_EQ(platform::file_kind(path("self.mus")), FileKind::Loop);
    FileKind kind = FileKind::Readable;
    EXPECT_EQ(platform::open_regular_file(path("loop_a.mus"), false, 0, &kind), -1);
    EXPECT_EQ(kind, FileKind::Loop);
    // Where links are not followed, a link is refused as it always was, not called a loop.
    EXPECT_EQ(platform::open_regular_file(path("loop_a.mus"), false, O_NOFOLLOW, &kind), -1);
    EXPECT_EQ(kind, FileKind::Missing);
}

TEST_F(FileKindTest, RealPathsAreToldApartWithoutOpeningThem) {
    EXPECT_EQ(platform::file_kind(path("song.mus")), FileKind::Readable);
    EXPECT_EQ(platform::file_kind(path("folder.mus")), FileKind::Folder);
    EXPECT_EQ(platform::file_kind(path("to_folder.mus")), FileKind::Folder);
    EXPECT_EQ(platform::file_kind(path("pipe.mus")), FileKind::Special);  // no writer: no wait
    EXPECT_EQ(platform::file_kind("/dev/zero"), FileKind::Special);
    EXPECT_EQ(platform::file_kind(path("missing.mus")), FileKind::Missing);
    EXPECT_EQ(platform::file_kind(path("dangling.mus")), FileKind::Missing);
    EXPECT_EQ(platform::file_kind(path("song.mus/inside")), FileKind::Missing);
    EXPECT_EQ(platform::file_kind(""), FileKind::Missing);
}

TEST_F(FileKindTest, OnlyRegularFilesAreOpenedAndAFifoNeverBlocks) {
    FileKind kind = FileKind::Readable;
    const int fd = platform::open_regular_file(path("song.mus"), false, 0, &kind);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(kind, FileKind::Readable);
    // The descriptor reads as a plain blocking one: the no-wait flag of the open is cleared.
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    char c = 0;
    EXPECT_EQ(::read(fd, &c, 1), 1);
    EXPECT_EQ(c, 'x');
    ::close(fd);

    const struct {
        std::string path;
        bool write_too;
        FileKind kind;
    } refused[] = {
        {path("folder.mus"), false, FileKind::Folder},
        {path("folder.mus"), true, FileKind::Folder},
        {path("pipe.mus"), false, FileKind::Special},  // would block without a writer
        {path("pipe.mus"), true, FileKind::Special},
        {"/dev/zero", false, FileKind::Special},  // would never end
        {path("missing.mus"), false, FileKind::Missing},
        {path("dangling.mus"), false, FileKind::Missing},
    };
    for (const auto& r : refused) {
        kind = FileKind::Readable;
        EXPECT_EQ(platform::open_regular_file(r.path, r.write_too, 0, &kind), -1) << r.path;
        EXPECT_EQ(kind, r.kind) << r.path;
    }
    // A file about to be made is no refusal; a FIFO at that name is.
    const int made = platform::open_regular_file(path("new.mus"), true, O_CREAT | O_EXCL, &kind);
    EXPECT_GE(made, 0);
    if (made >= 0) ::close(made);
    EXPECT_EQ(platform::open_regular_file(path("pipe.mus"), true, O_CREAT, &kind), -1);
    EXPECT_EQ(kind, FileKind::Special);
}

// Root reads every file whatever its mode, so a file the user may not read is made real by
// checking it as user "nobody" in a child process.
TEST_F(FileKindTest, AFileTheUserMayNotReadIsToldAsRefused) {
    const std::string secret = path("secret.mus");
    write_text(secret, "x");
    ::chmod(secret.c_str(), 0600);
    ::chmod(root_.c_str(), 0755);  // "nobody" may look into the folder, not into the file
    if (::geteuid() != 0) ::chmod(secret.c_str(), 0000);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
        if (platform::file_kind(secret) != FileKind::Unreadable) ::_exit(11);
        FileKind kind = FileKind::Readable;
        if (platform::open_regular_file(secret, false, 0, &kind) != -1) ::_exit(12);
        if (kind != FileKind::Unreadable) ::_exit(13);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
