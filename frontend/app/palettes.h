// The palette toolbar: which palette it shows, the switches between palettes and their
// left-end and right-end variants, and the tool modes of the main frame.
#pragma once

#include <cstdint>

namespace frontend {

// The palette shown and the one before it (0 at start: the first load of 134 leaves them).
extern int32_t CurrentPaletteId;
extern int32_t PreviousPaletteId;

// Loads palette id (0: the previous one) into the palette toolbar and shows it; 134 also clears
// the engine's GroupEditFlag and 200 makes its first 20 buttons one check group.
void ShowPalette(int32_t id);
// ShowPalette without its two extras (the engine's request for the edited item's palette).
void LoadPaletteToolbar(int32_t id);
// Mode 0 the left-end, 1 the right-end variant of the group's palette, or back to its base;
// returns 0.
int SwitchPaletteVariant(int mode, int32_t group);

}  // namespace frontend
