// The launchers of the engine's dialogs, all through DialogLaunch.
#include "frontend/bridge/dialog_launchers.h"

#include <QApplication>
#include <utility>

#include "engine/core/tables.h"
#include "frontend/dialogs/engine_dialog.h"
#include "frontend/dialogs/list_dialogs.h"
#include "frontend/dialogs/sound_dialog.h"

namespace frontend {

DialogExchangeRecord DialogExchangeBlocks;

namespace {

DialogRunner& runner() {
    static DialogRunner r;
    return r;
}

bool g_unattended = false;

// An engine line as text: up to its NUL, else without its trailing blanks.
template <int N>
std::string line_text(const core::FixedText<N>& line) {
    const std::string_view v = line.view();
    const std::size_t nul = v.find('\0');
    if (nul != std::string_view::npos) return std::string(v.substr(0, nul));
    return line.trimmed();
}

// A launcher whose array goes both ways through the same words of one block.
template <typename T, int N>
int run_block_dialog(int idd, std::string_view title, core::Array1<T, N>& a, ExchangeBlock block,
                     int first, int last) {
    DialogLaunch launch(idd, title);
    launch.In(a, block, first, last);
    const int result = launch.Run();
    launch.Out(a, block, first, last);
    return result;
}

// A launcher with no words.
int run_plain_dialog(int idd, std::string_view title) { return DialogLaunch(idd, title).Run(); }

// A launcher with one word in and out through A 0.
int run_word_dialog(int idd, std::string_view title, int32_t& v) {
    DialogLaunch launch(idd, title);
    DialogLaunch::Word(ExchangeBlock::A, 0) = v;
    const int result = launch.Run();
    v = DialogLaunch::Word(ExchangeBlock::A, 0);
    return result;
}

}  // namespace

DialogRunner SetDialogRunner(DialogRunner r) { return std::exchange(runner(), std::move(r)); }

void SetDialogsUnattended(bool on) { g_unattended = on; }
bool DialogsUnattended() { return g_unattended; }

void ClearDialogExchange() { DialogExchangeBlocks = DialogExchangeRecord{}; }

DialogLaunch::DialogLaunch(int idd, std::string_view title) {
    ClearDialogExchange();
    request_.idd = idd;
    request_.title = title;
}

int DialogLaunch::Run() {
    if (runner()) return runner()(request_);
    if (DialogsUnattended() || QCoreApplication::instance() == nullptr) {
        return request_.cancel_result;
    }
    if (dialog_) return dialog_();
    if (const DialogClass* cls = FindDialogClass(request_.idd)) {
        return ExecDialogClass(*cls, QApplication::activeWindow());
    }
    return RunStandInDialog(request_);
}

// Contract: the block's word k; k outside the block is a defect (checked, never an overrun).
int32_t& DialogLaunch::Word(ExchangeBlock block, int k) {
    switch (block) {
        case ExchangeBlock::A:
            return DialogExchangeBlocks.ExchangeBlockA.at(static_cast<std::size_t>(k));
        case ExchangeBlock::B:
            return DialogExchangeBlocks.ExchangeBlockB.at(static_cast<std::size_t>(k));
        case ExchangeBlock::C:
            break;
    }
    return DialogExchangeBlocks.ExchangeBlockC.at(static_cast<std::size_t>(k));
}

// -- launchers the engine calls -----------------------------------------------------------------

int RunDrawingFileNameDialog(const core::FixedText<128>& prompt) {
    DialogLaunch launch(190, "Type output file name. (Default = DRW.TMP)");
    launch.SetQuestion(line_text(prompt));
    launch.SetDetail(line_text(prompt));
    return launch.Run();
}

int RunEpsFileNameDialog() { return run_plain_dialog(214, "Type EPS file name."); }
int RunOutputFileNameDialog() { return run_plain_dialog(207, "Type output file name."); }
int RunMacroFileDialog() { return run_plain_dialog(171, "MACRO"); }

int RunDontShowAgainNotice() {
    DialogLaunch launch(240, "Don't show this message again.");
    launch.SetDetail(line_text(core::MessageLine));
    launch.Run();
    return DialogLaunch::Word(ExchangeBlock::A, 0);
}

int RunOutOfBoundsNotice() {
    DialogLaunch launch(213, "Out of bounds");
    launch.SetDetail(line_text(core::FrontEndCommandBuffer));
    launch.Run();
    return DialogLaunch::Word(ExchangeBlock::A, 0);
}

// Contract: nothing goes in; r words 0 and 2 come back from A 0 and A 2 whatever the answer,
// and A 2 is cleared so the next dialog does not read the tick.
int RunConvertCode11Dialog(core::Array1<int32_t, 3>& r) {
    DialogLaunch launch(236, "Convert Code 11");
    launch.SetCancelResult(3);
    const int result = launch.Run();
    r(1) = DialogLaunch::Word(ExchangeBlock::A, 0);
    r(3) = DialogLaunch::Word(ExchangeBlock::A, 2);
    DialogLaunch::Word(ExchangeBlock::A, 2) = 0;
    return result;
}

int RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v) {
    DialogLaunch launch(216, "Converting Code 11 to Code 9");
    launch.SetCancelResult(-1);
    launch.In(v, ExchangeBlock::A, 0, 1);
    const int result = launch.Run();
    launch.Out(v, ExchangeBlock::A, 0, 1);
    return result;
}

