#include "frontend/bridge/display_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace frontend {

namespace {

int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool is_path_start(uint32_t kind) {
    return kind != kKindContinue && kind != kKindSubPath && kind != kKindSkip;
}

// Reads the stream little-endian with a cursor that never passes the end; every read reports
// whether the bytes were there.
class StreamReader {
  public:
    StreamReader(const uint8_t* data, int32_t length) : data_(data), length_(length) {}
    int32_t offset() const { return offset_; }
    bool at_end() const { return offset_ >= length_; }
    bool read_u32(uint32_t& v) {
        if (length_ - offset_ < 4) return false;
        v = static_cast<uint32_t>(data_[offset_]) | static_cast<uint32_t>(data_[offset_ + 1]) << 8 |
            static_cast<uint32_t>(data_[offset_ + 2]) << 16 |
            static_cast<uint32_t>(data_[offset_ + 3]) << 24;
        offset_ += 4;
        return true;
    }
    bool read_i32(int32_t& v) {
        uint32_t u = 0;
        if (!read_u32(u)) return false;
        v = static_cast<int32_t>(u);
        return true;
    }
    bool read_f32(float& v) {
        uint32_t u = 0;
        if (!read_u32(u)) return false;
        std::memcpy(&v, &u, sizeof v);
        return true;
    }
    // A 4-byte slot of which only the first byte counts.
    bool read_flag(uint8_t& v) {
        if (length_ - offset_ < 4) return false;
        v = data_[offset_];
        offset_ += 4;
        return true;
    }
    // A zero-terminated string; false when no zero comes before the end.
    bool read_string(std::string& s) {
        const uint8_t* begin = data_ + offset_;
        const void* nul = std::memchr(begin, 0, static_cast<std::size_t>(length_ - offset_));
        if (nul == nullptr) return false;
        const auto n = static_cast<const uint8_t*>(nul) - begin;
        s.assign(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(n));
        offset_ += static_cast<int32_t>(n) + 1;
        return true;
    }
    int32_t remaining() const { return length_ - offset_; }

  private:
    const uint8_t* data_;
    int32_t length_;
    int32_t offset_ = 0;
};

constexpr int32_t kFaceChars = 31;
constexpr int32_t kPieceMinBytes = 9;  // x, y and the zero of an empty text

// One record at the reader's position; false (reader somewhere inside it) when it is cut short.
bool read_record(StreamReader& in, TextRecord& r) {
    r.start = in.offset();
    if (!in.read_string(r.face)) return false;
    if (r.face.size() > static_cast<std::size_t>(kFaceChars)) r.face.resize(kFaceChars);
    float width = 0.0f;
    uint32_t colour = 0;
    int32_t count = 0;
    if (!in.read_f32(r.height) || !in.read_f32(width) || !in.read_i32(r.escapement) ||
        !in.read_u32(colour) || !in.read_i32(r.weight) || !in.read_flag(r.italic) ||
        !in.read_flag(r.underline) || !in.read_i32(count)) {
        return false;
    }
    r.half_width = width * 0.5f;
    r.colour = colour & 0xFFFFFF;
    // A count the remaining bytes cannot hold is a broken record, not a reason to allocate.
    if (count < 0 || count > in.remaining() / kPieceMinBytes) return false;
    r.first_piece = in.offset();
    r.pieces.resize(static_cast<std::size_t>(count));
    for (TextPiece& p : r.pieces) {
        if (!in.read_i32(p.x) || !in.read_i32(p.y) || !in.read_string(p.text)) return false;
    }
    return true;
}

}  // namespace

int32_t EngineToPage(int32_t value, int32_t scale) {
    return saturate((static_cast<int64_t>(value) * scale + 128) >> 8);
}

int32_t PageToEngine(int32_t value, int32_t scale) {
    if (scale < 1) return 0;
    return saturate(static_cast<int64_t>(value) * 256 / scale);
}

// Contract: reads list[0 .. min(length, capacity)) and never writes it; out is rebuilt wholly.
// Entry i (0-based) is skipped when its kind is 0xFF, or when the list has at least 6 words and
// both it and entry i + 1 have a kind other than 0 (the last entry is never skipped that way).
void BuildScreenPaths(const int32_t* list, int32_t length, int32_t capacity, int32_t scale,
                      ScreenGeometry& out) {
    out.clear();
    if (list == nullptr) return;
    const int32_t words = std::clamp(length, 0, std::max(capacity, 0));
    const int32_t n = words / 3;
    auto kind_of = [&](int32_t i) { return EntryKind(list[3 * i + 2]); };
    auto skipped = [&](int32_t i) {
        const uint32_t k = kind_of(i);
        if (k == kKindSkip) return true;
        return words >= 6 && i + 1 < n && k != kKindContinue && kind_of(i + 1) != kKindContinue;
    };
    int32_t i = 0;
    while (i < n) {
        // Skipped entries before the path's first point; the last path start among them gives
        // the op word when the first point's own entry starts no path.
        int32_t pending_op = 0;
        bool have_pending = false;
        while (i < n && skipped(i)) {
            if (is_path_start(kind_of(i))) {
                pending_op = list[3 * i + 2];
                have_pending = true;
            }
            ++i;
        }
        if (i >= n) break;
        ScreenPath row;
        const int32_t own_op = list[3 * i + 2];
        row.op = (!is_path_start(EntryKind(own_op)) && have_pending) ? pending_op : own_op;
        row.first_subpath = static_cast<int32_t>(out.subpath_counts.size());
        row.first_point = static_cast<int32_t>(out.points.size());
        int32_t count = 0;
        for (;;) {
            out.points.push_back(
                {EngineToPage(list[3 * i], scale), EngineToPage(list[3 * i + 1], scale)});
            ++count;
            const int32_t next = i + 1;
            i = next;
            if (next >= n) break;
            const uint32_t k = skipped(next) ? kKindSkip : kind_of(next);
            if (k == kKindContinue) continue;
            if (k == kKindSubPath) {
                out.subpath_counts.push_back(count);
                count = 0;
                continue;
            }
            break;
        }
        out.subpath_counts.push_back(count);
        row.last_count = count;
        row.subpath_count = static_cast<int32_t>(out.subpath_counts.size()) - row.first_subpath;
        out.paths.push_back(row);
    }
}

// Contract: reads stream[0 .. min(length, capacity)); records are decoded in order until the
// length is reached. A record that does not fit (a name or text without its zero, fields or
// pieces past the end, a negative or impossible piece count) ends the decoding: the records
// before it are kept, it and the rest are dropped, and the result says where.
TextDecodeResult DecodeTextRecords(const uint8_t* stream, int32_t length, int32_t capacity) {
    TextDecodeResult result;
    if (stream == nullptr) return result;
    const int32_t bytes = std::clamp(length, 0, std::max(capacity, 0));
    StreamReader in(stream, bytes);
    while (!in.at_end()) {
        TextRecord r;
        const int32_t start = in.offset();
        if (!read_record(in, r)) {
            result.complete = false;
            result.bad_offset = start;
            break;
        }
        result.records.push_back(std::move(r));
    }
    return result;
}

}  // namespace frontend
