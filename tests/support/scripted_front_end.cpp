#include "tests/support/scripted_front_end.h"

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "engine/core/bridge/key_words.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/tables.h"
#include "output/midi_tables.h"

namespace {

std::string c_text(const char* text) { return text == nullptr ? std::string() : std::string(text); }

template <typename T, int N>
void copy_into(core::Array1<T, N>& block, const std::vector<T>& values) {
    const int n = std::min<int>(N, static_cast<int>(values.size()));
    for (int i = 1; i <= n; ++i) block(i) = values[static_cast<std::size_t>(i - 1)];
}

}  // namespace

void ScriptedFrontEnd::answer_line(std::string line) {
    wait_answers_.push_back({WaitAnswer::Line, std::move(line), 0});
}
void ScriptedFrontEnd::answer_key(int code) {
    answer_key(code, core::key_down_word_for_code(code));
}
void ScriptedFrontEnd::answer_key(int code, int key_down) {
    wait_answers_.push_back({WaitAnswer::Key, {}, code, key_down});
}
void ScriptedFrontEnd::answer_keys(const std::string& text) {
    for (char c : text) {
        answer_key(static_cast<uint8_t>(c), core::key_down_word_for_character(c));
    }
}
void ScriptedFrontEnd::answer_closing() { wait_answers_.push_back({WaitAnswer::Closing, {}, 0}); }
void ScriptedFrontEnd::answer_yes_no(int answer) { yes_no_answers_.push_back(answer); }
void ScriptedFrontEnd::answer_dialog(DialogAnswer answer) {
    dialog_answers_.push_back(std::move(answer));
}
void ScriptedFrontEnd::answer_dialog(int result, std::string name) {
    DialogAnswer a;
    a.result = result;
    a.name = std::move(name);
    dialog_answers_.push_back(std::move(a));
}

int ScriptedFrontEnd::count(Kind kind) const {
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [kind](const Event& e) { return e.kind == kind; }));
}

void ScriptedFrontEnd::record(Kind kind, std::string text, int a, int b) {
    log.push_back({kind, std::move(text), a, b});
}

bool ScriptedFrontEnd::failure_shown() const {
    for (core::ReplyKind kind : reply_kinds)
        if (kind == core::ReplyKind::Failure) return true;
    return false;
}

void ScriptedFrontEnd::missing(const std::string& what) {
    ++unanswered;
    if (strict) ADD_FAILURE() << "ScriptedFrontEnd: no answer queued for " << what;
}

std::optional<ScriptedFrontEnd::WaitAnswer> ScriptedFrontEnd::next_wait_answer(
    const std::string& what) {
    if (wait_answers_.empty()) {
        missing(what);
        return std::nullopt;
    }
    WaitAnswer a = std::move(wait_answers_.front());
    wait_answers_.pop_front();
    return a;
}

std::optional<ScriptedFrontEnd::DialogAnswer> ScriptedFrontEnd::next_dialog_answer(
    const std::string& name) {
    dialogs.push_back(name);
    record(Kind::Dialog, name);
    if (dialog_answers_.empty()) {
        missing("dialog \"" + name + "\"");
        return std::nullopt;
    }
    DialogAnswer a = std::move(dialog_answers_.front());
    dialog_answers_.pop_front();
    return a;
}

void ScriptedFrontEnd::ArmImmediateKeyMode() { record(Kind::KeyMode, {}); }

void ScriptedFrontEnd::SetMessageLineText(core::ReplyKind kind, const char* text) {
    prompts.push_back(c_text(text));
    reply_kinds.push_back(kind);
    record(Kind::Prompt, c_text(text));
    log.back().reply = kind;
}

void ScriptedFrontEnd::SetInputText(const char* text) {
    const std::string t = c_text(text);
    input_presets.push_back(t);
    record(Kind::Preset, t);
    if (!t.empty()) input_text = t;
}

