// The ALSA sequencer's MIDI inputs through RtMidi.
#include "platform/midi_input.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>

#include <RtMidi.h>
#include <alsa/asoundlib.h>

namespace platform {

namespace {

constexpr unsigned char kSysexStart = 0xF0;

// ALSA's library writes its own complaints to stderr (a machine without /dev/snd gets one per
// client); the start reports what matters once, in its own words.
void quiet_alsa_errors(const char*, int, const char*, int, const char*, ...) {}

class AlsaMidiSource final : public MidiSource {
  public:
    ~AlsaMidiSource() override { Stop(); }

    MidiStartReport Start(MidiInSink sink) override;
    void Stop() override;

  private:
    // What one input's callback needs: its index and the moment it started.
    struct Input {
        AlsaMidiSource* source = nullptr;
        int32_t device = 0;
        std::chrono::steady_clock::time_point started;
        std::unique_ptr<RtMidiIn> port;
    };

    static void OnMessage(double, std::vector<unsigned char>* bytes, void* user);

    MidiInSink sink_;
    std::vector<std::unique_ptr<Input>> inputs_;
};

// Contract: runs on the input's thread: packs the message and hands it to the sink; drops what
// no short message carries. Never blocks beyond the sink.
void AlsaMidiSource::OnMessage(double, std::vector<unsigned char>* bytes, void* user) {
    auto* input = static_cast<Input*>(user);
    if (input == nullptr || bytes == nullptr) return;
    MidiInPacket packet;
    if (!pack_short_message(bytes->data(), bytes->size(), packet.message, packet.error_flag)) {
        return;
    }
    packet.device = input->device;
    const auto elapsed = std::chrono::steady_clock::now() - input->started;
    packet.timestamp = static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() & 0x7FFFFFFF);
    input->source->sink_(packet);
}

// Contract: counts the sequencer's input ports and opens the first eight, each on its own
// RtMidi client. A sequencer that cannot be opened gives no_system with ALSA's reason (or
// RtMidi's); an input that cannot be opened gives a problem line and is skipped. Never throws.
MidiStartReport AlsaMidiSource::Start(MidiInSink sink) {
    Stop();
    sink_ = std::move(sink);
    MidiStartReport report;
    snd_lib_error_set_handler(quiet_alsa_errors);
    // RtMidi prints its own complaint before it throws; a machine without a sequencer is found
    // here first, so that the start alone says so, once.
    snd_seq_t* sequencer = nullptr;
    if (const int rc = snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, 0); rc < 0) {
        report.no_system = true;
        report.system_error = std::string("cannot open the ALSA sequencer: ") + snd_strerror(rc);
        return report;
    }
    snd_seq_close(sequencer);
    unsigned int count = 0;
    try {
        RtMidiIn probe(RtMidi::LINUX_ALSA, "ormest");
        count = probe.getPortCount();
    } catch (const RtMidiError& e) {
        report.no_system = true;
        report.system_error = e.getMessage();
        return report;
    }
    report.inputs_found = static_cast<int>(count);
    const int n = std::min(static_cast<int>(count), kMaxMidiInputs);
    for (int i = 0; i < n; ++i) {
        auto input = std::make_unique<Input>();
        input->source = this;
        input->device = i;
        try {
            input->port = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, "ormest");
            // Clock and active-sensing bytes arrive like notes; system-exclusive data does not.
            input->port->ignoreTypes(true, false, false);
            input->port->setCallback(&AlsaMidiSource::OnMessage, input.get());
            input->started = std::chrono::steady_clock::now();
            input->port->openPort(static_cast<unsigned int>(i), "ormest input");
        } catch (const RtMidiError& e) {
            report.problems.push_back(e.getMessage() + " midiInOpen(" + std::to_string(i) + ")");
            continue;
        }
        inputs_.push_back(std::move(input));
    }
    report.inputs_opened = static_cast<int>(inputs_.size());
    return report;
}

// Closing a port joins its input thread, so no callback runs once this returns.
void AlsaMidiSource::Stop() {
    for (auto& input : inputs_) {
        try {
            input->port->cancelCallback();
            input->port->closePort();
        } catch (const RtMidiError&) {
            // Closing is best effort: the port goes with its object below.
        }
    }
    inputs_.clear();
}

}  // namespace

std::unique_ptr<MidiSource> make_alsa_midi_source() { return std::make_unique<AlsaMidiSource>(); }

bool pack_short_message(const unsigned char* bytes, std::size_t n, int32_t& message,
                        int32_t& error_flag) {
    if (bytes == nullptr || n == 0 || bytes[0] == kSysexStart) return false;
    uint32_t packed = 0;
    for (std::size_t k = 0; k < std::min<std::size_t>(n, 3); ++k) {
        packed |= static_cast<uint32_t>(bytes[k]) << (8 * k);
    }
    message = static_cast<int32_t>(packed);
    error_flag = (bytes[0] < 0x80 || n > 3) ? 1 : 0;
    return true;
}

}  // namespace platform
