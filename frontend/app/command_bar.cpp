#include "frontend/app/command_bar.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <algorithm>

#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"

CCommandBar::CCommandBar(QWidget* parent) : QDockWidget(QStringLiteral("Command Bar"), parent) {
    setObjectName(QStringLiteral("CommandBar"));
    // Shown and hidden only through the View menu, so that the bar's flag always tells the truth.
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(4);
    message_ = new QLineEdit(body);
    message_->setObjectName(QStringLiteral("MessageLine"));
    message_->setReadOnly(true);
    message_->setFocusPolicy(Qt::NoFocus);
    input_ = new QLineEdit(body);
    input_->setObjectName(QStringLiteral("InputEdit"));
    // The engine's lines are 512 characters; a longer typed text could not reach it whole.
    input_->setMaxLength(511);
    row->addWidget(message_, 3);
    row->addWidget(input_, 7);
    setWidget(body);
    connect(input_, &QLineEdit::returnPressed, this, &CCommandBar::RunTypedLine);
}

CCommandBar::~CCommandBar() = default;

void CCommandBar::SetMessageText(const QString& text) { message_->setText(text); }

QString CCommandBar::InputText() const { return input_->text(); }

void CCommandBar::SetInputText(const QString& text, int sel_start, int sel_end) {
    input_->setText(text);
    const int n = static_cast<int>(text.size());
    sel_start = std::clamp(sel_start, 0, n);
    sel_end = std::clamp(sel_end, 0, n);
    if (sel_start == sel_end) {
        input_->setCursorPosition(sel_end);
    } else {
        input_->setSelection(sel_start, sel_end - sel_start);
    }
}

int CCommandBar::SelectionStart() const {
    return input_->hasSelectedText() ? input_->selectionStart() : input_->cursorPosition();
}

int CCommandBar::SelectionEnd() const {
    return input_->hasSelectedText() ? input_->selectionEnd() : input_->cursorPosition();
}

// Contract: while an engine routine waits for a typed line, the text becomes TypedLine (with
// its CR LF) and the wait is told; otherwise the whole line runs through the engine gate as the
// message line, and when the engine did not stop at a prompt (status nonzero) the output is
// decoded and the reply shown. The engine empties the input edit itself.
void CCommandBar::RunTypedLine() {
    using namespace frontend;
    const std::string line = ToCp1252(input_->text());
    if (InputEventFlags.LineWaitArmed != 0) {
        InputEventFlags.TypedLine.set(line + "\r\n");
        InputEventFlags.LineComplete = 1;
        NotifyInputArrived();
        return;
    }
    core::FixedText<512> text(line);
    int32_t status = 0;
    RunEngineLine(text, status);
    if (status != 0) {
        DecodeDisplayLists(nullptr);
        SetMessageText(FromCp1252(text.view()).trimmed());
    }
}
