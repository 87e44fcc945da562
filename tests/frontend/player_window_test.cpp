// The MIDI player's window (offscreen) on a recording device: the toolbar's play, pause and
// stop with the controls and the time display following the state, the end of the piece,
// playing from a chosen place, the device choice, the open dialog, a bad file's error box, and
// "PLA" typed into the main window loading the written file into the player.
#include "frontend/midi/player_window.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSlider>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <iostream>
#include <mutex>

#include "frontend/bridge/dialog_launchers.h"
#include "frontend/midi/time_display.h"
#include "output/midi_player.h"
#include "platform/midi_output.h"
#include "tests/frontend/app_fixture.h"
#include "tests/output/midi_test_files.h"

using output::PlayerState;
using Bytes = std::vector<uint8_t>;

namespace {

// Keeps what it is sent, for every device the window opens.
struct Recording {
    std::mutex m;
    std::vector<Bytes> sent;
    std::vector<int> opened;  // the device ids asked for
    std::vector<Bytes> messages() {
        std::lock_guard<std::mutex> lock(m);
        return sent;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(m);
        sent.clear();
    }
};

class RecordingOutput : public platform::MidiOutput {
  public:
    explicit RecordingOutput(std::shared_ptr<Recording> to) : to_(std::move(to)) {}
    void Send(const uint8_t* bytes, std::size_t n) override {
        std::lock_guard<std::mutex> lock(to_->m);
        to_->sent.emplace_back(bytes, bytes + n);
    }
    void Reset() override {}
    std::string Name() const override { return "recording"; }

  private:
    std::shared_ptr<Recording> to_;
};

// Runs the event loop until done() holds; false after 20 seconds.
bool wait_until(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 20000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Writes `notes` quarter notes (keys 60, 61, ...) at `tempo` microseconds a quarter after a
// program change to 40 and volume 100; with `late_program`, a program change to 41 and a
// tempo of 2000 at tick 200.
std::string write_piece(const std::filesystem::path& path, int notes, int tempo,
                        bool late_program = false) {
    std::string body =
        "f = mido.MidiFile(type=1, ticks_per_beat=96)\n"
        "c = mido.MidiTrack(); f.tracks.append(c)\n"
        "c.append(mido.MetaMessage('set_tempo', tempo=" +
        std::to_string(tempo) + "))\n";
    if (late_program) body += "c.append(mido.MetaMessage('set_tempo', tempo=2000, time=200))\n";
    body +=
        "t = mido.MidiTrack(); f.tracks.append(t)\n"
        "t.append(mido.Message('program_change', program=40))\n"
        "t.append(mido.Message('control_change', control=7, value=100))\n"
        "events = []\n"
        "for i in range(" +
        std::to_string(notes) +
        "):\n"
        "    events.append((96 * i, mido.Message('note_on', note=60 + i, velocity=64)))\n"
        "    events.append((96 * i + 90, mido.Message('note_off', note=60 + i, velocity=64)))\n";
    if (late_program) body += "events.append((200, mido.Message('program_change', program=41)))\n";
    body +=
        "events.sort(key=lambda e: e[0])\n"
        "now = 0\n"
        "for at, m in events:\n"
        "    t.append(m.copy(time=at - now)); now = at\n"
        "f.save(path)";
    EXPECT_TRUE(write_with_mido(path, body));
    return path.string();
}

class PlayerWindowTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        window_ = std::make_unique<CPlayerWindow>();
        window_->SetDeviceOpener([this](int id) -> std::unique_ptr<platform::MidiOutput> {
            {
                std::lock_guard<std::mutex> lock(rec_->m);
                rec_->opened.push_back(id);
            }
            if (id == refused_device_) return nullptr;
            return std::make_unique<RecordingOutput>(rec_);
        });
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        FrontEndTest::TearDown();
    }

