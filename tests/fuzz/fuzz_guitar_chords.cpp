// The guitar chord file "GUITAR.DAT": read from the data folder by the chord grids' loader,
// which start-up points at it.
#include "engine/commands/files/library_data.h"
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("guitar_chords");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("data/mxlib/GUITAR.DAT", data, size);
    if (!fuzz::fresh_engine()) return 0;
    core::load_guitar_chord_file();
    return 0;
}
