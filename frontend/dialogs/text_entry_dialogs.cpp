// The text entry dialogs: "Edit Text" (210), "Text Input" (148), the drawing's output file name
// (190) and the note numbers of the text units (199). The text travels in MessageLine: the
// engine leaves the text to edit there (ended by a NUL), OK leaves the typed text there, NUL-ended
// and cut at 511 characters (Edit Text: whole to 512, a longer text refused). Cancel ends 2 and
// hands back the lines and the block as they came.
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/tables.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

namespace {

constexpr int kMessageChars = 511;  // MessageLine less its closing NUL
constexpr int kDividerChars = 47;   // FrontEndCommandBuffer less its closing NUL
constexpr int kFieldChars = 31;     // what a number field is read up to
constexpr std::string_view kTextLineTooLong =
    "*** The text line would pass 512 characters: it was not entered.";

// An engine line as a dialog shows it: up to its NUL, or without its trailing blanks when it
// has none.
QString shown_line(std::string_view line) {
    const std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos) return FromCp1252(line.substr(0, nul));
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    return FromCp1252(line);
}

// A typed text goes to the engine as UTF-8, which stores each letter as the escape that prints
// it and names one that has none (a letter handed over as a Windows-1252 byte would stay a raw
// byte, and one outside that code page would become "?"). Cut at `room` bytes, never inside a
// letter; a text that fills MessageLine whole goes without its NUL.
void store_typed_text(const QString& text, int room = kMessageChars) {
    std::string s = text.toStdString();
    if (s.size() > static_cast<std::size_t>(room)) {
        std::size_t end = static_cast<std::size_t>(room);
        while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
        s.resize(end);
    }
    if (s.size() < static_cast<std::size_t>(core::MessageLine.size())) s += '\0';
    core::set_exchange_text(s);
}

// The engine's line breaks (CR LF) as line breaks.
QString with_line_breaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// A wrapping edit for one long line: Enter goes to the dialog's default button, and line breaks
// pasted in become blanks when the line is read.
class LineTextEdit : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;
    QString Line() const {
        QString text = toPlainText();
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return text;
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->ignore();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
};

// The OK (1) and Cancel (2) row; OK is the default button and runs on_ok.
template <typename D, typename F>
QHBoxLayout* ok_cancel(D* dialog, F on_ok) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    ok->setObjectName(QStringLiteral("c1"));
    cancel->setObjectName(QStringLiteral("c2"));
    ok->setDefault(true);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    row->addWidget(ok);
    row->addWidget(cancel);
    QObject::connect(ok, &QPushButton::clicked, dialog, on_ok);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

// IDD 210 "Edit Text": MessageLine in the wrapping edit 1000 (MessageLine is blanked while the
// dialog is open); OK stores the edit in MessageLine and ends 1.
class CEditTextDlg : public CEngineDialog {
  public:
    explicit CEditTextDlg(QWidget* parent)
        : CEngineDialog(210, QStringLiteral("Edit Text"), parent) {
        auto* layout = new QVBoxLayout(this);
        text_ = Named(new LineTextEdit(this), 1000);
        text_->setPlainText(shown_line(core::MessageLine.view()));
        text_->setMinimumWidth(560);
        text_->setFixedHeight(96);
        text_->moveCursor(QTextCursor::End);
        core::clear_exchange_text();
        layout->addWidget(text_);
        layout->addLayout(ok_cancel(this, [this] { OnOk(); }));
        text_->setFocus();
    }

  private:
    // The line takes the whole of MessageLine. A longer one is refused by name rather than cut:
    // a cut would enter a text that was never typed. The refusal ends as Cancel does, the text
    // left as it was.
    void OnOk() {
        const QString line = text_->Line();
        if (line.toStdString().size() > static_cast<std::size_t>(core::MessageLine.size())) {
            reject();
            core::report_failure(kTextLineTooLong);
            return;
        }
        store_typed_text(line, core::MessageLine.size());
        End(1);
    }

    LineTextEdit* text_ = nullptr;
};