    std::filesystem::path file(const std::string& name) { return temp_dir() / name; }
    PlayerState state() const { return window_->Player().State(); }
    int64_t ticks() const {
        int64_t t = -1;
        window_->Player().GetTicks(t);
        return t;
    }
    QAction* action(int id) const { return window_->CommandAction(id); }
    // Clicks the toolbar's button of a command, as the user does.
    void click(int id) const {
        auto* button = qobject_cast<QToolButton*>(window_->Toolbar()->widgetForAction(action(id)));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }
    bool enabled(int id) const { return action(id)->isEnabled(); }
    QString status() const {
        return window_->findChild<QLabel*>(QStringLiteral("PlayerStatus"))->text();
    }
    QString shown() const { return window_->TimeDisplay()->Text(); }
    // The note-on keys sent.
    std::vector<int> keys_on() const {
        std::vector<int> keys;
        for (const Bytes& b : rec_->messages()) {
            if (b.size() == 3 && (b[0] & 0xF0) == 0x90 && b[2] != 0) keys.push_back(b[1]);
        }
        return keys;
    }

    std::shared_ptr<Recording> rec_ = std::make_shared<Recording>();
    int refused_device_ = 99;
    std::unique_ptr<CPlayerWindow> window_;
};

TEST_F(PlayerWindowTest, PlayPauseResumeAndStopFollowTheStateOnTheToolbar) {
    EXPECT_EQ(state(), PlayerState::NoFile);
    EXPECT_TRUE(enabled(CPlayerWindow::kCmdOpen));
    for (int id : {CPlayerWindow::kCmdPlay, CPlayerWindow::kCmdPause, CPlayerWindow::kCmdStop}) {
        EXPECT_FALSE(enabled(id)) << id;
    }
    EXPECT_EQ(shown(), QStringLiteral("00:00:00"));

    // 40 quarters at 0.1 s each.
    ASSERT_TRUE(
        window_->LoadPlayerFile(QString::fromStdString(write_piece(file("long.mid"), 40, 100000))));
    EXPECT_EQ(state(), PlayerState::FileOpen);
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("MIDI Player - long.mid"));
    EXPECT_EQ(status(), QStringLiteral("Stopped"));
    EXPECT_TRUE(enabled(CPlayerWindow::kCmdPlay));
    EXPECT_FALSE(enabled(CPlayerWindow::kCmdPause));
    EXPECT_FALSE(enabled(CPlayerWindow::kCmdStop));

    window_->OnCommand(CPlayerWindow::kCmdTicks);
    click(CPlayerWindow::kCmdPlay);
    EXPECT_EQ(state(), PlayerState::Playing);
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    EXPECT_FALSE(enabled(CPlayerWindow::kCmdPlay));
    EXPECT_TRUE(enabled(CPlayerWindow::kCmdPause));
    EXPECT_TRUE(enabled(CPlayerWindow::kCmdStop));
    EXPECT_FALSE(window_->PositionSlider()->isEnabled());
    EXPECT_TRUE(window_->TimeDisplay()->TimerRunning());
    // The timer alone moves the display: ticks right-aligned in nine columns.
    ASSERT_TRUE(wait_until([&] { return shown().trimmed().toLongLong() > 0; }));
    EXPECT_EQ(shown().size(), 9);

    click(CPlayerWindow::kCmdPause);
    EXPECT_EQ(state(), PlayerState::Paused);
    {
        const auto path = screenshot_folder() / "player_window.png";
        window_->grab().save(QString::fromStdString(path.string()));
        std::cout << "player window: " << path.string() << '\n';
    }
    EXPECT_TRUE(action(CPlayerWindow::kCmdPause)->isChecked());
    auto* pause_button = qobject_cast<QToolButton*>(
        window_->Toolbar()->widgetForAction(action(CPlayerWindow::kCmdPause)));
    EXPECT_TRUE(pause_button->isChecked());  // shown down
    EXPECT_EQ(status(), QStringLiteral("Paused"));
    EXPECT_TRUE(enabled(CPlayerWindow::kCmdStop));
    const int64_t held = ticks();
    const QString held_text = shown();
    const auto sent_when_paused = rec_->messages().size();
    // Several timer rounds later the time and the notes are where the pause left them.
    int rounds = 0;
    QObject::connect(window_->TimeDisplay(), &CTimeDisplay::refreshed, [&] { ++rounds; });
    ASSERT_TRUE(wait_until([&] { return rounds >= 3; }));
    EXPECT_EQ(ticks(), held);
    EXPECT_EQ(shown(), held_text);
    EXPECT_EQ(rec_->messages().size(), sent_when_paused);

    click(CPlayerWindow::kCmdPause);  // resume
    EXPECT_EQ(state(), PlayerState::Playing);
    EXPECT_FALSE(action(CPlayerWindow::kCmdPause)->isChecked());
    ASSERT_TRUE(wait_until([&] { return shown().trimmed().toLongLong() > held; }));

    click(CPlayerWindow::kCmdPause);
    ASSERT_EQ(state(), PlayerState::Paused);
    click(CPlayerWindow::kCmdStop);  // stop while paused
    EXPECT_EQ(state(), PlayerState::FileOpen);
    EXPECT_EQ(ticks(), 0);
    EXPECT_EQ(shown(), QStringLiteral("        0"));
    EXPECT_FALSE(window_->TimeDisplay()->TimerRunning());
    EXPECT_TRUE(enabled(CPlayerWindow::kCmdPlay));
    EXPECT_FALSE(enabled(CPlayerWindow::kCmdPause));
    EXPECT_FALSE(action(CPlayerWindow::kCmdPause)->isChecked());
    EXPECT_EQ(status(), QStringLiteral("Stopped"));
    // The slider kept the place the piece had reached, to play on from there.
    EXPECT_GT(window_->ChosenTick(), 0);
    EXPECT_TRUE(window_->PositionSlider()->isEnabled());
    // Only one device was opened, the mapper's choice.
    EXPECT_EQ(rec_->opened, std::vector<int>{CPlayerWindow::kMapperDevice});
}

