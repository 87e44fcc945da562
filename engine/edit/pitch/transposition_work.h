// The work of a transposition on one staff that the slurs and clefs need: the staff's notes
// and slurs before and after the notes move (kept in memory, per staff, without a limit on
// their number), the slur re-fit from them, and the change of every clef of a staff.
//
// Tables: TranspositionTables (owned here, rewritten for every staff), StaffPitchContext (pitch
// context), the item store (core).
#pragma once

#include <cstdint>
#include <vector>

namespace edit {

struct TranspositionNoteLine {
    int32_t item = 0;
    float position = 0.0f;  // P3
    int32_t level = 0;      // INT(P4), taken mod 100 when |P4| >= 100
    int32_t stem = 0;       // INT(P5 / 10): 1 up, 2 down, 0 none
    float stem_end = 0.0f;  // level + the stem's reach: 7, or (P8 mod 100) + 7 with a P8;
                            // 0 without stem, negative down, 0.6 of it for a cue note
};
struct TranspositionSlurLine {
    int32_t item = 0;
    float p3 = 0.0f, p4 = 0.0f, p5 = 0.0f, p6 = 0.0f, p7 = 0.0f;
    int32_t clef = 0;  // clef kind in force at the slur
    float p8 = 0.0f;   // 0.0 when the slur has fewer than eight P-values
};
struct TranspositionTableRecord {
    int32_t staff = 0;
    int32_t steps = 0;
    std::vector<TranspositionNoteLine> notes;
    std::vector<TranspositionSlurLine> slurs;
};
// Before (index 0) and after (index 1) the notes of the current staff moved.
extern TranspositionTableRecord TranspositionTables[2];

// mode 1: fills the "before" table (and empties the "after" one), mode 2 the "after" table and
// then re-fits the slurs, for the staff, from the items listed (the record item numbers of
// StaffPitchContext: only notes make lines; numbers outside 1..ItemCount are passed over) and
// the slurs (code 5) of the staff whose P3 lies from left to right. Any other mode does nothing.
void write_transposition_table(int32_t mode, int32_t staff, const std::vector<int32_t>& items,
                               float left, float right, int32_t steps);
// Moves the slurs' end heights (P4, P5) and sides (P7) in the store from the two tables: each
// slur follows the notes nearest its ends. Does nothing when the tables are of different staves.
void refit_slurs_from_tables();
// The level shift that keeps a note's pitch when its clef kind changes from old_clef to
// new_clef (treble 0 to bass 1 is +12).
int32_t clef_change_shift(int32_t old_clef, int32_t new_clef);
// Every clef of StaffPitchContext's staff to new_clef, the notes (records and P4), beams and key
// signatures following; the first clef takes the new kind, later clefs become DUMMY items for
// remove_dummy_items. Item numbers do not change.
void change_staff_clefs(int32_t new_clef);

}  // namespace edit
