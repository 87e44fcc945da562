// The terminal front-end: the engine behind standard input and output.
//
// Each input line outside a wait is one command for the engine; the reply is printed after it.
// Prompts and message boxes are printed as lines ("||" and CR LF break them); every other control
// character of a printed text (a name read from a file may hold one) shows as "?". Waits and
// questions take the next input line; dialogs that need a window print one line naming the
// dialog and give the answer that changes nothing. Window services answer from a fixed virtual
// window. The input streams need not be the process's: tests run the console in-process.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/bridge/front_end_port.h"
#include "output/midi_player.h"

class ConsoleFrontEnd : public core::FrontEndPort {
  public:
    // The virtual window: its client area in device units, at 10 logical units (thousandths of
    // an inch, y up) per device unit, and the starting zoom.
    static constexpr int32_t kClientWidth = 1000;
    static constexpr int32_t kClientHeight = 700;
    static constexpr int32_t kLogicalPerDevice = 10;
    static constexpr int32_t kStartZoom = 64;

    // Nothing shows the lists while a command waits, for as long as the console lives.
    ConsoleFrontEnd(std::istream& in, std::ostream& out);
    ~ConsoleFrontEnd() override;

    // Runs every input line through the engine until the input ends; returns the exit code.
    int run();

    // Prints the graphics list after the last command, to look at what was drawn.
    void set_dump_graphics(bool on) { dump_graphics_ = on; }

    // The descriptor the input stream reads (its buffer drained first), so that a wait for input
    // also watches the end-signal pipe (platform/end_signals.h); -1 (the default): the input is
    // no descriptor, and the pipe is only looked at before each line.
    void set_input_fd(int fd) { input_fd_ = fd; }
    // Whether someone types the input at a terminal (the default: no, a script or a pipe).
    void set_input_at_terminal(bool on) { at_terminal_ = on; }

    // Once run() has returned at the end of input: an end signal already raised ends the
    // program as it asks (the page kept first). Otherwise errors names what the input left
    // waiting (a question, a prompt, a box prompt), if anything; then, with unsaved changes,
    // input from a terminal (closed or ended with Ctrl-D) keeps the page as an end signal
    // would, and input from a pipe or a command file says on errors that the changes were not
    // saved. Standard output is flushed before errors is written. A signal that comes
    // meanwhile still ends the program as it asks, keeping nothing more than was said.
    void end_of_input(bool from_terminal, std::ostream& errors);

    // What the console shows, for tests.
    int32_t zoom() const { return zoom_; }
    const std::string& title() const { return title_; }
    // How many lines were printed as failure replies.
    int failure_lines_shown() const { return failure_lines_shown_; }

