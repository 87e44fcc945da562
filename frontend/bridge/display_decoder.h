// Decoding of the engine's two output lists into what the view paints: screen paths (points in
// page units at a zoom) and text records. Plain structures, no Qt: the view and the printer turn
// them into drawing calls.
//
// The decoder never writes into the lists it reads: a path start that carries no point (another
// start follows it directly) is skipped by looking ahead, not by marking the entry. Every length
// is checked against the buffer it describes, and the results grow as needed, so no list can
// overrun a table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace frontend {

// Kinds in the top byte of an entry's third word.
constexpr uint32_t kKindContinue = 0x00;  // next point of the current sub-path
constexpr uint32_t kKindOpenLine = 0x01;  // starts a path: an open line
constexpr uint32_t kKindShape = 0x02;     // starts a path: outlined or filled shape
constexpr uint32_t kKindSubPath = 0x03;   // starts a new sub-path of the current path
constexpr uint32_t kKindSkip = 0xFF;      // an empty path: no point

inline uint32_t EntryKind(int32_t op_word) { return static_cast<uint32_t>(op_word) >> 24; }
inline uint32_t EntryColour(int32_t op_word) { return static_cast<uint32_t>(op_word) & 0xFFFFFF; }

// Engine (display) units to page units: (v * scale + 128) >> 8, halves rounding up, computed in
// 64 bits and saturated to 32.
int32_t EngineToPage(int32_t value, int32_t scale);
// Page units to engine units: (p << 8) / scale, truncating toward zero; 0 for a scale below 1.
int32_t PageToEngine(int32_t value, int32_t scale);

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct ScreenPath {
    int32_t op = 0;             // colour and kind of the entry that starts the path
    int32_t first_subpath = 0;  // index into ScreenGeometry::subpath_counts
    int32_t first_point = 0;    // index into ScreenGeometry::points
    int32_t subpath_count = 0;
    int32_t last_count = 0;  // points of the last sub-path
    uint32_t kind() const { return EntryKind(op); }
    uint32_t colour() const { return EntryColour(op); }
};

struct ScreenGeometry {
    std::vector<ScreenPoint> points;
    std::vector<int32_t> subpath_counts;
    std::vector<ScreenPath> paths;
    void clear() {
        points.clear();
        subpath_counts.clear();
        paths.clear();
    }
};

// Builds the paths of list[0 .. length) at scale. Only whole entries are read; a length below 0
// reads nothing, one above capacity reads capacity words. A start entry directly followed by
// another start (in a list of at least 6 words) carries no point and is skipped, as are entries
// of kind 0xFF; a path whose first point comes from a sub-path start (or a continuation) that
// follows such a skipped path start takes that start's colour and kind.
void BuildScreenPaths(const int32_t* list, int32_t length, int32_t capacity, int32_t scale,
                      ScreenGeometry& out);

struct TextPiece {
    int32_t x = 0;  // display units
    int32_t y = 0;
    std::string text;  // CP1252 bytes, without the zero
};

struct TextRecord {
    int32_t start = 0;  // offset of the record in the stream
    std::string face;   // at most 31 characters
    float height = 0.0f;
    float half_width = 0.0f;
    int32_t escapement = 0;  // tenths of a degree
    uint32_t colour = 0;     // COLORREF (0x00BBGGRR)
    int32_t weight = 400;
    uint8_t italic = 0;
    uint8_t underline = 0;
    int32_t first_piece = 0;  // offset of the first piece in the stream
    std::vector<TextPiece> pieces;
};

struct TextDecodeResult {
    std::vector<TextRecord> records;
    // False when a record did not fit in the length (or the length in the buffer): that record
    // and everything after it are left out.
    bool complete = true;
    int32_t bad_offset = -1;  // where the rejected record starts
};

// Decodes the records of stream[0 .. length). length is first brought inside 0..capacity. Never
// reads a byte at or beyond the (brought-in) length.
TextDecodeResult DecodeTextRecords(const uint8_t* stream, int32_t length, int32_t capacity);

}  // namespace frontend
