#include "output/midi_tables.h"

namespace output {

int32_t MidiStatusWord = 0;
core::FixedText<256> MidiFileName;
int32_t MidiTempo = 0;
int32_t MidiFirstRunDone = 0;
int32_t MidiPartsFromPage = 0;
int32_t SoundDialogMode = 0;
core::Array1<int32_t, 64> SoundSettingsBlock;
core::Array1<int32_t, 256> ChannelStaffTable;
core::Array1<int32_t, 256> ChannelStaffDialogCopy;
NoteTimelineRecord NoteTimeline;
int32_t MidiLimitReached = 0;
int32_t LegatoLineSwitch = 0;

void reset_midi_tables() {
    MidiStatusWord = 0;
    MidiFileName.blank();
    MidiTempo = 0;
    MidiFirstRunDone = 0;
    MidiPartsFromPage = 0;
    SoundDialogMode = 0;
    SoundSettingsBlock.fill(0);
    ChannelStaffTable.fill(0);
    ChannelStaffDialogCopy.fill(0);
    NoteTimeline = NoteTimelineRecord{};
    MidiLimitReached = 0;
    LegatoLineSwitch = 0;
}

}  // namespace output
