// The window and bar layout as the settings keep it: section "Settings" of the program's
// settings (organization "Fenwright"), values "WindowPos", "ToolbarState", "TbarRects" and
// "TbarDocks", each a text of decimal numbers. Read once when the frame is made, written when
// it closes. A value that is missing or does not hold exactly its count of numbers is ignored.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "frontend/app/frame_state.h"
#include "platform/paths.h"

class QSettings;

namespace frontend {

// The settings file lies in the user settings folder the engine keeps its preferences in.
inline constexpr const char* kSettingsOrganization = platform::kUserSettingsName;
inline constexpr char kSettingsApplication[] = "ormest";

// The program's settings (user scope, native format: an INI file under the XDG config folder).
std::unique_ptr<QSettings> OpenProgramSettings();

// The numbers of a settings text separated by commas or blanks, when there are exactly count of
// them and nothing else; each must fit 32 bits (signed, or unsigned for the placement's first
// two). Empty otherwise.
std::optional<std::vector<int32_t>> ParseSettingNumbers(const QString& text, int count);

// A window placement: flags, show command (1 normal, 2 minimized, 3 maximized), the minimized
// and maximized positions and the normal rectangle (screen coordinates).
struct WindowPlacementRecord {
    uint32_t flags = 0;
    uint32_t show_command = 1;
    QPoint min_position{-1, -1};
    QPoint max_position{-1, -1};
    QRect normal;
};

// Reads "WindowPos" into placement and its eleventh number into ChildMaximized. False, with
// both unchanged, when the value is empty or does not hold exactly 11 numbers.
bool RestoreWindowPlacement(QSettings& settings, WindowPlacementRecord& placement);
// Writes "WindowPos" from placement and ChildMaximized ("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d %d").
void SaveWindowPlacement(QSettings& settings, const WindowPlacementRecord& placement);

constexpr int kToolbarStateFields = 18;
constexpr int kTbarRectsFields = 24;
constexpr int kTbarDocksFields = 6;

// The 18 "ToolbarState" fields as read or as about to be written (field n at index n - 1), and
// the six dock ids read from "TbarDocks" (slot order of BarDockIds).
extern std::array<int32_t, kToolbarStateFields> ToolbarStateSlots;
extern std::array<int32_t, kTbarDocksFields> RestoredDockIds;

// Reads "ToolbarState", "TbarRects" (straight into BarRects) and "TbarDocks" in this order;
// stops with false at the first that is empty or has the wrong count (those read before stay
// filled).
bool RestoreBarLayout(QSettings& settings);
// Applies what RestoreBarLayout read: the shown flags of the item bar, command bar, palette
// toolbar and zoom bar, the palette bar flag, the filled mode, the colours except the text
// colour, the geometry reset word and the dock ids. The zoom starts at 64 and the text colour
// at white whatever was saved. Colours keep only their 24 colour bits.
void ApplyBarLayout();

// Copies the 18 "ToolbarState" fields from the words they come from into ToolbarStateSlots.
void CollectToolbarState();

// Current dock ids of the bars whose alignment the frame reads at close.
struct CurrentDocksRecord {
    int32_t command_bar = kDockTop;
    int32_t palette_toolbar = kDockTop;
    int32_t zoom_bar = kDockTop;
    int32_t item_bar = kDockTop;
};

// Writes "ToolbarState" (from ToolbarStateSlots) and "TbarRects" (from BarRects); then takes
// the four current dock ids into BarDockIds (the spare slot gets the zoom bar's, the second
// toolbar keeps its own) and writes "TbarDocks".
void save_toolbar_state(QSettings& settings, const CurrentDocksRecord& docks);

}  // namespace frontend
