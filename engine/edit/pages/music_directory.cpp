#include "engine/edit/pages/music_directory.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/name_compare.h"
#include "engine/core/files/short_names.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "platform/paths.h"

namespace edit {

namespace {

namespace fs = std::filesystem;

using core::CommandLine;
using core::SecondLine;

constexpr int32_t kMostEntries = 1000;
constexpr int32_t kStepLength = 3;
constexpr int32_t kMacroRanPastEnd = -99;
constexpr int32_t kDialogCancel = 2;
// A name of three stepping characters has at most 36^3 values: a step loop ends by then.
constexpr int32_t kMostSteps = 36 * 36 * 36;

// The document files of one folder with one extension, in name order, and the last direction.
struct FolderListState {
    std::vector<std::string> names;
    std::string folder;
    std::string extension;
    int32_t direction = 0;
};
FolderListState FolderList;

std::string trim_blanks(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\0' ||
                             text.back() == '\t'))
        text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return std::string(text);
}

// Where the file part of a name starts (after its last separator or drive colon).
std::size_t file_part_start(std::string_view name) {
    const std::size_t sep = name.find_last_of("\\/:");
    return sep == std::string_view::npos ? 0 : sep + 1;
}

std::string_view file_part(std::string_view name) { return name.substr(file_part_start(name)); }

// The name's extension with its dot ("" when the file part has none after its first letter).
std::string extension_of(std::string_view name) {
    const std::string_view part = file_part(name);
    const std::size_t dot = part.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return std::string(part.substr(dot));
}

// Reads the music directory of the current folder into MusicDirectoryList; false, with the
// user told, when the file cannot be opened.
bool read_music_directory() {
    std::ifstream in(platform::local_path(kMusicDirectoryFile));
    if (!in) {
        core::report_failure("#MUSDIR#.TMP not found.");
        return false;
    }
    core::MusicDirectoryRecord& list = core::MusicDirectoryList;
    list.names.clear();
    std::string line;
    while (static_cast<int32_t>(list.names.size()) < kMostEntries && std::getline(in, line)) {
        std::string entry = music_directory_entry(line);
        if (!entry.empty()) list.names.push_back(std::move(entry));
    }
    list.loaded = true;
    if (list.current > static_cast<int32_t>(list.names.size())) list.current = 0;
    return true;
}

// Leaves "G name" for the file command, which the interpreter runs on a "~" line.
void leave_file_command(const std::string& name) {
    SecondLine.set("G " + name);
    CommandLine(1) = '~';
}

// Whether the save's word is "SX" or "SB" (the stepped name is saved, not looked for).
bool saving_stepped_name() {
    return CommandLine(1) == 'S' && (CommandLine(2) == 'X' || CommandLine(2) == 'B');
}

// One step of a stepping character; carry true when it wrapped. false when c cannot step.
bool step_character(char& c, int32_t direction, bool& carry) {
    carry = false;
    const bool up = direction > 0;
    auto wrap = [&](char first, char last) {
        if (c < first || c > last) return false;
        if (up) {
            carry = c == last;
            c = carry ? first : static_cast<char>(c + 1);
        } else {
            carry = c == first;
            c = carry ? last : static_cast<char>(c - 1);
        }
        return true;
    };
    return wrap('0', '9') || wrap('A', 'Z') || wrap('a', 'z');
}

}  // namespace

// Contract: pure; see the header. Fixed fields: the first blank comes before any "." and lies
// in columns 2..8, columns up to 8 after it are blank, and the extension ends by column 12.
std::string music_directory_entry(std::string_view line) {
    const std::string whole = trim_blanks(line);
    if (whole.empty()) return {};
    const std::size_t blank = whole.find(' ');
    const std::size_t dot = whole.find('.');
    if (blank == std::string::npos || blank > 7 || (dot != std::string::npos && dot < blank) ||
        whole.size() > 12) {
        return core::dotted_directory_name(whole);
    }
    for (std::size_t k = blank; k < 8 && k < whole.size(); ++k)
        if (whole[k] != ' ') return whole;
    const std::string base = whole.substr(0, blank);
    std::string extension = whole.size() > 8 ? trim_blanks(whole.substr(8)) : std::string();
    if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
    if (extension.find_first_of(" .") != std::string::npos) return whole;
    return extension.empty() ? base : base + "." + extension;
}

