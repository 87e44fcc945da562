#include "frontend/bridge/input_waits.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <functional>

#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/keys.h"
#include "frontend/midi/midi_mailbox.h"

namespace frontend {

int32_t KeyResult = 0;

namespace {

bool command_waiting() { return core::FrontEndCommandBuffer(1) != ' '; }

// During a key wait the command bar puts only keys the wait takes into LastKey (never a
// modifier alone), so any nonzero LastKey is the answer.
bool key_taken() { return InputEventFlags.LastKey != 0; }

// What ends a wait's loop besides the application's quit.
enum class WakeOn {
    Done,      // done() holds when input arrives
    AnyInput,  // any input at all (a key, a line, a command, a MIDI event)
};

// Contract: runs a nested event loop until done() holds (or, with WakeOn::AnyInput, until any
// input arrives); the gate's input listener is the loop's only waker, so the thread sleeps in
// between. Returns true when it ended that way. The application's quit ends every running loop
// (and every later one at once): then state.closing is set and false comes back. Nothing to
// wait for without an application: false.
bool block_until(WaitState& state, const std::function<bool()>& done, WakeOn wake = WakeOn::Done) {
    if (done()) return true;
    if (state.closing || QCoreApplication::instance() == nullptr) return false;
    QEventLoop loop;
    bool input_seen = false;
    state.loops.push_back(&loop);
    std::function<void()> outer = SetInputListener([&] {
        if (wake == WakeOn::AnyInput) input_seen = true;
        if (input_seen || done()) loop.quit();
    });
    loop.exec();
    SetInputListener(std::move(outer));
    state.loops.erase(std::remove(state.loops.begin(), state.loops.end(), &loop),
                      state.loops.end());
    if (input_seen || done()) return true;
    state.closing = true;
    return false;
}

// Shows the prompt and appends the preset to the edit's text, with sel_start..sel_end (counted
// from the preset's start, kept inside it) selected.
void prompt_set_up(CommandBarLink& bar, std::string_view preset, const core::FixedText<512>& prompt,
                   int sel_start, int sel_end) {
    const QString old = ReadInputText(bar);
    const QString added = FromCp1252(preset);
    const int old_length = static_cast<int>(old.size());
    const int n = static_cast<int>(added.size());
    const int start = std::clamp(sel_start, 0, n);
    bar.SetInputText(old + added, old_length + start, old_length + std::clamp(sel_end, start, n));
    SetMessageLineText(bar, core::ReplyKind::Question, LineText(prompt));
}

void arm_line_wait(uint8_t arrow_keys) {
    InputEventFlags.KeysAhead.clear();
    PassTypedAheadKeys();
    InputEventFlags.LineComplete = 0;
    InputEventFlags.LineWaitArmed = 1;
    InputEventFlags.ArrowKeysToEngine = arrow_keys;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.SpecialKeyCount = 0;
}

void arm_key_wait() {
    InputEventFlags.LineWaitArmed = 1;
    InputEventFlags.TypedLine(1) = ' ';
    InputEventFlags.LineComplete = 0;
    InputEventFlags.ArrowKeysToEngine = 0;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.SpecialKeyCount = 0;
    InputEventFlags.LastKey = 0;
    InputEventFlags.KeyDownCode = 0;
    InputEventFlags.KeyWaitArmed = 1;
    // A key typed ahead is the answer at once.
    if (!InputEventFlags.KeysAhead.empty()) {
        const KeyAheadRecord key = InputEventFlags.KeysAhead.front();
        InputEventFlags.KeysAhead.pop_front();
        InputEventFlags.LastKey = key.code;
        InputEventFlags.KeyDownCode = key.key_down;
    }
    PassTypedAheadKeys();
}

void restore_after_wait() {
    InputEventFlags.LineWaitArmed = 0;
    InputEventFlags.KeyWaitArmed = 0;
    InputEventFlags.ArrowKeysToEngine = 1;
    InputEventFlags.PageKeysToEngine = 1;
    InputEventFlags.SpecialKeyCount = 0;
}

// The completed typed line as the engine takes it: cut at its CR, blank-padded.
void take_typed_line(core::FixedText<512>& buffer) {
    const std::string_view line = InputEventFlags.TypedLine.view();
    const std::size_t end = line.find_first_of(std::string_view("\r\0", 2));
    buffer.set(
        end == std::string_view::npos
            ? line.substr(0, static_cast<std::size_t>(InputEventFlags.TypedLine.trimmed_length()))
            : line.substr(0, end));
}

// Contract: reads TypedLine and the edit's text and selection. TypedLine is the tail of the
// edit's text, so the selection start maps into it as typed length - (text length - start).
// The Enter key came at the caret when the character two places before that point is the CR;
// a point less than 2 (the caret far back in a longer text) is no such place.
bool enter_at_caret(const CommandBarLink& bar) {
    const int typed = InputEventFlags.TypedLine.trimmed_length();
    const int text = static_cast<int>(bar.InputText().size());
    const int at = typed - (text - bar.SelectionStart());
    return at >= 2 && at <= typed && InputEventFlags.TypedLine(at - 1) == '\r';
}

// Low byte of the character three places before the end of TypedLine, as a signed byte; 0
// when the line is shorter than that.
int32_t typed_character() {
    const int n = InputEventFlags.TypedLine.trimmed_length();
    if (n < 3) return 0;
    return static_cast<int8_t>(InputEventFlags.TypedLine(n - 2));
}

// The front-ends' waits a close of the main window may end, and those it has ended.
std::vector<WaitState*>& registered_waits() {
    static std::vector<WaitState*> states;
    return states;
}
std::vector<WaitState*>& waits_ended_by_close() {
    static std::vector<WaitState*> states;
    return states;
}

// Contract: ends the running waits of every registered front-end that has a wait loop running
// (WaitState.closing set, the loops quit) and remembers them for put_closing_words_back. True
// when some wait was running.
bool end_running_waits_for_close() {
    bool ended = false;
    for (WaitState* state : registered_waits()) {
        if (state->loops.empty()) continue;
        EndWaits(*state);
        std::vector<WaitState*>& ended_states = waits_ended_by_close();
        if (std::find(ended_states.begin(), ended_states.end(), state) == ended_states.end())
            ended_states.push_back(state);
        ended = true;
    }
    return ended;
}

// Contract: once the call whose waits a close ended has returned, clears WaitState.closing of
// those front-ends and core::ApplicationClosingWord, so that a refused close leaves later
// commands and waits working. Nothing when no close ended a wait.
void put_closing_words_back() {
    std::vector<WaitState*>& ended_states = waits_ended_by_close();
    if (ended_states.empty()) return;
    for (WaitState* state : ended_states) state->closing = false;
    ended_states.clear();
    core::ApplicationClosingWord = 0;
}

// Closes the windows whose close waits for the engine, once no engine call runs.
class DeferredClose : public QObject {
  public:
    static DeferredClose& Instance() {
        static auto* instance = new DeferredClose;
        return *instance;
    }

