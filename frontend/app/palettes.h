// The palette toolbar: which palette it shows, the switches between palettes and their
// left-end and right-end variants. The palettes and their handlers come from the data folder
// (palettes/palettes.txt, palettes/handlers.txt), read once; the button images from
// palettes/icons/p<id>.png, one strip per palette.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/app/palette_data.h"

class QToolButton;

namespace frontend {

// The palette shown and the one before it (0 at start: the first load of 134 leaves them).
extern int32_t CurrentPaletteId;
extern int32_t PreviousPaletteId;

// Button style words of the shown palette, one per slot (separators included): the low 16 bits
// the style (2 check box, 4 group, 6 check group, 0x10 auto-size, 0x20 no prefix), the high 16
// bits the state (0x20 wrap: the row breaks after this slot).
constexpr uint32_t kStyleCheckBox = 0x2;
constexpr uint32_t kStyleCheckGroup = 0x6;
constexpr uint32_t kStateWrap = 0x20u << 16;
// The slot after which the toolbar's first row ends.
constexpr int kFirstRowSlots = 26;

// The palette tables, read from the data folder on first use. A folder whose files are missing
// or bad gives the tables read so far (error says why).
const PaletteData& PaletteTables();
// Reads the tables from folder (holding palettes.txt, handlers.txt, icons/) instead, at once;
// an empty folder goes back to the data folder's on next use. For tests.
void UsePaletteFolder(const std::string& folder);

// Loads palette id (0: the previous one) into the palette toolbar and shows it; 134 also clears
// the engine's GroupEditFlag and 200 makes its first 20 buttons one check group. An id with no
// palette changes nothing: the shown buttons and both id words stay.
void ShowPalette(int32_t id);
// ShowPalette without its two extras (the engine's request for the edited item's palette).
void LoadPaletteToolbar(int32_t id);
// Mode 0 the left-end, 1 the right-end variant of the group's palette, or back to its base;
// returns 0.
int SwitchPaletteVariant(int mode, int32_t group);
// Code 1 makes a button a check box, 2 one of a check group, for the first count buttons of the
// shown palette; other codes leave the button.
void SetPaletteButtonStyles(const uint8_t* codes, int count);

// Fills the palette toolbar with palette id's buttons without touching the id words (the main
// frame's first load, and the steps above). False, with nothing changed, when the tables hold
// no palette id.
bool LoadPaletteButtons(int32_t id);
// The palette whose buttons the toolbar holds (0 none yet), its buttons by slot (null for a
// separator) and their style words.
int32_t LoadedPaletteId();
const std::vector<QToolButton*>& PaletteButtons();
const std::vector<uint32_t>& PaletteButtonStyles();

// Forgets the shown palette and puts both id words back to 0 (tests; the frame's making).
void ResetPaletteState();

}  // namespace frontend
