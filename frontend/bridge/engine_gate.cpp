#include "frontend/bridge/engine_gate.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/words/play_loop.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/word_start_page.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/item_panel.h"
#include "frontend/bridge/keys.h"
#include "frontend/view/frames.h"
#include "frontend/view/ormest_doc.h"
#include "frontend/view/ormest_view.h"

namespace frontend {

core::FixedText<512> FrontEndMessageLine;
std::array<int32_t, kGraphicsListWords> GraphicsList{};
int32_t GraphicsListLength = 0;
std::array<uint8_t, kTextStreamBytes> TextDisplayStream{};
int32_t TextDisplayStreamLength = 0;
std::array<uint8_t, kTextStreamBytes> TextDisplayStreamCopy{};
int32_t DisplayScale = 64;
int32_t RequestedDisplayScale = 0;
int32_t PreviousDisplayScale = 64;
uint8_t DocumentResetPending = 0;
InputEventFlagsRecord InputEventFlags;

namespace {

int32_t g_call_depth = 0;
// A command file ended at a question put to it during this call.
bool g_file_answer_missing = false;
COrmestView* g_active_view = nullptr;
std::function<void()> g_input_listener;

// Counts the engine call for as long as it runs, however it ends.
class CallGuard {
  public:
    CallGuard() { ++g_call_depth; }
    ~CallGuard() {
        // Keys typed ahead of a wait belong to that call; the next command starts without them.
        // Keys held while a question box was up go to their widget once the engine is idle.
        if (--g_call_depth == 0) {
            InputEventFlags.KeysAhead.clear();
            EndAnswerRest();
            PassTypedAheadKeys();
            // The words that file's end ended are over: the next command runs as any other.
            if (std::exchange(g_file_answer_missing, false)) core::ApplicationClosingWord = 0;
        }
    }
    CallGuard(const CallGuard&) = delete;
    CallGuard& operator=(const CallGuard&) = delete;
};

void show_gate_message(std::string_view text) {
    if (Hooks().message_box) {
        Hooks().message_box(text);
        return;
    }
    QMessageBox::information(nullptr, QStringLiteral("ormest"), FromEngineText(text));
}

// While PLA's loop waits for its word, the message line names the loop and how it ends: the
// reply the loop leaves is only the line that started it, or nothing. A failure (a word the
// loop does not take) keeps its text, the prompt on the line after it.
void show_play_loop_prompt(core::FixedText<512>& line) {
    std::string shown(core::kPlayLoopPrompt);
    if (core::LeftReplyKind == core::ReplyKind::Failure && !line.is_blank())
        shown = line.trimmed() + "\r\n" + shown;
    line.set(shown);
    if (Hooks().show_reply) Hooks().show_reply(line.view());
}

}  // namespace

GateHooks& Hooks() {
    static GateHooks hooks;
    return hooks;
}

COrmestDoc* RestorePageWindowForUnsavedWork() {
    if (!EnginePageHasUnsavedWork() || DocumentFileCallUnderWay() || !Hooks().restore_page_window)
        return nullptr;
    QMdiArea* area = DocumentArea();
    if (area == nullptr || !area->subWindowList().isEmpty()) return nullptr;
    return Hooks().restore_page_window();
}

COrmestView* ActiveView() { return g_active_view; }
void SetActiveView(COrmestView* view) { g_active_view = view; }

int32_t EngineCallDepth() { return g_call_depth; }
void MarkCommandFileAnswerMissing() {
    g_file_answer_missing = g_call_depth > 0;
    if (g_file_answer_missing) core::note_word_left_unanswered();
}
bool CommandFileAnswerMissing() { return g_file_answer_missing; }
bool EngineBusy() { return g_call_depth > 0 || EngineWaitLevel > 0; }

int32_t ClampDisplayScale(int64_t scale) {
    return static_cast<int32_t>(std::clamp<int64_t>(scale, kMinDisplayScale, kMaxDisplayScale));
}

std::function<void()> SetInputListener(std::function<void()> listener) {
    std::function<void()> previous = std::move(g_input_listener);
    g_input_listener = std::move(listener);
    return previous;
}

void NotifyInputArrived() {
    if (g_input_listener) g_input_listener();
}

// Contract: writes FrontEndCommandBuffer only: the first 47 characters of text, a zero after
// them, blanks to the end. A longer text is cut there; the commands sent this way are short
// command words, and the closing zero must stay inside the field.
void DepositCommandText(std::string_view text, bool typed) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    if (text.size() > static_cast<std::size_t>(kCommandTextChars))
        text = text.substr(0, kCommandTextChars);
    core::FrontEndCommandBuffer.blank();
    core::FrontEndCommandBuffer.put(1, static_cast<int>(text.size()), text);
    core::FrontEndCommandBuffer(static_cast<int>(text.size()) + 1) = '\0';
    core::CommandBufferLineIsTyped = typed ? 1 : 0;
    NotifyInputArrived();
}

