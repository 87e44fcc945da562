// Test helper: puts a record [n, P1..Pn] at the end of the store the way the loaders do, keeping
// the start table's end mark valid.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/tables.h"

// Returns the new record's start word.
inline int32_t append_test_record(const std::vector<float>& params) {
    const int32_t s = core::ItemWordsUsed;
    core::ItemStore(s) = static_cast<float>(params.size());
    for (std::size_t k = 0; k < params.size(); ++k)
        core::ItemStore(s + 1 + static_cast<int32_t>(k)) = params[k];
    ++core::ItemCount;
    core::ItemWordsUsed = s + static_cast<int32_t>(params.size()) + 1;
    core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
    return s;
}

// P j of item k as the store holds it; 0 beyond the item's count.
inline float stored_param(int32_t k, int32_t j) {
    const int32_t s = core::ItemStartTable(k);
    return j <= static_cast<int32_t>(core::ItemStore(s)) ? core::ItemStore(s + j) : 0.0f;
}

// Item numbers of that code (P1) on the staff (P2), in store order.
inline std::vector<int32_t> stored_items_of(int32_t code, int32_t staff) {
    std::vector<int32_t> out;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == static_cast<float>(code) &&
            stored_param(k, 2) == static_cast<float>(staff)) {
            out.push_back(k);
        }
    }
    return out;
}

// A text item's characters as the store keeps them: four to a word, the last word padded with
// blanks.
inline std::vector<float> text_words(const std::string& chars) {
    std::string padded = chars;
    padded.resize((chars.size() + 3) / 4 * 4, ' ');
    std::vector<float> words(padded.size() / 4, 0.0f);
    for (std::size_t w = 0; w < words.size(); ++w) std::memcpy(&words[w], padded.data() + 4 * w, 4);
    return words;
}

// The record whose count word is words(s) as a line of its parameters ("%.9g", blank-separated);
// words is the store or the scratch store.
template <typename Words>
inline std::string record_line(Words& words, int32_t s) {
    const int32_t n = static_cast<int32_t>(words(s));
    std::string text;
    for (int32_t j = 1; j <= n; ++j) {
        char b[32];
        std::snprintf(b, sizeof b, "%s%.9g", j > 1 ? " " : "", words(s + j));
        text += b;
    }
    return text;
}

// Every item of the store as a line of its parameters ("%.9g", blank-separated), in store
// order: two pages compared line by line name the item that differs.
inline std::vector<std::string> stored_item_lines() {
    std::vector<std::string> items;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        items.push_back(record_line(core::ItemStore, s));
    }
    return items;
}
