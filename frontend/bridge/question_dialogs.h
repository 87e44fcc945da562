// The engine's question dialogs: Yes/No/Exit, Yes/No (or Continue/Exit) and "Abandon input?".
// Each launcher clears the exchange area, puts the question and its words there, runs its
// dialog modally and answers with the answer word the dialog left (the "closed" value when the
// dialog was closed any other way than by its buttons).
#pragma once

#include <QDialog>
#include <string_view>

class QLabel;
class QPushButton;

// IDD 159: a question with "&Yes" (1045), "&No" (1046) and "E&xit" (2). ChoiceAnswer: Yes 0,
// No -1, Exit or Escape 1; the close box leaves the -1 it starts with.
class CQuestionDlg : public QDialog {
  public:
    explicit CQuestionDlg(QWidget* parent = nullptr);
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnYes();
    void OnNo();
    void OnExit();
};

// IDD 165: "&Yes" (1110) and "&No" (1111), relabelled "Continue" and "Exit" in mode 0 (block A
// word 0); mode 1 shows the question, other modes the template's text. YesNoAnswer: Yes -1, No
// 0; Escape and the close box leave the 99 it starts with.
class CYesNoDlg : public QDialog {
  public:
    explicit CYesNoDlg(QWidget* parent = nullptr);
    void reject() override;
};

// IDD 230 "Abandon input?": "&Yes" (1045), "&Edit" (1046), "Cancel" (10). ChoiceAnswer: Yes 0,
// Edit 1, Cancel, Escape and the close box -1.
class CAbandonInputDlg : public QDialog {
  public:
    explicit CAbandonInputDlg(QWidget* parent = nullptr);
    void reject() override;
};

namespace frontend {

// Object names of the dialogs and their buttons ("Button" and the control number), by which
// tests find them.
constexpr const char* kQuestionDialogName = "QuestionDialog159";
constexpr const char* kYesNoDialogName = "YesNoDialog165";
constexpr const char* kAbandonInputDialogName = "AbandonInputDialog230";

// The three-answer question: question and labels to the exchange area (the template shows
// its own labels), default_flag nonzero makes No the default button. Returns ChoiceAnswer:
// Yes 0, No -1, Exit 1, closed -1.
int RunQuestionDialog(std::string_view question, std::string_view label1, std::string_view label2,
                      std::string_view label3, int default_flag);
// Yes -1, No 0, Exit -2, closed 0 (the bitwise complement of ChoiceAnswer, so that Yes tests
// true).
int AskYesNoExit(std::string_view question);
// Mode 1: the question with Yes and No; mode 0: with Continue and Exit; other modes: the
// template's text. Returns YesNoAnswer: -1 Yes or Continue, 0 No or Exit, 99 closed.
int AskYesNo(std::string_view question, int mode);
// "Abandon input?": Yes 0, Edit 1, Cancel or closed -1.
int AskAbandonInput();

}  // namespace frontend