// IDD 148 "Text Input": the line of MessageLine (1000, MessageLine blanked while open), P2-P6
// from B 1-5 with "%f" (1555-1559) and the divider character from FrontEndCommandBuffer (1001).
// OK: B 1-5 from the fields (one that does not begin with a number keeps its word), the line
// into MessageLine, the divider field into FrontEndCommandBuffer (47 characters and a NUL);
// ends 1.
class CTextInputDlg : public CEngineDialog {
  public:
    explicit CTextInputDlg(QWidget* parent)
        : CEngineDialog(148, QStringLiteral("Text Input"), parent) {
        auto* layout = new QVBoxLayout(this);
        line_ = Named(new QLineEdit(shown_line(core::MessageLine.view()), this), 1000);
        line_->setMaxLength(kMessageChars);
        line_->setMinimumWidth(480);
        line_->selectAll();
        core::clear_exchange_text();
        layout->addWidget(line_);

        auto* params = new QHBoxLayout;
        for (int i = 0; i < 5; ++i) {
            auto* form = new QFormLayout;
            params_[i] =
                Named(new QLineEdit(FormatReal(Real(ExchangeBlock::B, 1 + i)), this), 1555 + i);
            params_[i]->setMaximumWidth(90);
            form->addRow(QStringLiteral("P%1=").arg(2 + i), params_[i]);
            params->addLayout(form);
        }
        layout->addLayout(params);

        auto* divider_form = new QFormLayout;
        divider_ = Named(new QLineEdit(shown_line(core::FrontEndCommandBuffer.view()), this), 1001);
        divider_->setMaxLength(kDividerChars);
        divider_->setMaximumWidth(90);
        divider_form->addRow(QStringLiteral("Text divider character ="), divider_);
        layout->addLayout(divider_form);
        layout->addLayout(ok_cancel(this, [this] { OnOk(); }));
        line_->setFocus();
    }

  private:
    void OnOk() {
        for (int i = 0; i < 5; ++i) {
            float word = Real(ExchangeBlock::B, 1 + i);
            if (ReadReal(params_[i]->text().left(kFieldChars), word)) {
                SetReal(ExchangeBlock::B, 1 + i, word);
            }
        }
        store_typed_text(line_->text());
        StoreLine(core::FrontEndCommandBuffer, divider_->text());
        End(1);
    }

    QLineEdit* line_ = nullptr;
    QLineEdit* params_[5] = {};
    QLineEdit* divider_ = nullptr;
};

// IDD 190, the drawing's output file name: the prompt (the question text; the template's own
// text when there is none) in 1127 over MessageLine in 1000; OK stores the name in MessageLine
// and ends 1.
class CFileNameDlg : public CEngineDialog {
  public:
    explicit CFileNameDlg(QWidget* parent) : CEngineDialog(190, QString(), parent) {
        auto* layout = new QVBoxLayout(this);
        const std::string& question = DialogExchangeBlocks.DialogQuestionText;
        auto* prompt =
            Named(new QLabel(with_line_breaks(question.empty()
                                                  ? QStringLiteral("Type output file name. \r\n"
                                                                   "(Default = DRW.TMP)")
                                                  : shown_line(question)),
                             this),
                  1127);
        layout->addWidget(prompt);
        name_ = Named(new QLineEdit(shown_line(core::MessageLine.view()), this), 1000);
        name_->setMaxLength(kMessageChars);
        name_->setMinimumWidth(360);
        layout->addWidget(name_);
        layout->addLayout(ok_cancel(this, [this] {
            StoreAnswerLine(name_->text());
            End(1);
        }));
        name_->setFocus();
    }

  private:
    QLineEdit* name_ = nullptr;
};

// IDD 199: the text (the question text, read only) in 1000 over the edit 1001, which starts
// with one blank; OK stores the note numbers typed in MessageLine and ends 1.
class CTextUnitsDlg : public CEngineDialog {
  public:
    explicit CTextUnitsDlg(QWidget* parent) : CEngineDialog(199, QString(), parent) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("Type note number for each text unit."), this));
        auto* text =
            Named(new QLabel(shown_line(DialogExchangeBlocks.DialogQuestionText), this), 1000);
        text->setTextFormat(Qt::PlainText);
        layout->addWidget(text);
        numbers_ = Named(new QLineEdit(QStringLiteral(" "), this), 1001);
        numbers_->setMaxLength(kMessageChars);
        numbers_->setMinimumWidth(480);
        layout->addWidget(numbers_);
        layout->addLayout(ok_cancel(this, [this] {
            StoreAnswerLine(numbers_->text());
            End(1);
        }));
        numbers_->setFocus();
    }

  private:
    QLineEdit* numbers_ = nullptr;
};

template <typename D>
DialogClass dialog_class(int idd, const QString& title, std::vector<int> controls) {
    return {idd, title,
            [](QWidget* parent) -> std::unique_ptr<QDialog> { return std::make_unique<D>(parent); },
            std::move(controls)};
}

}  // namespace

void RegisterTextEntryDialogs() {
    RegisterDialogClass(dialog_class<CTextInputDlg>(
        148, QStringLiteral("Text Input"), {1000, 1, 2, 1555, 1556, 1557, 1558, 1559, 1001}));
    RegisterDialogClass(dialog_class<CFileNameDlg>(190, QString(), {1127, 1000, 1, 2}));
    RegisterDialogClass(dialog_class<CTextUnitsDlg>(199, QString(), {1000, 1001, 1, 2}));
    RegisterDialogClass(dialog_class<CEditTextDlg>(210, QStringLiteral("Edit Text"), {1000, 1, 2}));
}

}  // namespace frontend
