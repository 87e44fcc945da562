#include "frontend/midi/midi_ring.h"

namespace frontend {

MidiEventRing MidiInRing;

bool MidiEventRing::Put(const MidiInEvent& event) {
    const std::lock_guard<std::mutex> guard(lock_);
    if (count_ >= kMidiInRingEvents) {
        overflow_ = true;
        return false;
    }
    slots_[static_cast<std::size_t>(write_)] = event;
    write_ = (write_ + 1) % kMidiInRingEvents;
    ++count_;
    return true;
}

bool MidiEventRing::Take(MidiInEvent& out) {
    const std::lock_guard<std::mutex> guard(lock_);
    if (count_ == 0) return false;
    out = slots_[static_cast<std::size_t>(read_)];
    read_ = (read_ + 1) % kMidiInRingEvents;
    --count_;
    return true;
}

int MidiEventRing::Count() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return count_;
}

bool MidiEventRing::Overflow() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return overflow_;
}

int MidiEventRing::WritePosition() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return write_;
}

int MidiEventRing::ReadPosition() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return read_;
}

void MidiEventRing::Reset() {
    const std::lock_guard<std::mutex> guard(lock_);
    count_ = 0;
    write_ = 0;
    read_ = 0;
    overflow_ = false;
}

}  // namespace frontend
