#include "engine/commands/engine_reset.h"

#include "engine/commands/files/document_file_records.h"
#include "engine/commands/files/end_backup.h"
#include "engine/commands/files/file_commands.h"
#include "engine/commands/files/library_data.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/words/undo_commands.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/saved_page.h"
#include "engine/core/files/short_names.h"
#include "engine/core/files/title_line.h"
#include "engine/core/files/undo.h"
#include "engine/core/files/word_start_page.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/pages/measure_numbers.h"
#include "engine/edit/systems/voice_separation.h"
#include "engine/edit/tables.h"
#include "engine/edit/text/text_lines.h"
#include "engine/input/tables.h"
#include "engine/layout/layout_registration.h"
#include "engine/layout/tables.h"
#include "engine/layout/view/zoom_steps.h"
#include "engine/render/lines/chord_grids.h"
#include "engine/render/page/page_frame.h"
#include "engine/render/render_hooks.h"
#include "engine/render/render_registration.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_escapes.h"
#include "output/output_hooks.h"
#include "output/output_registration.h"
#include "output/tables.h"

namespace core {

namespace {

// The drawing's view update: the layout's, told whether the edited item has changes pending.
void update_view_for_edited_item() { layout::update_view_geometry(edit::EditChangesPending, true); }

}  // namespace

void reset_engine() {
    close_all_units();
    reset_core_tables();
    reset_document_tables();
    reset_settings_tables();
    reset_service_gate();
    TextReadRequestWord.blank();
    render::reset_render_tables();
    layout::reset_layout_tables();
    layout::register_layout_drawers();
    set_mini_macro_handler(run_mini_macros);
    set_edited_item_check(edit::edited_item_differs);
    // A command file is never asked before its words drop unsaved changes: the page is kept.
    set_page_keeper(keep_page_for_command_file);
    MusicDirectoryList = MusicDirectoryRecord{};
    render::register_render_drawers();
    render::set_guitar_chord_loader(core::load_guitar_chord_file);
    render::RenderHooks.update_view_geometry = update_view_for_edited_item;
    render::NewNoteMarkDrawer = mark_new_note_positions;
    render::TextEditHooks.run_text_margin_command = edit::run_text_margin_command;
    reset_interpreter_tables();
    reset_undo_tables();
    forget_saved_page();
    forget_page_before_word();
    reset_file_command_tables();
    reset_document_file_records();
    reset_item_panel_record();
    input::reset_input_tables();
    edit::reset_edit_tables();
    edit::reset_voice_separation_tables();
    edit::BoxTransposeRange = edit::BoxTransposeRangeRecord{};
    edit::BoxHandOver.transpose_items = edit::transpose_items;
    edit::reset_text_command_state();
    edit::reset_measure_numbers_state();
    output::reset_output_tables();
    output::register_output_hooks();
    // A batch loads its documents as a get does; the output stands below the file commands.
    output::OutputHooks.load_document_file = load_document_file;
}

}  // namespace core
