// The software synthesizer renders a General MIDI note into memory (no audio driver): what it
// is sent reaches the synthesizer, and the soundfont sounds.
#include "platform/midi_output.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

namespace {

int peak(const std::vector<int16_t>& samples) {
    int most = 0;
    for (int16_t s : samples) most = std::max(most, std::abs(static_cast<int>(s)));
    return most;
}

TEST(SoftSynthTest, ANoteSoundsAndStopsSounding) {
    const std::string soundfont = platform::find_general_midi_soundfont();
    if (soundfont.empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
    auto synth = platform::make_soft_synth(soundfont, false);
    ASSERT_TRUE(synth);
    const int frames = synth->SampleRate() / 4;  // a quarter second
    std::vector<int16_t> out(2 * static_cast<std::size_t>(frames));

    synth->RenderS16(out.data(), frames);
    EXPECT_LT(peak(out), 50);  // nothing sent, nothing sounds (but the dither)

    const uint8_t program[2] = {0xC0, 0};
    const uint8_t on[3] = {0x90, 60, 100};
    synth->Send(program, 2);
    synth->Send(on, 3);
    synth->RenderS16(out.data(), frames);
    EXPECT_GT(peak(out), 500);

    // A note-on of velocity 0 ends it; after the release the output is still again.
    const uint8_t off[3] = {0x90, 60, 0};
    synth->Send(off, 3);
    synth->Reset();
    for (int i = 0; i < 8; ++i) synth->RenderS16(out.data(), frames);
    EXPECT_LT(peak(out), 50);
}

TEST(SoftSynthTest, NoSoundfontNoSynthesizer) {
    EXPECT_FALSE(platform::make_soft_synth("", false));
    EXPECT_FALSE(platform::make_soft_synth("/nonexistent/none.sf2", false));
}

}  // namespace
