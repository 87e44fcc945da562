#include "frontend/app/command_bar.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTextCursor>
#include <QTextOption>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/shown_text.h"
#include "engine/core/tables.h"
#include "frontend/app/ormest_app.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/keys.h"
#include "frontend/bridge/services.h"
#include "frontend/view/frames.h"
#include "frontend/view/ormest_doc.h"
#include "frontend/view/ormest_view.h"
#include "platform/paths.h"

using namespace frontend;

namespace frontend {
int32_t WheelVertical = 0;
}  // namespace frontend

namespace {

// The input edit shows this many lines, the message line kMessageLines; longer texts scroll.
constexpr int kShownLines = 2;
constexpr int kMessageLines = 3;

bool key_mode() {
    const COrmestView* view = ActiveView();
    return view != nullptr && view->KeyMode != 0;
}

QString to_edit_text(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The message line's form of an engine text: its CR LF breaks become lines, and every other
// control character (a name read from a file may hold one) shows as "?".
QString to_message_text(QString text) {
    // "||" in the engine's messages stands for a line break.
    text.replace(QStringLiteral("||"), QStringLiteral("\r\n"));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    for (QString& line : lines) line = QString::fromStdString(core::shown_text(line.toStdString()));
    return lines.join(QLatin1Char('\n'));
}
QString to_engine_text(QString text) {
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

// The engine's reply line as text: up to its zero byte, without the trailing blanks.
QString reply_text(const core::FixedText<512>& line) {
    QString s = FromEngineText(line.view());
    while (s.endsWith(QLatin1Char(' '))) s.chop(1);
    return s;
}

void fit_height(QPlainTextEdit* edit, int lines = kShownLines) {
    const int margin = static_cast<int>(std::ceil(edit->document()->documentMargin()));
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * lines + 2 * margin +
                         2 * edit->frameWidth());
}

int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The completed line for a waiting routine: its text cut to what TypedLine holds, then CR LF.
void store_typed_line(std::string line) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > static_cast<std::size_t>(kTypedLineText)) line.resize(kTypedLineText);
    InputEventFlags.TypedLine.set(line + "\r\n");
}

char lower_char(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The control characters the engine's line editor takes as keys (Backspace, Enter, Escape, and
// the ones that end the editing). Any other one (Ctrl+A types 1, Tab 9) would be stored in the
// line as a character no word can use.
bool line_editor_takes(int32_t ch) {
    return ch == 7 || ch == 8 || ch == 11 || ch == 13 || ch == 23 || ch == 27 || ch == 28 ||
           ch == 29;
}

}  // namespace

// -- the input edit ------------------------------------------------------------------------

CCommandEdit::CCommandEdit(CCommandBar* bar, QWidget* parent) : QPlainTextEdit(parent), bar_(bar) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    fit_height(this);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { OnTextChanged(); });
}

// Contract: a change the program made tells nobody; one made by a key is handled when the key
// is through (see keyPressEvent), so that a line never runs inside the edit's own handling.
// Other changes (a paste by mouse, a drop) run nothing: only the main Enter key ends a line.
void CCommandEdit::OnTextChanged() {
    if (!rewriting_ && in_key_press_) changed_in_key_ = true;
}

// Contract: Alt keys are the window's (menus), not the engine's. Any other key goes through the
// key-down and character handlers as the engine counts keys; when both leave it to the edit,
// the edit handles it, and a text it changed is handled after that. Then a waiting routine is
// told that a key came (LastKey holds the character, or the key when it types none). While a
// command-or-key wait runs, the key is the wait's alone (OnWaitKey).
void CCommandEdit::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers().testFlag(Qt::AltModifier)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (TakeAnswerRest(*event)) {
        // Typed with a menu answer that already stands for it (the J of "LJ").
        event->accept();
        return;
    }
    if (InputEventFlags.KeyWaitArmed != 0) {
        OnWaitKey(*event);
        event->accept();
        return;
    }
    NoteInputEventTime(*event);
    TakeLineFromEngine(*event);
    if (key_mode() && TakeSelectionForKey(*event)) {
        event->accept();
        NotifyInputArrived();
        return;
    }
    WinKey key = TranslateKey(*event);
    if (key.vk == kVkReturn && key.flags == kMainEnterFlags && EnterPressIsRepeat(*event))
        key.flags |= kKeyRepeat;
    bool own = OnKeyDown(key.vk, key.flags);
    if (key.ch != 0 && !OnChar(key.ch, key.flags)) own = false;
    if (own) {
        const bool outer = in_key_press_;
        in_key_press_ = true;
        changed_in_key_ = false;
        QPlainTextEdit::keyPressEvent(event);
        const bool changed = changed_in_key_;
        in_key_press_ = outer;
        changed_in_key_ = false;
        if (changed) bar_->OnChangeCommandEdit();
        if (key.vk == kVkF1) OnHelpInfo();
    } else {
        event->accept();
    }
    NotifyInputArrived();
}

