// MIDI output: an ALSA sequencer port through RtMidi, or the fluidsynth synthesizer.
#include "platform/midi_output.h"

#include <array>
#include <filesystem>
#include <vector>

#include <RtMidi.h>
#include <alsa/asoundlib.h>
#include <fluidsynth.h>

namespace platform {

namespace {

void quiet_alsa_errors(const char*, int, const char*, int, const char*, ...) {}

// Channel mode messages that silence a channel: all sound off, reset controllers, all notes
// off.
constexpr std::array<uint8_t, 3> kSilencers = {120, 121, 123};

class AlsaMidiOutput final : public MidiOutput {
  public:
    AlsaMidiOutput(std::unique_ptr<RtMidiOut> port, std::string name)
        : port_(std::move(port)), name_(std::move(name)) {}
    ~AlsaMidiOutput() override {
        Reset();
        try {
            port_->closePort();
        } catch (const RtMidiError&) {
            // Closing is best effort: the port goes with its object.
        }
    }

    void Send(const uint8_t* bytes, std::size_t n) override {
        if (bytes == nullptr || n == 0) return;
        try {
            port_->sendMessage(bytes, n);
        } catch (const RtMidiError&) {
            // A port that went away plays nothing more; the player goes on in time.
        }
    }

    void Reset() override {
        for (uint8_t ch = 0; ch < 16; ++ch) {
            for (uint8_t c : kSilencers) {
                const uint8_t msg[3] = {static_cast<uint8_t>(0xB0 | ch), c, 0};
                Send(msg, 3);
            }
        }
    }

    std::string Name() const override { return "ALSA: " + name_; }

  private:
    std::unique_ptr<RtMidiOut> port_;
    std::string name_;
};

}  // namespace

struct SoftSynth::Parts {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    ~Parts() {
        if (driver != nullptr) delete_fluid_audio_driver(driver);
        if (synth != nullptr) delete_fluid_synth(synth);
        if (settings != nullptr) delete_fluid_settings(settings);
    }
};

SoftSynth::~SoftSynth() = default;

// Contract: hands a channel message or a system-exclusive message to the synthesizer; what it
// does not know is ignored.
void SoftSynth::Send(const uint8_t* bytes, std::size_t n) {
    if (bytes == nullptr || n == 0 || !parts_) return;
    fluid_synth_t* s = parts_->synth;
    if (bytes[0] == 0xF0) {
        std::size_t len = n - 1;
        if (len > 0 && bytes[n - 1] == 0xF7) --len;
        fluid_synth_sysex(s, reinterpret_cast<const char*>(bytes + 1), static_cast<int>(len),
                          nullptr, nullptr, nullptr, 0);
        return;
    }
    const int ch = bytes[0] & 0x0F;
    const int d1 = n > 1 ? bytes[1] & 0x7F : 0;
    const int d2 = n > 2 ? bytes[2] & 0x7F : 0;
    switch (bytes[0] & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(s, ch, d1);
            break;
        case 0x90:
            if (d2 == 0) {
                fluid_synth_noteoff(s, ch, d1);
            } else {
                fluid_synth_noteon(s, ch, d1, d2);
            }
            break;
        case 0xA0:
            fluid_synth_key_pressure(s, ch, d1, d2);
            break;
        case 0xB0:
            fluid_synth_cc(s, ch, d1, d2);
            break;
        case 0xC0:
            fluid_synth_program_change(s, ch, d1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(s, ch, d1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(s, ch, d1 | (d2 << 7));
            break;
        default:
            break;
    }
}

void SoftSynth::Reset() {
    if (!parts_) return;
    fluid_synth_all_notes_off(parts_->synth, -1);
    fluid_synth_all_sounds_off(parts_->synth, -1);
}

std::string SoftSynth::Name() const { return "synthesizer"; }

void SoftSynth::RenderS16(int16_t* out, int frames) {
    if (!parts_ || out == nullptr || frames <= 0) return;
    fluid_synth_write_s16(parts_->synth, frames, out, 0, 2, out, 1, 2);
}

int SoftSynth::SampleRate() const {
    double rate = 44100.0;
    if (parts_) fluid_settings_getnum(parts_->settings, "synth.sample-rate", &rate);
    return static_cast<int>(rate);
}

std::string find_general_midi_soundfont() {
    for (const char* path :
         {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"}) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) return path;
    }
    return {};
}

// Contract: a synthesizer with the soundfont; with audio it also starts fluidsynth's default
// audio driver. Null when any part fails. fluidsynth's own complaints are kept off stderr: the
// caller tells the user once when nothing sounds.
std::unique_ptr<SoftSynth> make_soft_synth(const std::string& soundfont, bool audio) {
    if (soundfont.empty()) return nullptr;
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
        fluid_set_log_function(level, nullptr, nullptr);
    }
    auto parts = std::make_unique<SoftSynth::Parts>();
    parts->settings = new_fluid_settings();
    if (parts->settings == nullptr) return nullptr;
    // No shell, no server: the synthesizer only takes what we send it.
    fluid_settings_setint(parts->settings, "synth.threadsafe-api", 1);
    parts->synth = new_fluid_synth(parts->settings);
    if (parts->synth == nullptr) return nullptr;
    if (fluid_synth_sfload(parts->synth, soundfont.c_str(), 1) == FLUID_FAILED) return nullptr;
    if (audio) {
        parts->driver = new_fluid_audio_driver(parts->settings, parts->synth);
        if (parts->driver == nullptr) return nullptr;
    }
    std::unique_ptr<SoftSynth> synth(new SoftSynth());
    synth->parts_ = std::move(parts);
    return synth;
}

// Contract: opens the first sequencer output port whose name does not hold "Midi Through" (the
// kernel's loop-back port sounds nowhere). Null when there is none or no sequencer; never throws.
std::unique_ptr<MidiOutput> open_alsa_midi_output() {
    snd_lib_error_set_handler(quiet_alsa_errors);
    snd_seq_t* sequencer = nullptr;
    if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0) return nullptr;
    snd_seq_close(sequencer);
    try {
        auto port = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "ormest");
        const unsigned int count = port->getPortCount();
        for (unsigned int i = 0; i < count; ++i) {
            const std::string name = port->getPortName(i);
            if (name.find("Midi Through") != std::string::npos) continue;
            port->openPort(i, "ormest output");
            return std::make_unique<AlsaMidiOutput>(std::move(port), name);
        }
    } catch (const RtMidiError&) {
        return nullptr;
    }
    return nullptr;
}

std::unique_ptr<MidiOutput> open_midi_output() {
    if (auto alsa = open_alsa_midi_output()) return alsa;
    return make_soft_synth(find_general_midi_soundfont(), true);
}

}  // namespace platform
