// FrontEndPort: everything the engine asks of its front-end. The engine reaches the window (or
// the console, or a test's script) only through this interface, so it never includes Qt.
//
// Text arguments follow the engine's conventions: lines handed out carry a NUL after their
// last character inside the field; lines coming back are blank-padded and cut at their CR.
// Yes/no results are -1 for Yes and 0 for No. Dialog results are 1 for OK and 2 for Cancel
// unless a method says otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/bridge/reply_kind.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"

namespace core {

class FrontEndPort {
  public:
    virtual ~FrontEndPort() = default;

    // -- command bar: prompt, input edit, key mode --
    // Next key in the input box goes to the engine at once as a key token.
    virtual void ArmImmediateKeyMode() = 0;
    // Shows the NUL-terminated text in the message line, a reply of the given kind (a prompt is
    // a question). The engine has marked the run for a failure before.
    virtual void SetMessageLineText(ReplyKind kind, const char* text) = 0;
    // Replaces the input text when text is not empty; caret at its end.
    virtual void SetInputText(const char* text) = 0;
    // Always replaces the input text and selects characters sel_start..sel_end.
    virtual void SetInputTextAndSelection(const char* text, int sel_start, int sel_end) = 0;
    // Length of the text in the input edit.
    virtual int GetInputTextLength() = 0;
    // Cuts the input edit after its last byte 0x0F (empties it when there is none).
    virtual void TrimInputToMarker() = 0;
    // The wait level the box prompts and their ends set (0 while a box may be dragged, -1
    // after): EngineWaitLevel, and the window's view keeps a copy that turns its rubber band on.
    virtual void SetEngineWaitLevel(int32_t level) { EngineWaitLevel = level; }

    // -- waits: block until input arrives --
    // Waits for a palette command (copied into buffer) or a key (its code in buffer[0]);
    // returns pass_value.
    virtual int WaitForCommandOrKey(FixedText<512>& buffer, int pass_value) = 0;
    // Shows prompt, puts buffer's text (to its NUL) in the input edit with sel_start..sel_end
    // selected, and waits for a typed line or a palette command, which come back in buffer
    // (blank-padded). Returns 0, or -1 when the application is closing.
    virtual int WaitForLineEdit(FixedText<512>& buffer, const FixedText<512>& prompt, int sel_start,
                                int sel_end) = 0;
    // As WaitForLineEdit, but only a typed line ends the wait (commands stay deposited).
    // Returns 0, or -1 when the application is closing.
    virtual int WaitForTypedLine(FixedText<512>& buffer, const FixedText<512>& prompt,
                                 int sel_start, int sel_end) = 0;
    // One poll of the MIDI keyboard input. Word 1 of record is 0 for a MIDI event (words 2 to 5
    // its message, device, error flag and time stamp), else -256 OR the character typed last.
    // Returns 0 when a typed line is complete (the MIDI input then ends), else -1.
    virtual int PollMidiOrKey(Array1<int32_t, 5>& record) = 0;
    // True when a MIDI input device is open, so that notes can be played in.
    virtual bool MidiInputOpen() = 0;
    // The key the last WaitForCommandOrKey took: its code as a signed byte (0 when it took a
    // command, or nothing), and its key-down word, 1000 + that code (0 when not known).
    virtual int32_t LastKeyCode() = 0;
    virtual int32_t LastKeyDownWord() = 0;
    // True once the application is closing (the console: its input has ended); every wait
    // then returns at once.
    virtual bool ApplicationClosing() = 0;
    // True when the typed lines come from a script (a file or a pipe) rather than from someone
    // at the keys: a refused line of the input mode is then left out instead of asked again,
    // for nobody is there to type it again.
    virtual bool InputIsScript() { return false; }
    // True when the last yes/no question took a script's line that answers nothing (no Y, N,
    // or X where Exit is offered: a blank line, the script's next command), which is put in
    // `line`. The line was named with the question and dropped, and read as No (or as Exit, see
    // EndWordOnNonAnswer).
    virtual bool ScriptGaveNoAnswer(std::string& /*line*/) { return false; }
    // True when the last line a question or dialog took came from a script (a pipe, a file, or
    // a command file read by RE) rather than from someone at the keys or in a dialog: nobody is
    // there to be asked again.
    virtual bool LastAnswerFromScript() { return false; }
    // For the next AskYesNoExit alone: a script's line that answers nothing ends `word` (the
    // line is named with the question and the word) and the answer is Exit, because the word's
    // No would ask for its box again and the script's next line would be taken as that box.
    virtual void EndWordOnNonAnswer(std::string_view /*word*/) {}
    // For the next AskYesNoExit alone: No is the answer a dialog offers first (Enter takes it).
    // Where nothing is offered first (the console) there is nothing to set.
    virtual void PresetNoForNextQuestion() {}
    // Takes back the keys of the line being typed that no key wait has taken yet and returns
    // them (the console hands a typed line over key by key); empty where keys come one by one.
    virtual std::string DropRestOfTypedLine() { return {}; }
    // Gives a script's line that answered no question back to the input: it is read again as
    // the script's next line, its next command. Where keys come one by one nothing is held.
    virtual void GiveBackScriptLine(const std::string& /*line*/) {}

