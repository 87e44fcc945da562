// CMainFrame: the main window. It holds the document area (several page windows), the command
// bar, the palette toolbar, the zoom bar, the item bar and a second toolbar, restores their
// placement and the window's from the settings when it is made, starts the engine as the last
// step of its making, and writes the layout back when it closes. It also owns the bar toggles,
// the zoom commands and the file commands of its menus.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <cstdint>

class CChildFrame;
class CCommandBar;
class CPlayerWindow;
class COrmestDoc;
class ItemPanel;
class QAction;
class QComboBox;
class QDockWidget;
class QMdiArea;
class QMenu;
class QToolBar;
class QtFrontEnd;

// Command ids of the frame's menu commands.
enum FrameCommand : int {
    kCmdFileNew = 57600,
    kCmdFileOpen = 57601,
    kCmdFileSave = 57603,
    kCmdFileSaveAs = 57604,
    kCmdAppExit = 57665,
    kCmdAppAbout = 57664,
    kCmdZoomIn = 32771,
    kCmdZoomOut = 32772,
    kCmdItemBar = 32775,
    kCmdToolbar2 = 32791,
    kCmdCommandBar = 32792,
    kCmdInputTools = 32830,
    kCmdFileTools = 32832,
    kCmdZoomBar = 32839,
    kCmdLoadDisplayBuffer = 32793,
    kCmdFilledPaths = 32794,
    kCmdSelectionColor = 32834,
    kCmdTextColor = 32836,
    kCmdFillColor = 32837,
    kCmdDefaultColor = 32838,
    kCmdBackground = 32840,
    kCmdMidiPlayer = 32841,
    kCmdFilePrint = 57607,
    kCmdPrintPreview = 57609,
    kCmdFontTest = 57696,
};

class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The engine's front-end, whose command-bar services the command bar serves. Set before
    // OnCreate; not owned.
    void SetFrontEnd(QtFrontEnd* front_end) { front_end_ = front_end; }

    // Makes the window's parts in their fixed order: default words, the saved placement and bar
    // layout, the bars, their docking and visibility, the zoom text, and last the engine's
    // start-up. Returns 0, or -1 when the engine cannot start (a file it needs is missing; the
    // engine has said which).
    int OnCreate();
    bool EngineStarted() const { return engine_started_; }

    // -- documents --
    QMdiArea* MdiArea() const { return mdi_; }
    CChildFrame* ActiveChild() const;
    COrmestDoc* ActiveDocument() const;
    // A new window on the engine's page (untitled while the page has no file).
    CChildFrame* OnFileNew();
    CChildFrame* RestorePageWindow();
    // Opens path in a new window; null (and no window) when the open fails.
    CChildFrame* OpenDocumentFile(const QString& path);
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    // Reads a "*.vec" file into the graphics list and the file "text" of the current folder
    // into the text stream, and shows them (a developer's look at a stored display).
    void OnLoadDisplayBuffer();
    // The recent-file list (at most four paths, newest first).
    const QStringList& RecentFiles() const { return recent_; }

    // -- bars --
    QToolBar* PaletteToolbar() const { return palette_toolbar_; }
    QToolBar* ZoomBar() const { return zoom_bar_; }
    QToolBar* SecondToolbar() const { return second_toolbar_; }
    CCommandBar* CommandBar() const { return command_bar_; }
    QDockWidget* ItemBar() const { return item_bar_; }
    ItemPanel* ItemPanelWidget() const { return item_panel_; }
    QComboBox* ZoomList() const { return zoom_list_; }
    // The zoom bar's text (control 1040).
    QString ZoomText() const;
    void SetZoomText(const QString& text);
    // The MIDI player's window (made hidden with the frame; View > MIDI Player shows it).
    CPlayerWindow* PlayerWindow() const { return player_window_; }
    void ShowPlayerWindow();
    // The menu command of an id (null when the menus have none).
    QAction* CommandAction(int id) const { return actions_.value(id, nullptr); }

    // Bar toggles: flip the bar's flag, show or hide it, set the menu mark.
    void OnToggleCommandBar();
    void OnTogglePaletteToolbar();
    void OnToggleZoomBar();
    void OnToggleToolbar2();
    void OnFileTools();
    // Shows the item bar when mode is nonzero (the tool mode becomes 9), else hides it.
    void OnItemBar(int32_t mode);
    // The menu marks follow the bar flags.
    void UpdateBarMarks();

    // -- zoom --
    // By a quarter of the scale (at least 1); the scale never goes below 1. No re-centring.
    void OnZoomIn();
    void OnZoomOut();
    // The zoom list's entry index (0 = "10%" ... 11 = "500%"); -1 changes nothing.
    void OnZoomListSelect(int index);
    // Steps the scale by step (not below 1), re-centres and writes the zoom text.
    void OnStepZoom(int32_t step);
    // With no item edited, sends "PATHX 2 " (value 128) or "PATHX 3 " (value 192); otherwise
    // the scale toggles between 64 and value, re-centred, with the zoom text written.
    void OnToggleZoom(int32_t value);
    // New scale with the view's centre kept in place; scroll sizes scaled with it.
    void Recentre(int32_t new_scale);

    // -- layout --
    // Writes the window placement and the bar layout to the settings (what closing does first).
    void SaveLayout();
    // The start's placement step: a maximized child and a maximized frame as saved.
    void ApplyStartPlacement();
    // The placement without a saved one: most of the screen, centred.
    void PlaceOnScreen();
    // Puts path first in the recent-file list (at most four) and writes the list to the settings.
    void AddRecentFile(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;
    // The MIDI input event: moves a waiting MIDI event into the engine's mailbox.
    bool event(QEvent* event) override;
    // No context menu of bars: bars are shown and hidden only through the View menu, so that
    // their flags stay true.
    QMenu* createPopupMenu() override { return nullptr; }

  private:
    void CreateMenus();
    void CreateBars();
    void DockBars();
    void ConnectGateHooks();
    void LoadRecentFiles();
    void RebuildRecentMenu();
    CChildFrame* AddChildFrame(COrmestDoc* doc);
    void WriteZoomText();

    QtFrontEnd* front_end_ = nullptr;
    bool engine_started_ = false;
    bool tool_tips_ = true;  // the settings' "General/ToolTips": bars show tool tips
    QMdiArea* mdi_ = nullptr;
    CCommandBar* command_bar_ = nullptr;
    QToolBar* palette_toolbar_ = nullptr;
    QToolBar* zoom_bar_ = nullptr;
    QToolBar* second_toolbar_ = nullptr;
    QDockWidget* item_bar_ = nullptr;
    ItemPanel* item_panel_ = nullptr;
    QComboBox* zoom_list_ = nullptr;
    CPlayerWindow* player_window_ = nullptr;
    QMenu* recent_menu_ = nullptr;
    QHash<int, QAction*> actions_;
    QStringList recent_;
};

namespace frontend {
// The main frame of the process (null before it is made and after it is gone).
CMainFrame* MainFrameWindow();
}  // namespace frontend
