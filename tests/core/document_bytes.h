// Document files made and taken apart without the engine's writer and reader, byte for byte.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

using Bytes = std::vector<unsigned char>;

inline Bytes read_file_bytes(const std::filesystem::path& path) {
    const std::string text = read_text(path);
    return Bytes(text.begin(), text.end());
}

// Records followed by the standard 4-word trailer.
inline std::vector<float> with_trailer(std::vector<float> records, float metric = 0.0f) {
    records.insert(records.end(), {6.0f, metric, 4.0f, -9999.0f});
    return records;
}

// The count (2 or 4 bytes), then the words, all little-endian.
inline Bytes encode(const std::vector<float>& words, int count_bytes = 2) {
    Bytes out;
    const auto n = static_cast<uint32_t>(words.size());
    for (int b = 0; b < count_bytes; ++b) out.push_back(static_cast<unsigned char>(n >> (8 * b)));
    for (float w : words) {
        uint32_t u;
        std::memcpy(&u, &w, 4);
        for (int b = 0; b < 4; ++b) out.push_back(static_cast<unsigned char>(u >> (8 * b)));
    }
    return out;
}

// The words of a file with a 16-bit count.
inline std::vector<float> decode(const Bytes& file) {
    std::vector<float> words;
    for (std::size_t b = 2; b + 4 <= file.size(); b += 4) {
        float w;
        std::memcpy(&w, &file[b], 4);
        words.push_back(w);
    }
    return words;
}

// The item words of a document file with a 16-bit count, before its 4-word trailer (a backup's
// stored name after the counted words is left out); empty when the count does not fit the file.
inline std::vector<float> document_item_words(const std::filesystem::path& document) {
    const Bytes bytes = read_file_bytes(document);
    if (bytes.size() < 2) return {};
    std::vector<float> words = decode(bytes);
    const std::size_t count = bytes[0] | (bytes[1] << 8);
    if (count < 4 || count > words.size()) return {};
    words.resize(count - 4);
    return words;
}

// Stages a file as the front-end's open does: element 1 the low 16 bits of the first four
// bytes, then the bytes from the fifth on. Returns element 1.
inline int32_t stage(std::vector<int32_t>& graphics, const Bytes& file) {
    graphics.assign(graphics.size(), 0);
    graphics[0] = file[0] | (file[1] << 8);
    std::size_t k = 1;
    for (std::size_t b = 4; b < file.size() && k < graphics.size(); b += 4, ++k) {
        uint32_t w = 0;
        for (std::size_t j = 0; j < 4 && b + j < file.size(); ++j)
            w |= static_cast<uint32_t>(file[b + j]) << (8 * j);
        graphics[k] = static_cast<int32_t>(w);
    }
    return graphics[0];
}
