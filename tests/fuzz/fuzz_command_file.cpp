// A command file, run as the program runs one: "RE name" (READ: every line of the file within
// the one call), then on a fresh engine "REX name" (its first line, offered for editing and
// run).
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("command_file");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("fuzz.cmd", data, size);
    fuzz::fresh_engine();
    fuzz::type("RE fuzz.cmd");
    fuzz::fresh_engine();
    fuzz::type("REX fuzz.cmd");
    return 0;
}