    // -- messages and questions --
    // Modal message box with OK showing a reply of the given kind; returns the box's result
    // (callers ignore it). The engine has marked the run for a failure before.
    virtual int ShowMessageBox(ReplyKind kind, const char* text) = 0;
    // Mode 1: Yes and No. Returns -1 Yes (or Continue), 0 No (or Exit).
    virtual int AskYesNo(const char* question, int mode) = 0;
    // Yes, No and Exit: -1, 0, -2.
    virtual int AskYesNoExit(const char* question) = 0;
    // "Abandon input?": 0 Yes, 1 Edit, -1 Cancel or closed.
    virtual int AskAbandonInput() = 0;

    // -- window services and repaint --
    // Serves the request whose letter is tag[1]; results come back in block. Sets tag[0] to a
    // zero byte when it has served the request.
    virtual void FrontEndService(char tag[4], ServiceBlock& block) = 0;
    // Takes over the engine's current output lists and repaints; usable inside an engine call.
    virtual void RefreshDisplayFromEngine() = 0;
    // Switches the palette to the left-end (mode 0) or right-end (mode 1) variant of the
    // palette group, or back to the base palette.
    virtual void SwitchPaletteVariant(int mode, int palette_group) = 0;
    // Shows palette id in the palette toolbar (0: the previous palette); a front-end without
    // palettes does nothing.
    virtual void LoadPaletteToolbar(int32_t id) = 0;
    // 1 play, 2 stop, 3 toggle pause; other values do nothing.
    virtual void ControlMidiPlayer(int action) = 0;

    // -- zoom: 64 is 100% --
    // The zoom the page is shown at now (the front-end's own changes included).
    virtual int32_t CurrentZoom() = 0;
    // Asks for a new zoom, which the front-end applies when the engine call ends; the last
    // request of a call wins.
    virtual void RequestZoom(int32_t scale) = 0;
    // Shows a zoom percentage ("150%") in the front-end's percent display.
    virtual void ShowPercentText(const char* text) = 0;