TEST_F(PlayerWindowTest, TheEndOfThePieceStopsTheTimerAndOffersPlayAgain) {
    ASSERT_TRUE(
        window_->LoadPlayerFile(QString::fromStdString(write_piece(file("short.mid"), 3, 20000))));
    click(CPlayerWindow::kCmdPlay);
    ASSERT_TRUE(wait_until([&] {
        return state() == PlayerState::FileOpen && !window_->TimeDisplay()->TimerRunning();
    }));
    EXPECT_TRUE(enabled(CPlayerWindow::kCmdPlay));
    EXPECT_FALSE(enabled(CPlayerWindow::kCmdStop));
    EXPECT_EQ(status(), QStringLiteral("Stopped"));
    EXPECT_EQ(shown(), QStringLiteral("00:00:00"));
    EXPECT_EQ(keys_on(), (std::vector<int>{60, 61, 62}));
    // A second play starts from the beginning again.
    rec_->clear();
    window_->OnCommand(CPlayerWindow::kCmdPlay);
    ASSERT_TRUE(wait_until([&] {
        return state() == PlayerState::FileOpen && !window_->TimeDisplay()->TimerRunning();
    }));
    EXPECT_EQ(keys_on(), (std::vector<int>{60, 61, 62}));
}

TEST_F(PlayerWindowTest, PlayingFromAChosenPlaceSendsWhatIsInForceThereAndNoEarlierNote) {
    // A second a quarter until tick 200, then 2 ms: tick 384 lies 2.004 s in.
    ASSERT_TRUE(window_->LoadPlayerFile(
        QString::fromStdString(write_piece(file("from.mid"), 8, 1000000, true))));
    QSlider* slider = window_->PositionSlider();
    EXPECT_EQ(slider->maximum(), 96 * 7 + 90);
    slider->setValue(384);
    auto* chosen = window_->findChild<QLabel*>(QStringLiteral("ChosenPlace"));
    EXPECT_EQ(chosen->text(), QStringLiteral("From 00:00:02"));
    window_->OnCommand(CPlayerWindow::kCmdTicks);
    EXPECT_EQ(chosen->text(), QStringLiteral("From 384"));

    click(CPlayerWindow::kCmdPlayFrom);
    ASSERT_TRUE(wait_until([&] { return state() == PlayerState::FileOpen; }));
    const auto sent = rec_->messages();
    ASSERT_GE(sent.size(), 2u);
    // The program and controller in force at tick 384 come first, the earlier program never.
    EXPECT_EQ(sent[0], (Bytes{0xC0, 41}));
    EXPECT_EQ(sent[1], (Bytes{0xB0, 7, 100}));
    for (const Bytes& b : sent) EXPECT_NE(b, (Bytes{0xC0, 40}));
    EXPECT_EQ(keys_on(), (std::vector<int>{64, 65, 66, 67}));

    // The place reached while paused is offered next: playing on from there sends no note
    // that was played before it.
    ASSERT_TRUE(
        window_->LoadPlayerFile(QString::fromStdString(write_piece(file("slow.mid"), 6, 300000))));
    rec_->clear();
    click(CPlayerWindow::kCmdPlay);
    ASSERT_TRUE(wait_until([&] { return keys_on().size() >= 2; }));
    click(CPlayerWindow::kCmdPause);
    click(CPlayerWindow::kCmdStop);
    const int64_t reached = window_->ChosenTick();
    const auto played = keys_on();
    ASSERT_GE(reached, 96);
    rec_->clear();
    click(CPlayerWindow::kCmdPlayFrom);
    ASSERT_TRUE(wait_until([&] { return state() == PlayerState::FileOpen; }));
    const auto rest = keys_on();
    ASSERT_FALSE(rest.empty());
    EXPECT_GE(rest.front(), 60 + static_cast<int>((reached + 95) / 96));
    EXPECT_EQ(rest.back(), 65);
    EXPECT_LE(played.size() + rest.size(), 7u);
}

