// A parsed marks line to note attributes and mark rows.
#pragma once

namespace input {

// Reads InputTokenList (mark codes and note numbers) and the note rows of ColumnRecords; writes
// the notes' mark attributes and appends the mark rows.
void build_mark_items();

}  // namespace input
