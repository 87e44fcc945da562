// File identities and the ends of symbolic links.
#include "platform/file_identity.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

// The most links followed one after another, as the kernel allows (MAXSYMLINKS).
constexpr int kMostLinks = 40;

// The text of the link at path; false when it cannot be read.
bool read_link(const std::string& path, std::string& text) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            text.assign(buffer.data(), static_cast<std::size_t>(n));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool is_folder(const fs::path& path) {
    struct stat st {};
    return ::stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The lock file name in the work folder, open and locked for this process alone: its descriptor,
// or -1 when there is no work folder or the file cannot be made, is no regular file or cannot be
// locked. The file is made (mode 0600) when missing, never through a link at its name; a wait
// interrupted by a signal is taken up again.
int open_locked(std::string_view name) {
    const std::string& work = work_folder();
    if (work.empty()) return -1;
    const std::string path = work + "/" + std::string(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    struct stat st {};
    int rc = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? 0 : -1;
    if (rc == 0) {
        do {
            rc = ::flock(fd, LOCK_EX);
        } while (rc != 0 && errno == EINTR);
    }
    if (rc != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

FileIdentity file_identity(const std::string& path) {
    FileIdentity id;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return id;
    id.exists = true;
    id.device = static_cast<uint64_t>(st.st_dev);
    id.inode = static_cast<uint64_t>(st.st_ino);
    id.size = static_cast<int64_t>(st.st_size);
    id.modified_seconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    id.modified_nanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
    return id;
}

// Contract: see the header; open_locked says how the lock file is made and waited for.
void SaveLock::acquire() {
    if (fd_ >= 0) return;
    fd_ = open_locked(kSaveLockName);
}

namespace {

// How deep this process holds the record lock, and the lock file's descriptor while it does.
volatile sig_atomic_t g_record_lock_depth = 0;
int g_record_lock_fd = -1;

}  // namespace

SharedRecordLock::SharedRecordLock() {
    g_record_lock_depth = g_record_lock_depth + 1;
    if (g_record_lock_depth > 1) return;
    g_record_lock_fd = open_locked(kRecordLockName);
}

SharedRecordLock::~SharedRecordLock() {
    g_record_lock_depth = g_record_lock_depth - 1;
    if (g_record_lock_depth > 0) return;
    if (g_record_lock_fd >= 0) ::close(g_record_lock_fd);
    g_record_lock_fd = -1;
}

void SaveLock::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

// Contract: see the header. A folder on the way that is itself a looping link counts as a loop;
// any other name that cannot be looked at ends the walk there, and its folder decides.
LinkTarget resolve_link_target(const std::string& path) {
    LinkTarget result;
    result.target = path;
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return result;

    std::string at = path;
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        if (::lstat(at.c_str(), &st) != 0) {
            if (errno == ELOOP) {
                result.status = LinkTargetStatus::Loop;
                return result;
            }
            break;  // nothing there: the write creates it
        }
        if (!S_ISLNK(st.st_mode)) break;
        if (hop == kMostLinks) {
            result.status = LinkTargetStatus::Loop;
            return result;
        }
        std::string text;
        if (!read_link(at, text) || text.empty()) {
            result.status = LinkTargetStatus::MissingFolder;
            return result;
        }
        const fs::path next(text);
        at = next.is_absolute() ? next.string() : (fs::path(at).parent_path() / next).string();
    }
    const fs::path folder = fs::path(at).parent_path();
    if (!is_folder(folder)) {
        result.status = LinkTargetStatus::MissingFolder;
        return result;
    }
    result.status = LinkTargetStatus::Target;
    result.target = at;
    return result;
}

}  // namespace platform
