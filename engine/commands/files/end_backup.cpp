// The page kept at an end from outside, the start's notice of it, and its protection from the
// periodic backup.
#include "engine/commands/files/end_backup.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "engine/commands/files/file_commands.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/name_compare.h"
#include "engine/core/files/word_start_page.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_editing.h"
#include "engine/input/mode/input_mode.h"
#include "platform/file_identity.h"
#include "platform/file_kind.h"
#include "platform/paths.h"
#include "platform/work_copies.h"

namespace core {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kKeptHead = "!kept-";
// The record is small; a larger file is no record of ours and is not read.
constexpr std::size_t kLongestRecord = 64 * 1024;

// Why a backup was kept: the program was ended from outside, or a word read from a command file
// replaced the page (such a file is never asked before unsaved changes go).
enum class KeptReason { Ended, Replaced };

// A record line of a backup kept for a command file begins with this field.
constexpr std::string_view kReplacedTag = "replaced";

struct EndedBackup {
    std::string path;  // local path of the backup file
    std::string name;  // the page's name when it was written
    KeptReason reason = KeptReason::Ended;
};

// How the texts for the user say why the backup was kept.
std::string reason_text(KeptReason reason) {
    return reason == KeptReason::Replaced ? "when a command file replaced it"
                                          : "when the program was ended";
}

std::string record_path() { return platform::work_file(kEndedBackupsRecord); }

// This copy's backup copy, as a local path.
std::string own_backup_path() {
    return platform::local_path(TempDirPrefix.trimmed() + std::string(kBackupCopyFile));
}

bool is_kept_backup(const std::string& path) {
    return starts_with_nocase(fs::path(path).filename().string(), kKeptHead);
}

// The name a user types for a kept backup: the work folder as the program names it.
std::string typed_name_of(const std::string& path) {
    return TempDirPrefix.trimmed() + fs::path(path).filename().string();
}

// The same file, also when the work folder is reached by another path than when it was
// recorded.
bool same_file(const std::string& a, std::string_view b) {
    std::error_code ec;
    return a == b || fs::equivalent(a, std::string(b), ec);
}

bool is_plain_file(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(fs::symlink_status(path, ec));
}

// The record's entries; none when there is no record (or it is no plain file of ours).
std::vector<EndedBackup> read_record() {
    std::vector<EndedBackup> entries;
    const std::string path = record_path();
    const int fd = path.empty() ? -1 : platform::open_regular_file(path, false, O_NOFOLLOW);
    if (fd < 0) return entries;
    std::string text;
    char buffer[4096];
    ssize_t n;
    while (text.size() <= kLongestRecord && (n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        from = end + 1;
        KeptReason reason = KeptReason::Ended;
        const std::string replaced = std::string(kReplacedTag) + '\t';
        if (line.compare(0, replaced.size(), replaced) == 0) {
            reason = KeptReason::Replaced;
            line.erase(0, replaced.size());
        }
        const std::size_t tab = line.find('\t');
        if (tab == 0 || tab == std::string::npos) continue;  // a line cut short
        entries.push_back({line.substr(0, tab), line.substr(tab + 1), reason});
    }
    return entries;
}

// Writes the record anew (never through a link); an empty one is removed. False when it could
// not be written.
bool write_record(const std::vector<EndedBackup>& entries) {
    const std::string path = record_path();
    if (path.empty()) return false;
    if (entries.empty()) {
        std::error_code ec;
        fs::remove(path, ec);
        return !ec;
    }
    std::string text;
    for (const EndedBackup& e : entries) {
        std::string name = e.name;
        for (char& c : name)
            if (c == '\n' || c == '\r') c = '?';  // one entry per line
        if (e.reason == KeptReason::Replaced) text += std::string(kReplacedTag) + '\t';
        text += e.path + '\t' + name + '\n';
    }
    const int fd = platform::open_regular_file(path, true, O_CREAT | O_TRUNC | O_NOFOLLOW);
    if (fd < 0) return false;
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::close(fd) == 0 && ok;
    return ok;
}

// Forces a written file and its folder's entry to the disk: an end from outside is often the
// system going down.
void sync_to_disk(const std::string& path) {
    for (const std::string& p : {path, fs::path(path).parent_path().string()}) {
        const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ::fsync(fd);
        ::close(fd);
    }
}

// The page a backup keeps. While an edit form is open the store lacks what the form took out
// (a staff, an input run): the page is the one the form would put back, with the unsaved mark
// it had then. Otherwise the store, an edited item's changes not yet stored in as the page
// shows them. The store itself is left as it is.
struct PageToKeep {
    const DocumentWords* words = nullptr;
    int32_t used = 0;  // ItemWordsUsed of that page
    int32_t items = 0;
    bool unsaved = false;
    bool edit_kept = false;  // an edited item's changes went in
    bool named = false;      // name holds the page's name (the current one may differ)
    std::string name;
};

// At an end while a word waits for an answer, the page the user had before that word: what the
// word did so far is undone by the end. An item being edited keeps its own changes instead.
bool page_before_waiting_word(DocumentWords& copy, PageToKeep& page) {
    const WordStartPage* before = page_before_word();
    if (before == nullptr || EditedItemNumber != 0) return false;
    std::copy(before->words.begin(), before->words.end(), copy.data());
    page.words = &copy;
    page.used = static_cast<int32_t>(before->words.size()) + 1;
    page.items = before->items;
    page.unsaved = before->unsaved;
    page.name = before->name;
    page.named = true;
    return true;
}

PageToKeep page_to_keep(bool before_word = false) {
    static DocumentWords copy;
    PageToKeep page;
    static std::vector<float> form_words;
    int32_t form_items = 0;
    bool form_unsaved = false;
    if (input::edit_form_start_page(form_words, form_items, form_unsaved)) {
        std::copy(form_words.begin(), form_words.end(), copy.data());
        page.words = &copy;
        page.used = static_cast<int32_t>(form_words.size()) + 1;
        page.items = form_items;
        page.unsaved = form_unsaved;
        return page;
    }
    if (before_word && page_before_waiting_word(copy, page)) return page;
    page.items = ItemCount;
    page.unsaved = ChangesMadeFlag != 0;
    page.edit_kept = edit::page_with_waiting_edit(copy, page.used);
    page.words = page.edit_kept ? &copy : &ItemStore;
    if (!page.edit_kept) page.used = ItemWordsUsed;
    return page;
}

// Writes page, whole, to the backup copy with its name stored, forces it to the disk and
// records it for reason; a backup of an earlier end not loaded yet is first kept aside. path
// receives the local path recorded (in the work folder when this copy's own folder goes at its
// end). False when it could not be kept.
bool write_and_record_page(KeptReason reason, const PageToKeep& page, std::string& path) {
    const platform::SharedRecordLock record_lock;  // no other copy's entry lost meanwhile
    const std::string name = CurrentFileName.trimmed();
    const std::string backup = TempDirPrefix.trimmed() + std::string(kBackupCopyFile);
    if (!set_aside_backup_kept_at_end()) return false;
    if (write_document(backup, *page.words, page.used, kDocumentLevel, MetricFlag,
                       std::string_view(name)) != DocumentStatus::Ok)
        return false;
    path = own_backup_path();
    sync_to_disk(path);
    if (!platform::own_copy_folder().empty()) {
        // This copy's folder goes when it ends: the backup is kept in the work folder.
        std::string kept;
        if (!platform::keep_backup_file(path, platform::work_folder(), kept)) return false;
        path = kept;
        sync_to_disk(path);
    }
    std::vector<EndedBackup> entries = read_record();
    entries.push_back({path, name, reason});
    write_record(entries);
    sync_to_disk(record_path());
    return true;
}

// The text that says the page's unsaved changes could not be kept in the backup copy.
std::string not_kept_text() {
    return "*** The unsaved changes of " + CurrentFileName.trimmed() +
           " could not be written to the backup copy " +
           platform::shown_path(TempDirPrefix.trimmed() + std::string(kBackupCopyFile));
}

}  // namespace

// Contract: see the header. FileMode is set to 0 first: an end may come in the middle of a
// command, and the backup is a document, not a work copy.
std::string keep_page_at_end() {
    const PageToKeep page = page_to_keep(true);
    if (!page.unsaved || page.items == 0) return {};
    FileMode = 0;
    // The page is kept, and told, under the name it had then (the word may have named another).
    const FixedText<512> current = CurrentFileName;
    if (page.named) CurrentFileName.set(page.name);
    std::string path;
    std::string told;
    if (!write_and_record_page(KeptReason::Ended, page, path)) {
        told = not_kept_text() + " and are lost.";
    } else {
        told = "*** The unsaved changes of " + CurrentFileName.trimmed() +
               " were written to the backup copy " + path +
               (page.edit_kept ? ", the edited item's changes with them." : ".");
    }
    CurrentFileName = current;
    return told;
}

namespace {

// The page a command file's word is about to drop, written aside until the word has run: only
// a word that then replaced the page turns it into the backup copy (see
// settle_command_file_backup). The name is this copy's own: copies on one work folder never
// write one another's.
constexpr std::string_view kPendingBackupFile = "!pending!save.mus";

struct PendingBackup {
    bool waiting = false;
    std::string name;          // the page's name
    std::vector<float> words;  // the page's words, to tell whether the word replaced it
    int32_t metric_flag = 0;
};
PendingBackup& pending_backup() {
    static PendingBackup pending;
    return pending;
}

std::string pending_backup_name() {
    return TempDirPrefix.trimmed() + std::string(kPendingBackupFile);
}

// Whether the page is still the one kept aside: its words (bit for bit), units and name, with
// its unsaved changes.
bool page_is_pending_backup(const PendingBackup& pending) {
    const int32_t n = ItemWordsUsed - 1;
    if (ChangesMadeFlag == 0 || MetricFlag != pending.metric_flag ||
        CurrentFileName.trimmed() != pending.name ||
        static_cast<std::size_t>(n > 0 ? n : 0) != pending.words.size())
        return false;
    return n <= 0 || std::memcmp(pending.words.data(), ItemStore.at(1),
                                 sizeof(float) * static_cast<std::size_t>(n)) == 0;
}

// Keeps the written page as the first free "!kept-N!save.mus" in the work folder and returns
// its path; when even that fails, the written file itself (still on the disk, and loaded by its
// name).
std::string keep_in_work_folder(const std::string& written) {
    std::string kept;
    if (!platform::keep_backup_file(written, platform::work_folder(), kept)) return written;
    std::error_code ec;
    fs::remove(written, ec);
    return kept;
}

}  // namespace

// Contract: see the header. The backup is a document, not a work copy, whatever FileMode says;
// FileMode comes back as it was.
bool keep_page_for_command_file(std::string& told) {
    told.clear();
    if (ChangesMadeFlag == 0 || ItemCount == 0) return true;
    PendingBackup& pending = pending_backup();
    const std::string name = CurrentFileName.trimmed();
    // The copy must be able to take the backup copy's place once the word has run.
    std::error_code ec;
    const fs::file_status target = fs::symlink_status(own_backup_path(), ec);
    if (fs::exists(target) && !fs::is_regular_file(target)) {
        told = not_kept_text() + ": the command file's word was not carried out.";
        return false;
    }
    // A page set aside before that could not be moved to a name of its own is still recorded
    // under the name written here: writing over it would lose it.
    const std::string written = platform::local_path(pending_backup_name());
    for (const EndedBackup& e : read_record()) {
        if (is_plain_file(e.path) && same_file(e.path, written)) {
            told = not_kept_text() + ": the command file's word was not carried out.";
            return false;
        }
    }
    const PageToKeep page = page_to_keep();
    const int32_t file_mode = FileMode;
    FileMode = 0;
    const bool kept = write_document(pending_backup_name(), *page.words, page.used, kDocumentLevel,
                                     MetricFlag, std::string_view(name)) == DocumentStatus::Ok;
    FileMode = file_mode;
    if (!kept) {
        told = not_kept_text() + ": the command file's word was not carried out.";
        return false;
    }
    sync_to_disk(platform::local_path(pending_backup_name()));
    pending.waiting = true;
    pending.name = name;
    pending.metric_flag = MetricFlag;
    const int32_t n = ItemWordsUsed - 1;
    pending.words.assign(ItemStore.at(1), ItemStore.at(1) + (n > 0 ? n : 0));
    return true;
}

// Contract: see the header.
void settle_command_file_backup() {
    PendingBackup& pending = pending_backup();
    if (!pending.waiting) return;
    pending.waiting = false;
    const std::string written = platform::local_path(pending_backup_name());
    std::error_code ec;
    if (page_is_pending_backup(pending)) {
        // The word replaced nothing: nothing is recorded, and an earlier backup stays.
        fs::remove(written, ec);
        pending.words.clear();
        return;
    }
    pending.words.clear();
    std::string path;
    bool backup_copy = false;
    const platform::SharedRecordLock record_lock;  // no other copy's entry lost meanwhile
    if (platform::own_copy_folder().empty()) {
        path = own_backup_path();
        backup_copy = set_aside_backup_kept_at_end();
        if (backup_copy) {
            fs::rename(written, path, ec);
            backup_copy = !ec;
        }
        if (!backup_copy) path = keep_in_work_folder(written);
    } else {
        // A later copy keeps every page it sets aside under a name of its own: a backup that
        // holds changes no other file holds is never written over.
        path = keep_in_work_folder(written);
    }
    sync_to_disk(path);
    std::vector<EndedBackup> entries;
    for (EndedBackup& e : read_record())
        if (!same_file(e.path, path)) entries.push_back(std::move(e));
    entries.push_back({path, pending.name, KeptReason::Replaced});
    write_record(entries);
    sync_to_disk(record_path());
    show_message(ReplyKind::Notice,
                 "*** The unsaved changes of " + pending.name +
                     " were written to the backup copy before a command file replaced them: type " +
                     (backup_copy ? std::string("GSV") : "G " + typed_name_of(path)) +
                     " to load them.");
}

// Contract: see the header.
std::vector<std::string> tell_backups_kept_at_end() {
    std::vector<std::string> told;
    const platform::SharedRecordLock record_lock;  // no other copy's entry lost meanwhile
    const std::vector<EndedBackup> entries = read_record();
    if (entries.empty()) return told;
    const std::string own = own_backup_path();
    std::vector<EndedBackup> left;
    for (const EndedBackup& e : entries) {
        if (!is_plain_file(e.path)) continue;  // loaded or removed since
        const bool mine = same_file(e.path, own);
        if (!mine && !is_kept_backup(e.path)) {
            left.push_back(e);  // another running copy's own backup: its start tells of it
            continue;
        }
        const std::string typed = mine ? std::string("GSV") : "G " + typed_name_of(e.path);
        told.push_back("*** A backup of " + e.name + " was kept " + reason_text(e.reason) +
                       ": type " + typed + " to load it.");
        show_prompt(ReplyKind::Notice, told.back());
        if (mine) left.push_back(e);  // the periodic backup must still keep it aside
    }
    if (left.size() != entries.size()) write_record(left);
    return told;
}

// Contract: see the header. Every entry of this copy's backup copy goes from the record; the
// first becomes the entry of its kept name. A kept name is never this copy's backup copy, even
// while it is a second name of the same file (kept for a command file by a copy whose own
// folder goes at its end).
namespace {
std::string& backup_kept_aside() {
    static std::string kept;
    return kept;
}
}  // namespace

std::string take_backup_kept_aside() {
    std::string kept;
    kept.swap(backup_kept_aside());
    return kept;
}

bool set_aside_backup_kept_at_end() {
    const platform::SharedRecordLock record_lock;  // no other copy's entry lost meanwhile
    const std::vector<EndedBackup> entries = read_record();
    const std::string own = own_backup_path();
    const auto is_own = [&](const EndedBackup& e) {
        return !is_kept_backup(e.path) && same_file(e.path, own);
    };
    std::vector<EndedBackup> left;
    for (const EndedBackup& e : entries)
        if (!is_own(e)) left.push_back(e);
    if (left.size() == entries.size()) return true;
    std::string kept;
    if (platform::keep_backup_file(own, platform::work_folder(), kept)) {
        EndedBackup first;
        for (const EndedBackup& e : entries)
            if (is_own(e) && first.name.empty()) first = e;
        left.push_back({kept, first.name, first.reason});
        const std::string typed = typed_name_of(kept);
        backup_kept_aside() = typed;
        // Told as it happens: a command file may move several backups in one call, and each
        // notice is the only word of where that page went.
        show_message(ReplyKind::Notice, "*** The backup of " + first.name + " kept " +
                                            reason_text(first.reason) + " is now " + typed +
                                            ": type G " + typed + " to load it.");
    } else if (is_plain_file(own)) {
        return false;
    }
    write_record(left);
    return true;
}

// Contract: see the header.
void forget_backup_kept_at_end(std::string_view loaded) {
    const platform::SharedRecordLock record_lock;  // no other copy's entry lost meanwhile
    std::vector<EndedBackup> entries = read_record();
    if (entries.empty() || loaded.empty()) return;
    std::vector<EndedBackup> left;
    for (const EndedBackup& e : entries)
        if (!same_file(e.path, loaded)) left.push_back(e);
    if (left.size() != entries.size()) write_record(left);
}

}  // namespace core