void ScriptedFrontEnd::SetInputTextAndSelection(const char* text, int sel_start, int sel_end) {
    const std::string t = c_text(text);
    input_presets.push_back(t);
    record(Kind::PresetSelection, t, sel_start, sel_end);
    input_text = t;
}

int ScriptedFrontEnd::GetInputTextLength() { return static_cast<int>(input_text.size()); }

void ScriptedFrontEnd::TrimInputToMarker() {
    ++trim_count;
    record(Kind::TrimInput, input_text);
    const std::size_t marker = input_text.rfind('\x0F');
    input_text = marker == std::string::npos ? std::string() : input_text.substr(0, marker + 1);
}

int ScriptedFrontEnd::WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) {
    record(Kind::CommandWait, {});
    last_key_ = 0;
    last_key_down_ = 0;
    const auto a = next_wait_answer("a command or key wait");
    if (!a || a->kind == WaitAnswer::Closing) {
        if (a && on_closing) on_closing();
        closing_ = true;
        buffer.blank();
    } else if (a->kind == WaitAnswer::Key) {
        buffer(1) = static_cast<char>(a->key);
        last_key_ = static_cast<int8_t>(static_cast<uint8_t>(a->key));
        last_key_down_ = a->key_down;
    } else {
        buffer.set(a->line);
    }
    return pass_value;
}

int ScriptedFrontEnd::WaitForLineEdit(core::FixedText<512>& buffer,
                                      const core::FixedText<512>& prompt, int sel_start,
                                      int sel_end) {
    LineWaitRecord w;
    w.prompt = prompt.c_text();
    const std::string_view b = buffer.view();
    w.preset = std::string(b.substr(0, std::min(b.find('\0'), b.size())));
    w.sel_start = sel_start;
    w.sel_end = sel_end;
    input_text += w.preset;
    line_waits.push_back(w);
    record(Kind::LineWait, w.prompt, sel_start, sel_end);
    const auto a = next_wait_answer("a line wait (prompt \"" + w.prompt + "\")");
    if (!a || a->kind == WaitAnswer::Closing) {
        if (a && on_closing) on_closing();
        closing_ = true;
        return -1;
    }
    if (a->kind == WaitAnswer::Key) {
        buffer.blank();
        buffer(1) = static_cast<char>(a->key);
    } else {
        buffer.set(a->line);
    }
    input_text.clear();
    return 0;
}

int ScriptedFrontEnd::WaitForTypedLine(core::FixedText<512>& buffer,
                                       const core::FixedText<512>& prompt, int sel_start,
                                       int sel_end) {
    return WaitForLineEdit(buffer, prompt, sel_start, sel_end);
}

void ScriptedFrontEnd::answer_midi(int key, int velocity, int status) {
    midi_events.push_back((status & 0xFF) | ((key & 0xFF) << 8) | ((velocity & 0xFF) << 16));
}

int ScriptedFrontEnd::PollMidiOrKey(core::Array1<int32_t, 5>& record) {
    for (int k = 2; k <= 5; ++k) record(k) = 0;
    if (!midi_events.empty()) {
        record(1) = 0;
        record(2) = midi_events.front();
        midi_events.pop_front();
        return -1;
    }
    record(1) = -256;
    return 0;
}

int ScriptedFrontEnd::ShowMessageBox(core::ReplyKind kind, const char* text) {
    message_boxes.push_back(c_text(text));
    reply_kinds.push_back(kind);
    record(Kind::MessageBox, c_text(text));
    log.back().reply = kind;
    return 1;
}

int ScriptedFrontEnd::AskYesNo(const char* question, int mode) {
    questions.push_back(c_text(question));
    record(Kind::Question, c_text(question), mode);
    if (yes_no_answers_.empty()) {
        missing("the question \"" + c_text(question) + "\"");
        return 0;
    }
    const int a = yes_no_answers_.front();
    yes_no_answers_.pop_front();
    return a;
}

