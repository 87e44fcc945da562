// The ring of MIDI input events between the driver threads and the UI thread.
//
// Every opened input source stores its events here from its own thread; the main frame's MIDI
// handler on the UI thread is the only reader. A short lock guards each copy, so two sources
// never store into the same slot and the reader never sees a slot before it is filled.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

namespace frontend {

// One MIDI input event: 16 bytes, four words in this order.
struct MidiInEvent {
    int32_t ErrorFlag = 0;  // 1 for an invalid message, 0 for data
    int32_t Device = 0;     // index of the source (0..7)
    int32_t Timestamp = 0;  // milliseconds since the source was started
    int32_t Message = 0;    // packed short message: status, data 1 << 8, data 2 << 16
};
static_assert(sizeof(MidiInEvent) == 16);

constexpr int kMidiInRingEvents = 3200;

class MidiEventRing {
  public:
    // Appends one event; when the ring is full the event is dropped, the overflow flag is set
    // (it is never cleared) and false comes back. Any thread.
    bool Put(const MidiInEvent& event);
    // Moves the oldest event into out: false, out untouched, when the ring is empty. The one
    // reader only.
    bool Take(MidiInEvent& out);
    int Count() const;
    bool Overflow() const;
    // Positions of the next write and read (0..capacity-1; tests).
    int WritePosition() const;
    int ReadPosition() const;
    // Empties the ring and clears the overflow flag (start-up; tests).
    void Reset();

  private:
    mutable std::mutex lock_;
    std::array<MidiInEvent, kMidiInRingEvents> slots_{};
    int count_ = 0;
    int write_ = 0;
    int read_ = 0;
    bool overflow_ = false;
};

// The one ring of the process: every source feeds it, the main frame drains it.
extern MidiEventRing MidiInRing;

}  // namespace frontend
