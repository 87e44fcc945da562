// Reading and writing the window and bar layout in the settings.
#include "frontend/app/bar_layout.h"

#include <QSettings>
#include <QStringList>
#include <limits>

#include "frontend/app/frame_state.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/view/ormest_view.h"

namespace frontend {

std::array<int32_t, kToolbarStateFields> ToolbarStateSlots{};
std::array<int32_t, kTbarDocksFields> RestoredDockIds{};

namespace {

constexpr char kWindowPosKey[] = "Settings/WindowPos";
constexpr char kToolbarStateKey[] = "Settings/ToolbarState";
constexpr char kTbarRectsKey[] = "Settings/TbarRects";
constexpr char kTbarDocksKey[] = "Settings/TbarDocks";
constexpr ColorRef kColourBits = 0xFFFFFF;

// A value as text. An INI value written without quotes comes back as a list of its
// comma-separated parts: joined again.
QString read_text(QSettings& settings, const char* key) {
    const QVariant v = settings.value(QLatin1String(key));
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

QString join_numbers(const int32_t* values, int count) {
    QStringList parts;
    for (int i = 0; i < count; ++i) parts << QString::number(values[i]);
    return parts.join(QLatin1Char(','));
}

// The slot order of "TbarRects" and "TbarDocks": spare, palette toolbar, zoom bar, command bar,
// item bar, second toolbar (the reverse of BarDockIds).
constexpr std::array<int, kBarSlots> kStoredSlotOrder = {kSpareSlot,   kPaletteToolbarSlot,
                                                         kZoomBarSlot, kCommandBarSlot,
                                                         kItemBarSlot, kSecondToolbarSlot};

}  // namespace

std::unique_ptr<QSettings> OpenProgramSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QLatin1String(kSettingsOrganization),
                                       QLatin1String(kSettingsApplication));
}

// Contract: pure. Separators are commas and blanks (tabs too), one or more between numbers,
// none required at either end; any other character, a number that does not fit 32 bits, or a
// count other than count gives nothing.
std::optional<std::vector<int32_t>> ParseSettingNumbers(const QString& text, int count) {
    std::vector<int32_t> out;
    const QString s = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s.at(i);
        if (c == QLatin1Char(',') || c.isSpace()) {
            ++i;
            continue;
        }
        qsizetype j = i;
        if (s.at(j) == QLatin1Char('-') || s.at(j) == QLatin1Char('+')) ++j;
        const qsizetype digits = j;
        while (j < n && s.at(j).isDigit() && s.at(j).unicode() < 128) ++j;
        if (j == digits) return std::nullopt;
        if (j < n && s.at(j) != QLatin1Char(',') && !s.at(j).isSpace()) return std::nullopt;
        bool ok = false;
        const qlonglong v = s.mid(i, j - i).toLongLong(&ok);
        if (!ok || v < std::numeric_limits<int32_t>::min() ||
            v > std::numeric_limits<uint32_t>::max()) {
            return std::nullopt;
        }
        out.push_back(static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(v))));
        if (static_cast<int>(out.size()) > count) return std::nullopt;
        i = j;
    }
    if (static_cast<int>(out.size()) != count) return std::nullopt;
    return out;
}

// Contract: reads "WindowPos"; writes placement and ChildMaximized only when the value holds
// exactly 11 numbers.
bool RestoreWindowPlacement(QSettings& settings, WindowPlacementRecord& placement) {
    const QString text = read_text(settings, kWindowPosKey);
    if (text.isEmpty()) return false;
    const auto v = ParseSettingNumbers(text, 11);
    if (!v) return false;
    const std::vector<int32_t>& f = *v;
    placement.flags = static_cast<uint32_t>(f[0]);
    placement.show_command = static_cast<uint32_t>(f[1]);
    placement.min_position = QPoint(f[2], f[3]);
    placement.max_position = QPoint(f[4], f[5]);
    placement.normal = QRect(QPoint(f[6], f[7]), QSize(f[8] - f[6], f[9] - f[7]));
    ChildMaximized = f[10];
    return true;
}

void SaveWindowPlacement(QSettings& settings, const WindowPlacementRecord& placement) {
    const QRect& r = placement.normal;
    const QString text = QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10 %11")
                             .arg(placement.flags)
                             .arg(placement.show_command)
                             .arg(placement.min_position.x())
                             .arg(placement.min_position.y())
                             .arg(placement.max_position.x())
                             .arg(placement.max_position.y())
                             .arg(r.x())
                             .arg(r.y())
                             .arg(r.x() + r.width())
                             .arg(r.y() + r.height())
                             .arg(ChildMaximized);
    settings.setValue(QLatin1String(kWindowPosKey), text);
}

