#include "frontend/app/ormest_app.h"

#include <QMdiSubWindow>
#include <QSocketNotifier>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "engine/commands/engine_reset.h"
#include "engine/commands/files/end_backup.h"
#include "engine/commands/files/file_commands.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "frontend/app/bar_layout.h"
#include "frontend/app/command_bar.h"
#include "frontend/app/frame_state.h"
#include "frontend/app/main_frame.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/qt_front_end.h"
#include "frontend/dialogs/notice_dialogs.h"
#include "frontend/midi/midi_input_path.h"
#include "frontend/midi/player_window.h"
#include "frontend/view/frames.h"
#include "frontend/view/ormest_view.h"
#include "output/midi_player.h"
#include "platform/end_signals.h"
#include "platform/midi_input.h"
#include "platform/paths.h"
#include "platform/work_copies.h"

namespace frontend {

std::string HelpFilePath;

namespace {

// Switches of the old shell interface that do nothing here (printing, DDE, registration).
bool is_other_switch(const QString& name) {
    static const QStringList kNames = {"p", "pt", "dde", "unregister", "unregserver", "regserver"};
    return kNames.contains(name);
}

bool env_set(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
}

}  // namespace

StartRequest ParseStartArguments(const QStringList& arguments) {
    StartRequest request;
    for (const QString& arg : arguments) {
        const bool dash = arg.startsWith(QLatin1Char('-'));
        if ((dash || arg.startsWith(QLatin1Char('/'))) && arg.size() > 1) {
            QString name = arg.mid(1).toLower();
            if (name.startsWith(QLatin1Char('-'))) name = name.mid(1);
            if (name == QLatin1String("embedding") || name == QLatin1String("automation")) {
                request.embedded = true;
                continue;
            }
            if (dash || is_other_switch(name)) continue;
        }
        if (request.document.isEmpty()) request.document = arg;
    }
    return request;
}

void TakeHelpPath() {
    HelpFilePath = core::FrontEndCommandBuffer.c_text();
    core::FrontEndCommandBuffer.blank();
}

bool WindowSystemAvailable() { return env_set("DISPLAY") || env_set("QT_QPA_PLATFORM"); }

namespace {

QtMessageHandler g_earlier_handler = nullptr;

// Qt's X11 plugin, on a lost X connection, warns with this text on the loop's thread and then
// calls exit(1): the warning is the last point at which the page can still be written.
void watch_for_lost_display(QtMsgType type, const QMessageLogContext& context,
                            const QString& text) {
    static bool kept = false;
    const QCoreApplication* app = QCoreApplication::instance();
    if (!kept && type == QtWarningMsg &&
        text.startsWith(QLatin1String("The X11 connection broke")) && app != nullptr &&
        QThread::currentThread() == app->thread()) {
        kept = true;
        KeepPageBeforeEnd();
        platform::release_work_folder();  // exit() unwinds no stack: the claim goes now
    }
    if (g_earlier_handler != nullptr) {
        g_earlier_handler(type, context, text);
    } else {
        std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << '\n';
    }
}

}  // namespace

void KeepPageBeforeEnd() {
    const std::string told = core::keep_page_at_end();
    if (!told.empty()) std::cerr << "ormest: " << told << '\n';
}

int RunEditor(int argc, char** argv) {
    // A write to a lost X connection must fail with an error, which Qt reports as the broken
    // connection (the page is kept then); SIGPIPE would end the program silently, page lost.
    ::signal(SIGPIPE, SIG_IGN);
    QStringList raw;
    for (int i = 1; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
    // No embedded or automated objects exist here: such a start ends at once, quietly.
    if (ParseStartArguments(raw).embedded) return 0;
    // Qt would abort without a window system; say so and point to the terminal front-end.
    if (!WindowSystemAvailable()) {
        std::cerr << "ormest: no window system to open (DISPLAY is not set); "
                     "run \"ormest --console\" for the terminal front-end\n";
        return 1;
    }
    std::string error;
    if (!platform::init_paths(argc > 0 ? argv[0] : "", &error)) {
        std::cerr << "ormest: " << error << '\n';
        return 1;
    }
    const platform::WorkFolderRelease release_at_end;
    // SIGTERM, SIGHUP and SIGINT reach the event loop, which keeps unsaved changes before the end.
    platform::watch_end_signals();
    g_earlier_handler = qInstallMessageHandler(watch_for_lost_display);
    COrmestApp app(argc, argv);
    if (!app.InitInstance()) return 1;
    const int rc = app.exec();
    app.ExitInstance();
    return rc;
}

}  // namespace frontend

using namespace frontend;

COrmestApp::COrmestApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QLatin1String(kSettingsOrganization));
    setApplicationName(QLatin1String(kSettingsApplication));
}

