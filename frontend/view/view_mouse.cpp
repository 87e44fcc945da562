// Mouse input of the page window: clicks, drags, drawn boxes, the zoom box, the right and middle
// buttons. Points reach the engine in MouseRegion in engine units with a short token; while the
// engine is busy the token is only deposited for the waiting routine.
#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/tables.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/item_panel.h"
#include "frontend/view/ormest_view.h"

using namespace frontend;

namespace {

// The second corner of MouseRegion (words 3 and 4: y, x) from a page point.
void store_second_corner(const std::array<int32_t, 2>& page) {
    core::MouseRegion(3) = PageToEngine(page[1], DisplayScale);
    core::MouseRegion(4) = PageToEngine(page[0], DisplayScale);
}

std::array<int32_t, 2> as_pair(QPoint p) { return {p.x(), p.y()}; }

void show_zoom_text() {
    if (Hooks().show_zoom_text) Hooks().show_zoom_text(ZoomPercentText(DisplayScale));
}

void focus_input() {
    if (Hooks().focus_input) Hooks().focus_input();
}

// Ends a one-action tool (the frame knows its bars); the focus goes back to the input edit.
void dismiss_tool() {
    if (Hooks().dismiss_tool) Hooks().dismiss_tool();
    focus_input();
}

// Multiplies the six scroll sizes by f, truncating.
void scale_scroll_sizes(double f) {
    for (int32_t& w : ScrollSizeRecord) {
        w = static_cast<int32_t>(std::clamp(std::trunc(w * f), -2147483648.0, 2147483647.0));
    }
}

// The common tail after a mouse handler's engine call: the key flags back to "from a command",
// and unless the engine said there is nothing to show, the new lists and the reply.
void mouse_call_tail(int32_t status, bool decode, const core::FixedText<512>& line) {
    InputEventFlags.SpecialKeyCount = 0;
    InputEventFlags.ArrowKeysToEngine = 1;
    InputEventFlags.PageKeysToEngine = 1;
    if (status == 0 || !decode) return;
    DecodeDisplayLists(nullptr);
    if (Hooks().show_reply) Hooks().show_reply(line.view());
}

// Puts the buffer token in FrontEndCommandBuffer and, when the engine is idle, runs line_text
// through the gate (the reply comes back in line). False when it only deposited.
bool send_mouse_token(const char* buffer_token, const char* line_text, core::FixedText<512>& line,
                      int32_t& status) {
    DepositCommandText(buffer_token);
    if (EngineBusy()) return false;
    line.set(line_text);
    status = 0;
    if (RunEngineLine(line, status) != 0 && Hooks().message_box) Hooks().message_box(line.view());
    return true;
}

}  // namespace

void COrmestView::OnLButtonDown(QPoint point) {
    if (DragActive == 0) DragAnchor = point;
    DragActive = 1;
    if (TextModeActive != 0) {
        // The sample goes where the click was, as a page point.
        const QPoint page = DeviceToPage(point);
        TextModePoint = {page.x(), page.y()};
        TextModeSampleText.clear();
        viewport()->update();
    }
}

// Contract: writes DragRect, LastDragRect, RawMousePoint, MouseRegion words 3-4 and the
// buffer; runs "~v" through the gate while a drag that did not start at the last release point
// goes on and the engine is idle at level 0. At a box prompt (the view's level 0, no item
// edited) the view draws the rubber band.
void COrmestView::OnMouseMove(QPoint point) {
    if (EngineWaitLevel == 2) return;
    if (DragActive == 0) {
        LastDragRect = QRect();
        return;
    }
    DragRect = QRect(DragAnchor, point).normalized();
    if (ViewWaitLevel == 0 && core::EditedItemNumber == 0) {
        DrawDragRect(DragRect, LastDragRect);
        LastDragRect = DragRect;
    }
    // The point is always the mouse's own: a level left at 0 must not hand a dragged item the
    // point of an earlier move.
    InputEventFlags.RawMousePoint = as_pair(DeviceToPage(point));
    if (DragAnchor == DragRelease) {
        DragRect = QRect(DragAnchor, QSize(0, 0));
        return;
    }
    store_second_corner(InputEventFlags.RawMousePoint);
    if (EngineWaitLevel != 0) {
        DepositCommandText("~v");
        return;
    }
    core::FixedText<512> line;
    int32_t status = 0;
    if (!send_mouse_token("~v", "~v", line, status)) return;
    mouse_call_tail(status, ViewWaitLevel != 0, line);
    dismiss_tool();
}

