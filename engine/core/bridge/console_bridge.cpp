// The console bridge: every prompt, preset, wait, message and question the engine puts to the
// user passes through here on its way to the FrontEndPort.
#include "engine/core/bridge/console_bridge.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/key_words.h"
#include "engine/core/bridge/shown_page.h"
#include "engine/core/bridge/shown_text.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "platform/file_kind.h"
#include "platform/paths.h"

namespace core {

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';

// The bridge's own buffers for texts handed out. Each has room for a NUL after its longest
// text, so the front-end never reads past one.
struct ConsoleBuffersRecord {
    std::array<char, kLineBufferChars + 1> prompt{};
    std::array<char, kLineBufferChars + 1> preset{};
    std::array<char, kLineBufferChars + 1> message{};
    std::array<char, 64> unknown_word{};
    std::array<char, 128> question{};
};
ConsoleBuffersRecord ConsoleBuffers;

// Wiring, not state: an engine reset leaves it alone.
PageKeeper KeepPageForCommandFile = nullptr;

// The text up to its first NUL.
std::string_view up_to_nul(std::string_view text) {
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// Copies text up to its first NUL into buffer, cut between letters to leave room for the
// closing NUL.
template <std::size_t Cap>
const char* fill_buffer(std::array<char, Cap>& buffer, std::string_view text) {
    const std::string_view t = head_by_letters(up_to_nul(text), Cap - 1);
    std::copy(t.begin(), t.end(), buffer.begin());
    buffer[t.size()] = '\0';
    return buffer.data();
}

// Puts a NUL after the first n characters of a line, when there is room in the field.
template <int N>
void terminate_after(FixedText<N>& line, int32_t n) {
    if (n >= 0 && n < N) line(n + 1) = '\0';
}

std::string_view trim_right(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Builds the question of confirm_discard for kind into CommandLine(1..84).
void build_discard_question(int32_t kind) {
    static constexpr std::string_view kUnsaved =
        "Warning: Unsaved entries or changes will be lost.";
    std::string q;
    if (kind == 1 || kind == 3) {
        q = std::string(kUnsaved) + kCR + kLF + "Clear or Load new file?";
    } else if (kind == 2 || kind == 5 || kind == 6) {
        q = "FILE EXISTS - Write over file? - " + std::string(SecondLine.sub(1, 51));
    } else if (kind == 4) {
        q = std::string(SecondLine.sub(7, 11)) + " exists - Write over file? - ";
    } else {
        q = std::string(kUnsaved) + "  Exit KELDA program?";
    }
    CommandLine.put(1, 84, q);
}

}  // namespace

void report_file_not_found(const FixedText<128>& name) { report_file_not_found(name.view()); }

void report_file_not_found(std::string_view name) {
    report_failure("File not found --> " + std::string(trim_right(name)));
}

std::string unreadable_file_message(std::string_view name) {
    const std::string shown(trim_right(up_to_nul(name)));
    const platform::FileKind kind = platform::file_kind(platform::local_path(shown));
    if (kind == platform::FileKind::Readable || kind == platform::FileKind::Missing)
        return "File not found --> " + shown;
    // A name too long for the message shows its end, so that the reason is never the part
    // cut off.
    const auto fitted = [&shown](std::string_view front, std::string_view reason) {
        const std::size_t room =
            static_cast<std::size_t>(kLineBufferChars) - front.size() - reason.size();
        return std::string(front) + shown_end(shown, room) + std::string(reason);
    };
    // The system's own words, as a failed save gives them.
    if (kind == platform::FileKind::TooLong)
        return fitted("File not found --> ", ": File name too long");
    return fitted("*** ", " " + std::string(platform::file_kind_text(kind)) + ".");
}

void report_unreadable_file(std::string_view name) {
    report_failure(unreadable_file_message(name));
}

std::string long_line_message(int64_t line_number) {
    return "*** Line " + std::to_string(line_number) + " is longer than " +
           std::to_string(kLineBufferChars) + " characters: the rest was left out.";
}

namespace {
// The kept part of the line read last, blanks around it aside, when that line was cut.
std::string g_cut_line;
bool g_line_cut = false;

std::string_view trimmed_view(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool same_letters(char a, char b) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return upper(a) == upper(b);
}
}  // namespace

std::string_view kept_part_of_line(std::string_view line) {
    return head_by_letters(line, static_cast<std::size_t>(kLineBufferChars));
}

void note_line_read(std::string_view line) {
    g_line_cut = line.size() > static_cast<std::size_t>(kLineBufferChars);
    g_cut_line = g_line_cut ? std::string(trimmed_view(kept_part_of_line(line))) : "";
}

bool is_cut_line(std::string_view answer) {
    if (!g_line_cut) return false;
    answer = trimmed_view(answer.substr(0, answer.find('\0')));
    if (answer.empty()) return false;
    if (answer.starts_with(kCutLineAnswer)) return true;
    // The question may have taken the line's first part only, or the line whole.
    const std::size_t n = std::min(answer.size(), g_cut_line.size());
    for (std::size_t k = 0; k < n; ++k)
        if (!same_letters(answer[k], g_cut_line[k])) return false;
    return true;
}

std::string cut_line_shown(std::string_view line) {
    constexpr std::size_t kShown = 40;
    line = trimmed_view(line.substr(0, line.find('\0')));
    if (line.starts_with(kCutLineAnswer)) line = g_cut_line;
    return std::string(trimmed_view(head_by_letters(line, kShown))) + " ... (cut at " +
           std::to_string(kLineBufferChars) + " characters)";
}

bool take_answer_line(std::string& line, int64_t line_number) {
    if (line.size() <= static_cast<std::size_t>(kLineBufferChars)) return false;
    name_untaken_line(long_line_message(line_number));
    line = kCutLineAnswer;
    return true;
}

std::string with_cut_line_shown(std::string_view text) {
    std::string shown;
    for (std::size_t at = text.find(kCutLineAnswer); at != std::string_view::npos;
         at = text.find(kCutLineAnswer)) {
        shown += text.substr(0, at);
        shown += cut_line_shown(kCutLineAnswer);
        text.remove_prefix(at + kCutLineAnswer.size());
    }
    return shown += text;
}

void report_damaged_file(std::string_view path) {
    report_failure(std::string(kDamagedFileMessage) + std::string(trim_right(path)));
}

void refresh_screen() {
    if (MacroUnit != -2) front_end().RefreshDisplayFromEngine();
}

void cut_input_to_marker() { front_end().TrimInputToMarker(); }

int32_t command_line_length() { return front_end().GetInputTextLength(); }

void set_engine_wait_level(int32_t level) {
    if (has_front_end()) {
        front_end().SetEngineWaitLevel(level);
    } else {
        EngineWaitLevel = level;
    }
}

// Failures and notices shown to the user so far; a word compares it with the count at its start.
int32_t RepliesSaid = 0;
// Failures told so far, however they were told.
int32_t FailuresTold = 0;

namespace {
// The one place a reply's kind marks the run: every route that shows a reply calls it first.
// A failure or notice shown is counted as said (a question asks, it tells nothing).
void note_reply_kind(ReplyKind kind) {
    if (kind == ReplyKind::Failure) mark_failure();
    if (kind == ReplyKind::Notice) ++RepliesSaid;
}

// The kind of the prompt the message line shows, for show_prompt_again.
ReplyKind PromptKind = ReplyKind::Question;
}  // namespace

void show_prompt(ReplyKind kind, std::string_view text) {
    note_reply_kind(kind);
    PromptKind = kind;
    front_end().SetMessageLineText(kind, fill_buffer(ConsoleBuffers.prompt, text));
    CommandStatusWord = 0;
}

void show_line_reply(ReplyKind kind, std::string_view text) {
    note_reply_kind(kind);
    if (has_front_end()) front_end().SetMessageLineText(kind, std::string(text).c_str());
}

void show_prompt_again() {
    front_end().SetMessageLineText(PromptKind, ConsoleBuffers.prompt.data());
    CommandStatusWord = 0;
}

// The preset buffer keeps the caller's text; the edit is given CommandLine up to its NUL (the
// two are the same line for every caller that presets its own answer).
void preset_answer(const FixedText<512>& text, int32_t n) {
    terminate_after(CommandLine, std::max(n, 0));
    fill_buffer(ConsoleBuffers.preset, text.view());
    const std::string edit(up_to_nul(CommandLine.view()));
    front_end().SetInputText(edit.c_str());
    CommandStatusWord = 0;
}

void preset_answer_selected(const FixedText<512>& text, int32_t n, int32_t sel_start,
                            int32_t sel_end) {
    if (n <= 0) {
        CommandLine.blank();
        CommandLine(1) = '\0';
    } else {
        terminate_after(CommandLine, n);
    }
    fill_buffer(ConsoleBuffers.preset, text.view());
    const std::string edit(up_to_nul(CommandLine.view()));
    front_end().SetInputTextAndSelection(edit.c_str(), sel_start, sel_end);
    CommandStatusWord = 0;
}

// The preset is CommandLine without the trailing characters not above blank; the caret stands
// after it. A closing application leaves whatever line the wait gave back.
void ask_line_trimmed(const FixedText<512>& prompt) {
    SecondLine = prompt;
    int32_t m = kLineBufferChars;
    while (m > 0 && CommandLine.code(m) <= ' ') --m;
    terminate_after(CommandLine, m);
    if (front_end().WaitForLineEdit(CommandLine, SecondLine, m, m) < 0 &&
        front_end().ApplicationClosing()) {
        ApplicationClosingWord = 1;
    }
    int32_t cr = 0;
    for (int32_t k = 1; k <= kLineBufferChars; ++k) {
        if (CommandLine(k) == kCR) {
            cr = k;
            break;
        }
    }
    if (cr > 0) CommandLine.put(cr, kLineBufferChars, "");
    CommandModeLetters(2) = cr;
}

void ask_line_blank(const FixedText<512>& prompt) {
    CommandLine.blank();
    CommandLine(2) = '\0';
    cut_input_to_marker();
    ask_line_trimmed(prompt);
}

// A prompt without a NUL presets its text without the trailing blanks.
void ask_line_with_edit(const FixedText<512>& prompt, int32_t& flag) {
    SecondLine = prompt;
    CommandLine = prompt;
    int32_t caret = 0;
    if (flag != 0) {
        const std::size_t nul = CommandLine.view().find('\0');
        if (nul != std::string_view::npos) {
            caret = static_cast<int32_t>(nul);
        } else {
            caret = CommandLine.trimmed_length();
            terminate_after(CommandLine, caret);
        }
    } else {
        CommandLine(1) = '\0';
    }
    flag = front_end().WaitForLineEdit(CommandLine, SecondLine, caret, caret);
    if (flag < 0 && front_end().ApplicationClosing()) ApplicationClosingWord = 1;
}

void wait_for_command_in_second_line() {
    FrontEndPort& fe = front_end();
    InputKeyWord = 0;
    EngineKeyWord = 0;
    if (ApplicationClosingWord != 0 || fe.ApplicationClosing()) {
        ApplicationClosingWord = 1;
        SecondLine.blank();
        return;
    }
    fe.WaitForCommandOrKey(SecondLine, 0);
    if (fe.ApplicationClosing()) {
        ApplicationClosingWord = 1;
        SecondLine.blank();
        return;
    }
    const int32_t code = fe.LastKeyCode();
    if (code == 0) return;  // a command text
    InputKeyWord = code;
    EngineKeyWord = fe.LastKeyDownWord();
}

bool wait_for_input_key_or_command() {
    wait_for_command_in_second_line();
    if (ApplicationClosingWord != 0) {
        EngineWaitLevel = 0;
        return false;
    }
    // A text the window deposited ends at its NUL: the click "~" is the click, not "~" and a
    // character no routine knows, and no NUL goes into a typed line.
    const std::size_t nul = SecondLine.view().find('\0');
    if (nul != std::string_view::npos) {
        for (int32_t k = static_cast<int32_t>(nul) + 1; k <= SecondLine.size(); ++k)
            SecondLine(k) = ' ';
    }
    const int32_t code = key_token_code(SecondLine);
    if (code < 0) return true;
    SecondLine.blank();
    SecondLine(1) = static_cast<char>(code);
    InputKeyWord = static_cast<int8_t>(static_cast<uint8_t>(code));
    EngineKeyWord = key_down_word_for_code(code);
    return true;
}

const FrontEndPort* FrontEndWithoutView = nullptr;

bool lists_shown_while_waiting() { return !has_front_end() || &front_end() != FrontEndWithoutView; }

bool page_shown_in_view() { return !has_front_end() || &front_end() != FrontEndWithoutView; }

int32_t MessagesShown = 0;

namespace {
// The one road of every message box: the port is given the kind, and the caller has marked the
// run for a failure.
int32_t show_box(ReplyKind kind, std::string_view text) {
    ++MessagesShown;
    return front_end().ShowMessageBox(kind, fill_buffer(ConsoleBuffers.message, text));
}
}  // namespace

int32_t replies_said() { return RepliesSaid; }

int32_t show_message(ReplyKind kind, std::string_view text) {
    note_reply_kind(kind);
    return show_box(kind, text);
}

ReplyKind LeftReplyKind = ReplyKind::Notice;

void leave_reply(ReplyKind kind, std::string_view text) {
    if (kind == ReplyKind::Failure) mark_failure();
    LeftReplyKind = kind;
    MessageLine.set(head_by_letters(text, MessageLine.size()));
}

void set_exchange_text(std::string_view text) { MessageLine.set(text); }

void clear_exchange_text() { MessageLine.blank(); }

int32_t show_notice(std::string_view text) { return show_message(ReplyKind::Notice, text); }

bool line_from_script() {
    return MacroUnit != DefaultMacroUnit || !has_front_end() || front_end().InputIsScript();
}

// The one place where a named line marks the run; the console's end reads the mark.
void mark_untaken_line() {
    ++RepliesSaid;
    if (line_from_script()) mark_run_failed();
}

// A line typed at the keys was seen refused: the reply is a failure, and the run stays as it is.
int32_t name_untaken_line(std::string_view text) {
    mark_untaken_line();
    return show_box(ReplyKind::Failure, text);
}

void mark_failure() {
    ++RepliesSaid;
    ++FailuresTold;
    mark_run_failed();
}

int32_t failures_told() { return FailuresTold; }

int32_t report_failure(std::string_view text) { return show_message(ReplyKind::Failure, text); }

int32_t report_page_full(std::string_view what_was_not_done) {
    std::string text = "**** The page is full: ";
    text.append(what_was_not_done);
    text += '.';
    return report_failure(text);
}

bool window_at_hand() {
    if (page_shown_in_view()) return true;
    const auto first_word = [](const std::string& line) {
        const std::size_t from = line.find_first_not_of(" \t");
        return from == std::string::npos
                   ? std::string()
                   : line.substr(from, line.find_first_of(" \t", from) - from);
    };
    // The scan writes the line's numbers as "*" ("UP 3" becomes "UP*"): the word is named as it
    // came in, when the line as read is this command's.
    std::string word = first_word(CommandLine.trimmed());
    const std::string typed = first_word(line_as_read());
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (!typed.empty() && !word.empty() && upper(typed.front()) == word.front()) word = typed;
    report_failure(word + " needs the window: cancelled.");
    return false;
}

void report_unknown_word(const FixedText<9>& word) {
    std::string text = "ERROR -- unknown word in this context: ";
    text.append(word.view());
    mark_untaken_line();
    front_end().ShowMessageBox(ReplyKind::Failure, fill_buffer(ConsoleBuffers.unknown_word, text));
}

void convert_bars_to_newlines(FixedText<160>& text) {
    int32_t i = 1;
    while (i < 160) {
        if (text(i) == '|' && text(i + 1) == '|') {
            text(i) = kCR;
            text(i + 1) = kLF;
            i += 2;
        } else {
            ++i;
        }
    }
}

void set_page_keeper(PageKeeper keeper) { KeepPageForCommandFile = keeper; }

// Kinds (see the header): 1 and 0 or below are skipped on an empty page; 1, 0 and below, 2 and 4
// while a command file runs (unsaved changes that kind 1 drops there are kept by the page keeper
// first); 1 and 3 without unsaved changes. Overwriting an existing file (2,
// 4) is always asked outside command files, even on an empty page: the file on disk is what
// would be lost. Reads ItemCount, MacroUnit, ChangesMadeFlag; writes ChangesMadeFlag (on Yes),
// CommandModeLetters(1) and CommandStateWord (whenever asked). CommandLine and SecondLine are
// parked on SaveStack around the question and come back unchanged.
int32_t confirm_discard(int32_t kind) {
    const bool command_file = MacroUnit != DefaultMacroUnit;
    const bool empty_page = ItemCount == 0;
    if (kind <= 1 && empty_page) return -1;
    if (kind <= 1 && command_file) {
        // Files are written to run unattended: the page is kept, never asked about.
        if (kind != 1 || ChangesMadeFlag == 0 || KeepPageForCommandFile == nullptr) return -1;
        std::string told;
        const bool kept = KeepPageForCommandFile(told);
        if (!told.empty()) show_notice(told);
        return kept ? -1 : 0;
    }
    if ((kind == 2 || kind == 4) && command_file) return -1;
    if ((kind == 1 || kind == 3) && ChangesMadeFlag == 0) return -1;

    constexpr int32_t kParkedWords = 25;  // 100 characters of each line
    push_words(kParkedWords, SecondLine.data());
    push_words(kParkedWords, CommandLine.data());
    build_discard_question(kind);
    int32_t answer = 0;
    try {
        const std::string_view q = trim_right(up_to_nul(CommandLine.sub(1, 84)));
        answer = front_end().AskYesNo(fill_buffer(ConsoleBuffers.question, q), 1);
    } catch (...) {
        pop_words(kParkedWords, CommandLine.data());
        pop_words(kParkedWords, SecondLine.data());
        throw;
    }
    pop_words(kParkedWords, CommandLine.data());
    pop_words(kParkedWords, SecondLine.data());

    if (answer == -1) ChangesMadeFlag = 0;
    CommandModeLetters(1) = 0;
    CommandStateWord = 0;
    return answer;
}

void ask_file_name(const FixedText<128>& prompt) {
    if (IntParamBuffer(50) != -1234) MessageLine.blank();
    CommandLine.blank();
    // The dialog's copy of the prompt ends in a NUL when it has room for one.
    FixedText<128> dialog_prompt = prompt;
    terminate_after(dialog_prompt,
                    static_cast<int32_t>(trim_right(up_to_nul(prompt.view())).size()));
    const int32_t result = front_end().RunDrawingFileNameDialog(dialog_prompt);
    CommandLine(1) = static_cast<char>(result & 0xFF);
    if (result == 2) return;
    // A cut line names no file: the word ends as at Cancel, nothing read or written.
    if (is_cut_line(MessageLine.view())) {
        MessageLine.blank();
        CommandLine(1) = static_cast<char>(2);
        return;
    }
    CommandLine = MessageLine;
}

void ask_file_name_blank_on_cancel() {
    ask_file_name(FixedText<128>("Type Filename."));
    if (CommandLine.code(1) < ' ') CommandLine(1) = ' ';
}

// A name whose second character is a blank (before any NUL) is left alone. A name too long to
// take the four characters of the extension within 128 is kept whole without one: cutting the
// name or the extension would name a different file.
void append_name_extension(FixedText<128>& name, std::string_view ext) {
    const std::size_t nul_at = name.view().find('\0');
    const int32_t end = nul_at == std::string_view::npos ? 129 : static_cast<int32_t>(nul_at) + 1;
    if (end > 2 && name(2) == ' ') return;
    int32_t last = end - 1;
    while (last > 0 && name.code(last) <= ' ') --last;
    if (last + 4 > 128) {
        name.put(last + 1, 128, "");
        return;
    }
    name(last + 1) = '.';
    name.put(last + 2, last + 4, ext.substr(0, 3));
    name.put(last + 5, 128, "");
}

void write_saved_mark() {
    if ((CommandStateWord >= 1 && CommandStateWord <= 7) ||
        (CommandStateWord >= 9 && CommandStateWord <= 11))
        return;
    if (!unit_is_open(kStandardOutputUnit)) return;
    write_record(kStandardOutputUnit, ChangesMadeFlag != 0 ? "       " : "(SAVED)");
}

}  // namespace core
