// Dialogs behind their commands, end to end (offscreen): a command typed into the main window's
// command bar opens its dialog, a field is changed as a user would, OK or Cancel is pressed, and
// what reached the engine is checked (the items, the reply, the next command).
#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <fstream>

#include "engine/render/tables.h"
#include "frontend/app/command_bar.h"
#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;
namespace fs = std::filesystem;

namespace {

// ---- the parameter pages --------------------------------------------------------------------

TEST_F(DialogCommandTest, TheParameterPageChangesTheEditedItem) {
    type_line(QStringLiteral("NOTE RHH"));
    const int32_t note = core::ItemCount;
    ASSERT_EQ(stored_param(note, 1), 1.0f);
    ASSERT_EQ(stored_param(note, 4), 1.0f);

    // OK with the free line left empty: the new P4 is taken.
    Seen seen = type_into_dialog(QStringLiteral("PM 1"), [](QDialog& d) {
        set_field(d, 1655, QStringLiteral("3"));
        click(d, 1);
    });
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("P1 - 10"));
    type_line(QStringLiteral("X"));
    EXPECT_EQ(stored_param(note, 4), 3.0f);

    // Saved as it shows.
    type_line(QStringLiteral("SA p.mus"));
    auto words = std::make_unique<core::DocumentWords>();
    core::DocumentReadInfo info;
    ASSERT_EQ(core::read_document((dir_ / "p.mus").string(), *words, info),
              core::DocumentStatus::Ok);
    int32_t at = 1;
    for (int32_t k = 1; k < note; ++k) at += static_cast<int32_t>((*words)(at)) + 1;
    EXPECT_EQ((*words)(at + 4), 3.0f);

    // Cancel (Escape) on a second note: it keeps its P4.
    type_line(QStringLiteral("NOTE RHH"));
    const int32_t second = core::ItemCount;
    ASSERT_EQ(second, note + 1);
    seen = type_into_dialog(QStringLiteral("PM 1"), [](QDialog& d) {
        set_field(d, 1655, QStringLiteral("7"));
        press(&d, Qt::Key_Escape);
    });
    EXPECT_TRUE(seen.opened);
    type_line(QStringLiteral("X"));
    EXPECT_EQ(stored_param(second, 4), 1.0f);
    EXPECT_EQ(stored_param(note, 4), 3.0f);
}

// ---- the text viewer and the preferences ----------------------------------------------------

TEST_F(DialogCommandTest, TheTextViewersNameIsNotTheNextCommand) {
    std::ofstream(dir_ / "note.txt") << "a line of text\n";
    const int32_t before = core::ItemCount;
    const Seen seen = type_into_dialog(QStringLiteral("TYPE note.txt"), escape());
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Text File"));
    type_line(QStringLiteral("NOTE RHH"));
    ASSERT_EQ(core::ItemCount, before + 1) << reply();
    EXPECT_EQ(stored_param(core::ItemCount, 1), 1.0f);
    type_line(QStringLiteral("X"));
    type_line(QStringLiteral("PATH"));
    EXPECT_EQ(reply().find("note.txt"), std::string::npos) << reply();
}

TEST_F(DialogCommandTest, PreferencesLeaveNoMidiKeyAsTheReply) {
    for (const auto& act : {std::function<void(QDialog&)>([](QDialog& d) { click(d, 1); }),
                            escape()}) {
        const Seen seen = type_into_dialog(QStringLiteral("PREF"), act);
        EXPECT_TRUE(seen.opened);
        EXPECT_EQ(seen.title, QStringLiteral("Preferences"));
        EXPECT_EQ(reply().find("C4"), std::string::npos) << reply();
        EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    }
}

// ---- staff and system dialogs ---------------------------------------------------------------

TEST_F(DialogCommandTest, StaffSpacingMovesTheStavesAndCancelKeepsThem) {
    const int32_t second = find_item(8.0f, 2.0f);
    ASSERT_NE(second, 0);
    const std::vector<float> before = stored_item(second);

    Seen seen = type_into_dialog(QStringLiteral("STSP"), escape());
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Vertical spacing between staves"));
    EXPECT_EQ(stored_item(second), before);

    // One space for all staves.
    seen = type_into_dialog(QStringLiteral("STSP"), [](QDialog& d) {
        control<QRadioButton>(d, 1003)->click();
        set_field(d, 1585, QStringLiteral("3.0"));
        click(d, 1);
    });
    EXPECT_TRUE(seen.opened);
    EXPECT_NE(stored_item(second), before);
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(stored_item(second), before);
}

// ---- the tablature setup and the item bar ---------------------------------------------------

// Every text of a dialog fits its control at the dialog's own size.
void expect_texts_fit(QDialog& d) {
    d.adjustSize();
    for (QLabel* l : d.findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty()) continue;
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
    }
    for (QAbstractButton* b : d.findChildren<QAbstractButton*>()) {
        if (!b->isVisible()) continue;
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
    }
    for (QGroupBox* g : d.findChildren<QGroupBox*>()) {
        EXPECT_FALSE(g->title().contains(QLatin1Char('\n'))) << g->title().toStdString();
        EXPECT_GE(g->width(), g->fontMetrics().horizontalAdvance(g->title()))
            << g->title().toStdString();
    }
}

