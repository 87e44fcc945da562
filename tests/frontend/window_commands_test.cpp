// The window's own commands and keys, through the menus and keys a user has: the painting
// commands (filled shapes, the five colours, the font test), printing and its preview, loading
// a stored display, the focus in the input line, the message line's breaks, keypad Enter.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <cstring>

#include "engine/core/bridge/command_line.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/app/command_bar.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/keys.h"
#include "frontend/bridge/services.h"
#include "frontend/view/frames.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/app_fixture.h"
#include "tests/support/test_files.h"

using namespace frontend;
namespace fs = std::filesystem;

namespace {

class WindowCommandsTest : public AppTest {
  protected:
    CMainFrame& frame_with_page() {
        CMainFrame& f = make_frame();
        f.OnFileNew();
        f.show();
        return f;
    }
    static void enter(CMainFrame& f, const QString& line) {
        type(f.CommandBar()->InputEdit(), line);
        press(f.CommandBar()->InputEdit(), Qt::Key_Return, QStringLiteral("\r"));
    }
};

}  // namespace

TEST_F(WindowCommandsTest, FilledShapesToggleFollowsTheMenuCheckMark) {
    CMainFrame& f = frame_with_page();
    QAction* filled = f.CommandAction(kCmdFilledPaths);
    ASSERT_NE(filled, nullptr);
    ASSERT_TRUE(filled->isCheckable());
    const int32_t before = FilledPathsMode;
    EXPECT_EQ(filled->isChecked(), before != 0);
    filled->trigger();
    EXPECT_EQ(FilledPathsMode != 0, before == 0);
    EXPECT_EQ(filled->isChecked(), FilledPathsMode != 0);
    filled->trigger();
    EXPECT_EQ(FilledPathsMode, before);
    EXPECT_EQ(filled->isChecked(), before != 0);
}

TEST_F(WindowCommandsTest, EachColourCommandSetsItsColourAndCancelKeepsIt) {
    CMainFrame& f = frame_with_page();
    const struct {
        int id;
        ColorRef* colour;
    } cases[] = {{kCmdSelectionColor, &SelectionColor},
                 {kCmdFillColor, &FillColor},
                 {kCmdTextColor, &TextColor},
                 {kCmdDefaultColor, &DefaultColor},
                 {kCmdBackground, &BackgroundColor}};
    uint32_t offered = 0;
    bool ok = true;
    ServiceDialogHooks().choose_colour = [&](uint32_t initial, uint32_t& chosen) {
        offered = initial;
        chosen = 0x00123456;
        return ok;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        QAction* a = f.CommandAction(c.id);
        ASSERT_NE(a, nullptr);
        *c.colour = 0x00010203;
        ok = false;  // Cancel
        a->trigger();
        EXPECT_EQ(*c.colour, 0x00010203u);
        ok = true;
        a->trigger();
        EXPECT_EQ(offered, 0x00010203u);  // the dialog opens on the current colour
        EXPECT_EQ(*c.colour, 0x00123456u);
    }
}

// The font test takes the chosen size and face, not its weight, and draws its sample at
// (200, 200) of the view in the selection colour.
TEST_F(WindowCommandsTest, FontTestTakesSizeAndFaceAndDrawsTheSample) {
    CMainFrame& f = frame_with_page();
    f.ActiveChild()->resize(700, 500);
    SelectionColor = 0x000000FF;  // red
    FontTestLogFont.weight = 400;
    ServiceDialogHooks().choose_font = [](QFont& font) {
        font = QFont(QStringLiteral("Nimbus Sans"), 30, QFont::Bold);
        return true;
    };
    QAction* a = f.CommandAction(kCmdFontTest);
    ASSERT_NE(a, nullptr);
    a->trigger();
    EXPECT_EQ(FontTestLogFont.face, "Nimbus Sans");
    EXPECT_EQ(FontTestLogFont.height, -417);  // 30 points in thousandths of an inch
    EXPECT_EQ(FontTestLogFont.weight, 400);   // not copied
    const QImage shot = f.ActiveChild()->View()->viewport()->grab().toImage();
    int red = 0;
    for (int y = 150; y < 205 && y < shot.height(); ++y)
        for (int x = 200; x < 400 && x < shot.width(); ++x)
            if (shot.pixelColor(x, y) == QColor(255, 0, 0)) ++red;
    EXPECT_GT(red, 20);
    // Drawn once: the next repaint wipes it.
    const QImage again = f.ActiveChild()->View()->viewport()->grab().toImage();
    int left = 0;
    for (int y = 150; y < 205 && y < again.height(); ++y)
        for (int x = 200; x < 400 && x < again.width(); ++x)
            if (again.pixelColor(x, y) == QColor(255, 0, 0)) ++left;
    EXPECT_EQ(left, 0);
}

