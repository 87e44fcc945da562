// Lines typed around the window's boxes, key by key into the window that has the keyboard, as
// the window system sends them: the Enter that closes a box is the box's alone, a line typed
// after it runs whole, and lines typed while a box is up run each with its own Enter, also when
// one of them raises another box.
#include <QGuiApplication>
#include <QWindow>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;

namespace {

// A box the case expects, and the keys typed into it ("\r" an Enter).
struct BoxStep {
    const char* text;  // part of the box's text
    const char* keys;
};

struct TypingCase {
    const char* name;
    std::vector<const char*> before;  // lines run first, through the command bar
    const char* trigger;              // the line typed that raises the first box
    std::vector<BoxStep> boxes;       // every box, in order; no other box may come up
    const char* after;                // a line typed once the boxes are gone (empty: none)
    const char* file;                 // the file that must then be written
};

void PrintTo(const TypingCase& c, std::ostream* os) { *os << c.name; }

class TypingAfterBoxesTest : public DialogCommandTest,
                             public ::testing::WithParamInterface<TypingCase> {
  protected:
    void SetUp() override {
        DialogCommandTest::SetUp();
        frame_->activateWindow();
        ASSERT_TRUE(keyboard_in(frame_.get())) << "the window never had the keyboard";
    }
    // Whether w's window comes to have the keyboard within 10 seconds.
    static bool keyboard_in(QWidget* w) {
        const QDeadlineTimer deadline(10000);
        while (QGuiApplication::focusWindow() != w->windowHandle() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return QGuiApplication::focusWindow() == w->windowHandle();
    }
    // Types the keys into the window that has the keyboard; false when none has it.
    static bool type_to_keyboard(const QString& keys) {
        for (const QChar c : keys) {
            QWindow* w = QGuiApplication::focusWindow();
            if (w == nullptr) return false;
            const int key = c == QLatin1Char('\r')  ? int(Qt::Key_Return)
                            : c.isLetter()          ? Qt::Key_A + (c.toUpper().unicode() - 'A')
                            : c.isDigit()           ? Qt::Key_0 + (c.unicode() - '0')
                            : c == QLatin1Char('.') ? int(Qt::Key_Period)
                                                    : int(Qt::Key_Space);
            const Qt::KeyboardModifiers mods = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
            QKeyEvent down(QEvent::KeyPress, key, mods, QString(c));
            QCoreApplication::sendEvent(w, &down);
            QKeyEvent up(QEvent::KeyRelease, key, mods, QString(c));
            QCoreApplication::sendEvent(w, &up);
        }
        return true;
    }
    // Lets the held keys and the commands they run go on until nothing is left to do.
    static void settle() {
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

TEST_P(TypingAfterBoxesTest, EveryLineRunsWithItsOwnEnter) {
    const TypingCase c = GetParam();
    for (const char* line : c.before) type_line(QString::fromLatin1(line));
    std::vector<std::string> shown;
    Answers answers;
    for (const BoxStep& box : c.boxes) {
        answers.dialog([&shown, keys = QString::fromLatin1(box.keys)](QDialog& d) {
            std::string text;
            for (const QLabel* l : d.findChildren<QLabel*>()) text += l->text().toStdString();
            shown.push_back(text);
            EXPECT_TRUE(keyboard_in(&d)) << "the box never had the keyboard: " << text;
            if (!type_to_keyboard(keys)) d.reject();
        });
    }
    answers.start(frame_->CommandBar()->InputEdit());
    ASSERT_TRUE(type_to_keyboard(QString::fromLatin1(c.trigger) + QLatin1Char('\r')));
    settle();
    EXPECT_TRUE(answers.finished()) << "still waiting for " << answers.next();
    ASSERT_EQ(QApplication::activeModalWidget(), nullptr) << "a box more than the case expects";
    ASSERT_EQ(shown.size(), c.boxes.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_NE(shown[i].find(c.boxes[i].text), std::string::npos) << i << ": " << shown[i];

    if (*c.after != '\0') {
        EXPECT_TRUE(keyboard_in(frame_.get()));
        ASSERT_TRUE(type_to_keyboard(QString::fromLatin1(c.after) + QLatin1Char('\r')));
        settle();
    }
    EXPECT_TRUE(std::filesystem::exists(c.file)) << reply();
    // Nothing of a line is left over for a later Enter to run.
    EXPECT_EQ(frame_->CommandBar()->InputText().trimmed().toStdString(), "");
}

const TypingCase kTypingCases[] = {
    // IFX left with X typed at its box question: one box, and the line after it runs.
    {"LineAfterLeavingGroupEdit",
     {"IFX P1=1;P4=P4+1"},
     "X",
     {{"Leaving Group Edit.", "\r"}},
     "SA i.mus",
     "i.mus"},
    // Two lines typed into a notice, the first raising a second notice: the second line runs
    // once that one is closed, with no Enter more.
    {"SecondHeldLineAfterASecondBox",
     {"SA c.mus"},
     "UNDO",
     {{"Nothing to UNDO", "UNDO\rSA k.mus\r\r"}, {"Nothing to UNDO", "\r"}},
     "",
     "k.mus"},
    // A line held by a notice keeps its Enter.
    {"HeldLineKeepsItsEnter",
     {"SA c.mus"},
     "UNDO",
     {{"Nothing to UNDO", "SA h.mus\r\r"}},
     "",
     "h.mus"},
    // Each held line that raises a box leaves the lines after it held until that box closes.
    {"HeldLinesWaitForTheBoxesTheyRaise",
     {"SA c.mus"},
     "UNDO",
     {{"Nothing to UNDO", "UNDO\rUNDO\rSA m.mus\r\r"},
      {"Nothing to UNDO", "\r"},
      {"Nothing to UNDO", "\r"}},
     "",
     "m.mus"},
};

INSTANTIATE_TEST_SUITE_P(Boxes, TypingAfterBoxesTest, ::testing::ValuesIn(kTypingCases),
                         [](const ::testing::TestParamInfo<TypingCase>& i) {
                             return std::string(i.param.name);
                         });

}  // namespace