TEST_F(DialogCommandTest, TablatureSetupShowsEveryLabelWhole) {
    const Seen seen = type_into_dialog(QStringLiteral("TA"), [](QDialog& d) {
        expect_texts_fit(d);
        press(&d, Qt::Key_Escape);
    });
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Tablature setup."));
}

TEST_F(DialogCommandTest, TheItemBarDocksOnTheLeftAndThePageKeepsTheHeight) {
    CMainFrame& f = *frame_;
    f.resize(1600, 1000);
    f.OnItemBar(1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.ItemBar()->isVisible());
    EXPECT_EQ(f.dockWidgetArea(f.ItemBar()), Qt::LeftDockWidgetArea);
    EXPECT_EQ(f.dockWidgetArea(f.CommandBar()), Qt::TopDockWidgetArea);
    // The command bar keeps its own height; the page gets the rest of the window.
    EXPECT_LE(f.CommandBar()->height(), f.CommandBar()->sizeHint().height() + 8);
    const int bars = f.menuBar()->height() + f.statusBar()->height() +
                     f.PaletteToolbar()->height() + f.CommandBar()->height();
    EXPECT_GE(f.centralWidget()->height(), f.height() - bars - 40);
    EXPECT_GT(f.centralWidget()->height(), 700);
}

// ---- more staff and system dialogs ----------------------------------------------------------

TEST_F(DialogCommandTest, VerticalJustifyMovesTheStavesAndCancelKeepsThem) {
    const int32_t second = find_item(8.0f, 2.0f);
    ASSERT_NE(second, 0);
    const std::vector<float> before = stored_item(second);
    Seen seen = type_into_dialog(QStringLiteral("VJ"), escape());
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Vertical Justify"));
    EXPECT_EQ(stored_item(second), before);

    seen = type_into_dialog(QStringLiteral("VJ"), [](QDialog& d) {
        set_field(d, 1123, QStringLiteral("40"));
        click(d, 1);
    });
    EXPECT_TRUE(seen.opened);
    EXPECT_NE(stored_item(second), before) << reply();
}

TEST_F(DialogCommandTest, SeparateVoicesAndRippleBarsCancelledChangeNothing) {
    const std::vector<std::vector<float>> before = page_items();
    for (const char* word : {"SE", "RIP"}) {
        const Seen seen = type_into_dialog(QString::fromLatin1(word), escape());
        EXPECT_TRUE(seen.opened) << word;
        EXPECT_EQ(seen.title, QString::fromLatin1(word[0] == 'S' ? "Separate Voices"
                                                                   : "Ripple bars."));
        EXPECT_EQ(page_items(), before) << word;
    }
}

// ---- setup and page dialogs -----------------------------------------------------------------

TEST_F(DialogCommandTest, TablatureSetupMakesTheTabStaff) {
    const int32_t items = core::ItemCount;
    Seen seen = type_into_dialog(QStringLiteral("TA"), escape());
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(core::ItemCount, items);

    seen = type_into_dialog(QStringLiteral("TA"), [](QDialog& d) {
        set_field(d, 1145, QStringLiteral("2"));
        set_field(d, 1146, QStringLiteral("6"));
        set_field(d, 1002, QStringLiteral("1"));
        click(d, 1);
    });
    EXPECT_TRUE(seen.opened);
    EXPECT_GT(core::ItemCount, items) << reply();
    int32_t on_tab_staff = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) on_tab_staff += stored_param(k, 2) == 1.0f;
    EXPECT_GT(on_tab_staff, 1) << reply();
}

TEST_F(DialogCommandTest, PaperSizeTakesTheButtonAndEscapeNothing) {
    const int32_t format = render::PageFormatIndex;
    Seen seen = type_into_dialog(QStringLiteral("PAP"), escape());
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Paper Size"));
    EXPECT_EQ(render::PageFormatIndex, format);
    seen = type_into_dialog(QStringLiteral("PAP"), [](QDialog& d) { click(d, 1109); });
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(render::PageFormatIndex, 6);
}

// ---- output dialogs -------------------------------------------------------------------------

TEST_F(DialogCommandTest, OutputDialogsOpenAndCancelWritesNothing) {
    const struct {
        const char* word;
        const char* title;
    } cases[] = {{"PLAY", "Sound"}, {"BB", "Bounding Box Outline"}, {"PATHX", "Path List"}};
    for (const auto& c : cases) {
        const int32_t items = core::ItemCount;
        const Seen seen = type_into_dialog(QString::fromLatin1(c.word), escape());
        EXPECT_TRUE(seen.opened) << c.word;
        EXPECT_EQ(seen.title.toStdString(), c.title);
        EXPECT_EQ(core::ItemCount, items) << c.word;
    }
}

// ---- text and numbering ---------------------------------------------------------------------

TEST_F(DialogCommandTest, TextInputCancelledMakesNoText) {
    const std::vector<std::vector<float>> before = page_items();
    const Seen seen = type_into_dialog(QStringLiteral("TE 2"), escape());
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Text Input"));
    EXPECT_EQ(page_items(), before);
}

TEST_F(DialogCommandTest, MeasureNumbersCancelledChangeNothing) {
    const std::vector<std::vector<float>> before = page_items();
    const Seen seen = type_into_dialog(QStringLiteral("MN"), escape());
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Measure numbers"));
    EXPECT_EQ(page_items(), before);
}

}  // namespace
