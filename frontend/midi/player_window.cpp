#include "frontend/midi/player_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "frontend/midi/time_display.h"
#include "output/midi_file.h"
#include "platform/midi_output.h"

using output::PlayerState;

const QString CPlayerWindow::kPlayerName = QStringLiteral("MIDI Player");
const QString CPlayerWindow::kOpenFilter = QStringLiteral("MIDI File (*.MID;*.RMI)");
const QString CPlayerWindow::kDefaultExtension = QStringLiteral("MID");

namespace {

constexpr int kSynthDeviceCommand = CPlayerWindow::kCmdFirstDevice + CPlayerWindow::kSynthDevice;

bool is_running(PlayerState s) { return s == PlayerState::Playing || s == PlayerState::Paused; }

bool is_idle(PlayerState s) { return s == PlayerState::FileOpen || s == PlayerState::Prerolled; }

}  // namespace

std::unique_ptr<platform::MidiOutput> CPlayerWindow::OpenSystemDevice(int device_id) {
    switch (device_id) {
        case kAlsaDevice:
            return platform::open_alsa_midi_output();
        case kSynthDevice:
            return platform::make_soft_synth(platform::find_general_midi_soundfont(), true);
        case kMapperDevice:
            return platform::open_midi_output();
        default:
            return nullptr;  // no such device here
    }
}

CPlayerWindow::CPlayerWindow(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("MidiPlayerWindow"));
    // The main window's closing ends the program, whether this one is shown or not.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(kPlayerName);

    player_ = std::make_unique<output::MidiPlayer>(nullptr);
    // The player's thread only posts; the window's thread does the rest.
    player_->SetClosedCallback([this] {
        QMetaObject::invokeMethod(
            this, [this] { OnStreamClosed(); }, Qt::QueuedConnection);
    });

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    time_ = new CTimeDisplay(central);
    time_->SetSource([this](int64_t& ticks, int64_t& millis) {
        if (player_->State() == PlayerState::NoFile) {
            ticks = 0;
            millis = 0;
            return true;
        }
        if (player_->GetClockTicks(ticks) != 0) return false;
        millis = player_->TicksToMillis(ticks);
        return true;
    });
    layout->addWidget(time_, 1);
    auto* row = new QHBoxLayout();
    position_ = new QSlider(Qt::Horizontal, central);
    position_->setObjectName(QStringLiteral("PositionSlider"));
    position_->setToolTip(QStringLiteral("The place to play from"));
    position_->setRange(0, 0);
    chosen_ = new QLabel(central);
    chosen_->setObjectName(QStringLiteral("ChosenPlace"));
    row->addWidget(position_, 1);
    row->addWidget(chosen_);
    layout->addLayout(row);
    setCentralWidget(central);

    auto* status = new QLabel(this);
    status->setObjectName(QStringLiteral("PlayerStatus"));
    statusBar()->addWidget(status, 1);

    CreateActions();
    connect(position_, &QSlider::valueChanged, this, [this] { UpdateChosenPlace(); });
    // While the piece plays the slider follows it; once stopped it offers the place reached.
    connect(time_, &CTimeDisplay::refreshed, this, [this](qint64 ticks) {
        if (is_running(player_->State()) && !position_->isSliderDown()) {
            position_->setValue(static_cast<int>(std::min<qint64>(ticks, INT_MAX)));
        }
    });
    resize(420, 200);
    UpdatePlayerControls();
    UpdateChosenPlace();
    output::set_midi_player_host(this);
}

CPlayerWindow::~CPlayerWindow() {
    if (output::midi_player_host() == this) output::set_midi_player_host(nullptr);
    // The player stops and its thread ends before the window it posts to goes.
    player_->SetClosedCallback(nullptr);
    player_->Stop();
    player_.reset();
}