std::string ZoomPercentText(int32_t scale) {
    return std::to_string(static_cast<int64_t>(scale) * 100 / 64) + "%    ";
}

namespace {

// The music's distance from the window's edges after a fit zoom, in pixels.
constexpr int kMusicMargin = 8;
// The zoom before the last engine call, when that call asked for a new one; else 0.
int32_t g_engine_zoom_from = 0;
// The last engine call's last scroll of the view went to the page's top.
bool g_engine_scrolled_to_top = false;

}  // namespace

void NoteEngineScroll(bool to_top) { g_engine_scrolled_to_top = to_top; }

// Contract: see the header. The scroll sizes follow the zoom as they do a zoom of the window's
// own, and the view scrolls to the music's top left corner, which the old scroll position would
// leave far out of view at a large zoom (FH, FW fit the music to the window). The page's top
// lies far above the music at a large zoom, so a view sent there shows only background.
void FollowEngineZoom() {
    const int32_t old_scale = std::exchange(g_engine_zoom_from, 0);
    const bool to_top = std::exchange(g_engine_scrolled_to_top, false);
    const bool zoomed = old_scale > 0 && DisplayScale != old_scale;
    if (!zoomed && !to_top) return;
    COrmestView* view = ActiveView();
    if (zoomed) {
        const double f = static_cast<double>(DisplayScale) / old_scale;
        for (int32_t& w : ScrollSizeRecord) {
            w = static_cast<int32_t>(std::clamp(std::trunc(w * f), -2147483648.0, 2147483647.0));
        }
        if (view != nullptr) view->ApplyScrollSizes();
    }
    if (view == nullptr) return;
    const auto& points = ScreenLists.geometry.points;
    if (points.empty()) return;
    int32_t left = INT32_MAX;
    int32_t top = INT32_MIN;
    for (const ScreenPoint& p : points) {
        left = std::min(left, p.x);
        top = std::max(top, p.y);
    }
    const QPoint corner = view->PageToDevice(QPoint(left, top));
    const QSize client = view->viewport()->size();
    const bool in_view = corner.x() >= 0 && corner.x() < client.width() && corner.y() >= 0 &&
                         corner.y() < client.height();
    if (!zoomed && in_view) return;
    const QPoint scroll = view->DeviceScrollPosition();
    view->ScrollToDevicePosition(
        QPoint(scroll.x() + corner.x() - kMusicMargin, scroll.y() + corner.y() - kMusicMargin));
    view->viewport()->update();
}

