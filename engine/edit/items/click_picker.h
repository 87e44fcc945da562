// Clicks in the page while editing: the item nearest a click is taken into editing, or, while
// an item is edited, the click becomes a typed line that moves it there.
#pragma once

#include <cstdint>

#include "engine/layout/tables.h"

namespace edit {

// The last mouse point in MouseRegion: y in word 3, x in word 4 (display units).
constexpr int kPointY = 3;
constexpr int kPointX = 4;
// Display units per P3 unit. Staves above layout::kLeftPageStaves lie on the right-hand page,
// 227.0 P3 units along.
constexpr float kUnitsPerP3 = 150.0f;
constexpr float kSecondPageP3 = 227.0f;

// With no item edited: the item nearest the MouseRegion point (never the item the previous
// click picked) becomes the edited one, as an "I n" line (ClickMode 8) or an "X n" word
// (ClickMode 9). While an item is edited: CommandLine becomes the pair line that moves it to
// the clicked staff and point.
void pick_item_at_click();
// The parameter display of a click in the page: the picker with ClickMode 8.
void show_parameters();
// The text item (code 16) nearest the MouseRegion point, whichever was picked before; 0 when the
// page has none. Nothing is edited.
int32_t text_item_at_click();
// Scrolls the view so that the edited item is visible.
void scroll_to_current_item();

}  // namespace edit
