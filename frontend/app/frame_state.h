// Process-wide data of the main frame: the bars' pointers and shown flags, where each bar is
// docked, the saved window placement words and the palette state words that the layout carries.
// The frame writes them at creation and from its bar commands; the layout is read from and
// written to the settings only at start and at close (bar_layout.h).
#pragma once

#include <QRect>
#include <array>
#include <cstdint>

class QWidget;

namespace frontend {

// The bars, set once the frame has made them; null before.
extern QWidget* CommandBarWnd;
extern QWidget* PaletteToolbarWnd;
extern QWidget* ZoomBarWnd;
extern QWidget* ItemBarWnd;

// Shown flags (nonzero = shown). ShowFileTools has no bar; the second toolbar is never shown
// at start.
extern uint8_t ShowFileTools;
extern uint8_t ShowItemBar;
extern uint8_t ShowToolbar2;
extern uint8_t ShowCommandBar;
extern uint8_t ShowPaletteToolbar;
extern uint8_t ShowZoomBar;

// Bar slots of BarDockIds and BarRects, in this order.
enum BarSlot : int {
    kSecondToolbarSlot = 0,
    kItemBarSlot = 1,
    kCommandBarSlot = 2,
    kZoomBarSlot = 3,
    kPaletteToolbarSlot = 4,
    kSpareSlot = 5,
};
constexpr int kBarSlots = 6;

// Dock-bar ids as the settings store them.
constexpr int32_t kDockTop = 59419;
constexpr int32_t kDockLeft = 59420;
constexpr int32_t kDockRight = 59421;
constexpr int32_t kDockBottom = 59422;

// Where each bar is docked, and its screen rectangle at the last close (empty at first start).
extern std::array<int32_t, kBarSlots> BarDockIds;
extern std::array<QRect, kBarSlots> BarRects;

// The active document window was maximized at the last close; the show command of the restored
// placement (3: maximized; 0 when none was restored).
extern int32_t ChildMaximized;
extern int32_t SavedShowCommand;

// Palette state words carried by the layout: 0 none, 1 shown, -1 hidden.
extern int32_t NoteBarState;
extern int32_t StaffBarState;
extern int32_t TextModeState;
extern int32_t SlurBarState;
extern uint8_t PaletteBarFlag;
// 1: the next screen-path building starts its geometry afresh (it clears the word).
extern int32_t GeometryResetFlag;

// Puts the words above back to their values before the frame exists (tests; the start).
void ResetFrameState();

}  // namespace frontend
