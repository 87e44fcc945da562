// Stand-in until the document writer is built.
#include "output/ps_document.h"

namespace output {
void print_postscript() {}
void finish_ps_document() {}
void write_header_footer() {}
PrintDate stamp_print_date() { return {}; }
void eps_page_values(render::RenderHooksRecord::EpsPageValues&) {}
std::string job_output_path() { return {}; }
}  // namespace output
