// The files the page was read from or written to.
#include "engine/commands/files/document_file_records.h"

#include "engine/commands/files/file_commands.h"
#include "platform/paths.h"

namespace core {

DocumentFileRecordTable DocumentFileRecords;

void reset_document_file_records() { DocumentFileRecords = DocumentFileRecordTable{}; }

namespace {

// The local path of name, made whole with the current folder: the folder moves with every
// load and save, the entry must keep naming the same file.
std::string whole_path(std::string_view name) { return platform::local_path(make_temp_path(name)); }

// The entry kept for the local path, 0 when none.
int32_t entry_for_path(const std::string& path) {
    for (int32_t k = 1; k <= DocumentFileRecords.count; ++k)
        if (DocumentFileRecords.entries(k).path.trimmed() == path) return k;
    return 0;
}

void remove_entry(int32_t k) {
    auto& t = DocumentFileRecords;
    for (int32_t i = k; i < t.count; ++i) t.entries(i) = t.entries(i + 1);
    t.entries(t.count) = DocumentFileRecord{};
    --t.count;
}

}  // namespace

// Contract: see the header. A name that maps to no local path, or whose file cannot be looked
// at, is not kept. Tables: DocumentFileRecords.
void record_document_file(std::string_view name, bool replaces_page) {
    if (replaces_page) reset_document_file_records();
    const std::string path = whole_path(name);
    if (path.empty()) return;
    const platform::FileIdentity identity = platform::file_identity(path);
    if (!identity.exists) return;
    auto& t = DocumentFileRecords;
    if (const int32_t k = entry_for_path(path); k != 0) remove_entry(k);
    if (t.count == kDocumentFileRecords) remove_entry(1);
    ++t.count;
    t.entries(t.count).path.set(path);
    t.entries(t.count).identity = identity;
}

// Contract: see the header. The entry of the same path decides (unchanged, or changed); another
// path of the same unchanged file (a link, another spelling of the folder) counts as bound.
// Tables: reads DocumentFileRecords.
SaveTargetStanding save_target_standing(std::string_view name) {
    const std::string path = whole_path(name);
    const platform::FileIdentity now = platform::file_identity(path);
    if (path.empty() || !now.exists) return SaveTargetStanding::Absent;
    if (const int32_t k = entry_for_path(path); k != 0) {
        return DocumentFileRecords.entries(k).identity == now ? SaveTargetStanding::Bound
                                                              : SaveTargetStanding::Changed;
    }
    for (int32_t k = 1; k <= DocumentFileRecords.count; ++k)
        if (DocumentFileRecords.entries(k).identity == now) return SaveTargetStanding::Bound;
    return SaveTargetStanding::Unbound;
}

}  // namespace core