int RunDecombineFileDialog() { return run_plain_dialog(189, "Decombine File"); }

int RunPageImageHeightDialog(core::Array1<float, 19>& a) {
    return run_block_dialog(197, "Height of page image.", a, ExchangeBlock::B, 0, 18);
}

int RunPreferencesDialog(core::Array1<int32_t, 32>& a, core::Array1<int32_t, 32>& b) {
    DialogLaunch launch(167, "Preferences");
    launch.In(a, ExchangeBlock::A, 0, 31);
    launch.In(b, ExchangeBlock::B, 0, 31);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 31);
    launch.Out(b, ExchangeBlock::B, 0, 31);
    return result;
}

int RunRippleBarsDialog(core::Array1<int32_t, 5>& a) {
    return run_block_dialog(198, "Ripple bars.", a, ExchangeBlock::A, 0, 4);
}

int RunSymbolLibraryDialog(int32_t& v) { return run_word_dialog(223, "Symbol Library", v); }

// -- launchers of dialogs the engine does not reach yet -----------------------------------------

// Contract: custom's three reals go to B 0-2 and come back (the dialog writes them only for its
// custom button); closed, the answer is 0, which changes no paper.
int RunPaperSizeDialog(core::Array1<float, 3>& custom) {
    DialogLaunch launch(203, "Paper Size");
    launch.SetCancelResult(0);
    launch.In(custom, ExchangeBlock::B, 0, 2);
    const int result = launch.Run();
    launch.Out(custom, ExchangeBlock::B, 0, 2);
    return result;
}

int RunBoundingBoxDialog(core::Array1<int32_t, 21>& a, core::Array1<float, 24>& b) {
    DialogLaunch launch(217, "Bounding Box Outline");
    launch.In(a, ExchangeBlock::A, 20, 20);
    launch.In(b, ExchangeBlock::B, 20, 23);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 20, 20);
    launch.Out(b, ExchangeBlock::B, 20, 23);
    return result;
}

int RunTransposeSetupDialog(core::Array1<int32_t, 19>& a) {
    return run_block_dialog(169, "Transpose Setup", a, ExchangeBlock::A, 0, 18);
}

int RunSpacingRangeDialog(core::Array1<int32_t, 8>& a) {
    DialogLaunch launch(233, "Spacing range");
    launch.In(a, ExchangeBlock::A, 0, 7);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 7);
    return result;
}

int RunMeasureNumbersDialog(core::Array1<int32_t, 19>& a) {
    return run_block_dialog(221, "Measure numbers", a, ExchangeBlock::A, 0, 18);
}

