// The preferences file "mxpref.dat": read by the program's start-up from the data folder, then
// by the Preferences dialog's Load button, then a page is loaded and drawn with the settings
// it left.
#include "engine/core/fixed_array.h"
#include "engine/core/preferences.h"
#include "engine/core/tables.h"
#include "tests/fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("preferences", {"beams.MUS", "rests.MUS"});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("data/mxlib/mxpref.dat", data, size);
    if (!fuzz::fresh_engine()) return 0;
    core::PreferenceBlock a;
    core::PreferenceBlock b;
    core::FrontEndCommandBuffer.set("data/mxlib/mxpref.dat");
    core::load_or_save_preferences(0, a, b);
    fuzz::type("G beams.MUS");
    fuzz::type("GMR rests.MUS");
    return 0;
}
