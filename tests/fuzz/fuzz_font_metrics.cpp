// A font metric file: the input stands for both metric files every text reads, "fm00.fmt"
// (Times-Roman, also the stand-in for a missing font) and the symbol width table
// "fmsymbol.fmt", in the data folder's font folder. Word symbols and text symbols are placed
// and drawn, so the text drawer loads the metrics and measures with them.
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("font_metrics");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("data/mxlib/fontlib/fm00.fmt", data, size);
    fuzz::write_input("data/mxlib/fontlib/fmsymbol.fmt", data, size);
    if (!fuzz::fresh_engine()) return 0;
    fuzz::type("9 1 10 0 78");    // "a tempo"
    fuzz::type("9 1 40 0 3021");  // "piu mosso": an accent escape
    fuzz::type("9 1 80 0 3001");
    fuzz::type("9 1 120 0 66");  // "pizz."
    return 0;
}