void CPlayerWindow::CreateActions() {
    auto add = [this](QMenu* menu, int id, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setData(id);
        a->setObjectName(QStringLiteral("PlayerCommand%1").arg(id));
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
        actions_.insert(id, a);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    add(file, kCmdOpen, QStringLiteral("&Open..."))
        ->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    file->addSeparator();
    add(file, kCmdClose, QStringLiteral("&Close"));

    QMenu* play = menuBar()->addMenu(QStringLiteral("&Play"));
    add(play, kCmdPlay, QStringLiteral("&Play"))
        ->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    QAction* pause = add(play, kCmdPause, QStringLiteral("P&ause"));
    pause->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
    pause->setCheckable(true);
    add(play, kCmdStop, QStringLiteral("&Stop"))
        ->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    add(play, kCmdPlayFrom, QStringLiteral("Play &From the Chosen Place"))
        ->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    add(view, kCmdToolbar, QStringLiteral("&Toolbar"))->setCheckable(true);
    add(view, kCmdStatusBar, QStringLiteral("&Status Bar"))->setCheckable(true);
    view->addSeparator();
    formats_ = new QActionGroup(this);
    for (auto [id, text] :
         {std::pair{kCmdClock, "&Hours:Minutes:Seconds"}, std::pair{kCmdTicks, "T&icks"}}) {
        QAction* a = add(view, id, QString::fromLatin1(text));
        a->setCheckable(true);
        formats_->addAction(a);
    }
    actions_.value(kCmdClock)->setChecked(true);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    QAction* auto_play = add(options, kCmdAutoPlay, QStringLiteral("&Auto Play"));
    auto_play->setCheckable(true);
    auto_play->setChecked(auto_play_);
    QMenu* devices = options->addMenu(QStringLiteral("&Device"));
    devices_ = new QActionGroup(this);
    for (auto [id, text] :
         {std::pair{int{kCmdMapper}, "MIDI &Mapper (a port, else the synthesizer)"},
          std::pair{kCmdFirstDevice + kAlsaDevice, "&ALSA Port"},
          std::pair{kSynthDeviceCommand, "&Synthesizer"}}) {
        QAction* a = add(devices, id, QString::fromLatin1(text));
        a->setCheckable(true);
        devices_->addAction(a);
    }
    actions_.value(kCmdFirstDevice + device_id_)->setChecked(true);

    toolbar_ = addToolBar(QStringLiteral("Player"));
    toolbar_->setObjectName(QStringLiteral("PlayerToolbar"));
    toolbar_->setMovable(false);
    for (int id : {kCmdOpen, kCmdPlay, kCmdPause, kCmdStop, kCmdPlayFrom}) {
        if (id == kCmdPlay) toolbar_->addSeparator();
        toolbar_->addAction(actions_.value(id));
    }
    actions_.value(kCmdToolbar)->setChecked(true);
    actions_.value(kCmdStatusBar)->setChecked(true);
}

void CPlayerWindow::SetDeviceOpener(DeviceOpener opener) {
    opener_ = std::move(opener);
    device_tried_ = false;
    told_no_device_ = false;
}

// Contract: see PlayerCommand. A checkable entry's mark is set from the window's own words, not
// from the click, so that a command run by id marks the same way.
void CPlayerWindow::OnCommand(int id) {
    switch (id) {
        case kCmdClose:
            close();
            return;
        case kCmdOpen:
            OnOpen();
            return;
        case kCmdPlay:
            PlayFrom(0);
            return;
        case kCmdPause:
            TogglePausePlayback();
            return;
        case kCmdStop:
            StopMidiPlayback();
            return;
        case kCmdToolbar:
            toolbar_->setVisible(toolbar_->isHidden());
            actions_.value(id)->setChecked(!toolbar_->isHidden());
            return;
        case kCmdStatusBar:
            statusBar()->setVisible(statusBar()->isHidden());
            actions_.value(id)->setChecked(!statusBar()->isHidden());
            return;
        case kCmdAutoPlay:
            auto_play_ = !auto_play_;
            actions_.value(id)->setChecked(auto_play_);
            return;
        case kCmdPlayFrom:
            PlayFrom(ChosenTick());
            return;
        case kCmdRefresh:
            UpdatePlayerControls();
            return;
        case kCmdClock:
        case kCmdTicks:
            time_->SetFormat(id == kCmdClock ? CTimeDisplay::Format::Clock
                                             : CTimeDisplay::Format::Ticks);
            actions_.value(id)->setChecked(true);
            UpdateChosenPlace();
            return;
        default:
            break;
    }
    if (id >= kCmdMapper && id <= kCmdLastDevice) ChooseDevice(id - kCmdFirstDevice);
}

// Contract: ids without an entry here (132 to 149) name no device of this system: the choice is
// kept, and the next play finds nothing to sound.
void CPlayerWindow::ChooseDevice(int device_id) {
    if (QAction* a = actions_.value(kCmdFirstDevice + device_id)) a->setChecked(true);
    if (device_id == device_id_) return;
    device_id_ = device_id;
    device_tried_ = false;
    told_no_device_ = false;
}

// Contract: the chosen device is opened once per choice; when the piece needs it and it cannot
// be had the user is told (once for plays the program starts, every time for the user's own).
// Without an opener nothing plays and nothing is said. True when the player has a device.
bool CPlayerWindow::EnsureDevice(bool asked_by_user) {
    if (!opener_) return false;
    if (device_tried_ && device_) return true;
    if (device_tried_ && !asked_by_user) return false;
    device_tried_ = true;
    std::shared_ptr<platform::MidiOutput> device = opener_(device_id_);
    // A device can change only while no stream is open; the old one serves until then.
    if (player_->SetDevice(device) != 0) {
        device_tried_ = false;
        return player_->HasDevice();
    }
    device_ = device;
    if (device_) return true;
    if (asked_by_user || !told_no_device_) {
        told_no_device_ = true;
        const std::string text =
            "There are no Midi output devices. The MIDI file is " + file_name_.toStdString();
        if (core::has_front_end()) core::show_notice(text);
    }
    return false;
}

void CPlayerWindow::PlayFrom(int64_t start_tick) { StartPlay(start_tick, true); }

// The program's plays: as the play command, but a missing device is told only once.
void CPlayerWindow::StartMidiPlayback() { StartPlay(0, false); }

// Contract: only with a file and no stream on its way in or out (states 1, 3, 4, 5). A playing
// or paused piece is stopped first; then the time display starts and the piece is prerolled
// from start_tick (the tempo, programs and controllers in force there first) and played. A
// failure shows its error and stops the time display again.
void CPlayerWindow::StartPlay(int64_t start_tick, bool asked_by_user) {
    const PlayerState s = player_->State();
    if (!is_idle(s) && !is_running(s)) return;
    if (is_running(s)) {
        time_->Command(CTimeDisplay::kStopTimer);
        player_->Stop();
    }
    if (!EnsureDevice(asked_by_user)) {
        UpdatePlayerControls();
        return;
    }
    time_->Command(CTimeDisplay::kStartTimer);
    const int rc = player_->Start(std::max<int64_t>(start_tick, 0));
    if (rc != 0) {
        time_->Command(CTimeDisplay::kStopTimer);
        ShowPlayerError(rc);
    }
    UpdatePlayerControls();
}

void CPlayerWindow::StopMidiPlayback() {
    time_->Command(CTimeDisplay::kStopTimer);
    if (!is_running(player_->State())) return;
    player_->Stop();
    UpdatePlayerControls();
}

void CPlayerWindow::TogglePausePlayback() {
    player_->TogglePause();
    UpdatePlayerControls();
}

// Contract: a file that does not load shows its error and leaves the player as it was. A loaded
// file names the window and sets the slider's range; the chosen place goes back to the start.
bool CPlayerWindow::LoadPlayerFile(const QString& path) {
    const bool was_running = is_running(player_->State());
    const int rc = player_->Load(QFile::encodeName(path).toStdString());
    if (rc != 0) {
        ShowPlayerError(rc);
        UpdatePlayerControls();
        return false;
    }
    if (was_running) time_->Command(CTimeDisplay::kStopTimer);
    file_name_ = path;
    setWindowTitle(kPlayerName + QStringLiteral(" - ") + QFileInfo(path).fileName());
    position_->setRange(0, static_cast<int>(std::min<int64_t>(player_->LengthTicks(), INT_MAX)));
    position_->setValue(0);
    UpdateChosenPlace();
    UpdatePlayerControls();
    return true;
}

bool CPlayerWindow::ReloadAndAutoPlay(const QString& path) {
    if (!LoadPlayerFile(path)) return false;
    if (auto_play_ && player_->State() == PlayerState::FileOpen) StartPlay(0, false);
    return true;
}

// The written file is loaded (auto-play may start it) and then started again from its start,
// so that it plays from the beginning whatever auto-play says.
void CPlayerWindow::PlayFile(const std::string& path) {
    if (ReloadAndAutoPlay(QFile::decodeName(QByteArray::fromStdString(path)))) {
        StartMidiPlayback();
    }
}

void CPlayerWindow::Control(int action) {
    switch (action) {
        case 1:
            StartMidiPlayback();
            break;
        case 2:
            StopMidiPlayback();
            break;
        case 3:
            TogglePausePlayback();
            break;
        default:
            break;
    }
}

// Contract: by state: open always; play and play-from (and the slider) in states 1 and 3;
// pause and stop in 4 and 5, pause shown down in 5; nothing else in 0, 2, 6 and 7. The status
// bar shows the state, and the time display reads the position again.
void CPlayerWindow::UpdatePlayerControls() {
    const PlayerState s = player_->State();
    actions_.value(kCmdPlay)->setEnabled(is_idle(s));
    actions_.value(kCmdPlayFrom)->setEnabled(is_idle(s));
    actions_.value(kCmdPause)->setEnabled(is_running(s));
    actions_.value(kCmdStop)->setEnabled(is_running(s));
    actions_.value(kCmdPause)->setChecked(s == PlayerState::Paused);
    position_->setEnabled(is_idle(s));
    if (auto* status = findChild<QLabel*>(QStringLiteral("PlayerStatus"))) {
        status->setText(StateText(s));
    }
    time_->Refresh();
}

// A piece that ended, a stop or a reset: the stream is closed. A new play may already have
// opened the next one, and then its timer stays.
void CPlayerWindow::OnStreamClosed() {
    if (!player_) return;
    const PlayerState s = player_->State();
    if (!is_running(s) && s != PlayerState::Prerolled && s != PlayerState::Opening) {
        time_->Command(CTimeDisplay::kStopTimer);
    }
    UpdatePlayerControls();
}

void CPlayerWindow::OnOpen() {
    QFileDialog dialog(this, QStringLiteral("Open MIDI File"));
    dialog.setObjectName(QStringLiteral("PlayerOpenDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The list shows the filter's name alone; the patterns after it are what Qt matches (it
    // takes ";" as part of one pattern).
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(kOpenFilter + QStringLiteral(" (*.MID *.RMI)"));
    dialog.setDefaultSuffix(kDefaultExtension);
    const QString start =
        file_name_.isEmpty() ? QString::fromStdString(output::midi_file_path()) : file_name_;
    if (!start.isEmpty()) {
        dialog.setDirectory(QFileInfo(start).absolutePath());
        dialog.selectFile(QFileInfo(start).fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    ReloadAndAutoPlay(dialog.selectedFiles().first());
}

void CPlayerWindow::ShowPlayerError(int error) {
    if (error == 0) return;
    const QString text = QStringLiteral("%1:\n%2").arg(
        kPlayerName, QString::fromStdString(output::player_error_text(error)));
    QMessageBox box(QMessageBox::Warning, kPlayerName, text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("PlayerError"));
    box.exec();
}

int64_t CPlayerWindow::ChosenTick() const { return position_->value(); }

QString CPlayerWindow::PositionText(int64_t ticks) const {
    if (time_->TimeFormat() == CTimeDisplay::Format::Ticks) {
        return CTimeDisplay::TicksText(ticks).trimmed();
    }
    return CTimeDisplay::ClockText(player_->TicksToMillis(ticks));
}

void CPlayerWindow::UpdateChosenPlace() {
    chosen_->setText(QStringLiteral("From ") + PositionText(ChosenTick()));
}

QString CPlayerWindow::StateText(PlayerState state) {
    switch (state) {
        case PlayerState::NoFile:
            return QStringLiteral("No file");
        case PlayerState::FileOpen:
            return QStringLiteral("Stopped");
        case PlayerState::Opening:
            return QStringLiteral("Opening");
        case PlayerState::Prerolled:
            return QStringLiteral("Ready");
        case PlayerState::Playing:
            return QStringLiteral("Playing");
        case PlayerState::Paused:
            return QStringLiteral("Paused");
        case PlayerState::Stopping:
            return QStringLiteral("Stopping");
        case PlayerState::Resetting:
            return QStringLiteral("Resetting");
    }
    return QString();
}

void CPlayerWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}
