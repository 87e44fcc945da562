// The room a key signature keeps before what follows it, from its accidentals: shared by the
// column spacing of the justify words, the beat count of LI and the grace note spacing, so that
// a line keeps its key clear of its meter and first note whichever word laid it out.
#pragma once

#include <cmath>

#include "engine/core/store/item_store.h"

namespace layout {

// A meter after a key signature reaches back this far into the key's room (staff units).
constexpr float kMeterAfterKey = 1.5f;

// Contract: the room (staff units, unscaled) from a key signature's position to the next column:
// 2.8 for each accidental after the first (|P5| modulo 100, naturals counted as the accidentals
// they cancel), times the spacing factor P7 (1 when 0), and 5.5 after a clef (4.5 otherwise).
inline float key_signature_room(float p5, float p7, bool after_clef) {
    const float copies = p7 == 0.0f ? 1.0f : p7;
    const float accidentals = std::fabs(core::compute_real_mod(p5, 100.0f));
    return copies * (accidentals - 1.0f) * 2.8f + (after_clef ? 5.5f : 4.5f);
}

}  // namespace layout