// An X server repeats a held key as a release and a press stamped with the same time; Qt marks
// the pair as a repeat only when the press is already queued when the release is handled. A
// release stamped this close before the next press is taken for such a pair (Qt's own rule).
constexpr quint64 kRepeatPairMs = 10;

// Contract: reads and writes the main Enter's release state. A press is the held key's repeat
// when it is marked as one, when the key did not come up since its last press, or when the
// release it came up with was stamped at most kRepeatPairMs before it (an unmarked repeat
// pair): so a held Enter runs one line whatever order its repeats arrive in, while separate
// strokes, however quick, each run. Events without a stamp count by their releases alone.
bool CCommandEdit::EnterPressIsRepeat(const QKeyEvent& event) {
    const quint64 t = event.timestamp();
    bool repeat = event.isAutoRepeat() || !enter_released_;
    if (!repeat && t != 0 && enter_release_time_ != 0 && t >= enter_release_time_ &&
        t - enter_release_time_ <= kRepeatPairMs)
        repeat = true;
    enter_released_ = false;
    return repeat;
}

// The main Enter's release; an auto-repeat's own release does not count (the key stays down).
void CCommandEdit::keyReleaseEvent(QKeyEvent* event) {
    NoteInputEventTime(*event);
    const WinKey key = TranslateKey(*event);
    if (key.vk == kVkReturn && key.flags == kMainEnterFlags) {
        enter_released_ = true;
        enter_release_time_ = event->timestamp();
    }
    QPlainTextEdit::keyReleaseEvent(event);
}

// A release the edit never sees (the focus went elsewhere meanwhile) must not hold every later
// Enter back.
void CCommandEdit::focusOutEvent(QFocusEvent* event) {
    enter_released_ = true;
    enter_release_time_ = 0;
    QPlainTextEdit::focusOutEvent(event);
}

// Contract: writes LastKeyFlags, LastKey, EnterKeyHit, SpecialKeyCount (and through a token the
// view's KeyMode and what the gate writes), KeyDownCode while the engine's wait level is not 0;
// a key without a token clears the input words.
bool CCommandEdit::OnKeyDown(int32_t vk, int32_t flags) {
    LastKeyFlags = flags;
    InputEventFlags.LastKey = vk;
    EnterKeyHit = 0;
    if (IsSpecialKey(vk, flags, InputEventFlags.ArrowKeysToEngine != 0,
                     InputEventFlags.PageKeysToEngine != 0)) {
        ++InputEventFlags.SpecialKeyCount;
    } else if ((flags & 0x80) == 0 && vk == kVkReturn && flags == kMainEnterFlags) {
        EnterKeyHit = kVkReturn;
    }
    if (InputEventFlags.SpecialKeyCount != 0 || key_mode()) {
        const std::string token = KeyToken(vk, flags);
        if (token.empty()) {
            ClearInputWords();
            return true;
        }
        bar_->SendKeyToken(token);
    }
    if (core::EngineWaitLevel != 0) {
        InputEventFlags.KeyDownCode = 1000 + static_cast<int8_t>(static_cast<uint8_t>(vk));
    }
    return !key_mode();
}

// Contract: writes LastKey, KeyDownCode, LastKeyFlags, EnterKeyHit and SpecialKeyCount, then
// wakes the wait. The edit never sees the key: the engine shows what it made of it itself. No
// token is sent (the wait takes Home, the arrows and F2..F12 as keys with their key-down
// words), key mode plays no part, and a key that is none for the wait (Shift, Ctrl alone)
// changes nothing. A key that comes before the wait has taken the last one goes to KeysAhead.
void CCommandEdit::OnWaitKey(const QKeyEvent& event) {
    const WaitKey key = KeyForWait(event);
    if (key.code == 0) return;
    if (InputEventFlags.LastKey != 0) {
        // The wait has not taken the key before: this one waits its turn.
        InputEventFlags.KeysAhead.push_back({key.code, key.key_down});
        NotifyInputArrived();
        return;
    }
    LastKeyFlags = TranslateKey(event).flags;
    EnterKeyHit = 0;
    InputEventFlags.SpecialKeyCount = 0;
    InputEventFlags.LastKey = key.code;
    InputEventFlags.KeyDownCode = key.key_down;
    NotifyInputArrived();
}

