// Saving the page: the save words, the front-end's save request and the periodic backup copy.
#include <filesystem>
#include <string>
#include <system_error>

#include "engine/commands/family_entries.h"
#include "engine/commands/file_commands.h"
#include "engine/commands/file_commands_internal.h"
#include "engine/core/console_bridge.h"
#include "engine/core/document_files.h"
#include "engine/core/document_tables.h"
#include "engine/core/file_history.h"
#include "engine/core/numeric.h"
#include "engine/core/service_request.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "platform/paths.h"

namespace core {

using namespace file_detail;

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

// A save over the file that a damaged load came from would lose what the load left out: the
// user is asked first. True to go ahead.
bool may_replace_partial_load_file(const std::string& name) {
    return !is_partial_load_file(name) || confirm_overwrite(name) == -1;
}

// The name a save writes, or "" when the command ends without saving.
std::string choose_save_name() {
    if (is_front_end_write()) {
        FixedText<512> name;
        if (!resolve_mus_file_name(name)) return {};
        // The work lines of a save-as, so that a line left by an earlier command counts for
        // nothing (a "GM" there would make the writer keep the old name).
        CommandLine.set("SA");
        SecondLine.set("SA");
        const std::string file = name.trimmed();
        return may_replace_partial_load_file(file) ? file : std::string();
    }
    const char second = CommandLine(2);
    if (second == 'M') {
        const std::string file = CurrentFileName.trimmed();
        return may_replace_partial_load_file(file) ? file : std::string();
    }
    if (second == 'N') {
        const char third = CommandLine(3);
        if (third != 'X' && third != 'B') return {};
        CommandLine(2) = third;
        CommandLine(3) = 'A';
        edit::add_to_music_directory();
    } else if (second != 'A') {
        return {};
    }
    FixedText<512> name;
    if (!resolve_mus_file_name(name)) return {};
    if (confirm_overwrite(name.view()) != -1) return {};
    return name.trimmed();
}

// "     ITEMS  " and ItemCount in four columns, on a line of its own after the message.
std::string item_count_text() { return "||     ITEMS  " + format_int("(1i4)", ItemCount); }

}  // namespace

// Contract: see the header. Reads CommandLine (the S word), MessageLine ("~~W"), CurrentFileName;
// writes the file, ChangesMadeFlag, MessageLine, the names through the document files, the
// title and the front-end's modified flag. A failed write shows " ***Error writing file:" and the
// name; the document stays unsaved.
void save_current_document() {
    const std::string file = choose_save_name();
    if (file.empty()) return;
    if (!name_fits(file)) return;

    FixedText<512> name(file);
    const FixedText<512> line = CommandLine;
    int32_t count = ItemWordsUsed;
    int32_t level = kDocumentLevel;
    if (!save_load_document_file(kDocumentWriteUnit, count, ItemStore, level, name)) {
        const std::string reason = CommandLine.trimmed();
        CommandLine = line;
        show_message(reason + " " + file);
        return;
    }
    ChangesMadeFlag = 0;
    PartialLoadName.blank();  // the file now holds the page
    MessageLine.set("File saved:  " + CurrentFileName.trimmed() + item_count_text());
    update_title_line(CurrentFileName);
    ServiceBlock block;
    block.fill(0);
    request_front_end_service('m', block);  // word 1 = 0: not modified
}

// Contract: see the header. Writes the work-folder file "!save.mus" through the document writer
// (whole or not at all), with CurrentFileName stored after the words. A failure sets
// MessageLine, the first time only: the backup runs every few commands, and a box each time
// would stop the work it is meant to protect.
void check_file_mode() {
    if (FileMode != 0 || ItemCount == 0) return;
    const std::string backup = TempDirPrefix.trimmed() + std::string(kBackupCopyFile);
    const std::string stored = CurrentFileName.trimmed();
    const DocumentStatus status = write_document(backup, ItemStore, ItemWordsUsed, kDocumentLevel,
                                                 MetricFlag, std::string_view(stored));
    if (status == DocumentStatus::Ok) {
        BackupFailureTold = 0;
    } else if (BackupFailureTold == 0) {
        BackupFailureTold = 1;
        MessageLine.set("*** The backup copy could not be written: " +
                        platform::shown_path(backup));
    }
}

}  // namespace core
