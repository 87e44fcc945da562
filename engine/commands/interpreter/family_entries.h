// The command families and services that the interpreter's letter rows call: their owners'
// headers in one place, and the S family's word routine, which lives with the letter rows.
#pragma once

#include "engine/commands/files/document_state.h"
#include "engine/commands/files/file_commands.h"   // run_file_command, save_current_document, titles
#include "engine/commands/interpreter/command_dispatch.h"
#include "engine/commands/interpreter/item_edit_lines.h"  // start_new_document
#include "engine/commands/words/dr_commands.h"        // run_dr_command
#include "engine/commands/words/ripple_bars.h"     // ripple_bars
#include "engine/commands/words/sort_command.h"    // sort_items
#include "engine/commands/words/status_display.h"  // show_status, run_h_command
#include "engine/commands/words/undo_commands.h"   // run_undo_command, run_r_command
#include "engine/core/bridge/mini_macros.h"        // MiniMacroTable
#include "engine/core/fixed_array.h"
#include "engine/edit/areas/box_commands.h"        // run_box_command, delete_box_codes
#include "engine/edit/areas/cut_files.h"           // cut_copy_paste_area, write_cut_file
#include "engine/edit/areas/group_alter.h"          // alter_group, show_rhythm_sum
#include "engine/edit/areas/group_transfer.h"      // copy_move_group, move_box_items
#include "engine/edit/areas/if_command.h"           // run_if_command
#include "engine/edit/edit_services.h"        // show_move_step, show_item_palette, ...
#include "engine/edit/items/click_picker.h"        // show_parameters
#include "engine/edit/items/item_editing.h"         // load_item_for_editing, store_edited_item
#include "engine/edit/items/mouse_placement.h"     // move_item_to_mouse, drag_item_with_mouse
#include "engine/edit/items/parameter_line.h"      // commit_item, apply_edit_line
#include "engine/edit/pages/m_commands.h"           // run_m_command, move_system, adjust_box_edges
#include "engine/edit/pages/music_directory.h"      // run_ndir_command, step_document_name
#include "engine/edit/pages/paper_size.h"           // set_paper_size
#include "engine/edit/pitch/transposition.h"        // transpose_items
#include "engine/edit/systems/line_beats.h"           // count_line_beats
#include "engine/edit/systems/staff_notes_adjust.h"   // adjust_staff_notes
#include "engine/edit/systems/stem_direction.h"       // zoom_to_fit, run_stem_direction_command
#include "engine/edit/systems/voice_separation.h"     // separate_voices
#include "engine/edit/tables.h"              // EditChangesPending, PendingBoxStep
#include "engine/edit/text/text_command.h"         // run_text_command
#include "engine/edit/text/text_files.h"           // view_text_file
#include "engine/edit/text/text_lines.h"           // edit_text_in_dialog
#include "engine/input/mode/input_mode.h"          // run_input_mode
#include "engine/input/typed/new_item_defaults.h"  // set_new_item_from_letters
#include "engine/layout/staves/measure_command.h"        // run_measure_command
#include "engine/layout/staves/staff_layout_commands.h"  // run_staff_layout_command
#include "engine/layout/tables.h"                      // StaffLayoutCounters
#include "engine/layout/view/view_settings.h"          // set_view_top_bottom, ...
#include "engine/layout/view/zoom_fit.h"               // zoom_to_fit_width
#include "engine/layout/view/zoom_steps.h"             // step_zoom, update_view_geometry
#include "engine/render/tables.h"                 // DisplayMarkWord
#include "output/midi_generation.h"               // make_midi, MidiStatusWord
#include "output/p_commands.h"                    // run_p_command
#include "output/tables.h"                        // OutputNameField

namespace core {

// The words of the S family: the save words "SM", "SN", "SA" and the status word "SI" (with no
// item being edited) run here, every other word goes to layout::run_staff_layout_command. The
// S row of the interpreter and the front-end's Save-As service call it.
void run_s_family_word();

}  // namespace core
