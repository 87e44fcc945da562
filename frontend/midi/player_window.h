// CPlayerWindow: the MIDI player's window. It owns the program's player and its device, shows
// the position in a time display, and offers open, play, pause and stop on a toolbar, playing
// from a chosen place, the device and the time format. The main frame makes it at start-up
// (hidden; its View menu shows it); the engine's play commands and the files the MIDI command
// writes reach it as the program's player host, so it plays whether it is shown or not.
//
// The player's thread never touches a widget: the stream's end is posted to this window's
// thread, which stops the time display and refreshes the controls.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "output/midi_player.h"

class CTimeDisplay;
class QAction;
class QActionGroup;
class QLabel;
class QSlider;
class QToolBar;

namespace platform {
class MidiOutput;
}

class CPlayerWindow : public QMainWindow, public output::MidiPlayerHost {
    Q_OBJECT

  public:
    // Command ids.
    enum PlayerCommand : int {
        kCmdClose = 100,
        kCmdOpen = 102,
        kCmdPlay = 103,
        kCmdPause = 104,
        kCmdStop = 105,
        kCmdToolbar = 106,
        kCmdStatusBar = 107,
        kCmdAutoPlay = 108,
        kCmdPlayFrom = 109,  // play from the place chosen on the position slider
        kCmdMapper = 129,    // device id -1
        kCmdFirstDevice = 130,
        kCmdLastDevice = 149,
        kCmdRefresh = 150,
        kCmdClock = 1010,
        kCmdTicks = 1011,
    };
    // Device ids: the mapper picks an ALSA port, else the synthesizer.
    static constexpr int kMapperDevice = -1;
    static constexpr int kAlsaDevice = 0;
    static constexpr int kSynthDevice = 1;
    // The name in titles and error boxes.
    static const QString kPlayerName;
    // The filter and default extension of the open dialog.
    static const QString kOpenFilter;
    static const QString kDefaultExtension;

    // Opens the device of an id; null when it cannot sound.
    using DeviceOpener = std::function<std::unique_ptr<platform::MidiOutput>(int device_id)>;
    // The system's devices: the mapper's choice, the first ALSA port, the synthesizer; other ids
    // name none.
    static std::unique_ptr<platform::MidiOutput> OpenSystemDevice(int device_id);

    // A hidden top-level window owned by parent, with its player (state 0), registered as the
    // program's player host.
    explicit CPlayerWindow(QWidget* parent = nullptr);
    ~CPlayerWindow() override;

    // Without an opener nothing is ever played (files still load); the application sets the
    // system's opener, tests a recording one.
    void SetDeviceOpener(DeviceOpener opener);

    // Runs a command id (see PlayerCommand); unknown ids do nothing.
    void OnCommand(int id);
    QAction* CommandAction(int id) const { return actions_.value(id, nullptr); }

    // -- what the rest of the program drives --
    // Stops a playing or paused piece first; then plays the loaded file from its start.
    void StartMidiPlayback();
    // Stops a playing or paused piece.
    void StopMidiPlayback();
    // Pauses a playing piece, resumes a paused one.
    void TogglePausePlayback();
    // Loads path (stopping what plays); errors are shown. True when it was loaded.
    bool LoadPlayerFile(const QString& path);
    // Loads path and, when auto-play is on and the player is idle, plays it.
    bool ReloadAndAutoPlay(const QString& path);
    // Plays from tick start (a playing piece is stopped first).
    void PlayFrom(int64_t start_tick);

    // output::MidiPlayerHost: the file the MIDI command wrote, and the engine's play commands.
    void PlayFile(const std::string& path) override;
    void Control(int action) override;

    // The controls follow the player's state.
    void UpdatePlayerControls();

    output::MidiPlayer& Player() const { return *player_; }
    CTimeDisplay* TimeDisplay() const { return time_; }
    QToolBar* Toolbar() const { return toolbar_; }
    QSlider* PositionSlider() const { return position_; }
    // The place chosen on the slider, in ticks.
    int64_t ChosenTick() const;
    bool AutoPlay() const { return auto_play_; }
    int DeviceId() const { return device_id_; }
    const QString& FileName() const { return file_name_; }
    // The status bar's text for a state.
    static QString StateText(output::PlayerState state);

  protected:
    // Closing only hides the window: the player goes on and the main window still drives it.
    void closeEvent(class QCloseEvent* event) override;

  private:
    void CreateActions();
    void OnOpen();
    void OnStreamClosed();
    void StartPlay(int64_t start_tick, bool asked_by_user);
    void ChooseDevice(int device_id);
    bool EnsureDevice(bool asked_by_user);
    void ShowPlayerError(int error);
    void UpdateChosenPlace();
    QString PositionText(int64_t ticks) const;

    std::unique_ptr<output::MidiPlayer> player_;
    std::shared_ptr<platform::MidiOutput> device_;
    DeviceOpener opener_;
    int device_id_ = kMapperDevice;
    bool device_tried_ = false;
    bool told_no_device_ = false;
    bool auto_play_ = true;
    QString file_name_;
    CTimeDisplay* time_ = nullptr;
    QSlider* position_ = nullptr;
    QLabel* chosen_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QActionGroup* devices_ = nullptr;
    QActionGroup* formats_ = nullptr;
    QHash<int, QAction*> actions_;
};
