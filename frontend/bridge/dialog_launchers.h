// The engine's modal dialogs: the exchange area they share with their launchers, and the
// launchers themselves.
//
// A launcher clears the exchange area, copies the engine's words in, runs its dialog modally,
// copies the words back and returns the dialog's result (1 OK, 2 Cancel unless the launcher says
// otherwise). Clearing first means a dialog never sees what an earlier dialog left behind.
//
// A launcher runs the dialog class registered for its resource number (engine_dialog.h); one
// with no class runs a stand-in that names the dialog and can only be cancelled. Tests replace
// the runner (SetDialogRunner) to play a dialog without a window.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "engine/core/fixed_array.h"

namespace frontend {

// The area the launchers and the dialogs share. Words are 32-bit integers or reals (their bits)
// as each dialog defines; logical true is -1. Blocks are numbered from 0 here.
struct DialogExchangeRecord {
    std::array<int32_t, 64> ExchangeBlockA{};
    std::array<int32_t, 64> ExchangeBlockB{};
    std::array<int32_t, 256> ExchangeBlockC{};  // the Sound dialog's staff table
    std::string DialogQuestionText;             // the text a question or file-name dialog shows
    std::array<std::string, 3> DialogButtonLabels;
    int32_t DialogDefaultFlag = 0;  // nonzero: the question dialogs' other default button
    int32_t YesNoAnswer = 99;       // -1 Yes/Continue, 0 No/Exit, 99 closed otherwise
    int32_t ChoiceAnswer = -1;      // the three-button dialogs' answer; -1 closed otherwise
    int32_t SelectCodesMode = 0;    // 1 while the item-code selection dialog runs
    int32_t PrintSetupFlag = 0;     // the print setup launcher's third argument
};
extern DialogExchangeRecord DialogExchangeBlocks;

enum class ExchangeBlock { A, B, C };

// What a launcher asks its runner to show.
struct DialogRequest {
    int idd = 0;            // the dialog's resource number
    std::string title;      // its title, or a short name when it has none
    std::string detail;     // a text the dialog shows (a question, a notice), may be empty
    int cancel_result = 2;  // what Cancel or the close box answer
};

// Runs one dialog modally and returns its result. The default runs the stand-in dialog.
using DialogRunner = std::function<int(const DialogRequest&)>;
// Replaces the runner (an empty one puts the default back); returns the one it replaces.
DialogRunner SetDialogRunner(DialogRunner runner);

// Unattended (tests, scripted runs): the default runner answers each dialog's cancel result at
// once instead of opening a window. A runner set with SetDialogRunner still runs.
void SetDialogsUnattended(bool on);
bool DialogsUnattended();

// The stand-in: a modal dialog that names the dialog, shows the detail, has OK disabled and
// answers request.cancel_result when cancelled or closed (at once when unattended).
int RunStandInDialog(const DialogRequest& request);

// The one launch mechanism. Making it clears the whole exchange area (blocks, texts, flags;
// the answer words get their "closed" values); In fills words, Run runs the dialog through the
// runner, Out copies words back. Word k of the engine's array (element k + 1) pairs with word k
// of the block.
class DialogLaunch {
  public:
    DialogLaunch(int idd, std::string_view title);

    // Copies the array's words first..last (counted from 0) into the block. Reals go as bits.
    template <typename T, int N>
    void In(const core::Array1<T, N>& a, ExchangeBlock block, int first, int last);
    // Copies the block's words first..last back into the array.
    template <typename T, int N>
    void Out(core::Array1<T, N>& a, ExchangeBlock block, int first, int last) const;

    void SetQuestion(std::string_view text) { DialogExchangeBlocks.DialogQuestionText = text; }
    void SetDetail(std::string_view text) { request_.detail = text; }
    void SetCancelResult(int result) { request_.cancel_result = result; }
    // The dialog itself, run modally when no test runner is set (none: the stand-in).
    void SetDialog(std::function<int()> dialog) { dialog_ = std::move(dialog); }
    // The runner when one is set; else, unattended or without an application, the cancel
    // result; else the dialog set here, else the registered class of the resource number
    // (engine_dialog.h), else the stand-in.
    int Run();

    // Block words by their number; an array or range outside the block is a defect.
    static int32_t& Word(ExchangeBlock block, int k);

