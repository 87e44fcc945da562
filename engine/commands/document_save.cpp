// Saving the page: the save words, the front-end's save request and the periodic backup copy.
#include <string>

#include "engine/commands/family_entries.h"
#include "engine/commands/file_commands.h"
#include "engine/commands/file_commands_internal.h"
#include "engine/core/console_bridge.h"
#include "engine/core/document_files.h"
#include "engine/core/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/core/service_request.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"

namespace core {

using namespace file_detail;

namespace {

// The name a save writes, or "" when the command ends without saving.
std::string choose_save_name() {
    if (is_front_end_write()) {
        FixedText<512> name;
        if (!resolve_mus_file_name(name)) return {};
        // The work lines of a save-as, so that a line left by an earlier command counts for
        // nothing (a "GM" there would make the writer keep the old name).
        CommandLine.set("SA");
        SecondLine.set("SA");
        return name.trimmed();
    }
    const char second = CommandLine(2);
    if (second == 'M') return CurrentFileName.trimmed();
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
    MessageLine.set("File saved:  " + CurrentFileName.trimmed() + item_count_text());
    update_title_line(CurrentFileName);
    ServiceBlock block;
    block.fill(0);
    request_front_end_service('m', block);  // word 1 = 0: not modified
}

// Contract: see the header. Writes the work-folder file "!save.mus" through the document writer
// (whole or not at all), with CurrentFileName stored after the words. No table changes.
void check_file_mode() {
    if (FileMode != 0 || ItemCount == 0) return;
    const std::string backup = TempDirPrefix.trimmed() + std::string(kBackupCopyFile);
    const std::string stored = CurrentFileName.trimmed();
    write_document(backup, ItemStore, ItemWordsUsed, kDocumentLevel, MetricFlag,
                   std::string_view(stored));
}

}  // namespace core