// Contract: a click ("~"), a zoom box or a drawn box ("~x" with the line "|"); writes
// DragRelease, DragActive, DragRect, RawMousePoint, MouseRegion, DisplayScale and the scroll
// sizes (zoom box). A zoom box of zero width is a click; the zoom stays within
// kMinDisplayScale..kMaxDisplayScale.
void COrmestView::OnLButtonUp(QPoint point) {
    DragRelease = point;
    DragActive = 0;
    InputEventFlags.RawMousePoint = as_pair(DeviceToPage(point));
    DrawDragRect(QRect(), LastDragRect);
    const bool zero_width_zoom = ZoomButtonFlag != 0 && DragAnchor.x() == DragRelease.x();
    if (DragAnchor == DragRelease || EngineWaitLevel != 0 || zero_width_zoom) {
        store_second_corner(InputEventFlags.RawMousePoint);
        if (EngineWaitLevel > 0) {
            DepositCommandText("~");
            // The waiting line goes on taking keys: the press gave the focus to the page's
            // window, as an idle click's tool end gives it back too.
            focus_input();
            return;
        }
        core::FixedText<512> line;
        int32_t status = 0;
        if (!send_mouse_token("~", "~", line, status)) return;
        mouse_call_tail(status, true, line);
        dismiss_tool();
        return;
    }
    // The first corner is the lower one on screen.
    if (DragAnchor.y() <= DragRelease.y()) std::swap(DragAnchor, DragRelease);
    DragRect = QRect(DragAnchor, DragRelease);

    if (ZoomButtonFlag != 0) {
        const int width = std::abs(DragRelease.x() - DragAnchor.x());
        const double f = static_cast<double>(viewport()->width()) / width;
        const int32_t old_scale = DisplayScale;
        DisplayScale = ClampDisplayScale(static_cast<int64_t>(std::trunc(old_scale * f)));
        const double applied = static_cast<double>(DisplayScale) / old_scale;
        scale_scroll_sizes(applied);
        ApplyScrollSizes();
        const QPoint corner(std::min(DragAnchor.x(), DragRelease.x()),
                            std::min(DragAnchor.y(), DragRelease.y()));
        const QPoint scroll = DeviceScrollPosition();
        ScrollToDevicePosition(
            QPoint(static_cast<int>(std::trunc((corner.x() + scroll.x()) * applied)),
                   static_cast<int>(std::trunc((corner.y() + scroll.y()) * applied))));
        show_zoom_text();
        DragRect = QRect();
        LastDragRect = QRect();
        BuildGeometryAndRepaint(this);
        focus_input();
        return;
    }

    const QPoint lower = DeviceToPage(DragAnchor);
    const QPoint upper = DeviceToPage(DragRelease);
    core::MouseRegion(1) = PageToEngine(lower.y(), DisplayScale);
    core::MouseRegion(2) = PageToEngine(lower.x(), DisplayScale);
    core::MouseRegion(3) = PageToEngine(upper.y(), DisplayScale);
    core::MouseRegion(4) = PageToEngine(upper.x(), DisplayScale);
    core::FixedText<512> line;
    int32_t status = 0;
    if (!send_mouse_token("~x", "|", line, status)) return;
    UpdateItemPanel();
    mouse_call_tail(status, true, line);
}