TEST_F(PlayerWindowTest, ABadFileShowsTheErrorBoxAndLeavesThePlayerAsItWas) {
    const auto good = QString::fromStdString(write_piece(file("good.mid"), 40, 100000));
    ASSERT_TRUE(window_->LoadPlayerFile(good));
    click(CPlayerWindow::kCmdPlay);
    ASSERT_EQ(state(), PlayerState::Playing);

    const auto bad = file("bad.mid");
    write_bytes(bad, smf_bytes(0, 1, 96, {{0x00, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}}));
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    answer_next_dialog([&](QDialog& d) {
        auto* box = qobject_cast<QMessageBox*>(&d);
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        box->accept();
    });
    EXPECT_FALSE(window_->LoadPlayerFile(QString::fromStdString(bad.string())));
    EXPECT_EQ(text, QStringLiteral("MIDI Player:\nThe file is not a valid MIDI file."));
    EXPECT_EQ(title, QStringLiteral("MIDI Player"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(state(), PlayerState::Playing);
    EXPECT_EQ(window_->FileName(), good);
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("MIDI Player - good.mid"));
    EXPECT_TRUE(enabled(CPlayerWindow::kCmdStop));
    click(CPlayerWindow::kCmdStop);
    EXPECT_EQ(state(), PlayerState::FileOpen);
}

TEST_F(PlayerWindowTest, TheOpenDialogLoadsAndAutoPlayStartsOnlyWhenOn) {
    const auto path = write_piece(file("opened.mid"), 40, 100000);
    QStringList filters;
    QString suffix;
    answer_next_dialog([&](QDialog& d) {
        auto* dialog = qobject_cast<QFileDialog*>(&d);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        dialog->selectFile(QString::fromStdString(path));
        d.accept();  // QFileDialog::accept, through the base
    });
    click(CPlayerWindow::kCmdOpen);
    ASSERT_EQ(filters.size(), 1);
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("MIDI File (*.MID;*.RMI)")));
    EXPECT_EQ(suffix, QStringLiteral("MID"));
    EXPECT_EQ(window_->FileName(), QString::fromStdString(path));
    EXPECT_TRUE(window_->AutoPlay());
    EXPECT_EQ(state(), PlayerState::Playing);  // auto-play is on at first

    window_->OnCommand(CPlayerWindow::kCmdAutoPlay);
    EXPECT_FALSE(window_->AutoPlay());
    EXPECT_FALSE(action(CPlayerWindow::kCmdAutoPlay)->isChecked());
    EXPECT_TRUE(window_->ReloadAndAutoPlay(QString::fromStdString(path)));
    EXPECT_EQ(state(), PlayerState::FileOpen);

    // The bars come and go with their marks.
    window_->OnCommand(CPlayerWindow::kCmdToolbar);
    EXPECT_TRUE(window_->Toolbar()->isHidden());
    EXPECT_FALSE(action(CPlayerWindow::kCmdToolbar)->isChecked());
    window_->OnCommand(CPlayerWindow::kCmdStatusBar);
    EXPECT_TRUE(window_->statusBar()->isHidden());
    window_->OnCommand(CPlayerWindow::kCmdToolbar);
    EXPECT_FALSE(window_->Toolbar()->isHidden());
    EXPECT_TRUE(action(CPlayerWindow::kCmdToolbar)->isChecked());
}

