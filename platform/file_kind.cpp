#include "platform/file_kind.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileKind classify_file(int stat_errno, mode_t mode, int read_errno) {
    if (stat_errno != 0) {
        if (stat_errno == ELOOP) return FileKind::Loop;
        if (stat_errno == ENAMETOOLONG) return FileKind::TooLong;
        // A folder on the way that may not be searched hides the file: its reading is refused.
        return stat_errno == EACCES || stat_errno == EPERM ? FileKind::Unreadable
                                                           : FileKind::Missing;
    }
    if (S_ISDIR(mode)) return FileKind::Folder;
    if (!S_ISREG(mode)) return FileKind::Special;
    return read_errno == 0 ? FileKind::Readable : FileKind::Unreadable;
}

FileKind file_kind(const std::string& path) {
    if (path.empty()) return FileKind::Missing;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return classify_file(errno, 0, 0);
    int read_errno = 0;
    if (S_ISREG(st.st_mode) && ::access(path.c_str(), R_OK) != 0) read_errno = errno;
    return classify_file(0, st.st_mode, read_errno);
}

// Contract: see the header. A path that stat finds to be no regular file is never opened; one
// that turns into something else between the check and the open is closed again unread.
int open_regular_file(const std::string& path, bool write_too, int extra_flags, FileKind* kind) {
    auto refuse = [kind](FileKind k) {
        if (kind != nullptr) *kind = k;
        return -1;
    };
    if (path.empty()) return refuse(FileKind::Missing);
    const bool creating = (extra_flags & O_CREAT) != 0;
    struct stat st {};
    const int follow = (extra_flags & O_NOFOLLOW) != 0 ? AT_SYMLINK_NOFOLLOW : 0;
    if (::fstatat(AT_FDCWD, path.c_str(), &st, follow) != 0) {
        if (!creating || errno != ENOENT) return refuse(classify_file(errno, 0, 0));
    } else if (!S_ISREG(st.st_mode) && !(follow != 0 && S_ISLNK(st.st_mode))) {
        return refuse(classify_file(0, st.st_mode, 0));
    }
    const int access_mode = write_too ? O_RDWR : O_RDONLY;
    const int fd = ::open(path.c_str(), access_mode | O_CLOEXEC | O_NONBLOCK | extra_flags, 0666);
    if (fd < 0) {
        const int open_errno = errno;
        if (open_errno == EACCES || open_errno == EPERM) return refuse(FileKind::Unreadable);
        if (open_errno == EISDIR) return refuse(FileKind::Folder);
        if (open_errno == ENXIO) return refuse(FileKind::Special);
        // With O_NOFOLLOW, ELOOP only says the name is a link.
        if (open_errno == ELOOP && (extra_flags & O_NOFOLLOW) == 0) return refuse(FileKind::Loop);
        if (open_errno == ENAMETOOLONG) return refuse(FileKind::TooLong);
        return refuse(FileKind::Missing);
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        const mode_t mode = opened.st_mode;
        ::close(fd);
        return refuse(S_ISDIR(mode) ? FileKind::Folder : FileKind::Special);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return refuse(FileKind::Unreadable);
    }
    if (kind != nullptr) *kind = FileKind::Readable;
    return fd;
}

std::string_view file_kind_text(FileKind kind) {
    switch (kind) {
        case FileKind::Readable:
            return "";
        case FileKind::Missing:
            return "was not found";
        case FileKind::Folder:
            return "is a folder, not a file";
        case FileKind::Special:
            return "is not a regular file";
        case FileKind::Unreadable:
            return "cannot be read (permission denied)";
        case FileKind::Loop:
            return "is a link that leads round in a loop";
        case FileKind::TooLong:
            return "has a name longer than the system takes";
    }
    return "";
}

}  // namespace platform
