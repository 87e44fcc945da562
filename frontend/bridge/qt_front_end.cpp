#include "frontend/bridge/qt_front_end.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <deque>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/bridge/yes_no_line.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/edit/text/text_files.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "frontend/app/palettes.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/item_panel.h"
#include "frontend/bridge/keys.h"
#include "frontend/bridge/services.h"
#include "frontend/dialogs/notice_dialogs.h"
#include "frontend/midi/midi_input_path.h"
#include "frontend/view/ormest_view.h"
#include "output/midi_player.h"
#include "output/tables.h"

using namespace frontend;

namespace {

// The input mode's line kind once every line of a run is in: its closing menu asks.
constexpr int32_t kInputLinesDone = 6;

QString engine_text(const char* text) {
    return text == nullptr ? QString() : FromEngineText(std::string_view(text));
}

// A message of the engine as lines: "||" and CR LF break it; trailing blanks go.
QString message_lines(const char* text) {
    QString s = engine_text(text);
    s.replace(QStringLiteral("||"), QStringLiteral("\n"));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (s.endsWith(QLatin1Char(' '))) s.chop(1);
    return s;
}

}  // namespace

QtFrontEnd::QtFrontEnd(QObject* parent) : QObject(parent) { RegisterWaitsForClose(waits_); }

QtFrontEnd::~QtFrontEnd() {
    UnregisterWaitsForClose(waits_);
    EndWaits(waits_);
}

void QtFrontEnd::SetCommandBar(CommandBarLink* bar) { bar_ = bar; }

void QtFrontEnd::SetUnattended(bool on, int yes_no_answer) {
    unattended_ = on;
    unattended_answer_ = yes_no_answer;
    SetDialogsUnattended(on);
}

// -- command bar: command_bar_text.cpp ------------------------------------------------------

void QtFrontEnd::ArmImmediateKeyMode() {
    if (COrmestView* view = ActiveView()) view->KeyModeRequest = 1;
}

// The view reads its copy to tell a box drag (drawn by the view as a rubber band) from an item
// drag (each move goes to the engine).
void QtFrontEnd::SetEngineWaitLevel(int32_t level) {
    core::EngineWaitLevel = level;
    ViewWaitLevel = level;
}

void QtFrontEnd::SetMessageLineText(core::ReplyKind kind, const char* text) {
    frontend::SetMessageLineText(Bar(), kind, text == nullptr ? std::string_view() : text);
}

void QtFrontEnd::SetInputText(const char* text) {
    frontend::SetInputText(Bar(), text == nullptr ? std::string_view() : text);
}

void QtFrontEnd::SetInputTextAndSelection(const char* text, int sel_start, int sel_end) {
    frontend::SetInputTextAndSelection(Bar(), text == nullptr ? std::string_view() : text,
                                       sel_start, sel_end);
}

int QtFrontEnd::GetInputTextLength() { return frontend::GetInputTextLength(Bar()); }

void QtFrontEnd::TrimInputToMarker() { frontend::TrimInputToMarker(Bar()); }

// -- waits: input_waits.cpp -------------------------------------------------------------------

// A command file read by RE answers the line as the console's file does: its next line that
// answers.
int QtFrontEnd::WaitForLineEdit(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                                int sel_start, int sel_end) {
    answer_from_file_ = false;
    if (frontend::CommandFileAnswerMissing()) return -1;
    if (core::command_file_open()) {
        answer_from_file_ = true;
        std::string line;
        const std::string asked = prompt.trimmed();
        if (!read_file_answer(line, std::string_view(asked).substr(0, asked.find('\0')))) return -1;
        buffer.set(line);
        return 0;
    }
    return frontend::WaitForLineEdit(waits_, Bar(), buffer, prompt, sel_start, sel_end);
}

int QtFrontEnd::WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) {
    return frontend::WaitForCommandOrKey(waits_, buffer, pass_value);
}

