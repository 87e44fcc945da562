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
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
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

// Nobody reads a question and answers it faster than this (ms): a key stamped earlier than the
// box's showing plus this was typed before the user could see it.
constexpr quint64 kUnseenMs = 250;
// A key stamped within this of a key typed ahead belongs to the same burst of typing (ms).
constexpr quint64 kTypingGapMs = 150;

// Whether a key types a character into a line (the blank included), rather than being a
// control key, a shortcut or a bare modifier.
bool types_character(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const QString text = key.text();
    return mods == Qt::NoModifier && !text.isEmpty() && text.at(0) >= QLatin1Char(' ') &&
           text.at(0) != QChar(0x7f);
}

// What a box does with the characters typed while it is up, past the keys typed ahead.
struct TypingRule {
    bool hold = false;  // held for the typing widget, the blank too (a box's button takes none)
    QString answers;    // upper-case letters that answer the box when typed alone
    // An Enter ends a held line rather than answering. Not for a box whose only keyboard answer
    // is Enter (Continue/Exit): the line held there is the one that follows its answer.
    bool enter_ends_line = false;
};

// While a question box runs: keys typed before the user could have seen it are held for the
// widget the typing was in (blanks, Enter and Escape included, which the box would take as
// answers) and reach it, in order, once the engine waits for input again or its call ends.
// A key counts as typed ahead when the window system stamped it before the box was up plus
// kUnseenMs, or within kTypingGapMs of the key typed ahead before it; a key held down since
// then repeats as typed ahead. A press of the mouse stamped before the box was up plus
// kUnseenMs is dropped. Events made by the program carry no stamp and are the box's.
// With a rule that holds typing, every character typed while the box is up is held as well
// and starts or goes on with a burst (so the Enter that ends a typed line is held with it),
// except an answer letter typed alone, which the box takes. A letter is typed alone when no
// other character follows it within kTypingGapMs (a word typed while the box is up, "NOTE ...",
// must not answer with its first letter): the letter waits until the next key comes or the
// gap has passed; a character within the gap makes it the first of the held word, any later
// key lets it answer and then goes to the window itself. A letter without a stamp (made by the
// program) answers at once; a letter held down answers once. While held characters (other
// than blanks) wait for their line's end, an Enter however late ends that line and is held
// with it: it never answers the box, which only an Enter with no such line held does (where
// the rule says so: at Continue/Exit the Enter answers and the line goes on after it).
class TypedAheadGuard : public QObject {
  public:
    explicit TypedAheadGuard(TypingRule rule = {}) : rule_(std::move(rule)) {
        answer_timer_.setSingleShot(true);
        answer_timer_.setInterval(static_cast<int>(kTypingGapMs));
        connect(&answer_timer_, &QTimer::timeout, this, [this] { answer_pending(); });
        const quint64 now = frontend::WindowSystemTimeNow();
        seen_from_ = now == 0 ? 0 : now + kUnseenMs;
        typing_widget() = typing_focus();
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TypedAheadGuard() override {
        QCoreApplication::instance()->removeEventFilter(this);
        // The box is answered: a key typed from now on is no rest of an earlier answer.
        frontend::EndAnswerRest();
    }
    TypedAheadGuard(const TypedAheadGuard&) = delete;
    TypedAheadGuard& operator=(const TypedAheadGuard&) = delete;

  protected:
    // Contract: takes the key presses and releases meant for the modal box; see the class.
    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool mouse_down = event->type() == QEvent::MouseButtonPress ||
                                event->type() == QEvent::MouseButtonDblClick;
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease && !mouse_down)
            return false;
        if (passing_) return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (w == nullptr || w->window() != QApplication::activeModalWidget()) return false;
        if (mouse_down) {
            // A click made before the box could be seen presses none of its buttons.
            const quint64 t = static_cast<QInputEvent*>(event)->timestamp();
            return t != 0 && seen_from_ != 0 && t < seen_from_;
        }
        const auto& key = *static_cast<QKeyEvent*>(event);
        // The rest of the answer that led to this box (the J of "LJ") was answered already.
        if (event->type() == QEvent::KeyPress && frontend::TakeAnswerRest(key)) return true;
        const quint64 t = key.timestamp();
        const auto down = std::find(held_down_.begin(), held_down_.end(), key.key());
        const bool pressed_here =
            std::find(pressed_here_.begin(), pressed_here_.end(), key.key()) != pressed_here_.end();
        if (event->type() == QEvent::KeyRelease) {
            if (!pressed_here) {
                // The release of a key that went down before the box (an Enter held since the
                // line that asks): its repeats follow stamped with the same time.
                last_release_ = {key.key(), t};
            }
            if (down == held_down_.end()) return false;
            if (!key.isAutoRepeat()) held_down_.erase(down);
            return true;
        }
        // A key held down since before the box repeats: no answer, and no key typed either.
        const bool repeat_pair = t != 0 && last_release_.first == key.key() &&
                                 t >= last_release_.second && t - last_release_.second <= 10;
        if (!pressed_here && (key.isAutoRepeat() || repeat_pair)) return true;
        if (!pressed_here) pressed_here_.push_back(key.key());
        // The answer letter held down repeats: it answers once, and types nothing.
        const bool answer_repeats =
            key.isAutoRepeat() && (pending_ != nullptr || answered_) && key.key() == answer_key_;
        if (answer_repeats) return true;
        if (answered_) {
            // The box took a letter typed alone and is closing: what follows is the window's.
            if (!is_modifier(key.key())) frontend::HoldTypedAheadKey(key, typing_widget().data());
            return true;
        }
        if (pending_ != nullptr && !is_modifier(key.key())) {
            const quint64 pending_t = pending_->timestamp();
            if (types_character(key) && t >= pending_t && t - pending_t <= kTypingGapMs) {
                // The letter begins a word: it goes to the command bar with the rest of it.
                hold_pending();
            } else {
                // The letter stood alone: it answers, and this key is the window's.
                answer_pending();
                frontend::HoldTypedAheadKey(key, typing_widget().data());
                return true;
            }
        }
        const bool ahead =
            down != held_down_.end() ||
            (t != 0 && ((seen_from_ != 0 && t < seen_from_) ||
                        (last_ahead_ != 0 && t >= last_ahead_ && t - last_ahead_ <= kTypingGapMs)));
        const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
        const bool ends_held_line = enter && line_held_ && rule_.enter_ends_line;
        const bool answer_letter = !ahead && !ends_held_line && answers_alone(key);
        if (answer_letter && t != 0) {
            // Whether the letter is typed alone shows only when the next key comes, or none
            // comes within the typing gap.
            pending_.reset(key.clone());
            pending_target_ = w;
            answer_key_ = key.key();
            answer_timer_.start();
            return true;
        }
        if (!ahead && !ends_held_line && !(rule_.hold && types_character(key) && !answer_letter))
            return false;
        if (t != 0) last_ahead_ = std::max(last_ahead_, t);
        if (enter) {
            line_held_ = false;
        } else if (types_character(key) && key.text() != QStringLiteral(" ")) {
            line_held_ = true;
        }
        if (down == held_down_.end()) held_down_.push_back(key.key());
        if (!is_modifier(key.key())) frontend::HoldTypedAheadKey(key, typing_widget().data());
        return true;
    }

  private:
    // The answer letter waiting to show whether it was typed alone goes to the box, which
    // answers with it, unless the box has closed meanwhile (a click answered it).
    void answer_pending() {
        answer_timer_.stop();
        const std::unique_ptr<QKeyEvent> key = std::move(pending_);
        const QPointer<QWidget> target = pending_target_;
        if (key == nullptr || target.isNull() || !target->isVisible() ||
            target->window() != QApplication::activeModalWidget())
            return;
        passing_ = true;
        QCoreApplication::sendEvent(target.data(), key.get());
        passing_ = false;
        answered_ = target.isNull() || !target->window()->isVisible();
    }
    // The answer letter began a word: it is held for the command bar as the burst's first key.
    void hold_pending() {
        answer_timer_.stop();
        const std::unique_ptr<QKeyEvent> key = std::move(pending_);
        last_ahead_ = std::max(last_ahead_, key->timestamp());
        line_held_ = true;
        frontend::HoldTypedAheadKey(*key, typing_widget().data());
    }
    // Called only for a key that is not part of a burst of typing.
    bool answers_alone(const QKeyEvent& key) const {
        const QString text = key.text().toUpper();
        return text.size() == 1 && rule_.answers.contains(text.at(0));
    }
    static bool is_modifier(int k) {
        return k == Qt::Key_Shift || k == Qt::Key_Control || k == Qt::Key_Alt ||
               k == Qt::Key_AltGr || k == Qt::Key_Meta || k == Qt::Key_CapsLock;
    }

    TypingRule rule_;
    quint64 seen_from_ = 0;
    quint64 last_ahead_ = 0;
    std::vector<int> held_down_;     // keys typed ahead that have not come up since
    std::vector<int> pressed_here_;  // keys that went down while the box ran
    std::pair<int, quint64> last_release_{0, 0};
    bool line_held_ = false;  // held characters wait for the Enter that ends their line
    // An answer letter typed alone so far, the widget it was typed at, and the time left for
    // another character to make it the start of a word.
    std::unique_ptr<QKeyEvent> pending_;
    QPointer<QWidget> pending_target_;
    int answer_key_ = 0;
    QTimer answer_timer_;
    bool passing_ = false;   // the pending letter is on its way to the box
    bool answered_ = false;  // the box took a pending letter
};

