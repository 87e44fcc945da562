// The question and notice dialogs and the question launchers.
#include "frontend/dialogs/notice_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/keys.h"

using frontend::CEngineDialog;
using frontend::DialogExchangeBlocks;

namespace {

// The modal results the buttons end the dialogs with.
constexpr int kEndFirst = 0;
constexpr int kEndOther = 1;
constexpr int kEndClosed = 2;

constexpr int kTextId = 1044;

// Names a control "c" + its id, as the dialog base does.
void name_control(QWidget* w, int id) { w->setObjectName(QStringLiteral("c%1").arg(id)); }

// An engine text for a label: up to its NUL, its line breaks (CR LF) as line breaks.
QString shown_text(std::string_view text) {
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    QString s = frontend::FromCp1252(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// A dialog body: the static text (1044) over a row of buttons.
struct DialogBody {
    QVBoxLayout* layout = nullptr;
    QLabel* text = nullptr;
    QHBoxLayout* buttons = nullptr;
};

DialogBody make_body(QDialog& dialog, const QString& text) {
    DialogBody body;
    body.layout = new QVBoxLayout(&dialog);
    body.text = new QLabel(text, &dialog);
    name_control(body.text, kTextId);
    body.text->setWordWrap(true);
    body.text->setMinimumWidth(320);
    body.layout->addWidget(body.text);
    body.buttons = new QHBoxLayout;
    body.buttons->addStretch();
    body.layout->addLayout(body.buttons);
    return body;
}

QPushButton* add_button(QDialog& dialog, DialogBody& body, int id, const QString& label) {
    auto* button = new QPushButton(label, &dialog);
    name_control(button, id);
    button->setAutoDefault(false);
    body.buttons->addWidget(button);
    return button;
}

// The widget the keyboard types into: the application's focus, or, when no window is active
// (a window system that gives none), the focus of the visible main window.
QWidget* typing_focus() {
    if (QWidget* w = QApplication::focusWidget()) return w;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && qobject_cast<QDialog*>(top) == nullptr && top->focusWidget())
            return top->focusWidget();
    }
    return nullptr;
}

// The widget the typing was in when a question box came up.
QPointer<QWidget>& typing_widget() {
    static QPointer<QWidget> widget;
    return widget;
}

template <typename D>
frontend::DialogClass dialog_class(int idd, const QString& title, std::vector<int> controls) {
    return {idd, title,
            [](QWidget* parent) -> std::unique_ptr<QDialog> { return std::make_unique<D>(parent); },
            std::move(controls)};
}

}  // namespace

// -- IDD 159 -------------------------------------------------------------------------------

CQuestionDlg::CQuestionDlg(QWidget* parent) : CEngineDialog(159, QString(), parent) {
    DialogExchangeBlocks.ChoiceAnswer = -1;
    SetCancelResult(kEndClosed);
    DialogBody body = make_body(*this, shown_text(DialogExchangeBlocks.DialogQuestionText));
    QPushButton* yes = add_button(*this, body, 1045, QStringLiteral("&Yes"));
    QPushButton* no = add_button(*this, body, 1046, QStringLiteral("&No"));
    QPushButton* exit = add_button(*this, body, 2, QStringLiteral("E&xit"));
    connect(yes, &QPushButton::clicked, this, [this] { Answer(0, kEndFirst); });
    connect(no, &QPushButton::clicked, this, [this] { Answer(-1, kEndOther); });
    connect(exit, &QPushButton::clicked, this, [this] { Answer(1, kEndOther); });
    (DialogExchangeBlocks.DialogDefaultFlag != 0 ? no : yes)->setDefault(true);
}

void CQuestionDlg::Answer(int answer, int code) {
    DialogExchangeBlocks.ChoiceAnswer = answer;
    End(code);
}

// Escape is the Exit button (its control is the dialog's cancel control).
void CQuestionDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Answer(1, kEndOther);
        return;
    }
    CEngineDialog::keyPressEvent(event);
}

// The close box: no answer is given.
void CQuestionDlg::reject() {
    CEngineDialog::reject();
    DialogExchangeBlocks.ChoiceAnswer = -1;
}

// -- IDD 165 -------------------------------------------------------------------------------

CYesNoDlg::CYesNoDlg(QWidget* parent) : CEngineDialog(165, QString(), parent) {
    DialogExchangeBlocks.YesNoAnswer = 99;
    SetCancelResult(kEndClosed);
    const int32_t mode = A(0);
    const bool relabel = mode == 0;
    DialogBody body = make_body(*this, mode == 0 || mode == 1
                                           ? shown_text(DialogExchangeBlocks.DialogQuestionText)
                                           : QStringLiteral("1. Read file names alphabetically.\n"
                                                            "2. Use namelist file."));
    QPushButton* yes = add_button(*this, body, 1110,
                                  relabel ? QStringLiteral("Continue") : QStringLiteral("&Yes"));
    QPushButton* no =
        add_button(*this, body, 1111, relabel ? QStringLiteral("Exit") : QStringLiteral("&No"));
    connect(yes, &QPushButton::clicked, this, [this] {
        DialogExchangeBlocks.YesNoAnswer = -1;
        End(kEndFirst);
    });
    connect(no, &QPushButton::clicked, this, [this] {
        DialogExchangeBlocks.YesNoAnswer = 0;
        End(kEndOther);
    });
    // Enter answers like every other question box: the first button, unless the user moved
    // the focus to the other one.
    yes->setAutoDefault(true);
    no->setAutoDefault(true);
    yes->setDefault(true);
    yes->setFocus();
}

