// The first-letter table of the dispatch: for each letter A to Z, which further letters of the
// command word choose which family, and what the interpreter does before and after it. The
// tests within a row run in the order written.
#include "engine/commands/files/combine_documents.h"
#include "engine/commands/interpreter/command_dispatch.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/interpreter/item_edit_lines.h"
#include "engine/commands/interpreter/item_names.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/file_history.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/items/item_edit_words.h"
#include "engine/edit/systems/justify_command.h"
#include "engine/render/page/extents.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/page/scrolling.h"
#include "engine/render/symbols/drawing_files.h"
#include "engine/render/tables.h"

namespace core {

namespace {

bool starts(std::string_view word) { return CommandLine.starts_with(word); }
char second() { return CommandLine(2); }

// REX lines running one inside another: a REX line runs within the REX that read it.
int32_t g_rex_depth = 0;

// Counts a REX line for as long as it runs, however it ends.
class RexLineGuard {
  public:
    RexLineGuard() { ++g_rex_depth; }
    ~RexLineGuard() { --g_rex_depth; }
    RexLineGuard(const RexLineGuard&) = delete;
    RexLineGuard& operator=(const RexLineGuard&) = delete;
};

// A C word has run: with a command file open its next line follows; otherwise a box step left
// by the family clears the box-edge word.
CommandFlow after_c_word() {
    if (MacroUnit == 0 && edit::PendingBoxStep != 0) edit::BoxEdgeWord = 0;
    return CommandFlow::EndCommand;
}

CommandFlow run_c_word(int32_t index) {
    if (index == 0) return report_unknown_command();
    edit::cut_copy_paste_area(index);
    return after_c_word();
}

CommandFlow row_b() {
    if (starts("BOT")) return show_view_position();
    if (second() == ' ') return report_unknown_command();
    if (second() == 'E') {
        edit::count_line_beats();
        return CommandFlow::EndCommand;
    }
    layout::run_measure_command();
    return CommandFlow::EndCommand;
}

CommandFlow row_c() {
    const std::string_view word3 = CommandLine.sub(1, 3);
    if (EditedItemNumber != 0) return run_c_word(find_edit_c_word(word3));
    if (starts("CS")) {
        edit::run_m_command();
        return after_c_word();
    }
    if (starts("COM")) {
        combine_documents();
        return after_c_word();
    }
    if (starts("CV") || starts("CON")) return run_c_word(kConvertCWordIndex);
    // "CDRW": an old drawing file into a library file, asked for in three steps.
    if (starts("CDRW")) {
        render::edit_library_drawing();
        return CommandFlow::EndCommand;
    }
    if (starts("CUE")) {
        SecondLine.set("CUE");
        edit::delete_box_codes();
        return CommandFlow::Return;
    }
    return run_c_word(find_c_word(word3));
}

CommandFlow row_d() {
    if (second() == ' ') CommandModeLetters(2) = 'E';
    run_dr_command();
    if (CommandModeLetters(1) == -1) reset_document_display();
    return CommandFlow::EndCommand;
}

CommandFlow row_e() {
    if (starts("ED") && CommandLine(3) != 'I') {
        if (!take_edit_word_numbers()) return CommandFlow::EndCommand;
        return run_edit_keyword_path();
    }
    // "EN": the transposition with the line's numbers.
    if (second() == 'N') {
        edit::transpose_items();
        return CommandFlow::EndCommand;
    }
    edit::run_ed_command();
    // "EDI" leaves box operation 1 for the box continuation to carry on with.
    if (CommandLine(3) == 'I' && PendingBoxOperation != 0) return continue_box_operation();
    return CommandFlow::EndCommand;
}

CommandFlow row_f() {
    if (starts("FREEZ")) {
        FreezeScreen = -FreezeScreen;
        leave_reply(ReplyKind::Notice,
                    FreezeScreen < 0 ? "Freeze Screen Position" : "Unfreeze Screen Position");
        return CommandFlow::EndCommand;
    }
    const bool height = second() == 'H';
    edit::zoom_to_fit();
    // "FH" fits the height: the view goes to the top, the zoom report stays.
    if (height) render::position_view(1);
    return CommandFlow::EndCommand;
}

// "LAST" gets the last document loaded: the file command runs on the whole name in the
// last-file record, or on "G" alone (the file dialog) when there is no record to read.
void get_last_document() {
    const std::string name = read_last_file_record();
    CommandLine.set("G");
    CommandModeLetters(1) = 'G';
    CommandModeLetters(2) = ' ';
    SecondLine.set("G");
    get_named_document(name);
}

// J and L: the justify words, or the vertical offset of the view ("J" and a signed number, or
// "J." for the far position 16384), which is shown as "JOFFY =" and the offset from character 9,
// five wide or wider: the offset a staff gives the view at start (-15000) needs six.
CommandFlow row_j_l(int32_t letter) {
    if (letter == 'L' && second() == ' ') return report_unknown_command();
    if (starts("LAST") && CommandLine(5) == ' ') {
        get_last_document();
        return CommandFlow::EndCommand;
    }
    if (CommandLine.code(2) >= 'A' || CommandLine.sub(2, 5) == "    ") {
        edit::run_justify_command();
        return CommandFlow::EndCommand;
    }
    render::ViewOrigin.y = second() == '.'
                               ? 16384
                               : int_of(static_cast<double>(render::ViewOrigin.y) + ParamBuffer(2));
    leave_reply(ReplyKind::Notice, "JOFFY = " + format_int_whole("(1i5)", render::ViewOrigin.y));
    ParamBuffer(2) = 0.0f;
    if (EditedItemNumber != 0) {
        layout::update_view_geometry(edit::EditChangesPending);
        return CommandFlow::Return;
    }
    if (ItemCount > 0) render::redraw_items();
    return CommandFlow::EndCommand;
}

CommandFlow row_m() {
    if (starts("MS")) {
        edit::run_m_command();
        return CommandFlow::EndCommand;
    }
    if (starts("MX")) {
        PendingBoxOperation = 0;
        edit::delete_box_codes();
        return CommandFlow::Return;
    }
    const char c = second();
    if (c == 'D' || c == 'U' || c == ' ' || c == 'S') {
        int32_t operation = 1;
        edit::run_box_command(operation);
        edit::BoxEdgeWord = 0;
        return CommandFlow::EndCommand;
    }
    if (starts("MM ")) {
        edit::show_item_palette(core::kGeneralPalette);
        return CommandFlow::EndCommand;
    }
    if (starts("MID")) return show_view_position();
    // "MAKEDIR" belongs to the P words' folder step.
    if (starts("MAKEDIR")) {
        output::run_p_command();
        return CommandFlow::EndCommand;
    }
    edit::run_m_command();
    // A music directory entry was chosen: the file command loads it.
    if (CommandLine(1) == '~') return run_get_path();
    return CommandFlow::EndCommand;
}

CommandFlow row_n() {
    if (second() == ' ') return report_unknown_command();
    edit::run_ndir_command();
    if (CommandLine(1) == '~') return run_get_path();
    return CommandFlow::EndCommand;
}

CommandFlow row_p() {
    if (starts("PLA")) return start_play_loop();
    if (!starts("PATH") && starts("PA")) {
        edit::set_paper_size();
        return CommandFlow::Return;
    }
    // A "PL" word starts the stem command, which waits for its box (operation 13).
    const bool stem_word = second() == 'L';
    output::run_p_command();
    const bool awaits_stem_box = stem_word && PendingBoxOperation == 13;
    if (ItemWordsUsed < 0) {
        // The family asked for a new document: the page is empty (its first free word is 1,
        // never 0) and the next command sets up the document.
        PendingBoxOperation = 0;
        DocumentStarted = 0;
        ItemCount = 0;
        ItemWordsUsed = 1;
        return CommandFlow::Return;
    }
    if (SecondLine.starts_with("rrh")) edit::test_frontend_services();
    if (starts("PST")) {
        clear_exchange_text();
    } else if (!starts("PMX") && CommandLine(1) != 'X' && !awaits_stem_box) {
        PendingBoxOperation = 0;
        if (!output::OutputNameField.is_blank()) output::OutputNameField.blank();
    }
    return CommandFlow::EndCommand;
}

CommandFlow row_r() {
    if (SecondLine.starts_with("ry")) {
        KeptLayoutCounters(1) = int_of(ParamBuffer(2));
        KeptLayoutCounters(2) = int_of(ParamBuffer(3));
        return CommandFlow::EndCommand;
    }
    if (SecondLine.starts_with("rr")) {
        edit::test_frontend_services();
        return CommandFlow::EndCommand;
    }
    if (starts("REX")) {
        // A file whose first line runs it again would recurse without end.
        if (g_rex_depth >= kCommandFileDepthLimit) {
            stop_nested_command_files();
            return CommandFlow::EndCommand;
        }
        if (!run_rex_command() || CommandLine.is_blank()) return CommandFlow::EndCommand;
        // The line runs as if it had been typed: it is prepared here even while a command file
        // is being read (whose own lines come prepared from the file).
        prepare_line_in_hand();
        const RexLineGuard guard;
        return dispatch_prepared_line();
    }
    run_r_command();
    if (starts("I*")) return run_i_family();
    if (second() == 'U') {
        if (!edit::commit_item()) return refuse_committed_item();
        return enter_committed_item();
    }
    if (MacroUnit == 0 && ItemCount == 0 && second() != 'E') reset_document_display();
    return CommandFlow::EndCommand;
}

CommandFlow row_s() {
    const bool layout_word =
        !starts("ST") || CommandLine(3) == 'S' || CommandLine(3) == 'M' || starts("STU");
    if (!layout_word) {
        if (!take_edit_word_numbers()) return CommandFlow::EndCommand;
        return run_edit_keyword_path();
    }
    run_s_family_word();
    layout::StaffLayoutCounters(1) = KeptLayoutCounters(1);
    layout::StaffLayoutCounters(2) = KeptLayoutCounters(2);
    // "SX" and "SB" chose the music directory's next or previous document: the file command
    // loads it.
    if (CommandLine(1) == '~') return run_get_path();
    return CommandFlow::EndCommand;
}

CommandFlow row_t() {
    if (starts("TYPB ")) {
        // "TYPB" is the M command without a second letter.
        CommandLine.put(1, 4, "M");
        CommandModeLetters(1) = 'M';
        CommandModeLetters(2) = ' ';
        const CommandFlow flow = row_m();
        edit::name_box_word("TYPB");
        return flow;
    }
    if (starts("TR")) {
        if (ParamBuffer(2) != 0.0f) {
            edit::transpose_items();
        } else {
            int32_t operation = 1;
            edit::run_box_command(operation);
        }
        return CommandFlow::EndCommand;
    }
    if (starts("TOP")) return show_view_position();
    return run_text_family();
}

CommandFlow row_u() {
    if (second() == ' ' || second() == '*') {
        render::report_extent_and_show_item();
        return CommandFlow::Return;
    }
    if (starts("UND")) {
        run_undo_command();
        if (CommandModeLetters(1) == 'I') return run_i_family();
        return CommandFlow::EndCommand;
    }
    layout::test_console_boxes();
    return CommandFlow::EndCommand;
}

CommandFlow row_z() {
    if (second() == 'Z') {
        layout::update_view_geometry(edit::EditChangesPending);
        return CommandFlow::EndCommand;
    }
    // Changes of the edited item not stored yet are drawn again at the new zoom, still pending.
    const bool pending = EditedItemNumber != 0 && edit::EditChangesPending > 0;
    if (pending) edit::EditChangesPending = 0;
    layout::step_zoom();
    if (EditedItemNumber != 0) {
        // The view first, whose measure draws the page again; the changes then drawn last stay
        // on it (a text's copy is drawn only by its editor).
        layout::update_view_geometry(pending ? 1 : edit::EditChangesPending);
        if (pending) {
            ParamBuffer(1) = 1.0f;
            ParamBuffer(2) = EditItemParams(1);
            ParamBuffer(3) = 0.0f;
            edit::apply_working_pairs();
        }
        return CommandFlow::Return;
    }
    if (second() != 'J') return show_view_position();
    // "ZJ": the view is placed as after any zoom step, and the offset's reply stays shown.
    const core::FixedText<512> reply = MessageLine;
    const ReplyKind reply_kind = LeftReplyKind;
    const CommandFlow flow = show_view_position();
    if (reply.starts_with("JOFFY=")) leave_reply(reply_kind, reply.view());
    return flow;
}

}  // namespace

// Contract: see family_entries.h. Reads CommandLine and EditedItemNumber; the save words clear
// the first of CommandModeLetters.
void run_s_family_word() {
    const char c = second();
    const bool idle = EditedItemNumber == 0;
    // The save words save also while an item is edited, as the window's Save does; the item's
    // changes are stored first.
    if (!starts("STSP") && (c == 'M' || c == 'N' || c == 'A' || c == 'X' || c == 'B')) {
        save_current_document();
        CommandModeLetters(1) = 0;
        return;
    }
    if (!starts("STSP") && idle && c == 'I') {
        show_status();
        CommandModeLetters(1) = 0;
        return;
    }
    // Voice separation, and adjusting the notes of a staff when there are items.
    if (c == 'E' && CommandLine(4) != 'Z') {
        if (!idle) return;
        if (CommandLine(4) == 'X') {
            edit::separate_voices_new_staff();
        } else {
            edit::separate_voices();
        }
        return;
    }
    if (c == 'T' && (CommandLine(3) == 'M' || CommandLine(3) == 'U')) {
        if (ItemCount > 0) edit::adjust_staff_notes();
        return;
    }
    layout::run_staff_layout_command();
}

// Contract: the row of the first-letter table for letter ('A'..'Z', the first of
// CommandModeLetters). Reads CommandLine, SecondLine and ParamBuffer; the families called
// write what their owners say. Any other letter gets the unknown-word report.
CommandFlow run_letter_row(int32_t letter) {
    switch (letter) {
        case 'A':
            edit::alter_group();
            return CommandFlow::EndCommand;
        case 'B':
            return row_b();
        case 'C':
            return row_c();
        case 'D':
            return row_d();
        case 'E':
            return row_e();
        case 'F':
            return row_f();
        case 'G':
            return run_get_path();
        case 'H':
            run_h_command();
            CommandStatusWord = 0;
            return CommandFlow::EndCommand;
        case 'I':
            return run_i_family();
        case 'J':
        case 'L':
            return row_j_l(letter);
        case 'K':
            layout::set_view_top_bottom();
            return CommandFlow::Return;
        case 'M':
            return row_m();
        case 'N':
            return row_n();
        case 'O':
            sort_items();
            return CommandFlow::EndCommand;
        case 'P':
            return row_p();
        case 'Q':
            layout::set_view_top_bottom();
            return CommandFlow::EndCommand;
        case 'R':
            return row_r();
        case 'S':
            return row_s();
        case 'T':
            return row_t();
        case 'U':
            return row_u();
        case 'V':
            if (second() == ' ' || second() == '*') {
                render::reset_view_home();
                return CommandFlow::Return;
            }
            show_status();
            return CommandFlow::EndCommand;
        case 'W':
            if (second() == ' ') return report_unknown_command();
            if (second() == 'W') {
                render::report_extent_and_show_item();
            } else if (second() == 'S') {
                edit::scroll_to_current_item();
            } else {
                layout::test_edit_string();
            }
            return CommandFlow::EndCommand;
        case 'X':
            render::reset_view_home();
            return CommandFlow::NextLineOrReturn;
        case 'Y':
            if (second() == ' ') return CommandFlow::EndCommand;
            layout::set_view_y_offset();
            return CommandFlow::Return;
        case 'Z':
            return row_z();
        default:
            return report_unknown_command();
    }
}

}  // namespace core
