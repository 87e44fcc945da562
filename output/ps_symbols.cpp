// Stand-in until the symbol procedures are built.
#include "output/ps_symbols.h"

namespace output {
void define_symbol_procedures() {}
void define_symbol_procedure(int32_t) {}
bool record_symbol_use(int32_t) { return false; }
bool write_ps_symbol_call(float, float, float, int32_t, int32_t& state) {
    state = 0;
    return false;
}
int32_t select_note_line_width() { return 99; }
void write_ps_trill_line(const float*, const float*, int32_t, float, float, float, float, float) {}
void set_box_line_width(float) {}
void write_ps_arc(float, float, float, float, float, float) {}
}  // namespace output
