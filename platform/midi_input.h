// MIDI input sources: our small layer over the ALSA sequencer (through RtMidi), and the
// interface a test double implements. Nothing of RtMidi shows here.
//
// A source opens up to eight inputs and hands every short message to its sink on the input's
// own thread; the sink must be quick and must not block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

constexpr int kMaxMidiInputs = 8;

// One input message as the engine's event words want it.
struct MidiInPacket {
    int32_t error_flag = 0;  // 1: the bytes are no valid short message
    int32_t device = 0;      // index of the input (0..7)
    int32_t timestamp = 0;   // milliseconds since the input was started
    int32_t message = 0;     // status | data 1 << 8 | data 2 << 16
};

// Called on an input's thread for each message.
using MidiInSink = std::function<void(const MidiInPacket&)>;

// What a start found.
struct MidiStartReport {
    int inputs_found = 0;      // inputs the system offers (all of them, not only the first 8)
    int inputs_opened = 0;     // inputs delivering to the sink
    bool no_system = false;    // the MIDI system itself cannot be opened (no sound device)
    std::string system_error;  // its reason, when known
    std::vector<std::string> problems;  // one line per input that could not be opened
};

class MidiSource {
  public:
    virtual ~MidiSource() = default;
    // Opens inputs 0..7 and delivers their messages to sink until Stop.
    virtual MidiStartReport Start(MidiInSink sink) = 0;
    // Closes every input; when it returns the sink is called no more.
    virtual void Stop() = 0;
};

// The ALSA sequencer's inputs through RtMidi.
std::unique_ptr<MidiSource> make_alsa_midi_source();

// Packs the bytes of one message into a short-message word. False for what no short message
// carries (a system-exclusive message, nothing at all); error_flag = 1 when the first byte is no
// status byte or the message is longer than three bytes.
bool pack_short_message(const unsigned char* bytes, std::size_t n, int32_t& message,
                        int32_t& error_flag);

}  // namespace platform
