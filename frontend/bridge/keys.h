// Keys as the engine knows them: Windows virtual-key numbers and the key message's flags (scan
// code in the low byte, 0x100 for an extended key, 0x2000 with Alt, 0x4000 for an auto-repeat),
// made from Qt's key events by a fixed table, so that the same key gives the same numbers on
// every platform (offscreen Qt reports no native scan codes at all). Also the key tokens that
// the command bar sends ("~~" and three digits) and the key words it shares with the waits.
#pragma once

#include <QString>
#include <Qt>
#include <cstdint>
#include <string>
#include <string_view>

class QInputEvent;
class QKeyEvent;
class QWidget;

namespace frontend {

// Flag bits of a key message's high word.
constexpr int32_t kKeyExtended = 0x100;
constexpr int32_t kKeyAltDown = 0x2000;
constexpr int32_t kKeyRepeat = 0x4000;

// Virtual-key numbers the command bar tests for.
constexpr int32_t kVkReturn = 13;
constexpr int32_t kVkShift = 16;
constexpr int32_t kVkF1 = 112;
constexpr int32_t kVkF2 = 113;
constexpr int32_t kVkF12 = 123;
// The main Enter key's flags (scan code 0x1C, not extended, not repeated).
constexpr int32_t kMainEnterFlags = 0x1C;

// One key as the engine knows it. vk 0: a key without a virtual-key number (the character it
// types still counts). ch: the character it types (CP1252), 0 for none.
struct WinKey {
    int32_t vk = 0;
    int32_t flags = 0;
    int32_t ch = 0;
};

// The key of a Qt key event: its number and flags from the fixed table (keypad keys by the
// keypad modifier), the auto-repeat and Alt bits, and the character a Windows key-down would
// have typed (none for navigation, function and modifier keys, nor for Delete).
WinKey TranslateKey(const QKeyEvent& event);
// The same from the parts of an event (tests): key, modifiers, text, auto-repeat.
WinKey TranslateKey(int qt_key, Qt::KeyboardModifiers modifiers, const QString& text,
                    bool auto_repeat);

// A key as a command-or-key wait hands it to the engine: code is the character the key types
// (the key's number for a key that types none; Ctrl+Q 17), key_down the key-down word (1000 +
// the key's number as a signed byte; Ctrl+Q 1017; 0 for a character no key of the table
// types). code 0: no key for the wait (a modifier or lock key alone, another Ctrl chord, a key
// that neither has a number nor types a character).
struct WaitKey {
    int32_t code = 0;
    int32_t key_down = 0;
};
WaitKey KeyForWait(int qt_key, Qt::KeyboardModifiers modifiers, const QString& text);
WaitKey KeyForWait(const QKeyEvent& event);

// The key token of a key: "~~033" .. "~~040", "~~046" for the extended navigation keys and
// "~~113" .. "~~123" for F2 to F12; empty for every other key (F1, Escape, letters ...).
std::string KeyToken(int32_t vk, int32_t flags);

// Whether a key-down counts as a special key of this keystroke with the two key gates as they
// stand: arrows and the keypad's Insert/Delete with the arrow gate, the extended page keys,
// Home, End, Insert, Delete and F1 to F12 with the page gate. A flags word with bit 0x80 set is
// never classified.
bool IsSpecialKey(int32_t vk, int32_t flags, bool arrow_gate, bool page_gate);

// Key words of the command bar, shared with the waits (front-end words, process-wide).
extern int32_t LastKeyFlags;  // flags of the last key or character
extern int32_t EnterKeyHit;   // 13 when the last key or character was the main Enter key
extern int32_t CommandKind;   // -1 after a typed line that starts the input mode

// Keys typed ahead into a question box that has no use for them: kept for the widget the typing
// was in, and handed to it (presses and releases, in order) when the engine next waits for keys
// or a line, or when its call has ended; a wait then takes them as typed. A held line that
// raises another box or answers a wait goes alone: the keys after it wait for that one.
void HoldTypedAheadKey(const QKeyEvent& event, QWidget* target);
void PassTypedAheadKeys();

// A menu answer whose letter already stands for a longer word ("L" for "LJ"): the next
// character key typed, when it is `letter` (either case), is the word's own rest and is
// dropped; any other character key ends this and goes on as typed. It ends as well when
// EndAnswerRest is called (the next question is answered, the engine call ends).
void ExpectAnswerRest(char letter);
void EndAnswerRest();
// Whether the key press is the expected rest of the answer, to be dropped; true at most once.
bool TakeAnswerRest(const QKeyEvent& press);

// The window system's clock, on which its input events are stamped (ms): each stamped event
// noted keeps the estimate of where that clock stands against the program's own; Now is 0
// until an event with a stamp has been noted (events the program makes carry none).
void NoteInputEventTime(const QInputEvent& event);
quint64 WindowSystemTimeNow();

// Clears the input words: the special-key count, both key gates and the command kind.
void ClearInputWords();

// Puts the key words back to their start values (tests; the application's start).
void ResetKeyWords();

}  // namespace frontend