int RunRecentFilesDialog(int32_t& v) { return run_word_dialog(286, "Recent Files", v); }

int RunParameterEditor(core::Array1<float, 30>& p, int which) {
    DialogLaunch launch(which > 0 ? 205 : (which < 0 ? 225 : 226),
                        which > 0 ? "P21 - 30" : (which < 0 ? "P1 - 10" : "P11- 20"));
    launch.In(p, ExchangeBlock::B, 0, 19);
    const int result = launch.Run();
    launch.Out(p, ExchangeBlock::B, 0, 29);
    return result;
}

int RunPathListDialog(core::Array1<int32_t, 10>& a) {
    return run_block_dialog(275, "Path List", a, ExchangeBlock::A, 0, 9);
}

int RunTextUnitsDialog(const core::FixedText<512>& shown) {
    DialogLaunch launch(199, "Type note number for each text unit.");
    launch.SetQuestion(line_text(shown));
    return launch.Run();
}

int RunVerticalJustifyDialog(core::Array1<int32_t, 19>& a) {
    return run_block_dialog(163, "Vertical Justify", a, ExchangeBlock::A, 0, 18);
}

int RunLineThickeningDialog(core::Array1<int32_t, 19>& a) {
    return run_block_dialog(161, "Line thickening", a, ExchangeBlock::A, 0, 18);
}

int RunDrawCircleDialog() { return run_plain_dialog(193, "Draw circle"); }
int RunStepsToMoveDialog(core::Array1<float, 4>& box) {
    return run_block_dialog(296, "Steps to move", box, ExchangeBlock::B, 0, 3);
}

int RunPrintSetupDialog(core::Array1<int32_t, 24>& a, core::Array1<int32_t, 24>& b, int flag) {
    DialogLaunch launch(202, "Print Setup");
    DialogExchangeBlocks.PrintSetupFlag = flag;
    launch.In(a, ExchangeBlock::A, 0, 23);
    launch.In(b, ExchangeBlock::B, 0, 23);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 23);
    launch.Out(b, ExchangeBlock::B, 0, 23);
    return result;
}

int RunSelectCodesDialog(core::Array1<int32_t, 19>& out) {
    DialogLaunch launch(220, "Select Code Numbers.");
    DialogExchangeBlocks.SelectCodesMode = 1;
    const int result = launch.Run();
    launch.Out(out, ExchangeBlock::A, 0, 18);
    return result;
}

int RunSeparateVoicesDialog(core::Array1<int32_t, 7>& a) {
    return run_block_dialog(287, "Separate Voices", a, ExchangeBlock::A, 0, 6);
}

int RunSeparateVoicesNewStaffDialog(core::Array1<int32_t, 7>& a) {
    DialogLaunch launch(288, "Separate Voices, Create New Staff");
    launch.In(a, ExchangeBlock::A, 0, 6);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 3);
    launch.Out(a, ExchangeBlock::A, 6, 6);
    return result;
}

int RunEditTextDialog() { return run_plain_dialog(210, "Edit Text"); }
int RunTextFileDialog() { return run_plain_dialog(150, "Text File"); }

int RunTextInputDialog(core::Array1<float, 19>& b) {
    return run_block_dialog(148, "Text Input", b, ExchangeBlock::B, 0, 18);
}

int RunMusicInputDialog() {
    DialogLaunch launch(149, "Kelda Input");
    return launch.Run();
}
int RunCombineFilesDialog() { return run_plain_dialog(188, "Combine Files"); }

int RunIfCommandDialog(std::string_view text) {
    DialogLaunch launch(222, "IF command");
    launch.SetQuestion(text);
    return launch.Run();
}

int RunTablatureSetupDialog(core::Array1<int32_t, 20>& a) {
    DialogLaunch launch(174, "Tablature setup.");
    launch.In(a, ExchangeBlock::A, 0, 18);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 19);
    return result;
}