COrmestApp::~COrmestApp() {
    // The inputs stop before the frame their events are posted to goes.
    StopMidiInput();
    output::shutdown_midi_player();
    frame_.reset();
    core::set_front_end(nullptr);
    front_end_.reset();
}

// Contract: see the class comment. Writes the engine's tables (reset, then start-up through the
// frame), HelpFilePath and FrontEndCommandBuffer (blanked once the help path is taken, before
// any command can reach the engine), ChildMaximized and the view's preview and print words;
// last it starts MIDI input (ring, mailbox, NoMidiInputDevices), which never stops the start.
bool COrmestApp::InitInstance() {
    core::reset_engine();
    ResetGateState();
    ResetViewState();
    ResetFrameState();
    front_end_ = std::make_unique<QtFrontEnd>();
    core::set_front_end(front_end_.get());

    frame_ = std::make_unique<CMainFrame>();
    frame_->SetFrontEnd(front_end_.get());
    if (frame_->OnCreate() != 0) {
        std::cerr << "ormest: the engine cannot start: a file it needs is missing\n";
        return false;
    }
    // The help path is taken before the command line is processed: a document opened there is
    // the first command, and it must find the command buffer empty.
    TakeHelpPath();

    QStringList args = arguments();
    if (!args.isEmpty()) args.removeFirst();
    const StartRequest request = ParseStartArguments(args);
    if (request.embedded) {
        // Reached only when a caller skipped RunEditor's check: end quietly as that does.
        QMetaObject::invokeMethod(this, &QCoreApplication::quit, Qt::QueuedConnection);
        return true;
    }
    if (request.document.isEmpty()) {
        frame_->OnFileNew();
    } else if (frame_->OpenDocumentFile(request.document) == nullptr) {
        std::cerr << "ormest: cannot open the document \"" << request.document.toStdString()
                  << "\"\n";
        return false;
    }
    // A document opened without some of its records says so in the message line; the start's
    // later words (MIDI input) must not wipe that out, or a save would lose them unawares.
    std::string left_out;
    if (core::LeftOutRecords > 0) {
        // The notice alone, without what the open showed after it.
        left_out = core::MessageLine.trimmed();
        constexpr std::string_view kEnd = "left out.";
        if (const std::size_t end = left_out.find(kEnd); end != std::string::npos)
            left_out.resize(end + kEnd.size());
    }

    frame_->show();
    frame_->UpdateBarMarks();
    frame_->ApplyStartPlacement();
    // The user can type at once: the input line has the focus from the start.
    frame_->activateWindow();
    frame_->CommandBar()->InputEdit()->setFocus(Qt::ActiveWindowFocusReason);
    PreviewActive = 0;
    PrintLayoutActive = 0;
    // MIDI input: a machine without a MIDI system or input is told so once, and goes on. The
    // system's own reason is for the log, not for the message line.
    StartMidiInput(platform::make_alsa_midi_source(), frame_.get(),
                   [this, &left_out](const std::string& text, const std::string& detail) {
                       std::cerr << "ormest: " << text;
                       if (!detail.empty()) std::cerr << " (" << detail << ')';
                       std::cerr << '\n';
                       // "||" breaks the message line: the notice first, the MIDI word below.
                       const std::string shown = left_out.empty() ? text : left_out + "||" + text;
                       front_end_->SetMessageLineText(core::ReplyKind::Notice, shown.c_str());
                   });
    // The window plays what it writes; the console only writes. The device is opened when the
    // first file is played.
    frame_->PlayerWindow()->SetDeviceOpener(&CPlayerWindow::OpenSystemDevice);
    WatchEndSignals();
    // Last, so that no message of the start hides it; standard error keeps every one, and a
    // box shows each whole (the message line shows the last, as far as it has room).
    std::vector<std::string> notices = core::tell_backups_kept_at_end();
    for (const std::string& text : notices) std::cerr << "ormest: " << text << '\n';
    // The box shows the notice whole, however long the document's path.
    if (!left_out.empty()) notices.push_back(left_out);
    frontend::ShowStartNotices(frame_.get(), notices);
    return true;
}

// Contract: see the header. The notifier is made only now: a signal that came during the start
// waits on the pipe until the loop runs, and the page it keeps is the one the start made.
void COrmestApp::WatchEndSignals() {
    const int fd = platform::end_signal_fd();
    if (fd < 0 || end_signals_ != nullptr) return;
    end_signals_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(end_signals_, &QSocketNotifier::activated, this, [] {
        const int sig = platform::take_end_signal();
        if (sig == 0) return;
        frontend::KeepPageBeforeEnd();
        platform::release_work_folder();
        platform::end_as_signal(sig);
    });
}
