// QtFrontEnd: the window's side of core::FrontEndPort. The engine asks for waits, messages,
// questions, window services, dialogs and repaints through it, always on the UI thread and
// inside an engine call.
//
// The command bar is reached through CommandBarLink, which the main frame provides; until it
// does, a plain stand-in keeps the message line and the input text. Waits run a nested event
// loop that ends when the gate reports input (a deposited command, a typed line, a key) or the
// application quits; they block, they do not spin. Dialogs that have no window yet answer
// Cancel.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "engine/core/front_end_port.h"

class QEventLoop;

// What the engine's command-bar services need of the command bar. Texts are Unicode; the
// engine's CP1252 is converted at this boundary.
class CommandBarLink {
  public:
    virtual ~CommandBarLink() = default;
    virtual void SetMessageText(const QString& text) = 0;  // control 1000
    virtual QString InputText() const = 0;                 // control 1001
    virtual void SetInputText(const QString& text, int sel_start, int sel_end) = 0;
    virtual int SelectionStart() const = 0;
    virtual int SelectionEnd() const = 0;
};

class QtFrontEnd : public QObject, public core::FrontEndPort {
    Q_OBJECT

  public:
    explicit QtFrontEnd(QObject* parent = nullptr);
    ~QtFrontEnd() override;

    // The command bar to talk to (null: the stand-in). Not owned.
    void SetCommandBar(CommandBarLink* bar);
    // True once a wait saw the application quit; later waits return at once.
    bool ApplicationClosing() const { return closing_; }
    // Message boxes and questions answer at once without a window (tests): message boxes
    // return 1, questions the given answer.
    void SetUnattended(bool on, int yes_no_answer = 0);
    // Text of the last message box or question (tests and logs).
    const QString& LastMessage() const { return last_message_; }

    // -- core::FrontEndPort --
    void ArmImmediateKeyMode() override;
    void SetMessageLineText(const char* text) override;
    void SetInputText(const char* text) override;
    void SetInputTextAndSelection(const char* text, int sel_start, int sel_end) override;
    int GetInputTextLength() override;
    void TrimInputToMarker() override;
    int WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) override;
    int WaitForLineEdit(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                        int sel_start, int sel_end) override;
    int ShowMessageBox(const char* text) override;
    int AskYesNo(const char* question, int mode) override;
    int AskYesNoExit(const char* question) override;
    void FrontEndService(char tag[4], core::ServiceBlock& block) override;
    void RefreshDisplayFromEngine() override;
    void SwitchPaletteVariant(int mode, int palette_group) override;
    void ControlMidiPlayer(int action) override;
    int RunDrawingFileNameDialog(const core::FixedText<128>& prompt) override;
    int RunEpsFileNameDialog() override;
    int RunOutputFileNameDialog() override;
    int RunMacroFileDialog() override;
    int RunDontShowAgainNotice() override;
    int RunOutOfBoundsNotice() override;
    int RunConvertCode11Dialog(core::Array1<int32_t, 3>& r) override;
    int RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v) override;
    int RunDecombineFileDialog() override;
    int RunPageImageHeightDialog(core::Array1<float, 19>& a) override;
    int RunPreferencesDialog(core::Array1<int32_t, 32>& a, core::Array1<int32_t, 32>& b) override;
    int RunRippleBarsDialog(core::Array1<int32_t, 5>& a) override;
    int RunSymbolLibraryDialog(int32_t& v) override;

  private:
    // Runs a nested event loop until done() holds or the application quits; false on quit.
    template <typename Done>
    bool WaitUntil(Done done);
    // Shows a text of the engine in the message line.
    void ShowMessageText(const QString& text);
    QString InputTextNow() const;
    void SetInputTextNow(const QString& text, int sel_start, int sel_end);
    // Zoom service 'k'.
    void ServiceZoom(core::ServiceBlock& block);

    CommandBarLink* bar_ = nullptr;
    // The stand-in command bar.
    QString message_text_;
    QString input_text_;
    int sel_start_ = 0;
    int sel_end_ = 0;

    QEventLoop* wait_loop_ = nullptr;
    bool closing_ = false;
    bool unattended_ = false;
    int unattended_answer_ = 0;
    QString last_message_;
    // The document words the services keep until the document's window part serves them.
    QString title_;
    QString path_;
    bool modified_ = false;
};
