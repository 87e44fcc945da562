#include "output/batch_list.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/files/file_names.h"
#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"
#include "output/tables.h"

namespace output {

namespace {

// The unit the list file is read on (opened and closed within one call).
constexpr int kBatchListUnit = 40;

// The text without leading and trailing blanks and control characters.
std::string trim(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    std::size_t e = s.size();
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return std::string(s.substr(b, e - b));
}

// Where the name's extension begins (its ".", in the last component); the name's end when it
// has none.
std::size_t extension_dot(std::string_view name) {
    return name.size() - core::get_name_extension(name).size();
}

// The document name as listed: ".MUS" after its last printable character unless it carries an
// extension of its own (so that "SONG1.MUS" stays as it is).
std::string with_document_extension(std::string_view name) {
    std::string s = trim(name);
    if (!s.empty() && core::get_name_extension(s).empty()) s += ".MUS";
    return s;
}

// Appends one name to BatchList; false when the list is full.
bool push_name(const std::string& name) {
    if (BatchList.count >= kBatchLimit) return false;
    ++BatchList.count;
    BatchList.names(BatchList.count).set(name);
    return true;
}

// The names typed in CommandLine, one a line: a CR or LF ends a name, a NUL the text; blank
// names are skipped.
std::vector<std::string> split_batch_names() {
    std::vector<std::string> names;
    std::string current;
    auto finish = [&] {
        std::string t = trim(current);
        if (!t.empty()) names.push_back(std::move(t));
        current.clear();
    };
    for (int k = 1; k <= core::CommandLine.size(); ++k) {
        const char c = core::CommandLine(k);
        if (c == '\0') break;
        if (c == '\r' || c == '\n') {
            finish();
        } else {
            current += c;
        }
    }
    finish();
    return names;
}

// The names of the list file named at the start of CommandLine ("print" when it begins with a
// blank), at most kBatchLimit, blank lines skipped; false when the file cannot be opened.
bool read_batch_list_file(std::vector<std::string>& names) {
    std::string file = "print";
    if (core::CommandLine(1) != ' ') {
        const std::string_view line = core::CommandLine.view();
        const std::size_t end = line.find_first_of(std::string_view("\0\r\n", 3));
        file = trim(line.substr(0, end));
    }
    if (!core::open_unit(kBatchListUnit, file, core::UnitStatus::Old, core::UnitForm::Text))
        return false;
    std::string record;
    while (names.size() < static_cast<std::size_t>(kBatchLimit) &&
           core::read_record(kBatchListUnit, record) == core::IoResult::Ok) {
        std::string t = trim(record);
        if (!t.empty()) names.push_back(std::move(t));
    }
    core::close_unit(kBatchListUnit);
    return true;
}

// Expands one raw name into BatchList entries: "NAME n" (n of one or two digits, nothing after
// it) gives NAME and n - 1 further names, each the one before with its number stepped; any
// other text is one name, blanks and all. Stops when the list is full.
void add_batch_entry(const std::string& raw) {
    const std::size_t blank = raw.find(' ', 1);
    int32_t n = 0;
    if (blank != std::string::npos) {
        const std::string rest = trim(std::string_view(raw).substr(blank));
        const bool number =
            !rest.empty() && rest.size() <= 2 &&
            std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (number) n = std::stoi(rest);
        if (!number) n = -1;
    }
    if (blank == std::string::npos || n < 0) {
        push_name(with_document_extension(raw));
        return;
    }
    if (!push_name(with_document_extension(raw.substr(0, blank)))) return;
    for (int32_t k = 2; k <= n; ++k) {
        core::FixedText<512> next = BatchList.names(BatchList.count);
        increment_file_number(next);
        if (!push_name(next.trimmed())) return;
    }
}

}  // namespace

// Contract: see the header. Reads MessageLine and CommandLine letters 1-5 (letter 5 "R" asks
// for the reverse order); writes BatchList and CommandLine (letters 1-4 kept with "B" in letter
// 2, the rest blank on return). Names are taken whole and as typed.
int32_t build_batch_list(int32_t mode) {
    core::CommandLine(2) = 'B';
    const std::string kept(core::CommandLine.sub(1, 4));
    const bool reverse = core::CommandLine(5) == 'R';
    core::CommandLine = core::MessageLine;

    std::vector<std::string> raw;
    bool opened = true;
    if (mode == 2) {
        opened = read_batch_list_file(raw);
    } else {
        raw = split_batch_names();
    }

    BatchList.count = 0;
    for (const std::string& name : raw) add_batch_entry(name);
    if (reverse && BatchList.count > 1) {
        for (int32_t i = 1, j = BatchList.count; i < j; ++i, --j)
            std::swap(BatchList.names(i), BatchList.names(j));
    }

    core::CommandLine.blank();
    core::CommandLine.put(1, 4, kept);
    return opened ? BatchList.count : -999;
}

// Contract: see the header. Steps the character before the extension's "." (the end of the
// name when it has none); a digit 9 or a letter z/Z carries to the character before. Any other
// character (a blank, a sign, a separator) ends the walk unchanged, so that a name never gains
// a "." or loses its folder.
void increment_file_number(core::FixedText<512>& name) {
    const std::string text = name.trimmed();
    const std::size_t dot = extension_dot(text);
    for (int k = static_cast<int>(dot); k >= 1; --k) {
        char& c = name(k);
        if (c >= '0' && c <= '8') {
            ++c;
            return;
        }
        if ((c >= 'a' && c <= 'y') || (c >= 'A' && c <= 'Y')) {
            ++c;
            return;
        }
        if (c == '9') {
            c = '0';
        } else if (c == 'z') {
            c = 'a';
        } else if (c == 'Z') {
            c = 'A';
        } else {
            return;
        }
    }
}

}  // namespace output
