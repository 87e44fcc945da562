#include "engine/commands/words/dr_commands.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "engine/commands/files/file_commands.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/short_names.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/layout/tables.h"
#include "engine/render/page/display_file.h"
#include "engine/render/page/page_redraw.h"
#include "platform/paths.h"

namespace core {

namespace {

namespace fs = std::filesystem;

constexpr int kDateSourceUnit = 18;
constexpr int kDateCopyUnit = 19;
constexpr int32_t kYes = -1;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
    const std::size_t nul = s.find('\0');
    if (nul != std::string_view::npos) s = s.substr(0, nul);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (std::toupper(static_cast<unsigned char>(a[k])) !=
            std::toupper(static_cast<unsigned char>(b[k])))
            return false;
    return true;
}

// The last component of a path in either separator.
std::string_view file_part(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/:");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The rest of the line as typed after its command word: the name a D word acts on.
std::string name_after_word(std::string_view line) {
    line = trim(line);
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return {};
    return std::string(trim(line.substr(blank)));
}

// Today as nine characters, "07-Dec-26".
std::string todays_date() {
    static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%s-%02d", t.tm_mday, kMonths[t.tm_mon % 12],
                  t.tm_year % 100);
    return text;
}

// "DATE name": every line of the text file that begins with "'" gets today's date in its
// characters 2..10. The stamped text is written beside the file and replaces it only when
// complete: a failure at any point leaves the file as it was.
void stamp_source_date() {
    const std::string name = name_after_word(SecondLine.view());
    if (name.empty()) {
        report_failure("*** Type DATE and the name of the file to stamp.");
        return;
    }
    if (!open_unit(kDateSourceUnit, name, UnitStatus::Old, UnitForm::Text)) {
        report_file_not_found(name);
        return;
    }
    const std::string original = unit_path(kDateSourceUnit);
    if (!open_unit_at_local_path(kDateCopyUnit, original, UnitStatus::Replace, UnitForm::Text)) {
        close_unit(kDateSourceUnit);
        report_failure("*** Cannot write " + platform::shown_path(original));
        return;
    }
    const std::string date = todays_date();
    std::string line;
    bool written = true;
    IoResult r;
    while ((r = read_record(kDateSourceUnit, line)) == IoResult::Ok) {
        if (!line.empty() && line[0] == '\'') {
            if (line.size() < 1 + date.size()) line.resize(1 + date.size(), ' ');
            line.replace(1, date.size(), date);
        }
        if (write_record(kDateCopyUnit, line) != IoResult::Ok) written = false;
    }
    close_unit(kDateSourceUnit);
    if (r == IoResult::Error) written = false;
    if (!written) abandon_unit(kDateCopyUnit);
    if (!close_unit(kDateCopyUnit) || !written) {
        report_failure("*** " + name + " could not be stamped; it is unchanged.");
        return;
    }
    leave_reply(ReplyKind::Notice,
                "Date " + date + " stamped into " + name + ". Rebuild to take it in.");
}

// "DX" and "DB": the next or previous entry of the music directory after the current document,
// round at either end, is loaded. Nothing happens without a loaded directory.
void step_music_directory(bool next) {
    MusicDirectoryRecord& list = MusicDirectoryList;
    const int32_t count = static_cast<int32_t>(list.names.size());
    if (!list.loaded || count == 0) return;
    const std::string current_path = CurrentFileName.trimmed();
    const std::string_view current = file_part(current_path);
    int32_t at = list.current;
    for (int32_t k = 1; k <= count; ++k) {
        const std::string entry = dotted_directory_name(list.names[k - 1]);
        if (same_name(file_part(entry), current)) {
            at = k;
            break;
        }
    }
    if (at < 0 || at > count) at = 0;
    if (next)
        at = at >= count ? 1 : at + 1;
    else
        at = at <= 1 ? count : at - 1;
    list.current = at;
    const std::string chosen = dotted_directory_name(list.names[at - 1]);
    SecondLine.set("G " + chosen);
    CommandLine.set("G " + chosen);
    CommandModeLetters(1) = 'G';
    CommandModeLetters(2) = ' ';
    run_file_command();
}

// "D?P": keeps the items on staves 201..256, or on 1..200 with "R" as fourth letter.
void keep_page_staves(bool first_page) {
    const int32_t low = first_page ? 1 : layout::kLeftPageStaves + 1;
    const int32_t high = first_page ? layout::kLeftPageStaves : layout::kMaxStaves;
    save_undo_copy();
    std::vector<float> kept;
    std::vector<int32_t> starts;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const int32_t s = ItemStartTable(k);
        const int32_t n = int_of(ItemStore(s));
        const int32_t staff = n >= 2 ? int_of(ItemStore(s + 2)) : 0;
        if (staff < low || staff > high) continue;
        starts.push_back(static_cast<int32_t>(kept.size()) + 1);
        for (int32_t w = 0; w <= n; ++w) kept.push_back(ItemStore(s + w));
    }
    for (std::size_t w = 0; w < kept.size(); ++w) ItemStore(static_cast<int>(w) + 1) = kept[w];
    ItemCount = static_cast<int32_t>(starts.size());
    for (int32_t k = 1; k <= ItemCount; ++k) ItemStartTable(k) = starts[k - 1];
    ItemWordsUsed = static_cast<int32_t>(kept.size()) + 1;
    ItemStartTable(ItemCount + 1) = ItemWordsUsed;
    if (ItemWordsUsed <= ItemStore.size()) ItemStore(ItemWordsUsed) = 0.0f;
    render::redraw_items();
}

