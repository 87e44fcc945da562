// The main frame: its making, bars, menus, file commands and closing. The zoom commands are in
// frame_zoom.cpp, the settings formats in bar_layout.cpp.
#include "frontend/app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <vector>

#include "engine/commands/start_up.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/tables.h"
#include "frontend/app/bar_layout.h"
#include "frontend/app/command_bar.h"
#include "frontend/app/frame_state.h"
#include "frontend/app/palettes.h"
#include "frontend/app/tool_modes.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/input_waits.h"
#include "frontend/bridge/item_panel.h"
#include "frontend/bridge/keys.h"
#include "frontend/bridge/qt_front_end.h"
#include "frontend/bridge/services.h"
#include "frontend/midi/midi_input_path.h"
#include "frontend/midi/player_window.h"
#include "frontend/view/frames.h"
#include "frontend/view/ormest_doc.h"
#include "frontend/view/ormest_view.h"

using namespace frontend;

namespace {

CMainFrame* g_main_frame = nullptr;

constexpr int kRecentFiles = 4;
constexpr char kRecentSection[] = "Recent File List";
const QString kDocumentFilter =
    QStringLiteral("Melandrix Files (*.mus *.MUS *.pag *.PAG);;All Files (*)");

Qt::ToolBarArea toolbar_area(int32_t dock_id) {
    switch (dock_id) {
        case kDockLeft:
            return Qt::LeftToolBarArea;
        case kDockRight:
            return Qt::RightToolBarArea;
        case kDockBottom:
            return Qt::BottomToolBarArea;
        default:
            return Qt::TopToolBarArea;  // top, and any id that names no side
    }
}

Qt::DockWidgetArea dock_area(int32_t dock_id) {
    switch (dock_id) {
        case kDockLeft:
            return Qt::LeftDockWidgetArea;
        case kDockRight:
            return Qt::RightDockWidgetArea;
        case kDockBottom:
            return Qt::BottomDockWidgetArea;
        default:
            return Qt::TopDockWidgetArea;
    }
}

int32_t dock_id_of(Qt::ToolBarArea area) {
    switch (area) {
        case Qt::TopToolBarArea:
            return kDockTop;
        case Qt::BottomToolBarArea:
            return kDockBottom;
        case Qt::LeftToolBarArea:
            return kDockLeft;
        case Qt::RightToolBarArea:
            return kDockRight;
        default:
            return 0;
    }
}

int32_t dock_id_of(Qt::DockWidgetArea area) {
    switch (area) {
        case Qt::TopDockWidgetArea:
            return kDockTop;
        case Qt::BottomDockWidgetArea:
            return kDockBottom;
        case Qt::LeftDockWidgetArea:
            return kDockLeft;
        case Qt::RightDockWidgetArea:
            return kDockRight;
        default:
            return 0;
    }
}

// A bar's rectangle on the screen.
QRect screen_rect(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// Gives the keyboard back when a box that has it closes. A window manager does that for its
// windows; without one the keyboard falls to no window, and keys then go to whatever window is
// under the pointer (a notice left open there, or nowhere) instead of the command bar.
class KeyboardBackAfterBox : public QObject {
  public:
    explicit KeyboardBackAfterBox(CMainFrame* frame) : QObject(frame), frame_(frame) {}

  protected:
    // Contract: acts on the hiding of a top-level dialog only, and never takes the event.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Hide) return false;
        auto* box = qobject_cast<QDialog*>(watched);
        if (box == nullptr || !box->isWindow()) return false;
        // Keys held while it was up go on from the next turn of the event loop, when it is gone
        // (a box of the engine hands them over again when its call ends).
        frontend::PassTypedAheadKeys();
        // Back to the box still open (one box asked from another), else to the window the box
        // was opened over, else to the main window.
        QWidget* back = QApplication::activeModalWidget();
        if (back == box || (back != nullptr && !back->isVisible())) back = nullptr;
        if (back == nullptr && box->parentWidget() != nullptr) back = box->parentWidget()->window();
        if (back == nullptr || !back->isVisible()) back = frame_;
        if (!back->isVisible()) return false;
        // Only while the keyboard is in the box, or still in that window (a box closed before
        // the window system gave it the keyboard, whose late turn would take it from there):
        // a user in another program keeps it.
        QWindow* keyboard = QGuiApplication::focusWindow();
        if (keyboard == nullptr ||
            (keyboard != box->windowHandle() && keyboard != back->windowHandle())) {
            return false;
        }
        back->activateWindow();
        // The main window's typing goes on in the command bar.
        if (back == frame_) frame_->CommandBar()->InputEdit()->setFocus();
        return false;
    }

  private:
    CMainFrame* frame_;
};

}  // namespace

