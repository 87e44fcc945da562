// An old drawing file (the ".DRW" files Code 11 items name): the input is "FUZZ.DRW" in the
// current folder, and a page holding one Code 11 item that names it is loaded, so that the
// Code 11 drawer finds the file and reads it into its slot store.
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("old_drawing");
    // A staff, and a Code 11 item whose P14..P19 hold the name "FUZZ" four characters a word.
    std::vector<float> page = {3, 8, 1, 0, 19, 11, 1, 10, 5, 0, 1, 1, 0, 0, 0, 0, 0, 0};
    page.push_back(fuzz::chars_word("FUZZ"));
    for (int w = 0; w < 5; ++w) page.push_back(fuzz::chars_word("    "));
    fuzz::write_page("code11.MUS", page);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("FUZZ.DRW", data, size);
    fuzz::fresh_engine();
    fuzz::type("G code11.MUS");
    return 0;
}