// A box with Yes and No buttons: Y and N typed alone answer it, every other character typed is
// held, and an Enter after held characters ends their line instead of answering.
TypingRule yes_no_typing() { return TypingRule{true, QStringLiteral("YN"), true}; }

// Y and N answer a box labelled Yes and No (yes or no null: that letter answers nothing). Other
// keys with a character are kept for the window they were meant for (the launcher's guard keeps
// the blank before the focused button could take it). False for a key that types no character.
bool answer_yes_no_key(QKeyEvent& event, QPushButton* yes, QPushButton* no) {
    if (!types_character(event)) return false;
    const QString letter = event.text().toUpper();
    QPushButton* answer = letter == QStringLiteral("Y")   ? yes
                          : letter == QStringLiteral("N") ? no
                                                          : nullptr;
    if (answer != nullptr) {
        answer->click();
    } else {
        frontend::HoldTypedAheadKey(event, typing_widget().data());
    }
    event.accept();
    return true;
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
    yes_ = yes;
    no_ = no;
}

void CQuestionDlg::Answer(int answer, int code) {
    DialogExchangeBlocks.ChoiceAnswer = answer;
    End(code);
}

// Escape is the Exit button (its control is the dialog's cancel control); Y and N answer as in
// the yes/no box. Exit has no letter, as Continue/Exit there has none.
void CQuestionDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Answer(1, kEndOther);
        return;
    }
    if (answer_yes_no_key(*event, yes_.data(), no_.data())) return;
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
    if (!relabel) {
        yes_ = yes;
        no_ = no;
    }
}

