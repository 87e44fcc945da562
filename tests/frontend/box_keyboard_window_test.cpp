// Where the keyboard goes when a box closes. A window system without a window manager (as the
// offscreen one here) gives it to no window: the keys typed next must still reach the command
// bar, so each key here goes to the window that has the keyboard, as the window system sends it.
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QWindow>
#include <string>

#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;

namespace {

class BoxKeyboardWindowTest : public DialogCommandTest {
  protected:
    void SetUp() override {
        DialogCommandTest::SetUp();
        frame_->activateWindow();
        ASSERT_TRUE(keyboard_in(frame_.get())) << "the window never had the keyboard";
        ASSERT_EQ(QApplication::focusWidget(), edit());
    }
    QWidget* edit() const { return frame_->CommandBar()->InputEdit(); }

    // Whether w's window comes to have the keyboard within 10 seconds.
    static bool keyboard_in(QWidget* w) {
        const QDeadlineTimer deadline(10000);
        while (QGuiApplication::focusWindow() != w->windowHandle() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return QGuiApplication::focusWindow() == w->windowHandle();
    }
    static std::string keyboard_window() {
        QWindow* w = QGuiApplication::focusWindow();
        return w == nullptr ? "no window" : w->objectName().toStdString();
    }
    // Types text and an Enter into the window that has the keyboard; false when none has it
    // (the keys are lost).
    static bool type_to_keyboard(const QString& text) {
        for (const QChar c : text + QLatin1Char('\r')) {
            QWindow* w = QGuiApplication::focusWindow();
            if (w == nullptr) return false;
            const int key = c == QLatin1Char('\r') ? int(Qt::Key_Return)
                            : c.isLetter()         ? Qt::Key_A + (c.toUpper().unicode() - 'A')
                            : c.isDigit()          ? Qt::Key_0 + (c.unicode() - '0')
                                                   : int(Qt::Key_Space);
            const Qt::KeyboardModifiers mods = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
            QKeyEvent down(QEvent::KeyPress, key, mods, QString(c));
            QCoreApplication::sendEvent(w, &down);
            QKeyEvent up(QEvent::KeyRelease, key, mods, QString(c));
            QCoreApplication::sendEvent(w, &up);
        }
        return true;
    }
};

// The box question of LJ and the notice of UNDO with nothing to take back, each answered by
// Enter: the window gets the keyboard back with the command bar, so that "J" typed next asks
// its system, and the line after it is that question's answer, not a new item. The Enter is
// typed once the box has the keyboard, as a user types it, or pressed in the box at once,
// before the window system's turn gave the box the keyboard.
struct AfterBoxCase {
    const char* name;
    const char* line;      // the line that leads to the box
    const char* box_line;  // the line typed while that command waits (empty: none)
    const char* box_text;  // part of the box's text
    bool at_once;
};

class AfterBoxTest : public BoxKeyboardWindowTest,
                     public ::testing::WithParamInterface<AfterBoxCase> {};

TEST_P(AfterBoxTest, NextLineReachesTheCommandBar) {
    const AfterBoxCase c = GetParam();
    if (*c.box_line != '\0') type_line(QString::fromLatin1(c.line));
    std::string asked;
    Answers answers;
    answers.dialog([&asked, &c](QDialog& d) {
        for (const QLabel* l : d.findChildren<QLabel*>()) asked += l->text().toStdString();
        if (c.at_once) {
            press(d.focusWidget() != nullptr ? d.focusWidget() : &d, Qt::Key_Return,
                  QStringLiteral("\r"));
        } else {
            EXPECT_TRUE(keyboard_in(&d)) << "the box never had the keyboard";
            if (!type_to_keyboard(QString())) d.reject();
        }
    });
    type_line(QString::fromLatin1(*c.box_line != '\0' ? c.box_line : c.line), &answers);
    EXPECT_NE(asked.find(c.box_text), std::string::npos) << asked;
    ASSERT_EQ(QApplication::activeModalWidget(), nullptr);
    const int32_t items = core::ItemCount;

    EXPECT_TRUE(keyboard_in(frame_.get())) << "the keyboard is with " << keyboard_window();
    EXPECT_EQ(QApplication::focusWidget(), edit());
    ASSERT_TRUE(type_to_keyboard(QStringLiteral("J"))) << "J typed into no window";
    EXPECT_EQ(reply(),
              "Enter Lowest Staff# of system and how many staves in system - or Draw Box.");
    EXPECT_EQ(core::PendingBoxOperation, 8);
    // Its answer is a system, which asks for confirmation, never a new item.
    std::string confirm;
    Answers again;
    again.dialog([&confirm](QDialog& d) {
        for (const QLabel* l : d.findChildren<QLabel*>()) confirm += l->text().toStdString();
        d.reject();
    });
    type_line(QStringLiteral("1 2"), &again);
    EXPECT_NE(confirm.find("Source Box O.K.?"), std::string::npos) << confirm;
    EXPECT_EQ(core::ItemCount, items);
}

INSTANTIATE_TEST_SUITE_P(
    BoxKeyboard, AfterBoxTest,
    ::testing::Values(AfterBoxCase{"BoxQuestion", "LJ", "1 2", "Source Box O.K.?", false},
                      AfterBoxCase{"BoxQuestionAtOnce", "LJ", "1 2", "Source Box O.K.?", true},
                      AfterBoxCase{"Notice", "UNDO", "", "Nothing to UNDO", false},
                      AfterBoxCase{"NoticeAtOnce", "UNDO", "", "Nothing to UNDO", true}),
    [](const ::testing::TestParamInfo<AfterBoxCase>& i) { return std::string(i.param.name); });

// A box asked from another box gives the keyboard back to that box, not to the main window
// behind it; when that one closes too, the main window's command bar has it.
TEST_F(BoxKeyboardWindowTest, InnerBoxGivesTheKeyboardToTheOuterOne) {
    QDialog outer(frame_.get());
    outer.setObjectName(QStringLiteral("Outer"));
    bool outer_had_it = false;
    bool outer_back = false;
    QTimer::singleShot(0, &outer, [&] {
        outer_had_it = keyboard_in(&outer);
        QDialog inner(&outer);
        QTimer::singleShot(0, &inner, [&inner] {
            if (keyboard_in(&inner))
                inner.accept();
            else
                inner.reject();
        });
        inner.exec();
        outer_back = keyboard_in(&outer);
        outer.accept();
    });
    outer.exec();
    EXPECT_TRUE(outer_had_it);
    EXPECT_TRUE(outer_back) << "the keyboard is with " << keyboard_window();
    EXPECT_TRUE(keyboard_in(frame_.get())) << "the keyboard is with " << keyboard_window();
    EXPECT_EQ(QApplication::focusWidget(), edit());
}

// A box opened while the zoom list has the focus: once it closes, typing goes on in the command
// bar, as after every command.
TEST_F(BoxKeyboardWindowTest, BoxOverTheZoomListGivesTheTypingToTheCommandBar) {
    frame_->ZoomList()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), frame_->ZoomList());
    QDialog box(frame_.get());
    QTimer::singleShot(0, &box, [&box] {
        if (keyboard_in(&box))
            box.accept();
        else
            box.reject();
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted) << "the box never had the keyboard";
    EXPECT_TRUE(keyboard_in(frame_.get())) << "the keyboard is with " << keyboard_window();
    EXPECT_EQ(QApplication::focusWidget(), edit());
}

}  // namespace
