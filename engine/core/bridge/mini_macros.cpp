#include "engine/core/bridge/mini_macros.h"

#include <algorithm>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"

namespace core {

Array1<FixedText<80>, 3> MiniMacroTable;

namespace {

constexpr int kLine = FixedText<512>::kSize;
constexpr int kFragment = FixedText<80>::kSize;
// The table shows each fragment's first 74 characters after its marks.
constexpr int kShownChars = 74;
// ask_file_name keeps a preset in MessageLine only when IP(50) holds this word.
constexpr int32_t kKeepPresetWord = -1234;

bool is_definition_mark(char c) { return c == ':' || c == '\''; }
bool is_use_mark(char c) { return c == ';' || c == '`'; }

// SecondLine holds the line as it was read, before its leading blanks were removed from
// CommandLine: bring it into step with CommandLine so that both move the same characters.
void align_second_line() {
    int first = 1;
    while (first <= kLine && SecondLine(first) == ' ') ++first;
    const int shift = first - 1;
    if (shift == 0 || first > kLine) return;
    for (int k = 1; k + shift <= kLine; ++k) SecondLine(k) = SecondLine(k + shift);
    SecondLine.put(kLine - shift + 1, kLine, "");
}

// Shows the three fragments in a message box; the line is blanked so that nothing runs.
void show_mini_macro_table(int32_t& n) {
    std::string text;
    const char* marks[3] = {";   ", ";;  ", ";;; "};
    for (int r = 1; r <= 3; ++r) {
        text += marks[r - 1];
        text += MiniMacroTable(r).sub(1, kShownChars);
        if (r < 3) text += "\r\n";
    }
    SecondLine.set(text);
    if (static_cast<int>(text.size()) < kLine) SecondLine(static_cast<int>(text.size()) + 1) = '\0';
    show_message(ReplyKind::Notice, SecondLine.view());
    CommandLine.blank();
    CommandHeader.blank();
    n = 0;
}

// A line of ":" or "'" marks and texts: each run of k marks (1..3) takes the text after it, up
// to the next mark, as fragment k; the text moves k places left in both lines, onto its marks.
// A line that defines several fragments runs only the first text.
void define_fragments(int32_t& n) {
    if (n <= 1) {
        CommandLine(1) = ' ';
        return;
    }
    align_second_line();
    bool copied = false;
    int first_text_end = 0;  // where the first text ends once moved
    int p = 1;               // the first mark of the run being read
    while (p <= n && is_definition_mark(CommandLine(p))) {
        int k = 1;
        while (p + k <= n && is_definition_mark(CommandLine(p + k))) ++k;
        if (k > 3) {
            show_mini_macro_table(n);
            return;
        }
        FixedText<80>& fragment = MiniMacroTable(k);
        fragment.blank();
        for (int m = p; m < p + k; ++m) {
            CommandLine(m) = ' ';
            SecondLine(m) = ' ';
        }
        int i = p + k;
        int cell = 0;
        for (; i <= n && !is_definition_mark(CommandLine(i)); ++i) {
            // Only the first 80 characters are kept; the rest of the text still moves.
            if (cell < kFragment) fragment(++cell) = CommandLine(i);
            copied = true;
            CommandLine(i - k) = CommandLine(i);
            SecondLine(i - k) = SecondLine(i);
            CommandLine(i) = ' ';
            SecondLine(i) = ' ';
        }
        if (first_text_end == 0) first_text_end = i - k - 1;
        p = i;
    }
    // Only the first text runs: the later ones are kept as fragments, not run glued to it.
    if (first_text_end > 0 && first_text_end < n) {
        CommandLine.put(first_text_end + 1, n, "");
        SecondLine.put(first_text_end + 1, n, "");
    }
    if (!copied) CommandLine(1) = ' ';
    CommandHeader.set(CommandLine.sub(1, 16));
    n = find_line_length(CommandLine);
}

// The grave-accent form: fragment k, as assembled in CommandLine, is offered for editing. Cancel
// leaves the fragment as it was and runs nothing; an answer replaces the fragment and runs.
void edit_fragment(int k, int32_t& n) {
    const int last = find_line_length(CommandLine);
    std::string preset(CommandLine.sub(1, last));
    if (last < kLine) preset += '\0';
    set_exchange_text(preset);
    const int32_t kept_word = IntParamBuffer(50);
    IntParamBuffer(50) = kKeepPresetWord;
    ask_file_name(FixedText<128>("Edit Mini-Macro " + std::string(static_cast<size_t>(k), ';')));
    IntParamBuffer(50) = kept_word;
    if (CommandLine.code(1) == 2) {
        CommandLine.blank();
        SecondLine.blank();
        CommandHeader.blank();
        n = 0;
        return;
    }
    // The answer ends at its first control character (the dialog's NUL).
    for (int i = 1; i <= kLine; ++i) {
        if (CommandLine.code(i) < ' ') {
            CommandLine.put(i, kLine, "");
            break;
        }
    }
    SecondLine = CommandLine;
    upper_case_command_line(n);
    FixedText<80>& fragment = MiniMacroTable(k);
    for (int i = 1; i <= kFragment; ++i)
        fragment(i) = CommandLine.code(i) < ' ' ? ' ' : CommandLine(i);
    CommandHeader.set(CommandLine.sub(1, 16));
}

// A line of ";" and "`" marks: each run of r marks (1..3) selects fragment r; the selected
// fragments run in the order 1, 2, 3, 80 characters each.
void use_fragments(int32_t& n) {
    const bool edit = CommandLine(1) == '`';
    bool selected[4] = {false, false, false, false};
    int i = edit ? 2 : 1;
    const int end = std::min<int32_t>(n, kLine);
    while (i <= end) {
        if (!is_use_mark(CommandLine(i))) {
            ++i;
            continue;
        }
        int r = 0;
        while (i <= end && is_use_mark(CommandLine(i))) {
            ++r;
            ++i;
        }
        if (r > 3) {
            show_mini_macro_table(n);
            return;
        }
        selected[r] = true;
    }
    n = 0;
    SecondLine.blank();
    CommandLine.blank();
    int last = 0;
    for (int r = 1; r <= 3; ++r) {
        if (!selected[r]) continue;
        CommandLine.put(n + 1, n + kFragment, MiniMacroTable(r).view());
        SecondLine.put(n + 1, n + kFragment, MiniMacroTable(r).view());
        n += kFragment;
        last = r;
    }
    CommandHeader.set(CommandLine.sub(1, 16));
    if (edit && last != 0) edit_fragment(last, n);
}

}  // namespace

// Contract: rewrites the mini-macro line in CommandLine (length n): a definition line keeps its
// texts as fragments and leaves the first text to run; a use line is replaced by the selected
// fragments; four or more marks show the table and leave a blank line. Writes MiniMacroTable,
// CommandLine, SecondLine, CommandHeader, n; the grave-accent form asks through ask_file_name.
// Bad input: a fragment text longer than 80 characters keeps its first 80.
void run_mini_macros(int32_t& n) {
    const char c1 = CommandLine(1);
    if (is_definition_mark(c1)) {
        define_fragments(n);
    } else if (is_use_mark(c1)) {
        use_fragments(n);
    }
}

}  // namespace core
