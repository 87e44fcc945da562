#include "engine/core/files/file_units.h"

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_kind.h"
#include "platform/paths.h"

namespace core {

namespace {

enum class LastOp { None, Read, Write };

struct Unit {
    std::FILE* file = nullptr;
    std::string path;
    UnitForm form = UnitForm::Text;
    LastOp last = LastOp::None;
    int64_t records_read = 0;  // since the open or the last rewind
};

Unit g_units[kMaxUnit + 1];

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
    if (path.empty()) return false;
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
            if (exists) return false;
            f = open_stream(path, O_CREAT | O_EXCL, false);
            break;
        case UnitStatus::Unknown:
            f = open_stream(path, O_CREAT | no_follow, exists);
            break;
    }
    if (f == nullptr) return false;
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
    if (u.file != nullptr) ok = std::fclose(u.file) == 0;
    u = Unit{};
    return ok;
}

bool unit_is_open(int unit) { return unit_of(unit) != nullptr; }

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
    for (int k = 1; k <= kMaxUnit; ++k) close_unit(k);
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

IoResult write_record(int unit, std::string_view record) {
    Unit* u = unit_of(unit);
    if (u == nullptr || !prepare_write(*u)) return IoResult::Error;
    if (!record.empty() && std::fwrite(record.data(), 1, record.size(), u->file) != record.size())
        return IoResult::Error;
    if (std::fputc('\n', u->file) == EOF) return IoResult::Error;
    return IoResult::Ok;
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
    if (u == nullptr || !prepare_write(*u)) return IoResult::Error;
    if (n > 0 && std::fwrite(buffer, 1, n, u->file) != n) return IoResult::Error;
    return IoResult::Ok;
}

void rewind_unit(int unit) {
    Unit* u = unit_of(unit);
    if (u == nullptr) return;
    std::rewind(u->file);
    u->last = LastOp::None;
    u->records_read = 0;
}

}  // namespace core
