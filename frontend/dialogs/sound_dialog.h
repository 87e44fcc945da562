// The Sound dialog of the MIDI command (IDD 175), registered with the engine dialogs and run by
// its launcher (dialog_launchers.h) on the exchange area's blocks A and C.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "frontend/dialogs/engine_dialog.h"

class QLineEdit;

namespace frontend {

// Each of the 16 tracks' channel, instrument, amplitude, transposition and staff list, the
// tempo and the MIDI file's name. Block A holds four words a track, block C sixteen staff
// numbers a track; the tempo is output::MidiTempo and the name output::MidiFileName.
// Ends with 1 after Play or Save, 2 after Cancel (blocks, tempo and name as they came).
class CSoundDlg : public CEngineDialog {
  public:
    explicit CSoundDlg(QWidget* parent);
    void reject() override;

  private:
    void ShowFields();
    void CollectFields();
    void OnPlay();
    void OnSave();
    void OnLoad();
    void OnClear();
    void OnAutoSetup();

    std::array<std::array<QLineEdit*, 4>, 16> track_words_{};
    std::array<QLineEdit*, 16> staff_lists_{};
    QLineEdit* tempo_ = nullptr;
    QLineEdit* file_ = nullptr;
    int32_t tempo_at_start_ = 0;
    std::string file_at_start_;
};

// A track's 16 staff numbers as the dialog shows them: "%d" each, one blank between, cut before
// the first blank-zero-blank within the first 31 characters.
std::string SoundStaffListText(const int32_t* staves);

}  // namespace frontend
