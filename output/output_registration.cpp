#include "output/output_registration.h"

#include "engine/layout/layout_hooks.h"
#include "engine/render/render_hooks.h"
#include "output/bounding_box.h"
#include "output/ps_display_list.h"
#include "output/ps_document.h"
#include "output/ps_symbols.h"

namespace output {

namespace {

void write_line_hook(std::string_view line) { write_ps_line(line); }

}  // namespace

void register_output_hooks() {
    auto& r = render::RenderHooks;
    r.write_ps_gray_level = write_ps_gray_level;
    r.flush_path_points = flush_path_points;
    r.write_ps_line = write_line_hook;
    r.select_note_line_width = select_note_line_width;
    r.output_line_width_factor = output_line_width_factor;
    r.add_path_width = add_path_width;
    r.add_path_break = add_path_break;
    r.write_ps_trill_line = write_ps_trill_line;
    r.output_line_width = output_line_width;
    r.write_ps_symbol_call = write_ps_symbol_call;
    r.beam_line_width = beam_line_width;
    r.write_ps_line_width = write_ps_line_width;
    r.write_ps_arc = write_ps_arc;
    r.set_box_line_width = set_box_line_width;
    r.write_ps_base_width = write_ps_base_width;
    r.eps_page_values = eps_page_values;
    r.record_symbol_use = record_symbol_use;
    auto& l = layout::LayoutHooks;
    l.add_path_width = add_path_width;
    l.add_path_break = add_path_break;
    l.add_bbox_outline = add_bbox_outline;
}

}  // namespace output
