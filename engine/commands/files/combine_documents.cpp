#include "engine/commands/files/combine_documents.h"

#include <string>
#include <string_view>

#include "engine/commands/files/document_state.h"
#include "engine/commands/files/file_commands.h"
#include "engine/commands/words/sort_command.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/render/page/page_redraw.h"

namespace core {

namespace {

constexpr int32_t kNameChars = 128;
constexpr int32_t kMostFiles = 256;
constexpr std::string_view kNameQuestion = "Combine Files: first file name:";

std::string trimmed_text(std::string_view text) {
    std::string s(text.substr(0, text.find('\0')));
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// How the name and count question ended.
enum class Asked { Answered, Cancelled, Unanswered };

// The first name and the count: from the dialog, or the next two lines of the command file.
// Unanswered when the command file or the input ended before both were given.
Asked ask_names_and_count(std::string& name, std::string& count) {
    if (MacroUnit != DefaultMacroUnit) {
        // The file's end is told as at the questions the front-end asks for a file.
        const auto ended_at = [](std::string_view question) {
            show_message(
                ReplyKind::Notice,
                "*** The command file ended before this was answered: " + std::string(question));
            return Asked::Unanswered;
        };
        if (!next_command_file_line()) return ended_at(kNameQuestion);
        name = trimmed_text(CommandLine.view());
        // The file's next line was meant as the count: a name that was cut stops the file.
        if (is_cut_line(name)) {
            stop_file_at_non_answer(kNameQuestion, name);
            return Asked::Unanswered;
        }
        // X alone is the dialog's Cancel, as in a script; the count is not read, so the
        // file's next line runs as a command, as it does after a script's X.
        if (is_bare_x(name)) return Asked::Cancelled;
        if (!next_command_file_line()) return ended_at("Number of files:");
        count = trimmed_text(CommandLine.view());
        return Asked::Answered;
    }
    clear_exchange_text();
    FrontEndCommandBuffer.blank();
    if (!has_front_end()) return Asked::Cancelled;
    if (front_end().RunCombineFilesDialog() == 2)
        return front_end().ApplicationClosing() ? Asked::Unanswered : Asked::Cancelled;
    name = trimmed_text(MessageLine.view());
    count = trimmed_text(FrontEndCommandBuffer.view());
    // A cut line names no file.
    if (is_cut_line(name)) return Asked::Cancelled;
    return Asked::Answered;
}

// Merges file below every staff on the page. False when it could not be read (nothing added).
bool merge_below(const std::string& file) {
    const int32_t items_before = ItemCount;
    MergeBlockEnd.item_count = -1;
    CommandLine.set("GMB " + file);
    SecondLine = CommandLine;
    CommandModeLetters(1) = 'G';
    CommandModeLetters(2) = 'M';
    run_file_command();
    return MergeBlockEnd.item_count >= items_before;
}

}  // namespace

// Contract: see the header. Reads the dialog's answer (or the command file); writes the store,
// CurrentFileName (through the new document), CommandLine, SecondLine, CommandModeLetters,
// MessageLine, ChangesMadeFlag, FrontEndCommandBuffer.
void combine_documents() {
    // The question is asked of a saved page too; a No leaves the page's mark as it was.
    const int32_t unsaved = ChangesMadeFlag;
    ChangesMadeFlag = 1;
    if (ItemCount > 0 && confirm_discard(3) != -1) {
        ChangesMadeFlag = unsaved;
        FrontEndCommandBuffer.blank();
        return;
    }
    // A command file answers the question itself: unsaved changes it clears are kept in the
    // backup copy first, as its loads keep them, and a page that could not be kept stays.
    if (ItemCount > 0 && unsaved != 0 && MacroUnit != DefaultMacroUnit) {
        ChangesMadeFlag = 1;
        if (confirm_discard(1) != -1) {
            FrontEndCommandBuffer.blank();
            return;
        }
    }
    // The page stays in the store until it is emptied below, and its unsaved mark with it: an
    // end from outside at the questions keeps it in the backup copy.
    ChangesMadeFlag = unsaved;
    // The names and the count are asked before the page is emptied: a script's line that is
    // no count is named and ends the word with the page as it was.
    std::string name;
    std::string count_text;
    const Asked asked = ask_names_and_count(name, count_text);
    // A question nobody answered empties nothing: the page stays as it was.
    if (asked == Asked::Unanswered) {
        ChangesMadeFlag = unsaved;
        FrontEndCommandBuffer.blank();
        return;
    }
    const bool answered = asked == Asked::Answered;
    if (answered) {
        CommandLine.set(count_text);
        scan_command_line(find_line_length(CommandLine));
        // A command file's count that is no number stops the file: its next lines were
        // written for the combined page.
        const bool refused =
            MacroUnit != DefaultMacroUnit
                ? refuse_file_number_line("Number of files:", count_text)
                : refuse_script_number_answer("Number of files:", count_text, "COM");
        if (refused) {
            ChangesMadeFlag = unsaved;
            CommandLine.set(name);
            FrontEndCommandBuffer.blank();
            return;
        }
    }
    clear_item_store();
    start_new_document();
    ChangesMadeFlag = 0;
    CommandLine.set(name);

    int32_t count = 0;
    if (answered) {
        // The leading whole number; more files than the page has staves cannot be stacked.
        for (const char c : count_text) {
            if (c < '0' || c > '9' || count > kMostFiles) break;
            count = count * 10 + (c - '0');
        }
    }
    if (count > 1 && !name.empty()) {
        if (name.size() > kNameChars) name.resize(kNameChars);
        if (get_name_extension(name).empty()) {
            const std::string ext = DefaultExtension.trimmed();
            name += ext.empty() ? ".MUS" : ext;
        }
        std::string file = name;
        for (int32_t k = 1; k <= count; ++k) {
            leave_reply(ReplyKind::Notice, "Reading file " + file);
            show_prompt(ReplyKind::Notice, MessageLine.view());
            if (!merge_below(file)) break;
            ChangesMadeFlag = 0;
            file = count_up_file_name(file);
        }
        int32_t appended = 0;
        layout::rebuild_index_and_staff_table(appended);
        CommandLine.set("OS");
        CommandModeLetters(1) = 'O';
        CommandModeLetters(2) = 'S';
        // The combined page is a new document: its sort keeps no copy of the unsorted page,
        // which the user never saw.
        UndoSaveMode = -3;
        sort_items();
        ChangesMadeFlag = 1;
    }
    end_undo_history();
    render::redraw_items();
    refresh_screen();
    FrontEndCommandBuffer.blank();
}

}  // namespace core
