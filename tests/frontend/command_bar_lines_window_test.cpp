// Lines typed into the command bar as a user types them, one key at a time into the window that
// has the keyboard, with clicks into the bar: a box that closes leaves no line that already ran
// in the bar, so the next line runs as typed wherever the bar was clicked; and a selection in
// the bar is replaced by what is typed over it, or removed by Backspace or Delete, in the
// engine's copy of the line as in the bar.
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextCursor>
#include <QWindow>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "tests/frontend/box_drag_window_fixture.h"

using namespace box_drag_window;
namespace fs = std::filesystem;

namespace {

// Types keys into the window that has the keyboard: "\r" Enter, "\b" Backspace, "\x7f" Delete,
// "\x01" Ctrl+A. False when no window has it.
bool type_to_keyboard(const QString& keys) {
    for (const QChar c : keys) {
        QWindow* w = QGuiApplication::focusWindow();
        if (w == nullptr) return false;
        int key = Qt::Key_Space;
        Qt::KeyboardModifiers mods = Qt::NoModifier;
        QString text(c);
        if (c == QLatin1Char('\r')) {
            key = Qt::Key_Return;
        } else if (c == QLatin1Char('\b')) {
            key = Qt::Key_Backspace;
        } else if (c == QChar(0x7f)) {
            key = Qt::Key_Delete;
        } else if (c == QChar(1)) {
            key = Qt::Key_A;
            mods = Qt::ControlModifier;
        } else if (c.isLetter()) {
            key = Qt::Key_A + (c.toUpper().unicode() - 'A');
            if (c.isUpper()) mods = Qt::ShiftModifier;
        } else if (c.isDigit()) {
            key = Qt::Key_0 + (c.unicode() - '0');
        } else if (c == QLatin1Char('.')) {
            key = Qt::Key_Period;
        } else if (c == QLatin1Char('=')) {
            key = Qt::Key_Equal;
        } else if (c == QLatin1Char(';')) {
            key = Qt::Key_Semicolon;
        } else if (c == QLatin1Char('+')) {
            key = Qt::Key_Plus;
        }
        QKeyEvent down(QEvent::KeyPress, key, mods, text);
        QCoreApplication::sendEvent(w, &down);
        QKeyEvent up(QEvent::KeyRelease, key, mods, text);
        QCoreApplication::sendEvent(w, &up);
    }
    return true;
}

void settle() {
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Where the bar is clicked.
enum class Click { FirstLineStart, FirstLineEnd, SecondLine };

struct LeavingCase {
    const char* name;
    Click click;
    bool close_by_enter;  // else the box's OK is clicked
};

void PrintTo(const LeavingCase& c, std::ostream* os) { *os << c.name; }

// A staff and two notes.
const std::vector<std::vector<float>> kStaffAndTwoNotes = {
    {8, 1, 0}, {1, 1, 10, 5, 10, 0, 1}, {1, 1, 100, 5, 10, 0, 1}};

class CommandBarLinesTest : public BoxDragWindowTest {
  protected:
    std::vector<std::vector<float>> page() const override { return kStaffAndTwoNotes; }
    void SetUp() override {
        BoxDragWindowTest::SetUp();
        frame_->activateWindow();
        const QDeadlineTimer deadline(10000);
        while (QGuiApplication::focusWindow() != frame_->windowHandle() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_EQ(QGuiApplication::focusWindow(), frame_->windowHandle());
    }
    CCommandEdit* bar_edit() const { return frame_->CommandBar()->InputEdit(); }
    // A click of the mouse into the bar's input edit.
    void click_bar(Click where) {
        QWidget* port = bar_edit()->viewport();
        const int line = bar_edit()->fontMetrics().lineSpacing();
        const int top = static_cast<int>(bar_edit()->document()->documentMargin());
        const QPoint at = where == Click::FirstLineStart ? QPoint(1, top + line / 2)
                          : where == Click::FirstLineEnd
                              ? QPoint(port->width() - 2, top + line / 2)
                              : QPoint(port->width() / 2, top + line + line / 2);
        click_at(port, at);
    }
    static void click_at(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, mods);
        QCoreApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, mods);
        QCoreApplication::sendEvent(w, &release);
    }
    // Types keys into the window that has the keyboard; a box or a wait that the case leaves
    // unanswered fails it after 5 s and is ended, so that nothing waits for ever.
    bool type_keys(const QString& keys) {
        QTimer guard;
        guard.setInterval(5000);
        QObject::connect(&guard, &QTimer::timeout, [this, keys] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                std::string texts;
                for (const QLabel* l : w->findChildren<QLabel*>()) texts += l->text().toStdString();
                ADD_FAILURE() << "unanswered box after " << keys.toStdString() << ": " << texts;
                if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
            } else if (frontend::InputEventFlags.LineWaitArmed == 1 ||
                       frontend::InputEventFlags.KeyWaitArmed == 1) {
                ADD_FAILURE() << "unanswered wait after " << keys.toStdString() << ": " << reply();
                frontend::DeferCloseWhileEngineBusy(frame_.get());
            }
        });
        guard.start();
        return type_to_keyboard(keys);
    }
    std::string bar_text() const { return frame_->CommandBar()->InputText().toStdString(); }
    std::string engine_line() const {
        return std::string(core::CommandLine.sub(1, std::max(core::LineEditorLength, 0)));
    }
};

