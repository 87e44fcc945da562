#include "engine/core/store/item_values.h"

#include <cmath>

namespace core {

namespace {

constexpr int32_t kDrawingItemCode = 11;
constexpr int32_t kEpsItemCode = 15;
constexpr int32_t kTextItemCode = 16;
constexpr int32_t kFirstNameWord = 14;
constexpr int32_t kLastDrawingNameWord = 19;    // 24 characters
constexpr int32_t kLastEpsNameWord = 45;        // 128 characters
constexpr int32_t kFirstColouredTextWord = 17;  // after the marker, P15 and the colour
constexpr float kColouredTextMarker = -1.0f;

// The parameters [first, last] that hold characters in a record of code and P14; first > last
// when none do.
void character_words(float code, float p14, int32_t& first, int32_t& last) {
    first = 1;
    last = 0;
    if (!std::isfinite(code)) return;
    switch (static_cast<int32_t>(code)) {
        case kDrawingItemCode:
            first = kFirstNameWord;
            last = kLastDrawingNameWord;
            break;
        case kEpsItemCode:
            first = kFirstNameWord;
            last = kLastEpsNameWord;
            break;
        case kTextItemCode:
            first = p14 == kColouredTextMarker ? kFirstColouredTextWord : kFirstNameWord;
            last = INT32_MAX;
            break;
        default:
            break;
    }
}

}  // namespace

bool is_staff_number(float v) { return v >= 0.0f && v <= static_cast<float>(kHighestStaff); }

// Contract: see the header. The character words are found once per record, so the check costs
// one comparison per word.
bool record_numbers_sound(const float* p, int32_t n) {
    if (n >= 2 && !is_staff_number(p[1])) return false;
    int32_t first = 0;
    int32_t last = 0;
    character_words(n >= 1 ? p[0] : 0.0f, n >= kFirstNameWord ? p[kFirstNameWord - 1] : 0.0f, first,
                    last);
    for (int32_t k = 1; k <= n; ++k) {
        if (k >= first && k <= last) continue;
        if (!std::isfinite(p[k - 1])) return false;
    }
    return true;
}

}  // namespace core
