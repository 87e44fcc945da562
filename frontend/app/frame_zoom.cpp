// The main frame's zoom commands: by a quarter, from the zoom bar's list, by steps, and the
// two toggles; the last three keep the view's centre where it was.
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <cmath>

#include "engine/core/store/item_panel_record.h"
#include "frontend/app/command_bar.h"
#include "frontend/app/main_frame.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/view/frames.h"
#include "frontend/view/ormest_view.h"

using namespace frontend;

namespace {

constexpr std::array<int32_t, 12> kZoomListPercents = {10,  25,  50,  75,  100, 125,
                                                       150, 200, 250, 300, 400, 500};

int32_t quarter_step(int32_t scale) { return std::max(scale / 4, 1); }

}  // namespace

void CMainFrame::OnZoomIn() {
    DisplayScale += quarter_step(DisplayScale);
    if (ActiveChild() != nullptr) BuildGeometryAndRepaint(nullptr);
}

void CMainFrame::OnZoomOut() {
    DisplayScale -= quarter_step(DisplayScale);
    if (DisplayScale < 1) DisplayScale = 1;
    if (ActiveChild() != nullptr) BuildGeometryAndRepaint(nullptr);
}

void CMainFrame::OnZoomListSelect(int index) {
    if (index < 0 || index >= static_cast<int>(kZoomListPercents.size())) return;
    Recentre(kZoomListPercents[static_cast<std::size_t>(index)] * 64 / 100);
}

// The zoom text after a step or toggle: the rounded percentage, "%" and five blanks.
void CMainFrame::WriteZoomText() {
    if (zoom_list_ == nullptr) return;
    const int percent = static_cast<int>(DisplayScale * 0.015625 * 100.0 + 0.5);
    SetZoomText(QString::number(percent) + QStringLiteral("%     "));
}

void CMainFrame::OnStepZoom(int32_t step) {
    Recentre(std::max(DisplayScale + step, 1));
    WriteZoomText();
}

void CMainFrame::OnToggleZoom(int32_t value) {
    if (core::ItemPanelRecord.edited_item == 0) {
        SendCommand(value == 128 ? "PATHX 2 " : "PATHX 3 ");
        return;
    }
    Recentre(DisplayScale == value ? 64 : value);
    WriteZoomText();
}

// Contract: writes PreviousDisplayScale, DisplayScale and ScrollSizeRecord (each word times
// new / old, truncated); with an active view, scrolls it so that the page point at its centre
// stays there (never before the page's start) and rebuilds the geometry. Focus goes to the
// command edit. A scale below 1 is taken as 1.
void CMainFrame::Recentre(int32_t new_scale) {
    new_scale = std::max(new_scale, 1);
    const int32_t old_scale = std::max(DisplayScale, 1);
    PreviousDisplayScale = new_scale;
    DisplayScale = new_scale;
    const double ratio = static_cast<double>(new_scale) / old_scale;
    for (int32_t& w : ScrollSizeRecord) {
        w = static_cast<int32_t>(std::clamp(std::trunc(w * ratio), -2147483648.0, 2147483647.0));
    }
    if (COrmestView* view = ActiveView()) {
        const QPoint centre(view->viewport()->width() / 2, view->viewport()->height() / 2);
        const QPoint scroll = view->DeviceScrollPosition();
        const QPoint point(static_cast<int>(std::trunc((centre.x() + scroll.x()) * ratio)),
                           static_cast<int>(std::trunc((centre.y() + scroll.y()) * ratio)));
        view->ApplyScrollSizes();
        view->ScrollToDevicePosition(
            QPoint(std::max(point.x() - centre.x(), 0), std::max(point.y() - centre.y(), 0)));
        BuildGeometryAndRepaint(nullptr);
    }
    command_bar_->InputEdit()->setFocus();
}