int QtFrontEnd::WaitForTypedLine(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                                 int sel_start, int sel_end) {
    return frontend::WaitForTypedLine(waits_, Bar(), buffer, prompt, sel_start, sel_end);
}

int QtFrontEnd::PollMidiOrKey(core::Array1<int32_t, 5>& record) {
    return frontend::PollMidiOrKey(waits_, record);
}

// Contract: reads the input mode's words and the key the last command-or-key wait took; takes
// a J from the front of KeysAhead, or else makes the next key typed a J to drop.
std::string QtFrontEnd::DropRestOfTypedLine() {
    const bool closing_menu =
        input::InputModeActive != 0 && layout::InputParserMode == kInputLinesDone;
    if (!closing_menu || (waits_.last_key != 'L' && waits_.last_key != 'l')) return {};
    std::deque<KeyAheadRecord>& ahead = InputEventFlags.KeysAhead;
    if (ahead.empty()) {
        ExpectAnswerRest('J');
        return {};
    }
    const int32_t next = ahead.front().code;
    if (next != 'J' && next != 'j') return {};
    ahead.pop_front();
    return std::string(1, static_cast<char>(next));
}

bool QtFrontEnd::MidiInputOpen() { return frontend::MidiInputRunning(); }

// -- messages and questions ----------------------------------------------------------------

int QtFrontEnd::ShowMessageBox(core::ReplyKind kind, const char* text) {
    last_message_ = message_lines(text);
    if (unattended_ || QApplication::instance() == nullptr) return 1;
    DropRanLines(Bar());
    frontend::ShowNotice(kind, last_message_);
    return 1;
}

// Questions: the dialogs of notice_dialogs.cpp; unattended, the given answer at once. A box
// shown takes the lines that already ran out of the command bar first: the bar then holds, when
// the box closes, only the keys held while it was up, and a click into it cannot put the
// caret into a line that ran.
int QtFrontEnd::AskYesNo(const char* question, int mode) {
    last_message_ = message_lines(question);
    if (int answer = 0; answer_from_file(question, false, answer)) return answer;
    if (unattended_ || QApplication::instance() == nullptr) return unattended_answer_ != 0 ? -1 : 0;
    DropRanLines(Bar());
    return frontend::AskYesNo(question == nullptr ? std::string_view() : question, mode);
}

int QtFrontEnd::AskYesNoExit(const char* question) {
    last_message_ = message_lines(question);
    const bool preset_no = std::exchange(preset_no_, false);
    if (int answer = 0; answer_from_file(question, true, answer)) return answer;
    if (unattended_ || QApplication::instance() == nullptr) return unattended_answer_;
    DropRanLines(Bar());
    return frontend::AskYesNoExit(question == nullptr ? std::string_view() : question, preset_no);
}

// Contract: see the header. The word a non-answer ends is for this question alone, whichever
// road answers it.
bool QtFrontEnd::answer_from_file(const char* question, bool exit_offered, int& answer) {
    std::string ends;
    ends.swap(non_answer_ends_);
    answer_from_file_ = false;
    gave_no_answer_ = false;
    const std::string_view asked = question == nullptr ? std::string_view() : question;
    if (frontend::CommandFileAnswerMissing()) {
        answer = 0;
        return true;
    }
    if (!core::command_file_open()) return false;
    answer_from_file_ = true;
    std::string line;
    if (!read_file_answer(line, asked)) {
        answer = 0;
        return true;
    }
    const core::ScriptYesNo got = core::read_script_yes_no(asked, line, exit_offered, ends);
    answer = got.answer;
    if (!got.named.empty()) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.pop_back();
        gave_no_answer_ = true;
        no_answer_ = line;
        core::name_untaken_line(got.named);
    }
    return true;
}

bool QtFrontEnd::read_file_answer(std::string& line, std::string_view question) {
    if (core::next_command_file_answer(line)) return true;
    frontend::MarkCommandFileAnswerMissing();
    // A file ending at a question is no failure: the script gave what it meant to give.
    core::show_message(core::ReplyKind::Notice, core::command_file_ended_at(question));
    return false;
}

