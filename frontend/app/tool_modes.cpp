// The tool modes of the main frame: two dialog bars docked on the right and the text mode.
#include "frontend/app/tool_modes.h"

#include <QComboBox>
#include <QDockWidget>
#include <QFormLayout>
#include <QPointer>
#include <QWidget>

#include "frontend/app/frame_state.h"
#include "frontend/app/main_frame.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/view/ormest_view.h"

namespace frontend {

namespace {

constexpr int32_t kModeNone = 0;
constexpr int32_t kModeNoteBar = 1;
constexpr int32_t kModeSlurBar = 3;
constexpr int32_t kModeStaffBar = 4;
constexpr int32_t kModeText = 12;

QPointer<QDockWidget> g_note_bar;
QPointer<QDockWidget> g_staff_bar;

// A bar docked on the right of the main frame, right docking only; null without a frame.
QDockWidget* make_bar(const QString& title, const QString& name, const QStringList& combos) {
    CMainFrame* frame = MainFrameWindow();
    if (frame == nullptr) return nullptr;
    auto* bar = new QDockWidget(title, frame);
    bar->setObjectName(name);
    bar->setAllowedAreas(Qt::RightDockWidgetArea);
    bar->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto* body = new QWidget(bar);
    auto* form = new QFormLayout(body);
    for (const QString& c : combos) {
        auto* combo = new QComboBox(body);
        combo->setObjectName(c);
        form->addRow(c, combo);
    }
    bar->setWidget(body);
    frame->addDockWidget(Qt::RightDockWidgetArea, bar);
    return bar;
}

// Shows or hides a dialog bar by its state word; makes it on first use.
void toggle_bar(QPointer<QDockWidget>& bar, int32_t& state, const QString& title,
                const QString& name, const QStringList& combos) {
    if (state == 0 || bar.isNull()) {
        bar = make_bar(title, name, combos);
        // A bar that cannot be made leaves the state at 0: the next use tries again.
        state = bar.isNull() ? 0 : 1;
        if (!bar.isNull()) bar->show();
        return;
    }
    if (state == -1) {
        bar->show();
        state = 1;
    } else {
        bar->hide();
        state = -1;
        ActiveToolMode = kModeNone;
    }
}

void set_view_cursor(Qt::CursorShape shape) {
    if (COrmestView* view = ActiveView()) view->viewport()->setCursor(shape);
}

void hide_slur_bar() {
    if (SlurBarState == 1) SlurBarState = -1;
    ActiveToolMode = kModeNone;
}

// Turns off a tool mode other than own that is on, by its own toggle.
void end_other_mode(int32_t own) {
    const int32_t on = ActiveToolMode;
    if (on == own) return;
    switch (on) {
        case kModeNoteBar:
            OnToggleNoteBar();
            break;
        case kModeSlurBar:
            hide_slur_bar();
            break;
        case kModeStaffBar:
            OnToggleStaffBar();
            break;
        case kModeText:
            OnToggleTextMode();
            break;
        default:
            break;  // the item bar (9) stays as it is
    }
}

}  // namespace

QDockWidget* NoteOptionsBar() { return g_note_bar.data(); }
QDockWidget* StaffBar() { return g_staff_bar.data(); }

// Contract: reads and writes ActiveToolMode and NoteBarState; the bar is made on first use.
void OnToggleNoteBar() {
    end_other_mode(kModeNoteBar);
    ActiveToolMode = kModeNoteBar;
    toggle_bar(g_note_bar, NoteBarState, QStringLiteral("Note Options"),
               QStringLiteral("NoteOptionsBar"),
               {QStringLiteral("Style"), QStringLiteral("Tail"), QStringLiteral("Dot")});
}

// Contract: as OnToggleNoteBar with StaffBarState and an empty bar named "Staff".
void OnToggleStaffBar() {
    end_other_mode(kModeStaffBar);
    ActiveToolMode = kModeStaffBar;
    toggle_bar(g_staff_bar, StaffBarState, QStringLiteral("Staff"), QStringLiteral("StaffBar"), {});
}

// Contract: reads and writes ActiveToolMode, TextModeState, TextModeActive, ZoomButtonFlag; the
// active view's cursor follows. State 0 changes only ActiveToolMode.
void OnToggleTextMode() {
    end_other_mode(kModeText);
    ActiveToolMode = kModeText;
    if (TextModeState == -1) {
        TextModeActive = -1;
        ZoomButtonFlag = 0;
        set_view_cursor(Qt::IBeamCursor);
        TextModeState = 1;
    } else if (TextModeState == 1) {
        set_view_cursor(Qt::ArrowCursor);
        TextModeState = -1;
        ActiveToolMode = kModeNone;
        TextModeActive = 0;
    }
}

// Contract: reads ActiveToolMode; writes the bar states and ActiveToolMode.
void DismissToolMode() {
    switch (ActiveToolMode) {
        case kModeNoteBar:
            // Hidden as well, so that the word and the bar agree.
            if (!g_note_bar.isNull()) g_note_bar->hide();
            NoteBarState = -1;
            break;
        case kModeSlurBar:
            SlurBarState = -1;
            break;
        case kModeStaffBar:
            if (!g_staff_bar.isNull()) g_staff_bar->hide();
            StaffBarState = -1;
            break;
        case kModeText:
            break;
        default:
            return;
    }
    ActiveToolMode = kModeNone;
}

}  // namespace frontend
