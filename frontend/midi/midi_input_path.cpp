#include "frontend/midi/midi_input_path.h"

#include <QCoreApplication>
#include <QObject>
#include <atomic>
#include <utility>

#include "frontend/midi/midi_mailbox.h"
#include "frontend/midi/midi_ring.h"

namespace frontend {

namespace {

std::unique_ptr<platform::MidiSource> g_source;
// Read on the sources' threads; StopMidiInput stops the source before it clears this.
std::atomic<QObject*> g_receiver{nullptr};

// Contract: runs on a source's thread. Drops the event while the engine takes no MIDI input or
// when the ring is full (the ring notes the overflow); otherwise stores it and posts one event.
void store_and_post(const platform::MidiInPacket& packet) {
    if (MidiInWanted.load(std::memory_order_acquire) == 0) return;
    MidiInEvent event;
    event.ErrorFlag = packet.error_flag;
    event.Device = packet.device;
    event.Timestamp = packet.timestamp;
    event.Message = packet.message;
    if (!MidiInRing.Put(event)) return;
    if (QObject* receiver = g_receiver.load(std::memory_order_acquire)) {
        QCoreApplication::postEvent(receiver, new QEvent(kMidiInDataEvent));
    }
}

}  // namespace

// Contract: writes MidiInRing (reset), MidiInMailbox (cleared), NoMidiInputDevices; keeps the
// source and the receiver. See the header.
int StartMidiInput(std::unique_ptr<platform::MidiSource> source, QObject* receiver,
                   const MidiReport& report) {
    StopMidiInput();
    MidiInRing.Reset();
    ClearMidiMailbox();
    NoMidiInputDevices = 0;
    if (source == nullptr) return 0;
    g_receiver.store(receiver, std::memory_order_release);
    g_source = std::move(source);
    const platform::MidiStartReport found = g_source->Start(store_and_post);
    if (report) {
        for (const std::string& problem : found.problems) report(problem, std::string());
    }
    if (found.inputs_opened > 0) return found.inputs_opened;
    NoMidiInputDevices = 1;
    if (found.inputs_found > 0) return 0;  // inputs exist; each failure was reported above
    if (report) report(kNoMidiInputText, found.system_error);
    return 0;
}

void StopMidiInput() {
    if (g_source != nullptr) g_source->Stop();
    g_receiver.store(nullptr, std::memory_order_release);
    g_source.reset();
}

void OnMidiInData() { FillMidiMailbox(); }

bool MidiInputRunning() { return g_source != nullptr && NoMidiInputDevices == 0; }

}  // namespace frontend
