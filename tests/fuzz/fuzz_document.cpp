// A document file, loaded as the file commands load one: "G name" on a fresh engine, then
// merged into the page it made by "GMR" (onto the second page) and "GMB" (after the highest
// staff in use). Every load draws the page, so the drawers see what the document holds.
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("document");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("fuzz.MUS", data, size);
    fuzz::fresh_engine();
    fuzz::type("G fuzz.MUS");
    fuzz::type("GMR fuzz.MUS");
    fuzz::type("GMB fuzz.MUS");
    return 0;
}
