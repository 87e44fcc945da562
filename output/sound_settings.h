// The Sound dialog's buttons on the engine side: the settings file "midilist" (Save and Load),
// Auto setup, and the text of a row's staves.
//
// Tables: SoundDialogMode, MidiTempo, ChannelStaffTable, SoundSettingsBlock (output).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace output {

// Save (SoundDialogMode not 2) or Load (2) the settings file with the dialog's two blocks.
void save_load_sound_settings(core::Array1<int32_t, 64>& settings,
                              core::Array1<int32_t, 256>& staves);
// Auto setup: the table rebuilt from the page and copied into the dialog's blocks.
void auto_setup_sound_channels(core::Array1<int32_t, 64>& settings,
                               core::Array1<int32_t, 256>& staves);
// Cuts a row's text before its first " 0 " (within 31 characters); the place of that "0", 0
// when there is none.
int32_t cut_zero_list(char* text, int32_t length);

}  // namespace output
