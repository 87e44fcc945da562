// The library data "mx.DAT" (circle points, font size factors, stroke font): read by the
// program's start-up from the data folder. No screen drawer uses its tables yet (the stroke
// font serves the PostScript output), so the start-up's reader is what this target tries.
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("library_data");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("data/mxlib/mx.DAT", data, size);
    if (!fuzz::fresh_engine()) return 0;
    fuzz::type("9 1 10 0 45");
    return 0;
}
