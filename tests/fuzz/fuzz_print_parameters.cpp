// The print parameter file ("PRINT.SCR" in the current folder), read by Print Setup's Load into
// the print blocks, the header text and the unit. Loading must leave the page alone; then the
// page is written as PostScript with what was loaded, and the blocks are saved and loaded again.
#include "engine/core/tables.h"
#include "output/print_parameters.h"
#include "output/tables.h"
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("print_parameters");
    fuzz::write_small_page("small.MUS");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("PRINT.SCR", data, size);
    fuzz::fresh_engine();
    fuzz::type("G small.MUS");
    const uint64_t page = fuzz::page_digest();
    auto& pp = output::PrintParameters;
    pp.print_setup_file_name.blank();
    output::load_save_print_setup(0, pp.ints, pp.reals);
    fuzz::expect_page_unchanged(page, "loading the print parameters");
    fuzz::type("PRPS");
    pp.print_setup_file_name.set("again.scr");
    output::load_save_print_setup(-1, pp.ints, pp.reals);
    output::load_save_print_setup(0, pp.ints, pp.reals);
    return 0;
}