TEST_F(PlayerWindowTest, ADeviceThatCannotSoundIsToldAndTheChoiceCanChangeBack) {
    const auto path = write_piece(file("device.mid"), 2, 20000);
    ASSERT_TRUE(window_->LoadPlayerFile(QString::fromStdString(path)));
    refused_device_ = CPlayerWindow::kSynthDevice;
    window_->OnCommand(CPlayerWindow::kCmdFirstDevice + CPlayerWindow::kSynthDevice);
    EXPECT_EQ(window_->DeviceId(), CPlayerWindow::kSynthDevice);
    EXPECT_TRUE(action(CPlayerWindow::kCmdFirstDevice + CPlayerWindow::kSynthDevice)->isChecked());
    click(CPlayerWindow::kCmdPlay);
    EXPECT_EQ(state(), PlayerState::FileOpen);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "There are no Midi output devices. The MIDI file is " + path);
    EXPECT_FALSE(window_->TimeDisplay()->TimerRunning());

    window_->OnCommand(CPlayerWindow::kCmdMapper);
    EXPECT_TRUE(action(CPlayerWindow::kCmdMapper)->isChecked());
    click(CPlayerWindow::kCmdPlay);
    ASSERT_TRUE(wait_until([&] { return state() == PlayerState::FileOpen; }));
    EXPECT_EQ(keys_on(), (std::vector<int>{60, 61}));
    EXPECT_EQ(rec_->opened,
              (std::vector<int>{CPlayerWindow::kSynthDevice, CPlayerWindow::kMapperDevice}));
    EXPECT_EQ(fe_.message_boxes.size(), 1u);
}

TEST_F(PlayerWindowTest, TheEnginesCommandsReachTheWindowAsTheProgramsPlayer) {
    EXPECT_EQ(output::midi_player_host(), window_.get());
    const auto path = write_piece(file("host.mid"), 40, 100000);
    output::play_midi_file(path);
    EXPECT_EQ(window_->FileName(), QString::fromStdString(path));
    EXPECT_EQ(state(), PlayerState::Playing);
    EXPECT_EQ(output::midi_player(), nullptr);  // the window's player, not another
    output::control_midi_player(3);
    EXPECT_EQ(state(), PlayerState::Paused);
    output::control_midi_player(3);
    EXPECT_EQ(state(), PlayerState::Playing);
    output::control_midi_player(2);
    EXPECT_EQ(state(), PlayerState::FileOpen);
    EXPECT_FALSE(window_->TimeDisplay()->TimerRunning());
    output::control_midi_player(1);
    EXPECT_EQ(state(), PlayerState::Playing);
    output::control_midi_player(2);
    window_.reset();
    EXPECT_EQ(output::midi_player_host(), nullptr);
}

