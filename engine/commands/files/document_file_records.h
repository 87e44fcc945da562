// The files the page was read from or written to, each with the identity it had then, so that a
// save can tell a file the page has never been bound to (a new page, a failed get) and a file
// that another program changed since, and ask before writing over either.
//
// Table owned here: DocumentFileRecords. Written after every load that puts a file on the page
// (not a merge, not a work copy), after every save, and emptied for a new document.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"
#include "platform/file_identity.h"

namespace core {

// A file of the page: its local path when it was read or written, and its identity then.
struct DocumentFileRecord {
    FixedText<512> path;
    platform::FileIdentity identity;
};
// Entries 1..count, the most recent last; when full the oldest goes (a save over it then asks
// like a save over any file the page was never bound to).
constexpr int32_t kDocumentFileRecords = 16;
struct DocumentFileRecordTable {
    int32_t count = 0;
    Array1<DocumentFileRecord, kDocumentFileRecords> entries;
};
extern DocumentFileRecordTable DocumentFileRecords;

// Empties the table: a new document, or the engine's reset.
void reset_document_file_records();

// After a successful load or save of the document under name: its identity as it is now is
// kept (replacing what was kept for that path). A load that replaces the page passes
// replaces_page, which first forgets the files of the page before.
void record_document_file(std::string_view name, bool replaces_page);

// How the file a save would write stands towards the page.
enum class SaveTargetStanding {
    Absent,   // nothing is there: the save creates it (also a file removed since)
    Bound,    // the page was read from or written to this very file, unchanged since
    Unbound,  // a file the page was never read from or written to
    Changed,  // the page's file, changed by another program since it was read or written
};
// The standing of the file a save to name would write (name as the save resolved it).
SaveTargetStanding save_target_standing(std::string_view name);

}  // namespace core
