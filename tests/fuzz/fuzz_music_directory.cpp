// The music directory "#musdir#.tmp" of the current folder: read by the words that step through
// it ("MG", "MG n", "MB", "DX", "DB", "SX" after a save), each leaving a name that the file
// command then loads. Two small pages of our own stand beside it for its names to find.
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("music_directory");
    fuzz::write_small_page("one.MUS");
    fuzz::write_small_page("two.MUS");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("#musdir#.tmp", data, size);
    fuzz::fresh_engine();
    for (const char* line : {"MG", "MB", "MG 3", "MG -1", "MG 1000", "G one.MUS", "DX", "DB"}) {
        fuzz::type(line);
    }
    return 0;
}
