// The road of a MIDI input event: a source's thread stores it in MidiInRing and posts a MIDI
// event to the main frame; on the UI thread the frame's handler moves it into MidiInMailbox,
// where the engine's MIDI wait takes it.
#pragma once

#include <QEvent>
#include <functional>
#include <memory>
#include <string>

#include "platform/midi_input.h"

class QObject;

namespace frontend {

// The event a source posts after storing an event in the ring.
constexpr QEvent::Type kMidiInDataEvent = static_cast<QEvent::Type>(QEvent::User + 0x190);

// The message shown when there is no MIDI input to be had.
inline constexpr char kNoMidiInputText[] = "There are no Midi input devices.";

// Starts MIDI input from source (kept until StopMidiInput): its events are stored in MidiInRing
// while MidiInWanted is set, and each stored event posts kMidiInDataEvent to receiver. Clears
// the ring and the mailbox first. Each input that fails to open is reported. When no input
// opens, NoMidiInputDevices becomes 1, and when the system offers no input at all (or has no
// MIDI system) report is called once with kNoMidiInputText and, as its detail, the system's
// reason (empty when none is known). Returns the number of inputs opened.
// report(text, detail): text is for the user; detail, when not empty, only for the log.
using MidiReport = std::function<void(const std::string& text, const std::string& detail)>;
int StartMidiInput(std::unique_ptr<platform::MidiSource> source, QObject* receiver,
                   const MidiReport& report);

// Stops the source (no event is stored or posted afterwards) and forgets the receiver.
void StopMidiInput();

// True while a source started by StartMidiInput has at least one input open.
bool MidiInputRunning();

// The main frame's handler of kMidiInDataEvent: fills the mailbox from the ring when it is
// empty. A full mailbox is refilled when the engine takes its event, so nothing is re-posted.
void OnMidiInData();

}  // namespace frontend
