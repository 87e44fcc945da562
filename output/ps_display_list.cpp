// Stand-in until the display list is built.
#include "output/ps_display_list.h"

#include "engine/core/file_units.h"
#include "engine/core/tables.h"
#include "engine/render/fonts.h"
#include "engine/render/ps_errors.h"

namespace output {
bool ps_job_aborted() { return core::CommandModeLetters(1) == 'B'; }
bool write_ps_line(std::string_view line) {
    if (ps_job_aborted()) return false;
    if (core::write_record(render::kPostScriptUnit, line) != core::IoResult::Ok) {
        render::report_ps_write_error();
        return false;
    }
    return true;
}
void add_path_width(int32_t) {}
void add_path_break() {}
void flush_path_points() {}
void write_ps_gray_level(int32_t& count) { ++count; }
void write_ps_line_width(float) {}
void write_ps_base_width() {}
float output_line_width() { return 0.0f; }
float output_line_width_factor() { return 0.0f; }
int32_t beam_line_width() { return 0; }
}  // namespace output
