// The one-event mailbox through which a MIDI input event reaches the engine's MIDI wait.
//
// Only the UI thread touches it: the main frame's MIDI handler fills it from the ring, the
// engine's poll (PollMidiOrKey) empties it. Taking an event refills the mailbox from the ring at
// once, so events that waited while the mailbox was full arrive in order without any re-posting.
#pragma once

#include <atomic>
#include <cstdint>

namespace frontend {

// The four words and the ready flag. Word numbers as the frame's handler fills them: 1 the
// time stamp, 2 the error flag (1 for a MIDI error message, 0 for data), 3 the device index
// (0..7), 4 the packed short message (status in bits 0..7, data bytes in 8..15 and 16..23).
struct MidiMailboxRecord {
    int32_t Timestamp = 0;
    int32_t ErrorFlag = 0;
    int32_t Device = 0;
    int32_t Message = 0;
    uint8_t Ready = 0;  // 1: the engine has not taken the event yet
};
extern MidiMailboxRecord MidiInMailbox;

// Nonzero while an engine routine takes MIDI input; the driver threads drop every event while
// it is 0. Written by the MIDI wait on the UI thread, read by the driver threads.
extern std::atomic<int32_t> MidiInWanted;

// 1 when start-up found no MIDI input device (or no MIDI system): note entry then takes no
// MIDI input.
extern int32_t NoMidiInputDevices;

// Takes the event out of the mailbox for the engine: copies it into out, clears the ready flag
// and moves the next waiting event of the ring into the mailbox. False (out untouched) when
// the mailbox is empty.
bool TakeMidiMailboxEvent(MidiMailboxRecord& out);

// Moves the oldest ring event into the mailbox when the mailbox is empty and tells a waiting
// routine that input arrived. The frame's handler of the posted MIDI event calls it; returns
// true when the mailbox holds an event afterwards.
bool FillMidiMailbox();

// Empties the mailbox (start-up; tests).
void ClearMidiMailbox();

}  // namespace frontend
