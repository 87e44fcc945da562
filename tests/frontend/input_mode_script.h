// The step driver of the window tests of the input mode: steps played from whatever event loop
// runs (the engine call's key waits and dialogs, the application's loop), keys typed into a
// widget, and the waits and dialogs a step waits for.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>

#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "frontend/bridge/engine_gate.h"
#include "tests/frontend/frontend_fixture.h"

namespace input_mode_script {

using namespace frontend;

// One step of a script: act runs on the first turn of the event loop at which ready holds.
struct Step {
    std::string name;
    std::function<bool()> ready;
    std::function<void()> act;
};

// Plays steps from the event loops the engine call runs (its key waits and dialogs), so that the
// test never sleeps. A step that is not ready yet is looked at again on the next turn.
class Script {
  public:
    void add(std::string name, std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({std::move(name), std::move(ready), std::move(act)});
    }
    void start() { schedule(); }
    bool finished() const { return steps_.empty(); }
    std::string next_step() const { return steps_.empty() ? "" : steps_.front().name; }

  private:
    void schedule() {
        QTimer::singleShot(0, &context_, [this] { pump(); });
    }
    void pump() {
        if (steps_.empty()) return;
        if (!steps_.front().ready()) {
            schedule();
            return;
        }
        const Step step = std::move(steps_.front());
        steps_.pop_front();
        step.act();
        schedule();
    }
    std::deque<Step> steps_;
    QObject context_;  // the pending turn dies with the script
};

// The key a character is typed with, as a keyboard sends it.
inline void type_character(QWidget* w, QChar c) {
    int key = Qt::Key_Space;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    if (c.isLetter()) {
        key = Qt::Key_A + (c.toUpper().unicode() - 'A');
        if (c.isUpper()) mods = Qt::ShiftModifier;
    } else if (c.isDigit()) {
        key = Qt::Key_0 + (c.unicode() - '0');
    } else if (c == QLatin1Char('/')) {
        key = Qt::Key_Slash;
    } else if (c == QLatin1Char(';')) {
        key = Qt::Key_Semicolon;
    } else if (c == QLatin1Char('.')) {
        key = Qt::Key_Period;
    }
    press(w, key, QString(c), mods);
}

// A key wait of a live input routine sleeps and has taken nothing yet.
inline bool key_wait_ready() {
    return InputEventFlags.KeyWaitArmed == 1 && InputEventFlags.LastKey == 0 &&
           core::FrontEndCommandBuffer.is_blank() && QApplication::activeModalWidget() == nullptr;
}

// The modal dialog that is up when it has a child called `child`, else null.
inline QDialog* dialog_with(const QString& child) {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    return d != nullptr && d->findChild<QObject*>(child) != nullptr ? d : nullptr;
}

inline void click(QDialog& d, const QString& name) {
    auto* b = d.findChild<QAbstractButton*>(name);
    ASSERT_NE(b, nullptr) << name.toStdString();
    b->click();
}

// The engine call has ended and the input mode's words and the waits are at rest.
inline void expect_input_at_rest() {
    EXPECT_EQ(EngineCallDepth(), 0);
    EXPECT_EQ(input::InputModeActive, 0);
    EXPECT_EQ(input::InputParserMode, 0);
    EXPECT_LE(core::EngineWaitLevel, 0);
    EXPECT_EQ(InputEventFlags.KeyWaitArmed, 0);
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
}

}  // namespace input_mode_script
