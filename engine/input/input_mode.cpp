#include "engine/input/input_mode.h"

#include "engine/core/console_bridge.h"
#include "engine/core/fixed_array.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"

namespace input {

// Stand-ins until the input mode is built: the mode is left at once.
void run_input_mode() {
    InputParserMode = 0;
    core::show_prompt(core::FixedText<512>("*** Leaving input ***"));
}
void input_mode_2() { InputParserMode = 0; }
void ask_input_line(int32_t& flag, int32_t& length) {
    flag = 0;
    length = 0;
}
void ask_input_line_2(int32_t& flag, int32_t& length) {
    flag = 0;
    length = 0;
}
void store_input_items() {}
void count_input_line() { ++InputLineCount; }
void prepare_input_staff() {}
void find_first_free_position() {}
void check_spacing_staff(int32_t& not_set) { not_set = 1; }
void load_staff_item_params(float staff) {}
void ask_input_range(int32_t& result) { result = 2; }
void widen_close_columns(core::Array1<float, 200>& positions, int32_t count) {}
void restore_macro_unit() {}
void pick_new_staff_number() {}

}  // namespace input