bool QtFrontEnd::ScriptGaveNoAnswer(std::string& line) {
    if (gave_no_answer_) line = no_answer_;
    return gave_no_answer_;
}

bool QtFrontEnd::ApplicationClosing() {
    return waits_.closing || frontend::CommandFileAnswerMissing();
}

int QtFrontEnd::AskAbandonInput() {
    last_message_ = QStringLiteral("Abandon input?");
    if (unattended_ || QApplication::instance() == nullptr) return unattended_answer_ != 0 ? 0 : -1;
    DropRanLines(Bar());
    return frontend::AskAbandonInput();
}

// -- window services and repaint -------------------------------------------------------------

// The services live in services.cpp.
void QtFrontEnd::FrontEndService(char tag[4], core::ServiceBlock& block) {
    frontend::FrontEndService(tag, block);
}

void QtFrontEnd::RefreshDisplayFromEngine() {
    const int32_t n = std::clamp(TextDisplayStreamLength, 0, kTextStreamBytes);
    if (n > 0) std::copy_n(TextDisplayStream.begin(), n, TextDisplayStreamCopy.begin());
    DecodeDisplayLists(nullptr);
    UpdateItemPanel();
}

void QtFrontEnd::SwitchPaletteVariant(int mode, int palette_group) {
    frontend::SwitchPaletteVariant(mode, palette_group);
}
void QtFrontEnd::LoadPaletteToolbar(int32_t id) { frontend::LoadPaletteToolbar(id); }
void QtFrontEnd::ControlMidiPlayer(int action) { output::control_midi_player(action); }

int32_t QtFrontEnd::CurrentZoom() { return frontend::DisplayScale; }

void QtFrontEnd::RequestZoom(int32_t scale) {
    if (scale > 0) frontend::RequestedDisplayScale = scale;
}

void QtFrontEnd::ShowPercentText(const char* text) {
    if (text == nullptr) return;
    if (frontend::Hooks().show_zoom_text) frontend::Hooks().show_zoom_text(text);
}

// -- dialogs: the launchers of dialog_launchers.cpp -------------------------------------------