// Contract: writes ToolbarStateSlots, then BarRects, then RestoredDockIds, each only when its
// value parses; the first value that does not parse ends the reading with false.
bool RestoreBarLayout(QSettings& settings) {
    const QString state = read_text(settings, kToolbarStateKey);
    const auto fields =
        state.isEmpty() ? std::nullopt : ParseSettingNumbers(state, kToolbarStateFields);
    if (!fields) return false;
    std::copy(fields->begin(), fields->end(), ToolbarStateSlots.begin());

    const QString rects_text = read_text(settings, kTbarRectsKey);
    const auto rects =
        rects_text.isEmpty() ? std::nullopt : ParseSettingNumbers(rects_text, kTbarRectsFields);
    if (!rects) return false;
    for (int k = 0; k < kBarSlots; ++k) {
        // Stored as bottom, left, right, top.
        const int32_t* r = rects->data() + 4 * k;
        BarRects[static_cast<std::size_t>(kStoredSlotOrder[static_cast<std::size_t>(k)])] =
            QRect(QPoint(r[1], r[3]), QSize(r[2] - r[1], r[0] - r[3]));
    }

    const QString docks_text = read_text(settings, kTbarDocksKey);
    const auto docks =
        docks_text.isEmpty() ? std::nullopt : ParseSettingNumbers(docks_text, kTbarDocksFields);
    if (!docks) return false;
    for (int k = 0; k < kBarSlots; ++k) {
        RestoredDockIds[static_cast<std::size_t>(kStoredSlotOrder[static_cast<std::size_t>(k)])] =
            (*docks)[static_cast<std::size_t>(k)];
    }
    return true;
}

// Contract: reads ToolbarStateSlots and RestoredDockIds; writes the shown flags, PaletteBarFlag,
// FilledPathsMode, the colours, GeometryResetFlag, BarDockIds, DisplayScale and TextColor.
void ApplyBarLayout() {
    const auto field = [](int n) { return ToolbarStateSlots[static_cast<std::size_t>(n - 1)]; };
    ShowItemBar = field(2) != 0 ? 1 : 0;
    ShowCommandBar = field(4) != 0 ? 1 : 0;
    ShowPaletteToolbar = field(5) != 0 ? 1 : 0;
    ShowZoomBar = field(6) != 0 ? 1 : 0;
    PaletteBarFlag = field(10) != 0 ? 1 : 0;
    FilledPathsMode = field(12);
    SelectionColor = static_cast<ColorRef>(field(13)) & kColourBits;
    FillColor = static_cast<ColorRef>(field(14)) & kColourBits;
    DefaultColor = static_cast<ColorRef>(field(16)) & kColourBits;
    BackgroundColor = static_cast<ColorRef>(field(17)) & kColourBits;
    GeometryResetFlag = field(18);
    BarDockIds = RestoredDockIds;
    DisplayScale = 64;
    TextColor = kWhite;
}

void CollectToolbarState() {
    const std::array<int32_t, kToolbarStateFields> values = {
        ShowFileTools,
        ShowItemBar,
        ShowToolbar2,
        ShowCommandBar,
        ShowPaletteToolbar,
        ShowZoomBar,
        StaffBarState,
        SlurBarState,
        ActiveToolMode,
        PaletteBarFlag,
        DisplayScale,
        FilledPathsMode,
        static_cast<int32_t>(SelectionColor),
        static_cast<int32_t>(FillColor),
        static_cast<int32_t>(TextColor),
        static_cast<int32_t>(DefaultColor),
        static_cast<int32_t>(BackgroundColor),
        GeometryResetFlag,
    };
    ToolbarStateSlots = values;
}

// Contract: reads ToolbarStateSlots and BarRects; writes BarDockIds (all slots but the second
// toolbar's) and the three settings values.
void save_toolbar_state(QSettings& settings, const CurrentDocksRecord& docks) {
    settings.setValue(QLatin1String(kToolbarStateKey),
                      join_numbers(ToolbarStateSlots.data(), kToolbarStateFields));
    std::array<int32_t, kTbarRectsFields> rects{};
    for (int k = 0; k < kBarSlots; ++k) {
        const QRect& r =
            BarRects[static_cast<std::size_t>(kStoredSlotOrder[static_cast<std::size_t>(k)])];
        int32_t* out = rects.data() + 4 * k;
        out[0] = r.y() + r.height();
        out[1] = r.x();
        out[2] = r.x() + r.width();
        out[3] = r.y();
    }
    settings.setValue(QLatin1String(kTbarRectsKey), join_numbers(rects.data(), kTbarRectsFields));

    BarDockIds[kCommandBarSlot] = docks.command_bar;
    BarDockIds[kPaletteToolbarSlot] = docks.palette_toolbar;
    BarDockIds[kZoomBarSlot] = docks.zoom_bar;
    BarDockIds[kItemBarSlot] = docks.item_bar;
    BarDockIds[kSpareSlot] = docks.zoom_bar;
    std::array<int32_t, kTbarDocksFields> ids{};
    for (int k = 0; k < kBarSlots; ++k) {
        ids[static_cast<std::size_t>(k)] =
            BarDockIds[static_cast<std::size_t>(kStoredSlotOrder[static_cast<std::size_t>(k)])];
    }
    settings.setValue(QLatin1String(kTbarDocksKey), join_numbers(ids.data(), kTbarDocksFields));
}

}  // namespace frontend
