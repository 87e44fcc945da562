// The palette toolbar's palettes and their switches.
#include "frontend/app/palettes.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QFrame>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <map>
#include <memory>

#include "engine/core/tables.h"
#include "frontend/app/command_handlers.h"
#include "frontend/app/frame_state.h"
#include "platform/paths.h"

namespace frontend {

int32_t CurrentPaletteId = 0;
int32_t PreviousPaletteId = 0;

namespace {

std::string g_folder;  // empty: the data folder's palettes/
std::unique_ptr<PaletteData> g_tables;
// Button images by palette, one per button without separators; empty when the strip is missing.
std::map<int32_t, std::vector<QIcon>> g_icons;

int32_t g_loaded = 0;
QPointer<QWidget> g_container;  // the toolbar's one widget, holding the rows of buttons
std::vector<QToolButton*> g_buttons;
std::vector<uint32_t> g_styles;

std::string palette_folder() {
    if (!g_folder.empty()) return g_folder;
    return platform::data_folder() + "/palettes";
}

// Cuts palette id's strip into its button images; a strip of another size than the palette
// asks for is not used (its buttons would not match).
const std::vector<QIcon>& icons_of(const PaletteLayout& layout) {
    auto found = g_icons.find(layout.id);
    if (found != g_icons.end()) return found->second;
    std::vector<QIcon>& icons = g_icons[layout.id];
    const QImage strip(
        QString::fromStdString(palette_folder() + "/icons/p" + std::to_string(layout.id) + ".png"));
    int count = 0;
    for (const int32_t b : layout.buttons) count += b != 0 ? 1 : 0;
    if (strip.isNull() || strip.width() != count * layout.button_width ||
        strip.height() != layout.button_height) {
        return icons;
    }
    for (int i = 0; i < count; ++i) {
        icons.emplace_back(QPixmap::fromImage(
            strip.copy(i * layout.button_width, 0, layout.button_width, layout.button_height)));
    }
    return icons;
}

// The first word of a tooltip: the label of a button without an image.
QString first_word(const std::string& tooltip) {
    const QString t = QString::fromStdString(tooltip).trimmed();
    const qsizetype blank = t.indexOf(QLatin1Char(' '));
    return blank < 0 ? t : t.left(blank);
}

QToolButton* make_button(QWidget* parent, const PaletteLayout& layout, int32_t command,
                         const QIcon* icon) {
    auto* button = new QToolButton(parent);
    button->setFixedSize(layout.button_width, layout.button_height);
    button->setAutoRaise(true);
    button->setProperty("command_id", command);
    const PaletteData& tables = PaletteTables();
    const auto h = tables.handler_of_id.find(command);
    const CommandHandlerEntry* entry =
        h != tables.handler_of_id.end() ? &tables.handlers[h->second] : nullptr;
    if (entry != nullptr) {
        button->setToolTip(QString::fromStdString(entry->tooltip));
        button->setStatusTip(QString::fromStdString(entry->prompt));
    }
    if (icon != nullptr) {
        button->setIcon(*icon);
        button->setIconSize(QSize(layout.button_width, layout.button_height));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    } else {
        button->setText(entry != nullptr ? first_word(entry->tooltip) : QString());
        QFont f = button->font();
        f.setPixelSize(std::max(layout.button_height / 3, 6));
        button->setFont(f);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
    // Ids without a handler are shown disabled.
    button->setEnabled(HasCommandHandler(command));
    QObject::connect(button, &QToolButton::clicked, button,
                     [command] { RunCommandHandler(command); });
    return button;
}

}  // namespace

const PaletteData& PaletteTables() {
    if (!g_tables) {
        const std::string folder = palette_folder();
        g_tables = std::make_unique<PaletteData>(
            ReadPaletteData(folder + "/handlers.txt", folder + "/palettes.txt"));
    }
    return *g_tables;
}

void UsePaletteFolder(const std::string& folder) {
    g_folder = folder;
    g_tables.reset();
    g_icons.clear();
    if (!folder.empty()) PaletteTables();
}

int32_t LoadedPaletteId() { return g_loaded; }
const std::vector<QToolButton*>& PaletteButtons() { return g_buttons; }
const std::vector<uint32_t>& PaletteButtonStyles() { return g_styles; }

// Contract: reads the palette tables and the icon strips; rebuilds the buttons of the toolbar
// PaletteToolbarWnd (when there is one) in two rows, the first ending after slot 26 (whose style
// word gets the wrap state and 0x32), and writes the style words. Writes no id word.
bool LoadPaletteButtons(int32_t id) {
    const PaletteData& tables = PaletteTables();
    const auto found = tables.palettes.find(id);
    if (found == tables.palettes.end()) return false;
    const PaletteLayout& layout = found->second;
    g_loaded = id;
    g_buttons.assign(layout.buttons.size(), nullptr);
    g_styles.assign(layout.buttons.size(), 0);
    if (layout.buttons.size() >= static_cast<std::size_t>(kFirstRowSlots)) {
        g_styles[kFirstRowSlots - 1] |= kStateWrap | 0x32u;
    }

    auto* bar = qobject_cast<QToolBar*>(PaletteToolbarWnd);
    if (bar == nullptr) return true;
    bar->setUpdatesEnabled(false);
    // The old buttons go with their container; the toolbar's action for it goes too.
    bar->clear();
    delete g_container.data();
    auto* container = new QWidget(bar);
    container->setObjectName(QStringLiteral("PaletteButtons"));
    auto* rows = new QVBoxLayout(container);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    QHBoxLayout* row = nullptr;
    const std::vector<QIcon>& icons = icons_of(layout);
    std::size_t image = 0;
    for (std::size_t slot = 0; slot < layout.buttons.size(); ++slot) {
        if (row == nullptr) {
            row = new QHBoxLayout;
            row->setSpacing(0);
            rows->addLayout(row);
        }
        const int32_t command = layout.buttons[slot];
        if (command == 0) {
            auto* line = new QFrame(container);
            line->setFrameShape(QFrame::VLine);
            line->setFixedSize(6, layout.button_height);
            row->addWidget(line);
        } else {
            const QIcon* icon = image < icons.size() ? &icons[image] : nullptr;
            ++image;
            g_buttons[slot] = make_button(container, layout, command, icon);
            row->addWidget(g_buttons[slot]);
        }
        if ((g_styles[slot] & kStateWrap) != 0) {
            row->addStretch(1);
            row = nullptr;
        }
    }
    if (row != nullptr) row->addStretch(1);
    bar->addWidget(container);
    g_container = container;
    bar->setUpdatesEnabled(true);
    return true;
}

void SetPaletteButtonStyles(const uint8_t* codes, int count) {
    QButtonGroup* group = nullptr;
    for (int i = 0; i < count && i < static_cast<int>(g_styles.size()); ++i) {
        const uint8_t code = codes[i];
        if (code != 1 && code != 2) continue;
        g_styles[static_cast<std::size_t>(i)] |= code == 1 ? kStyleCheckBox : kStyleCheckGroup;
        QToolButton* button = g_buttons[static_cast<std::size_t>(i)];
        if (button == nullptr) continue;
        button->setCheckable(true);
        if (code == 2) {
            // One exclusive group: the chosen button stays down until another is chosen.
            if (group == nullptr) group = new QButtonGroup(button->parent());
            group->addButton(button);
        }
    }
}

namespace {

// Steps 1-3 of a switch, and the load; the id words change only when the palette loads.
bool switch_to(int32_t id) {
    const int32_t target = id == 0 ? PreviousPaletteId : id;
    if (!LoadPaletteButtons(target)) return false;
    PreviousPaletteId = CurrentPaletteId != 0 ? CurrentPaletteId : id;
    CurrentPaletteId = target;
    return true;
}

// Shown also when the user had hidden the bar through "Input Tools" (its flag stays).
void show_toolbar() {
    if (PaletteToolbarWnd != nullptr) PaletteToolbarWnd->setVisible(true);
}

}  // namespace

// Contract: writes CurrentPaletteId, PreviousPaletteId, GroupEditFlag (0 for 134) and the
// toolbar's buttons; an id without a palette changes nothing.
void ShowPalette(int32_t id) {
    if (!switch_to(id)) return;
    if (CurrentPaletteId == core::kGeneralPalette) core::GroupEditFlag = 0;
    if (CurrentPaletteId == 200) {
        std::array<uint8_t, 20> codes{};
        codes.fill(2);
        SetPaletteButtonStyles(codes.data(), static_cast<int>(codes.size()));
    }
    show_toolbar();
}

void LoadPaletteToolbar(int32_t id) {
    if (switch_to(id)) show_toolbar();
}

// Contract: reads CurrentPaletteId; shows the chosen palette with ShowPalette. The 172 row
// matches every group; a group above 100 that no row matched is shown as a palette id.
int SwitchPaletteVariant(int mode, int32_t group) {
    struct Variants {
        int32_t group;  // 0: every group
        int32_t base;
        int32_t left;
        int32_t right;
    };
    static constexpr std::array<Variants, 8> kVariants = {{
        {4, 161, 223, 224},
        {0, 172, 268, 269},
        {5, 162, 220, 221},
        {6, 175, 225, 226},
        {6, 176, 271, 270},
        {7, 190, 249, 250},
        {8, 202, 251, 252},
        {9, 198, 253, 254},
    }};
    int32_t target = group;
    if (mode == 0 || mode == 1) {
        for (const Variants& v : kVariants) {
            if (v.group != 0 && v.group != group) continue;
            const int32_t mine = mode == 0 ? v.left : v.right;
            const int32_t other = mode == 0 ? v.right : v.left;
            if (CurrentPaletteId == mine) {
                ShowPalette(v.base);
                return 0;
            }
            if (CurrentPaletteId == v.base || CurrentPaletteId == other) target = mine;
        }
    }
    if (target > 100) ShowPalette(target);
    return 0;
}

void ResetPaletteState() {
    CurrentPaletteId = 0;
    PreviousPaletteId = 0;
    g_loaded = 0;
    g_buttons.clear();
    g_styles.clear();
}

}  // namespace frontend