// Contract: writes LastKey, LastKeyFlags and EnterKeyHit; in key mode sends "~~~", the
// character, the low byte of flags (its scan code) and a zero byte, and clears key mode. A
// control character the line editor has no use for is sent nowhere: the edit handles its key
// (Ctrl+A selects the line, Ctrl+C copies, Tab moves on), as it does outside key mode.
bool CCommandEdit::OnChar(int32_t ch, int32_t flags) {
    InputEventFlags.LastKey = ch;
    LastKeyFlags = flags;
    EnterKeyHit = ch == kVkReturn && flags == kMainEnterFlags ? kVkReturn : 0;
    if (!key_mode()) return true;
    if (ch < 32 && !line_editor_takes(ch)) return true;
    // Only the main Enter ends a line: the keypad's Enter and a held Enter reach the engine as
    // no key at all (the token keeps only the scan code, which would not tell them apart).
    if (ch == kVkReturn && flags != kMainEnterFlags) return false;
    const char token[6] = {'~', '~', '~', static_cast<char>(ch), static_cast<char>(flags & 0xFF),
                           '\0'};
    bar_->SendKeyToken(std::string_view(token, sizeof token));
    return false;
}

// Contract: reads and writes the engine's CommandLine, LineEditorLength and LineEditorCursor
// (only while the bar shows that line) and the edit's text. The caret clicked elsewhere in the
// line is the engine's cursor too, so that the next character goes where the bar shows it.
bool CCommandEdit::TakeSelectionForKey(const QKeyEvent& event) {
    if (!ShowsEngineLine()) return false;
    const Qt::KeyboardModifiers chords =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const QString text = event.text();
    const bool erases = chords == Qt::NoModifier &&
                        (event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete);
    const bool types = chords == Qt::NoModifier && !text.isEmpty() &&
                       text.at(0) >= QLatin1Char(' ') && text.at(0) != QChar(0x7f);
    if (!erases && !types) return false;
    const QTextCursor cursor = textCursor();
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    const int length = std::max(core::LineEditorLength, 0);
    if (from == to) {
        core::LineEditorCursor = std::clamp(from, 0, length);
        return false;
    }
    // The line shows no line break, so edit and engine positions are the same.
    const int cut = to - from;
    for (int k = from + 1; k + cut <= length; ++k)
        core::CommandLine(k) = core::CommandLine(k + cut);
    for (int k = length - cut + 1; k <= length; ++k) core::CommandLine(k) = ' ';
    core::CommandLine(length - cut + 1) = '\0';
    core::LineEditorLength = length - cut;
    core::LineEditorCursor = from;
    SetEngineText(FromCp1252(core::CommandLine.sub(1, core::LineEditorLength)), from, from);
    return erases;
}

// Contract: in key mode, for a key that types a character above ASCII with no chord, while the
// bar shows the engine's line: clears the engine's line editor (its length and cursor) and key
// mode; the edit keeps the line and its caret and takes the key.
bool CCommandEdit::TakeLineFromEngine(const QKeyEvent& event) {
    const QString text = event.text();
    const Qt::KeyboardModifiers chords =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!key_mode() || chords != Qt::NoModifier || text.isEmpty() || text.at(0).unicode() < 0x80)
        return false;
    if (EngineBusy() || !ShowsEngineLine()) return false;
    core::LineEditorLength = 0;
    core::LineEditorCursor = 0;
    if (COrmestView* view = ActiveView()) view->KeyMode = 0;
    return true;
}

bool CCommandEdit::ShowsEngineLine() const {
    const int length = std::max(core::LineEditorLength, 0);
    if (length > core::CommandLine.size()) return false;
    const std::string shown = ToCp1252(EngineText());
    return shown == core::CommandLine.sub(1, length);
}

// Contract: reads DisplayScale; writes WheelVertical and the active view's scroll position.
// A move is delta * (DisplayScale * 8 / 64) / 10 in tens of page units: the vertical one goes
// from the remembered position (never above the page's top), the horizontal one from where
// the view stands. Without a view only the remembered position changes.
void CCommandEdit::OnMouseWheel(int delta_vertical, int delta_horizontal) {
    if (WheelVertical > 0) WheelVertical = 0;
    const int64_t step = static_cast<int64_t>(DisplayScale) * 8 / 64;
    const int64_t move_v = static_cast<int64_t>(delta_vertical) * step / 10;
    const int64_t move_h = static_cast<int64_t>(delta_horizontal) * step / 10;
    WheelVertical = saturate(WheelVertical + move_v);
    COrmestView* view = ActiveView();
    if (view == nullptr) return;
    const double k = view->PixelsPerPageUnit();
    const double x = view->DeviceScrollPosition().x() / k - 10.0 * static_cast<double>(move_h);
    const double y = 10.0 * WheelVertical;
    view->ScrollToDevicePosition(
        QPoint(saturate(std::llround(x * k)), saturate(std::llround(-y * k))));
}

