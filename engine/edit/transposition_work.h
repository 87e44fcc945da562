// The work of a transposition on one staff that the slurs and clefs need: the staff's notes
// and slurs before and after the notes move (kept in memory, per staff), the slur re-fit from
// them, and the change of every clef of a staff.
//
// Tables: StaffPitchContext (pitch context), the item store (core).
#pragma once

#include <cstdint>
#include <vector>

namespace edit {

struct TranspositionNoteLine {
    int32_t item = 0;
    float position = 0.0f;  // P3
    int32_t level = 0;      // INT(P4), taken mod 100 when |P4| >= 100
    int32_t stem = 0;       // INT(P5 / 10): 1 up, 2 down, 0 none
    float stem_end = 0.0f;  // level + the stem's reach (see the Part)
};
struct TranspositionSlurLine {
    int32_t item = 0;
    float p3 = 0.0f, p4 = 0.0f, p5 = 0.0f, p6 = 0.0f, p7 = 0.0f;
    int32_t clef = 0;
};
struct TranspositionTableRecord {
    int32_t staff = 0;
    int32_t steps = 0;
    std::vector<TranspositionNoteLine> notes;
    std::vector<TranspositionSlurLine> slurs;
};
// Before (index 0) and after (index 1) the notes of the current staff moved.
extern TranspositionTableRecord TranspositionTables[2];

// mode 1: fills the "before" table, mode 2 the "after" table and re-fits the slurs, for the
// staff, from the items listed (the note records of StaffPitchContext) and the slurs of the
// staff in the range.
void write_transposition_table(int32_t mode, int32_t staff, const std::vector<int32_t>& items,
                               float left, float right, int32_t steps);
// Moves the slurs' end heights from the two tables.
void refit_slurs_from_tables();
// Every clef of StaffPitchContext's staff to new_clef, the notes, beams and key signatures
// following.
void change_staff_clefs(int32_t new_clef);

}  // namespace edit
