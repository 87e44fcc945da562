// The room a meter keeps before what follows it, from its numbers: shared by the column spacing
// of the justify words and the beat count of LI, so that a line keeps its meter clear of its
// first note whichever word laid it out.
#pragma once

#include <array>
#include <cstdint>

namespace layout {

// The highest parameter the meter's room reads.
constexpr int32_t kMeterRoomParams = 17;

// Contract: the room (staff units, unscaled) from a meter's position (or another item of code 18
// and above) to the next column, from its parameters P1..P17 (p[k], 0 beyond the record): 7.5,
// 10.0 for a number of two digits (not the common and cut time signs, P5 above 90); a compound
// meter (a parameter past P7 set) adds its second pair, plus sign and offsets; 2.5 less for
// the staff's last item. u is the staff's P3 units per staff unit: below 1, the room shrinks
// by half as much.
inline float meter_room(const std::array<float, kMeterRoomParams + 1>& p, float u, bool last) {
    float b = 7.5f;
    if (p[5] >= 10.0f || p[6] >= 10.0f) b = p[5] > 90.0f ? 7.5f : 10.0f;
    int32_t last_set = 0;
    for (int32_t k = kMeterRoomParams; k >= 1; --k) {
        if (p[k] != 0.0f) {
            last_set = k;
            break;
        }
    }
    if (last_set > 7) {
        float e = 4.5f;
        if (last_set >= 12 && p[12] != 0.0f) {
            e = 0.0f;
        } else if (last_set >= 10 && p[10] != 0.0f) {
            e = p[10] + 4.5f;
        }
        if (last_set >= 11 && p[11] != 0.0f) e += p[11];
        b += e + ((p[8] > 10.0f || p[9] > 10.0f) ? 6.0f : 3.5f);
    }
    if (last) {
        b -= 2.5f;
    } else {
        float g = u;
        if (g < 1.0f) g += (1.0f - g) * 0.5f;
        if (g < 1.0f) b *= g;
    }
    return b;
}

}  // namespace layout
