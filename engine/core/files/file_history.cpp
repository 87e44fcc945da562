#include "engine/core/files/file_history.h"

#include <string>

#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "platform/file_identity.h"
#include "platform/paths.h"

namespace core {

namespace {

constexpr std::string_view kWorkFolderName = "C:\\!tmp";

std::string_view trim_right(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// One history line: the name blank-padded to the line width, never cut.
std::string history_line(std::string_view name) {
    std::string line(trim_right(name));
    if (line.size() < static_cast<std::size_t>(kHistoryLineWidth))
        line.resize(static_cast<std::size_t>(kHistoryLineWidth), ' ');
    return line;
}

// Refreshes HistoryTable from the file; entries beyond a short file's last line become ".".
// A missing or unreadable file leaves the table as it is.
void read_history_file() {
    if (!open_unit(kHistoryUnit, kHistoryFileName, UnitStatus::Old, UnitForm::Text)) return;
    std::string record;
    int k = 0;
    while (k < kHistoryEntries && read_record(kHistoryUnit, record) == IoResult::Ok) {
        ++k;
        HistoryTable(k).set(trim_right(record));
    }
    for (int j = k + 1; j <= kHistoryEntries; ++j) HistoryTable(j).set(".");
    close_unit(kHistoryUnit);
}

void write_history_file() {
    platform::make_folder(kWorkFolderName);
    if (!open_unit(kHistoryUnit, kHistoryFileName, UnitStatus::Replace, UnitForm::Text)) return;
    for (int k = 1; k <= kHistoryEntries; ++k) {
        if (write_record(kHistoryUnit, history_line(HistoryTable(k).view())) != IoResult::Ok) break;
    }
    close_unit(kHistoryUnit);
}

}  // namespace

bool same_document_name(std::string_view a, std::string_view b) {
    a = trim_right(a);
    b = trim_right(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

void record_file_history(int32_t mode) {
    if (mode != 0) return;
    const std::string name = CurrentFileName.trimmed();
    if (name.empty() || name.find('!') != std::string::npos) return;

    // Copies loading at once each read, add and write the history: one at a time, so that no
    // copy's entry is lost.
    const platform::SharedRecordLock record_lock;
    read_history_file();
    for (int k = 1; k <= kHistoryEntries; ++k)
        if (same_document_name(HistoryTable(k).view(), name)) return;  // it keeps its place

    // Down one, even when the file was short or missing: entry 1 is never overwritten.
    for (int k = kHistoryEntries; k >= 2; --k) HistoryTable(k) = HistoryTable(k - 1);
    HistoryTable(1).set(name);
    write_history_file();
}

bool write_last_file_record(std::string_view name) {
    platform::make_folder(kWorkFolderName);
    if (!open_unit(kLastFileUnit, kLastFileRecordName, UnitStatus::Replace, UnitForm::Text))
        return false;
    const bool written = write_record(kLastFileUnit, history_line(name)) == IoResult::Ok;
    return close_unit(kLastFileUnit) && written;
}

std::string read_last_file_record() {
    if (!open_unit(kLastFileUnit, kLastFileRecordName, UnitStatus::Old, UnitForm::Text)) return {};
    std::string record;
    const bool got = read_record(kLastFileUnit, record) == IoResult::Ok;
    close_unit(kLastFileUnit);
    if (!got) return {};
    return std::string(trim_right(record));
}

}  // namespace core
