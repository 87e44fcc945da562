// Saving the page: the save words, the front-end's save request and the periodic backup copy.
#include <filesystem>
#include <string>
#include <system_error>

#include "engine/commands/files/document_file_records.h"
#include "engine/commands/files/end_backup.h"
#include "engine/commands/files/file_commands.h"
#include "engine/commands/files/file_commands_internal.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_history.h"
#include "engine/core/files/saved_page.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_editing.h"
#include "platform/file_identity.h"
#include "platform/paths.h"

namespace core {

using namespace file_detail;

platform::FileIdentity file_detail::identity_of(const std::string& name) {
    return platform::file_identity(platform::local_path(name));
}

// Contract: see file_commands_internal.h.
bool file_detail::may_replace_changed(const std::string& name, platform::FileIdentity& seen) {
    show_message(ReplyKind::Notice, "*** " + platform::shown_path(name) +
                                        " was changed by another program since it was read.");
    seen = identity_of(name);
    return confirm_overwrite(name) == -1;
}

namespace {

// Whether name is the file of a load that lost or changed records (the same name, or another
// name of the same file).
bool is_partial_load_file(const std::string& name) {
    const std::string partial = PartialLoadName.trimmed();
    if (partial.empty()) return false;
    if (same_document_name(name, partial)) return true;
    const std::string a = platform::local_path(name);
    const std::string b = platform::local_path(partial);
    std::error_code ec;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec) && !ec;
}

// The name as typed after the save word of the work line ("" when none).
std::string typed_save_name() {
    const std::string_view line = trim_name(SecondLine.view());
    const std::size_t blank = line.find(' ');
    return blank == std::string_view::npos ? std::string()
                                           : std::string(trim_name(line.substr(blank + 1)));
}

// Whether a save may write name at all; the user is told why not: it names a folder (typed
// with a separator at its end, typed as an existing folder's name before the extension was
// added, or so resolved), it lies in the data folder (only read), or it is a link that loops or
// ends in a folder that does not exist. typed is the name as given. Files of the work folder
// are never written through links, so their links are no reason.
bool may_write_to(const std::string& typed, const std::string& name) {
    const bool ends_in_separator = !typed.empty() && (typed.back() == '/' || typed.back() == '\\');
    const std::string typed_path = typed.empty() ? name : make_temp_path(typed);
    if (ends_in_separator || names_folder(typed_path) || names_folder(name)) {
        show_message(ReplyKind::Failure, "*** Not saved: " + platform::shown_path(typed_path) +
                                             " is a folder, not a file.");
        mark_run_failed();
        return false;
    }
    if (!outside_data_folder(name)) return false;
    const std::string path = platform::local_path(name);
    const std::string shown = platform::shown_path(name);
    if (path.empty() || platform::in_work_folder(path)) return true;
    switch (platform::resolve_link_target(path).status) {
        case platform::LinkTargetStatus::Loop:
            show_message(ReplyKind::Failure,
                         "*** Not saved: " + shown + " is a link that leads round in a loop.");
            mark_run_failed();
            return false;
        case platform::LinkTargetStatus::MissingFolder:
            show_message(ReplyKind::Failure, "*** Not saved: " + shown +
                                                 " is a link into a folder that does not exist.");
            mark_run_failed();
            return false;
        case platform::LinkTargetStatus::NotALink:
        case platform::LinkTargetStatus::Target:
            break;
    }
    return true;
}

// Whether a save to name may replace what is there, asking where the page would lose work or
// the file would lose another's: the file of a load that lost or changed records, a file the
// page was never read from or written to ("SM" of a new page or after a failed get), and a
// file another program changed since the page read or wrote it (told first). always: the
// question is asked for any existing file (the save-as words). A running command file answers
// from its next line (confirm_overwrite). seen receives the file as it was when the save
// decided (before any question), for the look the write takes again just before its rename.
// True to go ahead.
bool may_replace(const std::string& name, bool always, platform::FileIdentity& seen) {
    const SaveTargetStanding standing = save_target_standing(name);
    if (standing == SaveTargetStanding::Changed) return may_replace_changed(name, seen);
    seen = identity_of(name);
    const bool ask =
        always || is_partial_load_file(name) || standing == SaveTargetStanding::Unbound;
    if (!ask) return true;
    return confirm_overwrite(name) == -1;
}

// The name a save writes, or "" when the command ends without saving; seen as may_replace
// leaves it.
std::string choose_save_name(platform::FileIdentity& seen) {
    if (is_front_end_write()) {
        const std::string typed(trim_name(FrontEndPathBuffer.is_blank()
                                              ? FrontEndCommandBuffer.view()
                                              : FrontEndPathBuffer.view()));
        FixedText<512> name;
        if (!resolve_mus_file_name(name)) return {};
        // The work lines of a save-as, so that a line left by an earlier command counts for
        // nothing (a "GM" there would make the writer keep the old name).
        CommandLine.set("SA");
        SecondLine.set("SA");
        const std::string file = name.trimmed();
        return may_write_to(typed, file) && may_replace(file, false, seen) ? file : std::string();
    }
    char second = CommandLine(2);
    // "SX" and "SB" save as "SM" does; "SXA" and "SBA" step the typed name as "SNX" and "SNB" do.
    const bool stepped_typed_name = (second == 'X' || second == 'B') && CommandLine(3) == 'A';
    if (second == 'X' || second == 'B') second = stepped_typed_name ? 'N' : 'M';
    if (second == 'M') {
        const std::string file = CurrentFileName.trimmed();
        const std::string path = platform::local_path(file);
        if (path.empty() || !platform::in_data_folder(path)) {
            return may_write_to(file, file) && may_replace(file, false, seen) ? file
                                                                              : std::string();
        }
        // A page read from the data folder (only read) is saved as a new page is: under a name
        // the user gives, as a save-as.
        CommandLine(2) = 'A';
        SecondLine.set("SA");
        second = 'A';
    }
    if (second == 'N') {
        if (stepped_typed_name) {
            // With no name to step the word ends: a name asked for now would take the script's
            // next line, and the saves of the page's own name are SX's and SB's.
            const std::string text = SecondLine.trimmed();
            const std::size_t blank = text.find(' ');
            if (blank == std::string::npos ||
                text.find_first_not_of(' ', blank) == std::string::npos) {
                report_failure("** NAME is blank. ***");
                return {};
            }
        }
        if (!stepped_typed_name) {
            const char third = CommandLine(3);
            if (third != 'X' && third != 'B') return {};
            CommandLine(2) = third;
            CommandLine(3) = 'A';
        }
        edit::step_document_name();
    } else if (second != 'A') {
        return {};
    }
    FixedText<512> name;
    if (!resolve_mus_file_name(name)) return {};
    const std::string file = name.trimmed();
    if (!may_write_to(typed_save_name(), file) || !may_replace(file, true, seen)) return {};
    return file;
}

// The replies of a save while an item is edited.
constexpr std::string_view kEditStoredText = "The edited item was stored before the save.";
constexpr std::string_view kEditStoredNotSavedText =
    "The edited item was stored, but the page was not saved.";
constexpr std::string_view kEditNotStoredText =
    "*** Not saved: the edited item could not be stored, as the page is full.";

// "     ITEMS  " and ItemCount in four columns, on a line of its own after the message.
std::string item_count_text() { return "||     ITEMS  " + format_int("(1i4)", ItemCount); }

}  // namespace

