// Motive files ("M.MOT" for a notes line, "M.MRH" for a rhythms line, in the work folder): the
// input is both, recalled by an input-mode run read from a command file of our own, plainly,
// reversed, inverted, shifted and scaled, among typed notes.
#include <string>

#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("motive");
    const std::string script =
        "IN 1\n"
        "2 200\n"
        "TR/C4/@M/@-M/@$M/@M2/@-$M-3/E;\n"
        "Q/@M/@M2/@M.5/Q;\n"
        ";\n"
        ";\n"
        ";\n";
    fuzz::write_input("motive.cmd", reinterpret_cast<const uint8_t*>(script.data()),
                      script.size());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::fresh_engine();
    fuzz::write_input("work/M.MOT", data, size);
    fuzz::write_input("work/M.MRH", data, size);
    fuzz::type("RE motive.cmd");
    fuzz::type("UNDO");
    return 0;
}