// "D?L*name": deletes the named file after a Yes to "Delete this file? --".
void delete_named_file() {
    const std::string name(trim(SecondLine.sub(5, SecondLine.size())));
    if (name.empty() || !platform::file_exists(name)) return;
    const std::string path = platform::local_path(name);
    const std::string question = "Delete this file? -- " + name;
    if (front_end().AskYesNo(question.c_str(), 1) != kYes) return;
    std::error_code ec;
    if (!fs::remove(path, ec))
        show_message(ReplyKind::Failure, "*** " + name + " could not be deleted.");
}

}  // namespace

// Contract: runs the D word in CommandLine by its letters, in the order of the table: "DATE"
// stamps a file, third letter "Y" the display file, second mode letter "X"/"B" steps through
// MusicDirectoryList, "DIR" copies SecondLine(1..160) into CommandLine, then with second mode
// letter "E" (or second letter "G"): "C" splits the page into files, "P" keeps one page's
// staves, "L*" deletes a named file, anything else deletes box items by code. Any other word
// does nothing. Reads CommandLine, SecondLine, CommandModeLetters, EditedItemNumber.
void run_dr_command() {
    const int32_t letter2 = CommandModeLetters(2);
    const char letter3 = CommandLine(3);
    const char letter4 = CommandLine(4);
    if (CommandLine.starts_with("DATE")) {
        stamp_source_date();
        return;
    }
    if (letter3 == 'Y') {
        if (!render::write_display_file())
            report_failure("*** The display file could not be written.");
        return;
    }
    if (letter2 == 'X' || letter2 == 'B') {
        step_music_directory(letter2 == 'X');
        return;
    }
    if (letter2 == 'I' && letter3 == 'R') {
        CommandLine.put(1, 160, SecondLine.sub(1, 160));
        return;
    }
    if (letter2 == 'E' && letter3 == 'C') {
        split_into_files();
        return;
    }
    if (letter2 != 'E' && letter2 != 'G') return;
    if (letter3 == 'P') {
        keep_page_staves(letter4 == 'R');
        return;
    }
    if (letter3 == 'L' && letter4 == '*' && EditedItemNumber == 0) {
        delete_named_file();
        return;
    }
    edit::delete_box_codes();
}

}  // namespace core
