#include "output/sound_settings.h"

namespace output {

// Stand-ins until the settings are built.
void save_load_sound_settings(core::Array1<int32_t, 64>& settings,
                              core::Array1<int32_t, 256>& staves) {
    (void)settings, (void)staves;
}
void auto_setup_sound_channels(core::Array1<int32_t, 64>& settings,
                               core::Array1<int32_t, 256>& staves) {
    (void)settings, (void)staves;
}
int32_t cut_zero_list(char* text, int32_t length) {
    (void)text, (void)length;
    return 0;
}

}  // namespace output