namespace frontend {
CMainFrame* MainFrameWindow() { return g_main_frame; }
}  // namespace frontend

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    g_main_frame = this;
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Melandrix"));
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    SetDocumentArea(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        auto* child = qobject_cast<CChildFrame*>(window);
        if (child == nullptr) child = ActiveChild();
        SetActiveView(child != nullptr ? child->View() : nullptr);
    });
    // The command bar exists from the frame's construction on.
    command_bar_ = new CCommandBar(this);
    QCoreApplication::instance()->installEventFilter(new KeyboardBackAfterBox(this));
}

CMainFrame::~CMainFrame() {
    Hooks() = GateHooks{};
    if (front_end_ != nullptr) front_end_->SetCommandBar(nullptr);
    // The windows go before the frame's words that point at them; the player stops with its.
    delete player_window_;
    player_window_ = nullptr;
    for (QMdiSubWindow* w : mdi_->subWindowList()) delete w;
    SetActiveView(nullptr);
    SetDocumentArea(nullptr);
    CommandBarWnd = nullptr;
    PaletteToolbarWnd = nullptr;
    ZoomBarWnd = nullptr;
    ItemBarWnd = nullptr;
    if (g_main_frame == this) g_main_frame = nullptr;
}

// Contract: writes ScrollSizeRecord, ScrollStartPosition, the bar flags and dock ids, the
// palette words, the colours and modes (defaults, or as the settings saved them), InputEventFlags'
// key and line words, DocumentResetPending, DisplayScale, the bar pointers; reads the settings
// "WindowPos", "ToolbarState", "TbarRects", "TbarDocks" and "General/ToolTips"; runs the engine
// start-up last. A layout value that does not parse leaves the defaults (see bar_layout.h).
// Without a usable "WindowPos" the window takes most of the screen; without any, ChildMaximized
// becomes 1 as well.
int CMainFrame::OnCreate() {
    ScrollSizeRecord = {16000, 16000, 1024, 1024, 128, 0};
    ScrollStartPosition = {0, 0};

    std::unique_ptr<QSettings> settings = OpenProgramSettings();
    WindowPlacementRecord placement;
    bool placed = false;
    if (RestoreWindowPlacement(*settings, placement)) {
        SavedShowCommand = static_cast<int32_t>(placement.show_command);
        // A rectangle with no area, or one on no screen there is now, is no place to open at.
        bool on_screen = false;
        for (const QScreen* screen : QGuiApplication::screens()) {
            on_screen =
                on_screen || screen->availableVirtualGeometry().intersects(placement.normal);
        }
        if (placement.normal.width() > 0 && placement.normal.height() > 0 && on_screen) {
            setGeometry(placement.normal);
            placed = true;
        }
    } else {
        // A first start: the document window fills the document area.
        ChildMaximized = 1;
    }
    if (!placed) PlaceOnScreen();

    ShowFileTools = 0;
    ShowItemBar = 0;
    ShowToolbar2 = 0;
    ShowCommandBar = 1;
    ShowPaletteToolbar = 1;
    ShowZoomBar = 1;
    BarDockIds.fill(kDockTop);
    // The item bar is a tall column: on the left it leaves the top to the command bar's line.
    BarDockIds[kItemBarSlot] = kDockLeft;
    StaffBarState = 0;
    SlurBarState = 0;
    NoteBarState = 0;
    TextModeState = 0;
    ActiveToolMode = 0;
    PaletteBarFlag = 0;
    FilledPathsMode = 1;
    GeometryResetFlag = 1;
    TextColor = 0;
    // A first start has no saved colours: the page is white, not the black of a zero colour.
    BackgroundColor = kWhite;
    DisplayScale = 64;
    InputEventFlags.ArrowKeysToEngine = 0;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.LineWaitArmed = 0;
    InputEventFlags.LineComplete = 0;
    DocumentResetPending = 1;

    if (RestoreBarLayout(*settings)) {
        ApplyBarLayout();
    } else {
        TextColor = kWhite;
    }

    statusBar();
    tool_tips_ = settings->value(QStringLiteral("General/ToolTips"), 1).toInt() != 0;
    CreateBars();
    // The player exists from the start, hidden: the engine's play commands drive it.
    player_window_ = new CPlayerWindow(this);
    CreateMenus();

    TextModeState = -1;
    ItemBarWnd = item_bar_;
    CommandBarWnd = command_bar_;
    ZoomBarWnd = zoom_bar_;
    PaletteToolbarWnd = palette_toolbar_;
    // The first load of the main palette leaves the palette words at 0.
    frontend::ResetPaletteState();
    frontend::LoadPaletteButtons(core::kGeneralPalette);
    DockBars();

    item_bar_->setVisible(ShowItemBar != 0);
    command_bar_->setVisible(ShowCommandBar != 0);
    palette_toolbar_->setVisible(ShowPaletteToolbar != 0);
    second_toolbar_->setVisible(false);
    if (ShowZoomBar != 0) {
        SetZoomText(QString::number((DisplayScale * 100) >> 6) + QStringLiteral("%    "));
        zoom_bar_->setVisible(true);
    } else {
        zoom_bar_->setVisible(false);
    }
    UpdateBarMarks();
    LoadRecentFiles();
    ConnectGateHooks();
    if (front_end_ != nullptr) front_end_->SetCommandBar(command_bar_);

    engine_started_ = core::start_engine();
    return engine_started_ ? 0 : -1;
}

