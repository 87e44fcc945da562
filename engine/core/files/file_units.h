// Numbered file units: the engine opens, reads, writes and closes files by unit number, as text
// (one record a line) or raw bytes. Names are the program's own (Windows-style allowed) and are
// turned into local paths by the platform layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

enum class UnitStatus { Old, New, Unknown };
enum class UnitForm { Text, Raw };
enum class IoResult { Ok, End, Error };

constexpr int kMaxUnit = 99;

// Opens name on unit (closing what the unit had). Old: must exist. New: created, must not
// exist (a link at the name, even a dangling one, refuses). Unknown: opened when it exists,
// created otherwise. In the work folder a link at the name is never followed: the open fails.
// Returns false on failure.
bool open_unit(int unit, std::string_view name, UnitStatus status, UnitForm form);
// The same for a local path taken exactly as given: no program-folder mapping and no look-up
// regardless of case (for files the program names itself, such as its temporary files).
bool open_unit_at_local_path(int unit, const std::string& path, UnitStatus status, UnitForm form);
// Closes the unit; false when what was written could not be flushed to the file.
bool close_unit(int unit);
bool unit_is_open(int unit);
// Local path of the file open on unit ("" when closed).
std::string unit_path(int unit);
// The byte position the next write on the unit goes to, what is still buffered counted (-1
// when the unit is closed): where a writer that patches its file later finds its own text.
int64_t unit_position(int unit);
void close_all_units();

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
