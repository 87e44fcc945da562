// The palette toolbar: switching palettes, the variants, the button styles and the buttons
// themselves, on a small palette folder of the test's own.
#include <QButtonGroup>
#include <QImage>
#include <QPainter>
#include <QToolButton>

#include "tests/frontend/palette_fixture.h"

using namespace frontend;

namespace {

TEST_F(PaletteTest, ShowPaletteZeroFlipsBetweenTheLastTwo) {
    ShowPalette(0);  // nothing before it: nothing to show, the words stay 0
    EXPECT_EQ(LoadedPaletteId(), 0);
    EXPECT_EQ(CurrentPaletteId, 0);
    EXPECT_EQ(PreviousPaletteId, 0);
    ShowPalette(161);
    EXPECT_EQ(PreviousPaletteId, 161);  // the first switch: its own id
    ShowPalette(176);
    ShowPalette(0);
    EXPECT_EQ(CurrentPaletteId, 161);
    EXPECT_EQ(LoadedPaletteId(), 161);
    EXPECT_EQ(PreviousPaletteId, 176);
    ShowPalette(0);
    EXPECT_EQ(CurrentPaletteId, 176);
    EXPECT_EQ(LoadedPaletteId(), 176);
    EXPECT_EQ(PreviousPaletteId, 161);
}

TEST_F(PaletteTest, APaletteThatFailsToLoadChangesNothing) {
    ShowPalette(161);
    ShowPalette(176);
    const std::vector<QToolButton*> shown = PaletteButtons();
    ShowPalette(261);
    EXPECT_EQ(CurrentPaletteId, 176);
    EXPECT_EQ(PreviousPaletteId, 161);
    EXPECT_EQ(LoadedPaletteId(), 176);
    EXPECT_EQ(PaletteButtons(), shown);
    // The shown buttons are still alive, in the toolbar's button container.
    EXPECT_EQ(shown[0]->parentWidget()->objectName(), QStringLiteral("PaletteButtons"));
    LoadPaletteToolbar(261);
    EXPECT_EQ(CurrentPaletteId, 176);
    EXPECT_EQ(PreviousPaletteId, 161);
    // "Brackets etc." still chooses by the palette that is really shown.
    ASSERT_TRUE(RunCommandHandler(33012));
    EXPECT_EQ(sent_, std::vector<std::string>{"QQ269 "});
}

TEST_F(PaletteTest, VariantSwitches) {
    ShowPalette(161);
    SwitchPaletteVariant(0, 4);
    EXPECT_EQ(CurrentPaletteId, 223);
    SwitchPaletteVariant(0, 4);
    EXPECT_EQ(CurrentPaletteId, 161);
    ShowPalette(224);
    SwitchPaletteVariant(0, 4);
    EXPECT_EQ(CurrentPaletteId, 223);
    SwitchPaletteVariant(1, 4);
    EXPECT_EQ(CurrentPaletteId, 224);

    ShowPalette(176);
    SwitchPaletteVariant(1, 6);
    EXPECT_EQ(CurrentPaletteId, 270);
    SwitchPaletteVariant(1, 6);
    EXPECT_EQ(CurrentPaletteId, 176);

    // The brackets row answers every group.
    ShowPalette(172);
    SwitchPaletteVariant(1, 9);
    EXPECT_EQ(CurrentPaletteId, 269);

    ShowPalette(134);
    SwitchPaletteVariant(0, 5);
    EXPECT_EQ(CurrentPaletteId, 134);
    SwitchPaletteVariant(2, 161);  // no such mode: the id is shown directly
    EXPECT_EQ(CurrentPaletteId, 161);
    ShowPalette(134);
    SwitchPaletteVariant(0, 100);  // not above 100: nothing
    EXPECT_EQ(CurrentPaletteId, 134);
    SwitchPaletteVariant(0, 200);
    EXPECT_EQ(CurrentPaletteId, 200);
    EXPECT_EQ(LoadedPaletteId(), 200);
}

TEST_F(PaletteTest, SliderPaletteHasOneCheckGroupOfTwenty) {
    ShowPalette(200);
    const auto& styles = PaletteButtonStyles();
    const auto& buttons = PaletteButtons();
    ASSERT_EQ(buttons.size(), 22u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(styles[i] & 0xFFFF & kStyleCheckGroup, kStyleCheckGroup) << i;
        EXPECT_TRUE(buttons[i]->isCheckable()) << i;
    }
    EXPECT_EQ(styles[20] & kStyleCheckGroup, 0u);
    EXPECT_FALSE(buttons[20]->isCheckable());
    QButtonGroup* group = buttons[0]->group();
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->exclusive());
    EXPECT_EQ(group->buttons().size(), 20);
    buttons[3]->click();
    buttons[19]->click();
    EXPECT_FALSE(buttons[3]->isChecked());
    EXPECT_TRUE(buttons[19]->isChecked());

