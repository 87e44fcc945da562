// A library drawing file: the input is the user's library file "lb5000.drw" in the work
// folder's "mxlib", which the reader searches first for symbols 5000 to 9989. Each of its ten
// drawings is placed as a Code 9 item (symbols 5000..5009) and drawn, so the symbol drawer
// reads the file and uses what it read.
#include <string>

#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("library_drawing");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::fresh_engine();
    fuzz::write_input("work/mxlib/lb5000.drw", data, size);
    for (int d = 0; d < 10; ++d)
        fuzz::type("9 1 " + std::to_string(10 + 15 * d) + " 0 " + std::to_string(5000 + d));
    return 0;
}