int ScriptedFrontEnd::AskYesNoExit(const char* question) {
    questions.push_back(c_text(question));
    record(Kind::Question, c_text(question), 3);
    if (yes_no_answers_.empty()) {
        missing("the question \"" + c_text(question) + "\"");
        return 0;
    }
    const int a = yes_no_answers_.front();
    yes_no_answers_.pop_front();
    return a;
}

int ScriptedFrontEnd::AskAbandonInput() {
    questions.emplace_back("Abandon input?");
    record(Kind::Question, "Abandon input?", 4);
    if (yes_no_answers_.empty()) {
        missing("the question \"Abandon input?\"");
        return -1;
    }
    const int a = yes_no_answers_.front();
    yes_no_answers_.pop_front();
    return a;
}

// Serves as the window's dispatcher does, from and into `view`; marks the requests the window
// marks. Every request is recorded with its block before and after.
void ScriptedFrontEnd::FrontEndService(char tag[4], core::ServiceBlock& block) {
    ServiceRecord r;
    std::memcpy(r.tag.data(), tag, 4);
    r.in = block;
    bool mark = true;
    switch (tag[1]) {
        case 'b':
            block(1) = view.scroll_x;
            block(2) = view.scroll_y;
            mark = false;
            break;
        case 'z':
            block(1) = view.client_width;
            block(2) = view.client_height;
            mark = false;
            break;
        case 'p': {
            int32_t x = block(1);
            int32_t y = block(2);
            if (view.limit_x) x = std::clamp(x, 0, std::max(0, *view.limit_x));
            if (view.limit_y) y = std::clamp(y, std::min(0, *view.limit_y), 0);
            view.scroll_x = x;
            view.scroll_y = y;
            break;
        }
        case 's':
            for (int i = 0; i < 6; ++i)
                view.scroll_sizes[static_cast<std::size_t>(i)] = block(i + 1);
            break;
        case 'k':
            view.zoom = block(1) != 0 ? block(1) : (view.zoom == 64 ? 128 : 64);
            break;
        case 'c':
            view.cursor = block(1);
            break;
        case 'n':
            view.title = core::block_text(block);
            break;
        case 'h':
            view.path = core::block_text(block);
            break;
        case 'm':
            view.modified = block(1) != 0;
            break;
        case 'i':
            block(1) = view.modified ? 1 : 0;
            break;
        case 'd':
            block(1) = 1;
            break;
        case 'o':
            block(1) = view.colour_answer;
            break;
        case 'e':
            view.item_bar_toggled = !view.item_bar_toggled;
            mark = false;
            break;
        case 'a':
        case 'f':
        case 'l':
        case 'r':
        case 'v':
            break;
        default:
            mark = false;
            break;
    }
    if (mark) tag[0] = '\0';
    r.out = block;
    r.served = mark;
    record(Kind::Service, std::string(r.tag.data(), 3));
    services.push_back(r);
}

void ScriptedFrontEnd::RefreshDisplayFromEngine() {
    ++refresh_count;
    record(Kind::Refresh, {});
}

void ScriptedFrontEnd::SwitchPaletteVariant(int mode, int palette_group) {
    record(Kind::PaletteVariant, {}, mode, palette_group);
}

void ScriptedFrontEnd::LoadPaletteToolbar(int32_t id) { loaded_palettes.push_back(id); }

void ScriptedFrontEnd::ControlMidiPlayer(int action) { record(Kind::MidiPlayer, {}, action); }

void ScriptedFrontEnd::RequestZoom(int32_t scale) {
    zoom_requests.push_back(scale);
    record(Kind::ZoomRequest, {}, scale);
}

void ScriptedFrontEnd::ShowPercentText(const char* text) {
    percent_texts.emplace_back(text == nullptr ? "" : text);
    record(Kind::PercentText, percent_texts.back());
}

