// The dialogs of the input mode: the input space (spacing range), "Add Bar Lines" and the music
// input line. Each works on the exchange area and the engine's lines as its launcher leaves
// them, and is found by tests through its object name and its controls' names ("Edit", "Button"
// or "Check" and the control number).
//
// A number field whose text does not begin with a whole number keeps the word it showed.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

// IDD 233, the input space: block A words 4 begin point, 5 end point, 6 spacing staff. The
// four range buttons and the two boxes "Set Spacing Staff" / "Set Input Range" (always one of
// the two ticked) set the words at once; OK (1) reads the three fields; Cancel (2).
class CSpacingRangeDlg : public QDialog {
  public:
    explicit CSpacingRangeDlg(QWidget* parent = nullptr);
    void reject() override;

  private:
    void SetRange(int begin);
    // The spacing-staff state (field 1672 enabled) or the input-range state.
    void ShowState(bool spacing_staff);
    void OnSetSpacingStaff();
    void OnSetInputRange();
    void OnOk();

    QLineEdit* begin_ = nullptr;
    QLineEdit* end_ = nullptr;
    QLineEdit* staff_ = nullptr;
    QCheckBox* set_staff_ = nullptr;
    QCheckBox* set_range_ = nullptr;
};

// IDD 289 "Add Bar Lines": block A words 0 to 3 in four fields; "&OK" (1) reads them back;
// Escape and the close box end with 2 and change nothing.
class CAddBarLinesDlg : public QDialog {
  public:
    explicit CAddBarLinesDlg(QWidget* parent = nullptr);
    void reject() override;

  private:
    QLineEdit* fields_[4] = {};
};

// IDD 149 "Kelda Input": FrontEndCommandBuffer shown read-only above the line of MessageLine,
// which is blanked while the dialog is open. OK (1): the line, NUL-ended (at most 511
// characters), into MessageLine. Cancel (2): MessageLine stays blank.
class CMusicInputDlg : public QDialog {
  public:
    explicit CMusicInputDlg(QWidget* parent = nullptr);
    void reject() override;

  private:
    QLineEdit* line_ = nullptr;
};

namespace frontend {

constexpr const char* kSpacingRangeDialogName = "SpacingRangeDialog233";
constexpr const char* kAddBarLinesDialogName = "AddBarLinesDialog289";
constexpr const char* kMusicInputDialogName = "MusicInputDialog149";

// The modal runs the launchers hand to DialogLaunch; each returns the dialog's result.
int ExecSpacingRangeDialog();
int ExecAddBarLinesDialog();
int ExecMusicInputDialog();

}  // namespace frontend
