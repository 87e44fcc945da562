// A reader of TextDisplayStream written from the record layout (independent of the engine's
// writer): what the text drawer showed on the screen, record by record.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct ShownChar {
    int32_t x = 0;
    int32_t y = 0;
    std::string text;
    bool operator==(const ShownChar&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const ShownChar& c) {
    return o << "'" << c.text << "' at (" << c.x << ", " << c.y << ")";
}
struct ShownRecord {
    std::string face;
    float height = 0.0f;
    float width = 0.0f;
    int32_t angle = 0;
    uint32_t colour = 0;
    int32_t weight = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    std::vector<ShownChar> chars;
    std::string text() const {
        std::string s;
        for (const ShownChar& c : chars) s += c.text;
        return s;
    }
};

// Decodes the records of stream from byte `from` (0-based) to byte `end`; fails the test when a
// record is cut short.
inline std::vector<ShownRecord> read_text_records(const std::vector<uint8_t>& stream, int32_t from,
                                                  int32_t end) {
    std::vector<ShownRecord> out;
    int32_t at = from;
    auto word = [&](int32_t& v) {
        if (end - at < 4) return false;
        std::memcpy(&v, stream.data() + at, 4);
        at += 4;
        return true;
    };
    auto zstring = [&](std::string& s) {
        s.clear();
        while (at < end && stream[static_cast<std::size_t>(at)] != 0) {
            s.push_back(static_cast<char>(stream[static_cast<std::size_t>(at)]));
            ++at;
        }
        if (at >= end) return false;
        ++at;
        return true;
    };
    while (at < end) {
        ShownRecord r;
        int32_t h = 0, w = 0, colour = 0, count = 0;
        bool ok = zstring(r.face) && word(h) && word(w) && word(r.angle) && word(colour) &&
                  word(r.weight) && word(r.italic) && word(r.underline) && word(count);
        EXPECT_TRUE(ok) << "record header cut short at " << at;
        if (!ok) break;
        std::memcpy(&r.height, &h, 4);
        std::memcpy(&r.width, &w, 4);
        r.colour = static_cast<uint32_t>(colour);
        for (int32_t i = 0; i < count && ok; ++i) {
            ShownChar c;
            ok = word(c.x) && word(c.y) && zstring(c.text);
            EXPECT_TRUE(ok) << "character cut short in record " << out.size();
            if (ok) r.chars.push_back(c);
        }
        out.push_back(r);
        if (!ok) break;
    }
    return out;
}
