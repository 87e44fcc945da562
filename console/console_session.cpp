// The console's main loop: every input line outside a wait is one engine call.
#include <exception>
#include <ostream>
#include <string>

#include "console/console_front_end.h"
#include "console/item_panel_text.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/words/play_loop.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/shown_text.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/core/tables.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"

// While an item is edited, prints the item panel's line when it differs from the one printed
// last; with no item edited nothing is printed (and the next edited item's line shows again).
void ConsoleFrontEnd::show_item_panel_line() {
    if (core::ItemPanelRecord.edited_item == 0) {
        panel_line_.clear();
        return;
    }
    const std::string line = item_panel_line(format_item_panel(core::ItemPanelRecord));
    if (line == panel_line_) return;
    panel_line_ = line;
    print_line(core::ReplyKind::Notice, line);
}

// Reads lines until the input ends. Each line (cut to the line buffer, with a word) goes into
// MessageLine (blank-padded), with an empty command buffer, to run_command; then the reply in
// MessageLine is printed unless it is what the message line already shows (the typed line itself
// counts as shown, so a command that leaves its own line as the reply prints nothing). An engine
// defect that escapes the call is printed and the loop goes on. With the dump switched on, the
// graphics list follows at the end.
int ConsoleFrontEnd::run() {
    std::string line;
    while (read_line(line)) {
        cut_to_line_buffer(line);
        const std::string typed = typed_answer(line);
        core::set_exchange_text(typed);
        core::FrontEndCommandBuffer.blank();
        shown_ = shown_form(typed);
        last_notice_.clear();
        int32_t status = -1;
        requested_zoom_ = 0;
        in_call_ = true;
        bool failed = false;
        try {
            core::run_command(graphics_.get(), graphics_length_, text_stream_.get(), text_length_,
                              status);
        } catch (const std::exception& e) {
            print_aside(core::ReplyKind::Failure, std::string("internal error: ") + e.what());
            failed = true;
        }
        in_call_ = false;
        core::close_idle_command_file();
        if (file_answer_missing_) {
            // The file ended, not the input: the next line is a command again.
            file_answer_missing_ = false;
            if (!input_ended_) core::ApplicationClosingWord = 0;
        }
        if (failed) continue;
        if (requested_zoom_ != 0) apply_zoom(requested_zoom_);
        requested_zoom_ = 0;
        // A call that ends with its own line still in the message line (a question it asked
        // was cancelled, or the input's end cut it short) has no reply: its line tells nothing.
        if (shown_form(core::MessageLine.view()) != shown_form(typed))
            show_in_message_line(core::LeftReplyKind, core::MessageLine.view());
        show_item_panel_line();
    }
    // A box prompt waits between calls: the line that did not come was its box.
    if (core::PendingBoxOperation != 0) note_unanswered(shown_.empty() ? waiting_for_ : shown_);
    if (core::PlayLoopActive != 0) note_unanswered(std::string(core::kPlayLoopPrompt));
    if (dump_graphics_ && core::OutputBufferViews.graphics.bound()) {
        // A command may leave the drawing to the next redraw (nothing here shows the lists
        // while it runs): the dump shows the page as stored.
        if (render::lists_behind_store()) render::redraw_changed_items();
        print_aside(core::ReplyKind::Notice, "Graphics list:");
        render::write_graphics_list_dump(out_);
    }
    out_.flush();
    return 0;
}
