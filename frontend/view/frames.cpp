#include "frontend/view/frames.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QPointer>

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
    connect(doc_, &COrmestDoc::modifiedChanged, this,
            [this] { setWindowModified(doc_->IsModified()); });
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::UpdateTitle() {
    setWindowTitle(doc_->Title() + QStringLiteral("[*]"));
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

namespace frontend {

void SetDocumentArea(QMdiArea* area) { g_area = area; }

QMdiArea* DocumentArea() { return g_area.data(); }

CChildFrame* ActiveChildFrame() {
    if (g_area.isNull()) return nullptr;
    return qobject_cast<CChildFrame*>(g_area->currentSubWindow());
}

}  // namespace frontend