int RunSoundDialog(core::Array1<int32_t, 64>& a, core::Array1<int32_t, 256>& b) {
    DialogLaunch launch(175, "Sound");
    launch.In(a, ExchangeBlock::A, 0, 63);
    launch.In(b, ExchangeBlock::C, 0, 255);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 63);
    launch.Out(b, ExchangeBlock::C, 0, 255);
    return result;
}

int RunStaffSpacingDialog() { return run_plain_dialog(176, "Vertical spacing between staves"); }
// Contract: the entries go to the dialog's list for the run only; A 0 starts at 0 and comes
// back as the choice whatever the answer (Cancel leaves it 0).
int RunMusDirDialog(const std::vector<std::string>& entries, int32_t& choice) {
    DialogLaunch launch(218, "MusDir");
    MusDirEntries() = entries;
    const int result = launch.Run();
    MusDirEntries().clear();
    choice = DialogLaunch::Word(ExchangeBlock::A, 0);
    return result;
}

int RunAddBarLinesDialog(core::Array1<int32_t, 4>& a) {
    DialogLaunch launch(289, "Add Bar Lines");
    launch.In(a, ExchangeBlock::A, 0, 3);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 3);
    return result;
}

int RunPageLayoutOptionsDialog(core::Array1<int32_t, 19>& a, core::Array1<int32_t, 4>& b) {
    DialogLaunch launch(168, "Page Layout");
    launch.In(a, ExchangeBlock::A, 0, 18);
    launch.In(b, ExchangeBlock::B, 0, 3);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 18);
    launch.Out(b, ExchangeBlock::B, 0, 3);
    return result;
}

int RunPageLayoutDialog(core::Array1<int32_t, 19>& a) {
    return run_block_dialog(173, "Page Layout", a, ExchangeBlock::A, 0, 18);
}

int RunPartsDialog(core::Array1<int32_t, 19>& a) {
    return run_block_dialog(186, "Parts", a, ExchangeBlock::A, 0, 18);
}

int RunAlterZDialog(core::Array1<int32_t, 19>& a) {
    return run_block_dialog(191, "Alter Z of point.", a, ExchangeBlock::A, 0, 18);
}

int RunPartExtractionDialog(core::Array1<int32_t, 19>& a) {
    return run_block_dialog(215, "Part Extraction", a, ExchangeBlock::A, 0, 18);
}

int RunFirstLineSetupDialog(core::Array1<int32_t, 24>& a) {
    return run_block_dialog(241, "Setup for First Line of Part", a, ExchangeBlock::A, 0, 23);
}

int RunFindPageTurnsDialog(core::Array1<int32_t, 19>& a) {
    DialogLaunch launch(194, "Find Page Turns");
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 18);
    return result;
}

int RunPageLayoutFilesDialog(core::Array1<int32_t, 2>& a) {
    DialogLaunch launch(201, "Get Files for Page Layout.");
    launch.In(a, ExchangeBlock::A, 0, 0);
    const int result = launch.Run();
    launch.Out(a, ExchangeBlock::A, 0, 1);
    return result;
}

int RunItemValuesDialog(core::Array1<int32_t, 50>& b) {
    return run_block_dialog(239, "Item values", b, ExchangeBlock::B, 0, 49);
}

int RunRotationDialog(std::string_view text) {
    DialogLaunch launch(192, "Type rotation degrees.");
    launch.SetQuestion(text);
    return launch.Run();
}

int RunDrawModeDialog() { return run_plain_dialog(183, "Draw Mode"); }
int RunSystemsPerPageDialog() { return run_plain_dialog(195, "How many systems on each page."); }
int RunBarsPerLineDialog() { return run_plain_dialog(196, "How many bars in each line."); }
int RunBarsPerPageDialog() { return run_plain_dialog(227, "Bars per page"); }
int RunNoteInputDialog() { return run_plain_dialog(204, "Note Input"); }
int RunSaveDrawingDialog() { return run_plain_dialog(160, "Save Drawing"); }

}  // namespace frontend