int ScriptedFrontEnd::RunDrawingFileNameDialog(const core::FixedText<128>& prompt) {
    const auto a = next_dialog_answer("file name: " + prompt.c_text());
    if (!a) return 2;
    if (a->result != 2 && !a->name.empty()) core::MessageLine.set(a->name);
    return a->result;
}

int ScriptedFrontEnd::RunEpsFileNameDialog() {
    const auto a = next_dialog_answer("Type EPS file name.");
    if (!a) return 2;
    if (a->result != 2) core::FrontEndCommandBuffer.set(a->name);
    return a->result;
}

int ScriptedFrontEnd::RunOutputFileNameDialog() {
    const auto a = next_dialog_answer("Type output file name.");
    if (!a) return 2;
    if (a->result != 2) core::FrontEndCommandBuffer.set(a->name);
    return a->result;
}

int ScriptedFrontEnd::RunMacroFileDialog() {
    const auto a = next_dialog_answer("MACRO");
    if (!a) return 2;
    if (a->result != 2) {
        core::FrontEndCommandBuffer.set(a->name);
        core::MessageLine.set(a->text.substr(0, 511));
        core::MessageLine(static_cast<int>(std::min<std::size_t>(a->text.size(), 511)) + 1) = '\0';
    }
    return a->result;
}

int ScriptedFrontEnd::RunDontShowAgainNotice() {
    const auto a = next_dialog_answer("Don't show this message again.");
    return a ? a->result : 0;
}

int ScriptedFrontEnd::RunOutOfBoundsNotice() {
    const auto a = next_dialog_answer("Out of bounds");
    return a ? a->result : 0;
}

int ScriptedFrontEnd::RunConvertCode11Dialog(core::Array1<int32_t, 3>& r) {
    const auto a = next_dialog_answer("Convert Code 11");
    if (!a) return 3;
    copy_into(r, a->words);
    return a->result;
}

int ScriptedFrontEnd::RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v) {
    const auto a = next_dialog_answer("Converting Code 11 to Code 9");
    if (!a) return -1;
    copy_into(v, a->words);
    return a->result;
}

int ScriptedFrontEnd::RunDecombineFileDialog() {
    const auto a = next_dialog_answer("Decombine File");
    if (!a) return 2;
    if (a->result != 2) core::MessageLine.set(a->text);
    return a->result;
}

int ScriptedFrontEnd::RunPageImageHeightDialog(core::Array1<float, 19>& values) {
    const auto a = next_dialog_answer("Height of page image.");
    if (!a) return 2;
    copy_into(values, a->reals);
    return a->result;
}

// The answer's reals replace the block's first words; its text is the data line.
int ScriptedFrontEnd::RunParameterEditor(core::Array1<float, 30>& block, int page) {
    parameter_page.assign(block.data(), block.data() + 30);
    const auto a = next_dialog_answer(page > 0 ? "P21 - 30" : (page < 0 ? "P1 - 10" : "P11- 20"));
    if (!a) return 2;
    copy_into(block, a->reals);
    if (a->result != 2) core::MessageLine.set(a->text);
    return a->result;
}

int ScriptedFrontEnd::RunPreferencesDialog(core::Array1<int32_t, 32>& block_a,
                                           core::Array1<int32_t, 32>& block_b) {
    const auto a = next_dialog_answer("Preferences");
    if (!a) return 2;
    copy_into(block_a, a->words);
    copy_into(block_b, a->words2);
    return a->result;
}

int ScriptedFrontEnd::RunRippleBarsDialog(core::Array1<int32_t, 5>& values) {
    const auto a = next_dialog_answer("Ripple bars.");
    if (!a) return 2;
    copy_into(values, a->words);
    return a->result;
}

int ScriptedFrontEnd::RunSymbolLibraryDialog(int32_t& v) {
    const auto a = next_dialog_answer("Symbol Library");
    if (!a) return 2;
    if (!a->words.empty()) v = a->words.front();
    return a->result;
}

