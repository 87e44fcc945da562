#include "frontend/bridge/question_dialogs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_lists.h"

using namespace frontend;

namespace {

// The modal results the buttons end the dialogs with.
constexpr int kEndFirst = 0;
constexpr int kEndOther = 1;
constexpr int kEndClosed = 2;

// The engine's text for a label: its line breaks (CR LF) as line breaks.
QString question_text(const std::string& text) {
    QString s = FromCp1252(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// A dialog body: the static text (control 1044) over a row of buttons.
struct DialogBody {
    QLabel* text = nullptr;
    QHBoxLayout* buttons = nullptr;
};

DialogBody make_body(QDialog& dialog, const char* name) {
    dialog.setObjectName(QLatin1String(name));
    dialog.setWindowTitle(QString());
    auto* layout = new QVBoxLayout(&dialog);
    DialogBody body;
    body.text = new QLabel(&dialog);
    body.text->setObjectName(QStringLiteral("Static1044"));
    body.text->setWordWrap(true);
    layout->addWidget(body.text);
    body.buttons = new QHBoxLayout;
    layout->addLayout(body.buttons);
    return body;
}

QPushButton* add_button(QDialog& dialog, DialogBody& body, int id, const QString& label) {
    auto* button = new QPushButton(label, &dialog);
    button->setObjectName(QStringLiteral("Button%1").arg(id));
    body.buttons->addWidget(button);
    return button;
}

}  // namespace

// -- IDD 159 -------------------------------------------------------------------------------

CQuestionDlg::CQuestionDlg(QWidget* parent) : QDialog(parent) {
    DialogExchangeBlocks.ChoiceAnswer = -1;
    DialogBody body = make_body(*this, kQuestionDialogName);
    body.text->setText(question_text(DialogExchangeBlocks.DialogQuestionText));
    QPushButton* yes = add_button(*this, body, 1045, QStringLiteral("&Yes"));
    QPushButton* no = add_button(*this, body, 1046, QStringLiteral("&No"));
    QPushButton* exit = add_button(*this, body, 2, QStringLiteral("E&xit"));
    connect(yes, &QPushButton::clicked, this, [this] { OnYes(); });
    connect(no, &QPushButton::clicked, this, [this] { OnNo(); });
    connect(exit, &QPushButton::clicked, this, [this] { OnExit(); });
    (DialogExchangeBlocks.DialogDefaultFlag != 0 ? no : yes)->setDefault(true);
}

void CQuestionDlg::OnYes() {
    DialogExchangeBlocks.ChoiceAnswer = 0;
    done(kEndFirst);
}

void CQuestionDlg::OnNo() {
    DialogExchangeBlocks.ChoiceAnswer = -1;
    done(kEndOther);
}

void CQuestionDlg::OnExit() {
    DialogExchangeBlocks.ChoiceAnswer = 1;
    done(kEndOther);
}

// Escape is the Exit button (its control is the dialog's cancel control).
void CQuestionDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        OnExit();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The close box: no answer is given.
void CQuestionDlg::reject() { done(kEndClosed); }

// -- IDD 165 -------------------------------------------------------------------------------

CYesNoDlg::CYesNoDlg(QWidget* parent) : QDialog(parent) {
    DialogExchangeBlocks.YesNoAnswer = 99;
    DialogBody body = make_body(*this, kYesNoDialogName);
    const int32_t mode = DialogExchangeBlocks.ExchangeBlockA[0];
    const bool relabel = mode == 0;
    body.text->setText(mode == 0 || mode == 1
                           ? question_text(DialogExchangeBlocks.DialogQuestionText)
                           : QStringLiteral("1. Read file names alphabetically.\n"
                                            "2. Use namelist file."));
    QPushButton* yes = add_button(*this, body, 1110,
                                  relabel ? QStringLiteral("Continue") : QStringLiteral("&Yes"));
    QPushButton* no =
        add_button(*this, body, 1111, relabel ? QStringLiteral("Exit") : QStringLiteral("&No"));
    connect(yes, &QPushButton::clicked, this, [this] {
        DialogExchangeBlocks.YesNoAnswer = -1;
        done(kEndFirst);
    });
    connect(no, &QPushButton::clicked, this, [this] {
        DialogExchangeBlocks.YesNoAnswer = 0;
        done(kEndOther);
    });
    if (DialogExchangeBlocks.DialogDefaultFlag != 0) yes->setDefault(true);
}

// Escape and the close box: the answer stays 99.
void CYesNoDlg::reject() { done(kEndClosed); }

// -- IDD 230 -------------------------------------------------------------------------------

CAbandonInputDlg::CAbandonInputDlg(QWidget* parent) : QDialog(parent) {
    DialogExchangeBlocks.ChoiceAnswer = -1;
    DialogBody body = make_body(*this, kAbandonInputDialogName);
    body.text->setText(QStringLiteral("Abandon input?"));
    QPushButton* yes = add_button(*this, body, 1045, QStringLiteral("&Yes"));
    QPushButton* edit = add_button(*this, body, 1046, QStringLiteral("&Edit"));
    QPushButton* cancel = add_button(*this, body, 10, QStringLiteral("Cancel"));
    connect(yes, &QPushButton::clicked, this, [this] {
        DialogExchangeBlocks.ChoiceAnswer = 0;
        done(kEndFirst);
    });
    connect(edit, &QPushButton::clicked, this, [this] {
        DialogExchangeBlocks.ChoiceAnswer = 1;
        done(kEndOther);
    });
    connect(cancel, &QPushButton::clicked, this, &CAbandonInputDlg::reject);
    yes->setDefault(true);
}

// Cancel, Escape and the close box.
void CAbandonInputDlg::reject() {
    DialogExchangeBlocks.ChoiceAnswer = -1;
    done(kEndOther);
}

// -- launchers -----------------------------------------------------------------------------

namespace frontend {

// Contract: clears the exchange area, then writes DialogQuestionText, DialogButtonLabels and
// DialogDefaultFlag; the dialog writes ChoiceAnswer, which comes back.
int RunQuestionDialog(std::string_view question, std::string_view label1, std::string_view label2,
                      std::string_view label3, int default_flag) {
    ClearDialogExchange();
    DialogExchangeBlocks.DialogQuestionText = question;
    DialogExchangeBlocks.DialogButtonLabels = {std::string(label1), std::string(label2),
                                               std::string(label3)};
    DialogExchangeBlocks.DialogDefaultFlag = default_flag;
    CQuestionDlg dialog;
    dialog.exec();
    return DialogExchangeBlocks.ChoiceAnswer;
}

int AskYesNoExit(std::string_view question) {
    return ~RunQuestionDialog(question, "Yes", "No", "Exit", 0);
}

// Contract: clears the exchange area, then writes DialogQuestionText and block A word 0 (the
// mode); the dialog writes YesNoAnswer, which comes back.
int AskYesNo(std::string_view question, int mode) {
    ClearDialogExchange();
    DialogExchangeBlocks.DialogQuestionText = question;
    DialogExchangeBlocks.ExchangeBlockA[0] = mode;
    CYesNoDlg dialog;
    dialog.exec();
    return DialogExchangeBlocks.YesNoAnswer;
}

int AskAbandonInput() {
    ClearDialogExchange();
    CAbandonInputDlg dialog;
    dialog.exec();
    return DialogExchangeBlocks.ChoiceAnswer;
}

}  // namespace frontend
