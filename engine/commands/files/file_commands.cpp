// The G family: get a document, merge one into the page, the previous file, a history entry,
// the backup copy, and the front-end's open request; and the load that puts a file on the page.
#include "engine/commands/files/file_commands.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/commands/files/document_file_records.h"
#include "engine/commands/files/end_backup.h"
#include "engine/commands/files/file_commands_internal.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_history.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/saved_page.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/preferences.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/page/scrolling.h"
#include "engine/render/tables.h"
#include "platform/file_kind.h"
#include "platform/paths.h"

namespace core {

int32_t StaffOffset = 1;
FixedText<16> DefaultExtension;
MergeBlockEndRecord MergeBlockEnd;
Array1<int32_t, 20> StoredStaffGrouping;
FixedText<512> PartialLoadName;
int32_t BackupFailureTold = 0;
int32_t LeftOutRecords = 0;

void reset_file_command_tables() {
    StaffOffset = 1;
    DefaultExtension.blank();
    MergeBlockEnd = MergeBlockEndRecord{};
    StoredStaffGrouping.fill(0);
    PartialLoadName.blank();
    BackupFailureTold = 0;
    LeftOutRecords = 0;
}

using namespace file_detail;

namespace {

// The run_get_path that calls the file command has emptied the output lists: every way out
// that leaves the page as it was draws it again.
void redraw_page() {
    if (OutputBufferViews.graphics.bound()) render::redraw_items();
}

// The whole number at the start of text (blanks around it allowed); false when there is none.
bool parse_whole(std::string_view text, int32_t& value) {
    text = trim_name(text);
    if (text.empty()) return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// History entry n (1..40) as the history file holds it now; "" when it holds no document.
std::string history_entry(int32_t n) {
    if (n < 1 || n > kHistoryEntries) return {};
    std::string entry = HistoryTable(n).trimmed();
    if (open_unit(kHistoryUnit, kHistoryFileName, UnitStatus::Old, UnitForm::Text)) {
        std::string record;
        entry.clear();
        for (int32_t k = 1; k <= n; ++k) {
            if (read_record(kHistoryUnit, record) != IoResult::Ok) {
                record.clear();
                break;
            }
        }
        entry = std::string(trim_name(record));
        close_unit(kHistoryUnit);
    }
    return entry == "." ? std::string() : entry;
}

// Records in words(1..count); a count word below 1 ends them.
int32_t count_records(const DocumentWords& words, int32_t count) {
    int32_t records = 0;
    int32_t pos = 1;
    while (pos <= count) {
        const int32_t n = int_of(words(pos));
        if (n < 1) break;
        ++records;
        pos += n + 1;
    }
    return records;
}

// The staves of words(1..count) that an offset would raise past top_staff, each named once in
// the order first met: a merge that would stack them on one staff is refused whole.
std::string staves_past_top(const DocumentWords& words, int32_t count, int32_t offset,
                            int32_t top_staff) {
    std::vector<float> past;
    int32_t pos = 1;
    while (pos <= count) {
        const int32_t n = int_of(words(pos));
        if (n < 1) break;
        if (n >= 2) {
            const float staff = words(pos + 2);
            if (staff + static_cast<float>(offset - 1) > static_cast<float>(top_staff) &&
                std::find(past.begin(), past.end(), staff) == past.end())
                past.push_back(staff);
        }
        pos += n + 1;
    }
    std::string names;
    for (const float staff : past) {
        if (!names.empty()) names += ", ";
        char text[32];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(staff));
        names += text;
    }
    return names;
}

// The staff offset of a plain "GM": the number typed at "Type a number for staff offset." (the
// highest staff in use preset) plus 1. False, nothing changed, for a blank or a word. The
// question uses SecondLine for its prompt: it is put back, since the document reader tells a
// merge (which keeps the document's name and metric flag) by the "GM" there.
bool ask_staff_offset(int32_t& offset) {
    float highest = 0.0f;
    float lowest = 0.0f;
    core::find_staff_range(highest, lowest);
    const FixedText<512> line = CommandLine;
    const FixedText<512> second_line = SecondLine;
    const int32_t letter = CommandModeLetters(2);
    CommandLine.set(trim_name(format_int("(1i3)", int_of(highest))));
    constexpr std::string_view kPrompt = "Type a number for staff offset.";
    ask_line_trimmed(FixedText<512>(kPrompt));
    // A question nobody answered (the command file or the input ended there) leaves the preset
    // in the line: it ends the merge, as it ends every other word.
    if (ApplicationClosingWord != 0) {
        CommandLine = line;
        SecondLine = second_line;
        CommandModeLetters(2) = letter;
        return false;
    }
    // One whole number read whole ("1e1" is 10): a word, a fraction or a staff off the page
    // merges nothing, and a script's line is named, since the script's next line runs next.
    const std::string answer(trim_name(CommandLine.view()));
    float value = 0.0f;
    const bool ok = core::read_number_whole(answer, value) && value == std::floor(value) &&
                    value >= 0.0f && value < static_cast<float>(layout::MaxStaffNumber);
    if (!ok && !answer.empty())
        core::name_script_number_non_answer(kPrompt, answer, "GM ended, nothing was changed.");
    const int32_t typed = ok ? static_cast<int32_t>(value) : 0;
    CommandLine = line;
    SecondLine = second_line;
    CommandModeLetters(2) = letter;
    if (ok) offset = typed + 1;
    return ok;
}

// The names, undo state, metric flag and folder that a read changes on success, kept so that a
// load refused afterwards (the store cannot take it) leaves them as they were.
struct DocumentNames {
    FixedText<512> current = CurrentFileName;
    FixedText<512> remembered = RememberedDocumentName;
    FixedText<512> previous = PreviousFileName;
    int32_t undo_state = UndoRedoState;
    int32_t metric = MetricFlag;
    std::string folder = platform::current_folder();

