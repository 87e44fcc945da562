// What every fuzz target shares: a front-end that answers like a user who cancels everything,
// a private folder per process, and a fresh engine per input.
//
// Each target is one libFuzzer program that enters through the routine the program itself uses
// for its kind of input (a typed line, "G name", "RE name", the start-up that reads the
// preferences...). Its input becomes a file in the private folder, rewritten for every input;
// the folder is the current folder and holds the work folder, and is removed when the process
// ends. The data folder is a private copy of the build's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/bridge/front_end_port.h"

namespace fuzz {

// Answers every question No, every dialog Cancel (or its answer that changes nothing), every
// wait an empty line; shows nothing. A run of waits that never ends (the engine asking again
// and again in one input) is a hang of the engine: it aborts with a message.
class QuietFrontEnd : public core::FrontEndPort {
  public:
    // Forgets the input edit and the window's state before an input.
    void clear();

    void ArmImmediateKeyMode() override {}
    void SetMessageLineText(core::ReplyKind, const char*) override {}
    void SetInputText(const char* text) override;
    void SetInputTextAndSelection(const char* text, int sel_start, int sel_end) override;
    int GetInputTextLength() override;
    void TrimInputToMarker() override;
    int WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) override;
    int WaitForLineEdit(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                        int sel_start, int sel_end) override;
    int WaitForTypedLine(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                         int sel_start, int sel_end) override {
        return WaitForLineEdit(buffer, prompt, sel_start, sel_end);
    }
    bool MidiInputOpen() override { return false; }
    int PollMidiOrKey(core::Array1<int32_t, 5>& record) override {
        record(1) = -256;
        return 0;
    }
    int32_t LastKeyCode() override { return 0; }
    int32_t LastKeyDownWord() override { return 0; }
    // Nobody types: a routine that waits for keys in a loop of its own ends at once.
    bool ApplicationClosing() override { return true; }
    int ShowMessageBox(core::ReplyKind, const char*) override { return 1; }
    int AskYesNo(const char* question, int mode) override { return 0; }
    int AskYesNoExit(const char* question) override { return 0; }
    int AskAbandonInput() override { return -1; }
    void FrontEndService(char tag[4], core::ServiceBlock& block) override;
    void RefreshDisplayFromEngine() override {}
    void SwitchPaletteVariant(int mode, int palette_group) override {}
    void LoadPaletteToolbar(int32_t /*id*/) override {}
    void ControlMidiPlayer(int action) override {}
    int32_t CurrentZoom() override { return zoom_; }
    void RequestZoom(int32_t scale) override {
        if (scale > 0) zoom_ = scale;
    }
    void ShowPercentText(const char* text) override {}
    int RunDrawingFileNameDialog(const core::FixedText<128>& prompt) override { return 2; }
    int RunEpsFileNameDialog() override { return 2; }
    int RunOutputFileNameDialog() override { return 2; }
    int RunMacroFileDialog() override { return 2; }
    int RunDontShowAgainNotice() override { return 0; }
    int RunOutOfBoundsNotice() override { return 0; }
    int RunConvertCode11Dialog(core::Array1<int32_t, 3>& r) override;
    int RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v) override;
    int RunDecombineFileDialog() override { return 2; }
    int RunPageImageHeightDialog(core::Array1<float, 19>& a) override { return 2; }
    int RunParameterEditor(core::Array1<float, 30>& block, int page) override { return 2; }
    int RunPreferencesDialog(core::Array1<int32_t, 32>& a, core::Array1<int32_t, 32>& b) override {
        return 2;
    }
    int RunRippleBarsDialog(core::Array1<int32_t, 5>& a) override { return 2; }
    int RunSymbolLibraryDialog(int32_t& v) override { return 2; }
    int RunSpacingRangeDialog(core::Array1<int32_t, 8>& words) override { return 2; }
    // Cancel: the line shown is gone, as the dialog leaves it.
    int RunMusicInputDialog() override {
        core::MessageLine.blank();
        return 2;
    }
    int RunAddBarLinesDialog(core::Array1<int32_t, 4>& words) override { return 2; }
    int RunPrintSetupDialog(core::ArrayRange<int32_t, 0, 23>&, core::ArrayRange<float, 0, 23>&,
                            core::FixedText<512>&, int) override {
        return 2;
    }
    int RunPathListDialog(int32_t&, core::Array1<core::FixedText<512>, 9>&,
                          const core::FixedText<512>&) override {
        return 2;
    }
    int RunSelectCodesDialog(core::Array1<int32_t, 19>&) override { return 2; }
    int RunCombineFilesDialog() override { return 2; }
    int RunIfCommandDialog(const core::FixedText<512>&,
                           core::Array1<core::FixedText<48>, 14>&) override {
        return 2;
    }
    int RunSoundDialog(core::Array1<int32_t, 64>&, core::Array1<int32_t, 256>&) override {
        return 2;
    }
    int RunVerticalJustifyDialog(core::Array1<int32_t, 19>&) override { return 2; }
    int RunSeparateVoicesDialog(core::Array1<int32_t, 7>&) override { return 2; }
    int RunSeparateVoicesNewStaffDialog(core::Array1<int32_t, 7>&) override { return 2; }
    int RunBoundingBoxDialog(int32_t&, core::Array1<float, 4>&, int32_t&) override { return 2; }
    int RunRecentFilesDialog(int32_t&) override { return 2; }
    int RunTextInputDialog(core::Array1<float, 19>&) override { return 2; }
    int RunTextUnitsDialog(const core::FixedText<512>&) override { return 2; }
    int RunEditTextDialog() override { return 2; }
    int RunTextFileDialog(std::string_view) override { return 2; }
    int RunTransposeSetupDialog(core::Array1<int32_t, 19>&) override { return 2; }
    int RunTablatureSetupDialog(core::Array1<int32_t, 20>&) override { return 2; }
    int RunPaperSizeDialog(core::Array1<float, 3>&) override { return 0; }
    int RunMeasureNumbersDialog(core::Array1<int32_t, 19>&) override { return 2; }
    int RunMusDirDialog(const std::vector<std::string>&, int32_t& choice) override {
        choice = 0;
        return 2;
    }
    int RunStepsToMoveDialog(core::Array1<float, 4>&) override { return 2; }
    int RunStaffSpacingDialog() override { return 2; }

  private:
    void count_wait();

    std::string input_text_;
    bool modified_ = false;
    int zoom_ = 64;
    long waits_ = 0;
};

