// The command bar: the docked strip with the message line (the engine's replies and prompts)
// and the input edit where command lines are typed. This is its first form: Enter runs the
// typed line; the key tokens, key mode, wheel and help of the input edit come later.
#pragma once

#include <QDockWidget>
#include <QString>

#include "frontend/bridge/qt_front_end.h"

class QLineEdit;

class CCommandBar : public QDockWidget, public CommandBarLink {
    Q_OBJECT

  public:
    explicit CCommandBar(QWidget* parent = nullptr);
    ~CCommandBar() override;

    QLineEdit* MessageEdit() const { return message_; }  // control 1000
    QLineEdit* InputEdit() const { return input_; }      // control 1001

    // -- CommandBarLink --
    void SetMessageText(const QString& text) override;
    QString InputText() const override;
    void SetInputText(const QString& text, int sel_start, int sel_end) override;
    int SelectionStart() const override;
    int SelectionEnd() const override;

    // Runs the input edit's text as a typed line (what Enter does).
    void RunTypedLine();

  private:
    QLineEdit* message_ = nullptr;
    QLineEdit* input_ = nullptr;
};
