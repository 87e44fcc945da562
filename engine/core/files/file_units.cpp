#include "engine/core/files/file_units.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <set>
#include <system_error>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_identity.h"
#include "platform/file_kind.h"
#include "platform/paths.h"

namespace core {

namespace {

enum class LastOp { None, Read, Write };

struct Unit {
    std::FILE* file = nullptr;
    std::string path;  // a Replace unit: the target its file is put in place of
    UnitForm form = UnitForm::Text;
    LastOp last = LastOp::None;
    int64_t records_read = 0;  // since the open or the last rewind
    // A Replace unit: the temporary file written, whether a target existed (and its mode),
    // whether the close syncs, and whether a write failed (then nothing is put in place).
    std::string temp_path;
    bool replacing = false;
    mode_t old_mode = 0;
    bool sync = false;
    bool failed = false;
};

Unit g_units[kMaxUnit + 1];

// Per unit: the file and the system's words for its last failed open, write or close.
struct UnitFailure {
    std::string path;
    std::string reason;
};
UnitFailure g_failures[kMaxUnit + 1];

// Keeps the first failure since the open: a close after a failed write fails for that write.
void note_failure(int unit, const std::string& path, int error) {
    if (unit < 1 || unit > kMaxUnit) return;
    UnitFailure& f = g_failures[unit];
    if (!f.reason.empty()) return;
    f.path = path;
    f.reason = std::error_code(error != 0 ? error : EIO, std::generic_category()).message();
}

int unit_number(const Unit& u) { return static_cast<int>(&u - g_units); }

Unit* unit_of(int unit) {
    if (unit < 1 || unit > kMaxUnit) return nullptr;
    Unit& u = g_units[unit];
    return u.file != nullptr ? &u : nullptr;
}

bool is_regular(const std::string& path, bool follow) {
    struct stat st {};
    const int r = follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    return r == 0 && S_ISREG(st.st_mode);
}

// Opens path for reading and writing with flags added (a created file gets 0666 less the
// umask, as fopen gives); with read_only_too, a file that cannot be written is opened to read.
// Only a regular file is opened: a FIFO or a device at the name, even one put there after the
// caller's check, is never read and never blocks.
std::FILE* open_stream(const std::string& path, int flags, bool read_only_too) {
    int fd = platform::open_regular_file(path, true, flags);
    bool writable = true;
    if (fd < 0 && read_only_too) {
        fd = platform::open_regular_file(path, false, flags & O_NOFOLLOW);
        writable = false;
    }
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, writable ? "r+b" : "rb");
    if (f == nullptr) ::close(fd);
    return f;
}

// A sequential file ends after the record just written: the first write after opening, a
// rewind or a read cuts the file at the current position.
bool prepare_write(Unit& u) {
    if (u.last == LastOp::Write) return true;
    if (std::fflush(u.file) != 0) return false;
    const long pos = std::ftell(u.file);
    if (pos < 0 || std::fseek(u.file, pos, SEEK_SET) != 0) return false;
    // Nothing past the position (a new file): no cut, which on some file systems would make the
    // close write the file out at once.
    struct stat st {};
    const bool longer = ::fstat(::fileno(u.file), &st) != 0 || st.st_size > pos;
    if (longer && ::ftruncate(::fileno(u.file), pos) != 0) return false;
    u.last = LastOp::Write;
    return true;
}

// The process id in a name of our temporary files, ".~ormest<pid>.tmp" or
// ".~ormest<pid>-<unit>.tmp" (numbers as written: digits without a leading zero); 0 for any
// other name.
pid_t temporary_file_pid(std::string_view name) {
    static constexpr std::string_view kHead = ".~ormest";
    static constexpr std::string_view kTail = ".tmp";
    static constexpr std::size_t kLongestPid = 10;
    if (name.size() <= kHead.size() + kTail.size() || !name.starts_with(kHead) ||
        !name.ends_with(kTail))
        return 0;
    std::string_view digits = name.substr(kHead.size(), name.size() - kHead.size() - kTail.size());
    if (const std::size_t dash = digits.find('-'); dash != std::string_view::npos) {
        const std::string_view unit = digits.substr(dash + 1);
        if (unit.empty() || unit.size() > 2 || unit.front() == '0' ||
            unit.find_first_not_of("0123456789") != std::string_view::npos)
            return 0;
        digits = digits.substr(0, dash);
    }
    if (digits.empty() || digits.size() > kLongestPid || digits.front() == '0') return 0;
    long long pid = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid <= std::numeric_limits<pid_t>::max() ? static_cast<pid_t>(pid) : 0;
}

// Opens a Replace unit's temporary file for path (see open_unit). False, nothing created, when
// the target may not be replaced or the temporary file cannot be made.
bool open_replacement(int unit, const std::string& path, UnitForm form) {
    const std::string target = replacement_target(path);
    if (target.empty()) {
        const bool loop =
            platform::resolve_link_target(path).status == platform::LinkTargetStatus::Loop;
        note_failure(unit, path, loop ? ELOOP : ENOENT);
        return false;
    }
    struct stat old {};
    // lstat: a link left at the target (only in the work folder) is replaced like no file.
    const bool replacing = ::lstat(target.c_str(), &old) == 0 && !S_ISLNK(old.st_mode);
    if (replacing && !S_ISREG(old.st_mode)) {
        note_failure(unit, target, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        return false;
    }
    if (replacing && ::access(target.c_str(), W_OK) != 0) {
        note_failure(unit, target, errno);
        return false;
    }
    const std::string folder = std::filesystem::path(target).parent_path().string();
    const std::string temp = temporary_file_path(folder, unit);
    ::unlink(temp.c_str());  // left by a killed run that had this process id
    remove_stale_temporary_files(folder);
    errno = 0;
    std::FILE* f = open_stream(temp, O_CREAT | O_EXCL | O_NOFOLLOW, false);
    if (f == nullptr) {
        note_failure(unit, target, errno);
        return false;
    }
    Unit& u = g_units[unit];
    u.file = f;
    u.path = target;
    u.form = form;
    u.last = LastOp::None;
    u.temp_path = temp;
    u.replacing = replacing;
    u.old_mode = old.st_mode;
    u.sync = !platform::in_work_folder(target);
    return true;
}

// Closes a Replace unit: keep puts its complete file in place of the target. True only when
// the file was put in place.
bool close_replacement(Unit& u, bool keep) {
    errno = 0;
    bool ok = keep && !u.failed && std::fflush(u.file) == 0 && std::ferror(u.file) == 0;
    if (ok && u.sync) ok = ::fsync(::fileno(u.file)) == 0;
    const bool closed = std::fclose(u.file) == 0;
    if (keep && !u.failed && !(ok && closed)) note_failure(unit_number(u), u.path, errno);
    ok = closed && ok;
    if (ok && u.replacing) ::chmod(u.temp_path.c_str(), u.old_mode & 07777);
    if (ok) {
        ok = std::rename(u.temp_path.c_str(), u.path.c_str()) == 0;
        if (!ok) note_failure(unit_number(u), u.path, errno);
    }
    if (!ok) ::unlink(u.temp_path.c_str());
    return ok;
}

void prepare_read(Unit& u) {
    if (u.last == LastOp::Write) std::fseek(u.file, 0, SEEK_CUR);
    u.last = LastOp::Read;
}

}  // namespace

bool open_unit(int unit, std::string_view name, UnitStatus status, UnitForm form) {
    if (unit < 1 || unit > kMaxUnit) return false;
    close_unit(unit);
    return open_unit_at_local_path(unit, platform::local_path(name), status, form);
}

bool open_unit_at_local_path(int unit, const std::string& path, UnitStatus status, UnitForm form) {
    if (unit < 1 || unit > kMaxUnit) return false;
    close_unit(unit);
    g_failures[unit] = UnitFailure{};
    if (path.empty()) return false;
    if (status == UnitStatus::Replace) return open_replacement(unit, path, form);
    // The work folder's files are the program's own: a link at one of their names is never
    // followed (opening it fails), so nothing outside the folder is written through one.
    const bool own = platform::in_work_folder(path);
    const int no_follow = own ? O_NOFOLLOW : 0;
    const bool exists = is_regular(path, !own);
    std::FILE* f = nullptr;
    switch (status) {
        case UnitStatus::Old:  // a read-only file still reads
            if (!exists) return false;
            f = open_stream(path, no_follow, true);
            break;
        case UnitStatus::New:  // made here and now: whatever is at the name, a link too, refuses
            if (exists) {
                note_failure(unit, path, EEXIST);
                return false;
            }
            errno = 0;
            f = open_stream(path, O_CREAT | O_EXCL, false);
            break;
        case UnitStatus::Unknown:
            errno = 0;
            f = open_stream(path, O_CREAT | no_follow, exists);
            break;
        case UnitStatus::Replace:  // opened above
            break;
    }
    if (f == nullptr) {
        // Old: a missing file is no failure to tell (the caller says "not found").
        if (status != UnitStatus::Old) note_failure(unit, path, errno);
        return false;
    }
    Unit& u = g_units[unit];
    u.file = f;
    u.path = path;
    u.form = form;
    u.last = LastOp::None;
    return true;
}

bool close_unit(int unit) {
    if (unit < 1 || unit > kMaxUnit) return true;
    Unit& u = g_units[unit];
    bool ok = true;
    if (u.file != nullptr && u.temp_path.empty()) {
        errno = 0;
        ok = std::fclose(u.file) == 0;
        if (!ok) note_failure(unit, u.path, errno);
    } else if (u.file != nullptr) {
        ok = close_replacement(u, true);
    }
    u = Unit{};
    return ok;
}

void abandon_unit(int unit) {
    if (unit < 1 || unit > kMaxUnit) return;
    Unit& u = g_units[unit];
    if (u.file != nullptr && !u.temp_path.empty()) {
        close_replacement(u, false);
        u = Unit{};
    }
    close_unit(unit);
}

IoResult overwrite_unit_bytes(int unit, int64_t offset, std::string_view bytes) {
    Unit* u = unit_of(unit);
    if (u == nullptr) return IoResult::Error;
    const int fd = ::fileno(u->file);
    bool ok = offset >= 0 && std::fflush(u->file) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    if (!ok && !u->failed) note_failure(unit, u->path, errno);
    if (!ok) u->failed = true;
    return ok ? IoResult::Ok : IoResult::Error;
}

bool unit_is_open(int unit) { return unit_of(unit) != nullptr; }

std::string unit_failure_text(int unit) {
    if (unit < 1 || unit > kMaxUnit || g_failures[unit].reason.empty()) return {};
    return ": " + g_failures[unit].path + ": " + g_failures[unit].reason;
}

std::string unit_failure_reason(int unit) {
    return unit < 1 || unit > kMaxUnit ? std::string() : g_failures[unit].reason;
}

std::string unit_path(int unit) {
    const Unit* u = unit_of(unit);
    return u != nullptr ? u->path : std::string();
}

int64_t unit_position(int unit) {
    Unit* u = unit_of(unit);
    if (u == nullptr) return -1;
    return static_cast<int64_t>(std::ftell(u->file));
}

void close_all_units() {
    for (int k = 1; k <= kMaxUnit; ++k) {
        abandon_unit(k);
        g_failures[k] = UnitFailure{};
    }
}

std::string replacement_target(const std::string& path) {
    if (platform::in_work_folder(path)) return path;
    const platform::LinkTarget link = platform::resolve_link_target(path);
    switch (link.status) {
        case platform::LinkTargetStatus::NotALink:
        case platform::LinkTargetStatus::Target:
            return link.target;
        case platform::LinkTargetStatus::Loop:
        case platform::LinkTargetStatus::MissingFolder:
            break;
    }
    return {};
}

std::string temporary_file_path(const std::string& folder, int unit) {
    std::string name = ".~ormest" + std::to_string(::getpid());
    if (unit != 0) name += "-" + std::to_string(unit);
    return (std::filesystem::path(folder) / (name + ".tmp")).string();
}

// Contract: see the header. One whose process lives (or may: any answer but "no such process")
// is that process's write under way. Each folder once per run: a document save must not list a
// large folder every time (the undo copies are written before every edit).
void remove_stale_temporary_files(const std::string& folder) {
    namespace fs = std::filesystem;
    static std::set<std::string> looked_through;
    if (!looked_through.insert(folder).second) return;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec) return;
    for (const fs::directory_entry& entry : it) {
        const pid_t pid = temporary_file_pid(entry.path().filename().native());
        if (pid <= 0 || pid == ::getpid()) continue;
        std::error_code type_ec;
        if (!entry.is_regular_file(type_ec) || entry.is_symlink(type_ec)) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        fs::remove(entry.path(), type_ec);
    }
}

