// Curves through points: a run of PathPointList entries replaced by a parametric cubic spline
// through them (Hermite form, chord-length parameters, free ends; closed when the run ends where
// it starts). The line drawer smooths its polylines with it.
//
// Tables: PathPointList (render); the fit's work tables are its own (fixed size, static).
// Messages go through core::show_prompt.
#pragma once

#include <cstdint>

namespace render {

// Most given points a run may have.
constexpr int32_t kCurveInputPoints = 50;
// Points per span between two given points when the caller gives none (and for a value
// outside 1..kMaxCurvePointsPerSpan).
constexpr int32_t kDefaultCurvePointsPerSpan = 20;
constexpr int32_t kMaxCurvePointsPerSpan = 100;

// Contract: replaces entries first..last of PathPointList (count = the entries in use, at most
// the list's capacity; PathPointList.count becomes count + 1) by a curve through their points,
// with points_per_span points for each span. The points are fitted on a grid of 100 display
// units; repeated points are removed first (first, last and count follow). The new run's first
// entry keeps its operation (-2 when it was 0), its given points get -1, its other points 0 and
// its last entry -3; entries after the run move to follow it. A run of more than 50 entries
// shows "*** Too many points. Limit=50" and changes nothing; fewer than three distinct points
// show "*** Must have more than 2 points." and leave the list as it was given (as does a curve
// that would not fit in the list). A run outside 1..count is a defect (EngineDefect).
void draw_free_curve(int32_t& count, int32_t& first, int32_t& last, int32_t points_per_span);

}  // namespace render