TEST_F(WindowCommandsTest, PrintRunsTheEnginesPrintCommandAndPreviewEndsItsModes) {
    CMainFrame& f = frame_with_page();
    QAction* print = f.CommandAction(kCmdFilePrint);
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->shortcut(), QKeySequence(QKeySequence::Print));
    print->trigger();
    EXPECT_TRUE(core::SecondLine.starts_with("PR")) << core::SecondLine.trimmed();

    QAction* preview = f.CommandAction(kCmdPrintPreview);
    ASSERT_NE(preview, nullptr);
    uint8_t during = 0;
    answer_next_dialog([&during](QDialog& d) {
        during = PreviewActive;
        d.reject();
    });
    preview->trigger();
    EXPECT_EQ(during, 1);
    EXPECT_EQ(PreviewActive, 0);
    EXPECT_EQ(PrintLayoutActive, 0);
}

// A stored display: the "*.vec" file's words and the "text" file's bytes (line feeds as zero
// bytes); a file of exactly the list's words loads whole, one word more is cut and told.
TEST_F(WindowCommandsTest, LoadDisplayBufferReadsTheListsUpToTheirSize) {
    CMainFrame& f = frame_with_page();
    ASSERT_NE(f.CommandAction(kCmdLoadDisplayBuffer), nullptr);
    const fs::path vec = dir_ / "page.vec";
    std::vector<int32_t> words = {100, 200, 0x01000000, 300, 400, 0};
    auto write_words = [&](const std::vector<int32_t>& w) {
        std::string bytes(w.size() * 4, '\0');
        std::memcpy(bytes.data(), w.data(), bytes.size());
        write_text(vec, bytes);
    };
    write_words(words);
    write_text(dir_ / "text", "abc\ndef\n");
    QString asked;
    ServiceDialogHooks().open_file = [&](const QString& title, const QString& filter) {
        asked = filter;
        return QString::fromStdString(vec.string());
    };
    f.CommandAction(kCmdLoadDisplayBuffer)->trigger();
    EXPECT_NE(asked.indexOf(QStringLiteral("*.vec")), -1);
    EXPECT_EQ(GraphicsListLength, 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(GraphicsList[static_cast<std::size_t>(i)], words[i]);
    EXPECT_EQ(TextDisplayStreamLength, 8);
    EXPECT_EQ(std::memcmp(TextDisplayStreamCopy.data(), "abc\0def\0", 8), 0);

    words.assign(kGraphicsListWords, 7);
    write_words(words);
    f.CommandAction(kCmdLoadDisplayBuffer)->trigger();
    EXPECT_EQ(GraphicsListLength, kGraphicsListWords);
    EXPECT_EQ(f.CommandBar()->MessageText().indexOf(QStringLiteral("Only the first")), -1);
    words.push_back(8);
    write_words(words);
    f.CommandAction(kCmdLoadDisplayBuffer)->trigger();
    EXPECT_EQ(GraphicsListLength, kGraphicsListWords);
    EXPECT_EQ(GraphicsList[kGraphicsListWords - 1], 7);
    EXPECT_NE(f.CommandBar()->MessageText().indexOf(QStringLiteral("Only the first")), -1);

    // Cancel changes nothing.
    ServiceDialogHooks().open_file = [](const QString&, const QString&) { return QString(); };
    GraphicsListLength = 3;
    f.CommandAction(kCmdLoadDisplayBuffer)->trigger();
    EXPECT_EQ(GraphicsListLength, 3);
}

// The input line has the focus when a window opens and after every command, wherever the user
// clicked before.
TEST_F(WindowCommandsTest, TheInputLineKeepsTheFocusAfterEveryCommand) {
    CMainFrame& f = frame_with_page();
    f.activateWindow();
    QWidget* input = f.CommandBar()->InputEdit();
    for (int k = 0; k < 50 && QApplication::focusWidget() != input; ++k) run_events(10);
    EXPECT_EQ(QApplication::focusWidget(), input)
        << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                        : "none");
    f.findChild<QComboBox*>()->setFocus();
    ASSERT_NE(QApplication::focusWidget(), input);
    enter(f, QStringLiteral("8 1 0"));
    EXPECT_EQ(QApplication::focusWidget(), input);
    f.findChild<QComboBox*>()->setFocus();
    SendCommand("X");  // a palette button's command
    EXPECT_EQ(QApplication::focusWidget(), input);
}

