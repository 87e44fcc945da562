// The text symbol file "CODE9.DAT" (Code 9 items 3000 to 3099): read from the data folder the
// first time a text symbol is drawn. Text symbols from the first to past the last line the
// file may hold are placed and drawn.
#include <string>

#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("text_symbols");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("data/mxlib/CODE9.DAT", data, size);
    if (!fuzz::fresh_engine()) return 0;
    int x = 10;
    for (int number : {3000, 3001, 3002, 3005, 3010, 3021, 3040, 3057, 3068, 3069, 3099}) {
        fuzz::type("9 1 " + std::to_string(x) + " 0 " + std::to_string(number));
        x += 15;
    }
    return 0;
}