// Contract: see the header. Reads "#musdir#.tmp" (at most 1,000 names) into
// MusicDirectoryList; writes its current entry, SecondLine and CommandLine(1) when an entry is
// chosen. A missing file is reported; an empty list or a cancelled dialog chooses nothing.
void music_directory_dialog(int32_t selector) {
    if (!read_music_directory()) return;
    core::MusicDirectoryRecord& list = core::MusicDirectoryList;
    const int32_t count = static_cast<int32_t>(list.names.size());
    if (selector == 0 || count == 0) return;
    int32_t entry = selector;
    if (selector == -1) {
        int32_t choice = 0;
        if (core::front_end().RunMusDirDialog(list.names, choice) == kDialogCancel) return;
        if (choice < 1 || choice > count) return;
        entry = choice;
    } else if (selector == -99) {
        entry = list.current - 1;
    } else if (selector == -98) {
        entry = list.current + 1;
    }
    if (entry > count) entry = 1;
    if (entry < 1) entry = count;
    list.current = entry;
    leave_file_command(list.names[entry - 1]);
}

// Contract: "NDIR" the temporary drive; "NAME" shows the current name and the item count; any
// other N word steps through the folder ("NB" back, else forward) and, when a file was chosen,
// leaves "~" as CommandLine's first letter. Reads CommandLine, ParamBuffer, ItemCount.
void run_ndir_command() {
    if (CommandLine.starts_with("NDIR")) {
        set_temp_drive();
        return;
    }
    if (CommandLine.starts_with("NAME")) {
        core::show_notice(core::CurrentFileName.trimmed() + "\r\n" +
                          core::format_int("(1i4)", core::ItemCount) + " items.");
        return;
    }
    step_folder_file(CommandLine(2) == 'B' ? 1 : 0);
}

// Contract: see the header. Builds the list from the current name's folder; names are
// compared without regard to case.
// Reads CurrentFileName, ParamBuffer P2 (the count, 1 when not above 0), MacroUnit; writes
// SecondLine, CommandLine(1), MacroUnit (0 when a command file ran past the end).
int32_t step_folder_file(int32_t direction) {
    if (direction == 99) direction = FolderList.direction;
    const std::string current = core::CurrentFileName.trimmed();
    const std::string folder = current.substr(0, file_part_start(current));
    const std::string extension = extension_of(current);
    // Built afresh each time: files come and go between steps, and the current folder changes.
    {
        FolderList = FolderListState{{}, folder, extension, FolderList.direction};
        std::error_code ec;
        const std::string local = platform::local_path(folder.empty() ? "." : folder);
        for (fs::directory_iterator it(local, ec), end; !ec && it != end; it.increment(ec)) {
            if (static_cast<int32_t>(FolderList.names.size()) >= kMostEntries) break;
            std::error_code kind_error;
            if (!it->is_regular_file(kind_error)) continue;
            const std::string name = it->path().filename().string();
            if (!extension.empty() && !core::ends_with_nocase(name, extension)) continue;
            FolderList.names.push_back(folder + name);
        }
        std::sort(FolderList.names.begin(), FolderList.names.end(),
                  [](const std::string& a, const std::string& b) {
                      return std::lexicographical_compare(
                          a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                              return std::toupper(static_cast<unsigned char>(x)) <
                                     std::toupper(static_cast<unsigned char>(y));
                          });
                  });
        if (direction < 0) return 0;
    }
    FolderList.direction = direction;
    const std::vector<std::string>& names = FolderList.names;
    const int32_t count = static_cast<int32_t>(names.size());
    int32_t at = 0;
    for (int32_t k = 1; k <= count && at == 0; ++k)
        if (core::equals_nocase(file_part(names[k - 1]), file_part(current))) at = k;
    if (at == 0) return 0;
    const int32_t steps = std::max(core::int_of(core::ParamBuffer(2)), 1);
    // Wide: a typed count may be the largest integer.
    int64_t target = direction == 1 ? int64_t{at} - steps : int64_t{at} + steps;
    if (target > count || target < 1) {
        if (core::MacroUnit != 0) {
            if (core::MacroUnit > 0 && core::unit_is_open(core::MacroUnit)) {
                core::close_unit(core::MacroUnit);
                // The word as typed: its letters, without the count the scanner masked.
                std::string word;
                for (const char c : CommandLine.view().substr(0, 3)) {
                    if (!std::isalpha(static_cast<unsigned char>(c))) break;
                    word += c;
                }
                core::report_failure("*** " + word + " went past the folder's " +
                                     (direction == 1 ? "first" : "last") +
                                     " document: the rest of the file was not read.");
                // The file's "Reading" line would follow the notice as if it read on.
                core::clear_exchange_text();
            }
            core::MacroUnit = 0;
            return kMacroRanPastEnd;
        }
        target = target > count ? 1 : count;
    }
    leave_file_command(names[static_cast<std::size_t>(target - 1)]);
    return 1;
}

