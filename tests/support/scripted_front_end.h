// A front-end for tests: answers are queued in advance, and everything the engine shows or asks
// is recorded, in order in one log and per kind in its own list.
//
// Answers: typed lines, keys and "application closing" for the two waits (one queue, taken in
// order); yes/no answers for AskYesNo and AskYesNoExit; dialog answers (result, typed name or
// text, block words) for every dialog runner. When a queue is empty the front-end answers No,
// Cancel or "closing" and, unless strict is false, fails the running test.
//
// Window services answer from `view`, which tests set up as they like (client size, scroll
// position and limits, modified flag...) and read back (scroll sizes, title, cursor, zoom).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/bridge/front_end_port.h"

class ScriptedFrontEnd : public core::FrontEndPort {
  public:
    enum class Kind {
        KeyMode,
        Prompt,
        Preset,
        PresetSelection,
        TrimInput,
        LineWait,
        CommandWait,
        MessageBox,
        Question,
        Service,
        Refresh,
        PaletteVariant,
        MidiPlayer,
        Dialog,
        ZoomRequest,
        PercentText,
    };
    // One entry of the log: the kind, its main text and up to two numbers (selection, mode...).
    struct Event {
        Kind kind;
        std::string text;
        int a = 0;
        int b = 0;
        // The kind the engine gave a reply (a message box or the message line).
        core::ReplyKind reply = core::ReplyKind::Question;
    };
    struct LineWaitRecord {
        std::string prompt;  // up to its NUL, trailing blanks dropped
        std::string preset;  // the buffer's text up to its NUL
        int sel_start = 0;
        int sel_end = 0;
    };
    struct ServiceRecord {
        std::array<char, 4> tag{};  // as the gate passed it, before the front-end marked it
        core::ServiceBlock in;
        core::ServiceBlock out;
        bool served = false;  // the front-end zeroed the tag's first character
    };
    struct DialogAnswer {
        int result = 1;
        std::string name;             // file-name dialogs (empty keeps the preset), macro dialog
        std::string text;             // macro text (CR LF lines), decombine group sizes
        std::vector<int32_t> words;   // integer blocks (first block of Preferences)
        std::vector<int32_t> words2;  // second block of Preferences
        std::vector<float> reals;     // page image height, the parameter page (words 1..)
        bool keep_text = false;       // music input: OK with the shown line as it stands
        std::string header;           // Print Setup: the header text (FrontEndCommandBuffer)
    };
    // What the music input dialog showed.
    struct MusicInputRecord {
        std::string prompt;  // FrontEndCommandBuffer up to its NUL, trailing blanks dropped
        std::string line;    // MessageLine up to its NUL
    };
    struct ViewState {
        int32_t client_width = 40000;  // display units, answered to 'z'
        int32_t client_height = 28000;
        int32_t scroll_x = 0;  // display units, answered to 'b' and set by 'p'
        int32_t scroll_y = 0;
        // When set, 'p' clamps x to 0..limit_x and y to limit_y..0, as a scroll view does.
        std::optional<int32_t> limit_x;
        std::optional<int32_t> limit_y;
        std::array<int32_t, 6> scroll_sizes{};  // the last 's' request's six words
        int32_t zoom = 64;
        int32_t cursor = 0;
        int32_t colour_answer = -1;  // 'o': -1 = cancelled
        bool modified = false;
        bool item_bar_toggled = false;
        std::string title;
        std::string path;
    };

    // -- queued answers --
    void answer_line(std::string line);
    // A key by its code (0..255); its key-down word is 1000 + the code as a signed byte.
    void answer_key(int code);
    // A key with the key-down word given (a character key: key_down_word_for_character).
    void answer_key(int code, int key_down);
    // Each character of text as one key, as the keyboard types it.
    void answer_keys(const std::string& text);
    void answer_closing();
    // Called as a closing answer is taken, while the engine still waits (the page as it is then).
    std::function<void()> on_closing;
    // A MIDI event for PollMidiOrKey: its short message (status, key, velocity).
    void answer_midi(int key, int velocity, int status = 144);
    void answer_yes_no(int answer);
    void answer_dialog(DialogAnswer answer);
    void answer_dialog(int result, std::string name = {});

