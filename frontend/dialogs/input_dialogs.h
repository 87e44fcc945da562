// The dialogs of the input mode (the input space, "Add Bar Lines", the music input line) and
// the text helpers the small engine dialogs share. Each dialog works on the exchange area and
// the engine's lines as its launcher leaves them; its controls are named "c" + their id.
//
// A number field whose text does not begin with a number keeps the word it showed.
#pragma once

#include <QString>
#include <algorithm>
#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/dialogs/engine_dialog.h"

class QCheckBox;
class QLineEdit;

namespace frontend {

// Registers 233, 289 and 149 (the small dialogs' family calls it).
void RegisterInputDialogs();

}  // namespace frontend

// IDD 233, the input space: block A words 4 begin point, 5 end point, 6 spacing staff. The
// four range buttons and the two boxes "Set Spacing Staff" / "Set Input Range" (always one of
// the two ticked) set the words at once; OK (1) reads the three fields; Cancel (2) hands the
// block back as it came.
class CSpacingRangeDlg : public frontend::CEngineDialog {
  public:
    explicit CSpacingRangeDlg(QWidget* parent = nullptr);

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
class CAddBarLinesDlg : public frontend::CEngineDialog {
  public:
    explicit CAddBarLinesDlg(QWidget* parent = nullptr);

  private:
    QLineEdit* fields_[4] = {};
};

// IDD 149 "Kelda Input": FrontEndCommandBuffer shown read-only above the line of MessageLine,
// which is blanked while the dialog is open. OK (1): the line, NUL-ended (at most 511
// characters), into MessageLine. Cancel (2): MessageLine stays blank (the caller keeps its own
// copy).
class CMusicInputDlg : public frontend::CEngineDialog {
  public:
    explicit CMusicInputDlg(QWidget* parent = nullptr);

  private:
    QLineEdit* line_ = nullptr;
};