// "||" in an engine message is a line break in the message line.
TEST_F(WindowCommandsTest, TheMessageLineBreaksAtDoubleBars) {
    CMainFrame& f = frame_with_page();
    f.CommandBar()->SetMessageText(QStringLiteral("*** first part||    second part"));
    const QString shown = f.CommandBar()->MessageEdit()->toPlainText();
    EXPECT_EQ(shown, QStringLiteral("*** first part\n    second part"));
    // From an engine command as typed.
    enter(f, QStringLiteral("REDO"));
    EXPECT_EQ(f.CommandBar()->MessageEdit()->toPlainText().indexOf(QStringLiteral("||")), -1);
}

// The keypad's Enter runs nothing, also when the window system gives it the main Enter's key
// and no keypad modifier (only its key number tells it apart), and also while the engine takes
// the typed keys one by one (key mode, as after every command); the main Enter runs the line.
TEST_F(WindowCommandsTest, KeypadEnterByItsKeyNumberRunsNoLine) {
    CMainFrame& f = frame_with_page();
    enter(f, QStringLiteral("EI"));
    QWidget* input = f.CommandBar()->InputEdit();
    const int32_t items = core::ItemCount;
    type(input, QStringLiteral("8 1 0"));
    QKeyEvent keypad(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, 104, 0x0D, 0,
                     QStringLiteral("\r"));
    EXPECT_EQ(TranslateKey(keypad).flags, 0x11C);
    EXPECT_EQ(core::ItemCount, items) << "typed only";
    QCoreApplication::sendEvent(input, &keypad);
    EXPECT_EQ(EnterKeyHit, 0);
    EXPECT_EQ(core::ItemCount, items);
    // A held main Enter runs nothing either.
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, 36, 0x0D, 0,
                   QStringLiteral("\r"), true);
    QCoreApplication::sendEvent(input, &held);
    EXPECT_EQ(core::ItemCount, items);
    f.CommandBar()->SetInputText(QStringLiteral("8 1 0"), 5, 5);
    QKeyEvent main_enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, 36, 0x0D, 0,
                         QStringLiteral("\r"));
    QCoreApplication::sendEvent(input, &main_enter);
    EXPECT_EQ(core::ItemCount, items + 1);
}

// "IN 1" on a page of four staves: the view shows staff 1, not the empty room below it.
TEST_F(WindowCommandsTest, InputModeKeepsTheTypedStaffInView) {
    CMainFrame& f = frame_with_page();
    f.resize(900, 700);
    f.ActiveChild()->showMaximized();
    enter(f, QStringLiteral("EI"));
    for (const char* line : {"8 1 0", "8 2 0", "8 3 0", "8 4 0"}) enter(f, QString::fromLatin1(line));
    COrmestView* view = f.ActiveChild()->View();
    // The first question of IN is the input space; Escape leaves the mode.
    answer_next_dialog([](QDialog& d) { d.reject(); });
    enter(f, QStringLiteral("IN 1"));
    // The middle line of staff 1 as the screen lists hold it, then as the view paints it.
    const auto& staves = layout::StaffTables;
    const int64_t y = staves.StaffBaseY(1) + static_cast<int64_t>(4 * 7 * staves.StaffScale(1)) -
                      render::ViewOrigin.y;
    const QPoint device =
        view->PageToDevice(QPoint(0, static_cast<int32_t>((y * DisplayScale + 128) >> 8)));
    EXPECT_TRUE(device.y() >= 0 && device.y() < view->viewport()->height())
        << device.y() << " of " << view->viewport()->height();
}

// "INZ" from the palette's Input button on a page of two staves: the message line asks for the
// staff, the page stays as saved while nothing is typed, and Escape leaves the question as "X"
// does (no input space asked, no staff taken).
TEST_F(WindowCommandsTest, InzFromThePaletteAsksForItsStaffAndEscapeLeaves) {
    CMainFrame& f = frame_with_page();
    enter(f, QStringLiteral("EI"));
    for (const char* line : {"8 1 0", "8 2 0"}) enter(f, QString::fromLatin1(line));
    enter(f, QStringLiteral("X"));
    ASSERT_EQ(core::EditedItemNumber, 0);
    ASSERT_EQ(core::ItemCount, 2);
    core::ChangesMadeFlag = 0;  // as after a save
    int dialogs = 0;
    answer_next_dialog([&dialogs](QDialog& d) {
        ++dialogs;
        d.reject();
    });
    SendCommand("INZ   ");
    EXPECT_EQ(f.CommandBar()->MessageText().trimmed().toStdString(),
              "Click on Staff for input.  X = exit.");
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_EQ(core::PendingBoxOperation, 8);
    press(f.CommandBar()->InputEdit(), Qt::Key_Escape, QStringLiteral("\x1b"));
    run_events(50);
    EXPECT_EQ(dialogs, 0) << "Escape opened a dialog";
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_EQ(input::InputModeActive, 0);
}