int ScriptedFrontEnd::RunSpacingRangeDialog(core::Array1<int32_t, 8>& words) {
    dialog_words.assign(words.data(), words.data() + 8);
    const auto a = next_dialog_answer("Spacing range");
    if (!a) return 2;
    copy_into(words, a->words);
    return a->result;
}

int ScriptedFrontEnd::RunMusicInputDialog() {
    const std::string_view prompt = core::FrontEndCommandBuffer.view();
    const std::string_view line = core::MessageLine.view();
    MusicInputRecord shown;
    shown.prompt = std::string(prompt.substr(0, std::min(prompt.find('\0'), prompt.size())));
    shown.prompt.erase(shown.prompt.find_last_not_of(' ') + 1);
    shown.line = std::string(line.substr(0, std::min(line.find('\0'), line.size())));
    music_inputs.push_back(shown);
    core::MessageLine.blank();
    const auto a = next_dialog_answer("Kelda Input");
    if (!a) return 2;
    if (a->result == 2) return 2;
    const std::string typed = (a->keep_text ? shown.line : a->text).substr(0, 511);
    core::MessageLine.set(typed);
    core::MessageLine(static_cast<int>(typed.size()) + 1) = '\0';
    return a->result;
}

int ScriptedFrontEnd::RunAddBarLinesDialog(core::Array1<int32_t, 4>& words) {
    dialog_words.assign(words.data(), words.data() + 4);
    const auto a = next_dialog_answer("Add Bar Lines");
    if (!a) return 2;
    copy_into(words, a->words);
    return a->result;
}

int ScriptedFrontEnd::RunPrintSetupDialog(core::ArrayRange<int32_t, 0, 23>& ints,
                                          core::ArrayRange<float, 0, 23>& reals,
                                          core::FixedText<512>& output_name, int /*flag*/) {
    dialog_words.clear();
    for (int k = 0; k <= 23; ++k) dialog_words.push_back(ints(k));
    // As the dialog does: the page box (display units) is shown and returned in the unit of
    // word 20 (0 inches, 1 centimetres, 2 points).
    const float per_unit = ints(20) == 0 ? 4000.0f : (ints(20) == 1 ? 1574.803f : 55.555f);
    for (int k = 20; k <= 23; ++k) reals(k) /= per_unit;
    dialog_reals.clear();
    for (int k = 0; k <= 23; ++k) dialog_reals.push_back(reals(k));
    dialog_output_name = output_name.trimmed();
    dialog_header = core::FrontEndCommandBuffer.trimmed();
    const auto a = next_dialog_answer("Print Setup");
    if (!a) return 2;
    for (std::size_t k = 0; k < a->words.size() && k < 24; ++k)
        ints(static_cast<int>(k)) = a->words[k];
    for (std::size_t k = 0; k < a->reals.size() && k < 24; ++k)
        reals(static_cast<int>(k)) = a->reals[k];
    if (!a->name.empty()) output_name.set(a->name);
    if (!a->header.empty()) core::FrontEndCommandBuffer.set(a->header);
    if (!a->text.empty()) core::MessageLine.set(a->text);
    return a->result;
}

int ScriptedFrontEnd::RunPathListDialog(int32_t& slot,
                                        core::Array1<core::FixedText<512>, 9>& folders,
                                        const core::FixedText<512>& /*current*/) {
    const auto a = next_dialog_answer("Path List");
    if (!a) return 2;
    if (!a->words.empty()) slot = a->words[0];
    if (!a->name.empty() && slot >= 1 && slot <= 9) folders(slot).set(a->name);
    return a->result;
}

int ScriptedFrontEnd::RunSelectCodesDialog(core::Array1<int32_t, 19>& codes) {
    const auto a = next_dialog_answer("Select Code Numbers");
    if (!a) return 2;
    codes.fill(0);
    for (std::size_t k = 0; k < a->words.size() && k < 19; ++k)
        codes(static_cast<int>(k) + 1) = a->words[k];
    return a->result;
}