    // The next palette loads with its own styles; loading 200 for the engine has no group.
    ShowPalette(161);
    for (QToolButton* b : PaletteButtons()) EXPECT_FALSE(b->isCheckable());
    LoadPaletteToolbar(200);
    EXPECT_FALSE(PaletteButtons()[0]->isCheckable());
}

TEST_F(PaletteTest, MainPaletteClearsGroupEditOnlyWhenShown) {
    core::GroupEditFlag = -1;
    LoadPaletteToolbar(134);
    EXPECT_EQ(core::GroupEditFlag, -1);
    ShowPalette(134);
    EXPECT_EQ(core::GroupEditFlag, 0);
    ShowPalette(161);
    core::GroupEditFlag = -1;
    ShowPalette(0);  // back to 134 through the previous id
    EXPECT_EQ(core::GroupEditFlag, 0);
}

TEST_F(PaletteTest, FirstRowEndsAfterTwentySixSlots) {
    ShowPalette(134);
    const auto& styles = PaletteButtonStyles();
    ASSERT_EQ(styles.size(), 30u);
    EXPECT_EQ(styles[25], kStateWrap | 0x32u);
    EXPECT_EQ(styles[24] & kStateWrap, 0u);
    EXPECT_EQ(styles[26] & kStateWrap, 0u);
    bar_widget_->adjustSize();
    bar_widget_->show();
    const auto& b = PaletteButtons();
    EXPECT_EQ(b[3], nullptr);  // the separator
    EXPECT_EQ(b[25]->y(), b[0]->y());
    EXPECT_GT(b[26]->y(), b[25]->y());
    EXPECT_EQ(b[29]->y(), b[26]->y());
    EXPECT_EQ(b[0]->size(), QSize(25, 24));
    // A palette shorter than a row has no wrap.
    ShowPalette(161);
    for (uint32_t s : PaletteButtonStyles()) EXPECT_EQ(s, 0u);
}

TEST_F(PaletteTest, ButtonsCarryPromptsAndHandlers) {
    ShowPalette(161);
    const auto& b = PaletteButtons();
    EXPECT_EQ(b[0]->toolTip(), QStringLiteral("Restore Basic Menu"));
    EXPECT_EQ(b[1]->statusTip(), QStringLiteral("Undo"));
    EXPECT_EQ(b[1]->toolTip(), QStringLiteral("Undo it"));
    // No strip: the tooltip's first word.
    EXPECT_EQ(b[1]->text(), QStringLiteral("Undo"));
    EXPECT_EQ(b[2]->text(), QStringLiteral("Display"));
    EXPECT_TRUE(b[0]->isEnabled());
    EXPECT_FALSE(b[3]->isEnabled());  // 33530: no handler
    b[1]->click();
    EXPECT_EQ(sent_, std::vector<std::string>{"UNDO "});
    b[0]->click();
    EXPECT_EQ(CurrentPaletteId, 134);
}

TEST_F(PaletteTest, StripImagesAreCutPerButton) {
    // Palette 222: 4 buttons of 24 x 24, the strip 96 x 24, each button its own colour.
    QImage strip(96, 24, QImage::Format_RGB32);
    const QColor colours[4] = {Qt::red, Qt::green, Qt::blue, Qt::black};
    for (int i = 0; i < 4; ++i) {
        QPainter(&strip).fillRect(i * 24, 0, 24, 24, colours[i]);
    }
    ASSERT_TRUE(strip.save(QString::fromStdString((folder_ / "icons" / "p222.png").string())));
    // A strip of the wrong size is not used.
    QImage wrong(95, 24, QImage::Format_RGB32);
    wrong.fill(Qt::red);
    ASSERT_TRUE(wrong.save(QString::fromStdString((folder_ / "icons" / "p223.png").string())));
    UsePaletteFolder(folder_.string());
    ShowPalette(222);
    const auto& b = PaletteButtons();
    for (int i = 0; i < 4; ++i) {
        ASSERT_FALSE(b[i]->icon().isNull()) << i;
        const QImage img = b[i]->icon().pixmap(24, 24).toImage();
        EXPECT_EQ(img.pixelColor(12, 12), colours[i]) << i;
        EXPECT_TRUE(b[i]->text().isEmpty());
    }
    ShowPalette(223);
    EXPECT_TRUE(PaletteButtons()[0]->icon().isNull());
    EXPECT_EQ(PaletteButtons()[0]->text(), QStringLiteral("Restore"));
}

}  // namespace
