// The console's command-bar services: prompts, the input edit, waits, questions and dialogs.
#include "console/console_front_end.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <new>
#include <ostream>
#include <sstream>

#include <poll.h>

#include "engine/commands/files/end_backup.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/key_words.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/bridge/shown_page.h"
#include "engine/core/bridge/shown_text.h"
#include "engine/core/bridge/yes_no_line.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/word_start_page.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/render/page/eps_items.h"
#include "output/midi_tables.h"
#include "output/output_choice.h"
#include "platform/end_signals.h"
#include "platform/work_copies.h"

namespace {

constexpr std::size_t kMacroTextChars = 511;  // MessageLine less the closing NUL

std::string_view up_to_nul(std::string_view text) {
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string_view trim_right(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// An answer goes to the engine NUL-ended, as the window's dialogs hand it over; a line that
// fills MessageLine has no room left for the NUL.
void hand_answer_over(const std::string& line) {
    core::set_exchange_text(
        line.size() < static_cast<std::size_t>(core::MessageLine.size()) ? line + '\0' : line);
}

std::string_view safe(const char* text) { return text == nullptr ? std::string_view() : text; }

// First non-blank character of an answer, upper-cased; 0 for a blank answer.
char answer_letter(const std::string& line) {
    for (char c : line) {
        if (c != ' ' && c != '\t') return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    return 0;
}

void read_number(const std::string& text, int32_t& word) { core::read_field_number(text, word); }

// "X" alone (blanks aside) is a dialog's Cancel: a script has no Cancel button to press.
bool is_cancel(const std::string& line) { return core::is_bare_x(line); }

// The text of a front-end line: up to its NUL, without trailing blanks.
template <int N>
std::string line_text(const core::FixedText<N>& line) {
    return std::string(trim_right(up_to_nul(line.view())));
}

}  // namespace

// Printed here, not through the engine's message box: the dialogs run before the console is
// the connected front-end too.
void ConsoleFrontEnd::name_untaken(std::string_view text) {
    print_text(core::ReplyKind::Failure, text);
}

// Contract: see the header. A line of whole numbers is read whole ("1e1" is 10). Otherwise, at
// a terminal a field that is no number keeps its word, as the window's fields do; a script's
// line is not read at all, since nobody sees which field stayed.
template <int N>
bool ConsoleFrontEnd::read_numbers(const std::string& line, core::Array1<int32_t, N>& words,
                                   int first, int count, std::string_view prompt,
                                   std::string_view outcome) {
    std::vector<int32_t> whole;
    std::istringstream fields(line);
    std::string field;
    float value = 0.0f;
    while (fields >> field) {
        // A fraction is a number: its whole part is taken, as the fields always took it.
        if (static_cast<int>(whole.size()) == count || !core::read_number_whole(field, value) ||
            std::fabs(value) >= 2147483648.0f) {
            // A command file's line is a script's even at a terminal.
            if (!at_terminal_ || last_line_from_file_) {
                name_untaken(core::number_non_answer_text(prompt, line, outcome));
                return false;
            }
            std::istringstream typed(line);
            for (int k = first; k < first + count && typed >> field; ++k)
                read_number(field, words(k));
            return true;
        }
        whole.push_back(static_cast<int32_t>(value));
    }
    for (std::size_t k = 0; k < whole.size(); ++k) words(first + static_cast<int>(k)) = whole[k];
    return true;
}

ConsoleFrontEnd::ConsoleFrontEnd(std::istream& in, std::ostream& out)
    : in_(in),
      out_(out),
      graphics_(static_cast<int32_t*>(std::calloc(core::kGraphicsListWords, sizeof(int32_t)))),
      text_stream_(static_cast<uint8_t*>(std::calloc(core::kTextStreamBytes, 1))) {
    if (!graphics_ || !text_stream_) throw std::bad_alloc();
    core::FrontEndWithoutView = this;
    output::set_midi_player_host(&midi_files_);
}

ConsoleFrontEnd::~ConsoleFrontEnd() {
    if (core::FrontEndWithoutView == this) core::FrontEndWithoutView = nullptr;
    if (output::midi_player_host() == &midi_files_) output::set_midi_player_host(nullptr);
}

// Told only once the file is written: a page without notes, or a failed write, writes none.
void ConsoleFrontEnd::MidiFileReporter::PlayFile(const std::string& path) {
    console_.print_text(core::ReplyKind::Notice, "MIDI file written: " + path);
}

// Contract: see the header. Reads character by character so that a lone CR ends a line as LF
// and CR LF do; the LF of a CR LF is skipped when the next line is read, never waited for, so
// an interactive input is not held up after a CR.
bool ConsoleFrontEnd::read_line(std::string& line, bool blank_answers) {
    if (!read_whole_line(line, blank_answers)) return false;
    // A command file's answers come cut from the file's own reader.
    if (in_call_ && !last_line_from_file_) core::take_answer_line(line, line_number_);
    return true;
}

bool ConsoleFrontEnd::read_whole_line(std::string& line, bool blank_answers) {
    using traits = std::istream::traits_type;
    out_.flush();
    line.clear();
    if (file_answer_missing_) return false;
    last_line_from_file_ = false;
    if (in_call_ && core::command_file_open()) {
        if (core::next_command_file_answer(line, blank_answers)) {
            last_line_from_file_ = true;
            return true;
        }
        file_answer_missing_ = true;
        core::note_word_left_unanswered();
        print_aside(core::ReplyKind::Notice,
                    "*** The command file ended before this was answered: " + waiting_for_);
        return false;
    }
    if (line_held_) {
        line_held_ = false;
        line.swap(held_line_);
        core::note_line_read(line);
        return true;
    }
    if (input_ended_) {
        if (in_call_) core::note_word_left_unanswered();
        return false;
    }
    // Input that never makes us wait (a command file) must not hide an end signal.
    if (const int sig = platform::take_end_signal(); sig != 0) end_by_signal(sig);
    traits::int_type c = next_char();
    if (after_cr_ && c == '\n') c = next_char();
    after_cr_ = false;
    if (traits::eq_int_type(c, traits::eof())) {
        // A signal raised before the input ended wins: closing a terminal hangs it up first.
        if (const int sig = platform::take_end_signal(); sig != 0) end_by_signal(sig);
        input_ended_ = true;
        if (in_call_) {
            note_unanswered(waiting_for_);
            core::note_word_left_unanswered();
        }
        return false;
    }
    for (; !traits::eq_int_type(c, traits::eof()); c = next_char()) {
        if (c == '\n') break;
        if (c == '\r') {
            after_cr_ = true;
            break;
        }
        line.push_back(traits::to_char_type(c));
    }
    ++line_number_;
    core::note_line_read(line);
    return true;
}

void ConsoleFrontEnd::give_back_line(const std::string& line) {
    // A cut line was named where it was read; it runs as no command.
    if (line == core::kCutLineAnswer) return;
    if (last_line_from_file_) {
        core::unread_command_file_answer();
        return;
    }
    held_line_ = line;
    line_held_ = true;
}

// Contract: see the header. The stream's own buffer is asked first (in_avail), so that poll
// only runs when a read would block.
int ConsoleFrontEnd::next_char() {
    const int signal_fd = platform::end_signal_fd();
    while (input_fd_ >= 0 && signal_fd >= 0 && in_.rdbuf()->in_avail() <= 0) {
        pollfd watched[2] = {{input_fd_, POLLIN, 0}, {signal_fd, POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;  // the read below reports what is wrong with the input
        }
        if ((watched[1].revents & POLLIN) != 0) {
            if (const int sig = platform::take_end_signal(); sig != 0) end_by_signal(sig);
        }
        if (watched[0].revents != 0) break;
    }
    return in_.get();
}

void ConsoleFrontEnd::end_by_signal(int sig) {
    const std::string told = core::keep_page_at_end();
    print_aside(core::ReplyKind::Notice, told);
    out_.flush();
    platform::release_work_folder();
    platform::end_as_signal(sig);
}

// The lines a text shows on the screen: up to its NUL, broken at "||", CR LF, a lone CR or LF.
std::vector<std::string> ConsoleFrontEnd::screen_lines(std::string_view text) {
    text = up_to_nul(text);
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '|' && i + 1 < text.size() && text[i + 1] == '|') {
            ++i;
            lines.emplace_back();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

// The first question left unanswered is the one the input ended at; the engine may ask more
// on its way out.
void ConsoleFrontEnd::note_unanswered(const std::string& question) {
    if (unanswered_.empty()) unanswered_ = one_line(question);
}

std::string ConsoleFrontEnd::one_line(std::string_view text) {
    const std::vector<std::string> lines = screen_lines(text);
    // The screen's lines side by side: each without the blanks around it, one blank between.
    std::string joined;
    for (const std::string& l : lines) {
        const std::size_t first = l.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        if (!joined.empty()) joined += ' ';
        joined += trim_right(std::string_view(l).substr(first));
    }
    return joined;
}

// Contract: see the header. The page counts as changed when ChangesMadeFlag says so, also when
// it holds no item (a page emptied and not saved); such a page has no backup to keep.
void ConsoleFrontEnd::end_of_input(bool from_terminal, std::ostream& errors) {
    if (const int sig = platform::take_end_signal(); sig != 0) end_by_signal(sig);
    // Replies first: with both streams on one file the notice comes after the last of them.
    out_.flush();
    if (!unanswered_.empty()) {
        errors << "ormest: the input ended while waiting for: " << core::shown_text(unanswered_)
               << '\n';
        errors.flush();
    }
    if (core::ChangesMadeFlag == 0) return;
    if (from_terminal) {
        const std::string told = core::keep_page_at_end();
        print_aside(core::ReplyKind::Notice, told);
        out_.flush();
    } else {
        const std::string name = core::shown_text(core::CurrentFileName.trimmed());
        if (unanswered_.empty()) {
            errors << "ormest: the input ended and the changes to " << name << " were not saved.\n";
        } else {
            errors << "ormest: the changes to " << name << " were not saved.\n";
        }
        errors.flush();
    }
    // A signal that comes once the page's fate was told only ends the program as it asks: a
    // backup written now would contradict the words just printed.
    if (const int sig = platform::take_end_signal(); sig != 0) {
        platform::release_work_folder();
        platform::end_as_signal(sig);
    }
}

void ConsoleFrontEnd::cut_to_line_buffer(std::string& line) {
    if (line.size() <= static_cast<std::size_t>(core::kLineBufferChars)) return;
    line.resize(core::kept_part_of_line(line).size());
    // The rest of the line was not taken.
    print_aside(core::ReplyKind::Failure, core::long_line_message(line_number_));
}

std::string ConsoleFrontEnd::typed_answer(const std::string& line) {
    std::string answer = line.empty() ? input_text_ : line;
    input_text_.clear();
    return answer;
}

void ConsoleFrontEnd::print_text(core::ReplyKind kind, std::string_view text) {
    print_aside(kind, text);
    if (!trim_right(up_to_nul(text)).empty()) waiting_for_ = one_line(text);
}

void ConsoleFrontEnd::print_aside(core::ReplyKind kind, std::string_view text) {
    std::vector<std::string> lines = screen_lines(text);
    for (std::string& l : lines) l.resize(trim_right(l).size());
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    for (const std::string& l : lines) print_line(kind, l);
}

// A failure names a line not taken: a script's line marks the run, a line typed at the keys was
// seen refused. The engine marks its own failures before it shows them.
void ConsoleFrontEnd::print_line(core::ReplyKind kind, std::string_view l) {
    if (kind == core::ReplyKind::Failure) {
        ++failure_lines_shown_;
        core::mark_untaken_line();
    }
    out_ << core::shown_text(l) << '\n';
}

std::string ConsoleFrontEnd::shown_form(std::string_view text) {
    return std::string(trim_right(up_to_nul(text)));
}

void ConsoleFrontEnd::show_in_message_line(core::ReplyKind kind, std::string_view text) {
    const std::string form = shown_form(text);
    if (form == shown_ || form == last_notice_) return;
    print_text(kind, form);
    shown_ = form;
}

void ConsoleFrontEnd::report_failure(std::string_view text) {
    core::mark_failure();
    print_aside(core::ReplyKind::Failure, text);
}

void ConsoleFrontEnd::report_window_dialog(std::string_view title) {
    report_failure("Dialog \"" + std::string(title) + "\" needs the window: cancelled.");
}

bool ConsoleFrontEnd::fits_whole_name(const std::string& name) {
    if (name.size() <= static_cast<std::size_t>(render::kEpsNameChars)) return true;
    report_failure("File name too long (at most " + std::to_string(render::kEpsNameChars) +
                   " characters): cancelled.");
    return false;
}

void ConsoleFrontEnd::store_whole_name(const std::string& name) {
    core::FrontEndPathBuffer.set(name);
    core::FrontEndCommandBuffer.set(std::string_view(name).substr(
        0, std::min<std::size_t>(name.size(), core::kFrontEndCommandChars)));
}

// -- command bar --

void ConsoleFrontEnd::SetMessageLineText(core::ReplyKind kind, const char* text) {
    shown_ = shown_form(safe(text));
    print_text(kind, shown_);
}

void ConsoleFrontEnd::SetInputText(const char* text) {
    if (!safe(text).empty()) input_text_ = safe(text);
}

void ConsoleFrontEnd::SetInputTextAndSelection(const char* text, int sel_start, int sel_end) {
    input_text_ = safe(text);
}

int ConsoleFrontEnd::GetInputTextLength() { return static_cast<int>(input_text_.size()); }

void ConsoleFrontEnd::TrimInputToMarker() {
    const std::size_t marker = input_text_.rfind('\x0F');
    input_text_ = marker == std::string::npos ? std::string() : input_text_.substr(0, marker + 1);
}

// -- waits --

// A typed line is typed key by key: each wait takes its next character, and keys left over go
// to the next key wait. An empty line is the Enter key; a line that begins with "~~" is a key
// token ("~~nnn" the key nnn) and one that begins with "`" the command text after it; both come
// back as command texts. At the end of input the buffer comes back blank.
int ConsoleFrontEnd::WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) {
    last_key_ = 0;
    last_key_down_ = 0;
    if (pending_keys_.empty()) {
        std::string line;
        if (!read_whole_line(line)) {
            buffer.blank();
            return pass_value;
        }
        cut_to_line_buffer(line);
        if (line.empty()) {
            take_key(buffer, core::kKeyEnter, 0);
            return pass_value;
        }
        if (line[0] == '`') {
            // A command text, as a palette button sends it.
            buffer.set(line.substr(1));
            return pass_value;
        }
        if (line.rfind("~~", 0) == 0) {
            // A key token, as the window sends the keys it hands to the engine.
            buffer.set(line);
            return pass_value;
        }
        pending_keys_ = line;
        // The keys build a line that the input lines upper-case: a reply names it as typed.
        core::keep_line_as_read(line);
    }
    const char c = pending_keys_.front();
    pending_keys_.erase(0, 1);
    take_key(buffer, static_cast<uint8_t>(c), core::key_down_word_for_character(c));
    return pass_value;
}

std::string ConsoleFrontEnd::DropRestOfTypedLine() {
    std::string rest;
    rest.swap(pending_keys_);
    return rest;
}

void ConsoleFrontEnd::take_key(core::FixedText<512>& buffer, int32_t code, int32_t key_down) {
    buffer(1) = static_cast<char>(code);
    last_key_ = static_cast<int8_t>(static_cast<uint8_t>(code));
    last_key_down_ = key_down;
}

int ConsoleFrontEnd::WaitForTypedLine(core::FixedText<512>& buffer,
                                      const core::FixedText<512>& prompt, int sel_start,
                                      int sel_end) {
    return WaitForLineEdit(buffer, prompt, sel_start, sel_end);
}

// No MIDI keyboard here: the poll waits for the next typed line and reports it complete. Its
// keys stay for the key waits that follow, as if typed into the input line.
int ConsoleFrontEnd::PollMidiOrKey(core::Array1<int32_t, 5>& record) {
    for (int k = 2; k <= 5; ++k) record(k) = 0;
    if (pending_keys_.empty()) {
        std::string line;
        if (read_whole_line(line)) {
            cut_to_line_buffer(line);
            pending_keys_ = line;
            core::keep_line_as_read(line);
        }
    }
    const char last = pending_keys_.empty() ? '\0' : pending_keys_.back();
    record(1) = -256 | static_cast<uint8_t>(last);
    return 0;
}

int ConsoleFrontEnd::WaitForLineEdit(core::FixedText<512>& buffer,
                                     const core::FixedText<512>& prompt, int sel_start,
                                     int sel_end) {
    show_in_message_line(core::ReplyKind::Question, prompt.view());
    input_text_ += up_to_nul(buffer.view());
    std::string line;
    if (!read_line(line)) return -1;
    cut_to_line_buffer(line);
    buffer.set(typed_answer(line));
    return 0;
}

// -- messages and questions --

// A reply that repeats the notice just shown (a failed job's error stays its reply) is not
// printed twice.
int ConsoleFrontEnd::ShowMessageBox(core::ReplyKind kind, const char* text) {
    print_text(kind, safe(text));
    last_notice_ = shown_form(safe(text));
    return 1;
}

int ConsoleFrontEnd::AskYesNo(const char* question, int /*mode*/) {
    return ask_yes_no(question, false);
}

int ConsoleFrontEnd::AskYesNoExit(const char* question) { return ask_yes_no(question, true); }

// Contract: see the header. At a terminal every line answers as it always did (anything but
// Y, or X where offered, is No): someone is there to see the question. A command file's line
// is a script's line even then.
int ConsoleFrontEnd::ask_yes_no(const char* question, bool exit_offered) {
    std::string ends;
    ends.swap(non_answer_ends_);
    // A question that shows its own choices ("(Y/N) >") has them replaced by the console's, so
    // that they are not shown twice.
    std::string shown = shown_form(safe(question));
    std::string plain = shown;
    while (!plain.empty() && (plain.back() == ' ' || plain.back() == '>')) plain.pop_back();
    if (plain.ends_with("(Y/N)")) {
        plain.resize(plain.size() - 5);
        shown = std::string(trim_right(plain));
    }
    print_text(core::ReplyKind::Question, shown + (exit_offered ? " (Y/N/X)" : " (Y/N)"));
    waiting_for_ = one_line(safe(question));
    gave_no_answer_ = false;
    std::string line;
    if (!read_line(line)) return 0;
    // A cut line answers nothing, whatever its kept part says, at a terminal too.
    const bool cut = core::is_cut_line(line);
    const char a = cut ? '\0' : answer_letter(line);
    if (at_terminal_ && !last_line_from_file_ && !cut && a != 'Y' && !(a == 'X' && exit_offered))
        return 0;
    const core::ScriptYesNo got =
        core::read_script_yes_no(one_line(safe(question)), line, exit_offered, ends);
    if (got.named.empty()) return got.answer;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.pop_back();
    gave_no_answer_ = true;
    no_answer_ = line;
    name_untaken(got.named);
    return got.answer;
}

bool ConsoleFrontEnd::ScriptGaveNoAnswer(std::string& line) {
    if (gave_no_answer_) line = no_answer_;
    return gave_no_answer_;
}

int ConsoleFrontEnd::AskAbandonInput() {
    std::string line;
    char a = 0;
    for (;;) {
        print_text(core::ReplyKind::Question, "Abandon input? (Y/E/C)");
        waiting_for_ = "Abandon input?";
        if (!read_line(line)) return -1;
        a = answer_letter(line);
        if (!at_terminal_ || last_line_from_file_) break;
        if (a == 'Y') return 0;
        if (a == 'E') return 1;
        if (a == 'C' || a == 0) return -1;
        // Someone is there to answer: a word the menu does not offer is named and the question
        // asked again, as the other menus do, rather than taken as a Cancel nobody chose.
        print_text(core::ReplyKind::Failure,
                   "*** Not an answer to \"Abandon input?\": " + std::string(trim_right(line)));
    }
    // From a script only a one-word line answers: "SA p.mus" read as S would be taken for a
    // Cancel nobody chose, and the script's next lines would land on the wrong questions.
    const std::size_t first = line.find_first_not_of(" \t\r");
    const std::size_t last = line.find_last_not_of(" \t\r");
    const std::string word =
        first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
    const bool one_word = !word.empty() && word.find_first_of(" \t") == std::string::npos;
    if (one_word && a == 'Y') return 0;
    if (one_word && a == 'E') return 1;
    if (one_word && a == 'C') return -1;
    name_untaken("*** Not an answer to \"Abandon input?\": " +
                 (word.empty() ? std::string("(an empty line)") : word) + " -- taken as C.");
    return -1;
}

// -- dialogs --

// An empty answer keeps the name already in MessageLine (a default the engine preset, or blank).
int ConsoleFrontEnd::RunDrawingFileNameDialog(const core::FixedText<128>& prompt) {
    print_text(core::ReplyKind::Question, prompt.view());
    std::string line;
    // A cut line names no file: Cancel.
    if (!read_line(line) || core::is_cut_line(line)) return 2;
    if (line.size() > static_cast<std::size_t>(core::MessageLine.size())) {
        report_failure("File name too long: cancelled.");
        return 2;
    }
    if (!line.empty()) core::set_exchange_text(line);
    return 1;
}

// The preset stays when the answer is empty. The whole name goes to the whole-path buffer,
// its first 48 characters to the command buffer; a name over 128 characters is refused.
int ConsoleFrontEnd::RunEpsFileNameDialog() {
    print_text(core::ReplyKind::Question, "Type EPS file name.");
    std::string line;
    // A cut line names no file: Cancel.
    if (!read_line(line) || core::is_cut_line(line)) return 2;
    if (!fits_whole_name(line)) return 2;
    if (!line.empty()) store_whole_name(line);
    return 1;
}

// The whole name goes to the whole-path buffer, its first 48 characters to the command
// buffer; a name longer than the path buffer is refused rather than cut.
int ConsoleFrontEnd::RunOutputFileNameDialog() {
    print_text(core::ReplyKind::Question, "Type output file name.");
    std::string line;
    // A cut line names no file: Cancel.
    if (!read_line(line) || core::is_cut_line(line)) return 2;
    if (line.size() > static_cast<std::size_t>(core::FrontEndPathBuffer.size())) {
        report_failure("The name is too long: cancelled.");
        return 2;
    }
    if (!line.empty()) {
        core::FrontEndPathBuffer.set(line);
        core::FrontEndCommandBuffer.set(line);
    }
    return 1;
}

// A name line, then text lines up to a line holding only "."; the end of input, an empty name
// or "X" cancels before any text is read.
int ConsoleFrontEnd::RunMacroFileDialog() {
    print_text(core::ReplyKind::Question, "Macro file name:");
    std::string name;
    if (!read_line(name) || name.find_first_not_of(' ') == std::string::npos || is_cancel(name) ||
        core::is_cut_line(name))
        return 2;
    print_text(core::ReplyKind::Question, "Macro text, ended by a line holding only \".\":");
    std::string text;
    std::string line;
    bool first = true;
    for (;;) {
        if (!read_line(line)) return 2;
        if (line == ".") break;
        // A cut line is not entered; the text goes on to its "." line.
        if (core::is_cut_line(line)) continue;
        if (!first) text += "\r\n";
        text += line;
        first = false;
    }
    if (!fits_whole_name(name)) return 2;
    if (text.size() > kMacroTextChars) {
        report_failure("Macro text too long (at most " + std::to_string(kMacroTextChars) +
                       " characters): cancelled.");
        return 2;
    }
    store_whole_name(name);
    hand_answer_over(text);
    return 1;
}

int ConsoleFrontEnd::RunDontShowAgainNotice() {
    print_text(core::ReplyKind::Notice, core::MessageLine.view());
    return 0;
}

int ConsoleFrontEnd::RunOutOfBoundsNotice() {
    print_text(core::ReplyKind::Notice, "Out of bounds: " + core::FrontEndCommandBuffer.c_text());
    return 0;
}

bool ConsoleFrontEnd::read_convert_answer(std::string_view title, const std::string& question,
                                          bool with_number, std::string& answer) {
    for (;;) {
        print_text(core::ReplyKind::Question, core::MessageLine.view());
        print_text(core::ReplyKind::Question, question);
        waiting_for_ = one_line(question);
        std::string line;
        if (!read_line(line)) return false;
        answer = line;
        const auto first = answer.find_first_not_of(' ');
        answer.erase(0, first == std::string::npos ? answer.size() : first);
        while (!answer.empty() && answer.back() == ' ') answer.pop_back();
        for (char& c : answer) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const bool number = !answer.empty() && answer.size() <= 4 &&
                            answer.find_first_not_of("0123456789") == std::string::npos;
        const bool letter =
            answer.size() == 1 && std::string_view(with_number ? "IDSX" : "RUN").find(answer[0]) !=
                                      std::string_view::npos;
        if ((with_number && (number || answer.empty())) || letter) return true;
        if (!at_terminal_ || last_line_from_file_) {
            // A script's line that answers nothing is its next command: given back, not eaten.
            give_back_line(line);
            name_untaken(core::number_non_answer_text(title, line, "the conversion ended."));
            return false;
        }
        print_text(core::ReplyKind::Failure, "*** Not an answer: " + line);
    }
}

// Contract: a number (up to four digits) is OK with that number, an empty line OK with the
// field's preset 5000; "I" ignores the item, "D" deletes it, "S" is the check box "Don't show
// this message again." (every later Code 11 item is left as it is), "X" is the dialog closed,
// which ignores the item as the window does. No answer from a script ends the operation: 0.
int ConsoleFrontEnd::RunConvertCode11Dialog(core::Array1<int32_t, 3>& r) {
    r(1) = 0;
    r(3) = 0;
    std::string a;
    if (!read_convert_answer("Convert Code 11",
                             "Convert Code 11: type new Code 9 file number from 5000 to 9980 "
                             "(5000), I = Ignore this Item, D = Delete this Item, S = Don't show "
                             "this message again.",
                             true, a))
        return 0;
    if (a.empty()) a = "5000";
    if (a == "I" || a == "X") return 3;
    if (a == "D") return 2;
    if (a == "S") {
        r(3) = 1;
        return 3;
    }
    r(1) = std::stoi(a);
    return 1;
}

// Contract: "R" replaces the library file (v 1, 0), "U" uses the contents of the file for the
// item (v 2 = 1), "N" asks a new number (-1). No answer from a script ends the operation: 0,
// and no file is replaced.
int ConsoleFrontEnd::RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v) {
    std::string a;
    if (!read_convert_answer("Converting Code 11 to Code 9",
                             "Converting Code 11 to Code 9: R = Replace, U = Use contents of this "
                             "LB file for this Item., N = Set new P5 number.",
                             false, a))
        return 0;
    if (a == "N") return -1;
    v(1) = a == "R" ? 1 : 0;
    v(2) = a == "U" ? 1 : 0;
    return 1;
}

int ConsoleFrontEnd::RunDecombineFileDialog() {
    report_window_dialog("Decombine File");
    return 2;
}

int ConsoleFrontEnd::RunPageImageHeightDialog(core::Array1<float, 19>& a) {
    report_window_dialog("Height of page image.");
    return 2;
}

// The parameter page has no console form: Cancel, with no data line.
int ConsoleFrontEnd::RunParameterEditor(core::Array1<float, 30>& block, int page) {
    report_window_dialog(page > 0 ? "P21 - 30" : (page < 0 ? "P1 - 10" : "P11- 20"));
    return 2;
}

int ConsoleFrontEnd::RunPreferencesDialog(core::Array1<int32_t, 32>& a,
                                          core::Array1<int32_t, 32>& b) {
    report_window_dialog("Preferences");
    return 2;
}

int ConsoleFrontEnd::RunRippleBarsDialog(core::Array1<int32_t, 5>& a) {
    report_window_dialog("Ripple bars.");
    return 2;
}

int ConsoleFrontEnd::RunSymbolLibraryDialog(int32_t& v) {
    report_window_dialog("Symbol Library");
    return 2;
}

// -- the input mode's dialogs --

// Contract: shows FrontEndCommandBuffer's text and the three numbers; reads words 5 to 7 from
// the typed line ("X" cancels, as the dialogs below that read numbers). A spacing staff of 999 is
// shown and kept as 0, as the dialog shows it.
int ConsoleFrontEnd::RunSpacingRangeDialog(core::Array1<int32_t, 8>& words) {
    if (words(7) == 999) words(7) = 0;
    print_text(core::ReplyKind::Question, line_text(core::FrontEndCommandBuffer));
    const std::string question(input::kInputRangeQuestion);
    print_text(core::ReplyKind::Question, question + " (" + std::to_string(words(5)) + " " +
                                              std::to_string(words(6)) + " " +
                                              std::to_string(words(7)) + ")");
    const core::Array1<int32_t, 8> offered = words;
    for (;;) {
        std::string line;
        if (!read_line(line)) return 2;
        // The line is read as a command file's is (one reader for every road).
        const input::RangeLine got = input::read_input_range_line(line, words);
        if (got == input::RangeLine::Range) return 1;
        if (got == input::RangeLine::Cancel) return 2;
        const bool cut = core::is_cut_line(line);
        const bool typed = at_terminal_ && !last_line_from_file_;
        // Someone typing keeps the words of the fields that hold no number, as the window's
        // fields do; a cut line answers nothing at the keys too.
        if (got == input::RangeLine::NoRange && typed && !cut &&
            read_numbers(line, words, 5, 3, question, "IN ended.") &&
            input::input_range_has_room(static_cast<float>(words(5)), static_cast<float>(words(7))))
            return 1;
        const std::string shown = cut ? core::cut_line_shown(line) : std::string(trim_right(line));
        // A begin at or past the page's extent leaves the notes no room: no range either.
        if (!typed || cut) {
            name_untaken(core::number_non_answer_text(question, shown, "IN ended."));
            return 2;
        }
        print_text(core::ReplyKind::Failure, "*** Not an answer to \"" + question + "\": " + shown);
        words = offered;
        print_text(core::ReplyKind::Question, question + " (" + std::to_string(words(5)) + " " +
                                                  std::to_string(words(6)) + " " +
                                                  std::to_string(words(7)) + ")");
    }
}

// Contract: shows the prompt (FrontEndCommandBuffer) and the line to edit (MessageLine); the
// answer goes back into MessageLine with a NUL after it. Cancel leaves MessageLine blank.
int ConsoleFrontEnd::RunMusicInputDialog() {
    return read_text_answer(line_text(core::FrontEndCommandBuffer),
                            std::string(up_to_nul(core::MessageLine.view())));
}

int ConsoleFrontEnd::RunAddBarLinesDialog(core::Array1<int32_t, 4>& words) {
    print_text(core::ReplyKind::Question,
               "Add Bar Lines: top bottom pickup-items staves-up (" + std::to_string(words(1)) +
                   " " + std::to_string(words(2)) + " " + std::to_string(words(3)) + " " +
                   std::to_string(words(4)) + ")");
    std::string line;
    if (!read_line(line) || is_cancel(line)) return 2;
    return read_numbers(line, words, 1, 4, "Add Bar Lines: top bottom pickup-items staves-up") ? 1
                                                                                               : 2;
}

// The console's Print Setup is the output name alone: the settings in force stand. "LPT1"
// chooses the printer, any other name a file; an empty line keeps the proposal and "X" is the
// dialog's Cancel (the question comes back after a refused name or overwrite, so a script needs
// a way out of it). The page box comes back in the box unit, as the window's dialog returns it
// untouched.
int ConsoleFrontEnd::RunPrintSetupDialog(core::ArrayRange<int32_t, 0, 23>& ints,
                                         core::ArrayRange<float, 0, 23>& reals,
                                         core::FixedText<512>& output_name, int /*flag*/) {
    print_text(core::ReplyKind::Question, "Output file name (LPT1 for the printer):");
    std::string line;
    // A command file's blank line takes the name proposed, as Enter does.
    if (!read_line(line, true)) return 2;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    line.erase(0, line.find_first_not_of(' ') == std::string::npos ? line.size()
                                                                   : line.find_first_not_of(' '));
    if (is_cancel(line)) return 2;
    // As at the other name questions, a name longer than its buffer is refused, never cut.
    if (line.size() > static_cast<std::size_t>(output_name.size())) {
        print_text(core::ReplyKind::Failure, "The name is too long: cancelled.");
        return 2;
    }
    if (!line.empty()) output_name.set(line);
    const std::string name = output_name.trimmed();
    bool port = name.size() >= 4;
    for (std::size_t i = 0; port && i < 4; ++i)
        port = std::toupper(static_cast<unsigned char>(name[i])) == "LPT1"[i];
    ints(3) = port ? 1 : 0;
    const float per_unit = output::display_units_per_box_unit(ints(20));
    for (int k = 20; k <= 23; ++k) reals(k) /= per_unit;
    return 1;
}

// No folder list on the console ("PATH name" changes the folder): the command ends as after
// Cancel.
int ConsoleFrontEnd::RunPathListDialog(int32_t& /*slot*/,
                                       core::Array1<core::FixedText<512>, 9>& /*folders*/,
                                       const core::FixedText<512>& /*current*/) {
    report_window_dialog("Path List");
    return 2;
}

// The code chooser on the console: one line of code numbers (empty or 0: all codes). A line
// that holds anything but codes (a script's next command) is refused as Cancel: read as "all"
// it would let the word take every item of the box.
int ConsoleFrontEnd::RunSelectCodesDialog(core::Array1<int32_t, 19>& codes) {
    print_text(core::ReplyKind::Question, "Select Code Numbers. (0 = all)");
    std::string line;
    if (!read_line(line) || is_cancel(line)) return 2;
    std::vector<int32_t> chosen;
    const core::NumberLineReading reading = core::read_code_number_line(line, chosen);
    if (reading.fault != core::NumberLineFault::None) {
        name_untaken(core::code_number_line_refusal(reading, line));
        return 2;
    }
    codes.fill(0);
    for (std::size_t k = 0; k < chosen.size(); ++k) codes(static_cast<int>(k) + 1) = chosen[k];
    return 1;
}

// Combining documents on the console: the first file's name, then the number of files.
int ConsoleFrontEnd::RunCombineFilesDialog() {
    print_text(core::ReplyKind::Question, "Combine Files: first file name:");
    std::string name;
    // No name combines nothing: the count is not asked, lest it take the script's next line.
    if (!read_line(name) || is_cancel(name) ||
        name.find_first_not_of(" \t\r") == std::string::npos || core::is_cut_line(name)) {
        return 2;
    }
    print_text(core::ReplyKind::Question, "Number of files:");
    std::string count;
    if (!read_line(count) || is_cancel(count)) return 2;
    core::set_exchange_text(name);
    core::FrontEndCommandBuffer.set(count);
    return 1;
}

// The IF dialog on the console: one line, the conditions and the actions after the area
// ("P1=1;D"). The user sees no preset here, so none may join the answer: the area field stays,
// every other field is emptied, the part before the first ";" becomes the first condition field
// and the part after it the action field. A part longer than its field is refused (Cancel)
// rather than cut, which could change what the line selects or does.
int ConsoleFrontEnd::RunIfCommandDialog(const core::FixedText<512>& question,
                                        core::Array1<core::FixedText<48>, 14>& fields) {
    const std::string shown =
        question.trimmed().empty() ? std::string("IF command:") : question.trimmed();
    print_text(core::ReplyKind::Question, shown);
    std::string line;
    if (!read_line(line)) return 2;
    const std::size_t semicolon = line.find(';');
    const std::string conditions = line.substr(0, semicolon);
    const std::string actions = semicolon == std::string::npos ? "" : line.substr(semicolon + 1);
    constexpr std::size_t kFieldChars = 48;
    if (conditions.size() > kFieldChars || actions.size() > kFieldChars) {
        print_text(
            core::ReplyKind::Failure,
            "*** The conditions and the actions may have 48 characters each: nothing was done.");
        return 2;
    }
    for (int f = 2; f <= 14; ++f) fields(f).blank();
    fields(2).set(conditions);
    fields(14).set(actions);
    return 1;
}

// Contract: the console's Sound dialog plays with the proposal as it stands: it prints the
// staves of each row that takes part, and reads no line. The file's name is told once it is
// written.
int ConsoleFrontEnd::RunSoundDialog(core::Array1<int32_t, 64>& /*settings*/,
                                    core::Array1<int32_t, 256>& staves) {
    for (int row = 1; row <= output::kMidiRows; ++row) {
        if (staves(output::kMidiSlots * (row - 1) + 1) == 0) continue;
        std::string text = "Sound row " + std::to_string(row) + ":";
        for (int slot = 1; slot <= output::kMidiSlots; ++slot) {
            const int32_t staff = staves(output::kMidiSlots * (row - 1) + slot);
            if (staff == 0) break;
            text += " " + std::to_string(staff);
        }
        print_text(core::ReplyKind::Notice, text);
    }
    return 1;
}

int ConsoleFrontEnd::RunVerticalJustifyDialog(core::Array1<int32_t, 19>& /*a*/) {
    report_window_dialog("Vertical Justify");
    return 2;
}

int ConsoleFrontEnd::RunSeparateVoicesDialog(core::Array1<int32_t, 7>& /*a*/) {
    report_window_dialog("Separate Voices");
    return 2;
}

int ConsoleFrontEnd::RunSeparateVoicesNewStaffDialog(core::Array1<int32_t, 7>& /*a*/) {
    report_window_dialog("Separate Voices, Create New Staff");
    return 2;
}

int ConsoleFrontEnd::RunBoundingBoxDialog(int32_t& /*unit*/, core::Array1<float, 4>& /*box*/,
                                          int32_t& /*mode*/) {
    report_window_dialog("Bounding Box Outline");
    return 2;
}

int ConsoleFrontEnd::RunRecentFilesDialog(int32_t& choice) {
    report_window_dialog("Recent Files");
    choice = 0;
    return 2;
}

int ConsoleFrontEnd::RunTextFileDialog(std::string_view /*text*/) {
    report_window_dialog("Text File");
    return 2;
}

int ConsoleFrontEnd::RunTransposeSetupDialog(core::Array1<int32_t, 19>& /*a*/) {
    report_window_dialog("Transpose Setup");
    return 2;
}

// Contract: prints the prompt and the preset, reads one line into MessageLine (NUL-ended; an
// empty line keeps the preset). The end of input cancels and leaves MessageLine blank.
int ConsoleFrontEnd::read_text_answer(const std::string& prompt, const std::string& preset,
                                      std::size_t room) {
    print_text(core::ReplyKind::Question, prompt);
    if (!trim_right(preset).empty()) print_text(core::ReplyKind::Question, preset);
    waiting_for_ = one_line(prompt);  // the question, not the text offered with it
    core::clear_exchange_text();
    std::string line;
    if (!read_line(line)) return 2;
    if (line.empty()) line = preset;
    room = std::min<std::size_t>(room, core::MessageLine.size());
    if (line.size() > room) {
        line.resize(room);
        print_aside(core::ReplyKind::Failure, "*** Line " + std::to_string(line_number_) +
                                                  " is longer than " + std::to_string(room) +
                                                  " characters: the rest was left out.");
    }
    hand_answer_over(line);
    return 1;
}

// The dialog's field comes preset with its prompt, which the window selects so that typing
// replaces it; here the prompt is never taken as the text: an empty line is an empty text (the
// command ends, or TT moves down a line), and X alone is Cancel. The line may fill the whole
// 512 characters of MessageLine (no closing NUL then); a longer one is refused (Cancel) rather
// than cut, which would enter a text that was never typed.
int ConsoleFrontEnd::RunTextInputDialog(core::Array1<float, 19>& /*b*/) {
    constexpr std::size_t kTextLineChars = 512;
    print_text(core::ReplyKind::Question, "Text Input:");
    waiting_for_ = "Text Input:";
    core::clear_exchange_text();
    std::string line;
    if (!read_line(line) || is_cancel(line)) return 2;
    line.resize(trim_right(line).size());
    if (line.size() > kTextLineChars) {
        print_text(core::ReplyKind::Failure,
                   "*** The text line would pass 512 characters: it was not entered.");
        return 2;
    }
    hand_answer_over(line);
    return 1;
}

int ConsoleFrontEnd::RunTextUnitsDialog(const core::FixedText<512>& shown) {
    print_text(core::ReplyKind::Question, trim_right(std::string(up_to_nul(shown.view()))));
    // A number question: X alone is its Cancel, as in the console's other number dialogs.
    if (read_text_answer("Type note number for each text unit.", "") != 1) return 2;
    if (is_cancel(line_text(core::MessageLine))) {
        core::clear_exchange_text();
        return 2;
    }
    return 1;
}

// The text's line takes the whole 512 characters, as a text typed at T does; a longer one comes
// as the cut line, which the text word refuses.
int ConsoleFrontEnd::RunEditTextDialog() {
    const std::size_t whole = static_cast<std::size_t>(core::MessageLine.size());
    return read_text_answer("Edit Text:", std::string(up_to_nul(core::MessageLine.view())), whole);
}

int ConsoleFrontEnd::RunTablatureSetupDialog(core::Array1<int32_t, 20>& /*a*/) {
    report_window_dialog("Tablature setup.");
    return 2;
}

// Closed as with Escape: the paper stays as it is.
int ConsoleFrontEnd::RunPaperSizeDialog(core::Array1<float, 3>& /*custom*/) {
    report_window_dialog("Paper Size");
    return 0;
}

int ConsoleFrontEnd::RunMeasureNumbersDialog(core::Array1<int32_t, 19>& /*a*/) {
    report_window_dialog("Measure numbers");
    return 2;
}

int ConsoleFrontEnd::RunMusDirDialog(const std::vector<std::string>& /*entries*/, int32_t& choice) {
    report_window_dialog("MusDir");
    choice = 0;
    return 2;
}

int ConsoleFrontEnd::RunStepsToMoveDialog(core::Array1<float, 4>& /*box*/) {
    report_window_dialog("Steps to move");
    return 2;
}

// The typed forms of the command ("STSP 1.0", "STSP 2 0.5 X") do the same on the console.
int ConsoleFrontEnd::RunStaffSpacingDialog() {
    report_window_dialog("Vertical spacing between staves");
    return 2;
}