int ScriptedFrontEnd::RunCombineFilesDialog() {
    const auto a = next_dialog_answer("Combine Files");
    if (!a) return 2;
    core::MessageLine.set(a->name);
    core::FrontEndCommandBuffer.set(a->text);
    return a->result;
}

int ScriptedFrontEnd::RunIfCommandDialog(const core::FixedText<512>& /*question*/,
                                         core::Array1<core::FixedText<48>, 14>& fields) {
    dialog_if_fields.clear();
    for (int k = 1; k <= 14; ++k) dialog_if_fields.push_back(fields(k).trimmed());
    const auto a = next_dialog_answer("IF command");
    if (!a) return 2;
    if (!a->name.empty()) fields(2).set(a->name);
    if (!a->text.empty()) fields(14).set(a->text);
    return a->result;
}

int ScriptedFrontEnd::RunSoundDialog(core::Array1<int32_t, 64>& settings,
                                     core::Array1<int32_t, 256>& staves) {
    dialog_words.assign(staves.data(), staves.data() + 256);
    const auto a = next_dialog_answer("Sound");
    if (!a) return 2;
    if (a->result == 2) return 2;
    copy_into(settings, a->words);
    copy_into(staves, a->words2);
    if (!a->name.empty()) output::MidiFileName.set(a->name);
    return a->result;
}

int ScriptedFrontEnd::RunVerticalJustifyDialog(core::Array1<int32_t, 19>& a) {
    dialog_words.assign(a.data(), a.data() + 19);
    const auto answer = next_dialog_answer("Vertical Justify");
    if (!answer) return 2;
    copy_into(a, answer->words);
    return answer->result;
}

int ScriptedFrontEnd::RunSeparateVoicesDialog(core::Array1<int32_t, 7>& a) {
    dialog_words.assign(a.data(), a.data() + 7);
    const auto answer = next_dialog_answer("Separate Voices");
    if (!answer) return 2;
    copy_into(a, answer->words);
    return answer->result;
}

int ScriptedFrontEnd::RunSeparateVoicesNewStaffDialog(core::Array1<int32_t, 7>& a) {
    dialog_words.assign(a.data(), a.data() + 7);
    const auto answer = next_dialog_answer("Separate Voices, Create New Staff");
    if (!answer) return 2;
    const int32_t w5 = a(5);
    const int32_t w6 = a(6);
    copy_into(a, answer->words);
    a(5) = w5;
    a(6) = w6;
    return answer->result;
}

int ScriptedFrontEnd::RunBoundingBoxDialog(int32_t& unit, core::Array1<float, 4>& box,
                                           int32_t& mode) {
    dialog_words = {unit};
    dialog_reals.assign(box.data(), box.data() + 4);
    const auto answer = next_dialog_answer("Bounding Box Outline");
    if (!answer) return 2;
    if (!answer->words.empty()) unit = answer->words[0];
    mode = answer->words.size() > 1 ? answer->words[1] : 0;
    for (std::size_t k = 0; k < answer->reals.size() && k < 4; ++k)
        box(static_cast<int>(k) + 1) = answer->reals[k];
    return answer->result;
}

int ScriptedFrontEnd::RunRecentFilesDialog(int32_t& choice) {
    const auto answer = next_dialog_answer("Recent Files");
    if (!answer) {
        choice = 0;
        return 2;
    }
    if (!answer->words.empty()) choice = answer->words.front();
    return answer->result;
}

