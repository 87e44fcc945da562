// The pitch context of one staff: its notes, rests and key signatures within a range, in item
// order, each with the clef in force, its ties, whether it has beams and its bar positions;
// and the pitch tables the pitch commands share (transposition, tablature, MIDI).
//
// Tables: the item store (core).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/fixed_array.h"
#include "engine/core/store/clef_steps.h"

namespace edit {

// Kind of a context record.
enum ContextRecordKind : int32_t {
    kContextRest = -1,
    kContextNote = 0,
    kContextFirstInBar = 1,
    kContextKey = 2,
};

struct PitchRecord {
    int32_t item = 0;        // item number
    int32_t accidental = 0;  // a note's alteration (3 natural), a key signature's key, 0 rest
    int32_t level = 0;       // a note's INT(P4) mod 100
    int32_t clef = 0;        // clef kind in force (0 before any clef)
    int32_t kind = 0;        // ContextRecordKind
    float position = 0.0f;   // P3
};

struct StaffPitchContextRecord {
    // Inputs: the staff (its integer part is used) and the range in P3 units.
    float staff = 0.0f;
    float left = 0.0f;
    float right = 0.0f;
    // -1 when the scan stopped on a note or rest without rhythm.
    int32_t count = 0;
    std::vector<PitchRecord> records;
    int32_t key_state = -1;  // -1 none, 0 before any note or rest, 1 after one
    std::vector<int32_t> ties;
    int32_t beam_flag = 0;
    std::vector<float> bar_positions;  // ascending, closed by 10000.0
    float first_position = 0.0f;
};
extern StaffPitchContextRecord StaffPitchContext;

// The alteration (+1, -1, 0) key k (-7..7) gives letter L (1 C .. 7 B): index 7 (k + 7) + L.
extern const core::Array1<int32_t, 105> KeyAccidentalTable;
// Step offset of a clef kind (0 treble, 1 bass -12, 2 alto -6, 3 tenor -8, 4 -7, others 0).
using core::clef_step_offset;

// Fills StaffPitchContext for its staff and range.
void scan_staff_context();

// Appends a key signature [17, staff, position, 0, key, clef] to StaffPitchContext's staff.
void add_key_signature_item(int32_t& key, int32_t& clef);

}  // namespace edit
