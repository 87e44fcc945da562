// The palette toolbar's palettes and their switches.
#include "frontend/app/palettes.h"

namespace frontend {

int32_t CurrentPaletteId = 0;
int32_t PreviousPaletteId = 0;

void ShowPalette(int32_t /*id*/) {}
void LoadPaletteToolbar(int32_t /*id*/) {}
int SwitchPaletteVariant(int /*mode*/, int32_t /*group*/) { return 0; }

}  // namespace frontend
