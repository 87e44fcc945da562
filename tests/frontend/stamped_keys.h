// Keys typed with the window system's time stamps, for tests of what a key typed at a given
// moment after a box appeared does.
#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace stamped_keys {

// One key typed at a time the window system gives: the press, and its release 3 ms later.
inline void stroke_at(QWidget* w, int key, const QString& text, quint64 stamp) {
    const Qt::KeyboardModifiers mods =
        text.size() == 1 && text.at(0).isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    down.setTimestamp(stamp);
    QCoreApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    up.setTimestamp(stamp + 3);
    QCoreApplication::sendEvent(w, &up);
}

// The key of a letter, a digit, ".", Enter ("\r") or the blank.
inline int key_of(QChar c) {
    if (c.isLetter()) return Qt::Key_A + (c.toUpper().unicode() - 'A');
    if (c.isDigit()) return Qt::Key_0 + (c.unicode() - '0');
    if (c == QLatin1Char('\r')) return Qt::Key_Return;
    return c == QLatin1Char('.') ? int(Qt::Key_Period) : int(Qt::Key_Space);
}

// Types text from stamp on, a key every 6 ms (a quick typist's burst).
inline void type_at(QWidget* w, const QString& text, quint64 stamp) {
    for (const QChar c : text) {
        stroke_at(w, key_of(c), QString(c), stamp);
        stamp += 6;
    }
}

}  // namespace stamped_keys