  private:
    DialogRequest request_;
    std::function<int()> dialog_;
};

template <typename T, int N>
void DialogLaunch::In(const core::Array1<T, N>& a, ExchangeBlock block, int first, int last) {
    static_assert(sizeof(T) == 4 && (std::is_same_v<T, int32_t> || std::is_same_v<T, float>));
    for (int k = first; k <= last; ++k) Word(block, k) = std::bit_cast<int32_t>(a(k + 1));
}

template <typename T, int N>
void DialogLaunch::Out(core::Array1<T, N>& a, ExchangeBlock block, int first, int last) const {
    static_assert(sizeof(T) == 4 && (std::is_same_v<T, int32_t> || std::is_same_v<T, float>));
    for (int k = first; k <= last; ++k) a(k + 1) = std::bit_cast<T>(Word(block, k));
}

// Clears the exchange area as a launch does (start-up; tests).
void ClearDialogExchange();

// -- launchers the engine calls through its front-end port --------------------------------------

// The prompt is the question text; the typed name comes back in MessageLine.
int RunDrawingFileNameDialog(const core::FixedText<128>& prompt);
// Preset and typed name in FrontEndCommandBuffer.
int RunEpsFileNameDialog();
int RunOutputFileNameDialog();
// Name in FrontEndCommandBuffer, text in MessageLine.
int RunMacroFileDialog();
// Notices: the text of MessageLine (FrontEndCommandBuffer for the out-of-bounds notice); the
// result is block A word 0 as the dialog leaves it: nonzero when "don't show again" was ticked.
int RunDontShowAgainNotice();
int RunOutOfBoundsNotice();
// r words 0 and 2 come back from A 0 and A 2; A 2 is then cleared. Closed: 3 ("Ignore this
// Item"), because 2 deletes the item.
int RunConvertCode11Dialog(core::Array1<int32_t, 3>& r);
// A 0-1 both ways. Closed: -1 ("Set new P5 number."), which replaces nothing.
int RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v);
int RunDecombineFileDialog();
int RunPageImageHeightDialog(core::Array1<float, 19>& a);  // B 0-18
int RunPreferencesDialog(core::Array1<int32_t, 32>& a, core::Array1<int32_t, 32>& b);
int RunRippleBarsDialog(core::Array1<int32_t, 5>& a);  // A 0-4
int RunSymbolLibraryDialog(int32_t& v);                // A 0
// The parameter page: which > 0 "P21 - 30", which < 0 "P1 - 10", 0 "P11- 20". Old and new
// values (p 1-20) go to B 0-19 as reals; B 0-29 come back into p; the data line in MessageLine.
int RunParameterEditor(core::Array1<float, 30>& p, int which);

// The input space: A 0-7 both ways (A 4 begin, 5 end, 6 spacing staff). 2 = Cancel.
int RunSpacingRangeDialog(core::Array1<int32_t, 8>& a);
// Prompt in FrontEndCommandBuffer, the line in MessageLine both ways. 2 = Cancel.
int RunMusicInputDialog();
// A 0-3 both ways; 1 = OK.
int RunAddBarLinesDialog(core::Array1<int32_t, 4>& a);

// -- launchers of dialogs the engine does not reach yet -----------------------------------------

// The custom paper (width, height, unit flag 1.0 inches / 0.0 cm) through B 0-2 both ways;
// the chosen code, 0 when closed (no change).
int RunPaperSizeDialog(core::Array1<float, 3>& custom);
int RunBoundingBoxDialog(core::Array1<int32_t, 21>& a, core::Array1<float, 24>& b);  // A 20, B 20-23
int RunTransposeSetupDialog(core::Array1<int32_t, 19>& a);
int RunMeasureNumbersDialog(core::Array1<int32_t, 19>& a);
int RunRecentFilesDialog(int32_t& v);
// A 0-9 both ways: the chosen slot (kept when none is chosen), then the nine radio states; the
// slots themselves are output::PathSlots.
int RunPathListDialog(core::Array1<int32_t, 10>& a);
// The text shown is the question text; the typed note numbers come back in MessageLine.
int RunTextUnitsDialog(const core::FixedText<512>& shown);
int RunVerticalJustifyDialog(core::Array1<int32_t, 19>& a);
int RunLineThickeningDialog(core::Array1<int32_t, 19>& a);
int RunDrawCircleDialog();
// The box (left position, left steps, right position, right steps) as reals in B 0-3 both ways.
int RunStepsToMoveDialog(core::Array1<float, 4>& box);
int RunPrintSetupDialog(core::Array1<int32_t, 24>& a, core::Array1<int32_t, 24>& b, int flag);
int RunSelectCodesDialog(core::Array1<int32_t, 19>& out);
int RunSeparateVoicesDialog(core::Array1<int32_t, 7>& a);
// A 0-6 in; A 0-3 and A 6 back: words 4 and 5 of a keep their values.
int RunSeparateVoicesNewStaffDialog(core::Array1<int32_t, 7>& a);
int RunEditTextDialog();
int RunTextFileDialog();
int RunTextInputDialog(core::Array1<float, 19>& b);  // B 0-18
int RunCombineFilesDialog();
int RunIfCommandDialog(std::string_view text);
int RunTablatureSetupDialog(core::Array1<int32_t, 20>& a);  // A 0-18 in, A 0-19 back
int RunSoundDialog(core::Array1<int32_t, 64>& a, core::Array1<int32_t, 256>& b);  // A and C
int RunStaffSpacingDialog();
// Lists the entries; choice comes back from A 0: the entry chosen (from 1), 0 when none.
int RunMusDirDialog(const std::vector<std::string>& entries, int32_t& choice);
int RunPageLayoutOptionsDialog(core::Array1<int32_t, 19>& a, core::Array1<int32_t, 4>& b);
int RunPageLayoutDialog(core::Array1<int32_t, 19>& a);
int RunPartsDialog(core::Array1<int32_t, 19>& a);
int RunAlterZDialog(core::Array1<int32_t, 19>& a);
int RunPartExtractionDialog(core::Array1<int32_t, 19>& a);
int RunFirstLineSetupDialog(core::Array1<int32_t, 24>& a);
int RunFindPageTurnsDialog(core::Array1<int32_t, 19>& a);   // A 0-18 back only
int RunPageLayoutFilesDialog(core::Array1<int32_t, 2>& a);  // A 0 in, A 0-1 back
int RunItemValuesDialog(core::Array1<int32_t, 50>& b);      // B 0-49
int RunRotationDialog(std::string_view text);
int RunDrawModeDialog();
int RunSystemsPerPageDialog();
int RunBarsPerLineDialog();
int RunBarsPerPageDialog();
int RunNoteInputDialog();
int RunSaveDrawingDialog();

}  // namespace frontend
