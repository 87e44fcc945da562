// The history of recent documents and the last-file record: two small text files in the work
// folder. The history file holds 40 lines, newest first, each a document name blank-padded to
// at least 128 characters (a longer name is written whole), "." for an empty entry. The
// last-file record holds one line, the name of the last document loaded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

constexpr int32_t kHistoryUnit = 17;
constexpr int32_t kLastFileUnit = 7;
constexpr int kHistoryLineWidth = 128;
// Program-form names; the path layer maps "C:\!tmp\" to the work folder.
constexpr std::string_view kHistoryFileName = "C:\\!tmp\\!history.tmp";
constexpr std::string_view kLastFileRecordName = "C:\\!tmp\\!last!.tmp";

// Mode 0 records CurrentFileName as history entry 1 (other modes do nothing). Reads the
// history file into HistoryTable (a short or missing file leaves "." in the entries it does
// not give); a name already there keeps its place and nothing is written; otherwise the
// entries move down one (entry 40 drops out), the name becomes entry 1 and the file is
// rewritten, its folder made when missing. Blank names and names holding "!" (work copies,
// backups) are never recorded. Tables: HistoryTable; reads CurrentFileName.
void record_file_history(int32_t mode);

// Document names are the same when they differ only in case or trailing blanks.
bool same_document_name(std::string_view a, std::string_view b);

// Writes name as the one line of the last-file record (after a load that is no merge and whose
// extension is not ".TMP"). False when the record could not be written.
bool write_last_file_record(std::string_view name);
// The name in the last-file record, trailing blanks dropped; "" when there is none (the file
// dialog then opens without a preset).
std::string read_last_file_record();

}  // namespace core
