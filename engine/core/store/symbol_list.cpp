#include "engine/core/store/symbol_list.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"

namespace core {

namespace {

constexpr int kSymbolListUnit = 17;
// Only the first 48 characters of a list line are used; 1..4 hold the symbol number.
constexpr std::size_t kListLineChars = 48;
constexpr int kDialogCancel = 2;
constexpr std::string_view kListName = "symblist.txt";
constexpr std::string_view kAlphabeticalListName = "symblist_alf.txt";

// The list file chosen last; the pick reopens the same one.
std::string g_list_name;

std::string library_path(std::string_view name) {
    const int32_t used = std::clamp<int32_t>(LibraryFolderLength, 0, LibraryFolder.size());
    return std::string(LibraryFolder.sub(1, used)) + std::string(name);
}

// The alphabetical list when it exists (and the command is not "LIBN"), else the plain one.
std::string choose_list_name() {
    if (CommandLine.starts_with("LIBN")) return std::string(kListName);
    const std::string alphabetical = library_path(kAlphabeticalListName);
    if (open_unit(kSymbolListUnit, alphabetical, UnitStatus::Old, UnitForm::Text)) {
        close_unit(kSymbolListUnit);
        return std::string(kAlphabeticalListName);
    }
    return std::string(kListName);
}

std::string_view first_chars(const std::string& line) {
    return std::string_view(line).substr(0, kListLineChars);
}

// The line without trailing blanks, NUL-ended when it leaves room, into the front-end's buffer.
void hand_line_to_dialog(std::string_view line) {
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    FrontEndCommandBuffer.set(line);
    const int len = static_cast<int>(line.size());
    if (len < FrontEndCommandBuffer.size()) FrontEndCommandBuffer(len + 1) = '\0';
}

// The symbol number in characters 1..4 (right-aligned, blanks around it allowed); false when
// they hold no whole number.
bool read_symbol_number(std::string_view line, int32_t& number) {
    std::string_view field = line.substr(0, 4);
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    bool negative = false;
    if (!field.empty() && (field.front() == '-' || field.front() == '+')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    if (field.empty()) return false;
    int32_t value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    number = negative ? -value : value;
    return true;
}

}  // namespace

// Contract: state 0 chooses the list file ("symblist.txt" for "LIBN" in CommandLine, else
// "symblist_alf.txt" when the library folder holds it) and opens it on unit 17; every call
// then hands the next line to FrontEndCommandBuffer (state -1), until the end of the file, a
// read error or a line beginning "*" close it (state 1, the buffer empty). Reads CommandLine,
// LibraryFolder; writes FrontEndCommandBuffer. A list that cannot be opened is named with
// "File not found --> " and ends at once.
void open_symbol_list(int32_t& state) {
    if (state == 0) {
        g_list_name = choose_list_name();
        const std::string path = library_path(g_list_name);
        if (!open_unit(kSymbolListUnit, path, UnitStatus::Old, UnitForm::Text)) {
            report_file_not_found(path);
            state = 1;
            hand_line_to_dialog("");
            return;
        }
        state = -1;
    }
    if (!unit_is_open(kSymbolListUnit)) {
        state = 1;
        hand_line_to_dialog("");
        return;
    }
    std::string line;
    if (read_record(kSymbolListUnit, line) == IoResult::Ok && !line.starts_with('*')) {
        hand_line_to_dialog(first_chars(line));
        state = -1;
        return;
    }
    close_unit(kSymbolListUnit);
    hand_line_to_dialog("");
    state = 1;
}

// Contract: runs the Symbol Library dialog (its word starts at -99 and comes back as the
// 0-based line index) and reopens the list file the dialog showed to read that line's symbol
// number into P1 of ParamBuffer. Cancel, a negative index, a file that cannot be read to that
// line or a line without a number all leave P1 = -1.0 (the last two are reported).
void pick_listed_symbol() {
    ParamBuffer(1) = -1.0f;
    int32_t index = -99;
    const int result = front_end().RunSymbolLibraryDialog(index);
    if (result == kDialogCancel || index < 0) return;

    if (g_list_name.empty()) g_list_name = choose_list_name();
    const std::string path = library_path(g_list_name);
    if (!open_unit(kSymbolListUnit, path, UnitStatus::Old, UnitForm::Text)) {
        report_file_not_found(path);
        return;
    }
    std::string line;
    for (int32_t k = 0; k <= index; ++k) {
        if (read_record(kSymbolListUnit, line) != IoResult::Ok) {
            close_unit(kSymbolListUnit);
            report_file_not_found(path);
            return;
        }
    }
    close_unit(kSymbolListUnit);
    int32_t number = 0;
    if (!read_symbol_number(first_chars(line), number)) {
        report_failure("*** No symbol number in columns 1-4 of line " + std::to_string(index + 1) +
                       " of " + path);
        return;
    }
    ParamBuffer(1) = static_cast<float>(number);
}

// Contract: entry i of HistoryTable, trailing blanks dropped and NUL-ended, into MessageLine;
// an i outside 1..40 gives an empty line.
void fetch_history_entry(int32_t i) {
    if (i < 1 || i > kHistoryEntries) {
        set_exchange_text(std::string_view("\0", 1));
        return;
    }
    const FixedText<512>& entry = HistoryTable(i);
    // A full entry has no room left for its NUL.
    set_exchange_text(entry.trimmed() + '\0');
}

}  // namespace core