// Contract: see the header. Reads and writes MessageLine, RequestedDisplayScale,
// PreviousDisplayScale, DisplayScale, DocumentResetPending, the active view's key-mode bytes and
// (through the engine) everything run_command writes; the active document's modified flag
// follows ChangesMadeFlag. A busy engine runs nothing.
int32_t RunEngineCommand(uint8_t* text_copy, core::FixedText<512>& line, int32_t& status,
                         int32_t* graphics_list, int32_t& graphics_length, int32_t& text_length) {
    if (EngineBusy()) {
        // A second call would re-enter the engine: the line becomes the waiting routine's input.
        DepositCommandText(line.c_text());
        status = 0;
        return 0;
    }
    core::set_exchange_text(line.view());
    line.blank();
    RequestedDisplayScale = 0;
    PreviousDisplayScale = DisplayScale;
    const std::string page_before = core::CurrentFileName.trimmed();
    const bool play_loop_before = core::PlayLoopActive != 0;
    g_engine_scrolled_to_top = false;
    {
        const CallGuard guard;
        core::run_command(graphics_list, graphics_length, TextDisplayStream.data(), text_length,
                          status);
    }
    if (status == -2 && Hooks().reset_document && Hooks().reset_document()) {
        DocumentResetPending = 1;
    }
    const int32_t n = std::clamp(text_length, 0, kTextStreamBytes);
    if (n > 0 && text_copy != nullptr) std::memcpy(text_copy, TextDisplayStream.data(), n);
    g_engine_zoom_from = 0;
    if (RequestedDisplayScale != 0) {
        DisplayScale = ClampDisplayScale(RequestedDisplayScale);
        if (DisplayScale != PreviousDisplayScale) g_engine_zoom_from = PreviousDisplayScale;
    }
    line = core::MessageLine;
    // Every road into the engine comes here: typed, a palette button, the Sound dialog's Play.
    // The loop's end takes its prompt away, whatever the reply.
    if (core::PlayLoopActive != 0) {
        show_play_loop_prompt(line);
    } else if (play_loop_before && Hooks().show_reply) {
        Hooks().show_reply(line.view());
    }
    // The page stays in the engine when its window is closed: a change to it (or an item
    // opened for editing) brings the window back, so that it is seen and asked about.
    RestorePageWindowForUnsavedWork();
    // The active document's modified flag follows the engine's, so that closing asks about
    // unsaved changes whatever command made them. The engine holds one page only: another
    // window's changes were saved or given up when its page left the engine, and a Yes to a
    // question about them would save the engine's page under that window's name.
    CChildFrame* active = ActiveChildFrame();
    if (active != nullptr) active->Document()->SetModifiedFlag(core::ChangesMadeFlag != 0);
    if (QMdiArea* area = DocumentArea()) {
        for (QMdiSubWindow* w : area->subWindowList()) {
            auto* child = qobject_cast<CChildFrame*>(w);
            if (child != nullptr && child != active) child->Document()->SetModifiedFlag(false);
        }
    }
    if (core::CurrentFileName.trimmed() != page_before && !DocumentFileCallUnderWay())
        FollowEnginePageName();
    UpdateItemPanel();
    // With every document window closed there is no view to carry key mode.
    if (COrmestView* view = ActiveView()) {
        view->KeyMode = view->KeyModeRequest != 0 ? 1 : 0;
        view->KeyModeRequest = 0;
    }
    // After every command the user types on at once: the focus is back in the input line.
    if (Hooks().focus_input) Hooks().focus_input();
    return 0;
}

int32_t RunEngineLine(core::FixedText<512>& line, int32_t& status) {
    return RunEngineCommand(TextDisplayStreamCopy.data(), line, status, GraphicsList.data(),
                            GraphicsListLength, TextDisplayStreamLength);
}

// Contract: see the header. Writes the three key flags and FrontEndCommandBuffer; when the
// engine is idle also what the gate writes, the screen lists and the command bar's message line.
void SendCommand(const char* text, const char* label) {
    InputEventFlags.ArrowKeysToEngine = 1;
    InputEventFlags.PageKeysToEngine = 1;
    InputEventFlags.SpecialKeyCount = 0;
    DepositCommandText(text == nullptr ? std::string_view() : std::string_view(text));
    if (EngineBusy()) return;
    int32_t status = 0;
    if (RunEngineLine(FrontEndMessageLine, status) != 0) {
        show_gate_message(FrontEndMessageLine.view());
    }
    DecodeDisplayLists(nullptr);
    if (Hooks().show_reply) Hooks().show_reply(FrontEndMessageLine.view());
    if (Hooks().repaint_main_window) Hooks().repaint_main_window();
}

void ResetGateState() {
    g_file_answer_missing = false;
    FrontEndMessageLine.blank();
    GraphicsList.fill(0);
    GraphicsListLength = 0;
    TextDisplayStream.fill(0);
    TextDisplayStreamLength = 0;
    TextDisplayStreamCopy.fill(0);
    DisplayScale = 64;
    RequestedDisplayScale = 0;
    PreviousDisplayScale = 64;
    DocumentResetPending = 0;
    InputEventFlags = InputEventFlagsRecord{};
}

}  // namespace frontend