// Keys with a character that is no answer (not Space, which presses the focused button) are
// kept for the window they were meant for.
void CYesNoDlg::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const QString text = event->text();
    const bool typed = mods == Qt::NoModifier && !text.isEmpty() && text.at(0) > QLatin1Char(' ') &&
                       text.at(0) != QChar(0x7f);
    if (typed) {
        frontend::HoldTypedAheadKey(*event, typing_widget().data());
        event->accept();
        return;
    }
    CEngineDialog::keyPressEvent(event);
}

// Escape and the close box: the answer stays 99.
void CYesNoDlg::reject() {
    CEngineDialog::reject();
    DialogExchangeBlocks.YesNoAnswer = 99;
}

// -- IDD 230 -------------------------------------------------------------------------------

CAbandonInputDlg::CAbandonInputDlg(QWidget* parent)
    : CEngineDialog(230, QStringLiteral("Abandon input?"), parent) {
    DialogExchangeBlocks.ChoiceAnswer = -1;
    SetCancelResult(kEndOther);
    DialogBody body = make_body(*this, QStringLiteral("Abandon input?"));
    QPushButton* yes = add_button(*this, body, 1045, QStringLiteral("&Yes"));
    QPushButton* edit = add_button(*this, body, 1046, QStringLiteral("&Edit"));
    QPushButton* cancel = add_button(*this, body, 10, QStringLiteral("Cancel"));
    connect(yes, &QPushButton::clicked, this, [this] {
        DialogExchangeBlocks.ChoiceAnswer = 0;
        End(kEndFirst);
    });
    connect(edit, &QPushButton::clicked, this, [this] {
        DialogExchangeBlocks.ChoiceAnswer = 1;
        End(kEndOther);
    });
    connect(cancel, &QPushButton::clicked, this, &CAbandonInputDlg::reject);
    yes->setDefault(true);
}

// Cancel, Escape and the close box.
void CAbandonInputDlg::reject() {
    CEngineDialog::reject();
    DialogExchangeBlocks.ChoiceAnswer = -1;
}

// -- IDD 213 -------------------------------------------------------------------------------

COutOfBoundsDlg::COutOfBoundsDlg(QWidget* parent) : CEngineDialog(213, QString(), parent) {
    DialogBody body = make_body(*this, shown_text(core::FrontEndCommandBuffer.view()));
    auto* dont_show = Named(new QCheckBox(QStringLiteral("Don't show this message again.\n"
                                                         "Type \"OUT OK\" to restore."),
                                          this),
                            1002);
    body.layout->insertWidget(1, dont_show);
    QPushButton* ok = add_button(*this, body, 1, QStringLiteral("O.K."));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this, dont_show] {
        A(0) = dont_show->isChecked() ? 1 : 0;
        End(1);
    });
}

// -- launchers and registration ----------------------------------------------------------------

namespace frontend {

void RegisterQuestionDialogs() {
    RegisterDialogClass(dialog_class<CQuestionDlg>(159, QString(), {1044, 1045, 1046, 2}));
    RegisterDialogClass(dialog_class<CYesNoDlg>(165, QString(), {1044, 1110, 1111}));
    RegisterDialogClass(dialog_class<COutOfBoundsDlg>(213, QString(), {1044, 1002, 1}));
    RegisterDialogClass(dialog_class<CAbandonInputDlg>(230, QStringLiteral("Abandon input?"),
                                                       {1044, 1045, 1046, 10}));
}

// Contract: clears the exchange area, then writes DialogQuestionText, DialogButtonLabels and
// DialogDefaultFlag; the dialog writes ChoiceAnswer, which comes back.
int RunQuestionDialog(std::string_view question, std::string_view label1, std::string_view label2,
                      std::string_view label3, int default_flag) {
    DialogLaunch launch(159, "Question");
    launch.SetQuestion(question);
    launch.SetDetail(question);
    DialogExchangeBlocks.DialogButtonLabels = {std::string(label1), std::string(label2),
                                               std::string(label3)};
    DialogExchangeBlocks.DialogDefaultFlag = default_flag;
    launch.Run();
    return DialogExchangeBlocks.ChoiceAnswer;
}

int AskYesNoExit(std::string_view question) {
    return ~RunQuestionDialog(question, "Yes", "No", "Exit", 0);
}

// Contract: clears the exchange area, then writes DialogQuestionText and block A word 0 (the
// mode); the dialog writes YesNoAnswer, which comes back.
int AskYesNo(std::string_view question, int mode) {
    DialogLaunch launch(165, "Question");
    launch.SetQuestion(question);
    launch.SetDetail(question);
    DialogLaunch::Word(ExchangeBlock::A, 0) = mode;
    // Keys typed ahead while the box is up belong to where the typing was.
    typing_widget() = typing_focus();
    launch.Run();
    return DialogExchangeBlocks.YesNoAnswer;
}

int AskAbandonInput() {
    DialogLaunch launch(230, "Abandon input?");
    launch.Run();
    return DialogExchangeBlocks.ChoiceAnswer;
}

QMessageBox* ShowStartNotices(QWidget* parent, const std::vector<std::string>& notices) {
    if (notices.empty()) return nullptr;
    QStringList lines;
    for (const std::string& notice : notices) lines << QString::fromLocal8Bit(notice.c_str());
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Melandrix"),
                                lines.join(QLatin1Char('\n')), QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("StartNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    return box;
}

}  // namespace frontend
