// The key tables: Qt keys to Windows virtual-key numbers and scan codes (US layout, scan code
// set 1), and the key tokens the command bar sends.
#include "frontend/bridge/keys.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cctype>
#include <deque>
#include <memory>
#include <vector>

#include "engine/core/bridge/key_words.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"

namespace frontend {

int32_t LastKeyFlags = 0;
int32_t EnterKeyHit = 0;
int32_t CommandKind = 0;

namespace {

// A key of the table: Qt's key, its virtual-key number, scan code and whether the key is one of
// the extended keys (the navigation block, the keypad's Enter and slash, right-hand keys).
struct KeyRow {
    int qt_key;
    int32_t vk;
    int32_t scan;
    bool extended;
};

// Keys typed anywhere but on the keypad. Shifted symbols name the key they are on.
constexpr std::array kKeyRows = {
    KeyRow{Qt::Key_Escape, 0x1B, 0x01, false},
    KeyRow{Qt::Key_Tab, 0x09, 0x0F, false},
    KeyRow{Qt::Key_Backtab, 0x09, 0x0F, false},
    KeyRow{Qt::Key_Backspace, 0x08, 0x0E, false},
    KeyRow{Qt::Key_Return, 0x0D, 0x1C, false},
    KeyRow{Qt::Key_Enter, 0x0D, 0x1C, true},
    KeyRow{Qt::Key_Insert, 0x2D, 0x52, true},
    KeyRow{Qt::Key_Delete, 0x2E, 0x53, true},
    KeyRow{Qt::Key_Pause, 0x13, 0x45, false},
    KeyRow{Qt::Key_Print, 0x2C, 0x37, true},
    KeyRow{Qt::Key_SysReq, 0x2C, 0x37, true},
    KeyRow{Qt::Key_Clear, 0x0C, 0x4C, false},
    KeyRow{Qt::Key_Home, 0x24, 0x47, true},
    KeyRow{Qt::Key_End, 0x23, 0x4F, true},
    KeyRow{Qt::Key_Left, 0x25, 0x4B, true},
    KeyRow{Qt::Key_Up, 0x26, 0x48, true},
    KeyRow{Qt::Key_Right, 0x27, 0x4D, true},
    KeyRow{Qt::Key_Down, 0x28, 0x50, true},
    KeyRow{Qt::Key_PageUp, 0x21, 0x49, true},
    KeyRow{Qt::Key_PageDown, 0x22, 0x51, true},
    KeyRow{Qt::Key_Shift, 0x10, 0x2A, false},
    KeyRow{Qt::Key_Control, 0x11, 0x1D, false},
    KeyRow{Qt::Key_Alt, 0x12, 0x38, false},
    KeyRow{Qt::Key_AltGr, 0x12, 0x38, true},
    KeyRow{Qt::Key_Meta, 0x5B, 0x5B, true},
    KeyRow{Qt::Key_Menu, 0x5D, 0x5D, true},
    KeyRow{Qt::Key_CapsLock, 0x14, 0x3A, false},
    KeyRow{Qt::Key_NumLock, 0x90, 0x45, true},
    KeyRow{Qt::Key_ScrollLock, 0x91, 0x46, false},
    KeyRow{Qt::Key_F1, 0x70, 0x3B, false},
    KeyRow{Qt::Key_F2, 0x71, 0x3C, false},
    KeyRow{Qt::Key_F3, 0x72, 0x3D, false},
    KeyRow{Qt::Key_F4, 0x73, 0x3E, false},
    KeyRow{Qt::Key_F5, 0x74, 0x3F, false},
    KeyRow{Qt::Key_F6, 0x75, 0x40, false},
    KeyRow{Qt::Key_F7, 0x76, 0x41, false},
    KeyRow{Qt::Key_F8, 0x77, 0x42, false},
    KeyRow{Qt::Key_F9, 0x78, 0x43, false},
    KeyRow{Qt::Key_F10, 0x79, 0x44, false},
    KeyRow{Qt::Key_F11, 0x7A, 0x57, false},
    KeyRow{Qt::Key_F12, 0x7B, 0x58, false},
    KeyRow{Qt::Key_Space, 0x20, 0x39, false},
    KeyRow{Qt::Key_A, 0x41, 0x1E, false},
    KeyRow{Qt::Key_B, 0x42, 0x30, false},
    KeyRow{Qt::Key_C, 0x43, 0x2E, false},
    KeyRow{Qt::Key_D, 0x44, 0x20, false},
    KeyRow{Qt::Key_E, 0x45, 0x12, false},
    KeyRow{Qt::Key_F, 0x46, 0x21, false},
    KeyRow{Qt::Key_G, 0x47, 0x22, false},
    KeyRow{Qt::Key_H, 0x48, 0x23, false},
    KeyRow{Qt::Key_I, 0x49, 0x17, false},
    KeyRow{Qt::Key_J, 0x4A, 0x24, false},
    KeyRow{Qt::Key_K, 0x4B, 0x25, false},
    KeyRow{Qt::Key_L, 0x4C, 0x26, false},
    KeyRow{Qt::Key_M, 0x4D, 0x32, false},
    KeyRow{Qt::Key_N, 0x4E, 0x31, false},
    KeyRow{Qt::Key_O, 0x4F, 0x18, false},
    KeyRow{Qt::Key_P, 0x50, 0x19, false},
    KeyRow{Qt::Key_Q, 0x51, 0x10, false},
    KeyRow{Qt::Key_R, 0x52, 0x13, false},
    KeyRow{Qt::Key_S, 0x53, 0x1F, false},
    KeyRow{Qt::Key_T, 0x54, 0x14, false},
    KeyRow{Qt::Key_U, 0x55, 0x16, false},
    KeyRow{Qt::Key_V, 0x56, 0x2F, false},
    KeyRow{Qt::Key_W, 0x57, 0x11, false},
    KeyRow{Qt::Key_X, 0x58, 0x2D, false},
    KeyRow{Qt::Key_Y, 0x59, 0x15, false},
    KeyRow{Qt::Key_Z, 0x5A, 0x2C, false},
    KeyRow{Qt::Key_1, 0x31, 0x02, false},
    KeyRow{Qt::Key_Exclam, 0x31, 0x02, false},
    KeyRow{Qt::Key_2, 0x32, 0x03, false},
    KeyRow{Qt::Key_At, 0x32, 0x03, false},
    KeyRow{Qt::Key_3, 0x33, 0x04, false},
    KeyRow{Qt::Key_NumberSign, 0x33, 0x04, false},
    KeyRow{Qt::Key_4, 0x34, 0x05, false},
    KeyRow{Qt::Key_Dollar, 0x34, 0x05, false},
    KeyRow{Qt::Key_5, 0x35, 0x06, false},
    KeyRow{Qt::Key_Percent, 0x35, 0x06, false},
    KeyRow{Qt::Key_6, 0x36, 0x07, false},
    KeyRow{Qt::Key_AsciiCircum, 0x36, 0x07, false},
    KeyRow{Qt::Key_7, 0x37, 0x08, false},
    KeyRow{Qt::Key_Ampersand, 0x37, 0x08, false},
    KeyRow{Qt::Key_8, 0x38, 0x09, false},
    KeyRow{Qt::Key_Asterisk, 0x38, 0x09, false},
    KeyRow{Qt::Key_9, 0x39, 0x0A, false},
    KeyRow{Qt::Key_ParenLeft, 0x39, 0x0A, false},
    KeyRow{Qt::Key_0, 0x30, 0x0B, false},
    KeyRow{Qt::Key_ParenRight, 0x30, 0x0B, false},
    KeyRow{Qt::Key_Semicolon, 0xBA, 0x27, false},
    KeyRow{Qt::Key_Colon, 0xBA, 0x27, false},
    KeyRow{Qt::Key_Equal, 0xBB, 0x0D, false},
    KeyRow{Qt::Key_Plus, 0xBB, 0x0D, false},
    KeyRow{Qt::Key_Comma, 0xBC, 0x33, false},
    KeyRow{Qt::Key_Less, 0xBC, 0x33, false},
    KeyRow{Qt::Key_Minus, 0xBD, 0x0C, false},
    KeyRow{Qt::Key_Underscore, 0xBD, 0x0C, false},
    KeyRow{Qt::Key_Period, 0xBE, 0x34, false},
    KeyRow{Qt::Key_Greater, 0xBE, 0x34, false},
    KeyRow{Qt::Key_Slash, 0xBF, 0x35, false},
    KeyRow{Qt::Key_Question, 0xBF, 0x35, false},
    KeyRow{Qt::Key_QuoteLeft, 0xC0, 0x29, false},
    KeyRow{Qt::Key_AsciiTilde, 0xC0, 0x29, false},
    KeyRow{Qt::Key_BracketLeft, 0xDB, 0x1A, false},
    KeyRow{Qt::Key_BraceLeft, 0xDB, 0x1A, false},
    KeyRow{Qt::Key_Backslash, 0xDC, 0x2B, false},
    KeyRow{Qt::Key_Bar, 0xDC, 0x2B, false},
    KeyRow{Qt::Key_BracketRight, 0xDD, 0x1B, false},
    KeyRow{Qt::Key_BraceRight, 0xDD, 0x1B, false},
    KeyRow{Qt::Key_Apostrophe, 0xDE, 0x28, false},
    KeyRow{Qt::Key_QuoteDbl, 0xDE, 0x28, false},
};

// Keys typed on the keypad (Qt's keypad modifier). Without Num Lock the keypad sends the
// navigation keys, but not extended: that is how the engine tells them from the block's keys.
constexpr std::array kKeypadRows = {
    KeyRow{Qt::Key_0, 0x60, 0x52, false},        KeyRow{Qt::Key_1, 0x61, 0x4F, false},
    KeyRow{Qt::Key_2, 0x62, 0x50, false},        KeyRow{Qt::Key_3, 0x63, 0x51, false},
    KeyRow{Qt::Key_4, 0x64, 0x4B, false},        KeyRow{Qt::Key_5, 0x65, 0x4C, false},
    KeyRow{Qt::Key_6, 0x66, 0x4D, false},        KeyRow{Qt::Key_7, 0x67, 0x47, false},
    KeyRow{Qt::Key_8, 0x68, 0x48, false},        KeyRow{Qt::Key_9, 0x69, 0x49, false},
    KeyRow{Qt::Key_Asterisk, 0x6A, 0x37, false}, KeyRow{Qt::Key_Plus, 0x6B, 0x4E, false},
    KeyRow{Qt::Key_Minus, 0x6D, 0x4A, false},    KeyRow{Qt::Key_Period, 0x6E, 0x53, false},
    KeyRow{Qt::Key_Comma, 0x6E, 0x53, false},    KeyRow{Qt::Key_Slash, 0x6F, 0x35, true},
    KeyRow{Qt::Key_Enter, 0x0D, 0x1C, true},     KeyRow{Qt::Key_Return, 0x0D, 0x1C, true},
    KeyRow{Qt::Key_Insert, 0x2D, 0x52, false},   KeyRow{Qt::Key_Delete, 0x2E, 0x53, false},
    KeyRow{Qt::Key_Home, 0x24, 0x47, false},     KeyRow{Qt::Key_End, 0x23, 0x4F, false},
    KeyRow{Qt::Key_Left, 0x25, 0x4B, false},     KeyRow{Qt::Key_Up, 0x26, 0x48, false},
    KeyRow{Qt::Key_Right, 0x27, 0x4D, false},    KeyRow{Qt::Key_Down, 0x28, 0x50, false},
    KeyRow{Qt::Key_PageUp, 0x21, 0x49, false},   KeyRow{Qt::Key_PageDown, 0x22, 0x51, false},
    KeyRow{Qt::Key_Clear, 0x0C, 0x4C, false},
};

// The key tokens: a key sends its token when its flags lie in [min_flags, max_flags]. The page
// and arrow keys need the extended bit (flags above 300); F2 to F12 are told apart from F1 by
// their scan codes (60 to 88), so F1 and a repeated function key send nothing.
struct TokenRow {
    int32_t vk;
    int32_t min_flags;
    int32_t max_flags;
    const char* token;
};
constexpr int32_t kAnyFlags = 0x7FFFFFFF;
constexpr std::array kTokenRows = {
    TokenRow{33, 301, kAnyFlags, "~~033"}, TokenRow{34, 301, kAnyFlags, "~~034"},
    TokenRow{35, 301, kAnyFlags, "~~035"}, TokenRow{36, 301, kAnyFlags, "~~036"},
    TokenRow{37, 301, kAnyFlags, "~~037"}, TokenRow{38, 301, kAnyFlags, "~~038"},
    TokenRow{39, 301, kAnyFlags, "~~039"}, TokenRow{40, 301, kAnyFlags, "~~040"},
    TokenRow{46, 301, kAnyFlags, "~~046"}, TokenRow{113, 60, 88, "~~113"},
    TokenRow{114, 60, 88, "~~114"},        TokenRow{115, 60, 88, "~~115"},
    TokenRow{116, 60, 88, "~~116"},        TokenRow{117, 60, 88, "~~117"},
    TokenRow{118, 60, 88, "~~118"},        TokenRow{119, 60, 88, "~~119"},
    TokenRow{120, 60, 88, "~~120"},        TokenRow{121, 60, 88, "~~121"},
    TokenRow{122, 60, 88, "~~122"},        TokenRow{123, 60, 88, "~~123"},
};

template <std::size_t N>
const KeyRow* find_row(const std::array<KeyRow, N>& rows, int qt_key) {
    for (const KeyRow& row : rows) {
        if (row.qt_key == qt_key) return &row;
    }
    return nullptr;
}

// Keys whose key-down types no character on Windows: the navigation block, Delete, Insert and
// the function keys (Qt gives some of them a text, Delete its DEL character).
bool types_no_character(int32_t vk) {
    return (vk >= 0x21 && vk <= 0x2E) || (vk >= 0x70 && vk <= 0x87) || vk == 0x10 || vk == 0x11 ||
           vk == 0x12 || vk == 0x14 || vk == 0x90 || vk == 0x91;
}

// Keys that only change what other keys do: alone they are no key for a wait.
bool is_modifier_key(int32_t vk) {
    return vk == 0x10 || vk == 0x11 || vk == 0x12 || vk == 0x14 || vk == 0x5B || vk == 0x90 ||
           vk == 0x91;
}

}  // namespace

// Contract: reads the fixed tables only. A key in neither table has vk 0 and scan code 0; its
// character (from text) still counts. Only the first character of text is taken; a character
// CP1252 lacks becomes '?'.
WinKey TranslateKey(int qt_key, Qt::KeyboardModifiers modifiers, const QString& text,
                    bool auto_repeat) {
    const KeyRow* row = nullptr;
    if (modifiers.testFlag(Qt::KeypadModifier)) row = find_row(kKeypadRows, qt_key);
    if (row == nullptr) row = find_row(kKeyRows, qt_key);
    WinKey key;
    if (row != nullptr) {
        key.vk = row->vk;
        key.flags = row->scan | (row->extended ? kKeyExtended : 0);
    }
    if (modifiers.testFlag(Qt::AltModifier)) key.flags |= kKeyAltDown;
    if (auto_repeat) key.flags |= kKeyRepeat;
    if (!text.isEmpty() && text.at(0) != QChar(0x7F) && !types_no_character(key.vk)) {
        const std::string bytes = ToCp1252(text.left(1));
        if (!bytes.empty()) key.ch = static_cast<unsigned char>(bytes[0]);
    }
    return key;
}

// The keypad's Enter as the window system numbers it (X11 with evdev rules and Wayland: the
// evdev code 96 plus 8). Some key maps give it the main Enter's key and no keypad modifier;
// the key's number still tells it apart.
constexpr quint32 kKeypadEnterScanCode = 104;

WinKey TranslateKey(const QKeyEvent& event) {
    Qt::KeyboardModifiers modifiers = event.modifiers();
    if ((event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
        event.nativeScanCode() == kKeypadEnterScanCode)
        modifiers |= Qt::KeypadModifier;
    return TranslateKey(event.key(), modifiers, event.text(), event.isAutoRepeat());
}

// Contract: reads the fixed tables only. Every Ctrl chord but Ctrl+Q is no key: the waiting
// routine reads 17 as Ctrl+Q, and a control character typed by another chord (Ctrl+H is 8,
// Ctrl+M 13) would pass for Backspace or Enter.
WaitKey KeyForWait(int qt_key, Qt::KeyboardModifiers modifiers, const QString& text) {
    WaitKey wait;
    if (modifiers.testFlag(Qt::ControlModifier)) {
        if (qt_key == Qt::Key_Q) {
            wait.code = core::kKeyCtrlQ;
            wait.key_down = core::key_down_word_for_code(core::kKeyCtrlQ);
        }
        return wait;
    }
    const WinKey key = TranslateKey(qt_key, modifiers, text, false);
    if (is_modifier_key(key.vk)) return wait;
    wait.code = key.ch != 0 ? key.ch : key.vk;
    if (key.vk != 0) {
        wait.key_down = core::key_down_word_for_code(key.vk);
    } else if (key.ch > 0 && key.ch < 128) {
        wait.key_down = core::key_down_word_for_character(static_cast<char>(key.ch));
    }
    return wait;
}

WaitKey KeyForWait(const QKeyEvent& event) {
    return KeyForWait(event.key(), event.modifiers(), event.text());
}

std::string KeyToken(int32_t vk, int32_t flags) {
    for (const TokenRow& row : kTokenRows) {
        if (row.vk == vk && flags >= row.min_flags && flags <= row.max_flags) return row.token;
    }
    return {};
}

bool IsSpecialKey(int32_t vk, int32_t flags, bool arrow_gate, bool page_gate) {
    if ((flags & 0x80) != 0 || vk < 32 || vk > 127) return false;
    if (flags > 300) {
        if (vk >= 33 && vk <= 36) return page_gate;
        if (vk >= 37 && vk <= 40) return arrow_gate;
        if ((vk == 45 && flags == 0x152) || (vk == 46 && flags == 0x153)) return page_gate;
        return false;
    }
    if (vk >= kVkF1 && vk <= kVkF12) return page_gate;
    if ((vk == 45 && flags == 0x52) || (vk == 46 && flags == 0x53)) return arrow_gate;
    return false;
}

void ClearInputWords() {
    InputEventFlags.SpecialKeyCount = 0;
    InputEventFlags.ArrowKeysToEngine = 0;
    InputEventFlags.PageKeysToEngine = 0;
    CommandKind = 0;
}

namespace {

// The window system's clock less the program's, as far as the events noted tell: an event is
// handled after it was stamped, so the largest difference seen is the nearest.
struct InputClock {
    QElapsedTimer own;
    bool known = false;
    qint64 offset = 0;
};

InputClock& input_clock() {
    static InputClock clock;
    if (!clock.own.isValid()) clock.own.start();
    return clock;
}

}  // namespace

void NoteInputEventTime(const QInputEvent& event) {
    if (event.timestamp() == 0) return;
    InputClock& clock = input_clock();
    const qint64 offset = static_cast<qint64>(event.timestamp()) - clock.own.elapsed();
    if (!clock.known || offset > clock.offset) clock.offset = offset;
    clock.known = true;
}

quint64 WindowSystemTimeNow() {
    InputClock& clock = input_clock();
    if (!clock.known) return 0;
    return static_cast<quint64>(std::max<qint64>(1, clock.own.elapsed() + clock.offset));
}

void ResetKeyWords() {
    LastKeyFlags = 0;
    EnterKeyHit = 0;
    CommandKind = 0;
    input_clock().known = false;
    EndAnswerRest();
}

namespace {

struct TypedAheadKey {
    std::unique_ptr<QKeyEvent> press;
    QPointer<QWidget> target;
};

std::deque<TypedAheadKey>& typed_ahead() {
    static std::deque<TypedAheadKey> keys;
    return keys;
}

bool g_delivery_due = false;

// Whether the held keys must wait: a box is up (its guard holds what is typed meanwhile, and
// a key sent past it would reach the window behind it), the engine works on without waiting
// for input (a key now would be typed into the bar outside the engine's line and lost there),
// or a wait has its answer and has not taken it yet (the next key would be typed over it).
bool held_keys_wait() {
    if (QApplication::activeModalWidget() != nullptr) return true;
    if (EngineCallDepth() != 0 && InputEventFlags.KeyWaitArmed == 0 &&
        InputEventFlags.LineWaitArmed == 0)
        return true;
    if (InputEventFlags.LineWaitArmed != 0 && InputEventFlags.LineComplete != 0) return true;
    return InputEventFlags.KeyWaitArmed != 0 && InputEventFlags.LastKey != 0;
}

void schedule_delivery();

// Hands the held keys over one by one, each press with its release, while nothing makes them
// wait. After an Enter the rest waits for the next turn of the event loop, so that the line's
// command, or the wait it answers, acts on that line first.
void deliver_held_keys() {
    g_delivery_due = false;
    while (!typed_ahead().empty() && !held_keys_wait()) {
        const TypedAheadKey k = std::move(typed_ahead().front());
        typed_ahead().pop_front();
        if (k.target.isNull()) continue;
        const QKeyEvent& e = *k.press;
        const bool enter = e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter;
        const std::unique_ptr<QEvent> press(e.clone());
        QCoreApplication::sendEvent(k.target.data(), press.get());
        if (!k.target.isNull()) {
            QKeyEvent release(QEvent::KeyRelease, e.key(), e.modifiers(), e.nativeScanCode(),
                              e.nativeVirtualKey(), e.nativeModifiers(), e.text());
            QCoreApplication::sendEvent(k.target.data(), &release);
        }
        if (enter) {
            schedule_delivery();
            return;
        }
    }
}

void schedule_delivery() {
    if (g_delivery_due || typed_ahead().empty() || QCoreApplication::instance() == nullptr) return;
    g_delivery_due = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] { deliver_held_keys(); });
}

}  // namespace