// Contract: see the header. A CR followed by LF is one line end; the LF is looked for only in
// the file itself (units are regular files, so the look ahead never waits).
IoResult read_record(int unit, std::string& record) {
    record.clear();
    Unit* u = unit_of(unit);
    if (u == nullptr) return IoResult::Error;
    prepare_read(*u);
    int c;
    bool any = false;
    while ((c = std::fgetc(u->file)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (c == '\r') {
            const int next = std::fgetc(u->file);
            if (next != '\n' && next != EOF) std::ungetc(next, u->file);
            break;
        }
        record.push_back(static_cast<char>(c));
    }
    if (std::ferror(u->file)) return IoResult::Error;
    if (!any) return IoResult::End;
    ++u->records_read;
    return IoResult::Ok;
}

int64_t records_read(int unit) {
    const Unit* u = unit_of(unit);
    return u != nullptr ? u->records_read : 0;
}

// Contract: see the header. A failed write marks the unit: a Replace unit then puts nothing
// in place.
IoResult write_record(int unit, std::string_view record) {
    Unit* u = unit_of(unit);
    if (u == nullptr) return IoResult::Error;
    const bool ok = prepare_write(*u) &&
                    (record.empty() ||
                     std::fwrite(record.data(), 1, record.size(), u->file) == record.size()) &&
                    std::fputc('\n', u->file) != EOF;
    if (!ok && !u->failed) note_failure(unit, u->path, errno);
    if (!ok) u->failed = true;
    return ok ? IoResult::Ok : IoResult::Error;
}

IoResult read_bytes(int unit, void* buffer, std::size_t n, std::size_t* got) {
    if (got != nullptr) *got = 0;
    Unit* u = unit_of(unit);
    if (u == nullptr) return IoResult::Error;
    prepare_read(*u);
    const std::size_t r = std::fread(buffer, 1, n, u->file);
    if (got != nullptr) *got = r;
    if (r == n) return IoResult::Ok;
    return std::ferror(u->file) ? IoResult::Error : IoResult::End;
}

IoResult write_bytes(int unit, const void* buffer, std::size_t n) {
    Unit* u = unit_of(unit);
    if (u == nullptr) return IoResult::Error;
    const bool ok = prepare_write(*u) && (n == 0 || std::fwrite(buffer, 1, n, u->file) == n);
    if (!ok && !u->failed) note_failure(unit, u->path, errno);
    if (!ok) u->failed = true;
    return ok ? IoResult::Ok : IoResult::Error;
}

void rewind_unit(int unit) {
    Unit* u = unit_of(unit);
    if (u == nullptr) return;
    std::rewind(u->file);
    u->last = LastOp::None;
    u->records_read = 0;
}

}  // namespace core