void CMainFrame::CreateBars() {
    palette_toolbar_ = new QToolBar(QStringLiteral("Input Tools"), this);
    palette_toolbar_->setObjectName(QStringLiteral("PaletteToolbar"));

    zoom_bar_ = new QToolBar(QStringLiteral("Zoom Bar"), this);
    zoom_bar_->setObjectName(QStringLiteral("ZoomBar"));
    zoom_list_ = new QComboBox(zoom_bar_);
    zoom_list_->setObjectName(QStringLiteral("ZoomList"));
    zoom_list_->setEditable(true);
    zoom_list_->setInsertPolicy(QComboBox::NoInsert);
    zoom_list_->addItems({"10%", "25%", "50%", "75%", "100%", "125%", "150%", "200%", "250%",
                          "300%", "400%", "500%"});
    zoom_list_->setCurrentIndex(-1);
    zoom_list_->setMinimumContentsLength(8);
    zoom_bar_->addWidget(zoom_list_);
    auto* zoom_box = new QToolButton(zoom_bar_);
    zoom_box->setObjectName(QStringLiteral("ZoomBoxButton"));
    zoom_box->setText(QStringLiteral("Zoom box"));
    if (tool_tips_) zoom_box->setToolTip(QStringLiteral("Drag a box on the page to zoom to it"));
    zoom_bar_->addWidget(zoom_box);
    connect(zoom_list_, &QComboBox::activated, this, &CMainFrame::OnZoomListSelect);
    connect(zoom_box, &QToolButton::clicked, this, [this] {
        // The zoom box: the next left drag zooms to the dragged rectangle.
        ZoomButtonFlag = ZoomButtonFlag == 0 ? -1 : 0;
        command_bar_->InputEdit()->setFocus();
    });

    second_toolbar_ = new QToolBar(QStringLiteral("Toolbar 2"), this);
    second_toolbar_->setObjectName(QStringLiteral("SecondToolbar"));

    item_bar_ = new QDockWidget(QStringLiteral("Item Bar"), this);
    item_bar_->setObjectName(QStringLiteral("ItemBar"));
    item_bar_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    item_panel_ = new ItemPanel(item_bar_);
    item_bar_->setWidget(item_panel_);
}

