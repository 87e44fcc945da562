// QtFrontEnd: the window's side of core::FrontEndPort. The engine asks for waits, messages,
// questions, window services, dialogs and repaints through it, always on the UI thread and
// inside an engine call.
//
// The command bar is reached through CommandBarLink, which the main frame provides; until it
// does, a plain stand-in keeps the message line and the input text. The command-bar services
// are in command_bar_text.cpp, the waits in input_waits.cpp, the question dialogs in
// notice_dialogs.cpp; window services and the other dialogs are served by services.cpp and
// the launchers of dialog_launchers.h.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "engine/core/bridge/front_end_port.h"
#include "frontend/bridge/command_bar_text.h"
#include "frontend/bridge/input_waits.h"

class QtFrontEnd : public QObject, public core::FrontEndPort {
    Q_OBJECT

  public:
    explicit QtFrontEnd(QObject* parent = nullptr);
    ~QtFrontEnd() override;

    // The command bar to talk to (null: the stand-in). Not owned.
    void SetCommandBar(CommandBarLink* bar);
    // True once a wait saw the application quit; later waits return at once.
    bool ApplicationClosing() const { return waits_.closing; }
    // Message boxes, questions and dialogs answer at once without a window (tests): message
    // boxes return 1, questions the given answer, dialogs their Cancel answer.
    void SetUnattended(bool on, int yes_no_answer = 0);
    // Text of the last message box or question (tests and logs).
    const QString& LastMessage() const { return last_message_; }

    // -- core::FrontEndPort --
    void ArmImmediateKeyMode() override;
    void SetEngineWaitLevel(int32_t level) override;
    void SetMessageLineText(core::ReplyKind kind, const char* text) override;
    void SetInputText(const char* text) override;
    void SetInputTextAndSelection(const char* text, int sel_start, int sel_end) override;
    int GetInputTextLength() override;
    void TrimInputToMarker() override;
    int WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) override;
    int WaitForLineEdit(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                        int sel_start, int sel_end) override;
    // Keys come one at a time here, so the rest of a line is not typed yet when a menu takes
    // its first key: only the input mode's closing menu answered with L takes its rest, a J
    // (L stands for LJ), whether already typed ahead or typed before the next question is
    // answered. Returns the J taken now, else nothing.
    std::string DropRestOfTypedLine() override;
    int ShowMessageBox(core::ReplyKind kind, const char* text) override;
    // While a command file read by RE runs, its next line answers a yes/no question as the
    // console reads it (a line that answers nothing is named); typed commands ask in dialogs.
    int AskYesNo(const char* question, int mode) override;
    int AskYesNoExit(const char* question) override;
    void PresetNoForNextQuestion() override { preset_no_ = true; }
    bool ScriptGaveNoAnswer(std::string& line) override;
    bool LastAnswerFromScript() override { return answer_from_file_; }
    void EndWordOnNonAnswer(std::string_view word) override { non_answer_ends_ = word; }
    // Unattended: Yes when the given answer is Yes, else Cancel.
    int AskAbandonInput() override;
    void FrontEndService(char tag[4], core::ServiceBlock& block) override;
    void RefreshDisplayFromEngine() override;
    void SwitchPaletteVariant(int mode, int palette_group) override;
    void LoadPaletteToolbar(int32_t id) override;
    void ControlMidiPlayer(int action) override;
    // The gate's DisplayScale; a request waits in RequestedDisplayScale until the call ends.
    int32_t CurrentZoom() override;
    void RequestZoom(int32_t scale) override;
    // Goes to the zoom bar's text.
    void ShowPercentText(const char* text) override;
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
    int RunParameterEditor(core::Array1<float, 30>& block, int page) override;
    int RunPreferencesDialog(core::Array1<int32_t, 32>& a, core::Array1<int32_t, 32>& b) override;
    int RunRippleBarsDialog(core::Array1<int32_t, 5>& a) override;
    int RunSymbolLibraryDialog(int32_t& v) override;
    int RunSpacingRangeDialog(core::Array1<int32_t, 8>& words) override;
    int RunMusicInputDialog() override;
    int RunAddBarLinesDialog(core::Array1<int32_t, 4>& words) override;
    int RunPrintSetupDialog(core::ArrayRange<int32_t, 0, 23>& ints,
                            core::ArrayRange<float, 0, 23>& reals,
                            core::FixedText<512>& output_name, int flag) override;
    int RunPathListDialog(int32_t& slot, core::Array1<core::FixedText<512>, 9>& folders,
                          const core::FixedText<512>& current) override;
    int RunSelectCodesDialog(core::Array1<int32_t, 19>& codes) override;
    int RunCombineFilesDialog() override;
    int RunIfCommandDialog(const core::FixedText<512>& question,
                           core::Array1<core::FixedText<48>, 14>& fields) override;
    int RunVerticalJustifyDialog(core::Array1<int32_t, 19>& a) override;
    int RunSeparateVoicesDialog(core::Array1<int32_t, 7>& a) override;
    int RunSeparateVoicesNewStaffDialog(core::Array1<int32_t, 7>& a) override;
    int RunBoundingBoxDialog(int32_t& unit, core::Array1<float, 4>& box, int32_t& mode) override;
    int RunRecentFilesDialog(int32_t& choice) override;
    int RunTextInputDialog(core::Array1<float, 19>& b) override;
    int RunTextUnitsDialog(const core::FixedText<512>& shown) override;
    int RunEditTextDialog() override;
    int RunTextFileDialog(std::string_view text) override;
    int RunTransposeSetupDialog(core::Array1<int32_t, 19>& a) override;
    int RunTablatureSetupDialog(core::Array1<int32_t, 20>& a) override;
    int RunPaperSizeDialog(core::Array1<float, 3>& custom) override;
    int RunMeasureNumbersDialog(core::Array1<int32_t, 19>& a) override;
    int RunMusDirDialog(const std::vector<std::string>& entries, int32_t& choice) override;
    int RunStepsToMoveDialog(core::Array1<float, 4>& box) override;
    int RunStaffSpacingDialog() override;
    int RunSoundDialog(core::Array1<int32_t, 64>& settings,
                       core::Array1<int32_t, 256>& staves) override;

    int WaitForTypedLine(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                         int sel_start, int sel_end) override;
    int PollMidiOrKey(core::Array1<int32_t, 5>& record) override;
    bool MidiInputOpen() override;
    int32_t LastKeyCode() override { return waits_.last_key; }
    int32_t LastKeyDownWord() override { return waits_.last_key_down; }
    // Also true for the rest of an engine call once a command file ended at a question.
    bool ApplicationClosing() override;

  private:
    // The yes/no answer a running command file gives (true), else false: the dialog asks.
    bool answer_from_file(const char* question, bool exit_offered, int& answer);
    // The file's next line that answers, as the console reads it; false (the file's end told,
    // the rest of the call ending) when it ended there.
    bool read_file_answer(std::string& line, std::string_view question);

    // The command bar the services act on: the window's, else the stand-in.
    CommandBarLink& Bar() { return bar_ != nullptr ? *bar_ : stand_in_; }

    CommandBarLink* bar_ = nullptr;
    frontend::StandInCommandBar stand_in_;
    frontend::WaitState waits_;
    bool unattended_ = false;
    int unattended_answer_ = 0;
    // The next AskYesNoExit offers No first.
    bool preset_no_ = false;
    QString last_message_;
    // The yes/no question's script road: the word a non-answer ends, and what the last
    // question took.
    std::string non_answer_ends_;
    bool answer_from_file_ = false;
    bool gave_no_answer_ = false;
    std::string no_answer_;
};
