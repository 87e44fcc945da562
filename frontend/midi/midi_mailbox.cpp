#include "frontend/midi/midi_mailbox.h"

#include "frontend/bridge/engine_gate.h"
#include "frontend/midi/midi_ring.h"

namespace frontend {

MidiMailboxRecord MidiInMailbox;
std::atomic<int32_t> MidiInWanted{0};
int32_t NoMidiInputDevices = 0;

// Contract: UI thread only. Reads MidiInRing (takes one event), writes MidiInMailbox; tells
// the waits through the gate's input listener when an event has come in.
bool FillMidiMailbox() {
    if (MidiInMailbox.Ready != 0) return true;
    MidiInEvent event;
    if (!MidiInRing.Take(event)) return false;
    MidiInMailbox.Timestamp = event.Timestamp;
    MidiInMailbox.ErrorFlag = event.ErrorFlag;
    MidiInMailbox.Device = event.Device;
    MidiInMailbox.Message = event.Message;
    MidiInMailbox.Ready = 1;
    NotifyInputArrived();
    return true;
}

// Contract: UI thread only. Hands the mailbox's event to the engine's poll and at once refills
// the mailbox from the ring, so an event that waited behind a full mailbox needs no new post.
bool TakeMidiMailboxEvent(MidiMailboxRecord& out) {
    if (MidiInMailbox.Ready == 0) return false;
    out = MidiInMailbox;
    MidiInMailbox.Ready = 0;
    FillMidiMailbox();
    return true;
}

void ClearMidiMailbox() { MidiInMailbox = MidiMailboxRecord{}; }

}  // namespace frontend
