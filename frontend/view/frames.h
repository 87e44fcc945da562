// The document windows: each CChildFrame is one MDI child holding one document and its view.
// The main frame's document area is registered here so that the document and the gate can find
// the active window without knowing the main frame.
#pragma once

#include <QMdiSubWindow>

class COrmestDoc;
class COrmestView;
class QMdiArea;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

  public:
    // Takes ownership of doc; makes the view and runs its first update.
    explicit CChildFrame(COrmestDoc* doc, QWidget* parent = nullptr);
    ~CChildFrame() override;

    COrmestDoc* Document() const { return doc_; }
    COrmestView* View() const { return view_; }

    // Closes the window and its document without asking about changes (the engine's page is
    // not the document's to lose).
    void CloseDocument();

  protected:
    // Asks to save a modified document first; Cancel keeps the window.
    void closeEvent(QCloseEvent* event) override;
    // The window never keeps the focus: typing goes to the command bar's input line.
    void focusInEvent(QFocusEvent* event) override;

  private:
    void UpdateTitle();

    COrmestDoc* doc_ = nullptr;
    COrmestView* view_ = nullptr;
    bool closing_without_asking_ = false;
};

namespace frontend {

// The MDI area of the main frame (null before it exists).
void SetDocumentArea(QMdiArea* area);
QMdiArea* DocumentArea();
// The active document window (null when none).
CChildFrame* ActiveChildFrame();
// Closes, without asking, the windows other than keep whose document is no longer the engine's
// page.
void CloseWindowsOfOtherPages(const CChildFrame* keep);
// After the engine renamed its page: the active window takes the page's file, other files'
// windows close.
void FollowEnginePageName();

}  // namespace frontend
