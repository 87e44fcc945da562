// The room a clef keeps before what follows it, from its glyph's measured ink: shared by the
// input mode's layout and the column spacing of the justify words, so that a line keeps its
// clef clear of its key, meter or first note before and after it is justified.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace layout {

// Our clef glyphs are drawn right of the clef's position: their ink ends this far right of it
// (staff units), by clef kind P5 0..5, for the large and the small clef.
constexpr std::array<float, 6> kLargeClefInk = {9.9f, 10.2f, 10.3f, 12.6f, 7.0f, 0.2f};
constexpr std::array<float, 6> kSmallClefInk = {8.8f, 10.4f, 9.9f, 12.3f, 7.4f, 1.0f};
// What a clef's ink keeps clear of the next item (a key signature's first accidental reaches
// 0.3 left of its own position).
constexpr float kClefClearance = 1.2f;

// Contract: the room (staff units, unscaled) from a clef's position to the next item: its ink
// and kClefClearance, at least the fixed 7.5 (6.5 for a small clef), which alone would put a
// key or meter over the clef. A kind outside 0..5 is measured as the nearest kind.
inline float clef_room(bool large, int32_t kind) {
    const auto k = static_cast<std::size_t>(std::clamp(kind, 0, 5));
    const float ink = large ? kLargeClefInk[k] : kSmallClefInk[k];
    return std::max(large ? 7.5f : 6.5f, ink + kClefClearance);
}

}  // namespace layout
