// MIDI output devices: our small layer over an ALSA sequencer port (through RtMidi) and over
// the software synthesizer (libfluidsynth with a General MIDI soundfont), and the interface a
// test double implements. Nothing of RtMidi or fluidsynth shows here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class MidiOutput {
  public:
    virtual ~MidiOutput() = default;
    // Sends one complete message: a channel message (2 or 3 bytes) or a system-exclusive
    // message (F0 ... F7). Quick; called from the player's thread.
    virtual void Send(const uint8_t* bytes, std::size_t n) = 0;
    // Silences everything that sounds (all notes off, sustain released).
    virtual void Reset() = 0;
    // What it is, for messages ("ALSA: port name", "synthesizer").
    virtual std::string Name() const = 0;
};

// The software synthesizer. Made without an audio driver it only renders into memory.
class SoftSynth : public MidiOutput {
  public:
    ~SoftSynth() override;
    void Send(const uint8_t* bytes, std::size_t n) override;
    void Reset() override;
    std::string Name() const override;
    // Renders frames of interleaved stereo 16-bit samples into out (2 × frames values).
    void RenderS16(int16_t* out, int frames);
    int SampleRate() const;

    struct Parts;

  private:
    friend std::unique_ptr<SoftSynth> make_soft_synth(const std::string&, bool);
    SoftSynth() = default;
    std::unique_ptr<Parts> parts_;
};

// The first of Debian's General MIDI soundfonts that exists ("" when none).
std::string find_general_midi_soundfont();
// A synthesizer with the soundfont loaded; with audio, playing through its own audio driver.
// Null when the soundfont cannot be loaded or (with audio) no audio driver starts.
std::unique_ptr<SoftSynth> make_soft_synth(const std::string& soundfont, bool audio);
// The first ALSA sequencer output port that is not "Midi Through"; null when there is none or
// no sequencer.
std::unique_ptr<MidiOutput> open_alsa_midi_output();
// An ALSA port, else the synthesizer with the General MIDI soundfont; null when nothing can
// sound.
std::unique_ptr<MidiOutput> open_midi_output();

}  // namespace platform
