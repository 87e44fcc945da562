// Numbered file units: the engine opens, reads, writes and closes files by unit number, as text
// (one record a line) or raw bytes. Names are the program's own (Windows-style allowed) and are
// turned into local paths by the platform layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

enum class UnitStatus { Old, New, Unknown, Replace };
enum class UnitForm { Text, Raw };
enum class IoResult { Ok, End, Error };

constexpr int kMaxUnit = 99;

// Opens name on unit (closing what the unit had). Old: must exist. New: created, must not
// exist (a link at the name, even a dangling one, refuses). Unknown: opened when it exists,
// created otherwise. In the work folder a link at the name is never followed: the open fails.
// Replace: the unit writes a new file, temporary_file_path's, beside the target, which stays
// as it was until close_unit puts the complete file in its place (see close_unit); a link at a
// name outside the work folder is written through (its file is replaced), and a target that
// exists but is no regular file or may not be written refuses the open. Returns false on
// failure.
bool open_unit(int unit, std::string_view name, UnitStatus status, UnitForm form);
// The same for a local path taken exactly as given: no program-folder mapping and no look-up
// regardless of case (for files the program names itself, such as its temporary files).
bool open_unit_at_local_path(int unit, const std::string& path, UnitStatus status, UnitForm form);
// Closes the unit; false when what was written could not be flushed to the file. A Replace
// unit's file is flushed, synced (outside the work folder: the user's files must survive a
// crash) and renamed over its target, which keeps its permissions; when a write on the unit
// failed or any of these steps fails, the temporary file is removed, the target is left as it
// was and the result is false.
bool close_unit(int unit);
// Closes the unit without keeping what it wrote: a Replace unit's temporary file is removed
// and its target left as it was (any other unit is closed as close_unit does).
void abandon_unit(int unit);
// Writes bytes at offset of the unit's file without moving its sequential position: a writer
// patching what it wrote earlier (a box measured at the end). Error when the unit is closed
// or the write fails (the unit then counts as failed).
IoResult overwrite_unit_bytes(int unit, int64_t offset, std::string_view bytes);
bool unit_is_open(int unit);
// Local path of the file open on unit ("" when closed).
std::string unit_path(int unit);
// The byte position the next write on the unit goes to, what is still buffered counted (-1
// when the unit is closed): where a writer that patches its file later finds its own text.
int64_t unit_position(int unit);
// Why the last open, write or close of the unit failed, for the user: ": PATH: REASON" (the
// file meant and the system's words, such as "Permission denied" or "No space left on
// device"); "" when nothing failed since the unit was last opened. Kept after the close.
std::string unit_failure_text(int unit);
// The system's words alone ("No space left on device"), for a caller that names the file itself.
std::string unit_failure_reason(int unit);
// Closes every unit; Replace units are abandoned (what they wrote may be incomplete).
void close_all_units();

// The file a write meant for the local path replaces: a symbolic link the user named keeps
// pointing at its file, which is replaced (created when missing); in the work folder a link is
// never followed (the new file takes its place). "" when links loop or end in a folder that
// does not exist: nothing may be written then.
std::string replacement_target(const std::string& path);
// The temporary file a Replace unit (or a document save, unit 0) writes in folder:
// ".~ormest<pid>.tmp" for unit 0, ".~ormest<pid>-<unit>.tmp" otherwise, so that units of one
// process never share one.
std::string temporary_file_path(const std::string& folder, int unit);
// Removes from folder the temporary files that processes no longer running left there (a
// write that was killed before its rename); those of running processes and anything that is
// no plain file stay. Each folder is looked through once per run.
void remove_stale_temporary_files(const std::string& folder);

// Text units: one record a line, ended by LF, CR LF or a lone CR; the record comes back
// without its end.
IoResult read_record(int unit, std::string& record);
// How many records read_record has read from the unit since it was opened or rewound: the
// number of the line last read (0 when the unit is closed).
int64_t records_read(int unit);
// Writes one record and a line end. A write after reads or at the start truncates the file
// there, as a sequential file does.
IoResult write_record(int unit, std::string_view record);

// Raw units: byte streams.
IoResult read_bytes(int unit, void* buffer, std::size_t n, std::size_t* got = nullptr);
IoResult write_bytes(int unit, const void* buffer, std::size_t n);
void rewind_unit(int unit);

}  // namespace core