    void Add(QWidget* window) {
        for (const QPointer<QWidget>& w : windows_) {
            if (w == window) return;
        }
        windows_.push_back(window);
        if (!connection_) {
            // The thread's dispatcher tells before it sleeps: after the outermost call has
            // returned there is always such a moment, and no timer has to poll for it.
            connection_ =
                connect(QAbstractEventDispatcher::instance(),
                        &QAbstractEventDispatcher::aboutToBlock, this, [this] { TryClose(); });
        }
    }

  private:
    void TryClose() {
        if (EngineCallDepth() != 0) return;
        disconnect(connection_);
        connection_ = {};
        put_closing_words_back();
        std::vector<QPointer<QWidget>> windows;
        windows.swap(windows_);
        for (const QPointer<QWidget>& w : windows) {
            if (w.isNull()) continue;
            QTimer::singleShot(0, w.data(), [w] {
                if (!w.isNull()) w->close();
            });
        }
    }

    std::vector<QPointer<QWidget>> windows_;
    QMetaObject::Connection connection_;
};

// Ignores a close of its window while the engine is busy.
class BusyCloseFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && EngineBusy()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

// Contract: see the header. Reads FrontEndCommandBuffer (its first character blanked when a
// command is taken), TypedLine and LineComplete; writes the input words of InputEventFlags.
int WaitForLineEdit(WaitState& state, CommandBarLink& bar, core::FixedText<512>& buffer,
                    const core::FixedText<512>& prompt, int sel_start, int sel_end) {
    if (state.closing) return -1;
    prompt_set_up(bar, LineText(buffer), prompt, sel_start, sel_end);
    arm_line_wait(1);
    for (;;) {
        const bool done =
            block_until(state, [] { return command_waiting() || InputEventFlags.LineComplete; });
        if (command_waiting()) {
            buffer.set(core::FrontEndCommandBuffer.view());
            core::FrontEndCommandBuffer(1) = ' ';
            break;
        }
        if (!done) {
            // The input words are put back here too: the command bar must not go on handing
            // typed lines to a wait that no longer runs.
            restore_after_wait();
            return -1;
        }
        if (enter_at_caret(bar)) {
            take_typed_line(buffer);
            break;
        }
        // A line ended somewhere else than at the caret: the edit keeps it, the wait goes on.
        InputEventFlags.LineComplete = 0;
    }
    restore_after_wait();
    return 0;
}

// Contract: see the header. Reads FrontEndCommandBuffer (blanked when a command is taken) and
// LastKey; writes the input words, KeyDownCode and KeyResult. While it waits, KeyWaitArmed
// tells the command bar to hand it every key whole instead of typing it into the edit.
int WaitForCommandOrKey(WaitState& state, core::FixedText<512>& buffer, int pass_value) {
    arm_key_wait();
    // The command bar reports a key with both words in: LastKey holds the character (the key's
    // number for a key that types none), KeyDownCode the key-down word.
    const bool done = block_until(state, [] { return command_waiting() || key_taken(); });
    state.last_key = 0;
    state.last_key_down = 0;
    if (command_waiting()) {
        buffer.set(core::FrontEndCommandBuffer.view());
        core::FrontEndCommandBuffer.blank();
    } else if (done) {
        buffer(1) = static_cast<char>(InputEventFlags.LastKey);
        state.last_key = static_cast<int8_t>(InputEventFlags.LastKey);
        state.last_key_down = InputEventFlags.KeyDownCode;
    } else {
        buffer.blank();
    }
    restore_after_wait();
    KeyResult = static_cast<int8_t>(InputEventFlags.LastKey);
    return pass_value;
}

int WaitForTypedLine(WaitState& state, CommandBarLink& bar, core::FixedText<512>& buffer,
                     const core::FixedText<512>& prompt, int sel_start, int sel_end) {
    if (state.closing) return -1;
    prompt_set_up(bar, LineText(buffer), prompt, sel_start, sel_end);
    arm_line_wait(0);
    const bool done = block_until(state, [] { return InputEventFlags.LineComplete != 0; });
    if (done) take_typed_line(buffer);
    restore_after_wait();
    return done ? 0 : -1;
}

// Contract: see the header. Reads and writes MidiInWanted (-1 asks for a fresh start: it
// becomes 1) and the mailbox (its event is taken); reads LineComplete and TypedLine, which stay
// as they are; LineWaitArmed is 1 during the poll and 0 after it.
int PollMidiOrKey(WaitState& state, core::Array1<int32_t, 5>& record) {
    InputEventFlags.LineWaitArmed = 1;
    auto ready = [] { return MidiInMailbox.Ready != 0 || InputEventFlags.LineComplete != 0; };
    // The poll sleeps until input of any kind arrives: the engine's loop around it then never
    // spins, whatever else the window handles meanwhile.
    block_until(state, ready, WakeOn::AnyInput);
    if (MidiInWanted.load() == -1) {
        MidiInWanted.store(1);
        // The words of an event that is still waiting are not overwritten: it is delivered.
        if (MidiInMailbox.Ready == 0) {
            MidiInMailbox.Timestamp = -1;
            MidiInMailbox.ErrorFlag = -1;
            MidiInMailbox.Device = -1;
            MidiInMailbox.Message = -1;
        }
        for (int k = 2; k <= 5; ++k) record(k) = 0;
    }
    MidiMailboxRecord event;
    if (TakeMidiMailboxEvent(event)) {
        record(1) = 0;
        record(2) = event.Message;
        record(3) = event.Device;
        record(4) = event.ErrorFlag;
        record(5) = event.Timestamp;
    } else {
        record(1) = -256 | typed_character();
    }
    InputEventFlags.LineWaitArmed = 0;
    return -1;
}

void EndWaits(WaitState& state) {
    state.closing = true;
    for (QEventLoop* loop : state.loops) loop->quit();
}

bool DeferCloseWhileEngineBusy(QWidget* window) {
    if (window == nullptr || EngineCallDepth() == 0) return false;
    DeferredClose::Instance().Add(window);
    // Otherwise a wait of the input mode would hold the close until the user ends the run.
    end_running_waits_for_close();
    return true;
}

void RegisterWaitsForClose(WaitState& state) {
    std::vector<WaitState*>& states = registered_waits();
    if (std::find(states.begin(), states.end(), &state) == states.end()) states.push_back(&state);
}

void UnregisterWaitsForClose(WaitState& state) {
    for (std::vector<WaitState*>* states : {&registered_waits(), &waits_ended_by_close()}) {
        states->erase(std::remove(states->begin(), states->end(), &state), states->end());
    }
}

void RefuseCloseWhileEngineBusy(QWidget* window) {
    if (window != nullptr) window->installEventFilter(new BusyCloseFilter(window));
}

void ResetWaitWords() {
    KeyResult = 0;
    InputEventFlags.KeysAhead.clear();
}

}  // namespace frontend