    // -- what was recorded --
    std::vector<Event> log;
    std::vector<std::string> prompts;
    std::vector<std::string> input_presets;
    std::vector<LineWaitRecord> line_waits;
    std::vector<std::string> message_boxes;
    // The kind of every reply shown, message boxes and message line alike, in order.
    std::vector<core::ReplyKind> reply_kinds;
    std::vector<std::string> questions;
    std::vector<ServiceRecord> services;
    std::vector<std::string> dialogs;
    // The 30 words the last parameter page was opened with.
    std::vector<float> parameter_page;
    // The words the last spacing-range or Add Bar Lines dialog was opened with.
    std::vector<int32_t> dialog_words;
    // What the last Print Setup showed: its REAL words (the page box in its unit) and the
    // output name.
    std::vector<float> dialog_reals;
    std::string dialog_output_name;
    std::string dialog_header;  // Print Setup: the header text it was shown
    std::vector<MusicInputRecord> music_inputs;
    // Every zoom asked for (RequestZoom) and every percentage shown, in order. A request is not
    // applied to view.zoom: tests that follow a real gate apply it themselves.
    std::vector<int32_t> zoom_requests;
    // Every palette the engine asked the palette toolbar to show, in order.
    std::vector<int32_t> loaded_palettes;
    std::vector<std::string> percent_texts;
    int refresh_count = 0;
    int trim_count = 0;
    int unanswered = 0;

    // The input edit as the engine left it (tests may set it).
    std::string input_text;
    ViewState view;
    bool strict = true;

    // Counts log entries of one kind.
    int count(Kind kind) const;
    // True when a reply was shown as a failure.
    bool failure_shown() const;