    void restore() const {
        CurrentFileName = current;
        RememberedDocumentName = remembered;
        PreviousFileName = previous;
        UndoRedoState = undo_state;
        MetricFlag = metric;
        if (!folder.empty()) platform::change_folder(folder);
    }
};

// A work copy of the undo code ("...DO!" in columns 12 to 14, as "C:\!TMP\!undo!.tmp").
bool is_work_copy_name(std::string_view name) {
    return FileMode == 2 || (name.size() >= 14 && equals_nocase(name.substr(11, 3), "DO!"));
}

bool is_merge_line() { return !is_front_end_read() && CommandLine.starts_with("GM"); }

// The page lacks records of the file: without a word it would look complete, and a later save
// would lose them for good.
void tell_left_out_records(int32_t count, std::string_view file) {
    LeftOutRecords = count;
    const std::string text = "*** " + std::to_string(count) +
                             (count == 1 ? " record of " : " records of ") +
                             platform::shown_path(file) +
                             (count == 1 ? " could not be read and was left out."
                                         : " could not be read and were left out.");
    leave_reply(ReplyKind::Failure, text);
    show_prompt(ReplyKind::Failure, text);
}

// A load answers with the unit its page measures in. The message is written only when no
// command file runs, and it goes out at once: the load's reply follows it.
void show_units_after_load() {
    if (PreferencesHooks.format_units_message == nullptr) return;
    const FixedText<512> reply = MessageLine;
    const ReplyKind reply_kind = LeftReplyKind;
    clear_exchange_text();
    PreferencesHooks.format_units_message();
    if (MessageLine.is_blank()) {
        leave_reply(reply_kind, reply.view());
    } else {
        show_prompt(ReplyKind::Notice, MessageLine.view());
    }
}

}  // namespace

// Contract: see the header. In order: StaffOffset 0; the front-end's text files go to the text
// view; "GH" n takes history entry n, "GSV" the backup copy in the work folder; unless the load
// is a merge, a work copy, or a front-end open that keeps the page's second-page items, the
// kind-1 question (a "No" ends with nothing changed); "GP" loads PreviousFileName; a merge
// turns "GMN" into "GMR" and "GMB" into "GML" after the highest staff; the
// name is resolved and loaded; FullWidthInput zooms to the width; a merge notes where its block
// ends. ChangesMadeFlag and PreviousFileName are put back whenever nothing was loaded.
void run_file_command() { get_named_document({}); }

// Contract: see the header. An empty name is run_file_command's own reading of the work lines.
void get_named_document(const std::string& name_given) {
    StaffOffset = 0;
    LeftOutRecords = 0;
    const bool front_read = is_front_end_read();
    const int32_t changes_before = ChangesMadeFlag;
    const FixedText<512> previous_before = PreviousFileName;
    std::string given = name_given;  // a name chosen here rather than typed
    bool backup_copy = false;
    bool complete = false;

    if (front_read) {
        const std::string path(trim_name(MessageLine.sub(4, MessageLine.size())));
        const std::string ext = get_name_extension(path);
        if (ext.empty() || equals_nocase(ext, ".TXT")) {
            SecondLine.set("TYPE " + path);
            CommandLine = SecondLine;
            edit::view_text_file();
            redraw_page();
            return;
        }
        // The work lines of a plain get, so that a line left by an earlier command counts for
        // nothing (a "GM" there would make this a merge).
        CommandLine.set("G");
        SecondLine.set("G");
        CommandModeLetters(1) = 'G';
        CommandModeLetters(2) = ' ';
    }
    const bool merge = is_merge_line();
    const bool plain_g = !front_read && CommandLine(1) == 'G';

    if (plain_g && CommandLine(2) == 'H') {
        int32_t n = 1;
        const std::string_view rest = trim_name(SecondLine.sub(3, SecondLine.size()));
        if (!rest.empty() && !parse_whole(rest, n)) n = 0;
        given = history_entry(n);
        if (given.empty()) {
            report_failure("*** No document in history entry " +
                           std::string(rest.empty() ? "1" : rest) + ".");
            redraw_page();
            return;
        }
    } else if (plain_g && !merge && CommandLine(3) == 'V' && CommandLine(4) == ' ') {
        given = TempDirPrefix.trimmed() + std::string(kBackupCopyFile);
        backup_copy = true;
        (void)take_backup_kept_aside();
    }

    // Nothing on the page is lost by a merge, a work copy, or an open that keeps the page.
    const bool loses_nothing =
        merge || FileMode == 2 || (front_read && store_holds_only_second_page_items());
    if (!loses_nothing && confirm_discard(1) != -1) {
        ChangesMadeFlag = changes_before;
        redraw_page();
        return;
    }
    if (backup_copy) {
        // A command file's GSV kept the unsaved page in the backup copy: the backup the user
        // asked for is now the one kept aside.
        const std::string aside = take_backup_kept_aside();
        if (!aside.empty()) given = aside;
    }

    FixedText<512> name;
    if (plain_g && CommandLine(2) == 'P') {
        name = PreviousFileName;
        PreviousFileName = CurrentFileName;
        complete = true;
        if (name.is_blank()) name.set(".");
    }
    if (merge) {
        if (CommandLine(3) == 'N') {
            CommandLine(3) = 'R';
        } else if (CommandLine(3) == 'B') {
            CommandLine(3) = 'L';
            float highest = 0.0f;
            float lowest = 0.0f;
            core::find_staff_range(highest, lowest);
            // After the highest staff, whatever staff number (1e38, inf) a damaged page holds: a
            // page that reaches the last staff has none left, and the merge's staff check
            // refuses it by name rather than stacking the merged staves on the last one.
            StaffOffset = int_in(highest, 0, layout::MaxStaffNumber) + 1;
        }
    }
    if (!complete) {
        const bool resolved =
            given.empty() ? resolve_mus_file_name(name) : complete_file_name(given, name);
        if (!resolved) {
            ChangesMadeFlag = changes_before;
            PreviousFileName = previous_before;
            redraw_page();
            return;
        }
    }

    if (!load_document_file(name)) {
        ChangesMadeFlag = changes_before;
        PreviousFileName = previous_before;
        return;
    }
    if (FullWidthInput != 0) layout::zoom_to_fit_width();
    if (merge) {
        MergeBlockEnd.item_count = ItemCount;
        MergeBlockEnd.words_used = ItemWordsUsed;
        MergeBlockEnd.path_points = render::PathPointList.count;
    }
}

namespace {

// A document that was asked for and not loaded fails the run. A command file read by RE stops
// there: its next lines were written for that document, and would work on the page before it
// (a PR would write the old page under the new document's name). A work copy (UNDO, REDO) is
// no document asked for.
void tell_load_failed(const std::string& file) {
    if (FileMode == 2) return;
    mark_run_failed();
    if (MacroUnit > 0 && MacroUnit != DefaultMacroUnit && unit_is_open(MacroUnit)) {
        close_unit(MacroUnit);
        show_message(ReplyKind::Failure, "*** " + platform::shown_path(file) +
                                             " was not loaded: the rest of the file was not read.");
        clear_exchange_text();  // the file's "Reading" line would follow as if it read on
        MacroUnit = 0;
    }
}

}  // namespace

// Contract: see the header. Reads CommandLine (a merge: "GM" and its third letter), MessageLine
// ("~~R": the front-end's block), StaffOffset; writes the store and its index, StaffTables,
// ChangesMadeFlag, the undo copy and UndoSaveMode (a merge, once the file is read and fits),
// MergeBlockEnd.clamped, the last-file record,
// ItemCursor.number, the names (through the document files), PartialLoadName (a load that is
// no merge and no work copy), the MIDI parts' mark (a new page: output::forget_midi_parts) and
// the output lists.
bool load_document_file(const FixedText<512>& name_in) {
    const bool front_read = is_front_end_read();
    const bool merge = is_merge_line();
    std::string file(trim_name(name_in.view()));
    if (!front_read) {
        // A name ending in its only "." means the name without it.
        if (file.rfind("\\\\", 0) != 0) {
            const std::string_view part = std::string_view(file).substr(last_component(file));
            if (!part.empty() && part.find('.') == part.size() - 1) file.pop_back();
        }
        if (file.empty() ||
            platform::file_kind(platform::local_path(file)) != platform::FileKind::Readable) {
            // The file as it lies on this machine (a work-folder name is no path the user
            // knows), told as what it is: missing, a folder, no regular file, or refused.
            report_unreadable_file(platform::shown_path(file));
            CommandModeLetters(1) = 0;
            CommandModeLetters(2) = 0;
            redraw_page();
            tell_load_failed(file);
            return false;
        }
    }

    int32_t offset = 1;
    if (merge) {
        if (CommandLine(3) == 'R') {
            offset = layout::kLeftPageStaves + 1;
        } else if (CommandLine(3) == 'L') {
            offset = StaffOffset > 0 ? StaffOffset : 1;
        } else if (!ask_staff_offset(offset)) {
            redraw_page();
            return false;
        }
    }
    const bool keep_second_page = front_read && store_holds_only_second_page_items();

    const DocumentNames names;
    const FixedText<512> line = CommandLine;
    FixedText<512> io_name(file);
    int32_t count = 0;
    int32_t level = kDocumentLevel;
    DocumentReadInfo read;
    if (!save_load_document_file(kDocumentReadUnit, count, ItemStoreScratch, level, io_name,
                                 &read)) {
        // The reason stands in CommandLine (a front-end block that is no document has had its
        // message box already).
        const std::string reason = CommandLine.trimmed();
        CommandLine = line;
        if (reason != line.trimmed()) show_message(ReplyKind::Failure, reason);
        redraw_page();  // CommandModeLetters(1) stays -1: the read failed
        tell_load_failed(file);
        return false;
    }

    // Nothing goes into the store unless all of it fits: words and items.
    const bool keeps_items = merge || keep_second_page;
    const int32_t file_items = count_records(ItemStoreScratch, count);
    const int32_t words_room = ItemStoreCapacity - (keeps_items ? ItemWordsUsed - 1 : 0);
    const int32_t items_room = render::ItemCountLimit - (keeps_items ? ItemCount : 0);
    if (count > words_room || file_items > items_room) {
        names.restore();
        // The file's own size beside the room the page leaves: the two added up would read
        // as the file's size.
        show_message(ReplyKind::Failure, "*** Not loaded: the page cannot hold " + file + " (" +
                                             std::to_string(file_items) + " items, " +
                                             std::to_string(count) + " words; room is left for " +
                                             std::to_string(std::max(items_room, 0)) + " items, " +
                                             std::to_string(std::max(words_room, 0)) + " words).");
        CommandModeLetters(1) = -1;
        redraw_page();
        tell_load_failed(file);
        return false;
    }

    const std::string past =
        merge ? staves_past_top(ItemStoreScratch, count, offset, layout::MaxStaffNumber) : "";
    if (!past.empty()) {
        names.restore();
        report_failure("*** Not merged: " + file + " would put staff " + past + " past staff " +
                       std::to_string(layout::MaxStaffNumber) + ". Nothing was changed.");
        CommandModeLetters(1) = -1;
        redraw_page();
        tell_load_failed(file);
        return false;
    }
    if (merge) {
        // The undo copy is the page before the merge, taken only now that the merge happens: a
        // refused merge leaves the copy of the last change for UNDO.
        save_undo_copy();
        bool clamped = false;
        merge_document_at_staff_offset(ItemStoreScratch, count, offset, layout::MaxStaffNumber,
                                       clamped);
        MergeBlockEnd.clamped = clamped ? 1 : 0;
    } else if (keep_second_page) {
        append_document_words(ItemStoreScratch, count);
        ChangesMadeFlag = 1;  // the page is not the file alone
    } else {
        reset_document_state();
        replace_store_with_document(ItemStoreScratch, count);
    }
    int32_t appended = 0;
    layout::rebuild_index_and_staff_table(appended);

    const bool work_copy = is_work_copy_name(file);
    // A new page has parts of its own; an undo or redo copy is the same document.
    if (!merge && !keep_second_page && !work_copy) output::forget_midi_parts();
    if (!merge && !keep_second_page && !work_copy &&
        !equals_nocase(get_name_extension(file), ".TMP")) {
        ChangesMadeFlag = 0;
        write_last_file_record(CurrentFileName.trimmed());
    }
    if (!merge && !work_copy) {
        // A page that lost or changed records is not the file: it counts as changed, and a save
        // over the file asks first.
        if (read.input_error || read.repaired > 0) {
            ChangesMadeFlag = 1;
            PartialLoadName = CurrentFileName;
        } else {
            PartialLoadName.blank();
        }
        record_document_file(CurrentFileName.view(), true);
    }
    if (read.took_name) {
        // A backup restored under its document's name is not that file: it counts as changed,
        // and a save over the file asks first (the file may have changed since the backup).
        ChangesMadeFlag = 1;
        reset_document_file_records();
    }
    if (!merge && !work_copy) {
        if (ChangesMadeFlag == 0) {
            remember_saved_page();
        } else {
            forget_saved_page();
        }
    }

    // A backup written when the program was ended is on the page now: it needs no more keeping.
    if (!work_copy) forget_backup_kept_at_end(platform::local_path(file));
    for (int32_t k = 1; k <= ItemCount; ++k) {
        if (int_of(ItemStore(ItemStartTable(k))) < 3) resize_item(k, 3.0f);
    }
    if (OutputBufferViews.graphics.bound()) {
        if (work_copy) {
            render::redraw_items();
        } else {
            render::position_view(1);
        }
    }
    ItemCursor.number = ItemCount;
    if (!work_copy) show_units_after_load();
    // An undo or redo copy carries the mark of the moment it was taken; the title must never
    // show a page saved that its file does not hold, not even until UNDO or REDO settles it.
    if (work_copy) mark_changes_by_saved_page();
    update_title_line(CurrentFileName);
    if (read.dropped > 0 && !work_copy) tell_left_out_records(read.dropped, file);
    return true;
}

}  // namespace core