class LeavingGroupEditTest : public CommandBarLinesTest,
                             public ::testing::WithParamInterface<LeavingCase> {};

// "IFX" run in a dragged box, then "X" typed into the clicked bar ends it with "Leaving Group
// Edit."; the line typed next into the clicked bar runs as typed.
TEST_P(LeavingGroupEditTest, TheLineAfterTheBoxRunsAsTyped) {
    const LeavingCase c = GetParam();
    type_line(QStringLiteral("IFX P1=1;P4=P4+2"));
    Answers answers;
    answers.dialog([](QDialog& d) {
        QWidget* keys = d.focusWidget() != nullptr ? d.focusWidget() : &d;
        press(keys, Qt::Key_Y, QStringLiteral("y"));
    });
    drag(source_from(), source_to(), &answers);
    ASSERT_EQ(params_of(1, 1, 4), (std::vector<float>{7, 5})) << reply();

    std::string shown;
    std::string bar_while_up;
    answer_next_dialog([&](QDialog& d) {
        for (const QLabel* l : d.findChildren<QLabel*>()) shown += l->text().toStdString();
        bar_while_up = bar_text();
        if (c.close_by_enter) {
            // The Enter goes where the keyboard is: the box must have it first.
            const QDeadlineTimer deadline(10000);
            while (QGuiApplication::focusWindow() != d.windowHandle() && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (QGuiApplication::focusWindow() != d.windowHandle()) {
                ADD_FAILURE() << "the box never had the keyboard";
                d.reject();
                return;
            }
            type_to_keyboard(QStringLiteral("\r"));
        } else if (auto* box = qobject_cast<QMessageBox*>(&d)) {
            box->button(QMessageBox::Ok)->click();
        } else {
            d.accept();
        }
    });
    click_bar(c.click);
    ASSERT_EQ(QApplication::focusWidget(), bar_edit());
    ASSERT_TRUE(type_keys(QStringLiteral("X\r")));
    settle();
    EXPECT_NE(shown.find("Leaving Group Edit."), std::string::npos) << shown;
    EXPECT_EQ(bar_while_up, "");
    ASSERT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(bar_text(), "");

    click_bar(c.click);
    ASSERT_TRUE(type_keys(QStringLiteral("SA i.mus\r")));
    settle();
    EXPECT_TRUE(fs::exists(dir_ / "i.mus")) << reply();
    EXPECT_EQ(bar_text(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Bar, LeavingGroupEditTest,
    ::testing::Values(LeavingCase{"FirstLineStart", Click::FirstLineStart, true},
                      LeavingCase{"FirstLineEnd", Click::FirstLineEnd, true},
                      LeavingCase{"SecondLine", Click::SecondLine, true},
                      LeavingCase{"ClosedByOk", Click::FirstLineEnd, false}),
    [](const ::testing::TestParamInfo<LeavingCase>& i) { return std::string(i.param.name); });

// A selection in the bar and the keys typed over it.
struct SelectionCase {
    const char* name;
    const char* typed;  // typed first
    int select_from;    // then the mouse selects from this character to select_to
    int select_to;      // (-1: Ctrl+A selects the line)
    const char* over;   // typed over the selection
    const char* shown;  // the bar and the engine's line then
    const char* file;   // then Enter: the file the line writes
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }

class SelectionTest : public CommandBarLinesTest,
                      public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(SelectionTest, TypingReplacesTheSelectionInTheEnginesLine) {
    const SelectionCase c = GetParam();
    click_bar(Click::FirstLineStart);
    // After a command the engine edits the next line in its own copy (key mode).
    ASSERT_TRUE(type_keys(QStringLiteral("8 2 0\r")));
    ASSERT_EQ(core::ItemCount, 4);
    ASSERT_TRUE(type_keys(QString::fromLatin1(c.typed)));
    ASSERT_EQ(bar_text(), c.typed);
    ASSERT_EQ(engine_line(), c.typed) << "the engine does not edit the line in key mode";
    if (c.select_to < 0) {
        ASSERT_TRUE(type_keys(QString(QChar(1))));
    } else {
        // A drag of the mouse from one character's place to another's.
        QWidget* port = bar_edit()->viewport();
        QTextCursor at(bar_edit()->document());
        at.setPosition(c.select_from);
        const QPoint from = bar_edit()->cursorRect(at).center();
        at.setPosition(c.select_to);
        const QPoint to = bar_edit()->cursorRect(at).center();
        QMouseEvent press(QEvent::MouseButtonPress, from, port->mapToGlobal(from), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(port, &press);
        QMouseEvent move(QEvent::MouseMove, to, port->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(port, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, port->mapToGlobal(to), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(port, &release);
    }
    ASSERT_TRUE(type_keys(QString::fromLatin1(c.over)));
    EXPECT_EQ(bar_text(), c.shown);
    EXPECT_EQ(engine_line(), c.shown);
    ASSERT_TRUE(type_keys(QStringLiteral("\r")));
    settle();
    EXPECT_TRUE(fs::exists(dir_ / c.file)) << reply();
}

INSTANTIATE_TEST_SUITE_P(
    Bar, SelectionTest,
    ::testing::Values(
        SelectionCase{"CtrlATyped", "junk words", 0, -1, "SA d.mus", "SA d.mus", "d.mus"},
        SelectionCase{"CtrlABackspace", "junk words", 0, -1, "\bSA e.mus", "SA e.mus", "e.mus"},
        SelectionCase{"CtrlADelete", "junk words", 0, -1, "\x7fSA f.mus", "SA f.mus", "f.mus"},
        // The first characters selected, Backspace; the last ones, typed over.
        SelectionCase{"HeadBackspace", "xySA g.mus", 0, 2, "\b", "SA g.mus", "g.mus"},
        SelectionCase{"TailTyped", "SA h.txt", 5, 8, "mus", "SA h.mus", "h.mus"},
        // One character selected in the middle; a caret clicked into the line takes the next
        // character where it stands.
        SelectionCase{"OneCharacter", "SA jXmus", 4, 5, ".", "SA j.mus", "j.mus"},
        SelectionCase{"ClickedCaret", "SA kmus", 4, 4, ".", "SA k.mus", "k.mus"}),
    [](const ::testing::TestParamInfo<SelectionCase>& i) { return std::string(i.param.name); });

}  // namespace
