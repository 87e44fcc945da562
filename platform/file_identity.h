// What the file system says about a document file: which file it is and how it was when last
// seen, so that a save can tell a file another program changed; and where a save through a
// symbolic link has to write.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A file as stat() sees it through any links: the device and inode say which file it is, the
// size and modification time (to the nanosecond) whether it changed. exists is false when
// nothing is there (or it cannot be looked at); the other words are 0 then.
struct FileIdentity {
    bool exists = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modified_seconds = 0;
    int64_t modified_nanoseconds = 0;

    // The same file (device and inode), changed or not.
    bool same_file(const FileIdentity& other) const {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    bool operator==(const FileIdentity& other) const = default;
};

// The identity of the file at the local path, following links.
FileIdentity file_identity(const std::string& path);

// The lock that makes a save of a document one step against the other running copies of the
// program: held across the last look at the file, the write of its new copy and the rename into
// place, so that no copy's save lands between another's look and its rename. It is an flock on
// kSaveLockName in the shared work folder. Taking it waits while another copy holds it; a
// holder never waits for the user. held() is false when the lock file cannot be had (no work
// folder, a link or a folder at its name): the save then goes on as it would alone.
constexpr const char* kSaveLockName = ".ormest-save";
class SaveLock {
  public:
    SaveLock() { acquire(); }
    ~SaveLock() { release(); }
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
    bool held() const { return fd_ >= 0; }
    // Takes the lock (again, after a release), waiting while another copy holds it.
    void acquire();
    // Gives the lock up (closing its file); safe to call again.
    void release();

  private:
    int fd_ = -1;
};

// The lock under which a record the running copies share (the record of backups kept at an
// end, the load history) is read and written anew, so that no copy's entry is lost between
// another's read and its write. An flock on kRecordLockName in the shared work folder; taking
// it waits while another copy holds it. Within one process it nests: an end that comes while
// the process holds it (a signal) goes on under the same lock instead of waiting for itself.
// Its work is a few system calls, fit for an end at a signal.
constexpr const char* kRecordLockName = ".ormest-records";
class SharedRecordLock {
  public:
    SharedRecordLock();
    ~SharedRecordLock();
    SharedRecordLock(const SharedRecordLock&) = delete;
    SharedRecordLock& operator=(const SharedRecordLock&) = delete;
};

// Where a write to a local path lands when the path is a symbolic link.
enum class LinkTargetStatus {
    NotALink,       // path names no link: it is written itself
    Target,         // path is a link; target is the file at its end (which may not exist yet)
    Loop,           // the links lead round in a loop (or too many of them follow each other)
    MissingFolder,  // the links end at a name whose folder does not exist
};
struct LinkTarget {
    LinkTargetStatus status = LinkTargetStatus::NotALink;
    std::string target;  // the path to write: path itself, or the end of its links
};

// Follows the links at path (relative ones from the folder of the link) to the name at their
// end, which need not exist. Tables: none.
LinkTarget resolve_link_target(const std::string& path);

}  // namespace platform
