// The engine's questions and notices: Yes/No/Exit (159), Yes/No or Continue/Exit (165),
// "Abandon input?" (230) and the "Out of bounds" notice (213). Each question launcher clears the
// exchange area, puts the question and its words there, runs its dialog modally and answers
// with the answer word the dialog left (its "closed" value when the dialog was closed any other
// way than by its buttons).
#pragma once

#include <QPointer>
#include <QPushButton>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/bridge/reply_kind.h"
#include "frontend/dialogs/engine_dialog.h"

class QLabel;
class QMessageBox;
class QPushButton;
class QWidget;

// IDD 159: the question (1044) with "&Yes" (1045), "&No" (1046) and "E&xit" (2). ChoiceAnswer:
// Yes 0 (ends 0), No -1 (ends 1), Exit or Escape 1 (ends 1); the close box leaves the -1 it
// starts with and ends 2. DialogDefaultFlag nonzero makes No the default button. Y and N typed
// alone (no other character following within the typing gap) answer Yes and No; any other
// typed key is kept for the window the typing was in, as in the yes/no box (Exit has no
// letter).
class CQuestionDlg : public frontend::CEngineDialog {
  public:
    explicit CQuestionDlg(QWidget* parent = nullptr);
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Answer(int answer, int code);

    QPointer<QPushButton> yes_;
    QPointer<QPushButton> no_;
};

// IDD 165: "&Yes" (1110) and "&No" (1111), relabelled "Continue" and "Exit" in mode 0 (block A
// word 0); modes 0 and 1 show the question, other modes the template's text. YesNoAnswer: Yes
// -1 (ends 0), No 0 (ends 1); Escape and the close box leave the 99 it starts with (end 2).
// Enter takes the default button (Yes or Continue, or the button the focus is on); Y and N
// typed alone (as in IDD 159) answer Yes and No (not Continue and Exit). Any other typed key,
// the blank included (a letter of the next line typed while the box is up), is kept and handed
// to the window that had the focus once the box has closed.
class CYesNoDlg : public frontend::CEngineDialog {
  public:
    explicit CYesNoDlg(QWidget* parent = nullptr);
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QPointer<QPushButton> yes_;  // null when relabelled Continue and Exit
    QPointer<QPushButton> no_;
};

// IDD 230 "Abandon input?": "&Yes" (1045), "&Edit" (1046), "Cancel" (10). ChoiceAnswer: Yes 0
// (ends 0), Edit 1 (ends 1), Cancel, Escape and the close box -1 (end 1).
class CAbandonInputDlg : public frontend::CEngineDialog {
  public:
    explicit CAbandonInputDlg(QWidget* parent = nullptr);
    void reject() override;
};

// IDD 213: the notice of FrontEndCommandBuffer (up to its NUL) in 1044, the box 1002 "Don't show
// this message again." and "O.K." (1), which stores the box (1 ticked, 0 not) in A 0 and ends 1.
// Escape and the close box end 2 and leave A 0 as it came.
class COutOfBoundsDlg : public frontend::CEngineDialog {
  public:
    explicit COutOfBoundsDlg(QWidget* parent = nullptr);
};

namespace frontend {

// The three-answer question: question and labels to the exchange area (the dialog shows its own
// labels), default_flag nonzero makes No the default button. Returns ChoiceAnswer: Yes 0, No -1,
// Exit 1, closed -1.
int RunQuestionDialog(std::string_view question, std::string_view label1, std::string_view label2,
                      std::string_view label3, int default_flag);
// Yes -1, No 0, Exit -2, closed 0 (the bitwise complement of ChoiceAnswer, so that Yes tests
// true). preset_no makes No the default button.
int AskYesNoExit(std::string_view question, bool preset_no = false);
// Mode 1: the question with Yes and No; mode 0: with Continue and Exit; other modes: the
// template's text. Returns YesNoAnswer: -1 Yes or Continue, 0 No or Exit, 99 closed.
int AskYesNo(std::string_view question, int mode);
// "Abandon input?": Yes 0, Edit 1, Cancel or closed -1.
int AskAbandonInput();

// An engine reply ("*** Nothing to UNDO.") in a modal box with OK, a failure with the warning
// icon. Characters typed while it is up, the blank included, are kept for the window the typing
// was in, as the questions keep them; Enter, Escape and a click close it.
void ShowNotice(core::ReplyKind kind, const QString& text);

// The notices of the start (a backup kept when the program was ended), each whole, one a line,
// in a box over parent that waits for nobody: the message line has room for only a part of a
// long one. Null when there is nothing to tell. The box deletes itself when closed.
QMessageBox* ShowStartNotices(QWidget* parent, const std::vector<std::string>& notices);

}  // namespace frontend
