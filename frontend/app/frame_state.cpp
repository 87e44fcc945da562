#include "frontend/app/frame_state.h"

namespace frontend {

QWidget* CommandBarWnd = nullptr;
QWidget* PaletteToolbarWnd = nullptr;
QWidget* ZoomBarWnd = nullptr;
QWidget* ItemBarWnd = nullptr;

uint8_t ShowFileTools = 0;
uint8_t ShowItemBar = 0;
uint8_t ShowToolbar2 = 0;
uint8_t ShowCommandBar = 0;
uint8_t ShowPaletteToolbar = 0;
uint8_t ShowZoomBar = 0;

std::array<int32_t, kBarSlots> BarDockIds{};
std::array<QRect, kBarSlots> BarRects{};

int32_t ChildMaximized = 0;
int32_t SavedShowCommand = 0;

int32_t NoteBarState = 0;
int32_t StaffBarState = 0;
int32_t TextModeState = 0;
int32_t SlurBarState = 0;
uint8_t PaletteBarFlag = 0;
int32_t GeometryResetFlag = 0;

void ResetFrameState() {
    CommandBarWnd = nullptr;
    PaletteToolbarWnd = nullptr;
    ZoomBarWnd = nullptr;
    ItemBarWnd = nullptr;
    ShowFileTools = 0;
    ShowItemBar = 0;
    ShowToolbar2 = 0;
    ShowCommandBar = 0;
    ShowPaletteToolbar = 0;
    ShowZoomBar = 0;
    BarDockIds.fill(0);
    BarRects.fill(QRect());
    ChildMaximized = 0;
    SavedShowCommand = 0;
    NoteBarState = 0;
    StaffBarState = 0;
    TextModeState = 0;
    SlurBarState = 0;
    PaletteBarFlag = 0;
    GeometryResetFlag = 0;
}

}  // namespace frontend