    // -- FrontEndPort --
    void ArmImmediateKeyMode() override;
    void SetMessageLineText(core::ReplyKind kind, const char* text) override;
    void SetInputText(const char* text) override;
    void SetInputTextAndSelection(const char* text, int sel_start, int sel_end) override;
    int GetInputTextLength() override;
    void TrimInputToMarker() override;
    int WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) override;
    int WaitForLineEdit(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                        int sel_start, int sel_end) override;
    // As WaitForLineEdit (the same queue; a key answers with its character).
    int WaitForTypedLine(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                         int sel_start, int sel_end) override;
    // The queued MIDI events one by one; then reports the typed line complete.
    int PollMidiOrKey(core::Array1<int32_t, 5>& record) override;
    bool MidiInputOpen() override { return midi_input_open; }
    int32_t LastKeyCode() override { return last_key_; }
    int32_t LastKeyDownWord() override { return last_key_down_; }
    // True once a wait took a "closing" answer (or found the queue empty).
    bool ApplicationClosing() override { return closing_; }
    int ShowMessageBox(core::ReplyKind kind, const char* text) override;
    int AskYesNo(const char* question, int mode) override;
    int AskYesNoExit(const char* question) override;
    // Takes its answer (0 Yes, 1 Edit, -1 Cancel) from the yes/no queue; none queued: -1.
    int AskAbandonInput() override;
    void FrontEndService(char tag[4], core::ServiceBlock& block) override;
    void RefreshDisplayFromEngine() override;
    void SwitchPaletteVariant(int mode, int palette_group) override;
    void LoadPaletteToolbar(int32_t id) override;
    void ControlMidiPlayer(int action) override;
    int32_t CurrentZoom() override { return view.zoom; }
    std::deque<int32_t> midi_events;  // short messages, taken in order by PollMidiOrKey
    bool midi_input_open = true;      // a MIDI keyboard is there to play in
    void RequestZoom(int32_t scale) override;
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
    // The answer's words replace words 1.. (spacing range: give all eight).
    int RunSpacingRangeDialog(core::Array1<int32_t, 8>& words) override;
    // The answer's text is the typed line (keep_text: the shown one); Cancel blanks MessageLine.
    int RunMusicInputDialog() override;
    int RunAddBarLinesDialog(core::Array1<int32_t, 4>& words) override;
    // Print Setup: the answer's words and reals replace the blocks' first words, a non-empty
    // name the output name, a non-empty header the header text (FrontEndCommandBuffer) and a
    // non-empty text the batch list (MessageLine: names one per line, or the list file name).
    int RunPrintSetupDialog(core::ArrayRange<int32_t, 0, 23>& ints,
                            core::ArrayRange<float, 0, 23>& reals,
                            core::FixedText<512>& output_name, int flag) override;
    // Path List: the answer's first word is the chosen slot; a name fills that slot.
    int RunPathListDialog(int32_t& slot, core::Array1<core::FixedText<512>, 9>& folders,
                          const core::FixedText<512>& current) override;
    // Select Code Numbers: the answer's words fill codes from 1.
    int RunSelectCodesDialog(core::Array1<int32_t, 19>& codes) override;
    // Combine Files: the answer's name goes to MessageLine, its text (the count) to
    // FrontEndCommandBuffer.
    int RunCombineFilesDialog() override;
    // IF command: the answer's name goes into field 2 (the first condition) unless empty, its
    // text into field 14 (the action); the fields shown are kept in dialog_if_fields.
    int RunIfCommandDialog(const core::FixedText<512>& question,
                           core::Array1<core::FixedText<48>, 14>& fields) override;
    std::vector<std::string> dialog_if_fields;
    // "Sound": the answer's words replace the settings, words2 the staff slots, a name the MIDI
    // file name; dialog_words keeps the 256 staff slots it was opened with.
    int RunSoundDialog(core::Array1<int32_t, 64>& settings,
                       core::Array1<int32_t, 256>& staves) override;
    // The block dialogs below: dialog_words keeps the block as opened; the answer's words
    // replace it from word 1. Bounding Box: words = {unit, mode}, reals = the box. Recent
    // Files: words = {choice}.
    int RunVerticalJustifyDialog(core::Array1<int32_t, 19>& a) override;
    int RunSeparateVoicesDialog(core::Array1<int32_t, 7>& a) override;
    int RunSeparateVoicesNewStaffDialog(core::Array1<int32_t, 7>& a) override;
    int RunBoundingBoxDialog(int32_t& unit, core::Array1<float, 4>& box, int32_t& mode) override;
    int RunRecentFilesDialog(int32_t& choice) override;
    // The text dialogs: the answer's text comes back in MessageLine (keep_text keeps the shown
    // line); Text Input's reals replace words 2.. of its block (from the answer's reals) and a
    // name sets the divider. dialog_text keeps what the dialog showed.
    int RunTextInputDialog(core::Array1<float, 19>& b) override;
    int RunTextUnitsDialog(const core::FixedText<512>& shown) override;
    int RunEditTextDialog() override;
    // Text File: dialog_text keeps the text shown; the answer's result (3 = Save As).
    int RunTextFileDialog(std::string_view text) override;
    int RunTransposeSetupDialog(core::Array1<int32_t, 19>& a) override;
    // Tablature, Measure numbers: words replace the block from word 1. Paper Size: the answer's
    // result is the button code (0 when none is queued), reals the custom words. MusDir:
    // dialog_entries keeps the list shown, words = {choice}. Steps to move: reals replace the
    // box; dialog_reals keeps the box shown.
    int RunTablatureSetupDialog(core::Array1<int32_t, 20>& a) override;
    int RunPaperSizeDialog(core::Array1<float, 3>& custom) override;
    int RunMeasureNumbersDialog(core::Array1<int32_t, 19>& a) override;
    int RunMusDirDialog(const std::vector<std::string>& entries, int32_t& choice) override;
    int RunStepsToMoveDialog(core::Array1<float, 4>& box) override;
    // Vertical spacing between staves: the answer's name is the typed list (MessageLine).
    int RunStaffSpacingDialog() override;
    std::vector<std::string> dialog_entries;
    std::string dialog_text;

  private:
    struct WaitAnswer {
        enum { Line, Key, Closing } kind;
        std::string line;
        int key = 0;
        int key_down = 0;
    };
    std::optional<WaitAnswer> next_wait_answer(const std::string& what);
    std::optional<DialogAnswer> next_dialog_answer(const std::string& name);
    void record(Kind kind, std::string text, int a = 0, int b = 0);
    void missing(const std::string& what);

    std::deque<WaitAnswer> wait_answers_;
    int32_t last_key_ = 0;
    int32_t last_key_down_ = 0;
    bool closing_ = false;
    std::deque<int> yes_no_answers_;
    std::deque<DialogAnswer> dialog_answers_;
};
