// The ordinary dispatch of a command line: what runs before the first-letter table (blank
// lines, the input mode, the preparation of the line, "INC", 'T"', a pending box operation,
// "EI", the item names), the numbers line, the unknown-word report, and the paths that several
// rows share (the I family, the new item, view positions, the get path, the document reset).
#include <cstring>

#include "engine/commands/files/file_commands.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/interpreter/item_names.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/mini_macros.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/items/typed_values.h"
#include "engine/input/tables.h"
#include "engine/render/page/scrolling.h"
#include "engine/render/tables.h"

namespace core {

namespace {

bool is_letter(int code) { return code >= 'A' && code <= 'Z'; }

// "EI": new items go straight to editing, or no longer.
CommandFlow toggle_new_items_to_edit() {
    NewItemsToEdit = -NewItemsToEdit;
    show_message(ReplyKind::Notice, NewItemsToEdit > 0 ? "New items will go direct to edit."
                                                       : "New items will NOT go direct to edit.");
    return CommandFlow::LoopHead;
}

}  // namespace

// Contract: the text command ('T"' and the T row), run with the command-file unit kept; then
// what it left decides: a line starting "I" takes the new item into editing, "Z" runs as Z, and
// box operation -99 takes item ItemCount into editing through the I family.
CommandFlow run_text_family() {
    const int32_t unit = MacroUnit;
    edit::run_text_command();
    MacroUnit = unit;
    if (CommandLine(1) == 'I') return enter_committed_item();
    if (CommandLine(1) == 'Z') return run_letter_row('Z');
    if (PendingBoxOperation == -99) {
        PendingBoxOperation = 0;
        CommandLine.set("I* ");
        CommandModeLetters(1) = 'I';
        CommandModeLetters(2) = ' ';
        ParamBuffer(2) = static_cast<float>(ItemCount);
        return run_i_family();
    }
    return CommandFlow::EndCommand;
}

namespace {

// The item names: the word field's first three characters against ItemNameTable. NotTaken
// when the word is no item name (or the new-item routine says it is not one after all).
CommandFlow take_item_name() {
    int32_t index = find_item_name(CommandHeader.sub(1, 3), CommandLine(4));
    if (index == 0) return CommandFlow::NotTaken;
    input::set_new_item_from_letters(index);
    if (index == -99) return CommandFlow::LoopHead;
    if (index < 0) return CommandFlow::NotTaken;
    IntParamBuffer(1) = int_of(ParamBuffer(1));
    if (!edit::commit_item()) return refuse_committed_item();
    return enter_committed_item();
}

// Set when a new item that would have been opened for editing was refused: the script's lines
// meant for that item must not reach the page's last item, nor run as new items.
bool refused_item_lines_open = false;

// The lines that editing the refused item would have taken answer nothing: pairs, comma lines
// and numbers are named and dropped, a bare X closes quietly, and a word ends this and runs.
bool take_refused_item_line() {
    if (!refused_item_lines_open) return false;
    if (EditedItemNumber != 0) {
        refused_item_lines_open = false;
        return false;
    }
    const std::string line = CommandLine.trimmed();
    const std::size_t from = line.find_first_not_of(' ');
    if (from == std::string::npos) return false;
    const char c = line[from];
    if ((c == 'X' || c == 'x') && line.find_first_not_of(' ', from + 1) == std::string::npos) {
        refused_item_lines_open = false;
        return true;
    }
    if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == ',') {
        name_untaken_line("*** Not taken: no item is being edited (the new item was not added): " +
                          line.substr(from));
        return true;
    }
    refused_item_lines_open = false;
    return false;
}

}  // namespace

CommandFlow refuse_committed_item() {
    refused_item_lines_open = MacroUnit == 0 && NewItemsToEdit >= 0;
    return CommandFlow::EndCommand;
}