int QtFrontEnd::RunDrawingFileNameDialog(const core::FixedText<128>& prompt) {
    return frontend::RunDrawingFileNameDialog(prompt);
}
int QtFrontEnd::RunEpsFileNameDialog() { return frontend::RunEpsFileNameDialog(); }
int QtFrontEnd::RunOutputFileNameDialog() { return frontend::RunOutputFileNameDialog(); }
int QtFrontEnd::RunMacroFileDialog() { return frontend::RunMacroFileDialog(); }
int QtFrontEnd::RunDontShowAgainNotice() { return frontend::RunDontShowAgainNotice(); }
int QtFrontEnd::RunOutOfBoundsNotice() { return frontend::RunOutOfBoundsNotice(); }
int QtFrontEnd::RunConvertCode11Dialog(core::Array1<int32_t, 3>& r) {
    return frontend::RunConvertCode11Dialog(r);
}
int QtFrontEnd::RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v) {
    return frontend::RunConvertLibraryItemDialog(v);
}
int QtFrontEnd::RunDecombineFileDialog() { return frontend::RunDecombineFileDialog(); }
int QtFrontEnd::RunPageImageHeightDialog(core::Array1<float, 19>& a) {
    return frontend::RunPageImageHeightDialog(a);
}
int QtFrontEnd::RunParameterEditor(core::Array1<float, 30>& block, int page) {
    return frontend::RunParameterEditor(block, page);
}
int QtFrontEnd::RunPreferencesDialog(core::Array1<int32_t, 32>& a, core::Array1<int32_t, 32>& b) {
    return frontend::RunPreferencesDialog(a, b);
}
int QtFrontEnd::RunRippleBarsDialog(core::Array1<int32_t, 5>& a) {
    return frontend::RunRippleBarsDialog(a);
}
int QtFrontEnd::RunSymbolLibraryDialog(int32_t& v) { return frontend::RunSymbolLibraryDialog(v); }
int QtFrontEnd::RunSpacingRangeDialog(core::Array1<int32_t, 8>& words) {
    return frontend::RunSpacingRangeDialog(words);
}
int QtFrontEnd::RunMusicInputDialog() { return frontend::RunMusicInputDialog(); }
int QtFrontEnd::RunAddBarLinesDialog(core::Array1<int32_t, 4>& words) {
    return frontend::RunAddBarLinesDialog(words);
}
// "Print Setup" through its launcher: the blocks go as words 0-23 of A and B (reals as their
// bits) and come back whatever the answer (Cancel hands them back as they came); the dialog
// shows and edits the output name in OutputTargetName (whole, to 128 characters), which comes back
// into output_name unless the dialog was cancelled; a longer name is refused.
int QtFrontEnd::RunPrintSetupDialog(core::ArrayRange<int32_t, 0, 23>& ints,
                                    core::ArrayRange<float, 0, 23>& reals,
                                    core::FixedText<512>& output_name, int flag) {
    const std::string name = output_name.c_text();
    if (name.size() > static_cast<std::size_t>(core::kOutputTargetChars)) {
        core::report_failure("File name too long (at most " +
                             std::to_string(core::kOutputTargetChars) + " characters): cancelled.");
        return 2;
    }
    const auto kept = core::OutputTargetName;
    core::OutputTargetName.set(name);
    core::Array1<int32_t, 24> a;
    core::Array1<int32_t, 24> b;
    for (int k = 0; k <= 23; ++k) {
        a(k + 1) = ints(k);
        b(k + 1) = std::bit_cast<int32_t>(reals(k));
    }
    const int result = frontend::RunPrintSetupDialog(a, b, flag);
    for (int k = 0; k <= 23; ++k) {
        ints(k) = a(k + 1);
        reals(k) = std::bit_cast<float>(b(k + 1));
    }
    if (result == 2) {
        core::OutputTargetName = kept;
    } else {
        output_name.set(core::OutputTargetName.c_text());
    }
    return result;
}

int QtFrontEnd::RunSelectCodesDialog(core::Array1<int32_t, 19>& codes) {
    return frontend::RunSelectCodesDialog(codes);
}
int QtFrontEnd::RunCombineFilesDialog() { return frontend::RunCombineFilesDialog(); }
// The dialog edits the engine's IF fields in place; fields held elsewhere travel through them.
int QtFrontEnd::RunIfCommandDialog(const core::FixedText<512>& question,
                                   core::Array1<core::FixedText<48>, 14>& fields) {
    const bool own = &fields == &edit::IfDialogFields;
    core::Array1<core::FixedText<48>, 14> kept;
    if (!own) {
        kept = edit::IfDialogFields;
        edit::IfDialogFields = fields;
    }
    const int result = frontend::RunIfCommandDialog(question.c_text());
    if (!own) {
        fields = edit::IfDialogFields;
        edit::IfDialogFields = kept;
    }
    return result;
}

// The slots travel in output::PathSlots: the caller's are put there for the run and handed
// back after OK; PathSlots is as it was afterwards when the caller's slots are others.
int QtFrontEnd::RunPathListDialog(int32_t& slot, core::Array1<core::FixedText<512>, 9>& folders,
                                  const core::FixedText<512>& current) {
    const bool own = &folders == &output::PathSlots.folders;
    const output::PathSlotsRecord kept = output::PathSlots;
    output::PathSlots.folders = folders;
    output::PathSlots.current = current;
    core::Array1<int32_t, 10> a;
    a.fill(0);
    a(1) = slot;
    const int result = frontend::RunPathListDialog(a);
    slot = a(1);
    if (result != 2) folders = output::PathSlots.folders;
    if (!own) output::PathSlots = kept;
    return result;
}

