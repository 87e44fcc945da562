#include "engine/core/bridge/key_words.h"

namespace core {

int32_t key_down_word_for_code(int32_t code) {
    return 1000 + static_cast<int8_t>(static_cast<uint8_t>(code & 0xFF));
}

int32_t key_down_word_for_character(char c) {
    if (c >= 'a' && c <= 'z') return key_down_word_for_code(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') {
        return key_down_word_for_code(c);
    }
    // The punctuation keys of a US keyboard, shifted or not.
    struct KeyOf {
        char c;
        int32_t code;
    };
    static constexpr KeyOf kKeys[] = {
        {';', 186}, {':', 186}, {'=', 187}, {'+', 187}, {',', 188}, {'<', 188}, {'-', 189},
        {'_', 189}, {'.', 190}, {'>', 190}, {'/', 191}, {'?', 191}, {'`', 192}, {'~', 192},
        {'[', 219}, {'{', 219}, {'\\', 220}, {'|', 220}, {']', 221}, {'}', 221}, {'\'', 222},
        {'"', 222}, {'!', '1'}, {'@', '2'}, {'#', '3'}, {'$', '4'}, {'%', '5'}, {'^', '6'},
        {'&', '7'}, {'*', '8'}, {'(', '9'}, {')', '0'},
    };
    for (const KeyOf& k : kKeys) {
        if (k.c == c) return key_down_word_for_code(k.code);
    }
    return 0;
}

int32_t key_token_code(const FixedText<512>& text) {
    if (text(1) != '~' || text(2) != '~') return -1;
    int32_t code = 0;
    for (int k = 3; k <= 5; ++k) {
        const char c = text(k);
        if (c < '0' || c > '9') return -1;
        code = code * 10 + (c - '0');
    }
    for (int k = 6; k <= 512; ++k) {
        const char after = text(k);
        if (after == '\0') break;
        if (after != ' ') return -1;
    }
    return code <= 255 ? code : -1;
}

}  // namespace core