// Contract: with an item edited, "X" through SendCommand; otherwise the zoom toggles between 64
// and 128 (from any other zoom to 64), the scroll sizes follow, and the view scrolls so that
// the clicked point stays where it was on screen.
void COrmestView::OnRButtonUp(QPoint point) {
    InputEventFlags.ArrowKeysToEngine = 0;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.SpecialKeyCount = 0;
    std::string marked(core::MessageLine.view());
    marked[1] = '5';
    core::set_exchange_text(marked);
    InputEventFlags.RawMousePoint = as_pair(point);
    if (core::EditedItemNumber != 0) {
        SendCommand("X");
        return;
    }
    const int32_t old_scale = DisplayScale;
    const int32_t new_scale = old_scale == 64 ? 128 : 64;
    const QPoint page_before = DeviceToPage(point);
    DragActive = 0;
    core::MouseRegion(3) = PageToEngine(point.y(), new_scale);
    core::MouseRegion(4) = PageToEngine(point.x(), new_scale);
    DisplayScale = new_scale;
    show_zoom_text();
    const double f = static_cast<double>(new_scale) / old_scale;
    scale_scroll_sizes(f);
    ApplyScrollSizes();
    // The same page content lies f times further from the origin after the zoom.
    const double k = PixelsPerPageUnit();
    ScrollToDevicePosition(
        QPoint(static_cast<int>(std::lround(page_before.x() * f * k)) - point.x(),
               static_cast<int>(std::lround(-page_before.y() * f * k)) - point.y()));
    BuildGeometryAndRepaint(this);
    focus_input();
}

// With no item edited there is no line to send: nothing goes to the engine.
void COrmestView::OnMButtonUp(QPoint point) {
    InputEventFlags.ArrowKeysToEngine = 0;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.SpecialKeyCount = 0;
    if (core::EditedItemNumber == 0) return;
    core::FixedText<512> line("CC");
    int32_t status = 0;
    RunEngineLine(line, status);
    if (status == 0) return;
    DecodeDisplayLists(nullptr);
    if (Hooks().show_reply) Hooks().show_reply(line.view());
    viewport()->repaint();
}

void COrmestView::DrawDragRect(const QRect& rect, const QRect& last) {
    if (rect == rubber_band_ && last == rubber_band_) return;
    rubber_band_ = rect;
    viewport()->update();
}

bool COrmestView::BehindModalDialog() const {
    const QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal != window() && !modal->isAncestorOf(this);
}

void COrmestView::DropPagePress() {
    pressed_on_page_ = Qt::NoButton;
    if (DragActive == 0) return;
    DragActive = 0;
    DragRect = QRect();
    DrawDragRect(QRect(), LastDragRect);
    LastDragRect = QRect();
}

bool COrmestView::event(QEvent* event) {
    // A modal dialog opened over the page (Qt tells every widget of a window it blocks): a
    // press held on the page is over; its release, after the dialog, must not act.
    if (event->type() == QEvent::WindowBlocked) DropPagePress();
    return QAbstractScrollArea::event(event);
}

// Contract: a press counts only when it lands on the page with no modal dialog in front; a
// left press with no left press known to be under way starts a new drag (a drag left over by a
// release that never came here is dropped first).
void COrmestView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (BehindModalDialog()) {
        DropPagePress();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        if (!pressed_on_page_.testFlag(Qt::LeftButton)) DropPagePress();
        OnLButtonDown(event->position().toPoint());
    }
    pressed_on_page_ |= event->button();
}

// Only the moves of a left drag that began on the page reach the engine.
void COrmestView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (BehindModalDialog()) {
        DropPagePress();
        return;
    }
    if (!pressed_on_page_.testFlag(Qt::LeftButton) || !event->buttons().testFlag(Qt::LeftButton))
        return;
    OnMouseMove(event->position().toPoint());
}

// A release acts only for a button pressed on the page: a press in a dialog (or one that
// closed it) never becomes a page click when the button comes up over the page.
void COrmestView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (BehindModalDialog()) {
        DropPagePress();
        return;
    }
    const Qt::MouseButton button = event->button();
    if (!pressed_on_page_.testFlag(button)) return;
    pressed_on_page_ &= ~Qt::MouseButtons(button);
    const QPoint p = event->position().toPoint();
    switch (button) {
        case Qt::LeftButton:
            OnLButtonUp(p);
            break;
        case Qt::RightButton:
            OnRButtonUp(p);
            break;
        case Qt::MiddleButton:
            OnMButtonUp(p);
            break;
        default:
            break;
    }
}
