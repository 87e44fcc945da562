// What a name given for reading turns out to be, so that a file that cannot be read is
// reported as what it is (a folder, a FIFO or device, a file this user may not read) rather
// than as missing; and the opening of a file for reading that never blocks on a FIFO and
// never reads a device.
#pragma once

#include <string>
#include <string_view>

#include <sys/types.h>

namespace platform {

enum class FileKind {
    Readable,    // a regular file this process may read
    Missing,     // nothing at the name (a dangling link too)
    Folder,      // a folder
    Special,     // a FIFO, a device or a socket: no regular file
    Unreadable,  // a regular file, or a path, this process may not read (permission denied)
    Loop,        // links that lead round in a loop (or too many of them on the way)
    TooLong,     // a name, or a part of it, longer than the system takes
};

// The kind from the outcomes of the checks: stat_errno is 0 when stat found something (mode is
// then its st_mode), else stat's errno; read_errno is 0 when the file may be read, else the
// errno of the access or open that was refused. Only a regular file's read_errno counts.
FileKind classify_file(int stat_errno, mode_t mode, int read_errno);

// The kind of a local path: stat (following links), then, for a regular file only,
// access(R_OK). Opens nothing, so a FIFO is never blocked on.
FileKind file_kind(const std::string& path);

// Opens a local path for reading, read-only or (write_too) for reading and writing, with
// extra_flags added (O_NOFOLLOW, O_CREAT...): only a regular file comes back. The open uses
// O_NONBLOCK, so that a FIFO put at the name after a check cannot block, and the descriptor
// is checked with fstat before the flag is cleared. Returns the descriptor (close-on-exec),
// or -1 with *kind (when given) saying why.
int open_regular_file(const std::string& path, bool write_too, int extra_flags,
                      FileKind* kind = nullptr);

// How a kind other than Readable is told after the name: "is a folder, not a file", "is not a
// regular file", "cannot be read (permission denied)", "was not found", "is a link that leads
// round in a loop", "has a name longer than the system takes". "" for Readable.
std::string_view file_kind_text(FileKind kind);

}  // namespace platform
