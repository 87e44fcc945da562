// The stem direction of a beamed group and the heights of its beam's two ends, in staff steps
// (7 the middle line), cut to half steps.
#pragma once

#include <cstdint>

namespace layout {

// Beam over the n notes of BeamNoteHeights / BeamNoteColumns (ColumnRecords rows: P3 position,
// P5 tens digit the stem code 1 up / 2 down, P12 a fixed-height request). direction: 10 stems up,
// 20 down, 0 decided here (and returned). left and right get the end heights; x_first and x_last
// are the positions of the first and last note. The slope is held to core::BeamTilt. When
// x_last is not right of x_first the beam lies flat at the group's extreme (no slope to take).
// n below 1 leaves everything unchanged; n is held to the table's 100 entries.
void compute_beam_ends(float& left, float& right, int32_t& direction, int32_t n, float x_first,
                       float x_last);

}  // namespace layout