// Contract: see the header. Reads CommandLine (the S word), MessageLine ("~~W"), CurrentFileName;
// writes the file, ChangesMadeFlag, MessageLine, the names through the document files, the
// title and the front-end's modified flag. A failed write shows " ***Error writing file:", the
// name and the system's reason; the document stays unsaved. The last look at the file, the write
// and the rename are one step against other running copies (the save lock, never held while a
// question waits): a file found changed there is told and asked about again.
void save_current_document() {
    // "SX" and "SB" go on, after the save, to the music directory's next or previous document.
    const bool steps_on = !is_front_end_write() && CommandLine(1) == 'S' &&
                          (CommandLine(2) == 'X' || CommandLine(2) == 'B') && CommandLine(3) != 'A';
    const FixedText<512> word_line = CommandLine;
    platform::FileIdentity seen;
    const std::string file = choose_save_name(seen);
    if (file.empty()) return;
    if (!name_fits(file)) {
        mark_run_failed();
        return;
    }

    // What the page shows is what is saved: the edited item's changes go into the store first.
    const edit::EditBeforeSave edit = edit::store_edit_before_save();
    if (edit == edit::EditBeforeSave::NotStored) {
        leave_reply(ReplyKind::Failure, kEditNotStoredText);
        mark_run_failed();
        return;
    }
    const bool stored = edit == edit::EditBeforeSave::Stored;
    FixedText<512> name(file);
    const FixedText<512> line = CommandLine;
    platform::SaveLock lock;
    for (;;) {
        CommandLine = line;
        int32_t count = ItemWordsUsed;
        int32_t level = kDocumentLevel;
        if (save_load_document_file(kDocumentWriteUnit, count, ItemStore, level, name, nullptr,
                                    &seen))
            break;
        const bool changed = CommandLine.starts_with(kFileChangedText);
        CommandLine = line;
        if (!changed) {  // the write failed
            mark_run_failed();
            show_message(ReplyKind::Failure, write_failure_text(file));
            if (stored) leave_reply(ReplyKind::Failure, kEditStoredNotSavedText);
            return;
        }
        lock.release();
        if (!may_replace_changed(file, seen)) {
            // The user kept the other program's file: a choice, not a failure.
            if (stored) leave_reply(ReplyKind::Notice, kEditStoredNotSavedText);
            return;
        }
        lock.acquire();
    }
    ChangesMadeFlag = 0;
    remember_saved_page();
    PartialLoadName.blank();  // the file now holds the page
    record_document_file(CurrentFileName.view(), false);
    lock.release();
    leave_reply(ReplyKind::Notice, (stored ? std::string(kEditStoredText) + "||" : std::string()) +
                                       "File saved:  " + CurrentFileName.trimmed() +
                                       item_count_text());
    update_title_line(CurrentFileName);
    ServiceBlock block;
    block.fill(0);
    request_front_end_service('m', block);  // word 1 = 0: not modified
    if (steps_on) {
        CommandLine = word_line;
        edit::step_document_name();
    }
}

// Contract: see the header. Writes the work-folder file "!save.mus" through the document writer
// (whole or not at all), with CurrentFileName stored after the words; a backup written at an
// end and not loaded yet is first kept aside (set_aside_backup_kept_at_end). A failure sets
// MessageLine, the first time only: the backup runs every few commands, and a box each time
// would stop the work it is meant to protect.
void check_file_mode() {
    if (FileMode != 0 || ItemCount == 0) return;
    const std::string backup = TempDirPrefix.trimmed() + std::string(kBackupCopyFile);
    const std::string stored = CurrentFileName.trimmed();
    // A backup written when the program was ended is kept aside first, never written over.
    const DocumentStatus status =
        set_aside_backup_kept_at_end()
            ? write_document(backup, ItemStore, ItemWordsUsed, kDocumentLevel, MetricFlag,
                             std::string_view(stored))
            : DocumentStatus::WriteError;
    if (status == DocumentStatus::Ok) {
        BackupFailureTold = 0;
    } else if (BackupFailureTold == 0) {
        BackupFailureTold = 1;
        leave_reply(ReplyKind::Failure,
                    "*** The backup copy could not be written: " + platform::shown_path(backup));
    }
}

}  // namespace core