    // -- FrontEndPort --
    void ArmImmediateKeyMode() override {}
    void SetMessageLineText(core::ReplyKind kind, const char* text) override;
    void SetInputText(const char* text) override;
    void SetInputTextAndSelection(const char* text, int sel_start, int sel_end) override;
    int GetInputTextLength() override;
    void TrimInputToMarker() override;
    int WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) override;
    int WaitForLineEdit(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                        int sel_start, int sel_end) override;
    // As WaitForLineEdit.
    int WaitForTypedLine(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                         int sel_start, int sel_end) override;
    int PollMidiOrKey(core::Array1<int32_t, 5>& record) override;
    // The console opens no MIDI input device.
    bool MidiInputOpen() override { return false; }
    std::string DropRestOfTypedLine() override;
    int32_t LastKeyCode() override { return last_key_; }
    int32_t LastKeyDownWord() override { return last_key_down_; }
    // True once the input has ended, and for the rest of an engine call once a command file
    // ended at one of its questions.
    bool ApplicationClosing() override { return input_ended_ || file_answer_missing_; }
    bool InputIsScript() override { return !at_terminal_; }
    bool ScriptGaveNoAnswer(std::string& line) override;
    bool LastAnswerFromScript() override { return !at_terminal_ || last_line_from_file_; }
    void EndWordOnNonAnswer(std::string_view word) override { non_answer_ends_ = word; }
    void GiveBackScriptLine(const std::string& line) override { give_back_line(line); }
    int ShowMessageBox(core::ReplyKind kind, const char* text) override;
    int AskYesNo(const char* question, int mode) override;
    int AskYesNoExit(const char* question) override;
    // "Y" Yes, "E" Edit, anything else (and the end of input) Cancel.
    int AskAbandonInput() override;
    void FrontEndService(char tag[4], core::ServiceBlock& block) override;
    void RefreshDisplayFromEngine() override {}
    void SwitchPaletteVariant(int mode, int palette_group) override {}
    void LoadPaletteToolbar(int32_t /*id*/) override {}
    void ControlMidiPlayer(int action) override {}
    int32_t CurrentZoom() override { return zoom_; }
    // Kept until the engine call ends, as the window's gate does.
    void RequestZoom(int32_t scale) override { requested_zoom_ = scale; }
    // Printed as a line of its own.
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
    // The dialogs of the input mode read one line; an empty line keeps what they show (OK), the
    // end of input cancels. Numbers are blank-separated; one that does not begin with a number
    // keeps its word, and words not typed stay.
    // "begin end [spacing staff]".
    int RunSpacingRangeDialog(core::Array1<int32_t, 8>& words) override;
    // The line itself, cut at 511 characters (the cut is told).
    int RunMusicInputDialog() override;
    // "top bottom pickup-items staves-up".
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
    bool HasSoundDialog() override { return false; }
    bool ShowsDialogs() override { return false; }
    int RunSoundDialog(core::Array1<int32_t, 64>& settings,
                       core::Array1<int32_t, 256>& staves) override;
    // Window-only dialogs: told, answered Cancel (the typed forms of their commands need none).
    int RunVerticalJustifyDialog(core::Array1<int32_t, 19>& a) override;
    int RunSeparateVoicesDialog(core::Array1<int32_t, 7>& a) override;
    int RunSeparateVoicesNewStaffDialog(core::Array1<int32_t, 7>& a) override;
    int RunBoundingBoxDialog(int32_t& unit, core::Array1<float, 4>& box, int32_t& mode) override;
    int RunRecentFilesDialog(int32_t& choice) override;
    int RunTextFileDialog(std::string_view text) override;
    int RunTransposeSetupDialog(core::Array1<int32_t, 19>& a) override;
    int RunTablatureSetupDialog(core::Array1<int32_t, 20>& a) override;
    int RunPaperSizeDialog(core::Array1<float, 3>& custom) override;
    int RunMeasureNumbersDialog(core::Array1<int32_t, 19>& a) override;
    int RunMusDirDialog(const std::vector<std::string>& entries, int32_t& choice) override;
    int RunStepsToMoveDialog(core::Array1<float, 4>& box) override;
    int RunStaffSpacingDialog() override;
    // The text dialogs read their text from the next input line; an empty line keeps the
    // preset, the end of input cancels.
    int RunTextInputDialog(core::Array1<float, 19>& b) override;
    int RunTextUnitsDialog(const core::FixedText<512>& shown) override;
    int RunEditTextDialog() override;

  private:
    // The line typed (an empty one: the preset) into MessageLine; one past `room` characters is
    // cut there and named. A line of the whole 512 characters goes in with no closing NUL.
    int read_text_answer(const std::string& prompt, const std::string& preset,
                         std::size_t room = 511);
    // Next input line, whole, without its line end (LF, CR LF or a lone CR); false at the end
    // of input, and at once ever after (one end of input, a Ctrl-D at a terminal, ends all).
    // Every wait and question reads its answer here: while a command file runs inside an
    // engine call, the file's next line is the answer, and once the file has ended at a
    // question, the rest of the call gets none (the outer input is never read for it).
    // Inside an engine call the line is a question's answer: one cut at its length limit is
    // named and comes back as core::kCutLineAnswer, which answers no question.
    bool read_line(std::string& line, bool blank_answers = false);
    // As read_line, the line whole: the key waits, whose notes lines are cut by their own rule.
    bool read_whole_line(std::string& line, bool blank_answers = false);
    // The yes/no questions: -1 Yes, 0 No, -2 Exit (where offered). A script's line that
    // answers nothing is named with the question and dropped, and taken as No, or as Exit where
    // the asker said its word ends.
    int ask_yes_no(const char* question, bool exit_offered);
    // Gives the line read_line gave last back to where it came from (the command file or the
    // input), for the next read: a script's line that answers no question is its next command.
    void give_back_line(const std::string& line);
    // The answer to one of the Convert Code 11 dialogs: at a terminal a refused line asks
    // again; from a script it is given back and there is no answer (false), as at the end.
    // with_number: the first dialog's answers (a number, empty, I, D, S, X), else R, U, N.
    bool read_convert_answer(std::string_view title, const std::string& question, bool with_number,
                             std::string& answer);
    // The next input character; while none is buffered or ready, waits for input and the
    // end-signal pipe together.
    int next_char();
    // An end signal arrived: the page is kept (keep_page_at_end, its word printed), the work
    // folder released, and the process ends as the signal asks.
    [[noreturn]] void end_by_signal(int sig);
    // Keeps the question the end of input left unanswered, for the end's word.
    void note_unanswered(const std::string& question);
    // A text as one line, as it reads on the screen: its line breaks ("||", CR LF, CR, LF)
    // become blanks, trailing blanks go.
    static std::vector<std::string> screen_lines(std::string_view text);
    static std::string one_line(std::string_view text);
    // A line that goes into the engine's line buffer: beyond kLineBufferChars bytes it is cut
    // (kept_part_of_line), and the cut is told once, with the line's number in the input.
    void cut_to_line_buffer(std::string& line);
    // Hands one key to a key wait: its character in buffer(1), its code and key-down word kept.
    void take_key(core::FixedText<512>& buffer, int32_t code, int32_t key_down);
    // A typed line as the input edit gives it: an empty line takes the preset in the edit.
    std::string typed_answer(const std::string& line);
    // Prints text up to its NUL, a reply of the given kind, with "||", CR LF, CR and LF as line
    // breaks and trailing blanks dropped, other control characters as "?"; prints nothing for a
    // blank text. The text is what the console now waits on. A failure marks a script's run.
    void print_text(core::ReplyKind kind, std::string_view text);
    // As print_text, a reply printed beside what the console waits on, which it leaves as it is.
    void print_aside(core::ReplyKind kind, std::string_view text);
    // As print_aside, one line printed as it is, trailing blanks kept (the title, the panel).
    void print_line(core::ReplyKind kind, std::string_view l);
    // Prints the reply that names a script's line not taken as written, and marks the run.
    void name_untaken(std::string_view text);
    // The message line's form of a text: up to its NUL, without trailing blanks.
    static std::string shown_form(std::string_view text);
    // Shows text in the "message line", a reply of the given kind: printed unless it is already
    // what the line shows.
    void show_in_message_line(core::ReplyKind kind, std::string_view text);
    // Reads the numbers of a typed line into words first..first + count - 1 (see the dialogs).
    // False for a script's line that is not count numbers or fewer: it is named with the
    // dialog's prompt and what the cancel does (outcome), nothing is read, and the dialog is
    // cancelled. A fraction gives its whole part.
    template <int N>
    bool read_numbers(const std::string& line, core::Array1<int32_t, N>& words, int first,
                      int count, std::string_view prompt,
                      std::string_view outcome = "taken as Cancel.");
    // Prints the one line of a reply that tells of a failure (a name refused, a dialog it
    // cannot show) and marks the run failed, as the engine's failure replies do.
    void report_failure(std::string_view text);
    // The one line printed for a dialog that needs the window: a failure reply.
    void report_window_dialog(std::string_view title);
    void show_item_panel_line();
    // A typed file name kept whole (at most 128 characters); false (after saying so) when it is
    // longer.
    bool fits_whole_name(const std::string& name);
    // The name whole in FrontEndPathBuffer, its head in FrontEndCommandBuffer.
    static void store_whole_name(const std::string& name);
    // Scroll position clamped to the scroll range of the current sizes.
    void clamp_scroll_position();
    // Takes over zoom next (above 0): scroll sizes and position scale with it.
    void apply_zoom(int32_t next);

    // No player on the console: a MIDI file the engine wrote is named, and nothing plays.
    class MidiFileReporter : public output::MidiPlayerHost {
      public:
        explicit MidiFileReporter(ConsoleFrontEnd& console) : console_(console) {}
        void PlayFile(const std::string& path) override;
        void Control(int /*action*/) override {}

      private:
        ConsoleFrontEnd& console_;
    };

    std::istream& in_;
    std::ostream& out_;
    MidiFileReporter midi_files_{*this};
    int input_fd_ = -1;
    bool at_terminal_ = false;
    std::string last_notice_;  // the last notice of this call: a reply repeating it is not printed
    std::string no_answer_;    // the script's line the last yes/no question could not read
    bool gave_no_answer_ = false;
    std::string non_answer_ends_;  // the word the next Yes/No/Exit question ends on a non-answer
    std::string input_text_;       // the input edit
    std::string pending_keys_;     // keys of a typed line not yet taken by a key wait
    int32_t last_key_ = 0;
    int32_t last_key_down_ = 0;
    bool input_ended_ = false;
    std::string unanswered_;   // the question the end of input left unanswered ("" when none)
    std::string waiting_for_;  // what was printed last, as one line: what a wait waits for
    bool in_call_ = false;     // an engine call runs (its waits are questions)
    bool file_answer_missing_ = false;  // a command file ended at a question of this call
    bool last_line_from_file_ = false;  // read_line's last line was a command file's record
    bool line_held_ = false;            // held_line_ is the input's next line
    std::string held_line_;
    std::string shown_;       // what the message line shows, as printed
    std::string panel_line_;  // the item panel's line printed last (empty: none)

    // The input read so far: its lines, and whether the last one ended with a CR (an LF that
    // comes next belongs to that line end).
    int64_t line_number_ = 0;
    bool after_cr_ = false;

    // The virtual window.
    int32_t zoom_ = kStartZoom;
    int32_t requested_zoom_ = 0;             // asked for during the engine call (0: none)
    std::array<int32_t, 6> scroll_sizes_{};  // total, page (logical units), line, as 's' set them
    int32_t scroll_x_ = 0;                   // device units, right of the origin
    int32_t scroll_y_ = 0;                   // device units, down from the origin
    int32_t cursor_ = 0;
    bool modified_ = false;
    bool dump_graphics_ = false;
    int failure_lines_shown_ = 0;
    std::string title_;
    std::string path_;

    // The output lists the engine writes on every call.
    // Zeroed lazily by the system (calloc of fresh pages): a page of the lists is touched only
    // once something is drawn there.
    struct FreeMemory {
        void operator()(void* p) const { std::free(p); }
    };
    std::unique_ptr<int32_t[], FreeMemory> graphics_;
    std::unique_ptr<uint8_t[], FreeMemory> text_stream_;
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
};
