#include "frontend/view/frames.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QPointer>

#include "frontend/bridge/engine_gate.h"
#include "frontend/view/ormest_doc.h"
#include "frontend/view/ormest_view.h"

namespace {
QPointer<QMdiArea> g_area;
}  // namespace

CChildFrame::CChildFrame(COrmestDoc* doc, QWidget* parent) : QMdiSubWindow(parent), doc_(doc) {
    setAttribute(Qt::WA_DeleteOnClose);
    doc_->setParent(this);
    view_ = new COrmestView(this);
    setWidget(view_);
    view_->OnInitialUpdate();
    UpdateTitle();
    connect(doc_, &COrmestDoc::titleChanged, this, [this] { UpdateTitle(); });
    // Only the mark: the title may be the engine's title line, which the flag must not undo.
    connect(doc_, &COrmestDoc::modifiedChanged, this, [this] { UpdateTitle(); });
}

CChildFrame::~CChildFrame() = default;

// Contract: the document's title; the window's own change mark only when the title does not
// already say whether the page is saved (the engine's line has " * (not saved - ").
void CChildFrame::UpdateTitle() {
    const QString mark = doc_->TitleTellsChanges() ? QString() : QStringLiteral("[*]");
    setWindowTitle(doc_->ShownTitle() + mark);
    setWindowModified(doc_->IsModified());
}

void CChildFrame::CloseDocument() {
    closing_without_asking_ = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!closing_without_asking_ && !doc_->SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

void CChildFrame::focusInEvent(QFocusEvent* event) {
    QMdiSubWindow::focusInEvent(event);
    if (frontend::Hooks().focus_input) frontend::Hooks().focus_input();
}

namespace frontend {

void SetDocumentArea(QMdiArea* area) { g_area = area; }

QMdiArea* DocumentArea() { return g_area.data(); }

CChildFrame* ActiveChildFrame() {
    if (g_area.isNull()) return nullptr;
    return qobject_cast<CChildFrame*>(g_area->currentSubWindow());
}

// Contract: closes, without asking, every document window but keep whose document is no
// longer the engine's page. Their changes went with the page: the engine asked about them
// before it replaced the page, and a Yes to a question now would save the new page under the
// old name.
void CloseWindowsOfOtherPages(const CChildFrame* keep) {
    if (g_area.isNull()) return;
    for (QMdiSubWindow* w : g_area->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(w);
        if (child == nullptr || child == keep || child->Document()->HoldsEnginePage()) continue;
        child->CloseDocument();
    }
}

// Contract: after an engine call that renamed its page (a G word, a save under a new name),
// the active window, which shows the page, takes the page's file as its document; the windows
// of other files close.
void FollowEnginePageName() {
    CChildFrame* active = ActiveChildFrame();
    const QString page = EnginePageFile();
    if (active != nullptr && !page.isEmpty() && !active->Document()->HoldsEnginePage())
        active->Document()->SetPathName(page);
    CloseWindowsOfOtherPages(active);
}

}  // namespace frontend