namespace {
char g_answer_rest = 0;  // the letter expected next, upper-case; 0 none
}  // namespace

void ExpectAnswerRest(char letter) {
    g_answer_rest = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

void EndAnswerRest() { g_answer_rest = 0; }

// Contract: reads and clears the expected letter. A key typing no character (Shift, held for
// a capital) leaves it expected; Ctrl and Alt chords are no letter typed.
bool TakeAnswerRest(const QKeyEvent& press) {
    if (g_answer_rest == 0 || press.type() != QEvent::KeyPress) return false;
    const QString text = press.text();
    if (text.isEmpty() || text.at(0) < QLatin1Char(' ')) return false;
    const Qt::KeyboardModifiers chords =
        press.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool rest = chords == Qt::NoModifier && text.size() == 1 &&
                      text.at(0).toUpper() == QLatin1Char(g_answer_rest);
    g_answer_rest = 0;
    return rest;
}

void HoldTypedAheadKey(const QKeyEvent& event, QWidget* target) {
    typed_ahead().push_back({std::unique_ptr<QKeyEvent>(event.clone()), target});
}

// Contract: hands the held keys to their widgets (those still there), in the order typed, from
// the next turn of the event loop on. A key whose line raises a box, or answers a wait, is
// sent alone: the keys after it stay held until that box has closed or the wait has taken
// the answer (the next call of this, from the wait or the call's end, goes on with them).
void PassTypedAheadKeys() { schedule_delivery(); }

}  // namespace frontend
