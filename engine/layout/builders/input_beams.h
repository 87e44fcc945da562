// Beams of typed input: pairs of chord numbers (or an automatic grouping) to beam rows of
// ColumnRecords, with the stem sides of the beamed chords. The pair reader also serves the
// slurs line.
#pragma once

#include <cstdint>

namespace layout {

// One pair of the beams or slurs line as next_beam_pair reads it.
struct BeamPair {
    int32_t side = 0;         // 10 up, 20 down, 0 not given
    int32_t first_chord = 0;  // chord numbers (1..ChordCount)
    int32_t last_chord = 0;
    int32_t first_number = 0;  // the chord numbers as typed (abs(INT(v)) mod 100)
    int32_t last_number = 0;
    int32_t over = 0;  // the number printed over the beam (a slur's flag)
    int32_t first_row = 0;
    int32_t last_row = 0;
    float left_height = 0.0f;
    float right_height = 0.0f;
    bool first_no_time = false;  // a small note that takes no time (grace)
    bool last_no_time = false;
    float left_x = 0.0f;  // P3 and P6 of the row built on the pair
    float right_x = 0.0f;
    bool valid = false;  // false: a chord number names no chord of the line
};

// Advances index by one and reads the pair InputTokenList(index), (index + 1) (numbers past
// the list's count read 0). A number names chord abs(INT(v)) mod 100 (0 and 99 the first);
// its hundreds (up to 99) the number over the beam; v < 0 asks for stems down, v >= 10000 up;
// on a beams line a chord's own ChordStemCodes entry wins. The last chord is raised above the
// first and held below ColumnPositionCount. On a slurs line a fraction moves its end toward
// the next chord (chord 0: InputRangeStart; after the last: InputRangeEnd). Reads
// ColumnRecords, ChordFirstRows, ChordStemCodes, RowRhythms, InputParserMode, StaffTables;
// may clear a row's P12 (a cross-staff note with no staff to go to).
void next_beam_pair(int32_t& index, BeamPair& pair);

// The height of a note of row moved to the staff its P12 draws it on (1: the staff below,
// InputStaff + 1; 2: the one above); a P12 with no such staff is cleared and nothing moves.
// Returns the shift added (0 when none).
float shift_cross_staff_position(float& height, int32_t row);

// Rewrites InputTokenList, which holds 9999, the group length in eighths (9: three
// sixteenths) and a count of rhythm values to pass over, as pairs of chord numbers: runs of
// notes that take no time, and groups of beamed notes within each group length.
void make_auto_beam_pairs();

}  // namespace layout