// Contract: reads BarDockIds and BarRects; puts the toolbars and the two docked bars in the
// areas their dock ids name (top for an id that names no side). Within one area the bars keep
// the order of their saved rectangles, and a toolbar whose rectangle lies on another row than
// the one before it starts a new row.
void CMainFrame::DockBars() {
    struct Placed {
        QToolBar* bar;
        int32_t dock;
        QRect rect;
    };
    std::vector<Placed> toolbars = {
        {palette_toolbar_, BarDockIds[kPaletteToolbarSlot], BarRects[kPaletteToolbarSlot]},
        {zoom_bar_, BarDockIds[kZoomBarSlot], BarRects[kZoomBarSlot]},
        {second_toolbar_, BarDockIds[kSecondToolbarSlot], BarRects[kSecondToolbarSlot]},
    };
    const auto horizontal = [](Qt::ToolBarArea a) {
        return a == Qt::TopToolBarArea || a == Qt::BottomToolBarArea;
    };
    std::stable_sort(toolbars.begin(), toolbars.end(), [&](const Placed& a, const Placed& b) {
        const Qt::ToolBarArea aa = toolbar_area(a.dock);
        const Qt::ToolBarArea ba = toolbar_area(b.dock);
        if (aa != ba) return aa < ba;
        if (horizontal(aa)) {
            return a.rect.y() != b.rect.y() ? a.rect.y() < b.rect.y() : a.rect.x() < b.rect.x();
        }
        return a.rect.x() != b.rect.x() ? a.rect.x() < b.rect.x() : a.rect.y() < b.rect.y();
    });
    for (std::size_t k = 0; k < toolbars.size(); ++k) {
        const Qt::ToolBarArea area = toolbar_area(toolbars[k].dock);
        if (k > 0 && toolbar_area(toolbars[k - 1].dock) == area) {
            const QRect& prev = toolbars[k - 1].rect;
            const QRect& cur = toolbars[k].rect;
            const bool new_row = horizontal(area)
                                     ? cur.y() >= prev.y() + std::max(1, prev.height() / 2)
                                     : cur.x() >= prev.x() + std::max(1, prev.width() / 2);
            if (!prev.isEmpty() && !cur.isEmpty() && new_row) addToolBarBreak(area);
        }
        addToolBar(area, toolbars[k].bar);
    }

    QDockWidget* first = command_bar_;
    QDockWidget* second = item_bar_;
    int32_t first_dock = BarDockIds[kCommandBarSlot];
    int32_t second_dock = BarDockIds[kItemBarSlot];
    if (first_dock == second_dock && BarRects[kItemBarSlot].isValid() &&
        BarRects[kCommandBarSlot].isValid() &&
        (BarRects[kItemBarSlot].y() < BarRects[kCommandBarSlot].y() ||
         (BarRects[kItemBarSlot].y() == BarRects[kCommandBarSlot].y() &&
          BarRects[kItemBarSlot].x() < BarRects[kCommandBarSlot].x()))) {
        std::swap(first, second);
        std::swap(first_dock, second_dock);
    }
    addDockWidget(dock_area(first_dock), first);
    addDockWidget(dock_area(second_dock), second);
}

