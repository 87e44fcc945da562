// Item access shared by the voice separation files: parameters of item k by its number (the
// start table is read at each access, so items may grow while they are walked), and the staff
// runs of a store sorted by staff.
//
// Tables: ItemStore, ItemStartTable, ItemCount (core).
#pragma once

#include <cstdint>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"

namespace edit::voices {

constexpr int32_t kNote = 1;
constexpr int32_t kRest = 2;
constexpr int32_t kSlur = 5;
constexpr int32_t kBeam = 6;
constexpr int32_t kStaff = 8;
constexpr int32_t kBarLine = 14;
// P1 of an item to be deleted at the end of its staff.
constexpr float kMarked = 99.0f;

inline int32_t count_of(int32_t k) {
    return core::int_of(core::ItemStore(core::ItemStartTable(k)));
}
// P j of item k; 0 beyond its count.
inline float p(int32_t k, int32_t j) {
    return j <= count_of(k) ? core::ItemStore(core::ItemStartTable(k) + j) : 0.0f;
}
// Sets P j of item k when the item has it.
inline void set_p(int32_t k, int32_t j, float v) {
    if (j <= count_of(k)) core::ItemStore(core::ItemStartTable(k) + j) = v;
}
inline int32_t code_of(int32_t k) { return core::int_of(p(k, 1)); }
inline int32_t staff_of(int32_t k) { return core::int_of(p(k, 2)); }
inline void mark(int32_t k) { set_p(k, 1, kMarked); }
// The stem code of a note: the tens digit of P5 mod 100.
inline int32_t stem_code(int32_t k) { return core::int_of(core::amod(p(k, 5), 100.0f) / 10.0f); }

// The chord item k belongs to (see VoiceSeparationRecord::chords): n > 0 for the stemmed note
// of chord n, -n for its other notes, 0 otherwise.
int32_t chord_of(int32_t k);
// Whether item k is a note of a chord that goes with the chord's stemmed note.
inline bool chord_member(int32_t k) { return chord_of(k) < 0; }

// First item of staff s (0 when none); the item after its run (the store sorted by staff).
inline int32_t first_of_staff(int32_t s) {
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (staff_of(k) == s) return k;
    return 0;
}
inline int32_t end_of_staff(int32_t first, int32_t s) {
    int32_t k = first;
    while (k >= 1 && k <= core::ItemCount && staff_of(k) == s) ++k;
    return k;
}

}  // namespace edit::voices