// Contract: the line in CommandLine (as it arrived) is cut at its first control character;
// a mini-macro line with a grave accent is expanded (its fragment edited) unscanned, and a "q"
// line is replaced by the line before it; then the item-editing words and, when they do not take
// it, the dispatch.
CommandFlow run_command_line() {
    for (int k = 1; k <= CommandLine.size(); ++k) {
        if (CommandLine.code(k) < 32) {
            CommandLine.put(k, CommandLine.size(), "");
            break;
        }
    }
    keep_line_as_read(CommandLine.view());
    if (CommandLine(1) == '`') {
        // Expanded (and edited) in place, unscanned: the dispatch reads the result as it reads
        // any typed line. Reading it here as well would scan the line twice.
        int32_t n = find_line_length(CommandLine);
        run_mini_macros(n);
    } else if (CommandLine(1) == 'q') {
        CommandLine = SecondLine;
    }
    if (take_refused_item_line()) return CommandFlow::EndCommand;
    const CommandFlow edit_flow = run_item_edit_lines();
    if (edit_flow != CommandFlow::NotTaken) return edit_flow;
    return dispatch_command_line();
}

// Contract: dispatches the line in CommandLine, which read_command_line prepares (upper case,
// numbers into ParamBuffer, CommandHeader, CommandModeLetters) unless a command file supplied
// it already. Reads and writes the interpreter words, PendingBoxOperation and ParamBuffer; a
// word that nothing takes gets the unknown-word report.
CommandFlow dispatch_command_line() {
    if (CommandLine.is_blank()) return CommandFlow::EndCommand;
    if (input::InputParserMode != 0) {
        input::run_input_mode();
        return CommandFlow::EndCommand;
    }
    if (MacroUnit == 0) read_next_command_line();
    return dispatch_prepared_line();
}

// Contract: as dispatch_command_line, for a line that read_command_line has prepared already.
CommandFlow dispatch_prepared_line() {
    if (CommandLine.starts_with("INC") && CommandLine(4) != 'H') {
        ArrowStep = ParamBuffer(2) == 0.0f ? 1.0f : ParamBuffer(2);
        write_arrow_step_reply();
        return CommandFlow::Return;
    }
    if (CommandLine.starts_with("T\"")) return run_text_family();
    if (PendingBoxOperation != 0) return continue_box_operation();
    remember_box_word();
    if (CommandLine.starts_with("EI")) return toggle_new_items_to_edit();
    // "P" and "F" alone (or followed by numbers) are the dynamics P and F, never PP or FF.
    if (CommandHeader.starts_with("P ") || CommandHeader.starts_with("F ")) CommandHeader(3) = ' ';
    if (CommandHeader.starts_with("INVI")) return run_i_family();

    const CommandFlow item = take_item_name();
    if (item != CommandFlow::NotTaken) return item;

    const int32_t first = CommandModeLetters(1);
    if (first <= 32) return CommandFlow::LoopHead;
    if (is_letter(first)) return run_letter_row(first);
    if (ParamBuffer(1) != 0.0f) {
        // A line of numbers: a new item, once every number is read whole and the code and
        // staff are ones the page can hold.
        if (!edit::take_typed_item_line()) return CommandFlow::NextLineOrReturn;
        if (!edit::commit_item()) return refuse_committed_item();
        return enter_committed_item();
    }
    return report_unknown_command();
}

// Contract: after commit_item. With no command file open and NewItemsToEdit positive the
// newest item goes to editing ("I* " with P2 = ItemCount through the I family); otherwise the
// command ends.
CommandFlow enter_committed_item() {
    if (MacroUnit != 0 || NewItemsToEdit < 0) return CommandFlow::EndCommand;
    ParamBuffer(2) = static_cast<float>(ItemCount);
    CommandLine.set("I* ");
    CommandModeLetters(1) = 'I';
    CommandModeLetters(2) = ' ';
    const CommandFlow flow = run_i_family();
    // The new item's undo copy is the page without it: UNDO after its first edits takes it away.
    if (EditedItemNumber == ItemCount) edit::keep_edit_undo_copy(ItemCount);
    return flow;
}

// Contract: the I family, then the words the interpreter keeps for it: the saved length, the
// front-end's item count, the music-input continuation cleared, the move step shown for an
// edited item, the front-end buffer blanked after "IF", and an item taken into editing made
// current (EditedItemNumber positive).
CommandFlow run_i_family() {
    edit::run_i_command();
    SavedItemWordsUsed = ItemWordsUsed;
    FrontEndItemCount = ItemCount;
    input::InputContinuationWord = 0;
    if (EditedItemNumber != 0 && MacroUnit == 0) edit::show_move_step();
    if (CommandLine.starts_with("IF")) FrontEndCommandBuffer.blank();
    if (EditedItemNumber < 0) EditedItemNumber = -EditedItemNumber;
    return CommandFlow::EndCommand;
}