void CMainFrame::CreateMenus() {
    auto add = [this](QMenu* menu, int id, const QString& text, auto slot) {
        QAction* a = menu->addAction(text);
        connect(a, &QAction::triggered, this, slot);
        actions_.insert(id, a);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    add(file, kCmdFileNew, QStringLiteral("&New"), [this] {
        // The engine keeps one page: its unsaved changes are asked about first, in its window
        // (brought back when it was closed).
        COrmestDoc* doc = ActiveDocument();
        if (doc == nullptr) doc = RestorePageWindowForUnsavedWork();
        if (doc != nullptr && !doc->SaveModified()) return;
        OnFileNew();
    })->setShortcut(QKeySequence::New);
    add(file, kCmdFileOpen, QStringLiteral("&Open..."), [this] {
        OnFileOpen();
    })->setShortcut(QKeySequence::Open);
    add(file, kCmdFileSave, QStringLiteral("&Save"), [this] {
        OnFileSave();
    })->setShortcut(QKeySequence::Save);
    add(file, kCmdFileSaveAs, QStringLiteral("Save &As..."), [this] { OnFileSaveAs(); });
    file->addSeparator();
    // The engine prints through its own print command.
    add(file, kCmdFilePrint, QStringLiteral("&Print..."), [] {
        if (COrmestView* view = ActiveView()) view->OnPreparePrinting();
    })->setShortcut(QKeySequence::Print);
    add(file, kCmdPrintPreview, QStringLiteral("Print Pre&view"), [] {
        if (COrmestView* view = ActiveView()) view->OnPrintPreview();
    });
    add(file, kCmdLoadDisplayBuffer, QStringLiteral("&Load Display Buffer..."), [this] {
        OnLoadDisplayBuffer();
    })->setStatusTip(QStringLiteral("Loads the display buffer"));
    file->addSeparator();
    recent_menu_ = file->addMenu(QStringLiteral("Recent &Files"));
    file->addSeparator();
    add(file, kCmdAppExit, QStringLiteral("E&xit"), [this] { close(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    QMenu* bars = view->addMenu(QStringLiteral("&Toolbars"));
    add(bars, kCmdInputTools, QStringLiteral("&Input Tools"), [this] { OnTogglePaletteToolbar(); });
    add(bars, kCmdCommandBar, QStringLiteral("&Command Bar"), [this] { OnToggleCommandBar(); });
    add(bars, kCmdZoomBar, QStringLiteral("&Zoom Bar"), [this] { OnToggleZoomBar(); });
    add(bars, kCmdItemBar, QStringLiteral("I&tem Bar"),
        [this] { OnItemBar(ShowItemBar != 0 ? 0 : 1); });
    for (int id : {kCmdInputTools, kCmdCommandBar, kCmdZoomBar, kCmdItemBar}) {
        actions_.value(id)->setCheckable(true);
    }
    view->addSeparator();
    // The painting of the page: shapes filled or outlined, the colours, the font test.
    QAction* filled = add(view, kCmdFilledPaths, QStringLiteral("&Filled Shapes"), [] {
        if (COrmestView* v = ActiveView()) v->OnToggleFilledPaths();
    });
    filled->setCheckable(true);
    filled->setChecked(FilledPathsMode != 0);
    QMenu* colours = view->addMenu(QStringLiteral("&Colors"));
    const struct {
        int id;
        const char* text;
        void (COrmestView::*handler)();
    } colour_commands[] = {
        {kCmdSelectionColor, "&Selection Color...", &COrmestView::OnSelectionColor},
        {kCmdFillColor, "&Fill Color...", &COrmestView::OnFillColor},
        {kCmdTextColor, "&Text Color...", &COrmestView::OnTextColor},
        {kCmdDefaultColor, "&Default Color...", &COrmestView::OnDefaultColor},
        {kCmdBackground, "&Background...", &COrmestView::OnBackground},
    };
    for (const auto& c : colour_commands) {
        add(colours, c.id, QString::fromLatin1(c.text), [handler = c.handler] {
            if (COrmestView* v = ActiveView()) (v->*handler)();
        });
    }
    add(view, kCmdFontTest, QStringLiteral("Font &Test..."), [] {
        if (COrmestView* v = ActiveView()) v->OnFontTest();
    });
    view->addSeparator();
    add(view, kCmdZoomIn, QStringLiteral("Zoom &In"), [this] {
        OnZoomIn();
    })->setStatusTip(QStringLiteral("Mine it!"));
    add(view, kCmdZoomOut, QStringLiteral("Zoom &Out"), [this] {
        OnZoomOut();
    })->setStatusTip(QStringLiteral("Dig it!"));
    view->addSeparator();
    add(view, kCmdMidiPlayer, QStringLiteral("MIDI &Player"), [this] {
        ShowPlayerWindow();
    })->setStatusTip(QStringLiteral("Shows the MIDI player"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, kCmdAppAbout, QStringLiteral("&About Melandrix..."), [this] {
        QMessageBox::about(this, QStringLiteral("About Melandrix"),
                           QStringLiteral("Melandrix\nmusic engraving editor"));
    });
}

void CMainFrame::ShowPlayerWindow() {
    if (player_window_ == nullptr) return;
    player_window_->show();
    player_window_->raise();
    player_window_->activateWindow();
}

// The gate's window steps: the reply line, a document reset, the repaint, the zoom text and
// the input focus.
void CMainFrame::ConnectGateHooks() {
    GateHooks& hooks = Hooks();
    hooks.show_reply = [this](std::string_view text) {
        command_bar_->SetMessageText(FromEngineText(text).trimmed());
        // The reply the engine left has the kind it was left with.
        command_bar_->SetMessageKind(core::LeftReplyKind);
    };
    hooks.reset_document = [this] {
        COrmestDoc* doc = ActiveDocument();
        if (doc == nullptr) return false;
        doc->OnNewDocument();
        return true;
    };
    hooks.restore_page_window = [this]() -> COrmestDoc* { return RestorePageWindow()->Document(); };
    hooks.repaint_main_window = [this] { repaint(); };
    hooks.show_zoom_text = [this](std::string_view text) {
        SetZoomText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    };
    hooks.focus_input = [this] { command_bar_->InputEdit()->setFocus(); };
    hooks.dismiss_tool = [] { frontend::DismissToolMode(); };
}

// -- documents ----------------------------------------------------------------------------------

CChildFrame* CMainFrame::ActiveChild() const {
    return qobject_cast<CChildFrame*>(mdi_->currentSubWindow());
}

COrmestDoc* CMainFrame::ActiveDocument() const {
    CChildFrame* child = ActiveChild();
    return child != nullptr ? child->Document() : nullptr;
}

CChildFrame* CMainFrame::AddChildFrame(COrmestDoc* doc) {
    auto* child = new CChildFrame(doc);
    // The engine may be inside a call that uses this document's view.
    RefuseCloseWhileEngineBusy(child);
    mdi_->addSubWindow(child);
    // A new window takes most of the document area, as the first windows of a session did.
    // (Before the frame is first shown the area has no size yet: the frame's own is taken.)
    const QSize area = isVisible() ? mdi_->size() : size();
    child->resize(std::max(400, area.width() * 3 / 4), std::max(300, area.height() * 3 / 4));
    connect(doc, &COrmestDoc::documentSaved, this, &CMainFrame::AddRecentFile);
    connect(child->View(), &COrmestView::filledPathsModeChanged, this, [this](bool filled) {
        if (QAction* a = CommandAction(kCmdFilledPaths)) a->setChecked(filled);
    });
    child->show();
    // On screen: the area's placement may put a later window partly outside it.
    if (isVisible() && !mdi_->viewport()->rect().contains(child->geometry())) child->move(0, 0);
    mdi_->setActiveSubWindow(child);
    SetActiveView(child->View());
    // The view never keeps the focus: typing goes to the input line.
    command_bar_->InputEdit()->setFocus();
    return child;
}

// Contract: the window of the page the engine holds: named after its file (untitled when it has
// none or the engine reset it), with the engine's changed mark and last title line.
CChildFrame* CMainFrame::RestorePageWindow() {
    auto* doc = new COrmestDoc;
    doc->OnNewDocument();
    const QString page = EnginePageWasReset() ? QString() : EnginePageFile();
    if (!page.isEmpty()) doc->SetPathName(page);
    if (!LastEngineTitleLine().isEmpty()) doc->SetTitleLine(LastEngineTitleLine());
    doc->SetModifiedFlag(core::ChangesMadeFlag != 0);
    return AddChildFrame(doc);
}

// The engine keeps its one page: the new window is that page's, so that its Save and Exit's
// question name the page's own file, never a made-up one beside it.
CChildFrame* CMainFrame::OnFileNew() { return RestorePageWindow(); }

// Contract: the document is opened before its window exists, so that the window active during
// the open is the one a pending reset replaces. A failed open leaves no window behind. The
// recent-file list takes the document's absolute path: the open has moved the current folder.
CChildFrame* CMainFrame::OpenDocumentFile(const QString& path) {
    auto* doc = new COrmestDoc;
    if (!doc->OnOpenDocument(path)) {
        delete doc;
        return nullptr;
    }
    AddRecentFile(doc->PathName());
    CChildFrame* child = AddChildFrame(doc);
    // The engine holds one page: the windows of the page it replaced close.
    CloseWindowsOfOtherPages(child);
    // The page opens at its top left, even where the engine drew above the page origin.
    child->View()->ScrollToTopLeft();
    return child;
}

void CMainFrame::OnFileOpen() {
    const QString name =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(), kDocumentFilter);
    if (!name.isEmpty()) OpenDocumentFile(name);
}

// Contract: writes GraphicsList and GraphicsListLength from the chosen file (at most the list's
// words: a longer file is cut there and the message line says so), TextDisplayStreamCopy and
// TextDisplayStreamLength from "text" in the current folder (at most the stream's bytes, line
// feeds becoming zero bytes); a file that cannot be read leaves its list as it was. Then the
// lists are decoded and shown. Cancel changes nothing.
void CMainFrame::OnLoadDisplayBuffer() {
    const QString name = RunOpenFileDialog(QStringLiteral("Load Display Buffer"),
                                           QStringLiteral("Vector Files (*.vec)"));
    if (name.isEmpty()) return;
    QString told;
    QFile vectors(name);
    if (vectors.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = vectors.read(static_cast<qint64>(kGraphicsListWords) * 4);
        const int32_t words = static_cast<int32_t>(bytes.size() / 4);
        std::memcpy(GraphicsList.data(), bytes.constData(), static_cast<std::size_t>(words) * 4);
        GraphicsListLength = words;
        if (!vectors.atEnd())
            told = QStringLiteral("*** Only the first %1 words of the file were loaded.")
                       .arg(kGraphicsListWords);
    } else {
        told = QStringLiteral("*** Cannot read ") + name;
    }
    QFile text(QStringLiteral("text"));
    if (text.open(QIODevice::ReadOnly)) {
        QByteArray bytes = text.read(kTextStreamBytes);
        bytes.replace('\n', '\0');
        std::memcpy(TextDisplayStreamCopy.data(), bytes.constData(),
                    static_cast<std::size_t>(bytes.size()));
        TextDisplayStreamLength = static_cast<int32_t>(bytes.size());
    }
    DecodeDisplayLists(nullptr);
    if (!told.isEmpty()) command_bar_->SetMessageText(told);
}

void CMainFrame::OnFileSave() {
    if (COrmestDoc* doc = ActiveDocument()) doc->DoFileSave();
}

void CMainFrame::OnFileSaveAs() {
    if (COrmestDoc* doc = ActiveDocument()) doc->DoSaveAs();
}

void CMainFrame::LoadRecentFiles() {
    std::unique_ptr<QSettings> settings = OpenProgramSettings();
    recent_.clear();
    for (int k = 1; k <= kRecentFiles; ++k) {
        const QString path =
            settings->value(QStringLiteral("%1/File%2").arg(QLatin1String(kRecentSection)).arg(k))
                .toString();
        if (!path.isEmpty() && !recent_.contains(path)) recent_ << path;
    }
    RebuildRecentMenu();
}

void CMainFrame::AddRecentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    recent_.removeAll(full);
    recent_.prepend(full);
    while (recent_.size() > kRecentFiles) recent_.removeLast();
    std::unique_ptr<QSettings> settings = OpenProgramSettings();
    for (int k = 1; k <= kRecentFiles; ++k) {
        const QString key = QStringLiteral("%1/File%2").arg(QLatin1String(kRecentSection)).arg(k);
        if (k <= recent_.size()) {
            settings->setValue(key, recent_.at(k - 1));
        } else {
            settings->remove(key);
        }
    }
    RebuildRecentMenu();
}

void CMainFrame::RebuildRecentMenu() {
    if (recent_menu_ == nullptr) return;
    recent_menu_->clear();
    for (int k = 0; k < recent_.size(); ++k) {
        const QString path = recent_.at(k);
        QAction* a = recent_menu_->addAction(QStringLiteral("&%1 %2").arg(k + 1).arg(path));
        connect(a, &QAction::triggered, this, [this, path] {
            if (OpenDocumentFile(path) == nullptr) {
                recent_.removeAll(path);
                RebuildRecentMenu();
            }
        });
    }
    recent_menu_->setEnabled(!recent_.isEmpty());
}

// -- bars ---------------------------------------------------------------------------------------

QString CMainFrame::ZoomText() const { return zoom_list_->currentText(); }

void CMainFrame::SetZoomText(const QString& text) { zoom_list_->setEditText(text); }

void CMainFrame::UpdateBarMarks() {
    const auto mark = [this](int id, uint8_t flag) {
        if (QAction* a = CommandAction(id)) a->setChecked(flag != 0);
    };
    mark(kCmdItemBar, ShowItemBar);
    mark(kCmdCommandBar, ShowCommandBar);
    mark(kCmdInputTools, ShowPaletteToolbar);
    mark(kCmdZoomBar, ShowZoomBar);
}

void CMainFrame::OnToggleCommandBar() {
    ShowCommandBar = ShowCommandBar != 0 ? 0 : 1;
    command_bar_->setVisible(ShowCommandBar != 0);
    UpdateBarMarks();
}

void CMainFrame::OnTogglePaletteToolbar() {
    ShowPaletteToolbar = ShowPaletteToolbar != 0 ? 0 : 1;
    palette_toolbar_->setVisible(ShowPaletteToolbar != 0);
    UpdateBarMarks();
}

void CMainFrame::OnToggleZoomBar() {
    ShowZoomBar = ShowZoomBar != 0 ? 0 : 1;
    zoom_bar_->setVisible(ShowZoomBar != 0);
    UpdateBarMarks();
}

void CMainFrame::OnToggleToolbar2() {
    ShowToolbar2 = ShowToolbar2 != 0 ? 0 : 1;
    second_toolbar_->setVisible(ShowToolbar2 != 0);
}

// No bar belongs to the file tools: only the flag changes.
void CMainFrame::OnFileTools() { ShowFileTools = ShowFileTools != 0 ? 0 : 1; }

void CMainFrame::OnItemBar(int32_t mode) {
    ShowItemBar = mode != 0 ? 1 : 0;
    item_bar_->setVisible(ShowItemBar != 0);
    if (ShowItemBar != 0) ActiveToolMode = 9;
    UpdateBarMarks();
}

// Contract: the posted MIDI input event fills the mailbox from the ring (see OnMidiInData);
// every other event goes to the base.
bool CMainFrame::event(QEvent* event) {
    if (event->type() == kMidiInDataEvent) {
        OnMidiInData();
        return true;
    }
    return QMainWindow::event(event);
}

// -- placement and closing ---------------------------------------------------------------------

// Contract: the window (without its frame) gets 90% of the primary screen's available width
// and height, centred on it; without a screen nothing changes.
void CMainFrame::PlaceOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect available = screen->availableGeometry();
    if (available.isEmpty()) return;
    QRect rect(0, 0, available.width() * 9 / 10, available.height() * 9 / 10);
    rect.moveCenter(available.center());
    setGeometry(rect);
}

void CMainFrame::ApplyStartPlacement() {
    if (ChildMaximized != 0) {
        if (CChildFrame* child = ActiveChild()) child->showMaximized();
        ChildMaximized = 0;
    }
    if (SavedShowCommand == 3) showMaximized();
}

// Contract: writes ChildMaximized, ToolbarStateSlots, BarRects, BarDockIds and the settings
// "WindowPos", "ToolbarState", "TbarRects" and "TbarDocks".
void CMainFrame::SaveLayout() {
    std::unique_ptr<QSettings> settings = OpenProgramSettings();
    WindowPlacementRecord placement;
    placement.show_command = isMaximized() ? 3 : (isMinimized() ? 2 : 1);
    placement.normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    CChildFrame* child = ActiveChild();
    ChildMaximized = child != nullptr && child->isMaximized() ? 1 : 0;
    SaveWindowPlacement(*settings, placement);

    CollectToolbarState();
    BarRects[kPaletteToolbarSlot] = screen_rect(palette_toolbar_);
    BarRects[kZoomBarSlot] = screen_rect(zoom_bar_);
    BarRects[kCommandBarSlot] = screen_rect(command_bar_);
    BarRects[kItemBarSlot] = screen_rect(item_bar_);
    BarRects[kSecondToolbarSlot] = screen_rect(second_toolbar_);

    CurrentDocksRecord docks;
    docks.command_bar = dock_id_of(dockWidgetArea(command_bar_));
    docks.palette_toolbar = dock_id_of(toolBarArea(palette_toolbar_));
    docks.zoom_bar = dock_id_of(toolBarArea(zoom_bar_));
    docks.item_bar = dock_id_of(dockWidgetArea(item_bar_));
    save_toolbar_state(*settings, docks);
    settings->sync();
    // The window would open in its old layout next time: the user is told why.
    if (settings->status() != QSettings::NoError) {
        std::cerr << "ormest: the window's layout was not saved: "
                  << settings->fileName().toLocal8Bit().constData() << " cannot be written.\n";
    }
}

// Contract: while an engine call runs (a wait, a question) the close is put off until the
// outermost call has returned. Then the layout is written first, then every document window is
// closed, each asking about its unsaved changes; a Cancel keeps the frame open. The engine is
// not told.
void CMainFrame::closeEvent(QCloseEvent* event) {
    if (DeferCloseWhileEngineBusy(this)) {
        event->ignore();
        return;
    }
    SaveLayout();
    // A page whose window was closed may still hold work: its window comes back to ask.
    RestorePageWindowForUnsavedWork();
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(w);
        if (child != nullptr && !child->Document()->SaveModified()) {
            event->ignore();
            return;
        }
    }
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        if (auto* child = qobject_cast<CChildFrame*>(w)) child->CloseDocument();
    }
    if (player_window_ != nullptr) player_window_->hide();
    event->accept();
}
