// The sound settings file "midilist" in the work folder, read by the Sound dialog's Load into
// the dialog's two blocks (and the tempo). Loading must leave the page alone; what was loaded,
// saved and loaded again must come back the same from a second save (the file the program
// writes reads back as it was written).
#include <cstdio>
#include <cstdlib>

#include "engine/core/fixed_array.h"
#include "output/midi_tables.h"
#include "output/sound_settings.h"
#include "tests/fuzz/fuzz_session.h"

namespace {

struct Blocks {
    core::Array1<int32_t, 64> settings;
    core::Array1<int32_t, 256> staves;
    int32_t tempo = 0;

    bool operator==(const Blocks& o) const {
        for (int k = 1; k <= 64; ++k)
            if (settings(k) != o.settings(k)) return false;
        for (int k = 1; k <= 256; ++k)
            if (staves(k) != o.staves(k)) return false;
        return tempo == o.tempo;
    }
};

void load(Blocks& b) {
    output::SoundDialogMode = 2;
    output::save_load_sound_settings(b.settings, b.staves);
    b.tempo = output::MidiTempo;
}

void save(Blocks& b) {
    output::SoundDialogMode = 0;
    output::save_load_sound_settings(b.settings, b.staves);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("sound_settings");
    fuzz::write_small_page("small.MUS");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::fresh_engine();
    fuzz::write_input("work/midilist", data, size);
    fuzz::type("G small.MUS");
    const uint64_t page = fuzz::page_digest();
    Blocks first;
    for (int k = 1; k <= 64; ++k) first.settings(k) = k;
    for (int k = 1; k <= 256; ++k) first.staves(k) = k % 7;
    load(first);
    fuzz::expect_page_unchanged(page, "loading the sound settings");
    save(first);
    Blocks second;
    load(second);
    save(second);
    Blocks third;
    load(third);
    if (!(third == second)) {
        std::fprintf(stderr, "fuzz: saved sound settings read back differently\n");
        std::abort();
    }
    return 0;
}