// Once per process, from LLVMFuzzerInitialize: makes the private folder
// "$TMPDIR/ormest_fuzz_<target>_XXXXXX" (removed at exit) with the work folder "work", a
// read-only copy of the build's data folder "data" (the data folder of every input, so that an
// input that stands in for a data file replaces only the copy, and no command changes what the
// next input starts from) and copies of the reference pages named
// (tests/reference/NAME, for targets that load a real page after reading their input). Then
// gives up root: a fuzz input may name any path, and the engine writes where a command says.
void set_up(std::string_view target, std::initializer_list<std::string_view> pages = {});

// The private folder.
const std::filesystem::path& root();

// Writes the input as the file at path (relative to the private folder), replacing it. Files
// in the data copy and the private folder stay for the next input; files in the work folder
// are written after fresh_engine, which empties it.
void write_input(const std::filesystem::path& path, const uint8_t* data, std::size_t size);

// Writes a document of our own into the private folder, kept for every input: a 16-bit word
// count, the records (each [n, P1..Pn]) as little-endian floats, the end record.
void write_page(const std::string& name, const std::vector<float>& records);

// A small page of our own, kept for every input: staves 1 and 2, a clef, three notes and a bar
// line; quick to load and draw, for targets whose input is not the page.
void write_small_page(const std::string& name);

// The 32-bit pattern of four characters as the store keeps text: in a float word.
float chars_word(std::string_view four);

// Held for the whole of one input: when it ends, every file unit is closed and the folder
// libFuzzer started in is current again (it reads and writes its corpus by relative names).
class InputScope {
  public:
    InputScope() = default;
    ~InputScope();
    InputScope(const InputScope&) = delete;
    InputScope& operator=(const InputScope&) = delete;
};

// A fresh engine for one input: the private folder emptied of what earlier inputs left (the
// input files and the data copy stay, the work folder is emptied), the engine reset, the
// front-end cleared and set, the folders set, the private folder made current. With start the
// program's start-up follows (preferences, library data, the data file paths); false when it
// failed, as a damaged preferences or library data file may make it.
bool fresh_engine(bool start = true);

// A fingerprint of the page: the item count, the words in use and every word of the store up
// to them. A reader that should leave the page alone is checked by comparing it before and after.
uint64_t page_digest();

// Aborts (a finding of the run) with what when the page's digest is not before.
void expect_page_unchanged(uint64_t before, std::string_view what);

// Types a line into the command bar and runs it, as the console's loop does: the line in
// MessageLine, the command buffer blank, the output lists handed in.
void type(std::string_view line);

}  // namespace fuzz
