// Writing and reading document files, putting what was read into the store, and the document
// file procedure that the file commands and undo call.
#include "engine/core/files/document_files.h"

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/binary_io.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_history.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/name_compare.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "platform/file_identity.h"
#include "platform/file_kind.h"
#include "platform/paths.h"

namespace core {

namespace {

namespace fs = std::filesystem;

constexpr int kMessageNameColumn = 35;
constexpr int32_t kLongestTrailer = 5;
constexpr std::size_t kLongestStoredName = 512;

// The largest count a reader accepts: a full store and the longest trailer.
int32_t largest_count() {
    return std::min<int32_t>(ItemStoreCapacity, DocumentWords::size()) + kLongestTrailer;
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view trim_right(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

float word_at(const std::vector<unsigned char>& bytes, std::size_t offset, int32_t k) {
    return get_le_f32(bytes.data() + offset + 4 * static_cast<std::size_t>(k - 1));
}

// A backup copy is named "...!SAVE" and four more characters (such as "!save.mus").
bool is_backup_name(std::string_view name) {
    name = trim_right(name);
    static constexpr std::string_view kMark = "!SAVE";
    if (name.size() < kMark.size() + 4) return false;
    const std::string_view part = name.substr(name.size() - 4 - kMark.size(), kMark.size());
    for (std::size_t i = 0; i < kMark.size(); ++i)
        if (upper(part[i]) != kMark[i]) return false;
    return true;
}

// A name stored in a backup that a restored page can take: a document's own, not the work
// folder's (a backup made of a page that was itself a backup, or a work copy, names those).
bool is_document_name_of_backup(std::string_view stored) {
    stored = trim_right(stored);
    if (stored.empty() || is_backup_name(stored)) return false;
    const std::string work = TempDirPrefix.trimmed();
    return work.empty() || !starts_with_nocase(stored, work);
}

// The name a work copy or backup stores after its words: up to its first NUL, blanks dropped.
std::string stored_name_after(const std::vector<unsigned char>& bytes, std::size_t from) {
    if (from >= bytes.size()) return {};
    const std::size_t n = std::min(bytes.size() - from, kLongestStoredName);
    std::string_view text(reinterpret_cast<const char*>(bytes.data() + from), n);
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    return std::string(trim_right(text));
}

std::vector<float> decode_words(const std::vector<unsigned char>& bytes, std::size_t offset,
                                int32_t n) {
    std::vector<float> out(static_cast<std::size_t>(n));
    for (int32_t k = 1; k <= n; ++k)
        out[static_cast<std::size_t>(k - 1)] = word_at(bytes, offset, k);
    return out;
}

void show_not_a_document(std::string_view name) {
    std::string text = "*** This is NOT a KELDA file. ***";
    text.resize(kMessageNameColumn - 1, ' ');
    text += name;
    report_failure(text);
}

// Why the last write_document failed, in the system's words ("" when it did not, or no reason
// is known).
std::string g_write_failure_reason;

DocumentStatus write_failed(int error) {
    g_write_failure_reason =
        std::error_code(error != 0 ? error : EIO, std::generic_category()).message();
    return DocumentStatus::WriteError;
}

// Forces the written bytes to the disk before the rename makes them the document.
bool sync_file(const std::string& path) {
    errno = 0;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    const int error = errno;
    const bool closed = ::close(fd) == 0;
    if (!ok) errno = error;
    return closed && ok;
}

// Indexes the records from ItemStartTable(ItemCount + 1) up to ItemWordsUsed; a record that
// does not fit (never the case for what the readers return) ends the store there.
void index_new_records() {
    int32_t pos = ItemStartTable(ItemCount + 1);
    while (pos < ItemWordsUsed) {
        const int32_t n = int_of(ItemStore(pos));
        if (n < 1 || n > ItemWordsUsed - 1 - pos || ItemCount + 2 > kItemStartEntries) {
            ItemWordsUsed = pos;
            break;
        }
        ++ItemCount;
        pos += n + 1;
        ItemStartTable(ItemCount + 1) = pos;
    }
    if (ItemWordsUsed <= kItemStoreWords) ItemStore(ItemWordsUsed) = 0.0f;  // end of records
}

void report_failure(DocumentStatus status, const std::string& name, std::string_view cause) {
    switch (status) {
        case DocumentStatus::NotFound:  // a folder, a FIFO or a refused file is told as such
            CommandLine.set(unreadable_file_message(name));
            break;
        case DocumentStatus::BadFormat:
        case DocumentStatus::TooLarge:  // a work copy's program name is no path the user knows
            CommandLine.set("Error opening file-> " + platform::shown_path(name) +
                            (cause.empty() ? std::string() : ": " + std::string(cause)));
            break;
        case DocumentStatus::WriteError:
            CommandLine.set(" ***Error writing file:");
            break;
        case DocumentStatus::Changed:
            CommandLine.set(kFileChangedText);
            break;
        case DocumentStatus::NotADocument:  // its message box has been shown
        case DocumentStatus::Ok:
            break;
    }
}

// After a successful read or write: the names, the history, the undo state and the current
// folder. merge: the load was a merge (the document keeps its name); keep_folder: the command
// was one that does not move the current folder; restored_backup: a backup read under its
// document's name; saved: the page was written.
void run_closing_steps(bool merge, bool keep_folder, bool restored_backup, bool saved,
                       FixedText<512>& name) {
    if (merge) CurrentFileName = RememberedDocumentName;
    if (FileMode == 2) {  // work copies touch no names, no history, no undo state
        CurrentFileName = RememberedDocumentName;
        return;
    }
    const std::string current = CurrentFileName.trimmed();
    // A backup is no document opened: its document's name stays out of the history too.
    if (current.find('!') == std::string::npos && !restored_backup) record_file_history(0);
    // A new page's name is no document to go back to: the one before it stays the previous.
    if (!same_document_name(current, RememberedDocumentName.view()) &&
        RememberedDocumentName.trimmed() != kNewPageName)
        PreviousFileName = RememberedDocumentName;
    RememberedDocumentName = CurrentFileName;
    name = CurrentFileName;
    note_undo_history_mark();
    // Every save ends the undo history (SM as SA): an undo copy older than the file would load a
    // page that differs from the file while the title calls it saved. A merge (mode letter M of
    // a read) keeps it, so that UNDO can cut the merged records off again.
    if (saved || CommandModeLetters(2) != 'M') {
        UndoRedoState = 0;
        forget_command_file_steps();
    }
    if (saved) SavedChangesFlag = 1;
    // The data folder is only read: a page read from it leaves the current folder where it was,
    // so that bare names of later writes do not point there.
    if (FileMode == 0 && !keep_folder && !platform::in_data_folder(platform::local_path(current))) {
        const std::size_t sep = current.find_last_of("\\/");
        if (sep != std::string::npos) platform::change_folder(current.substr(0, sep + 1));
    }
}

}  // namespace

// Contract: see the header. The bytes are built whole in memory, written to ".~ormest<pid>.tmp"
// beside the target on unit, flushed, synced (documents; work copies are rewritten before every
// edit and are not synced) and renamed over the target; an undo or redo copy that already
// exists as a file of one name is written over in place. A target that exists but may not be
// written is refused like a failed open. Such temporary files left in that folder by processes
// that no longer exist (a save that was killed) are removed first. Tables: none (the units 3
// and unit are closed).
DocumentStatus write_document(std::string_view name, const DocumentWords& words, int32_t count,
                              int32_t level, int32_t metric_flag,
                              std::optional<std::string_view> stored_name, int32_t unit,
                              const platform::FileIdentity* expected) {
    const int32_t items = count > 1 ? count - 1 : 0;
    words.check_range(1, items);
    const int32_t n = items + kDocumentTrailerWords;
    const std::size_t header = n <= kShortCountLimit ? 2 : 4;

    // A stored name takes whole 128-byte blocks, so a long one is kept whole and a short one
    // has the fixed 128-character field readers have always read.
    std::string name_field;
    if (stored_name) {
        name_field = std::string(trim_right(*stored_name));
        const std::size_t blocks = std::max<std::size_t>(
            1, (name_field.size() + kDocumentNameField - 1) / kDocumentNameField);
        name_field.resize(blocks * kDocumentNameField, ' ');
    }

    std::vector<unsigned char> bytes(header + 4 * static_cast<std::size_t>(n) + name_field.size());
    if (header == 2) {
        put_le_i16(bytes.data(), static_cast<int16_t>(n));
    } else {
        put_le_i32(bytes.data(), n);
    }
    unsigned char* p = bytes.data() + header;
    if constexpr (std::endian::native == std::endian::little) {
        // The words are stored as they lie in memory: one copy instead of one store per word.
        if (items > 0) std::memcpy(p, words.at(1), 4 * static_cast<std::size_t>(items));
        p += 4 * static_cast<std::size_t>(items > 0 ? items : 0);
    } else {
        for (int32_t k = 1; k <= items; ++k, p += 4) put_le_f32(p, words(k));
    }
    const float trailer[kDocumentTrailerWords] = {
        static_cast<float>(level), static_cast<float>(metric_flag),
        static_cast<float>(kDocumentTrailerWords), kDocumentEndMarker};
    for (float t : trailer) {
        put_le_f32(p, t);
        p += 4;
    }
    if (!name_field.empty()) std::memcpy(p, name_field.data(), name_field.size());

    close_unit(kDocumentReadUnit);
    close_unit(unit);
    g_write_failure_reason.clear();
    const std::string path = platform::local_path(name);
    if (path.empty()) return write_failed(ENOENT);
    const std::string target = replacement_target(path);
    if (target.empty()) {
        const bool loop =
            platform::resolve_link_target(path).status == platform::LinkTargetStatus::Loop;
        return write_failed(loop ? ELOOP : ENOENT);
    }
    struct stat old {};
    // lstat: a link left at the target (only in the work folder) is replaced like no file.
    const bool replacing = ::lstat(target.c_str(), &old) == 0 && !S_ISLNK(old.st_mode);
    if (replacing && !S_ISREG(old.st_mode))
        return write_failed(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    if (replacing && ::access(target.c_str(), W_OK) != 0) return write_failed(errno);

    // An undo or redo copy (FileMode 2) is written over the last one in place: it is rewritten
    // before every edit, and a new file per edit costs the file system far more than the bytes.
    // A copy that fails half-way is reported as failed, and a failed copy is never loaded.
    if (FileMode == 2 && replacing && old.st_nlink == 1) {
        const int fd = platform::open_regular_file(target, true, O_NOFOLLOW);
        if (fd >= 0) {
            struct stat opened {};
            bool same = ::fstat(fd, &opened) == 0 && opened.st_ino == old.st_ino &&
                        opened.st_dev == old.st_dev && opened.st_nlink == 1;
            if (same) {
                const auto size = static_cast<off_t>(bytes.size());
                bool ok = ::pwrite(fd, bytes.data(), bytes.size(), 0) == size;
                ok = ok && ::ftruncate(fd, size) == 0;
                ok = ::close(fd) == 0 && ok;
                return ok ? DocumentStatus::Ok : DocumentStatus::WriteError;
            }
            ::close(fd);
        }
    }

    // A short name of its own, so that a target name near the length limit still has room.
    const std::string folder = fs::path(target).parent_path().string();
    const std::string temp = temporary_file_path(folder, 0);
    std::error_code ec;
    fs::remove(temp, ec);
    remove_stale_temporary_files(folder);
    // Opened exactly as named: a look-up regardless of case would list the whole folder for a
    // name that by design does not exist yet.
    if (!open_unit_at_local_path(unit, temp, UnitStatus::New, UnitForm::Raw)) {
        g_write_failure_reason = unit_failure_reason(unit);
        return DocumentStatus::WriteError;
    }
    bool ok = write_bytes(unit, bytes.data(), bytes.size()) == IoResult::Ok;
    ok = close_unit(unit) && ok;
    if (!ok) g_write_failure_reason = unit_failure_reason(unit);
    if (ok && !stored_name) {
        ok = sync_file(temp);
        if (!ok) (void)write_failed(errno);
    }
    if (ok && replacing) ::chmod(temp.c_str(), old.st_mode & 07777);
    // The last look at the file before it is replaced: another copy's save since the page's
    // decision is not written over.
    if (ok && expected != nullptr && platform::file_identity(target) != *expected) {
        fs::remove(temp, ec);
        return DocumentStatus::Changed;
    }
    // An undo or redo copy (FileMode 2) replaces the last one first: renamed over an existing
    // file, the file system writes the new copy out at once (and waits on the old one's writing
    // when it goes), once per edit. Such a copy is never read by a later process, so it needs
    // no replacing that survives a crash; the backup copy and documents do, and keep it.
    if (ok && replacing && FileMode == 2) ::unlink(target.c_str());
    if (ok) {
        ok = std::rename(temp.c_str(), target.c_str()) == 0;
        if (!ok) (void)write_failed(errno);
    }
    if (!ok) {
        fs::remove(temp, ec);
        return DocumentStatus::WriteError;
    }
    return DocumentStatus::Ok;
}

std::string write_failure_text(std::string_view shown_name) {
    std::string text = " ***Error writing file: " + std::string(shown_name);
    if (!g_write_failure_reason.empty()) text += ": " + g_write_failure_reason;
    return text;
}

// Contract: see the header. The count is taken as 16 bits when that count's last word is the
// end marker, otherwise as 32 bits; a count below 3, one beyond a full store, or a file that
// ends before its counted words fail without changing anything.
DocumentStatus read_document(std::string_view name, DocumentWords& words, DocumentReadInfo& info,
                             bool work_copy) {
    info = DocumentReadInfo{};
    close_unit(kDocumentReadUnit);
    if (!open_unit(kDocumentReadUnit, name, UnitStatus::Old, UnitForm::Raw))
        return DocumentStatus::NotFound;
    const int32_t largest = largest_count();
    std::vector<unsigned char> bytes(4 + 4 * static_cast<std::size_t>(largest) +
                                     kLongestStoredName);
    std::size_t got = 0;
    errno = 0;
    const IoResult r = read_bytes(kDocumentReadUnit, bytes.data(), bytes.size(), &got);
    close_unit(kDocumentReadUnit);
    if (r == IoResult::Error) {
        info.failure = std::error_code(errno != 0 ? errno : EIO, std::generic_category()).message();
        return DocumentStatus::BadFormat;
    }
    bytes.resize(got);

    int32_t n = 0;
    std::size_t offset = 0;
    bool short_under_16 = false;  // a 16-bit count in range that the file ends before
    bool fits_under_16 = false;   // a 16-bit count in range that the file holds, no end mark
    if (got >= 2) {
        const int32_t n16 = get_le_i16(bytes.data());
        const bool in_range = n16 >= 3 && n16 <= largest;
        short_under_16 = in_range && 2 + 4 * static_cast<std::size_t>(n16) > got;
        fits_under_16 = in_range && !short_under_16;
        if (in_range && !short_under_16 && word_at(bytes, 2, n16) == kDocumentEndMarker) {
            n = n16;
            offset = 2;
        }
    }
    if (offset == 0) {
        auto refuse = [&info](DocumentStatus status, std::string_view cause) {
            info.failure = cause;
            return status;
        };
        if (got < 4) return refuse(DocumentStatus::BadFormat, kEndsBeforeCountCause);
        n = get_le_i32(bytes.data());
        if (n < 3 || n > largest) {
            // Which cause fits: a count the file ends before, a document (it ends in the end
            // mark) whose count is damaged, or no document of ours at all.
            const DocumentStatus status =
                n > largest ? DocumentStatus::TooLarge : DocumentStatus::BadFormat;
            if (short_under_16) return refuse(status, kEndsBeforeCountCause);
            const bool ends_in_mark =
                std::bit_cast<float>(get_le_i32(bytes.data() + got - 4)) == kDocumentEndMarker;
            return refuse(status, ends_in_mark ? kCountOutOfRangeCause : kNotADocumentCause);
        }
        // A file its 16-bit count fits whole, but for the end mark, is no document of ours
        // rather than one cut short under the other width.
        if (4 + 4 * static_cast<std::size_t>(n) > got)
            return refuse(DocumentStatus::BadFormat,
                          fits_under_16 ? kNotADocumentCause : kEndsBeforeCountCause);
        offset = 4;
    }

    if (is_backup_name(name)) {
        info.stored_name = stored_name_after(bytes, offset + 4 * static_cast<std::size_t>(n));
        show_notice("Getting Backup of " + info.stored_name);
    }
    const std::vector<float> in = decode_words(bytes, offset, n);
    return repair_document_words(in.data(), n, words, info, name, work_copy);
}

// Contract: see the header. Tables: reads OutputBufferViews.graphics(1..N+1).
DocumentStatus read_front_end_document(std::string_view name, DocumentWords& words,
                                       DocumentReadInfo& info) {
    info = DocumentReadInfo{};
    auto& list = OutputBufferViews.graphics;
    if (!list.bound()) return DocumentStatus::BadFormat;
    const int32_t n = list(1);
    if (n < 3) {
        show_not_a_document(name);
        return DocumentStatus::NotADocument;
    }
    if (n > largest_count() || n + 1 > list.size()) return DocumentStatus::TooLarge;

    // The block as the file's bytes: element 1 (the count), then the words as placed.
    std::vector<unsigned char> bytes(4 * (static_cast<std::size_t>(n) + 1));
    for (int32_t k = 1; k <= n + 1; ++k)
        put_le_i32(bytes.data() + 4 * static_cast<std::size_t>(k - 1), list(k));
    // A 32-bit count puts the words from element 2 on; after a 16-bit count they lie two bytes
    // earlier.
    const std::size_t offset = word_at(bytes, 4, n) == kDocumentEndMarker ? 4 : 2;
    if (!(word_at(bytes, offset, 1) > 2.0f) || word_at(bytes, offset, n) != kDocumentEndMarker) {
        show_not_a_document(name);
        return DocumentStatus::NotADocument;
    }
    const std::vector<float> in = decode_words(bytes, offset, n);
    return repair_document_words(in.data(), n, words, info, name);
}

bool replace_store_with_document(const DocumentWords& words, int32_t count) {
    if (count < 0 || count > ItemStoreCapacity || count > DocumentWords::size()) return false;
    clear_item_store();
    copy_words(words.at(1), ItemStore.at(1), count);
    ItemWordsUsed = count + 1;
    index_new_records();
    return true;
}

bool append_document_words(const DocumentWords& words, int32_t count) {
    const int32_t start = ItemWordsUsed;
    if (count < 0 || count > DocumentWords::size() || start - 1 + count > ItemStoreCapacity ||
        start - 1 + count > kItemStoreWords)
        return false;
    ItemStartTable(ItemCount + 1) = start;
    copy_words(words.at(1), ItemStore.at(start), count);
    ItemWordsUsed = start + count;
    index_new_records();
    return true;
}

bool merge_document_at_staff_offset(const DocumentWords& words, int32_t count, int32_t offset,
                                    int32_t top_staff, bool& clamped) {
    clamped = false;
    const int32_t old_used = ItemWordsUsed;
    const int32_t first = ItemCount + 1;
    if (!append_document_words(words, count)) return false;
    const float top = static_cast<float>(top_staff);
    const float raise = static_cast<float>(offset - 1);
    for (int32_t k = first; k <= ItemCount; ++k) {
        const int32_t s = ItemStartTable(k);
        if (int_of(ItemStore(s)) < 2) continue;
        float staff = ItemStore(s + 2) + raise;
        if (staff > top) {
            staff = top;
            clamped = true;
        }
        ItemStore(s + 2) = staff;
    }
    UndoSaveMode = old_used;
    ChangesMadeFlag = 1;
    return true;
}

bool store_holds_only_second_page_items() {
    if (ItemCount < 1) return false;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const int32_t s = ItemStartTable(k);
        if (int_of(ItemStore(s)) < 2 || ItemStore(s + 2) < 200.0f) return false;
    }
    return true;
}

// Contract: see the header.
bool save_load_document_file(int32_t unit, int32_t& count, DocumentWords& words, int32_t& level,
                             FixedText<512>& name, DocumentReadInfo* read_info,
                             const platform::FileIdentity* expected) {
    CommandModeLetters(1) = 0;
    const char second = upper(CommandLine(2));
    const bool keep_folder =
        (second == 'M' || second == 'X' || second == 'B') && upper(CommandLine(3)) != 'A';
    const bool merge = upper(SecondLine(1)) == 'G' && upper(SecondLine(2)) == 'M';
    const FixedText<512> old_current = CurrentFileName;
    const std::string file = name.c_text();
    CurrentFileName.set(file);

    DocumentStatus status;
    std::string cause;
    bool restored_backup = false;
    if (unit == kDocumentReadUnit) {
        DocumentReadInfo info;
        if (MessageLine.starts_with("~~R")) {
            CommandStatusWord = 0;
            status = read_front_end_document(file, words, info);
        } else {
            status = read_document(file, words, info, FileMode == 2);
        }
        if (status == DocumentStatus::Ok) {
            count = info.count;
            if (info.has_level) level = info.level;
            if (!merge) MetricFlag = info.metric_flag;
            if (!merge && FileMode != 2 && is_document_name_of_backup(info.stored_name)) {
                CurrentFileName.set(info.stored_name);
                info.took_name = true;
                restored_backup = true;
            }
        }
        cause = info.failure;
        if (read_info != nullptr) *read_info = info;
    } else {
        std::optional<std::string> stored;
        if (FileMode == 2) stored = RememberedDocumentName.trimmed();
        status = write_document(file, words, count, level, MetricFlag,
                                stored ? std::optional<std::string_view>(*stored) : std::nullopt,
                                unit, expected);
    }
    if (status != DocumentStatus::Ok) {
        report_failure(status, file, cause);
        CurrentFileName = old_current;
        CommandModeLetters(1) = -1;
        return false;
    }
    run_closing_steps(merge, keep_folder, restored_backup, unit != kDocumentReadUnit, name);
    return true;
}

}  // namespace core