// Contract: "ERROR -- unknown word in this context:" with the first 9 characters of the line as
// it came: MessageLine, or CommandLine when MessageLine is blank; a command file's line as the
// file holds it (SecondLine after its leading blanks: CommandLine is its scanned form, a "*" per
// number), MessageLine left as it is. Nothing else changes; the next command-file line runs, or
// the call returns.
CommandFlow report_unknown_command() {
    if (MacroUnit > 0) {
        int32_t lead = 1;
        while (lead < SecondLine.size() && SecondLine(lead) == ' ') ++lead;
        report_unknown_word(FixedText<9>(SecondLine.sub(lead, SecondLine.size())));
        return CommandFlow::NextLineOrReturn;
    }
    if (MessageLine.is_blank()) set_exchange_text(CommandLine.view());
    report_unknown_word(FixedText<9>(MessageLine.sub(1, 9)));
    return CommandFlow::NextLineOrReturn;
}

// Contract: scroll code 0 for a word starting "B", 2 for "M", 1 otherwise; 3 more when the
// fourth character is "R", 6 more when it is "M"; the reply is blanked.
CommandFlow show_view_position() {
    int32_t code = 1;
    if (CommandLine(1) == 'B') code = 0;
    if (CommandLine(1) == 'M') code = 2;
    if (CommandLine(4) == 'R') code += 3;
    if (CommandLine(4) == 'M') code += 6;
    render::position_view(code);
    clear_exchange_text();
    return CommandFlow::EndCommand;
}

// Contract: after a family emptied the page (or asked for a reset): the title becomes empty
// (service "n" with the emptied SecondLine), the front-end's item count and both output lengths
// 0, and the next command sets up a new document.
void reset_document_display() {
    // Before the blank title goes out: the front-end tells by it that the page is no file's.
    DocumentStarted = 0;
    SecondLine(1) = '\0';
    FrontEndItemCount = 0;
    ServiceBlock block;
    std::memcpy(block.data(), SecondLine.data(), static_cast<std::size_t>(SecondLine.size()));
    request_front_end_service('n', block);
    OutputBufferViews.graphics.length() = 0;
    OutputBufferViews.text.length() = 0;
}

// Contract: the G path (a file read or get, also the front-end's "~~R" and a file line left by
// the N family). The output lists are emptied, the file command runs; then, with a command file
// open, the command ends and the file's next line follows (the G line itself is never run
// again, whether the file command loaded, was refused or was cancelled); or a requested play
// starts; or the move step is shown and, when another file than the current one was named, the
// reply shows the view's offset (unless it tells of records the load left out: then it is that
// notice alone).
CommandFlow run_get_path() {
    GraphicsNextFree = 1;
    OutputBufferViews.graphics.length() = 0;
    OutputBufferViews.text.length() = 0;
    std::memset(OutputBufferViews.text.data(), 0, kTextStreamBytes);
    run_file_command();
    if (MacroUnit != 0) return CommandFlow::EndCommand;
    if (PlayRequested != 0) {
        refresh_screen();
        return start_play_loop();
    }
    if (front_end().ApplicationClosing()) {
        // The input ended at the load's question: nothing was loaded, nothing to show.
        clear_exchange_text();
        return CommandFlow::Return;
    }
    const FixedText<512> reply = MessageLine;
    const ReplyKind reply_kind = LeftReplyKind;
    edit::show_move_step();
    // The notice of left-out records names the file read and has been shown: it stays the
    // reply as it is, without the page's name and count behind it.
    if (LeftOutRecords != 0) leave_reply(reply_kind, reply.view());
    if (LeftOutRecords == 0 && !(SecondLine == CurrentFileName)) {
        FixedText<512> shown;
        if (CommandLine.starts_with("TOP") || CommandLine.starts_with("BOT")) shown = SecondLine;
        shown(5) = '=';
        // Five wide, or wider when the offset needs it (a staff starts it at -15000).
        const std::string offset = format_int_whole("(1i5)", render::ViewOrigin.y);
        shown.put(7, 6 + static_cast<int>(offset.size()), offset);
        leave_reply(ReplyKind::Notice, shown.view());
    }
    return CommandFlow::EndCommand;
}

}  // namespace core