const std::vector<std::string>& folder_file_list() { return FolderList.names; }

// Contract: see the header. Reads CommandLine, CurrentFileName, "#musdir#.tmp"; writes
// SecondLine (and CommandLine(1) = "~" when a music directory entry or an existing stepped
// name is chosen). A name that cannot step leaves everything as it was.
void step_document_name() {
    const char second = CommandLine(2);
    const int32_t direction = second == 'B' ? -1 : 1;
    if (second != 'X' && second != 'B') {
        const std::string old = core::CurrentFileName.trimmed();
        std::string name = old;
        for (int32_t k = 0; k < kMostSteps; ++k) {
            if (!step_file_name(name, direction)) return;
            if (platform::file_exists(name)) break;
        }
        if (!platform::file_exists(name) || name == old) return;
        leave_file_command(name);
        return;
    }
    if (CommandLine(3) == 'A') {
        // Saving under the unstepped name would write over the file just stepped from: the
        // save asks for a name instead.
        if (!step_typed_name(SecondLine, direction)) {
            const std::string text = trim_blanks(SecondLine.view());
            SecondLine.set(text.substr(0, text.find(' ')));
        }
        return;
    }
    std::ifstream in(platform::local_path(kMusicDirectoryFile));
    if (!in) {
        core::report_failure("#MUSDIR#.TMP not found.");
        return;
    }
    const std::string current(file_part(core::CurrentFileName.trimmed()));
    std::string previous;
    std::string line;
    while (std::getline(in, line)) {
        const std::string entry = music_directory_entry(line);
        if (entry.empty()) continue;
        if (core::equals_nocase(file_part(entry), current)) {
            std::string target = previous;
            if (direction > 0) {
                target.clear();
                while (target.empty() && std::getline(in, line))
                    target = music_directory_entry(line);
            }
            if (!target.empty()) leave_file_command(target);
            return;
        }
        previous = entry;
    }
}

// Contract: pure; see the header.
bool step_file_name(std::string& name, int32_t direction) {
    const std::size_t start = file_part_start(name);
    std::size_t end = name.size();
    while (end > start && (name[end - 1] == ' ' || name[end - 1] == '\0')) --end;
    const std::size_t dot = name.find('.', start + 1);
    const std::size_t stem_end = dot == std::string::npos || dot >= end ? end : dot;
    if (stem_end <= start) return false;
    const std::size_t reach = std::min<std::size_t>(kStepLength, stem_end - start);
    std::string stepped = name;
    for (std::size_t k = 1; k <= reach; ++k) {
        bool carry = false;
        if (!step_character(stepped[stem_end - k], direction < 0 ? -1 : 1, carry)) return false;
        if (!carry) {
            name = stepped;
            return true;
        }
    }
    return false;
}

// Contract: see the header. Reads CommandLine (the save's word); writes line.
bool step_typed_name(core::FixedText<512>& line, int32_t direction) {
    const std::string text = trim_blanks(line.view());
    const std::size_t blank = text.find(' ');
    const std::string word = text.substr(0, blank);
    const std::string typed =
        blank == std::string::npos ? std::string() : trim_blanks(text.substr(blank + 1));
    if (typed.empty()) {
        core::report_failure("** NAME is blank. ***");
        return false;
    }
    if (direction == 0) direction = 1;
    std::string name = typed;
    const bool once = saving_stepped_name();
    for (int32_t k = 0;; ++k) {
        if (k >= kMostSteps || !step_file_name(name, direction)) {
            core::report_failure(once ? "*** " + typed + " cannot be stepped."
                                      : "*** No file stepped on from " + typed + " exists.");
            return false;
        }
        if (once || platform::file_exists(name)) break;
    }
    line.set(word + " " + name);
    return true;
}

// Contract: see the header. Reads TempDirPrefix; it is not changed.
int32_t set_temp_drive() {
    const std::string head = trim_blanks(core::TempDirPrefix.view().substr(0, 8));
    return head.size() % 2 == 1 ? 0 : -1;
}

}  // namespace edit