    // -- dialog launchers and their exchange --
    // Typed name comes back in MessageLine.
    virtual int RunDrawingFileNameDialog(const FixedText<128>& prompt) = 0;
    // Preset and typed name in FrontEndCommandBuffer.
    virtual int RunEpsFileNameDialog() = 0;
    virtual int RunOutputFileNameDialog() = 0;
    // Name back in FrontEndCommandBuffer, text (CR LF lines, NUL-ended) in MessageLine.
    virtual int RunMacroFileDialog() = 0;
    // Text of MessageLine with "Don't show this message again."; nonzero when ticked.
    virtual int RunDontShowAgainNotice() = 0;
    // Message in FrontEndCommandBuffer; 1 when "don't show again" was ticked, else 0.
    virtual int RunOutOfBoundsNotice() = 0;
    // r[1] file number on OK (1); 2 delete, 3 ignore; r[3] nonzero when "don't show" ticked.
    virtual int RunConvertCode11Dialog(Array1<int32_t, 3>& r) = 0;
    // -1 when "Set new P5 number." was chosen; v[2] = 1 for "Use contents of this LB file".
    virtual int RunConvertLibraryItemDialog(Array1<int32_t, 2>& v) = 0;
    // 2 on Cancel; otherwise the group sizes are left in MessageLine.
    virtual int RunDecombineFileDialog() = 0;
    // In: a(1), a(2) current height, a(4) metric flag; out: a(1) new height, group counts.
    virtual int RunPageImageHeightDialog(Array1<float, 19>& a) = 0;
    // The two preference blocks (B holds reals as their bits); 2 = Cancel.
    virtual int RunPreferencesDialog(Array1<int32_t, 32>& a, Array1<int32_t, 32>& b) = 0;
    // The parameter page: block 1-10 the stored values, 11-20 the edited ones, all 30 words
    // back; page < 0 "P1 - 10", 0 "P11- 20", > 0 "P21 - 30". The data line typed in the dialog
    // comes back in MessageLine. 2 = Cancel.
    virtual int RunParameterEditor(Array1<float, 30>& block, int page) = 0;
    // Staves per system, source bottom staff, destination bottom staff, bars; 2 = Cancel.
    virtual int RunRippleBarsDialog(Array1<int32_t, 5>& a) = 0;
    // 0-based index of the chosen symbol-list line in v; 2 = Cancel.
    virtual int RunSymbolLibraryDialog(int32_t& v) = 0;
    // The input space: words 5 begin point, 6 end point, 7 spacing staff (0 none, 999 is shown
    // as 0), 8 staff number; the text of FrontEndCommandBuffer is shown above. 2 = Cancel;
    // input::kRangePastWord = a field held a number too big for its word: the words are as
    // offered and FrontEndPathBuffer holds the fields as typed, to be named in the refusal.
    virtual int RunSpacingRangeDialog(Array1<int32_t, 8>& words) = 0;
    // One typed line: the prompt from FrontEndCommandBuffer, the line to edit in MessageLine (to
    // its NUL); the edited line comes back there, NUL-ended, at most 511 characters. 2 = Cancel
    // (MessageLine is then blank).
    virtual int RunMusicInputDialog() = 0;
    // Top and bottom meter numbers, pickup items, staves up; 1 = OK, 2 = closed.
    virtual int RunAddBarLinesDialog(Array1<int32_t, 4>& words) = 0;
    // "Print Setup": the INTEGER and REAL blocks of the print parameters (REAL words 20-23 the
    // page box, INTEGER word 20 its unit), the output name as the dialog shows and returns it,
    // and the previous output kind. The header text comes back in FrontEndCommandBuffer.
    // 2 = Cancel.
    virtual int RunPrintSetupDialog(ArrayRange<int32_t, 0, 23>& ints,
                                    ArrayRange<float, 0, 23>& reals, FixedText<512>& output_name,
                                    int flag) = 0;
    // "Path List": the nine folder slots (edited in place) and the current folder; the chosen
    // slot comes back in slot. 2 = Cancel.
    virtual int RunPathListDialog(int32_t& slot, Array1<FixedText<512>, 9>& folders,
                                  const FixedText<512>& current) = 0;
    // "Select Code Numbers.": the chosen item codes in codes(1..18) (0 in the first = all
    // codes), word 19 the dialog's own. 2 = Cancel.
    virtual int RunSelectCodesDialog(Array1<int32_t, 19>& codes) = 0;
    // "Combine Files": the first file's name comes back in MessageLine and the number of files
    // in FrontEndCommandBuffer. 2 = Cancel.
    virtual int RunCombineFilesDialog() = 0;
    // "IF command": the question above the fields, and the fourteen fields (the area, the
    // conditions of two rows of three AND-fields each and their OR-alternatives, the action),
    // shown with their presets and given back as edited. 2 = Cancel.
    virtual int RunIfCommandDialog(const FixedText<512>& question,
                                   Array1<FixedText<48>, 14>& fields) = 0;
    // "Sound": the 64 words of the sound settings (CHN, INS, AMP, TRN of 16 rows) and the 256
    // staff slots (16 rows of 16), edited in place; the tempo and the file name in
    // output::MidiTempo and output::MidiFileName. Its Save, Load and Auto setup buttons use the
    // engine's sound settings routines. 2 = Cancel, else play.
    virtual int RunSoundDialog(Array1<int32_t, 64>& settings, Array1<int32_t, 256>& staves) = 0;
    // False where no Sound dialog is shown (its Auto setup is out of reach there): every MIDI
    // command then finds the parts from the page.
    virtual bool HasSoundDialog() { return true; }
    // False where no dialog is shown (the console): a word that reads its numbers from a
    // command file's next line in place of its dialog then asks that line as typed.
    virtual bool ShowsDialogs() { return true; }
    // "Vertical Justify": words 1-5 clearance, window, least line gap (steps), first staff,
    // number of staves (the dialog sets its own presets). 2 = Cancel.
    virtual int RunVerticalJustifyDialog(Array1<int32_t, 19>& a) = 0;
    // "Separate Voices": words 1, 2 the top/bottom voice choice (check states), 3 bottom staff,
    // 4 top staff, 5 left and 6 right limit, 7 "Keep all slurs.". 2 = Cancel.
    virtual int RunSeparateVoicesDialog(Array1<int32_t, 7>& a) = 0;
    // "Separate Voices, Create New Staff": as above with 3 source and 4 destination staff;
    // words 5 and 6 come back as they went. 2 = Cancel.
    virtual int RunSeparateVoicesNewStaffDialog(Array1<int32_t, 7>& a) = 0;
    // "Bounding Box Outline": the unit (0 inches, 1 centimetres, 2 points) and the box (left,
    // bottom, right, top) in display units going in; on return the box holds the figures as
    // typed, in the unit returned, and mode -2 asks for the measured box back ("Restore
    // Original"). 2 = Exit.
    virtual int RunBoundingBoxDialog(int32_t& unit, Array1<float, 4>& box, int32_t& mode) = 0;
    // "Recent Files": choice = the chosen history entry 1..40, 0 when none. 2 = Cancel.
    virtual int RunRecentFilesDialog(int32_t& choice) = 0;
    // "Text Input": words 2-6 of b are P2-P6 (reals), the divider character in
    // FrontEndCommandBuffer(1), the text shown and given back in MessageLine (NUL-ended).
    // 2 = Cancel.
    virtual int RunTextInputDialog(Array1<float, 19>& b) = 0;
    // "Type note number for each text unit.": the units are shown from `shown`; the answer
    // comes back in MessageLine (NUL-ended). 2 = Cancel.
    virtual int RunTextUnitsDialog(const FixedText<512>& shown) = 0;
    // "Edit Text": the line in MessageLine (to its NUL) is edited in place. 2 = Cancel (the
    // caller puts its own copy back).
    virtual int RunEditTextDialog() = 0;
    // "Text File": shows text, named by FrontEndCommandBuffer. 3 = Save As, 2 = Cancel.
    virtual int RunTextFileDialog(std::string_view text) = 0;
    // "Transpose Setup": words 1-19 are the block's A[0]-A[18] (interval in word 11, stems 12,
    // clef change 13 and 14, key signature 15, cue notes 16). 2 = Cancel.
    virtual int RunTransposeSetupDialog(Array1<int32_t, 19>& a) = 0;
    // "Tablature setup.": words 1-19 are the block's A[0]-A[18] going in, 1-20 A[0]-A[19]
    // coming back. 2 = Cancel.
    virtual int RunTablatureSetupDialog(Array1<int32_t, 20>& a) = 0;
    // "Paper Size": the code of the button chosen (1 Letter, 2 Legal, 3 Ledger, 4 Double page,
    // 5 A3, 6 A4, 7 B4, 8 custom, -1 no outline); 0 when closed with Escape (nothing changes).
    // For custom, width and height in words 1 and 2 of custom, the unit in word 3 (1.0 inches,
    // 0.0 centimetres).
    virtual int RunPaperSizeDialog(Array1<float, 3>& custom) = 0;
    // "Measure numbers": words 1-19 are the block's A[0]-A[18]. 2 = Cancel.
    virtual int RunMeasureNumbersDialog(Array1<int32_t, 19>& a) = 0;
    // "MusDir": lists the entries; choice = the entry chosen (1-based), 0 when none. 2 = Cancel.
    virtual int RunMusDirDialog(const std::vector<std::string>& entries, int32_t& choice) = 0;
    // "Steps to move": box words 1 left position, 2 steps for the left edge, 3 right position,
    // 4 steps for the right edge (the block's X1, Y1, X2, Y2), edited in place. 1 = OK, 2 =
    // Exit.
    virtual int RunStepsToMoveDialog(Array1<float, 4>& box) = 0;
    // "Vertical spacing between staves": the list typed comes back in MessageLine (NUL-ended);
    // the result is the form chosen, 0 (staff, space pairs) or 1 (one space, list of staves);
    // 2 = Cancel.
    virtual int RunStaffSpacingDialog() = 0;
};

// The front-end the engine talks to. Set once by whichever front-end starts the engine.
void set_front_end(FrontEndPort* port);
// The current front-end; calling it with none set is a defect.
FrontEndPort& front_end();
bool has_front_end();

}  // namespace core