void CYesNoDlg::keyPressEvent(QKeyEvent* event) {
    if (answer_yes_no_key(*event, yes_.data(), no_.data())) return;
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
    const TypedAheadGuard guard(yes_no_typing());
    launch.Run();
    return DialogExchangeBlocks.ChoiceAnswer;
}

int AskYesNoExit(std::string_view question, bool preset_no) {
    return ~RunQuestionDialog(question, "Yes", "No", "Exit", preset_no ? 1 : 0);
}

// Contract: clears the exchange area, then writes DialogQuestionText and block A word 0 (the
// mode); the dialog writes YesNoAnswer, which comes back.
int AskYesNo(std::string_view question, int mode) {
    DialogLaunch launch(165, "Question");
    launch.SetQuestion(question);
    launch.SetDetail(question);
    DialogLaunch::Word(ExchangeBlock::A, 0) = mode;
    // Continue and Exit have no letters of their own: every letter typed goes to the next line.
    const TypedAheadGuard guard(mode == 0 ? TypingRule{true, QString(), false} : yes_no_typing());
    launch.Run();
    return DialogExchangeBlocks.YesNoAnswer;
}

int AskAbandonInput() {
    DialogLaunch launch(230, "Abandon input?");
    const TypedAheadGuard guard;
    launch.Run();
    return DialogExchangeBlocks.ChoiceAnswer;
}

// Contract: a modal box with OK that holds the characters typed while it is up, as the yes/no
// question does; Enter, Escape and a click close it.
void ShowNotice(core::ReplyKind kind, const QString& text) {
    QMessageBox box(
        kind == core::ReplyKind::Failure ? QMessageBox::Warning : QMessageBox::Information,
        QStringLiteral("ormest"), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("Notice"));
    const TypedAheadGuard guard(TypingRule{true, QString(), true});
    box.exec();
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