void CCommandEdit::OnHelpInfo() {
    const QString page = HelpTopicFile();
    if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void CCommandEdit::wheelEvent(QWheelEvent* event) {
    OnMouseWheel(event->angleDelta().y(), event->angleDelta().x());
    event->accept();
}

QString CCommandEdit::EngineText() const { return to_engine_text(toPlainText()); }

int CCommandEdit::ToEditPosition(int engine_position) const {
    const QString text = EngineText();
    const int n = std::clamp(engine_position, 0, static_cast<int>(text.size()));
    int pairs = 0;
    for (int i = 0; i + 1 < text.size() && i < n; ++i) {
        if (text.at(i) == QLatin1Char('\r') && text.at(i + 1) == QLatin1Char('\n')) ++pairs;
    }
    return n - pairs;
}

int CCommandEdit::ToEnginePosition(int edit_position) const {
    const QString text = toPlainText();
    const int n = std::clamp(edit_position, 0, static_cast<int>(text.size()));
    return n + static_cast<int>(text.left(n).count(QLatin1Char('\n')));
}

// Contract: the text replaces the edit's, anchor at sel_start and caret at sel_end (engine
// positions, clamped to the text); the caret is scrolled into view. No change handler hears it.
void CCommandEdit::SetEngineText(const QString& text, int sel_start, int sel_end) {
    rewriting_ = true;
    const QString shown = to_edit_text(text);
    if (toPlainText() != shown) setPlainText(shown);
    QTextCursor cursor = textCursor();
    cursor.setPosition(ToEditPosition(sel_start));
    cursor.setPosition(ToEditPosition(sel_end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    rewriting_ = false;
    ensureCursorVisible();
    viewport()->update();
}

int CCommandEdit::EngineSelectionStart() const {
    return ToEnginePosition(textCursor().selectionStart());
}

int CCommandEdit::EngineSelectionEnd() const {
    return ToEnginePosition(textCursor().selectionEnd());
}

// -- the bar -------------------------------------------------------------------------------

CCommandBar::CCommandBar(QWidget* parent) : QDockWidget(QStringLiteral("Command Bar"), parent) {
    setObjectName(QStringLiteral("CommandBar"));
    // Shown and hidden only through the View menu, so that the bar's flag always tells the truth.
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(4);
    message_ = new QPlainTextEdit(body);
    message_->setObjectName(QStringLiteral("MessageLine"));
    message_->setReadOnly(true);
    message_->setFocusPolicy(Qt::NoFocus);
    // A line longer than the edit is wide (the start's backup notice) goes on in the second
    // line shown rather than being cut at the edge.
    message_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    message_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    message_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    message_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The engine's longest prompts (the input mode's closing menu) are three lines.
    fit_height(message_, kMessageLines);
    input_ = new CCommandEdit(this, body);
    input_->setObjectName(QStringLiteral("InputEdit"));
    row->addWidget(message_, 3);
    row->addWidget(input_, 7);
    setWidget(body);
}

CCommandBar::~CCommandBar() = default;

void CCommandBar::SetMessageText(const QString& text) {
    message_->setPlainText(to_message_text(text));
    SetMessageKind(core::ReplyKind::Notice);
    message_->viewport()->update();
}

void CCommandBar::SetMessageKind(core::ReplyKind kind) {
    const bool failure = kind == core::ReplyKind::Failure;
    if (message_->property("failure").toBool() == failure) return;
    message_->setProperty("failure", failure);
    message_->setStyleSheet(failure ? QStringLiteral("QPlainTextEdit { color: #b00000; "
                                                     "font-weight: bold; }")
                                    : QString());
    message_->viewport()->update();
}

QString CCommandBar::MessageText() const { return to_engine_text(message_->toPlainText()); }

QString CCommandBar::InputText() const { return input_->EngineText(); }

void CCommandBar::SetInputText(const QString& text, int sel_start, int sel_end) {
    input_->SetEngineText(text, sel_start, sel_end);
}

int CCommandBar::SelectionStart() const { return input_->EngineSelectionStart(); }

int CCommandBar::SelectionEnd() const { return input_->EngineSelectionEnd(); }

// Contract: reads the edit's text and EnterKeyHit; while a wait takes typed lines, writes
// TypedLine (its text cut to kTypedLineText characters, then CR LF) and LineComplete and tells
// the wait; otherwise runs the line. Any other text is no line: nothing happens.
// The line goes as UTF-8, as a terminal's line does and as the document windows name files:
// the text words store each letter as the escape that prints it and name one that has none
// (as a Windows-1252 byte it would stay raw, and a letter outside that code page become "?").
void CCommandBar::OnChangeCommandEdit() {
    if (EnterKeyHit == 0) return;
    const std::string text = InputText().toStdString();
    if (text.empty() || text.back() != '\n') return;
    const std::size_t earlier =
        text.size() >= 2 ? text.rfind('\n', text.size() - 2) : std::string::npos;
    const std::string line = earlier == std::string::npos ? text : text.substr(earlier + 1);
    if (InputEventFlags.LineWaitArmed != 0) {
        store_typed_line(line);
        InputEventFlags.LineComplete = 1;
        NotifyInputArrived();
        return;
    }
    RunLine(line);
}

// Contract: reads DocumentResetPending (cleared when "^S" closes the document); writes the
// input words for "X" and the input-mode words, PostCommandAction, and what the gate writes.
void CCommandBar::RunLine(const std::string& line) {
    const auto first = std::find_if(line.begin(), line.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 64; });
    if (first != line.end()) {
        const char c = lower_char(*first);
        const char next = first + 1 != line.end() ? lower_char(first[1]) : '\0';
        if (c == 'x') ClearInputWords();
        if (c == 'i' || (c == 'e' && next == 'd') || (c == 's' && next == 't')) {
            CommandKind = -1;
            InputEventFlags.SpecialKeyCount = 0;
            InputEventFlags.ArrowKeysToEngine = 1;
            InputEventFlags.PageKeysToEngine = 1;
            if (CChildFrame* child = ActiveChildFrame()) child->Document()->SetModifiedFlag(true);
        }
        if (c == '^' && next == 's' && DocumentResetPending != 0) {
            if (CChildFrame* child = ActiveChildFrame()) child->CloseDocument();
            DocumentResetPending = 0;
        }
    }
    PostCommandAction = 0;
    const std::size_t end = line.find_first_of("\r\n");
    core::FixedText<512> text(std::string_view(line).substr(0, end));
    if (EngineBusy()) {
        // The waiting routine takes the line, as typed: a palette button's word it is not.
        DepositCommandText(text.c_text(), true);
        return;
    }
    RunThroughGate(text);
    // Asked to clear the document's contents: the document keeps none of its own here (the
    // engine clears its page itself), so only the request is taken back.
    if (PostCommandAction == 3) PostCommandAction = 0;
}

void CCommandBar::RunThroughGate(core::FixedText<512>& line) {
    int32_t status = 0;
    if (RunEngineLine(line, status) != 0) {
        QMessageBox::information(this, QStringLiteral("ormest"), reply_text(line));
    }
    if (status != 0) {
        DecodeDisplayLists(nullptr);
        SetMessageText(reply_text(line));
        SetMessageKind(core::LeftReplyKind);
        update();
    }
}

void CCommandBar::SendKeyToken(std::string_view token) {
    InputEventFlags.SpecialKeyCount = 0;
    if (COrmestView* view = ActiveView()) view->KeyMode = 0;
    if (EngineBusy()) {
        // The engine is inside a call: a second call must not start. The token is the waiting
        // routine's input.
        DepositCommandText(token);
        return;
    }
    core::FixedText<512> line(token);
    RunThroughGate(line);
}

void CCommandBar::RunTypedLine() {
    input_->moveCursor(QTextCursor::End);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(input_, &enter);
    // The key comes up again, or the next Enter typed would count as held.
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(input_, &up);
}

namespace frontend {

// Contract: reads HelpFilePath and the interpreter's HelpTopicField ("::/code1.html" ...).
QString HelpTopicFile() {
    const std::string& help = HelpFilePath;
    const std::size_t slash = help.find_last_of("\\/");
    std::string topic = core::HelpTopicField.c_text();
    if (topic.rfind("::/", 0) == 0) topic.erase(0, 3);
    if (slash == std::string::npos || topic.empty()) return {};
    const std::string page = platform::local_path(help.substr(0, slash + 1) + topic);
    if (!platform::file_exists(page)) return {};
    return QString::fromStdString(page);
}

void ResetCommandBarWords() { WheelVertical = 0; }

}  // namespace frontend
