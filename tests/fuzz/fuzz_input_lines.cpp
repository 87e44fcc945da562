// The saved lines of an input-mode run ("input.tmp" in the work folder, or a file named at the
// closing menu's "S"): seven records, the command, the input space and the notes, rhythms,
// marks, beams and slurs lines, typed again by "RE \!tmp\input.tmp". The run it makes goes on
// the page and on the undo list: UNDO must give the page back as it was before the run.
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("input_lines");
    fuzz::write_small_page("small.MUS");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::fresh_engine();
    fuzz::write_input("work/input.tmp", data, size);
    fuzz::type("G small.MUS");
    fuzz::type("RE \\!tmp\\input.tmp");
    fuzz::type("UNDO");
    return 0;
}