namespace {

std::string shown_line(std::string_view line) {
    std::string text(line.substr(0, std::min(line.find('\0'), line.size())));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The answer's text into MessageLine, NUL-ended (keep_text: the line shown stays).
int answer_text(const std::optional<ScriptedFrontEnd::DialogAnswer>& a, const std::string& shown) {
    core::MessageLine.blank();
    if (!a || a->result == 2) return 2;
    const std::string typed = (a->keep_text ? shown : a->text).substr(0, 511);
    core::MessageLine.set(typed);
    core::MessageLine(static_cast<int>(typed.size()) + 1) = '\0';
    return a->result;
}

}  // namespace

int ScriptedFrontEnd::RunTextInputDialog(core::Array1<float, 19>& b) {
    dialog_text = shown_line(core::MessageLine.view());
    dialog_reals.assign(b.data(), b.data() + 19);
    const auto a = next_dialog_answer("Text Input");
    if (a && a->result != 2) {
        for (std::size_t k = 0; k < a->reals.size() && k < 18; ++k)
            b(static_cast<int>(k) + 2) = a->reals[k];
        if (!a->name.empty()) core::FrontEndCommandBuffer.set(a->name);
    }
    return answer_text(a, dialog_text);
}

int ScriptedFrontEnd::RunTextUnitsDialog(const core::FixedText<512>& shown) {
    dialog_text = shown_line(shown.view());
    return answer_text(next_dialog_answer("Type note number for each text unit."), "");
}

int ScriptedFrontEnd::RunEditTextDialog() {
    dialog_text = shown_line(core::MessageLine.view());
    return answer_text(next_dialog_answer("Edit Text"), dialog_text);
}

int ScriptedFrontEnd::RunStaffSpacingDialog() {
    const auto a = next_dialog_answer("Vertical spacing between staves");
    if (!a) return 2;
    if (a->result != 2) {
        core::MessageLine.set(a->name);
        if (a->name.size() < 512) core::MessageLine(static_cast<int>(a->name.size()) + 1) = '\0';
    }
    return a->result;
}

int ScriptedFrontEnd::RunTextFileDialog(std::string_view text) {
    dialog_text = std::string(text);
    const auto a = next_dialog_answer("Text File");
    if (!a) return 2;
    return a->result;
}

int ScriptedFrontEnd::RunTransposeSetupDialog(core::Array1<int32_t, 19>& a) {
    dialog_words.assign(a.data(), a.data() + 19);
    const auto answer = next_dialog_answer("Transpose Setup");
    if (!answer) return 2;
    copy_into(a, answer->words);
    return answer->result;
}

int ScriptedFrontEnd::RunTablatureSetupDialog(core::Array1<int32_t, 20>& a) {
    dialog_words.assign(a.data(), a.data() + 20);
    const auto answer = next_dialog_answer("Tablature setup.");
    if (!answer) return 2;
    copy_into(a, answer->words);
    return answer->result;
}

int ScriptedFrontEnd::RunPaperSizeDialog(core::Array1<float, 3>& custom) {
    dialog_reals.assign(custom.data(), custom.data() + 3);
    const auto answer = next_dialog_answer("Paper Size");
    if (!answer) return 0;
    for (std::size_t k = 0; k < answer->reals.size() && k < 3; ++k)
        custom(static_cast<int>(k) + 1) = answer->reals[k];
    return answer->result;
}

int ScriptedFrontEnd::RunMeasureNumbersDialog(core::Array1<int32_t, 19>& a) {
    dialog_words.assign(a.data(), a.data() + 19);
    const auto answer = next_dialog_answer("Measure numbers");
    if (!answer) return 2;
    copy_into(a, answer->words);
    return answer->result;
}

int ScriptedFrontEnd::RunMusDirDialog(const std::vector<std::string>& entries, int32_t& choice) {
    dialog_entries = entries;
    const auto answer = next_dialog_answer("MusDir");
    choice = 0;
    if (!answer) return 2;
    if (!answer->words.empty()) choice = answer->words.front();
    return answer->result;
}

int ScriptedFrontEnd::RunStepsToMoveDialog(core::Array1<float, 4>& box) {
    dialog_reals.assign(box.data(), box.data() + 4);
    const auto answer = next_dialog_answer("Steps to move");
    if (!answer) return 2;
    for (std::size_t k = 0; k < answer->reals.size() && k < 4; ++k)
        box(static_cast<int>(k) + 1) = answer->reals[k];
    return answer->result;
}
