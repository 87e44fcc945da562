#include "platform/work_copies.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::string_view kWorkLockName = ".ormest-lock";
constexpr std::string_view kClaimLockName = ".ormest-claim";
constexpr std::string_view kCopyFolderHead = ".copy-";
constexpr std::string_view kCopyLockName = ".lock";
constexpr std::string_view kBackupName = "!save.mus";
constexpr std::string_view kKeptHead = "!kept-";
constexpr std::string_view kMidiFile = "ormmidi.mid";
constexpr std::string_view kOwnMidiHead = "ormmidi-";
constexpr std::string_view kOwnMidiTail = ".mid";
// More kept backups than this are not numbered further: the stale folder then stays.
constexpr int kMostKeptBackups = 9999;

int g_work_lock = -1;  // the work folder's lock, while this copy is the first
int g_copy_lock = -1;  // the lock of this copy's own folder, while it has one
std::string g_copy_folder;

bool same_nocase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool starts_nocase(std::string_view s, std::string_view head) {
    return s.size() >= head.size() && same_nocase(s.substr(0, head.size()), head);
}

bool ends_nocase(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && same_nocase(s.substr(s.size() - tail.size()), tail);
}

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Opens the lock file path for locking, never through a link and only when it is a plain
// file; -1 (errno set) otherwise. create makes a missing one (mode 0600).
int open_lock_file(const std::string& path, bool create) {
    const int flags = O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | (create ? O_CREAT : 0);
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// True when entry (a name found in the work folder) is a copy's folder that no running copy
// holds. Links, files and folders of other users are never taken for one: they are left alone.
// A folder without its lock file was made by a copy that died before locking it (start-ups run
// one at a time, so none is being made now).
bool stale_copy_folder(const fs::path& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    const int fd = open_lock_file((folder / kCopyLockName).string(), false);
    if (fd < 0) return errno == ENOENT;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

// Gives the file backup (a plain file, not a link) a second name in work, the first free
// "!kept-N!save.mus", never over an existing one, appending its path to kept. False when it
// could not be kept.
bool keep_as_kept(const fs::path& backup, const fs::path& work, std::string* kept) {
    for (int n = 1; n <= kMostKeptBackups; ++n) {
        const fs::path target =
            work / (std::string(kKeptHead) + std::to_string(n) + std::string(kBackupName));
        // A hard link never replaces an existing name; where links cannot be made, a rename
        // to a name seen free is the next best (start-ups run one at a time).
        bool moved = ::link(backup.c_str(), target.c_str()) == 0;
        if (!moved && errno == EEXIST) continue;
        if (!moved) {
            struct stat there {};
            if (::lstat(target.c_str(), &there) == 0) continue;
            moved = ::rename(backup.c_str(), target.c_str()) == 0;
        }
        if (!moved) return false;
        if (kept != nullptr) {
            if (!kept->empty()) kept->push_back('\n');
            *kept += target.string();
        }
        return true;
    }
    return false;
}

// Moves the backup of a stale copy folder (when it has one) into the work folder under the
// first free name "!kept-N!save.mus", appending its path to kept. False when a backup is there
// and could not be kept: the folder must then stay.
bool keep_backup(const fs::path& folder, const fs::path& work, std::string* kept) {
    std::error_code ec;
    fs::path backup;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (same_nocase(entry.path().filename().string(), kBackupName)) {
            backup = entry.path();
            break;
        }
    }
    if (ec) return false;
    if (backup.empty()) return true;
    struct stat st {};
    if (::lstat(backup.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return true;  // no backup
    return keep_as_kept(backup, work, kept);
}

// Removes the folders of killed copies from work, keeping their backups first.
void remove_stale_copy_folders(const fs::path& work, std::string* kept) {
    std::error_code ec;
    std::vector<fs::path> stale;
    for (const auto& entry : fs::directory_iterator(work, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > kCopyFolderHead.size() && name.starts_with(kCopyFolderHead) &&
            stale_copy_folder(entry.path()))
            stale.push_back(entry.path());
    }
    for (const auto& folder : stale) {
        if (!keep_backup(folder, work, kept)) continue;
        fs::remove_all(folder, ec);
    }
}

}  // namespace

bool shared_work_file(std::string_view name) {
    static constexpr std::string_view kSharedNames[] = {
        "!history.tmp", "!last!.tmp", "!read!.tmp",  "!!cpr.tmp",    "!BB.dat",
        "!path.tmp",    "midilist",   "ormmidi.mid", "#musdir#.tmp", "!ended!.tmp",
    };
    for (const std::string_view shared : kSharedNames)
        if (same_nocase(name, shared)) return true;
    // Cut files "!!cut0.tmp" to "!!cut9.tmp".
    if (name.size() == 10 && starts_nocase(name, "!!cut") && name[5] >= '0' && name[5] <= '9' &&
        ends_nocase(name, ".tmp"))
        return true;
    // Motive files: a one-character name and ".MOT" (notes) or ".MRH" (rhythms).
    if (name.size() == 5 && (ends_nocase(name, ".MOT") || ends_nocase(name, ".MRH"))) return true;
    // A later copy's default MIDI file, "ormmidi-XXXXXX.mid".
    if (name.size() > kOwnMidiHead.size() + kOwnMidiTail.size() &&
        starts_nocase(name, kOwnMidiHead) && ends_nocase(name, kOwnMidiTail))
        return true;
    return starts_nocase(name, kKeptHead) && name.size() > kKeptHead.size();
}

std::string own_midi_file_name() {
    if (g_copy_folder.empty()) return std::string(kMidiFile);
    const std::string folder = fs::path(g_copy_folder).filename().string();
    return std::string(kOwnMidiHead) + folder.substr(kCopyFolderHead.size()) +
           std::string(kOwnMidiTail);
}

bool claim_work_folder(const std::string& work, std::string* error, std::string* kept) {
    release_work_folder();
    int claim = -1;
    int lock = -1;
    auto fail = [&](const std::string& why) {
        close_fd(lock);
        close_fd(claim);
        if (error != nullptr) *error = why;
        return false;
    };
    auto cannot_lock = [&] {
        return fail("Cannot lock the work folder " + work + ": " + std::strerror(errno));
    };
    claim = open_lock_file(work + "/" + std::string(kClaimLockName), true);
    if (claim < 0 || ::flock(claim, LOCK_EX) != 0) return cannot_lock();
    remove_stale_copy_folders(work, kept);

    lock = open_lock_file(work + "/" + std::string(kWorkLockName), true);
    if (lock < 0) return cannot_lock();
    if (::flock(lock, LOCK_EX | LOCK_NB) == 0) {
        g_work_lock = lock;
        close_fd(claim);
        return true;
    }
    if (errno != EWOULDBLOCK) return cannot_lock();
    close_fd(lock);

    // Another copy holds the work folder: this one gets a folder of its own.
    std::string folder = work + "/" + std::string(kCopyFolderHead) + "XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr)
        return fail("Cannot make a folder for this copy in the work folder " + work + ": " +
                    std::strerror(errno));
    std::string problem;
    if (!make_private_folder(folder, &problem)) return fail(problem);
    lock = ::open((folder + "/" + std::string(kCopyLockName)).c_str(),
                  O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        const std::string why = std::strerror(errno);
        std::error_code ec;
        fs::remove_all(folder, ec);
        return fail("Cannot lock the folder " + folder + " of this copy: " + why);
    }
    g_copy_lock = lock;
    g_copy_folder = folder;
    close_fd(claim);
    return true;
}

void release_work_folder() {
    // Removed while still locked, so that no starting copy takes it for a stale one meanwhile.
    if (!g_copy_folder.empty()) {
        std::error_code ec;
        fs::remove_all(g_copy_folder, ec);
        g_copy_folder.clear();
    }
    close_fd(g_copy_lock);
    close_fd(g_work_lock);
}

const std::string& own_copy_folder() { return g_copy_folder; }

bool keep_backup_file(const std::string& backup, const std::string& work, std::string& kept) {
    kept.clear();
    struct stat st {};
    if (::lstat(backup.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return keep_as_kept(backup, work, &kept);
}

}  // namespace platform
