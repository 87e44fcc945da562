// COrmestApp: the editor's application. Its start brings the system up in a fixed order: the
// settings key, the main frame (whose making starts the engine), the help path the engine left,
// the command line (a document named there is opened), the window, the bar marks and the saved
// placement. The engine is never told that the process ends.
#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

class CMainFrame;
class QSocketNotifier;
class QtFrontEnd;

namespace frontend {

// The path of the help file, as the engine's start-up left it in FrontEndCommandBuffer.
extern std::string HelpFilePath;

// HelpFilePath becomes the text the engine's start-up left in FrontEndCommandBuffer (up to its
// zero byte, without trailing blanks); then the buffer is blanked, so that it holds no command.
void TakeHelpPath();

// What the command line asks for. Switches begin with "/" or "-" and are matched without
// regard to case; "/Embedding" and "/Automation" ask for a start as an embedded or automated
// object. A "/" argument that is no known switch is a path (absolute paths begin with "/").
// The first other argument is the document to open; later ones are ignored.
struct StartRequest {
    bool embedded = false;
    QString document;
};
StartRequest ParseStartArguments(const QStringList& arguments);

// True when a window system can be opened: DISPLAY or QT_QPA_PLATFORM is set (not empty).
bool WindowSystemAvailable();

// The program is ended from outside (a signal, a lost window system): the page's unsaved
// changes go to the backup copy (core::keep_page_at_end), and standard error says so. Runs on
// the engine's thread, between or inside its waits.
void KeepPageBeforeEnd();

// The editor's main: quiet exit 0 for an embedded or automated start (no such objects exist
// here); exit 1 with one line on standard error when no window system can be opened, when the
// folders cannot be had, or when the engine or a document named on the command line cannot be
// opened; otherwise the window runs until it is closed.
int RunEditor(int argc, char** argv);

}  // namespace frontend

class COrmestApp : public QApplication {
    Q_OBJECT

  public:
    COrmestApp(int& argc, char** argv);
    ~COrmestApp() override;

    // The start. False ends the process (the reason is on standard error); true runs the loop.
    bool InitInstance();
    // Nothing beyond the base's: the engine is not told.
    int ExitInstance() { return 0; }

    CMainFrame* MainFrame() const { return frame_.get(); }
    QtFrontEnd* FrontEnd() const { return front_end_.get(); }

  private:
    // Watches the end-signal pipe (platform/end_signals.h): a signal keeps the page
    // (KeepPageBeforeEnd), releases the work folder and ends the process as the signal asks.
    void WatchEndSignals();

    QSocketNotifier* end_signals_ = nullptr;
    std::unique_ptr<QtFrontEnd> front_end_;
    std::unique_ptr<CMainFrame> frame_;
};