// The Sound dialog: each track's channel, instrument, amplitude, transposition and staff list,
// the tempo and the file name. Load, Clear and Auto setup refresh the fields; Cancel hands the
// blocks back as they came.
int QtFrontEnd::RunSoundDialog(core::Array1<int32_t, 64>& settings,
                               core::Array1<int32_t, 256>& staves) {
    return frontend::RunSoundDialog(settings, staves);
}

int QtFrontEnd::RunVerticalJustifyDialog(core::Array1<int32_t, 19>& a) {
    return frontend::RunVerticalJustifyDialog(a);
}
int QtFrontEnd::RunSeparateVoicesDialog(core::Array1<int32_t, 7>& a) {
    return frontend::RunSeparateVoicesDialog(a);
}
int QtFrontEnd::RunSeparateVoicesNewStaffDialog(core::Array1<int32_t, 7>& a) {
    return frontend::RunSeparateVoicesNewStaffDialog(a);
}
// The dialog shows the box in the chosen unit; its blocks hold the unit in A 20 and the box in
// display units in B 20-23, and give back the box as typed in the unit of A 20.
int QtFrontEnd::RunBoundingBoxDialog(int32_t& unit, core::Array1<float, 4>& box, int32_t& mode) {
    core::Array1<int32_t, 21> a;
    core::Array1<float, 24> b;
    a(21) = unit;
    for (int k = 1; k <= 4; ++k) b(20 + k) = box(k);
    const int result = frontend::RunBoundingBoxDialog(a, b);
    unit = a(21);
    for (int k = 1; k <= 4; ++k) box(k) = b(20 + k);
    // The dialog leaves what its button asked in the saved box's mode (-2 Restore Original).
    mode = result == 2 ? 0 : output::SavedBoundingBox.file_mode;
    return result;
}
int QtFrontEnd::RunRecentFilesDialog(int32_t& choice) {
    return frontend::RunRecentFilesDialog(choice);
}
int QtFrontEnd::RunTextInputDialog(core::Array1<float, 19>& b) {
    return frontend::RunTextInputDialog(b);
}
int QtFrontEnd::RunTextUnitsDialog(const core::FixedText<512>& shown) {
    return frontend::RunTextUnitsDialog(shown);
}
int QtFrontEnd::RunEditTextDialog() { return frontend::RunEditTextDialog(); }
// The dialog shows and stores edit::TextFileBuffer; a text held elsewhere is put there first.
int QtFrontEnd::RunTextFileDialog(std::string_view text) {
    if (text.data() != edit::TextFileBuffer.data()) edit::TextFileBuffer.assign(text);
    return frontend::RunTextFileDialog();
}
int QtFrontEnd::RunTransposeSetupDialog(core::Array1<int32_t, 19>& a) {
    return frontend::RunTransposeSetupDialog(a);
}
int QtFrontEnd::RunTablatureSetupDialog(core::Array1<int32_t, 20>& a) {
    return frontend::RunTablatureSetupDialog(a);
}
int QtFrontEnd::RunPaperSizeDialog(core::Array1<float, 3>& custom) {
    return frontend::RunPaperSizeDialog(custom);
}
int QtFrontEnd::RunMeasureNumbersDialog(core::Array1<int32_t, 19>& a) {
    return frontend::RunMeasureNumbersDialog(a);
}
int QtFrontEnd::RunMusDirDialog(const std::vector<std::string>& entries, int32_t& choice) {
    return frontend::RunMusDirDialog(entries, choice);
}
int QtFrontEnd::RunStepsToMoveDialog(core::Array1<float, 4>& box) {
    return frontend::RunStepsToMoveDialog(box);
}
int QtFrontEnd::RunStaffSpacingDialog() { return frontend::RunStaffSpacingDialog(); }