TEST(TimeDisplayText, ClockAndTicksFormats) {
    EXPECT_EQ(CTimeDisplay::ClockText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(CTimeDisplay::ClockText(59999), QStringLiteral("00:00:59"));
    EXPECT_EQ(CTimeDisplay::ClockText(3600000 + 61000), QStringLiteral("01:01:01"));
    EXPECT_EQ(CTimeDisplay::ClockText(3599999), QStringLiteral("00:59:59"));
    EXPECT_EQ(CTimeDisplay::TicksText(0), QStringLiteral("        0"));
    EXPECT_EQ(CTimeDisplay::TicksText(123456789), QStringLiteral("123456789"));
}

TEST(TimeDisplayFont, TheTemplateFitsThreeQuartersOfTheWidth) {
    test_application();
    CTimeDisplay display;
    display.show();  // a hidden widget gets its resize events only when shown
    for (QSize size : {QSize(400, 80), QSize(120, 200)}) {
        display.resize(size);
        for (auto format : {CTimeDisplay::Format::Clock, CTimeDisplay::Format::Ticks}) {
            display.SetFormat(format);
            const QRect r = display.contentsRect();
            const QFontMetrics metrics(display.LedFont());
            EXPECT_LE(metrics.horizontalAdvance(CTimeDisplay::Template(format)), r.width() * 3 / 4);
            EXPECT_LE(display.LedFont().pixelSize(), r.height() * 3 / 4);
            EXPECT_EQ(display.LedFont().weight(), QFont::Bold);
        }
    }
    // A tall, wide display: the height decides.
    display.resize(2000, 80);
    EXPECT_EQ(display.LedFont().pixelSize(), display.contentsRect().height() * 3 / 4);
}

class PlayerInMainWindowTest : public AppTest {};

TEST_F(PlayerInMainWindowTest, TheViewMenuShowsThePlayerAndPlaLoadsTheWrittenFile) {
    CMainFrame& f = make_frame();
    f.OnFileNew();
    f.show();
    CPlayerWindow* player = f.PlayerWindow();
    ASSERT_NE(player, nullptr);
    EXPECT_FALSE(player->isVisible());
    EXPECT_EQ(output::midi_player_host(), player);
    ASSERT_NE(f.CommandAction(kCmdMidiPlayer), nullptr);
    f.CommandAction(kCmdMidiPlayer)->trigger();
    EXPECT_TRUE(player->isVisible());

    auto rec = std::make_shared<Recording>();
    player->SetDeviceOpener([rec](int) { return std::make_unique<RecordingOutput>(rec); });
    // The Sound dialog answers Play.
    frontend::SetDialogRunner([](const frontend::DialogRequest&) { return 1; });
    QWidget* input = f.CommandBar()->InputEdit();
    for (const QString& line : {QStringLiteral("EI"), QStringLiteral("8 1 0"),
                                QStringLiteral("1 1 10 1 0 0 4"), QStringLiteral("PLA")}) {
        type(input, line);
        press(input, Qt::Key_Return, QStringLiteral("\r"));
    }
    frontend::SetDialogRunner(nullptr);
    EXPECT_TRUE(player->FileName().endsWith(QStringLiteral("ormmidi.mid"), Qt::CaseInsensitive))
        << player->FileName().toStdString();
    EXPECT_NE(player->Player().State(), PlayerState::NoFile);
    ASSERT_TRUE(wait_until([&] {
        for (const Bytes& b : rec->messages()) {
            if (b.size() == 3 && b[0] == 0x90 && b[1] == 60) return true;
        }
        return false;
    }));
    // "x" leaves the play loop and stops the player.
    type(input, QStringLiteral("x"));
    press(input, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(player->Player().State(), PlayerState::FileOpen);
}

}  // namespace
